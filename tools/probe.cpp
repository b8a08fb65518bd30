// morvalith-sim (morvalith-sim.exe on Windows): loads the library on a simulated machine,
// the built-in default or a scenario file, and shows what a host would see.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "discovery/resolver.h"
#include "explain.h"
#include "host_run.h"
#include "lifecycle/state.h"
#include "machine.h"
#include "morvalith.h"
#include "shared.h"
#include "text.h"


// A sanitizer report must not read as a refused load (exit 1) or a file
// that cannot be used (exit 2).
constexpr int kSanitizerExit = 70;
extern "C" const char *__asan_default_options() { return "exitcode=70"; }
extern "C" const char *__ubsan_default_options() { return "exitcode=70:print_stacktrace=1"; }

static void ShowMessageBoxes(size_t from)
{
    const auto &boxes = sim::MessageBoxes();
    for (size_t i = from; i < boxes.size(); ++i)
        std::printf("message box \"%s\": %s [OK]\n", sim::Printable(boxes[i].caption, 200).c_str(),
                    sim::Printable(boxes[i].text, 200).c_str());
}

// The name the program goes by: morvalith-sim in the host build,
// morvalith-sim.exe in the Windows build.
#ifndef MORVALITH_PROGRAM
#define MORVALITH_PROGRAM "morvalith-sim"
#endif

static void Usage(FILE *to)
{
    std::fprintf(to,
                 "usage: " MORVALITH_PROGRAM " [FILE]\n"
                 "       " MORVALITH_PROGRAM " --explain [FILE] [--calls]\n"
                 "       " MORVALITH_PROGRAM " --version\n"
                 "Runs Morvalith on a simulated machine: the one a capture FILE describes, or a built-in\n"
                 "one (never the PC it runs on). --explain says what the library did and why, with the\n"
                 "cause and the remedy first; --calls adds every platform call.\n"
                 "Exit status: 0 the library loads, 1 it refuses, 2 the file or the options cannot be used.\n");
}

#ifndef MORVALITH_VERSION
#define MORVALITH_VERSION "unknown"
#endif

static int Run(int argc, char **argv)
{
    if (argc == 2 && !std::strcmp(argv[1], "--version")) {
        std::printf(MORVALITH_PROGRAM " " MORVALITH_VERSION "\n");
        return 0;
    }
    bool explain = false, calls = false, wrong = false, thisPc = false;
    const char *file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            Usage(stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--explain")) explain = true;
        else if (!std::strcmp(argv[i], "--calls")) calls = true;
        // morvalith-probe.exe --explain: the file is its own capture of the PC
        // it runs on, in a temporary file whose name means nothing to anyone.
        else if (!std::strcmp(argv[i], "--this-pc")) thisPc = true;
        else if (argv[i][0] == '-' || file) wrong = true;
        else file = argv[i];
    }
    if (wrong || (calls && !explain)) {
        Usage(stderr);
        return 2;
    }
    sim::Machine machine = sim::DefaultMachine();
    // Run without a file it shows a demonstration, which a customer who
    // started the wrong program must not read as this PC's result.
    std::string name = "a demonstration machine built into this program (Windows XP with a flash disk), not this PC";
    if (file) {
        std::string error;
        if (!LoadScenarioFile(file, sim::Operations(), machine, error)) {
            std::fprintf(stderr, MORVALITH_PROGRAM ": %s\n", error.c_str());
            return 2;
        }
        name = thisPc ? "this PC, captured just now" : file;
        // No 64-bit process runs on Windows 9x: a 64-bit build would only
        // report a refusal that no host there meets.
        if (MORVALITH_64BIT && machine.platform == VER_PLATFORM_WIN32_WINDOWS) {
            std::fprintf(stderr,
                         MORVALITH_PROGRAM ": %s: a Windows 9x machine, which only the 32-bit Morvalith.dll serves "
                         "(through ASPI): run the 32-bit " MORVALITH_PROGRAM "\n",
                         sim::Printable(file, 200).c_str());
            return 2;
        }
    }
    if (explain) return Explain(machine, name, calls);

    // Every letter the disks yield, from a run of its own: the run reported
    // below is exactly one host's (the attach, one GetUSBDriveLetter, one
    // GetIDKey, the detach), so that faults fall where a host meets them.
    StartProcess(machine);
    char letters[260] = {};
    int count = CollectDriveLetters(kLetterBusToken, kLetterClassToken, kLetterRevisionToken, letters, sizeof(letters));
    sim::Settle();

    StartProcess(machine);  // as the loader maps it
    std::printf("machine: %s (Windows %u.%u, platform %u)\n", sim::Printable(name, 200).c_str(), machine.major,
                machine.minor, machine.platform);
    std::fflush(stdout);

    HINSTANCE self = (HINSTANCE)0x10000000;
    BOOL loaded = DllMain(self, DLL_PROCESS_ATTACH, nullptr);
    std::fflush(stdout);
    if (loaded) std::printf("load: Morvalith.dll loaded\n");
    else std::printf("load: Morvalith.dll refused to load (error %lu, a DLL initialization routine failed)\n",
                     (unsigned long)ERROR_DLL_INIT_FAILED);

    std::printf("collected letters (%d):", count);
    for (int i = 0; i < 260 && letters[i]; ++i) std::printf(" %c", letters[i]);
    std::printf("\n");

    if (loaded) {
        char letter = GetUSBDriveLetter();
        std::printf("GetUSBDriveLetter: %s\n", letter ? std::string(1, letter).c_str() : "0 (none)");
        unsigned char key[32] = {};
        size_t boxes = sim::MessageBoxes().size();
        int ok = GetIDKey(key);
        ShowMessageBoxes(boxes);
        // The key itself is never shown: probe output goes to support staff.
        std::printf("GetIDKey: %d%s\n", ok, ok ? " (the 32-byte key is not shown)" : "");
    }
    // The loader detaches a library whose attach failed as well.
    DllMain(self, DLL_PROCESS_DETACH, nullptr);
    sim::Settle();
    sim::Resources held = sim::Held();
    int vendorRefs = sim::ModuleReferences("vendor\\vendorufdapi.dll");
    std::printf("after unload: %d handles, %d lists, %d heap blocks, %d keys, %d module references",
                held.handles, held.lists, held.heapBlocks, held.keys, held.modules - vendorRefs);
    if (vendorRefs) std::printf(" (the vendor library stays loaded)");
    std::printf("\n");
    if (!file)
        std::printf("this was a demonstration machine, not this PC: to check this PC, run morvalith-check.exe "
                    "(or morvalith-probe.exe --explain)\n");
    return loaded ? 0 : 1;
}

int main(int argc, char **argv)
{
    static_assert(kSanitizerExit > 2);
    try {
        return Run(argc, argv);
    } catch (const std::exception &e) {
        std::fprintf(stderr, MORVALITH_PROGRAM ": %s\n", sim::Printable(e.what(), 200).c_str());
    } catch (...) {
        std::fprintf(stderr, MORVALITH_PROGRAM ": failed\n");
    }
    return 2;
}
