// GetIDKey's vendor call, on both of its roads: in process, and (in a 64-bit
// process whose vendor library is a 32-bit DLL) through morvalith-vendor32.exe
// beside the library, whose own code the machine runs in a child process.
// As the host, the helper, the vendor library and the user see it.
#include <functional>

#include "harness.h"
#include "lifecycle/vendor.h"
#include "morvalith.h"

using namespace harness;

namespace {

std::array<uint8_t, 32> HelperKey()
{
    std::array<uint8_t, 32> key;
    for (size_t i = 0; i < key.size(); ++i) key[i] = (uint8_t)(0x91 + 5 * i);
    return key;
}

// The flash disk's removable volume under letter instead of E.
void OnLetter(sim::Machine &m, char letter)
{
    sim::Drive e = m.drives['E'];
    m.drives.erase('E');
    m.drives[letter] = e;
}

// 64-bit XP (5.2) with the flash disk under E: and a vendor library of the
// given size (0: the process's own).
sim::Machine WithVendor(int bits)
{
    sim::Machine m = sim::DefaultMachine();
    m.minor = 2;
    m.build = 3790;
    m.vendor.bits = bits;
    m.vendor.key = HelperKey();
    return m;
}

// The helper's file: beside the library.
std::string HelperPath(const sim::Machine &m)
{
    return m.libraryPath.substr(0, m.libraryPath.rfind('\\') + 1) + MORVALITH_VENDOR_HELPER;
}

// A host's GetIDKey into key[4..36) with sentinels around it.
int KeyRun(const sim::Machine &m, unsigned char key[40], const std::function<void()> &before = {})
{
    Boot(m);
    EXPECT_TRUE(AttachLibrary().result);
    if (before) before();
    std::memset(key, 0xCC, 40);
    int result = GetIDKey(key + 4);
    DetachLibrary();
    return result;
}

std::vector<uint8_t> Answer(uint32_t outcome)
{
    std::vector<uint8_t> bytes(4);
    std::memcpy(bytes.data(), &outcome, 4);
    return bytes;
}

const char *const kNoLibrary = MORVALITH_NO_VENDOR_LIBRARY_BOX;
const char *const kNoEntryPoint = MORVALITH_NO_VENDOR_ENTRY_POINT_BOX;

struct VendorRoad {
    const char *name;
    std::function<void(sim::Machine &)> change;
    int result;          // GetIDKey's
    const char *box;     // the box the user sees; nullptr: none
    bool called;         // the vendor's entry point was called
    bool started;        // the helper was started
    int runningAfter;    // processes still running after the call
};

void ExpectRoad(const VendorRoad &r, int vendorBits)
{
    SCOPED_TRACE(r.name);
    sim::Machine m = WithVendor(vendorBits);
    r.change(m);
    unsigned char key[40];
    EXPECT_EQ(KeyRun(m, key), r.result);
    std::vector<uint8_t> want(40, 0xCC);
    if (r.result) std::copy(m.vendor.key.begin(), m.vendor.key.end(), want.begin() + 4);
    EXPECT_EQ(std::vector<uint8_t>(key, key + 40), want) << "exactly the key, or nothing";
    ASSERT_EQ(sim::MessageBoxes().size(), r.box ? 1u : 0u);
    if (r.box) EXPECT_EQ(sim::MessageBoxes()[0].text, r.box);
    ASSERT_EQ(sim::VendorCalls().size(), r.called ? 1u : 0u);
    if (r.called) {
        const sim::VendorCall &call = sim::VendorCalls()[0];
        EXPECT_EQ(call.letter, 'E');
        EXPECT_EQ(std::string((const char *)call.chipModel.data()), MORVALITH_CHIP_MODEL);
        EXPECT_EQ(call.chipModel, (sim::VendorCall{0, {'C', 'h', 'i', 'p', 's', 'b', 'a', 'n', 'k', 'C', 'B', 'M',
                                                       '2', '0', '7', '6'}}.chipModel))
            << "the model text, then zeros to the buffer's end";
        EXPECT_EQ(call.bits, r.started ? 32 : (int)sizeof(void *) * 8) << "made in the helper, or in process";
    }
    EXPECT_EQ(sim::ProcessStarts().size(), r.started ? 1u : 0u);
    EXPECT_EQ(sim::RunningProcesses(), r.runningAfter);
    // Nothing open: no pipe end, process or thread handle, no attribute
    // list; a vendor library loaded in process stays loaded, as on x86.
    sim::Resources held = sim::Held();
    held.modules -= sim::ModuleReferences("vendor\\vendorufdapi.dll");
    EXPECT_EQ(held, sim::Resources{});
}

auto Same = [](sim::Machine &) {};

// Both roads alike, as the user and the vendor library see them.
TEST(VendorCall, EveryRoadInProcess)
{
    const std::vector<VendorRoad> roads = {
        {"the vendor library answers", Same, 1, nullptr, true, false, 0},
        {"no vendor library", [](sim::Machine &m) { m.vendor.installed = false; }, 0, kNoLibrary, false, false, 0},
        {"it lacks the entry point", [](sim::Machine &m) { m.vendor.hasEntryPoint = false; }, 0, kNoEntryPoint,
         false, false, 0},
        {"the vendor call fails", [](sim::Machine &m) { m.vendor.result = 7; }, 0, nullptr, true, false, 0},
        {"the call claims success without writing the record",
         [](sim::Machine &m) {
             m.vendor.writesRecord = false;
             m.vendor.key = {};
         },
         1, nullptr, true, false, 0},
    };
    for (const VendorRoad &r : roads) ExpectRoad(r, 0);
}

#if MORVALITH_64BIT

TEST(VendorCall, EveryRoadThroughTheHelper)
{
    auto overwritten = [](uint32_t outcome) {
        return [outcome](sim::Machine &m) { m.vendorHelper.overwrite = Answer(outcome); };
    };
    const std::vector<VendorRoad> roads = {
        {"the helper answers", Same, 1, nullptr, true, true, 0},
        {"the helper is missing", [](sim::Machine &m) { m.vendorHelper.installed = false; }, 0, kNoLibrary, false,
         false, 0},
        {"the library fails to load in the helper too", [](sim::Machine &m) { m.vendorHelper.vendorLoads = false; },
         0, kNoLibrary, false, true, 0},
        {"the library lacks the entry point", [](sim::Machine &m) { m.vendor.hasEntryPoint = false; }, 0,
         kNoEntryPoint, false, true, 0},
        {"no vendor library at all: no helper", [](sim::Machine &m) { m.vendor.installed = false; }, 0, kNoLibrary,
         false, false, 0},
        {"the vendor call fails", [](sim::Machine &m) { m.vendor.result = 7; }, 0, nullptr, true, true, 0},
        {"the helper crashes before writing",
         [](sim::Machine &m) {
             m.vendorHelper.writes = 0;
             m.vendorHelper.exitCode = 0xC0000005;
         },
         0, nullptr, true, true, 0},
        {"a whole answer, then a crash", [](sim::Machine &m) { m.vendorHelper.exitCode = 0xC0000005; }, 0, nullptr,
         true, true, 0},
        {"a short answer", [](sim::Machine &m) { m.vendorHelper.writes = 39; }, 0, nullptr, true, true, 0},
        {"an answer of no outcome the library knows", overwritten(3), 0, nullptr, true, true, 0},
        {"an answer of an outcome far out of range", overwritten(0xFFFFFFFF), 0, nullptr, true, true, 0},
        {"an answer that says the library is missing", overwritten(kVendorNoLibrary), 0, kNoLibrary, true, true, 0},
        {"an answer that says the entry point is missing", overwritten(kVendorNoEntryPoint), 0, kNoEntryPoint, true,
         true, 0},
        // The documented wait, 60 s: a helper that ends within it answers,
        // one that takes longer is ended.
        {"the helper takes the whole wait", [](sim::Machine &m) { m.vendorHelper.takesMs = 60000; }, 1, nullptr,
         true, true, 0},
        {"the helper takes longer than the wait", [](sim::Machine &m) { m.vendorHelper.takesMs = 60001; }, 0,
         nullptr, true, true, 0},
        {"the helper hangs", [](sim::Machine &m) { m.vendorHelper.hangs = true; }, 0, nullptr, true, true, 0},
        {"the helper hangs and outlives its ending",
         [](sim::Machine &m) {
             m.vendorHelper.hangs = true;
             m.vendorHelper.survivesTerminate = true;
         },
         0, nullptr, true, true, 1},
    };
    for (const VendorRoad &r : roads) ExpectRoad(r, 32);
}

// Its file beside the library, whatever the letter and the folder, with the
// letter alone on its command line; a path the system cuts short, or one
// without room for the helper's name, starts nothing.
TEST(VendorCall, TheHelperIsStartedBesideTheLibraryWithTheLetter)
{
    // A folder of n characters, its backslash included.
    auto folder = [](size_t n) { return "C:\\" + std::string(n - 4, 'f') + "\\"; };
    const size_t longest = MAX_PATH - sizeof(MORVALITH_VENDOR_HELPER);  // the helper's path: 259 characters
    struct Case {
        const char *name;
        std::string library;
        char letter;
        bool started;
    };
    const std::vector<Case> cases = {
        {"the usual place, A", "C:\\Program Files\\Host\\Morvalith.dll", 'A', true},
        {"the usual place, Z", "C:\\Program Files\\Host\\Morvalith.dll", 'Z', true},
        {"the longest folder that leaves room for the terminator", folder(longest) + "Morvalith.dll", 'E', true},
        {"one more character", folder(longest + 1) + "Morvalith.dll", 'E', false},
        {"a renamed library in the longest folder", folder(longest) + "M.dll", 'E', true},
        {"a path the system cuts short in its name", folder(250) + "Morvalith.dll", 'E', false},
        {"a path the system cuts short in its folder",
         "C:\\" + std::string(300, 'f') + "\\Morvalith.dll", 'E', false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Machine m = WithVendor(32);
        m.libraryPath = c.library;
        OnLetter(m, c.letter);
        unsigned char key[40];
        EXPECT_EQ(KeyRun(m, key), c.started ? 1 : 0);
        EXPECT_EQ(sim::CallCount("CreateProcessA"), c.started ? 1 : 0) << "nothing started";
        EXPECT_EQ(sim::MessageBoxes().size(), c.started ? 0u : 1u);
        if (!c.started) continue;
        ASSERT_EQ(sim::ProcessStarts().size(), 1u);
        const sim::ProcessStart &s = sim::ProcessStarts()[0];
        EXPECT_EQ(s.application, HelperPath(m));
        EXPECT_EQ(s.commandLine, "\"" + HelperPath(m) + "\" " + c.letter);
        ASSERT_EQ(sim::VendorCalls().size(), 1u);
        EXPECT_EQ(sim::VendorCalls()[0].letter, c.letter);
    }
}

// Hidden, with the pipe's write end as its standard output and nothing else
// of the host's: on Vista and later through a handle list, before it
// through inheriting every inheritable handle of the host (the only way
// there), and so too where the list cannot be made.
TEST(VendorCall, TheHelperInheritsThePipeAndNothingElseWhereTheSystemCan)
{
    struct Case {
        const char *name;
        uint32_t major;
        const char *failing;  // an operation of the list's that fails
        const char *missing;  // an entry point of the list's that kernel32 lacks
        bool list;
    };
    const std::vector<Case> cases = {
        {"64-bit XP: no list", 5, nullptr, nullptr, false},
        {"Vista: the list", 6, nullptr, nullptr, true},
        {"Vista, the list not made", 6, "InitializeProcThreadAttributeList", nullptr, false},
        {"Vista, the handle refused", 6, "UpdateProcThreadAttribute", nullptr, false},
        {"Vista, kernel32 without an entry point of the list's", 6, nullptr, "DeleteProcThreadAttributeList", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Machine m = WithVendor(32);
        if (c.major == 6) {
            m.major = 6;
            m.minor = 1;
            AddAutorunCdrom(m, 'F', "cdrom");
            if (c.missing) m.missingEntryPoints["kernel32.dll"].insert(c.missing);
            // Vista matches a volume on its own identifier, which names the disk.
            m.volumes[0].deviceId = "STORAGE\\Volume\\_??_USBSTOR#DISK&VEN_GENERIC#7&1A2B3C4D&0#{53F56307}";
        }
        unsigned char key[40];
        HANDLE hostOwn = nullptr;
        EXPECT_EQ(KeyRun(m, key,
                         [&] {
                             // An inheritable handle the host made for a process of its own.
                             SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
                             hostOwn = CreateEventA(&inherit, TRUE, FALSE, nullptr);
                             if (c.failing) sim::FailCall(c.failing, sim::CallCount(c.failing) + 1);
                         }),
                  1);
        ASSERT_EQ(sim::ProcessStarts().size(), 1u);
        const sim::ProcessStart &s = sim::ProcessStarts()[0];
        EXPECT_TRUE(s.inheritHandles);
        EXPECT_EQ(s.handleList, c.list);
        EXPECT_EQ(s.inherited, c.list ? 1 : 2) << "the write end alone, or with the host's own";
        EXPECT_TRUE(s.stdOutputIsPipe);
        EXPECT_EQ(s.flags, (DWORD)(CREATE_NO_WINDOW | (c.list ? EXTENDED_STARTUPINFO_PRESENT : 0)));
        EXPECT_EQ(s.startupFlags, (DWORD)(STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW));
        EXPECT_EQ(s.showWindow, SW_HIDE);
        CloseHandle(hostOwn);
        EXPECT_TRUE(NothingHeld());
    }
}

// Any call of the road failing: GetIDKey returns 0 with the key untouched,
// the box only where the helper could not be started, nothing left open.
TEST(VendorCall, AFailingCallOnTheHelperRoadLeavesNothingOpen)
{
    const std::map<std::string, bool> calls = {
        {"GetModuleFileNameA", true}, {"CreatePipe", true},          {"SetHandleInformation", true},
        {"CreateProcessA", true},     {"WaitForSingleObject", false}, {"GetExitCodeProcess", false},
        {"ReadFile", false}};
    for (const auto &[operation, box] : calls) {
        SCOPED_TRACE(operation);
        unsigned char key[40];
        EXPECT_EQ(KeyRun(WithVendor(32), key, [&] { sim::FailCall(operation, sim::CallCount(operation) + 1); }), 0);
        EXPECT_EQ(std::vector<uint8_t>(key, key + 40), std::vector<uint8_t>(40, 0xCC));
        EXPECT_EQ(sim::MessageBoxes().size(), box ? 1u : 0u);
        if (box) EXPECT_EQ(sim::MessageBoxes()[0].text, kNoLibrary);
        // Without the library's own path nothing is started: a bare name
        // would start whatever program of that name the current folder holds.
        if (box) EXPECT_EQ(sim::CallCount("CreateProcessA"), operation == "CreateProcessA" ? 1 : 0);
        EXPECT_EQ(sim::RunningProcesses(), 0);
        EXPECT_TRUE(NothingHeld());
    }
}

// The helper's own command line, as Windows may hand it over.
TEST(VendorCall, TheHelperTakesTheLetterAloneFromItsCommandLine)
{
    const std::vector<std::pair<std::string, char>> lines = {
        {"\"C:\\x y\\morvalith-vendor32.exe\" E", 'E'}, {"morvalith-vendor32.exe\tA", 'A'},
        {"\"C:\\h\\morvalith-vendor32.exe\"   Z  ", 'Z'}, {"\"C:\\h\\morvalith-vendor32.exe\" e", 0},
        {"\"C:\\h\\morvalith-vendor32.exe\" EF", 0},     {"\"C:\\h\\morvalith-vendor32.exe\" @", 0},
        {"\"C:\\h\\morvalith-vendor32.exe\" [", 0},      {"\"C:\\h\\morvalith-vendor32.exe\"", 0},
        {"\"C:\\h\\morvalith-vendor32.exe", 0},          {"", 0},
    };
    for (const auto &[line, letter] : lines) {
        SCOPED_TRACE(line);
        sim::Reset(WithVendor(0));
        HANDLE readEnd, writeEnd;
        ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
        EXPECT_EQ(RunVendorHelper(line.c_str(), writeEnd), letter ? 0u : 2u);
        CloseHandle(writeEnd);
        VendorAnswer answer{};
        DWORD read = 0;
        BOOL got = ReadFile(readEnd, &answer, sizeof(answer), &read, nullptr);
        EXPECT_EQ(read, letter ? sizeof(answer) : 0u);
        if (got && read == sizeof(answer)) EXPECT_EQ(answer.outcome, kVendorCalled);
        ASSERT_EQ(sim::VendorCalls().size(), letter ? 1u : 0u);
        if (letter) EXPECT_EQ(sim::VendorCalls()[0].letter, letter);
        CloseHandle(readEnd);
    }
    EXPECT_EQ(RunVendorHelper(nullptr, nullptr), 2u);
}

// What the helper writes to the pipe, byte for byte: the outcome, the call's
// result or the load's error, and the key only where the call gave one;
// nothing of its stack besides (the stack below is dirtied first).
__attribute__((noinline)) void DirtyTheStack()
{
    volatile uint8_t area[16 * 1024];
    for (size_t i = 0; i < sizeof(area); ++i) area[i] = 0xEE;
}

TEST(VendorCall, TheHelpersAnswerByteForByte)
{
    struct Case {
        const char *name;
        std::function<void(sim::Machine &)> change;
        uint32_t outcome;
        int32_t result;
        bool key;
    };
    const std::vector<Case> cases = {
        {"the key", Same, kVendorCalled, 0, true},
        {"the call fails", [](sim::Machine &m) { m.vendor.result = 7; }, kVendorCalled, 7, false},
        {"no entry point", [](sim::Machine &m) { m.vendor.hasEntryPoint = false; }, kVendorNoEntryPoint, 0, false},
        {"no library", [](sim::Machine &m) { m.vendor.installed = false; }, kVendorNoLibrary, ERROR_MOD_NOT_FOUND,
         false},
        {"a library of the other size", [](sim::Machine &m) { m.vendor.bits = 32; }, kVendorNoLibrary, ERROR_BAD_EXE_FORMAT,
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Machine m = WithVendor(0);
        c.change(m);
        sim::Reset(m);
        HANDLE readEnd, writeEnd;
        ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
        DirtyTheStack();
        EXPECT_EQ(RunVendorHelper("\"C:\\h\\morvalith-vendor32.exe\" E", writeEnd), 0u);
        CloseHandle(writeEnd);
        std::vector<uint8_t> got(64, 0);
        DWORD read = 0;
        ReadFile(readEnd, got.data(), (DWORD)got.size(), &read, nullptr);
        got.resize(read);
        std::vector<uint8_t> want(40, 0);
        std::memcpy(&want[0], &c.outcome, 4);
        std::memcpy(&want[4], &c.result, 4);
        if (c.key) std::copy(m.vendor.key.begin(), m.vendor.key.end(), want.begin() + 8);
        EXPECT_EQ(got, want);
        CloseHandle(readEnd);
    }
}

#else

// A 32-bit process cannot load a 64-bit vendor library either, and has no
// helper for it: the box of a library that cannot be loaded.
TEST(VendorCall, A32BitLibraryShowsTheBoxForA64BitVendorLibrary)
{
    ExpectRoad({"a 64-bit vendor library", [](sim::Machine &m) { m.vendor.bits = 64; }, 0, kNoLibrary, false, false,
                0},
               0);
}

#endif

TEST(VendorCall, WipeBytesClearsEveryByteAndNoMore)
{
    for (size_t n : {1u, 31u, 40u, 268u}) {
        std::vector<uint8_t> bytes(n + 1, 0x5A);
        WipeBytes(bytes.data(), n);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), std::vector<uint8_t>(n, 0)) << n;
        EXPECT_EQ(bytes.back(), 0x5A) << n;
    }
}

// No copy of the key stays in the stack the call used, on either road: the
// record, the helper's answer and every frame of ours are wiped.
__attribute__((noinline)) int KeyInAFrameOfItsOwn(unsigned char *key) { return GetIDKey(key); }

__attribute__((noinline, no_sanitize_address)) bool StackBelowHolds(const std::array<uint8_t, 32> &key)
{
    volatile uint8_t area[256 * 1024];  // not written: what the calls below left there
    for (size_t i = 0; i + key.size() <= sizeof(area); ++i) {
        size_t n = 0;
        while (n < key.size() && area[i + n] == key[n]) ++n;
        if (n == key.size()) return true;
    }
    return false;
}

__attribute__((noinline)) DWORD HelperInAFrameOfItsOwn(HANDLE output)
{
    return RunVendorHelper("\"C:\\Host\\morvalith-vendor32.exe\" E", output);
}

TEST(VendorCall, NoCopyOfTheKeyStaysInTheStack)
{
    {
        SCOPED_TRACE("the helper's own code");
        sim::Machine m = WithVendor(0);
        Boot(m);
        HANDLE readEnd, writeEnd;
        ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
        DWORD code = HelperInAFrameOfItsOwn(writeEnd);
        bool held = StackBelowHolds(m.vendor.key);
        EXPECT_EQ(code, 0u);
        EXPECT_FALSE(held);
        CloseHandle(writeEnd);
        CloseHandle(readEnd);
    }
    for (int bits : {0, MORVALITH_64BIT ? 32 : 0}) {
        SCOPED_TRACE(bits ? "through the helper" : "in process");
        sim::Machine m = WithVendor(bits);
        Boot(m);
        ASSERT_TRUE(AttachLibrary().result);
        std::vector<unsigned char> key(32);
        // Nothing between the call and the look: a frame of the test's own
        // would overwrite what it left.
        int result = KeyInAFrameOfItsOwn(key.data());
        bool held = StackBelowHolds(m.vendor.key);
        ASSERT_EQ(result, 1);
        EXPECT_TRUE(std::equal(key.begin(), key.end(), m.vendor.key.begin()));
        EXPECT_FALSE(held);
        DetachLibrary();
    }
}

}  // namespace
