// The drive-letter resolver: which letters come back, in what order, and
// what is left held, on described machines.
#include <map>

#include "discovery/resolver.h"
#include "harness.h"

using namespace harness;

namespace {

const char kProduct[] = "usbstor#disk&ven_generic&prod_flash_disk&rev_8.01";

std::string VolumeName(int n)
{
    char text[64];
    std::snprintf(text, sizeof(text), "\\\\?\\Volume{%08x-1111-2222-3333-444455556666}\\", n);
    return text;
}

// A machine with flash disks (by instance) and their volumes; volumes are
// matched through the parent identifier on XP and their own on Vista and
// later, so both carry the disk's instance.
struct Rig {
    sim::Machine m;
    int volumes = 0;

    explicit Rig(DWORD major = 5) : m(Windows(major, major == 5 ? 1 : 0)) {}

    Rig &Disk(const std::string &instance, const std::string &product = kProduct)
    {
        m.disks.push_back({DiskPath(product, instance), ""});
        return *this;
    }
    // A volume of the disk with that instance, mounted under the letters given.
    Rig &Volume(const std::string &instance, const std::string &letters, UINT type = DRIVE_REMOVABLE)
    {
        int n = ++volumes;
        std::string name = VolumeName(n);
        std::string upper = instance;
        for (char &c : upper) c = (char)std::toupper((unsigned char)c);
        m.volumes.push_back({"\\\\?\\storage#removablemedia#8&" + std::to_string(n) + "&0&rm" + kVolumeClassSuffix,
                             "STORAGE\\Volume\\_??_USBSTOR#Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01#" + upper,
                             "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01\\" + upper, name});
        for (char letter : letters) m.drives[letter] = sim::Drive{type, name, ""};
        return *this;
    }
};

struct Collected {
    int count;
    std::string letters;
};

Collected Collect(const sim::Machine &m, DWORD capacity = 260)
{
    Boot(m);
    char buffer[260];
    std::memset(buffer, 0, sizeof(buffer));
    int count = CollectDriveLetters("usbstor", "disk", "_8.01", buffer, capacity);
    return {count, std::string(buffer, strnlen(buffer, sizeof(buffer)))};
}

TEST(Resolver, OneDiskWithTwoRemovableVolumes)
{
    Rig r;
    r.Disk("7&1a2b&0").Volume("7&1a2b&0", "G").Volume("7&1a2b&0", "E");
    r.m.drives['C'] = sim::Drive{DRIVE_FIXED, VolumeName(99), ""};
    Collected c = Collect(r.m);
    EXPECT_EQ(c.count, 2);
    EXPECT_EQ(c.letters, "EG");
    EXPECT_TRUE(NothingHeld());
    EXPECT_EQ(sim::CallCount("LoadLibraryA"), 2);
    EXPECT_EQ(sim::CallCount("FreeLibrary"), 2);
}

TEST(Resolver, LettersAreGroupedByDiskInEnumerationOrder)
{
    Rig r;
    r.Disk("7&aa&0").Disk("7&bb&0").Volume("7&aa&0", "H").Volume("7&bb&0", "F");
    EXPECT_EQ(Collect(r.m).letters, "HF");

    Rig second;
    second.Disk("7&aa&0").Disk("7&bb&0").Volume("7&bb&0", "F");
    Collected c = Collect(second.m);
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(c.letters, "F");
    EXPECT_TRUE(NothingHeld());
}

TEST(Resolver, AVolumeKnownUnderTwoLettersYieldsBoth)
{
    Rig r;
    r.Disk("7&1a2b&0").Volume("7&1a2b&0", "KE");
    Boot(r.m);
    EXPECT_EQ(GetInstanceDriveMask("7&1a2b&0"), (1UL << ('E' - 'A')) | (1UL << ('K' - 'A')));
    EXPECT_EQ(Collect(r.m).letters, "EK");
}

TEST(Resolver, AVolumeHoldingTheTokensOfTwoDisksCountsForEach)
{
    Rig r;
    r.Disk("7&abc&0").Disk("abc").Volume("7&abc&0", "E");
    Collected c = Collect(r.m);
    EXPECT_EQ(c.count, 2);
    EXPECT_EQ(c.letters, "EE");
}

TEST(Resolver, AnEmptyInstanceTokenMatchesEveryLetteredRemovableVolume)
{
    Rig r;
    r.m.disks.push_back({std::string("\\\\?\\") + kProduct + "x" + kDiskClassSuffix, ""});
    r.Volume("9&zz&0", "J").Volume("9&yy&0", "D");
    r.m.drives['C'] = sim::Drive{DRIVE_FIXED, VolumeName(1), ""};  // same volume as J, but fixed
    EXPECT_EQ(Collect(r.m).letters, "DJ");
}

TEST(Resolver, OnlyRemovableDrivesYieldLetters)
{
    Rig r;
    r.Disk("7&1a2b&0");
    r.Volume("7&1a2b&0", "C", DRIVE_FIXED).Volume("7&1a2b&0", "D", DRIVE_CDROM);
    r.Volume("7&1a2b&0", "N", DRIVE_REMOTE).Volume("7&1a2b&0", "R", DRIVE_RAMDISK);
    r.Volume("7&1a2b&0", "U", DRIVE_UNKNOWN);
    Collected c = Collect(r.m);
    EXPECT_EQ(c.count, 0);
    EXPECT_EQ(c.letters, "");
    EXPECT_EQ(sim::CallCount("SetupDiGetClassDevsA"), 1) << "an empty table ends before the volume list";
    EXPECT_TRUE(NothingHeld());
}

TEST(Resolver, DriveBitTwentyFiveIsZAndHigherBitsAreIgnored)
{
    Rig r;
    r.Disk("7&1a2b&0").Volume("7&1a2b&0", "Z");
    r.m.extraDriveBits = 0xFC000000;
    Collected c = Collect(r.m);
    EXPECT_EQ(c.letters, "Z");
    EXPECT_EQ(sim::CallCount("GetDriveTypeA"), 1);

    Rig high;
    high.Disk("7&1a2b&0");
    high.m.extraDriveBits = 0xFC000000;
    EXPECT_EQ(Collect(high.m).count, 0);
    EXPECT_EQ(sim::CallCount("GetDriveTypeA"), 0);
}

TEST(Resolver, XpMatchesThroughTheParentAndLaterSystemsThroughTheVolume)
{
    for (DWORD major : {5u, 6u, 10u}) {
        Rig r(major);
        r.Disk("7&1a2b&0").Volume("7&1a2b&0", "E").Volume("7&1a2b&0", "F");
        r.m.volumes[0].deviceId = "STORAGE\\RemovableMedia\\8&1&0&RM";  // only the parent holds the token
        r.m.volumes[1].parentId = "USBSTOR\\Disk&Ven_Other\\5&9&0";     // only the volume holds it
        Collected c = Collect(r.m);
        EXPECT_EQ(c.letters, major == 5 ? "E" : "F") << "major " << major;
        EXPECT_EQ(sim::CallCount("CM_Get_Parent"), major == 5 ? 2 : 0);
    }
}

TEST(Resolver, UpperCaseTokensInAPathDoNotMatch)
{
    Rig r;
    r.Disk("7&1a2b&0", "USBSTOR#DISK&VEN_GENERIC&PROD_FLASH_DISK&REV_8.01").Volume("7&1a2b&0", "E");
    r.Disk("7&1a2b&0", "usbstor#disk&ven_generic&prod_flash_disk&rev_8.00");
    EXPECT_EQ(Collect(r.m).count, 0);
    EXPECT_EQ(sim::CallCount("GetLogicalDrives"), 0);
}

TEST(InstanceToken, IsCutBetweenTheFirstRevisionTokenAndTheFirstBrace)
{
    char token[kInstanceTokenSize];
    struct Case {
        std::string path;
        int ok;
        std::string token;
    };
    const Case cases[] = {
        {"\\\\?\\usbstor#disk&ven_a&rev_8.01#7&1a2b&0#{53f56307}", 1, "7&1a2b&0"},
        {"\\\\?\\usbstor#disk&ven_a&rev_8.01#7&1#{x}#2#{y}", 1, "7&1"},
        {"\\\\?\\usbstor#disk&prod_x_8.01&rev_8.01#inst#{g}", 1, "rev_8.01#inst"},
        {"\\\\?\\usbstor#disk&rev_8.01##{g}", 1, ""},
        {"\\\\?\\usbstor#disk&rev_8.01#{g}", 0, ""},   // the brace lies before the token's start
        {"#{g}usbstor#disk&rev_8.01#7&1", 0, ""},
        {"\\\\?\\usbstor#disk&rev_8.01#7&1", 0, ""},    // no brace at all
        {"\\\\?\\usbstor#disk&rev_8.01", 0, ""},        // nothing past the revision token
        {"\\\\?\\usbstor#disk&rev_8.01#" + std::string(63, 'a') + "#{g}", 1, std::string(63, 'a')},
        {"\\\\?\\usbstor#disk&rev_8.01#" + std::string(64, 'a') + "#{g}", 0, ""},
    };
    for (const Case &c : cases) {
        std::memset(token, 'q', sizeof(token));
        EXPECT_EQ(CutInstanceToken(c.path.c_str(), "_8.01", token), c.ok) << c.path;
        EXPECT_EQ(std::string(token), c.token) << c.path;
        for (size_t i = c.token.size(); i < sizeof(token); ++i) ASSERT_EQ(token[i], 0) << c.path;
    }
}

TEST(Resolver, DisksWithoutAValidTokenAreLeftOut)
{
    Rig r;
    r.m.disks.push_back({std::string("\\\\?\\") + kProduct + "#" + std::string(64, 'a') + kDiskClassSuffix, ""});
    r.m.disks.push_back({std::string("\\\\?\\") + kProduct + "#7&1a2b&0", ""});
    r.Disk("7&1a2b&0").Volume("7&1a2b&0", "E");
    Collected c = Collect(r.m);
    EXPECT_EQ(c.letters, "E");
    EXPECT_EQ(sim::CallCount("GetLogicalDrives"), 1);
}

TEST(Resolver, AFailureAfterAppendedLettersReturnsZeroAndKeepsThem)
{
    for (const char *op : {"HeapAlloc", "SetupDiGetDeviceInterfaceDetailA"}) {
        Rig r;
        r.Disk("7&aa&0").Disk("7&bb&0").Volume("7&aa&0", "H").Volume("7&bb&0", "F");
        Boot(r.m);
        // The second disk's allocation, or its detail fetch (disk 1: query and
        // fetch, then its two volume fetches; disk 2: query and fetch).
        sim::FailCall(op, std::string(op) == "HeapAlloc" ? 2 : 6);
        char buffer[260] = {};
        EXPECT_EQ(CollectDriveLetters("usbstor", "disk", "_8.01", buffer, sizeof(buffer)), 0) << op;
        EXPECT_STREQ(buffer, "H") << op;
        EXPECT_TRUE(NothingHeld()) << op;
    }
}

TEST(Resolver, StopsAtTheBuffersCapacity)
{
    Rig r;
    r.Disk("7&aa&0").Volume("7&aa&0", "EFGH").Disk("7&bb&0").Volume("7&bb&0", "K");
    Boot(r.m);
    char buffer[8];
    std::memset(buffer, '.', sizeof(buffer));
    EXPECT_EQ(CollectDriveLetters("usbstor", "disk", "_8.01", buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 8), "EFG.....");
    EXPECT_TRUE(NothingHeld());
}

TEST(Resolver, AVolumeIsNeverMatchedOnWhatAnEarlierInterfaceLeftBehind)
{
    // Volume 1 (E) does not hold the token; volume 2 (G) does. A failed detail
    // fetch of volume 2 must not reuse volume 1's path.
    Rig path;
    path.Disk("7&aa&0").Volume("9&other&0", "E").Volume("7&aa&0", "G");
    Boot(path.m);
    sim::FailCall("SetupDiGetDeviceInterfaceDetailA", 2);
    EXPECT_EQ(GetInstanceDriveMask("7&aa&0"), 0u);

    // Volume 1 (E) holds the token; volume 2 (G) does not, and its identifier
    // or parent cannot be had: it must not be matched on volume 1's identifier.
    for (DWORD major : {5u, 6u}) {
        for (const char *op : {"CM_Get_Device_IDA", "CM_Get_Parent"}) {
            if (major == 6 && std::string(op) == "CM_Get_Parent") continue;
            Rig id(major);
            id.Disk("7&aa&0").Volume("7&aa&0", "E").Volume("9&other&0", "G");
            Boot(id.m);
            sim::FailCall(op, 2);
            EXPECT_EQ(GetInstanceDriveMask("7&aa&0"), 1UL << ('E' - 'A')) << op << " on " << major;
        }
    }
}

TEST(Resolver, AVolumeWhoseIdentifierDoesNotFitIsPassedOver)
{
    Rig r;
    r.Disk("7&aa&0").Volume("7&aa&0", "E").Volume("7&aa&0", "G");
    r.m.volumes[1].parentId += std::string(300, 'x');  // CM_Get_Device_IDA: CR_BUFFER_SMALL
    EXPECT_EQ(Collect(r.m).letters, "E");
}

TEST(Resolver, TheLongestVolumeInterfacePathStillGetsItsBackslash)
{
    Rig r;
    r.Disk("7&aa&0").Volume("7&aa&0", "E");
    std::string &path = r.m.volumes[0].path;
    path = "\\\\?\\storage#removablemedia#" + std::string(255 - 27 - 39, 'p') + kVolumeClassSuffix;
    ASSERT_EQ(path.size(), 255u);
    EXPECT_EQ(Collect(r.m).letters, "E");

    path += "q";  // 256 characters: the fixed detail record refuses it
    EXPECT_EQ(Collect(r.m).letters, "");
    EXPECT_TRUE(NothingHeld());
}

TEST(ResolverFaults, EveryFailureOfTheTablesResourcesReturnsZeroAndReleasesAll)
{
    Rig r;
    r.Disk("7&aa&0").Volume("7&aa&0", "E");
    struct Case {
        const char *op;
        int loads, frees;
    };
    for (Case c : {Case{"GetLogicalDrives", 0, 0}, Case{"LoadLibraryA", 1, 0}}) {
        Boot(r.m);
        sim::FailCall(c.op, 1);
        EXPECT_EQ(GetInstanceDriveMask("7&aa&0"), 0u) << c.op;
        EXPECT_EQ(sim::CallCount("LoadLibraryA"), c.loads) << c.op;
        EXPECT_TRUE(NothingHeld()) << c.op;
    }
    Boot(r.m);
    sim::FailCall("LoadLibraryA", 2);  // setupapi.dll
    EXPECT_EQ(GetInstanceDriveMask("7&aa&0"), 0u);
    EXPECT_EQ(sim::CallCount("FreeLibrary"), 1);
    EXPECT_TRUE(NothingHeld());

    Boot(r.m);
    sim::FailCall("SetupDiGetClassDevsA", 1);
    EXPECT_EQ(GetInstanceDriveMask("7&aa&0"), 0u);
    EXPECT_EQ(sim::CallCount("FreeLibrary"), 2);
    EXPECT_TRUE(NothingHeld());

    for (const char *missing : {"GetVolumeNameForVolumeMountPointA", "CM_Get_Device_IDA", "CM_Get_Parent"}) {
        sim::Machine m = r.m;
        m.missingEntryPoints[std::string(missing).rfind("CM_", 0) == 0 ? "setupapi.dll" : "kernel32.dll"].insert(missing);
        Boot(m);
        EXPECT_EQ(GetInstanceDriveMask("7&aa&0"), 0u) << missing;
        EXPECT_EQ(sim::CallCount("GetVolumeNameForVolumeMountPointA") + sim::CallCount("CM_Get_Device_IDA") +
                      sim::CallCount("CM_Get_Parent"),
                  0)
            << missing;
        EXPECT_TRUE(NothingHeld()) << missing;
    }
    for (const char *absent : {"kernel32.dll", "setupapi.dll"}) {
        sim::Machine m = r.m;
        m.absentModules.insert(absent);
        Boot(m);
        EXPECT_EQ(GetInstanceDriveMask("7&aa&0"), 0u) << absent;
        EXPECT_TRUE(NothingHeld()) << absent;
    }
}

TEST(ResolverFaults, SweepOverEveryCallOfATwoDiskMachine)
{
    for (DWORD major : {5u, 6u}) {
        Rig r(major);
        r.Disk("7&aa&0").Disk("7&bb&0").Volume("7&aa&0", "HJ").Volume("7&bb&0", "F");
        r.m.drives['C'] = sim::Drive{DRIVE_FIXED, VolumeName(50), ""};
        ASSERT_EQ(Collect(r.m).letters, "HJF");
        int runs = 0;
        for (const auto &[op, count] : FaultPoints()) {
            for (int n = 1; n <= count; ++n, ++runs) {
                Boot(r.m);
                sim::FailCall(op, n);
                char buffer[260] = {};
                int got = CollectDriveLetters("usbstor", "disk", "_8.01", buffer, sizeof(buffer));
                std::string where = op + " #" + std::to_string(n) + " on " + std::to_string(major);
                std::string letters = buffer;
                // Letters can only go missing, never appear or reorder.
                EXPECT_TRUE(std::string("HJF").find(letters) != std::string::npos || letters == "HF" ||
                            letters == "JF")
                    << where << ": " << letters;
                EXPECT_TRUE(got == (int)letters.size() || got == 0) << where;
                EXPECT_EQ(sim::Held(), sim::Resources{}) << where;
            }
        }
        EXPECT_GT(runs, 30);
    }
}

}  // namespace
