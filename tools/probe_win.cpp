// morvalith-probe.exe: loads the real Morvalith.dll and shows what a host sees.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include <cerrno>
#include <exception>
#include <string>
#include <vector>

#include "capture_win.h"
#include "morvalith.h"
#include "probe_win.h"
#include "shared.h"
#include "text.h"

bool g_probeWithoutConsole = false;

#ifndef MORVALITH_VERSION
#define MORVALITH_VERSION "unknown"
#endif

// --capture FILE: the machine as the library would see it, for the host
// build's probe to replay and explain.

// A program loads a DLL of its own size only.
#if defined(_WIN64)
#define MORVALITH_PROGRAM_BITS "64-bit"
#else
#define MORVALITH_PROGRAM_BITS "32-bit"
#endif
// A JSON string's contents.
static std::string JsonText(const char *text)
{
    std::string out;
    for (const char *p = text; *p; ++p) {
        unsigned char c = (unsigned char)*p;
        if (c == '"' || c == '\\') out += std::string("\\") + (char)c;
        else if (c == '\n') out += "\\n";
        else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else out += (char)c;
    }
    return out;
}

static int WriteCaptureOrThrow(const char *file, bool quiet, const char *comment)
{
    sim::Machine m;
    std::string notes;
    CaptureMachine(m, notes);
    std::string text = sim::WriteScenario(m);
    // The format's own comment field, first, for what the writer adds.
    if (comment && *comment && text.compare(0, 2, "{\n") == 0)
        text.insert(2, "  \"comment\": \"" + JsonText(comment) + "\",\n");
    // Windows reports a folder as access denied: say what it is.
    DWORD attributes = GetFileAttributesA(file);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        fprintf(stderr, "morvalith-probe: %s: cannot be written: is a folder\n", sim::Printable(file, 200).c_str());
        return 2;
    }
    FILE *out = fopen(file, "wb");
    int error = out ? 0 : errno;
    if (out) {
        if (fwrite(text.data(), 1, text.size(), out) != text.size()) error = errno ? errno : EIO;
        if (fclose(out) != 0 && !error) error = errno ? errno : EIO;
    }
    if (error) {
        fprintf(stderr, "morvalith-probe: %s: cannot be written: %s\n", sim::Printable(file, 200).c_str(),
                FileErrorReason(error).c_str());
        return 2;
    }
    if (quiet) return 0;
    // The whole path: the customer must tell support where the file is.
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(file, sizeof(full), full, NULL);
    printf("capture: wrote %s (%u bytes)\n", length && length < sizeof(full) ? full : file, (unsigned)text.size());
    printf("  Windows %u.%u build %u, platform %u, as GetVersionExA reports it to this program\n", m.major, m.minor,
           m.build, m.platform);
    std::string note = VersionNote(m, "a program");
    if (!note.empty()) printf("  %s\n", note.c_str());
    printf("  %u disk interfaces, %u volume interfaces, %u drives, %u MountedDevices values\n",
           (unsigned)m.disks.size(), (unsigned)m.volumes.size(), (unsigned)m.drives.size(),
           (unsigned)m.mountedDevices.size());
    for (const auto &[name, device] : m.devices) {
        // A capture keeps one answer per device: the vendor read's.
        auto answer = device.answers.begin();
        if (device.ioctlError) printf("  vendor read: DeviceIoControl failed, error %u\n", device.ioctlError);
        else if (answer != device.answers.end())
            printf("  vendor read: SCSI status 0x%02x, %u bytes transferred (a placeholder stands in for them)\n",
                   answer->second.status, (unsigned)answer->second.data.size());
    }
    printf("  vendor library: %s\n", m.vendor.installed ? (m.vendor.hasEntryPoint ? "found, with its entry point"
                                                                                   : "found, without its entry point")
                                                         : "not found");
    if (m.platform == VER_PLATFORM_WIN32_WINDOWS)
        printf("  WNASPI32: %s, %u host adapters\n", m.aspi.installed ? "loaded" : "not found",
               (unsigned)m.aspi.adapters.size());
    if (!notes.empty()) printf("notes:\n%s", notes.c_str());
    printf("the file holds no identification key and no sector contents\n");
    return 0;
}

// Nothing may escape a capture: the field tool ends with one line instead.
static int WriteCapture(const char *file, bool quiet, const char *comment = NULL)
{
    try {
        return WriteCaptureOrThrow(file, quiet, comment);
    } catch (const std::exception &e) {
        fprintf(stderr, "morvalith-probe: the capture failed: %s\n", sim::Printable(e.what(), 200).c_str());
    } catch (...) {
        fprintf(stderr, "morvalith-probe: the capture failed\n");
    }
    return 2;
}

extern "C" int WriteCaptureFile(const char *file) { return WriteCapture(file, true); }
extern "C" int WriteCaptureFileWithComment(const char *file, const char *comment)
{
    return WriteCapture(file, true, comment);
}

