// GetIDKey in a 64-bit process whose vendor library is a 32-bit DLL: the one
// vendor call through morvalith-vendor32.exe beside the library, as the
// host, the helper and the user see it, and every road's handles closed.
#include <functional>

#include "harness.h"
#include "morvalith.h"

using namespace harness;

namespace {

#if MORVALITH_64BIT

std::array<uint8_t, 32> Key()
{
    std::array<uint8_t, 32> key;
    for (size_t i = 0; i < key.size(); ++i) key[i] = (uint8_t)(0x91 + 5 * i);
    return key;
}

// 64-bit XP (5.2) with the flash disk under E: and a 32-bit vendor library.
sim::Machine WithVendor32()
{
    sim::Machine m = sim::DefaultMachine();
    m.minor = 2;
    m.build = 3790;
    m.vendor.bits = 32;
    m.vendor.key = Key();
    return m;
}

struct Road {
    const char *name;
    std::function<void(sim::Machine &)> change;
    int result;        // GetIDKey's
    const char *box;   // the box the user sees; nullptr: none
    bool called;       // the vendor's entry point was called (in the helper)
};

int KeyRun(const sim::Machine &m, unsigned char key[40], const std::function<void()> &before = {})
{
    Boot(m);
    EXPECT_TRUE(AttachLibrary().result);
    if (before) before();
    int result = GetIDKey(key + 4);
    DetachLibrary();
    return result;
}

TEST(Helper, EveryRoadOfTheVendorCallThroughTheHelper)
{
    const char *noLibrary = MORVALITH_NO_VENDOR_LIBRARY_BOX, *noEntryPoint = MORVALITH_NO_VENDOR_ENTRY_POINT_BOX;
    const std::vector<Road> roads = {
        {"the helper answers", [](sim::Machine &) {}, 1, nullptr, true},
        {"the helper is missing", [](sim::Machine &m) { m.vendorHelper.installed = false; }, 0, noLibrary, false},
        {"the library fails to load in the helper too", [](sim::Machine &m) { m.vendorHelper.vendorLoads = false; },
         0, noLibrary, false},
        {"the library lacks the entry point", [](sim::Machine &m) { m.vendor.hasEntryPoint = false; }, 0,
         noEntryPoint, false},
        {"the vendor call fails", [](sim::Machine &m) { m.vendor.result = 7; }, 0, nullptr, true},
        {"the helper crashes before writing", [](sim::Machine &m) {
             m.vendorHelper.writes = 0;
             m.vendorHelper.exitCode = 0xC0000005;
         }, 0, nullptr, true},
        {"a whole record, then a crash", [](sim::Machine &m) { m.vendorHelper.exitCode = 0xC0000005; }, 0, nullptr,
         true},
        {"a short record", [](sim::Machine &m) { m.vendorHelper.writes = 39; }, 0, nullptr, true},
        {"the helper hangs", [](sim::Machine &m) { m.vendorHelper.hangs = true; }, 0, nullptr, true},
    };
    for (const Road &r : roads) {
        SCOPED_TRACE(r.name);
        sim::Machine m = WithVendor32();
        r.change(m);
        unsigned char key[40];
        std::memset(key, 0xCC, sizeof(key));
        EXPECT_EQ(KeyRun(m, key), r.result);
        std::vector<uint8_t> want(40, 0xCC);
        if (r.result) std::copy(m.vendor.key.begin(), m.vendor.key.end(), want.begin() + 4);
        EXPECT_EQ(std::vector<uint8_t>(key, key + 40), want) << "exactly the key, or nothing";
        ASSERT_EQ(sim::MessageBoxes().size(), r.box ? 1u : 0u);
        if (r.box) EXPECT_EQ(sim::MessageBoxes()[0].text, r.box);
        EXPECT_EQ(sim::VendorCalls().size(), r.called ? 1u : 0u);
        if (r.called) EXPECT_EQ(sim::VendorCalls()[0].letter, 'E');
        EXPECT_EQ(sim::CallCount("TerminateProcess"), m.vendorHelper.hangs ? 1 : 0);
        // Nothing open: no pipe end, process or thread handle; no module kept
        // (the vendor library was never loaded in this process).
        EXPECT_TRUE(NothingHeld());
    }
}

// The helper is started as the design has it: beside the library, with the
// letter alone on its command line, hidden, and inheriting only the pipe's
// write end as its standard output.
TEST(Helper, IsStartedBesideTheLibraryWithTheLetterAndOnlyThePipe)
{
    unsigned char key[40];
    EXPECT_EQ(KeyRun(WithVendor32(), key), 1);
    ASSERT_EQ(sim::ProcessStarts().size(), 1u);
    const sim::ProcessStart &s = sim::ProcessStarts()[0];
    EXPECT_EQ(s.application, sim::kVendorHelperPath);
    EXPECT_EQ(s.commandLine, "\"" + std::string(sim::kVendorHelperPath) + "\" E");
    EXPECT_TRUE(s.inheritHandles);
    EXPECT_EQ(s.inheritable, 1) << "the write end alone";
    EXPECT_TRUE(s.stdOutputIsPipe);
    EXPECT_EQ(s.flags, (DWORD)CREATE_NO_WINDOW);
    EXPECT_EQ(s.startupFlags, (DWORD)(STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW));
    EXPECT_EQ(s.showWindow, SW_HIDE);
}

// A 64-bit vendor library is called in process, as on x86: no helper.
TEST(Helper, A64BitVendorLibraryIsCalledInProcess)
{
    sim::Machine m = WithVendor32();
    m.vendor.bits = 64;
    unsigned char key[40];
    EXPECT_EQ(KeyRun(m, key), 1);
    EXPECT_TRUE(sim::ProcessStarts().empty());
    EXPECT_EQ(sim::ModuleReferences("vendor\\vendorufdapi.dll"), 1) << "it stays loaded, as on x86";
}

// Any call of the road failing: GetIDKey returns 0 with the key untouched,
// the box only where the helper could not be started, nothing left open.
TEST(Helper, AFailingCallOnTheRoadLeavesNothingOpen)
{
    const std::map<std::string, bool> calls = {
        {"GetModuleFileNameA", true}, {"CreatePipe", true},          {"SetHandleInformation", true},
        {"CreateProcessA", true},     {"WaitForSingleObject", false}, {"GetExitCodeProcess", false},
        {"ReadFile", false}};
    for (const auto &[operation, box] : calls) {
        SCOPED_TRACE(operation);
        unsigned char key[40];
        std::memset(key, 0xCC, sizeof(key));
        EXPECT_EQ(KeyRun(WithVendor32(), key, [&] { sim::FailCall(operation, sim::CallCount(operation) + 1); }), 0);
        EXPECT_EQ(std::vector<uint8_t>(key, key + 40), std::vector<uint8_t>(40, 0xCC));
        EXPECT_EQ(sim::MessageBoxes().size(), box ? 1u : 0u);
        if (box) EXPECT_EQ(sim::MessageBoxes()[0].text, MORVALITH_NO_VENDOR_LIBRARY_BOX);
        EXPECT_TRUE(NothingHeld());
    }
}

#else

// A 32-bit process cannot load a 64-bit vendor library either, and has no
// helper for it: the box of a library that cannot be loaded.
TEST(Helper, A32BitLibraryShowsTheBoxForA64BitVendorLibrary)
{
    sim::Machine m = sim::DefaultMachine();
    m.vendor.bits = 64;
    Boot(m);
    unsigned char key[32];
    EXPECT_EQ(GetIDKey(key), 0);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, MORVALITH_NO_VENDOR_LIBRARY_BOX);
    EXPECT_TRUE(sim::ProcessStarts().empty());
}

#endif

}  // namespace
