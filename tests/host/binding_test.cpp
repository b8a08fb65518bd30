// Load-time binding on Windows 2000 and later: what the host sees of the
// load, what the device receives, and what stays held.
#include <map>

#include "discovery/locator.h"
#include "harness.h"
#include "transport/passthrough.h"

using namespace harness;

namespace {

TEST(Binding, XpWithoutFlashDiskRefusesWithOneLineAndHoldsNothing)
{
    sim::Machine m = Windows(5, 1);
    m.disks.push_back({DiskPath("usbstor#disk&ven_kingston&prod_dt&rev_1.00"), "other"});
    m.devices["other"] = FlashDevice();
    Boot(m);
    ExpectRefused(kNotFound);
    EXPECT_EQ(sim::CallCount("CreateFileA"), 0);
    EXPECT_EQ(sim::CallCount("CloseHandle"), 0);
}

TEST(Binding, SendsTheVendorReadCommandAndKeepsTheHandleUntilDetach)
{
    Boot(XpWithFlashDisk());
    Attach a = AttachLibrary();
    ASSERT_TRUE(a.result);
    EXPECT_EQ(a.output, "");
    EXPECT_EQ(sim::Held().handles, 1);
    EXPECT_EQ(std::vector<uint8_t>(g_library.vendorSector, g_library.vendorSector + 512), Pattern(512));

    const auto &requests = sim::DeviceRequests("flash");
    ASSERT_EQ(requests.size(), 1u);
    const std::vector<uint8_t> &b = requests[0];
    EXPECT_EQ(b, VendorReadBlock(g_library.vendorSector));

    EXPECT_EQ(DetachLibrary(), "");
    EXPECT_EQ(sim::CallCount("CloseHandle"), 1);
    DllMain(Self(), DLL_PROCESS_DETACH, nullptr);  // a second detach closes nothing again
    EXPECT_EQ(sim::CallCount("CloseHandle"), 1);
    EXPECT_TRUE(NothingHeld());
}

TEST(Binding, XpOpensTheInterfacePathWithReadWriteSharedAccessAndNoRegistry)
{
    Boot(XpWithFlashDisk());
    ASSERT_TRUE(AttachLibrary().result);
    EXPECT_EQ(sim::CallCount("RegOpenKeyA"), 0);
    EXPECT_EQ(sim::CallCount("GetDriveTypeA"), 0);
    DetachLibrary();
}

TEST(Binding, DiskRejectingTheVendorCommandFailsTheLoadAndClosesTheHandle)
{
    sim::Machine m = XpWithFlashDisk();
    m.devices["flash"].answers.clear();  // CHECK CONDITION for 0x82
    Boot(m);
    ExpectRefused(kSectorFailed);
    EXPECT_EQ(sim::CallCount("DeviceIoControl"), 1);
    EXPECT_EQ(sim::CallCount("CloseHandle"), 1) << "closed by the attach, not again at detach";
}

TEST(Binding, DeviceThatIsNotScsiCapableFailsTheLoad)
{
    sim::Machine m = XpWithFlashDisk();
    m.devices["flash"].scsiCapable = false;
    Boot(m);
    ExpectRefused(kSectorFailed);
}

TEST(Binding, GoodStatusWithAShortTransferBinds)
{
    sim::Machine m = XpWithFlashDisk();
    m.devices["flash"] = FlashDevice(100);
    Boot(m);
    ASSERT_TRUE(AttachLibrary().result);
    EXPECT_EQ(std::vector<uint8_t>(g_library.vendorSector, g_library.vendorSector + 100), Pattern(100));
    for (int i = 100; i < 512; ++i) ASSERT_EQ(g_library.vendorSector[i], 0) << i;
    DetachLibrary();
    EXPECT_TRUE(NothingHeld());
}

TEST(Binding, TwoMatchingDisksOpenTheLowerMemberIndex)
{
    sim::Machine m = XpWithFlashDisk();
    m.disks.insert(m.disks.begin(), {DiskPath("usbstor#disk&ven_jetflash&prod_ts&rev_1.00"), "first"});
    m.devices["first"] = FlashDevice();
    Boot(m);
    ASSERT_TRUE(AttachLibrary().result);
    EXPECT_EQ(sim::DeviceRequests("first").size(), 1u);
    EXPECT_EQ(sim::DeviceRequests("flash").size(), 0u);
    DetachLibrary();
}

TEST(Binding, OnlyTheFirstTwentySixInterfacesAreExamined)
{
    for (size_t before : {25u, 26u}) {
        sim::Machine m = Windows(5, 1);
        for (size_t i = 0; i < before; ++i)
            m.disks.push_back({DiskPath("ide#disk" + std::to_string(i) + "&ven_wdc"), ""});
        m.disks.push_back({FlashDiskPath(), "flash"});
        m.devices["flash"] = FlashDevice();
        Boot(m);
        Attach a = AttachLibrary();
        EXPECT_EQ(a.result, before == 25 ? TRUE : FALSE) << "match at member index " << before;
        EXPECT_LE(sim::CallCount("SetupDiEnumDeviceInterfaces"), 26);
        DetachLibrary();
        EXPECT_TRUE(NothingHeld());
    }
}

TEST(Binding, AFailingDetailCallEndsTheSearchBeforeALaterMatch)
{
    sim::Machine m = XpWithFlashDisk();
    m.disks.insert(m.disks.begin(), {DiskPath("ide#disk&ven_wdc"), ""});
    Boot(m);
    sim::FailCall("SetupDiGetDeviceInterfaceDetailA", 2);  // the fetch of member 0
    ExpectRefused(kNotFound);
    EXPECT_EQ(sim::CallCount("SetupDiEnumDeviceInterfaces"), 1);
}

TEST(Binding, FailedSizeQueryEndsTheSearchWithoutAllocating)
{
    Boot(XpWithFlashDisk());
    sim::FailCall("SetupDiGetDeviceInterfaceDetailA", 1);
    ExpectRefused(kNotFound);
}

TEST(DevicePathPatterns, AreCaseSensitiveSubstringsTriedOnThePathAsReported)
{
    // The pattern each path passes, in the order they are tried; 0 for none.
    const std::map<std::string, int> paths = {
        {"\\\\?\\usbstor#disk&ven_generic&prod_x&rev_1.00#1#{g}", 1},
        {"\\\\?\\usbstor#disk&ven_generic&prod_x&rev_8.01#1#{g}", 1},
        {"\\\\?\\usbalcor#disk&ven_generic&prod_x#1#{g}", 2},
        {"\\\\?\\usbstor#disk&ven_jetflash&prod_ts1gjf2a&rev_0.00#1#{g}", 3},
        {"\\\\?\\usbstor#disk&ven_kingston&prod_dt&rev_8.01#1#{g}", 4},
        {"\\\\?\\8.01#usbstor#disk&ven_other#{g}", 4},
        {"\\\\?\\usbstor#disk&ven_kingston&prod_dt&rev_1.00#1#{g}", 0},
        {"\\\\?\\USBSTOR#DISK&VEN_GENERIC&PROD_X&REV_8.01#1#{g}", 0},
        {"\\\\?\\usbstor#Disk&Ven_Generic&rev_1.00#1#{g}", 0},
        {"\\\\?\\usbalcor#disk&ven_jetflash#1#{g}", 0},
        {"\\\\?\\ide#disk&ven_generic#8.01#{g}", 0},
        {"", 0},
    };
    for (const auto &[path, pattern] : paths) EXPECT_EQ(DevicePathMatches(path.c_str()), pattern) << path;
}

TEST(Binding, AnotherVendorWithRevision801BindsAndUpperCaseDoesNot)
{
    sim::Machine m = Windows(5, 1);
    m.disks.push_back({DiskPath("USBSTOR#DISK&VEN_GENERIC&PROD_FLASH_DISK&REV_1.00"), "upper"});
    m.disks.push_back({DiskPath("usbstor#disk&ven_acme&prod_stick&rev_8.01"), "acme"});
    m.devices["upper"] = FlashDevice();
    m.devices["acme"] = FlashDevice();
    Boot(m);
    ASSERT_TRUE(AttachLibrary().result);
    EXPECT_TRUE(sim::DeviceRequests("upper").empty());
    EXPECT_EQ(sim::DeviceRequests("acme").size(), 1u);
    DetachLibrary();
}

TEST(Binding, APathTooLongForThePathBufferIsNotFound)
{
    sim::Machine m = Windows(5, 1);
    std::string path = FlashDiskPath(std::string(260, 'x'));
    m.disks.push_back({path, "flash"});
    m.devices["flash"] = FlashDevice();
    Boot(m);
    ExpectRefused(kNotFound);
    EXPECT_EQ(sim::CallCount("CreateFileA"), 0);
}

TEST(Binding, VistaOpensTheFirstAutorunCdromWhicheverDiskMatched)
{
    sim::Machine m = VistaWithFlashDisk('G');
    AddAutorunCdrom(m, 'E', "cdrom-e", "\\??\\IDE#CdRomAUTORUN_DISK#5&1#{x}");
    m.drives['D'] = sim::Drive{DRIVE_CDROM, "", "cdrom-d"};  // no mounted-device entry
    Boot(m);
    ASSERT_TRUE(AttachLibrary().result);
    EXPECT_EQ(sim::DeviceRequests("cdrom-e").size(), 1u);
    EXPECT_TRUE(sim::DeviceRequests("cdrom").empty());
    EXPECT_TRUE(sim::DeviceRequests("flash").empty());
    EXPECT_EQ(sim::CallCount("RegOpenKeyA"), 2);  // anew for D and for E
    EXPECT_EQ(sim::CallCount("RegCloseKey"), 2);
    DetachLibrary();
    EXPECT_TRUE(NothingHeld());
}

TEST(Binding, VistaWithoutAQualifyingCdromRefuses)
{
    for (const char *os : {"no cdrom", "one word only", "value too long", "removable autorun"}) {
        sim::Machine m = VistaWithFlashDisk(0);
        std::string which = os;
        if (which == "one word only") AddAutorunCdrom(m, 'E', "cd", "\\??\\SCSI#CdRom&Ven_Autorun#1");
        if (which == "value too long")
            AddAutorunCdrom(m, 'E', "cd", "autorun disk " + std::string(260 - 13 + 1, 'x'));  // 522 bytes
        if (which == "removable autorun") {
            AddAutorunCdrom(m, 'E', "cd");
            m.drives['E'].type = DRIVE_REMOVABLE;
        }
        Boot(m);
        ExpectRefused(kNotFound, which);
        EXPECT_EQ(sim::CallCount("CreateFileA"), 0) << which;
    }
}

TEST(Binding, VistaAutorunTextIsMatchedWithoutRegardToCase)
{
    sim::Machine m = VistaWithFlashDisk(0);
    AddAutorunCdrom(m, 'F', "cd", "\\??\\SCSI#CdRom&Ven_X&Prod_AuToRuN_DiSk#1");
    m.major = 10;
    Boot(m);
    EXPECT_TRUE(AttachLibrary().result);
    DetachLibrary();
}

TEST(MountedDevices, ValueOfExactly520BytesIsReadAndOneMoreIsPassedOver)
{
    std::string text = "autorun disk";
    std::vector<uint8_t> exact = sim::Utf16(text + std::string(260 - text.size(), 'x'));
    ASSERT_EQ(exact.size(), 520u);
    EXPECT_EQ(MountedDeviceIsAutorun(exact.data(), (DWORD)exact.size()), 1);
    // An odd length ends the text at half the length, rounded down.
    std::vector<uint8_t> odd = sim::Utf16("AUTORUN-DISKx");
    EXPECT_EQ(MountedDeviceIsAutorun(odd.data(), (DWORD)odd.size() - 1), 1);  // "autorun-disk"
    EXPECT_EQ(MountedDeviceIsAutorun(odd.data(), (DWORD)odd.size() - 3), 0);  // "autorun-dis"

    sim::Machine m = VistaWithFlashDisk(0);
    AddAutorunCdrom(m, 'E', "too-long");
    m.mountedDevices["\\DosDevices\\E:"] = sim::Utf16(text + std::string(261 - text.size(), 'x'));
    AddAutorunCdrom(m, 'H', "exact");
    m.mountedDevices["\\DosDevices\\H:"] = exact;
    Boot(m);
    ASSERT_TRUE(AttachLibrary().result);
    EXPECT_TRUE(sim::DeviceRequests("too-long").empty());
    EXPECT_EQ(sim::DeviceRequests("exact").size(), 1u);
    DetachLibrary();
    EXPECT_TRUE(NothingHeld());
}

TEST(Binding, SystemsBeforeWindows2000AreRefusedSilentlyWithoutEnumerating)
{
    struct Case {
        DWORD major, minor, platform;
    };
    for (Case c : {Case{4, 0, VER_PLATFORM_WIN32_NT}, Case{3, 51, VER_PLATFORM_WIN32_NT},
                   Case{3, 10, VER_PLATFORM_WIN32s}}) {
        sim::Machine m = XpWithFlashDisk();
        m.major = c.major;
        m.minor = c.minor;
        m.platform = c.platform;
        Boot(m);
        ExpectRefused("");
        EXPECT_EQ(sim::CallLog(), std::vector<std::string>{"GetVersionExA"});
        EXPECT_EQ(OpenFlashDisk(1), INVALID_HANDLE_VALUE);
    }
}

TEST(Binding, AFailedVersionQueryRefusesSilently)
{
    Boot(XpWithFlashDisk());
    sim::FailCall("GetVersionExA", 1);
    ExpectRefused("");
}

TEST(Binding, ThreadNotificationsLeaveTheBindingAlone)
{
    Boot(XpWithFlashDisk());
    ASSERT_TRUE(AttachLibrary().result);
    HANDLE held = g_library.deviceHandle;
    EXPECT_FALSE(DllMain(Self(), DLL_THREAD_ATTACH, nullptr));
    EXPECT_FALSE(DllMain(Self(), DLL_THREAD_DETACH, nullptr));
    EXPECT_EQ(g_library.deviceHandle, held);
    EXPECT_EQ(sim::CallCount("CloseHandle"), 0);
    DetachLibrary();
    EXPECT_EQ(sim::CallCount("CloseHandle"), 1);
}

TEST(FindFlashDiskPath, IndexCountsMatchesFromOne)
{
    sim::Machine m = XpWithFlashDisk();
    m.disks.push_back({DiskPath("usbstor#disk&ven_jetflash&prod_b"), ""});
    for (int index : {0, -1, 1, 2, 3}) {
        Boot(m);
        g_library.osVersion.dwMajorVersion = 5;
        char path[260];
        std::memset(path, 'q', sizeof(path));
        int found = FindFlashDiskPath(&kDiskInterfaceClass, index, path);
        EXPECT_EQ(found, index == 1 || index == 2) << index;
        if (found) EXPECT_STREQ(path, m.disks[index - 1].path.c_str());
        else EXPECT_EQ(path[0], 'q') << "path untouched when not found";
        EXPECT_TRUE(NothingHeld());
    }
}

// Fails each platform call of a successful attach in turn: every run ends
// in a documented outcome and leaves nothing held after the detach.
void SweepAttach(const sim::Machine &m)
{
    Boot(m);
    ASSERT_TRUE(AttachLibrary().result);
    DetachLibrary();
    int runs = 0;
    for (const auto &[op, count] : FaultPoints()) {
        for (int n = 1; n <= count; ++n, ++runs) {
            Boot(m);
            sim::FailCall(op, n);
            Attach a = AttachLibrary();
            std::string where = op + " #" + std::to_string(n);
            if (a.result) EXPECT_EQ(a.output, "") << where;
            else EXPECT_TRUE(a.output == kNotFound || a.output == kSectorFailed || a.output == "") << where;
            if (op == "DeviceIoControl") EXPECT_EQ(a.output, kSectorFailed) << where;
            if (op == "CreateFileA" || op == "SetupDiGetClassDevsA") EXPECT_EQ(a.output, kNotFound) << where;
            if (!a.result) EXPECT_EQ(sim::Held(), sim::Resources{}) << where << " left something held";
            DetachLibrary();
            EXPECT_EQ(sim::Held(), sim::Resources{}) << where;
        }
    }
    EXPECT_GT(runs, 8);
}

TEST(BindingFaults, EveryFailureOfAnXpAttachEndsCleanly)
{
    sim::Machine m = XpWithFlashDisk();
    m.disks.insert(m.disks.begin(), {DiskPath("ide#disk&ven_wdc"), ""});
    SweepAttach(m);
}

TEST(BindingFaults, EveryFailureOfAVistaAttachEndsCleanly)
{
    sim::Machine m = VistaWithFlashDisk('F');
    m.drives['D'] = sim::Drive{DRIVE_CDROM, "", "d"};
    SweepAttach(m);
}

}  // namespace
