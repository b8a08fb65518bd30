// GetUSBDriveLetter and GetIDKey as a host calls them, with the vendor
// product-information library and the user's message boxes observed.
#include <type_traits>

#include "harness.h"
#include "morvalith.h"

using namespace harness;

namespace {

// The conventions are part of the interface: pin them at compile time (x86
// has two; 64-bit Windows, one).
#if defined(__i386__)
static_assert(std::is_same_v<decltype(&GetIDKey), int(__attribute__((stdcall)) *)(unsigned char *)>);
static_assert(std::is_same_v<decltype(&GetUSBDriveLetter), char(__attribute__((cdecl)) *)(void)>);
#else
static_assert(std::is_same_v<decltype(&GetIDKey), int (*)(unsigned char *)>);
static_assert(std::is_same_v<decltype(&GetUSBDriveLetter), char (*)(void)>);
#endif
static_assert(std::is_same_v<decltype(&GetIDKey), MorvalithGetIDKeyFn>);
static_assert(std::is_same_v<decltype(&GetUSBDriveLetter), MorvalithGetUSBDriveLetterFn>);

const char kVendorModule[] = "vendor\\vendorufdapi.dll";

// XP, one flash disk with a removable volume under each of letters.
sim::Machine MachineWithVolumes(const std::string &letters)
{
    sim::Machine m = sim::DefaultMachine();
    m.drives.erase('E');
    for (char letter : letters) m.drives[letter] = sim::Drive{DRIVE_REMOVABLE, m.volumes[0].volumeName, ""};
    return m;
}

std::array<uint8_t, 32> Key()
{
    std::array<uint8_t, 32> key;
    for (size_t i = 0; i < key.size(); ++i) key[i] = (uint8_t)(0x40 + 3 * i);
    return key;
}

struct Guarded {
    unsigned char bytes[48];
    Guarded() { std::memset(bytes, 0xCC, sizeof(bytes)); }
    unsigned char *Key() { return bytes + 8; }
    bool Untouched() const
    {
        for (unsigned char b : bytes)
            if (b != 0xCC) return false;
        return true;
    }
};

// What the user sees: an "Error" box with no owner and a single OK button.
void ExpectErrorBox(const sim::MessageBoxRecord &box, const std::string &text)
{
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.style, 0u);
}

TEST(Exports, WithoutAFlashDiskBothReturnZeroQuietly)
{
    sim::Machine m = sim::DefaultMachine();
    m.disks.clear();
    Boot(m);
    EXPECT_EQ(GetUSBDriveLetter(), 0);
    Guarded key;
    EXPECT_EQ(GetIDKey(key.Key()), 0);
    EXPECT_TRUE(key.Untouched());
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(sim::CallCount("LoadLibraryA"), 0);
    EXPECT_TRUE(NothingHeld());
}

TEST(Exports, TheLowestLetterOfTheFirstDiskWithOne)
{
    Boot(MachineWithVolumes("KG"));
    EXPECT_EQ(GetUSBDriveLetter(), 'G');

    sim::Machine two = sim::DefaultMachine();
    std::string second = "\\\\?\\usbstor#disk&ven_generic&prod_flash_disk&rev_8.01#7&ffff&0";
    two.disks.push_back({second + kDiskClassSuffix, ""});
    two.volumes.push_back({"\\\\?\\storage#removablemedia#9&1" + std::string(kVolumeClassSuffix), "STORAGE\\X",
                           "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01\\7&FFFF&0", "\\\\?\\Volume{b}\\"});
    two.drives['B'] = sim::Drive{DRIVE_REMOVABLE, "\\\\?\\Volume{b}\\", ""};
    Boot(two);
    EXPECT_EQ(GetUSBDriveLetter(), 'E') << "the first disk's letter, though B is lower";
    two.drives.erase('E');
    Boot(two);
    EXPECT_EQ(GetUSBDriveLetter(), 'B');
    EXPECT_TRUE(NothingHeld());
}