// --explain: the live machine, captured to a file of its own, explained by
// the simulated-machine probe that ships beside this program. Returns what
// the explanation predicts: 0 the library loads, 1 it refuses; -1 when no
// explanation could be had.
static int ExplainLive(void)
{
    char folder[MAX_PATH], file[MAX_PATH], self[MAX_PATH];
    if (!GetTempPathA(sizeof(folder), folder) || !GetTempFileNameA(folder, "mvl", 0, file)) {
        fprintf(stderr, "morvalith-probe: no temporary file for the capture\n");
        return -1;
    }
    int predicted = -1;
    DWORD length = GetModuleFileNameA(NULL, self, sizeof(self));
    char *slash = length && length < sizeof(self) ? strrchr(self, '\\') : NULL;
    if (WriteCapture(file, true) == 0 && slash) {
        strcpy(slash + 1, "morvalith-sim.exe");
        std::string command = std::string("\"") + self + "\" --explain --this-pc \"" + file + "\"";
        std::vector<char> line(command.begin(), command.end());
        line.push_back(0);
        STARTUPINFOA startup;
        memset(&startup, 0, sizeof(startup));
        startup.cb = sizeof(startup);
        // The engine writes where this program's standard output goes now,
        // a redirection included (a GUI program's runtime does not pass
        // that on to the process's standard handles).
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = (HANDLE)_get_osfhandle(_fileno(stdout));
        startup.hStdError = (HANDLE)_get_osfhandle(_fileno(stderr));
        if (startup.hStdError == INVALID_HANDLE_VALUE) startup.hStdError = startup.hStdOutput;
        PROCESS_INFORMATION process;
        fflush(stdout);
        fflush(stderr);
        DWORD flags = g_probeWithoutConsole ? DETACHED_PROCESS : 0;
        if (CreateProcessA(self, line.data(), NULL, NULL, TRUE, flags, NULL, NULL, &startup, &process)) {
            DWORD code = 2;
            WaitForSingleObject(process.hProcess, INFINITE);
            GetExitCodeProcess(process.hProcess, &code);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
            predicted = code <= 1 ? (int)code : -1;
        } else {
            DWORD error = GetLastError();
            *slash = 0;
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                fprintf(stderr, "morvalith-probe: morvalith-sim.exe is missing: put it in %s, beside "
                                "morvalith-probe.exe, and run the check again\n", self);
            else
                fprintf(stderr, "morvalith-probe: %s\\morvalith-sim.exe cannot be started (error %lu)\n", self, error);
        }
    }
    DeleteFileA(file);
    return predicted;
}

// How one LoadLibraryA of the real DLL went.
enum LoadOutcome { kLoaded = 0, kRefused = 1, kNotTested = 2 };

static void Usage(FILE *to)
{
    fprintf(to, "usage: morvalith-probe.exe [--capture FILE | --explain | --version]\n"
                "Loads the Morvalith.dll that a program in this folder would load, on this PC, and shows\n"
                "what the program sees. --explain also captures this PC and explains, cause and remedy\n"
                "first, what the library does on it; --capture FILE writes the capture for support (it\n"
                "holds device paths with serial numbers, never the identification key or the sector).\n"
                "Exit status: 0 the library loads, 1 it refuses, 2 it could not be tested or a file\n"
                "could not be written.\n");
}

// The file version from a DLL's version block, "" when it has none.
static std::string FileVersion(const char *path)
{
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(path, &ignored);
    if (!size || size > (1 << 20)) return "";
    std::string block(size, '\0');
    VS_FIXEDFILEINFO *info = NULL;
    UINT length = 0;
    if (!GetFileVersionInfoA(path, 0, size, &block[0]) ||
        !VerQueryValueA(&block[0], "\\", (void **)&info, &length) || !info || length < sizeof(*info))
        return "";
    char text[64];
    snprintf(text, sizeof(text), "%lu.%lu.%lu.%lu", info->dwFileVersionMS >> 16, info->dwFileVersionMS & 0xFFFF,
             info->dwFileVersionLS >> 16, info->dwFileVersionLS & 0xFFFF);
    return text;
}

static std::string Described(const char *path)
{
    std::string version = FileVersion(path);
    return std::string(path) + (version.empty() ? ", no version block" : ", version " + version);
}

static std::string SystemText(DWORD error)
{
    char text[256] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, text,
                             sizeof(text), NULL);
    while (n && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.')) text[--n] = 0;
    return n ? text : "no description";
}

