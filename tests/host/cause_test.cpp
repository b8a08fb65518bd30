// The explanation's first answer: one cause line and one remedy line for
// every road to a refusal and to a failing call, read from its output.
#include "explain.h"
#include "harness.h"

using namespace harness;

namespace {

std::string Line(const std::string &text, const std::string &head)
{
    size_t at = text.find("\n" + head);
    if (at == std::string::npos) return "(no " + head + "line)";
    size_t end = text.find('\n', at + 1);
    return text.substr(at + 1 + head.size(), end - at - 1 - head.size());
}

sim::Machine Win98(int adapters = 1)
{
    sim::Machine m = Windows(4, 10, VER_PLATFORM_WIN32_WINDOWS);
    m.aspi.installed = true;
    for (int i = 0; i < adapters; ++i) {
        sim::AspiUnit u;
        std::string id = "Generic Flash Disk      8.01";
        u.inquiry = {SS_COMP, std::vector<uint8_t>(8, 0)};
        u.inquiry.data.insert(u.inquiry.data.end(), id.begin(), id.end());
        u.answers[0x82] = {SS_COMP, Pattern(512)};
        m.aspi.adapters.push_back({SS_COMP, {u}});
    }
    return m;
}

// XP with the flash disk under E: (a revision 8.01 disk with a removable volume).
sim::Machine Served() { return sim::DefaultMachine(); }

struct Road {
    const char *name;
    sim::Machine m;
    const char *cause;
};

std::vector<Road> Roads()
{
    std::vector<Road> roads;
    auto add = [&](const char *name, sim::Machine m, const char *cause) { roads.push_back({name, m, cause}); };
    sim::Machine m = Windows(4, 0);
    add("NT 4", m,
        "Windows 4.0 (platform 2) is not served: the library runs on Windows 98 and on Windows 2000 and later");
    m = Windows(3, 10, 0);
    add("Win32s", m,
        "Windows 3.10 (platform 0) is not served: the library runs on Windows 98 and on Windows 2000 and later");
    m = Served();
    m.faults.push_back({"GetVersionExA", 1});
    add("version query", m,
        "the Windows version could not be read (GetVersionExA failed), so the library cannot choose its road");
    m = Served();
    m.disks[0].path = "\\\\?\\usbstor#disk&ven_kingston&prod_dt&rev_1.00#1&2&0#{53f56307}";
    add("another vendor", m,
        "no flash disk of the served family is attached: no disk interface passes the device-path patterns; "
        "nearest: the USB disk disk&ven_kingston&prod_dt&rev_1.00 is another vendor's or another revision");
    m = Served();
    m.disks[0].path = "\\\\?\\USBSTOR#DISK&VEN_GENERIC&PROD_FLASH_DISK&REV_8.01#7&1&0#{53f56307}";
    add("upper case", m,
        "no flash disk of the served family is attached: no disk interface passes the device-path patterns; "
        "nearest: \\\\?\\USBSTOR#DISK&VEN_GENERIC&PROD_FLASH_DISK&REV_8.01#7&1&0#{53f56307} would pass in lower "
        "case, but Windows reported it in upper case");
    m = Served();
    m.disks.clear();
    add("no disk", m, "no flash disk of the served family is attached: no disk interface passes the device-path patterns");
    m = Served();
    m.disks[0].openError = ERROR_ACCESS_DENIED;
    add("access denied", m, "the flash disk was found but could not be opened: access denied (error 5)");
    m = Served();
    m.disks[0].openError = 32;
    add("held open", m,
        "the flash disk was found but could not be opened: sharing violation: another program holds the disk (error 32)");
    m = Served();
    m.devices[m.disks[0].opens].ioctlError = 1117;
    add("transport", m, "the vendor read did not reach the disk: DeviceIoControl failed: an I/O device error (error 1117)");
    m = Served();
    m.devices[m.disks[0].opens].answers[0x82] = {sim::kCheckCondition, {}, {0x70, 0, 0x05, 0, 0, 0, 0, 10}};
    add("refused", m,
        "the disk refused the vendor read: SCSI status 0x02 (CHECK CONDITION), sense key 0x5 (ILLEGAL REQUEST)");
    m = VistaWithFlashDisk(0);
    add("no CD-ROM", m,
        "the flash disk is attached, but Windows shows no CD-ROM drive: the disk's autorun partition is not mounted");
    m = VistaWithFlashDisk('F');
    m.mountedDevices.begin()->second = sim::Utf16("\\??\\IDE#CdRomDrive#1");
    add("no autorun CD-ROM", m,
        "the flash disk is attached, but no CD-ROM drive's MountedDevices value names an autorun disk");
    m = Win98();
    m.aspi.installed = false;
    add("no WNASPI32", m, "WNASPI32.DLL, the ASPI manager, is not installed");
    m = Win98();
    m.aspi.missing.insert("SendASPI32Command");
    add("entry point", m, "WNASPI32.DLL lacks its entry point SendASPI32Command");
    m = Win98(0);
    add("no adapters", m, "the ASPI manager reports no host adapters");
    m = Win98();
    m.aspi.adapters[0].units[0].inquiry.data[8] = 'g';
    add("no unit", m, "no ASPI unit identifies as the flash disk (\"Generic Flash Disk\")");
    m = Win98();
    m.aspi.adapters[0].units[0].answers[0x82].status = 0x04;
    add("unit rejects", m,
        "the unit at adapter 0 target 0 lun 0, which identifies as the flash disk, rejected the vendor read (ASPI "
        "status 0x04)");
    m = Served();
    m.disks[0].path = "\\\\?\\usbstor#disk&ven_generic&prod_flash_disk&rev_1.00#7&1&0#{53f56307}";
    add("letter test", m,
        "the library loads, but no disk's path holds \"usbstor\", \"disk\" and \"_8.01\": GetUSBDriveLetter returns 0 "
        "and GetIDKey fails");
    m = Served();
    m.drives.erase('E');
    add("no letter", m,
        "the library loads, but the flash disk has no lettered removable volume: GetUSBDriveLetter returns 0 and "
        "GetIDKey fails");
    m = Served();
    m.faults.push_back({"GetLogicalDrives", 1});
    add("letter search fails", m,
        "the library loads, but the drive-letter search broke down: GetLogicalDrives failed (its call 1, a fault "
        "the machine describes); GetUSBDriveLetter returns 0 (GetIDKey, which searches again, gets the key)");
    m = Served();
    m.vendor.installed = false;
    add("vendor missing", m, "the vendor library Vendor\\VendorUFDAPI.dll cannot be loaded: GetIDKey fails");
    m = Served();
    m.vendor.hasEntryPoint = false;
    add("vendor entry point", m, "Vendor\\VendorUFDAPI.dll lacks VGetUFDProductInfo: GetIDKey fails");
    m = Served();
    m.vendor.result = 3;
    add("vendor fails", m, "the vendor library's VGetUFDProductInfo failed (returned 3) for E: GetIDKey fails");
    add("served", Served(), "none: the library loads, GetUSBDriveLetter returns E: and GetIDKey returns the key");
    return roads;
}

TEST(Cause, EveryRoadHasItsCauseAndARemedyAboveTheDetail)
{
    for (const Road &r : Roads()) {
        testing::internal::CaptureStdout();
        int result = Explain(r.m, r.name, false);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(Line(out, "cause: "), r.cause) << r.name;
        std::string remedy = Line(out, "remedy: ");
        EXPECT_FALSE(remedy.empty() || remedy[0] == '(') << r.name;
        EXPECT_LT(out.find("\ncause: "), out.find("\nload:")) << r.name << ": the detail comes below";
        // The exit status is the host's outcome on the same machine: 0 loads, 1 refuses.
        harness::Boot(r.m);
        bool loads = harness::AttachLibrary().result;
        harness::DetachLibrary();
        EXPECT_EQ(result, loads ? 0 : 1) << r.name;
    }
}

// The explanation reports exactly one host's run: a fault on the first
// GetLogicalDrives falls on GetUSBDriveLetter, as it does for a host.
TEST(Cause, TheExplanationMakesNoCallsOfItsOwnOnTheRunItReports)
{
    sim::Machine m = Served();
    m.faults.push_back({"GetLogicalDrives", 1});
    testing::internal::CaptureStdout();
    Explain(m, "m", false);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("\nGetUSBDriveLetter: 0 (no letter)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\n    letters: none\n"), std::string::npos) << out;
}

}  // namespace