TEST(Exports, GetIDKeyHandsTheVendorLibraryTheLetterAndChipModelAndCopiesExactlyTheKey)
{
    sim::Machine m = MachineWithVolumes("F");
    m.vendor.key = Key();
    Boot(m);
    Guarded key;
    EXPECT_EQ(GetIDKey(key.Key()), 1);
    const std::array<uint8_t, 32> expected = Key();
    EXPECT_EQ(std::vector<uint8_t>(key.Key(), key.Key() + 32), std::vector<uint8_t>(expected.begin(), expected.end()));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(key.bytes[i], 0xCC) << "guard before, byte " << i;
    for (int i = 40; i < 48; ++i) EXPECT_EQ(key.bytes[i], 0xCC) << "guard after, byte " << i;

    const auto &calls = sim::VendorCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].letter, 'F');
    std::array<uint8_t, 255> chip{};
    std::memcpy(chip.data(), "ChipsbankCBM2076", 16);
    EXPECT_EQ(calls[0].chipModel, chip);
    EXPECT_NE(calls[0].record, 0u);
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST(Exports, TheVendorLibraryIsLoadedOnEveryCallAndNeverUnloaded)
{
    Boot(sim::DefaultMachine());
    unsigned char key[32];
    EXPECT_EQ(GetIDKey(key), 1);
    EXPECT_EQ(GetIDKey(key), 1);
    EXPECT_EQ(sim::ModuleReferences(kVendorModule), 2);
    sim::Resources held = sim::Held();
    EXPECT_EQ(held.modules, 2) << "only the vendor library's references";
    held.modules = 0;
    EXPECT_EQ(held, sim::Resources{});
}

TEST(Exports, AMissingVendorLibraryShowsOneBoxPerCall)
{
    sim::Machine m = sim::DefaultMachine();
    m.vendor.installed = false;
    Boot(m);
    Guarded key;
    EXPECT_EQ(GetIDKey(key.Key()), 0);
    EXPECT_EQ(GetIDKey(key.Key()), 0);
    EXPECT_TRUE(key.Untouched());
    ASSERT_EQ(sim::MessageBoxes().size(), 2u);
    for (const sim::MessageBoxRecord &box : sim::MessageBoxes()) ExpectErrorBox(box, "Load VendorUFDAPI.dll failed!");
    EXPECT_TRUE(NothingHeld());
}

TEST(Exports, AMissingEntryPointShowsTheOtherBox)
{
    sim::Machine m = sim::DefaultMachine();
    m.vendor.hasEntryPoint = false;
    Boot(m);
    Guarded key;
    EXPECT_EQ(GetIDKey(key.Key()), 0);
    EXPECT_TRUE(key.Untouched());
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    ExpectErrorBox(sim::MessageBoxes()[0], "Load Dll Error!");
}