// Loads the real DLL as a host does and says what it saw.
static LoadOutcome RealDll(std::string &why)
{
    sim::Machine version;
    std::string notes;
    CaptureVersion(version, notes);
    printf("machine: Windows %u.%u, platform %u\n", version.major, version.minor, version.platform);
    // The file the loader takes: the program's folder comes first.
    char found[MAX_PATH] = "";
    char *name = NULL;
    DWORD length = SearchPathA(NULL, "Morvalith.dll", NULL, sizeof(found), found, &name);
    if (!length || length >= sizeof(found)) found[0] = 0;
    fflush(stdout);
    HMODULE library = LoadLibraryA("Morvalith.dll");
    if (!library) {
        DWORD error = GetLastError();
        fflush(stdout);
        if (error == ERROR_DLL_INIT_FAILED) {
            printf("load: Morvalith.dll refused to load (error 1114)\n");
            if (found[0]) printf("  file: %s\n", Described(found).c_str());
            fflush(stdout);
            return kRefused;
        }
        if (error == ERROR_MOD_NOT_FOUND && !found[0]) {
            why = "Morvalith.dll was not found";
            printf("load: Morvalith.dll was not found (error 126): looked in this program's folder, the current "
                   "folder, the system folders and PATH\n");
        } else if (error == ERROR_BAD_EXE_FORMAT) {
            why = "the file is not a " MORVALITH_PROGRAM_BITS " Windows DLL";
            printf("load: %s is not a " MORVALITH_PROGRAM_BITS " Windows DLL (error 193)\n",
                   found[0] ? found : "Morvalith.dll");
        } else {
            why = "error " + std::to_string(error);
            printf("load: Morvalith.dll could not be loaded: error %lu (%s)%s%s\n", error, SystemText(error).c_str(),
                   found[0] ? ": " : "", found);
        }
        fflush(stdout);
        return kNotTested;
    }
    char path[MAX_PATH] = "";
    GetModuleFileNameA(library, path, sizeof(path));
    printf("load: Morvalith.dll loaded\n  file: %s\n", Described(path).c_str());
    MorvalithGetUSBDriveLetterFn getLetter = (MorvalithGetUSBDriveLetterFn)(void *)GetProcAddress(library, "GetUSBDriveLetter");
    MorvalithGetIDKeyFn getKey = (MorvalithGetIDKeyFn)(void *)GetProcAddress(library, "GetIDKey");
    if (getLetter && getKey) {
        char letter = getLetter();
        if (letter) printf("GetUSBDriveLetter: %c\n", letter);
        else printf("GetUSBDriveLetter: 0 (none)\n");
        unsigned char key[32] = {};
        int ok = getKey(key);
        // The key itself is never shown: probe output goes to support staff.
        printf("GetIDKey: %d%s\n", ok, ok ? " (the 32-byte key is not shown)" : "");
        SecureZeroMemory(key, sizeof(key));
    } else {
        printf("exports: missing\n");
    }
    FreeLibrary(library);
    printf("unload: done\n");
    fflush(stdout);
    return kLoaded;
}

static int Run(int argc, char **argv)
{
    if (argc == 2 && !strcmp(argv[1], "--version")) {
        printf("morvalith-probe.exe %s\n", MORVALITH_VERSION);
        return 0;
    }
    if (argc == 2 && (!strcmp(argv[1], "--help") || !strcmp(argv[1], "-h"))) {
        Usage(stdout);
        return 0;
    }
    if (argc == 3 && !strcmp(argv[1], "--capture")) return WriteCapture(argv[2], false);
    bool explain = argc == 2 && !strcmp(argv[1], "--explain");
    if (argc != 1 && !explain) {
        Usage(stderr);
        return 2;
    }
    printf("probe: morvalith-probe.exe %s\n", MORVALITH_VERSION);
    int predicted = -1;
    if (explain) {
        predicted = ExplainLive();
        if (predicted < 0) return 2;
        printf("\nthe real Morvalith.dll on this machine:\n");
    }
    std::string why;
    LoadOutcome outcome = RealDll(why);
    if (explain) {
        // A refusal is error 1114; a DLL that is missing or no DLL at all
        // tells nothing about the machine.
        if (outcome == kNotTested)
            printf("the real DLL could not be tested (%s): no agreement can be judged\n", why.c_str());
        else if ((outcome == kLoaded) == (predicted == 0))
            printf("the real DLL agrees with the explanation: it %s\n", outcome == kLoaded ? "loads" : "refuses to load");
        else
            printf("the real DLL DISAGREES with the explanation: it %s\n",
                   outcome == kLoaded ? "loads" : "refuses to load");
    }
    return outcome;
}

// The whole program; a test host runs it in its own process, behind its
// stand-ins for the devices, and morvalith-check.exe in its window's.
extern "C" int ProbeMain(int argc, char **argv)
{
    // Binary mode: the library's lines reach the pipe byte for byte, "\n" and all.
    _setmode(_fileno(stdout), _O_BINARY);
    // Nothing may escape on a customer's PC: one line and exit status 2.
    try {
        return Run(argc, argv);
    } catch (const std::exception &e) {
        fprintf(stderr, "morvalith-probe: failed: %s\n", e.what());
    } catch (...) {
        fprintf(stderr, "morvalith-probe: failed\n");
    }
    return 2;
}
