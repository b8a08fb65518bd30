// Behaviours at the edges: near misses, boundaries, absent devices, values
// and answers that could be misread from leftovers, and the exact calls a
// device sees. Each table row names what would break.
#include "discovery/locator.h"
#include "discovery/resolver.h"
#include "harness.h"
#include "morvalith.h"

using namespace harness;

namespace {


// ---- the version query ---------------------------------------------------

TEST(Edges, AFailedVersionQueryFindsNoDiskAndNoLetter)
{
    // The attach's own query succeeds; the locator's (the second) fails.
    for (sim::Machine m : {XpWithFlashDisk(), VistaWithFlashDisk('F')}) {
        Boot(m);
        sim::FailCall("GetVersionExA", 2);
        ExpectRefused(kNotFound, "major " + std::to_string(m.major));
        EXPECT_EQ(sim::CallCount("CreateFileA"), 0);
    }
    // Windows 7: E's volume holds the disk's instance in its own identifier;
    // D's only in its parent's, which counts on XP alone.
    sim::Machine m = Windows(6, 1);
    m.disks.push_back({FlashDiskPath("7&aa&0"), ""});
    m.drives['D'] = sim::Drive{DRIVE_REMOVABLE, "\\\\?\\Volume{d}\\", ""};
    m.drives['E'] = sim::Drive{DRIVE_REMOVABLE, "\\\\?\\Volume{e}\\", ""};
    m.volumes.push_back({"\\\\?\\v#d", "STORAGE\\Volume\\other", "USBSTOR\\Disk\\7&AA&0", "\\\\?\\Volume{d}\\"});
    m.volumes.push_back({"\\\\?\\v#e", "STORAGE\\Volume\\_??_USBSTOR#7&AA&0", "USBSTOR\\Disk\\other", "\\\\?\\Volume{e}\\"});
    Boot(m);
    EXPECT_EQ(GetUSBDriveLetter(), 'E');
    Boot(m);
    sim::FailCall("GetVersionExA", 1);
    EXPECT_EQ(GetUSBDriveLetter(), 0);
    EXPECT_TRUE(NothingHeld());
}

// ---- which disks yield a letter --------------------------------------------

TEST(Edges, OnlyTheExactBusClassAndRevisionYieldALetter)
{
    struct Row {
        const char *device;
        char letter;
    };
    const Row rows[] = {
        {"usbstor#disk&ven_generic&prod_flash_disk&rev_8.01", 'E'},
        {"usbstor#disk&ven_generic&prod_flash_disk&rev_8.00", 0},   // another revision
        {"usbalcor#disk&ven_generic&prod_flash_disk&rev_8.01", 0},  // another bus
        {"usbstor#cdrom&ven_generic&prod_flash&rev_8.01", 0},       // no "disk"
    };
    for (const Row &r : rows) {
        sim::Machine m = Windows(5, 1);
        m.disks.push_back({DiskPath(r.device, "7&aa&0"), ""});
        m.drives['E'] = sim::Drive{DRIVE_REMOVABLE, "\\\\?\\Volume{e}\\", ""};
        m.volumes.push_back({"\\\\?\\v#e", "STORAGE\\RemovableMedia\\1", "USBSTOR\\Disk\\7&AA&0", "\\\\?\\Volume{e}\\"});
        Boot(m);
        EXPECT_EQ(GetUSBDriveLetter(), r.letter) << r.device;
    }
}

TEST(Edges, DevicesThatAreNotPresentAreIgnored)
{
    // The binding: an absent matching disk first, a present one second.
    sim::Machine m = XpWithFlashDisk();
    m.disks.insert(m.disks.begin(), {FlashDiskPath("7&absent&0"), "ghost"});
    m.disks.front().present = false;
    m.devices["ghost"] = FlashDevice();
    Boot(m);
    ASSERT_TRUE(AttachLibrary().result);
    EXPECT_EQ(sim::FileOpens().at(0).name, FlashDiskPath());
    EXPECT_TRUE(sim::DeviceRequests("ghost").empty());
    DetachLibrary();

    // The lookup: an absent disk's removable volume lends no letter.
    sim::Machine r = Windows(5, 1);
    r.disks.push_back({FlashDiskPath("7&aa&0"), ""});
    r.disks.back().present = false;
    r.disks.push_back({FlashDiskPath("7&bb&0"), ""});
    for (char letter : {'D', 'E'}) {
        std::string name = std::string("\\\\?\\Volume{") + letter + "}\\";
        r.drives[letter] = sim::Drive{DRIVE_REMOVABLE, name, ""};
        r.volumes.push_back({std::string("\\\\?\\v#") + letter, "STORAGE\\RemovableMedia\\1",
                             letter == 'D' ? "USBSTOR\\Disk\\7&AA&0" : "USBSTOR\\Disk\\7&BB&0", name});
    }
    Boot(r);
    EXPECT_EQ(GetUSBDriveLetter(), 'E');
}

TEST(Edges, VolumeInterfacesBeyondTwoHundredFiftySixKeepTheirOwnParents)
{
    sim::Machine m = Windows(5, 1);
    m.disks.push_back({FlashDiskPath("7&aa&0"), ""});
    m.drives['E'] = sim::Drive{DRIVE_REMOVABLE, "\\\\?\\Volume{e}\\", ""};
    for (int i = 0; i < 300; ++i) {
        std::string n = std::to_string(i);
        m.volumes.push_back({"\\\\?\\v#" + n, "STORAGE\\RemovableMedia\\" + n,
                             i == 0 ? "USBSTOR\\Disk\\7&AA&0" : "USBSTOR\\Disk\\other" + n,
                             i == 0 ? "\\\\?\\Volume{e}\\" : "\\\\?\\Volume{" + n + "}\\"});
    }
    Boot(m);
    EXPECT_EQ(GetUSBDriveLetter(), 'E');
}

// ---- paths and opens -----------------------------------------------------------

TEST(Edges, TheDevicePathBoundaryAndEmptyPaths)
{
    struct Row {
        size_t length;  // of the flash disk's path; 0: keep it, after a disk with an empty path
        bool loads;
    };
    for (Row r : {Row{259, true}, Row{260, false}, Row{0, true}}) {
        sim::Machine m = XpWithFlashDisk();
        if (r.length) {
            // The default instance is 12 characters; this one is k + 4.
            size_t k = r.length - FlashDiskPath().size() + 8;
            m.disks[0].path = FlashDiskPath("7&" + std::string(k, 'a') + "&0");
            ASSERT_EQ(m.disks[0].path.size(), r.length);
        } else {
            m.disks.insert(m.disks.begin(), {"", "flash"});
        }
        Boot(m);
        if (r.loads) {
            EXPECT_TRUE(AttachLibrary().result) << r.length;
            EXPECT_EQ(sim::FileOpens().at(0).name, m.disks.back().path);
            DetachLibrary();
        } else {
            ExpectRefused(kNotFound, std::to_string(r.length));
        }
    }
}

// A detail size the system misreports for the first disk: one that cannot
// hold cbSize and a terminator ends the search before a block is made or
// sent; one that can is tried, and the query then fails on the short block.
TEST(Edges, ADetailSizeBelowTheFloorIsRefusedBeforeABlockIsMade)
{
    std::map<uint32_t, int> blocks, queries;
    for (uint32_t size : {4u, 5u}) {
        SCOPED_TRACE(size);
        sim::Machine m = XpWithFlashDisk();
        m.disks[0].detailSize = size;
        Boot(m);
        ExpectRefused(kNotFound);
        blocks[size] = sim::CallCount("HeapAlloc");
        queries[size] = sim::CallCount("SetupDiGetDeviceInterfaceDetailA");
    }
    EXPECT_EQ(blocks[5] - blocks[4], 1);
    EXPECT_EQ(queries[4], 1);
    EXPECT_EQ(queries[5], 2);
}

TEST(Edges, TheExactOpenOfEachSystem)
{
    struct Row {
        sim::Machine m;
        std::string name;
    };
    const Row rows[] = {{XpWithFlashDisk(), FlashDiskPath()},
                        {VistaWithFlashDisk('F'), "\\\\.\\F:"},
                        {VistaWithFlashDisk('Z'), "\\\\.\\Z:"}};  // the last letter
    for (const Row &r : rows) {
        Boot(r.m);
        ASSERT_TRUE(AttachLibrary().result) << r.name;
        ASSERT_EQ(sim::FileOpens().size(), 1u);
        const sim::FileOpen &o = sim::FileOpens()[0];
        EXPECT_EQ(o.name, r.name);
        EXPECT_EQ(o.access, (DWORD)(GENERIC_READ | GENERIC_WRITE));
        EXPECT_EQ(o.share, (DWORD)(FILE_SHARE_READ | FILE_SHARE_WRITE));
        EXPECT_EQ(o.disposition, (DWORD)OPEN_EXISTING);
        EXPECT_EQ(o.flags, (DWORD)FILE_ATTRIBUTE_NORMAL);
        DetachLibrary();
        EXPECT_TRUE(NothingHeld());
    }
}

// ---- MountedDevices values ---------------------------------------------------------

TEST(Edges, EachMountedDeviceValueIsJudgedOnItsOwnBytes)
{
    const std::string autorun = "\\??\\SCSI#CdRom&Ven_Generic&Prod_Autorun_Disk#1";
    struct Row {
        const char *why;
        std::map<char, std::string> values;  // CD-ROM letters D, E, F; absent: no value
        char opened;
        int failQuery = 0;  // RegQueryValueExA call to fail
    };
    const std::string pad(200, 'x');
    const Row rows[] = {
        {"a short value after a longer one", {{'D', pad + "autorun"}, {'E', "disk"}, {'F', autorun}}, 'F'},
        {"a longer value after a short one", {{'D', "xx"}, {'E', pad + autorun}}, 'E'},
        {"a missing value after leftovers", {{'C', pad + "disk"}, {'D', "autorun"}, {'F', autorun}}, 'F'},
        {"a value too long to read", {{'E', std::string(300, 'y') + autorun}, {'F', autorun}}, 'F'},
        {"an unreadable value", {{'E', autorun}, {'F', autorun}}, 'F', 3},  // C, D, then E
        {"an empty value", {{'E', ""}, {'F', autorun}}, 'F'},
    };
    for (const Row &r : rows) {
        sim::Machine m = Windows(6, 0);
        m.disks.push_back({FlashDiskPath(), ""});
        for (char letter : {'C', 'D', 'E', 'F'}) {
            m.drives[letter] = sim::Drive{DRIVE_CDROM, "", std::string(1, letter)};
            m.devices[std::string(1, letter)] = FlashDevice();
        }
        for (const auto &[letter, text] : r.values)
            m.mountedDevices[std::string("\\DosDevices\\") + letter + ":"] = sim::Utf16(text);
        Boot(m);
        if (r.failQuery) sim::FailCall("RegQueryValueExA", r.failQuery);
        ASSERT_TRUE(AttachLibrary().result) << r.why;
        EXPECT_EQ(sim::FileOpens().at(0).name, std::string("\\\\.\\") + r.opened + ":") << r.why;
        DetachLibrary();
        EXPECT_TRUE(NothingHeld()) << r.why;
    }
}

// Three behaviours a deliberately broken library would otherwise get past:
// each case below fails when its rule is broken.
TEST(Edges, TheTextEndsAtItsValueTheFoldingReachesZAndAnEmptyPathIsPassedOver)
{
    // A short value is judged on its own bytes even straight after a longer
    // one: called back to back, the text of the first is left in the frame
    // where the second's is built, so only the terminator keeps them apart.
    std::vector<uint8_t> longer = sim::Utf16("\\??\\SCSI#CdRom&Ven_Generic&Prod_X#xxxxxxxxxxxxxxxxautorun"),
                         shorter = sim::Utf16("\\??\\Disk");
    int first = MountedDeviceIsAutorun(longer.data(), (DWORD)longer.size());
    int second = MountedDeviceIsAutorun(shorter.data(), (DWORD)shorter.size());
    EXPECT_EQ(first, 0) << "no \"disk\"";
    EXPECT_EQ(second, 0) << "no \"autorun\" of its own";

    // Every letter up to Z folds: a serial number ending in Z still finds
    // its volume.
    char id[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\\[`az{";
    NormaliseDeviceId(id);
    EXPECT_STREQ(id, "abcdefghijklmnopqrstuvwxyz#[`az{");
    sim::Machine m = XpWithFlashDisk();
    m.disks[0].path = FlashDiskPath("7&az19&0");
    m.volumes.push_back({"\\\\?\\storage#removablemedia#8&1&0&rm" + std::string(kVolumeClassSuffix),
                         "STORAGE\\RemovableMedia\\8&1&0&RM",
                         "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01\\7&AZ19&0", "\\\\?\\Volume{z}\\"});
    m.drives['G'] = sim::Drive{DRIVE_REMOVABLE, "\\\\?\\Volume{z}\\", ""};
    Boot(m);
    EXPECT_EQ(GetUSBDriveLetter(), 'G') << "serial number ending in Z";

    // A disk interface with an empty path is passed over, and the search
    // goes on to the disks after it.
    m.disks.insert(m.disks.begin(), {"", ""});
    Boot(m);
    EXPECT_EQ(GetUSBDriveLetter(), 'G') << "after a disk with an empty path";
    EXPECT_TRUE(NothingHeld());
}

// ---- empty answers ---------------------------------------------------------------

TEST(Edges, EmptyAnswersAreReadWithoutUndefinedBehaviour)
{
    sim::Machine xp = XpWithFlashDisk();
    xp.devices["flash"].answers[0x82].data.clear();
    Boot(xp);
    EXPECT_TRUE(AttachLibrary().result) << "good status binds, whatever was moved";
    DetachLibrary();

    sim::Machine vista = VistaWithFlashDisk('E');
    vista.mountedDevices["\\DosDevices\\E:"].clear();
    Boot(vista);
    ExpectRefused(kNotFound);
}

}  // namespace