// USER32 is not imported: it is loaded for the box and released at once, and
// a box that cannot be shown leaves the failure result as it was.
TEST(Exports, TheErrorBoxLoadsUser32OnlyForItsMomentAndFailsQuietlyWithoutIt)
{
    struct Road {
        const char *what;
        bool vendorInstalled;
        const char *text;
    };
    for (const Road &road : {Road{"no vendor library", false, "Load VendorUFDAPI.dll failed!"},
                             Road{"no entry point", true, "Load Dll Error!"}}) {
        int user32Load = 0;  // which LoadLibraryA is user32's, from the run that shows the box
        for (const char *lack : {"", "module", "entry point", "load fails"}) {
            SCOPED_TRACE(std::string(road.what) + ", user32 lacks: " + lack);
            sim::Machine m = sim::DefaultMachine();
            m.vendor.installed = road.vendorInstalled;
            m.vendor.hasEntryPoint = false;
            if (!std::strcmp(lack, "module")) m.absentModules.insert("user32.dll");
            if (!std::strcmp(lack, "entry point")) m.missingEntryPoints["user32.dll"].insert("MessageBoxA");
            Boot(m);
            if (!std::strcmp(lack, "load fails")) sim::FailCall("LoadLibraryA", user32Load);
            sim::TraceCalls(true);
            Guarded key;
            EXPECT_EQ(GetIDKey(key.Key()), 0);
            sim::TraceCalls(false);
            EXPECT_TRUE(key.Untouched());
            if (!*lack) {
                ASSERT_EQ(sim::MessageBoxes().size(), 1u);
                ExpectErrorBox(sim::MessageBoxes()[0], road.text);
                user32Load = sim::CallCount("LoadLibraryA");
            } else {
                EXPECT_TRUE(sim::MessageBoxes().empty());
            }
            std::string lastLoad;
            for (const std::string &line : sim::Trace())
                if (line.rfind("LoadLibraryA(", 0) == 0) lastLoad = line.substr(0, line.find(" ="));
            EXPECT_EQ(lastLoad, "LoadLibraryA(\"user32.dll\")") << "loaded after the vendor library failed";
            EXPECT_EQ(sim::ModuleReferences("user32.dll"), 0) << "released after the box";
        }
    }
}

TEST(Exports, AFailingVendorCallReturnsZeroWithoutABox)
{
    for (int result : {1, -1, 0x7F}) {
        sim::Machine m = sim::DefaultMachine();
        m.vendor.result = result;
        Boot(m);
        Guarded key;
        EXPECT_EQ(GetIDKey(key.Key()), 0) << result;
        EXPECT_TRUE(key.Untouched()) << result;
        EXPECT_TRUE(sim::MessageBoxes().empty()) << result;
        EXPECT_EQ(sim::VendorCalls().size(), 1u);
    }
}

TEST(Exports, AVendorLibraryThatClaimsSuccessWithoutWritingGivesZeros)
{
    sim::Machine m = sim::DefaultMachine();
    m.vendor.writesRecord = false;
    Boot(m);
    Guarded key;
    EXPECT_EQ(GetIDKey(key.Key()), 1);
    EXPECT_EQ(std::vector<uint8_t>(key.Key(), key.Key() + 32), std::vector<uint8_t>(32, 0));
}

TEST(Exports, ANullKeyReturnsZeroBeforeTouchingAnything)
{
    Boot(sim::DefaultMachine());
    EXPECT_EQ(GetIDKey(nullptr), 0);
    EXPECT_TRUE(sim::CallLog().empty());
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST(Exports, DoNotUseTheBindingsState)
{
    Boot(sim::DefaultMachine());
    ASSERT_TRUE(AttachLibrary().result);
    LibraryState before = g_library;
    unsigned char key[32];
    EXPECT_EQ(GetIDKey(key), 1);
    EXPECT_EQ(std::memcmp(&before, &g_library, sizeof(before)), 0);
    DetachLibrary();
}

TEST(ExportsFaults, EveryPlatformFailureGivesZeroOrTheKeyAndLeaksNothing)
{
    Boot(sim::DefaultMachine());
    unsigned char key[32];
    ASSERT_EQ(GetIDKey(key), 1);
    for (const auto &[op, count] : FaultPoints()) {
        for (int n = 1; n <= count; ++n) {
            Boot(sim::DefaultMachine());
            sim::FailCall(op, n);
            Guarded guarded;
            int ok = GetIDKey(guarded.Key());
            std::string where = op + " #" + std::to_string(n);
            if (ok) EXPECT_EQ(guarded.Key()[0], sim::DefaultMachine().vendor.key[0]) << where;
            else EXPECT_TRUE(guarded.Untouched()) << where;
            sim::Resources held = sim::Held();
            held.modules -= sim::ModuleReferences(kVendorModule);
            EXPECT_EQ(held, sim::Resources{}) << where;
        }
    }
}

}  // namespace
