// The explanation of one machine in words: the cause and its remedy, then
// the detail of each step. The facts come from the diagnosis, from the
// library's own functions (the path patterns, the autorun test, the instance
// token, the identifier test) and from what the simulated machine recorded
// while the library ran; nothing here restates a rule of the library.
#include "explain.h"

#include <cstdio>
#include <cstring>

#include "discovery/locator.h"
#include "lang.h"
#include "discovery/resolver.h"
#include "lifecycle/state.h"
#include "shared.h"
#include "text.h"


namespace {

// A pattern as the explanation names it, from the library's own table.
std::string PatternText(int pattern)
{
    const DevicePathPattern &p = kDevicePathPatterns[pattern - 1];
    return std::string("\"") + p.text + "\"" + (p.also ? std::string(" with \"") + p.also + "\"" : "");
}

// Every pattern, as a remedy names what a served disk's path holds.
std::string AllPatterns()
{
    std::string text;
    for (int i = 1; i <= (int)kDevicePathPatternCount; ++i)
        text += (i == 1 ? "" : i == (int)kDevicePathPatternCount ? " or " : ", ") + PatternText(i);
    return text;
}

// Text from the machine as it may appear on one line.
std::string Shown(const std::string &text, size_t limit = 200) { return sim::Printable(text, limit); }

void Lines(const std::string &text, const char *indent)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::printf("%s%s\n", indent, Shown(text.substr(start, end - start)).c_str());
        start = end + 1;
    }
}

// Prints the platform calls of one step: from the mark before it to its own.
void Calls(bool calls, Mark from, Mark to)
{
    const auto &trace = sim::Trace();
    if (calls && from.traced < to.traced) {
        std::printf("  platform calls:\n");
        for (size_t i = from.traced; i < to.traced; ++i)
            std::printf("    %s\n", sim::Printable(trace[i], 1000).c_str());
    }
    if (calls && to.leftOut > from.leftOut)
        std::printf("    ... %zu more platform calls not shown (the trace keeps the first %zu)\n",
                    to.leftOut - from.leftOut, trace.size());
}

const char *StatusName(uint8_t status)
{
    switch (status) {
    case 0x00: return "GOOD";
    case 0x02: return "CHECK CONDITION";
    case 0x08: return "BUSY";
    case 0x18: return "RESERVATION CONFLICT";
    case 0x28: return "TASK SET FULL";
    default: return "other";
    }
}

const char *SenseKeyName(uint8_t key)
{
    static const char *const names[] = {"NO SENSE",        "RECOVERED ERROR", "NOT READY",      "MEDIUM ERROR",
                                        "HARDWARE ERROR",  "ILLEGAL REQUEST", "UNIT ATTENTION", "DATA PROTECT",
                                        "BLANK CHECK",     "VENDOR SPECIFIC", "COPY ABORTED",   "ABORTED COMMAND",
                                        "(reserved)",      "VOLUME OVERFLOW", "MISCOMPARE",     "(reserved)"};
    return names[key & 0x0F];
}

// "0x02 (CHECK CONDITION)", "0x5 (ILLEGAL REQUEST)": the one place the
// explanation decodes a status or a sense key.
std::string Status(uint8_t status)
{
    char text[48];
    std::snprintf(text, sizeof(text), "0x%02x (%s)", status, StatusName(status));
    return text;
}

std::string SenseKey(int key)
{
    char text[48];
    std::snprintf(text, sizeof(text), "0x%x (%s)", key & 0x0F, SenseKeyName((uint8_t)key));
    return text;
}

void ExplainOpens(const char *what)
{
    for (const sim::FileOpen &o : sim::FileOpens()) {
        if (o.opened) std::printf("  %s: CreateFileA(\"%s\") opened it\n", what, Shown(o.name).c_str());
        else std::printf("  %s: CreateFileA(\"%s\") failed, error %lu%s\n", what, Shown(o.name).c_str(),
                         (unsigned long)o.error, o.error == ERROR_ACCESS_DENIED ? " (access denied)" : "");
    }
}

void ExplainPassThrough()
{
    for (const sim::IoctlRecord &r : sim::Ioctls()) {
        ScsiReply reply = DecodeReply(r);
        if (!reply.reached) {
            std::printf("  vendor read 0x%02x: DeviceIoControl failed, error %lu: the command did not reach the disk\n",
                        kVendorReadOpcode, (unsigned long)reply.error);
            continue;
        }
        std::printf("  vendor read 0x%02x: SCSI status %s, %lu bytes transferred", kVendorReadOpcode,
                    Status(reply.status).c_str(), (unsigned long)reply.transferred);
        if (reply.asc >= 0)
            std::printf("; sense key %s, ASC 0x%02x, ASCQ 0x%02x", SenseKey(reply.senseKey).c_str(), reply.asc,
                        reply.ascq);
        else if (reply.senseKey >= 0)
            std::printf("; sense key %s", SenseKey(reply.senseKey).c_str());
        std::printf("\n  verdict: %s\n", reply.bound ? "the disk answered: the library binds" : "the disk refused the command");
    }
}

const std::vector<uint8_t> *MountedValue(const sim::Machine &m, char letter)
{
    std::string name = std::string("\\dosdevices\\") + (char)std::tolower((unsigned char)letter) + ":";
    for (const auto &[key, value] : m.mountedDevices)
        if (sim::Lower(key) == name) return &value;
    return nullptr;
}

void ExplainAutorun(const sim::Machine &m)
{
    std::printf("CD-ROM volumes (the first whose MountedDevices value names an autorun disk is opened):\n");
    bool any = false;
    for (const auto &[letter, drive] : m.drives) {
        if (drive.type != DRIVE_CDROM) continue;
        any = true;
        const std::vector<uint8_t> *value = MountedValue(m, letter);
        if (!value) {
            std::printf("  %c: no \\DosDevices\\%c: value: not autorun\n", letter, letter);
            continue;
        }
        std::string text;
        for (size_t i = 0; i < value->size(); i += 2) text += (char)(*value)[i];
        if (value->size() > kMountedDeviceDataSize) {
            std::printf("  %c: \"%s\": %zu bytes, more than the library reads (%lu): not autorun\n", letter,
                        Shown(text).c_str(), value->size(), (unsigned long)kMountedDeviceDataSize);
            continue;
        }
        bool autorun = MountedDeviceIsAutorun(value->data(), (DWORD)value->size());
        std::printf("  %c: \"%s\": %s\n", letter, Shown(text).c_str(), autorun ? "autorun" : "not autorun");
    }
    if (!any) std::printf("  none\n");
}

void ExplainDisks(const sim::Machine &m)
{
    std::printf("disk interfaces (in enumeration order; the first that passes a pattern is the flash disk):\n");
    if (m.disks.empty()) std::printf("  none\n");
    bool first = true;
    for (const sim::DiskInterface &d : m.disks) {
        if (!d.present) {
            std::printf("  %s: not present (not enumerated)\n", Shown(d.path).c_str());
            continue;
        }
        int pattern = DevicePathMatches(d.path.c_str());
        std::printf("  %s: %s%s\n", Shown(d.path).c_str(),
                    pattern ? ("passes pattern " + PatternText(pattern)).c_str() : "passes no pattern",
                    pattern && first ? " (the flash disk)" : "");
        if (pattern) first = false;
    }
    // For support: what a served disk's path holds, where no disk passed.
    if (first) std::printf("  the patterns a served disk's path passes: %s\n", AllPatterns().c_str());
}

void ExplainLetters(const sim::Machine &m, const std::vector<DWORD> &masks)
{
    std::printf("drive letters (disks whose path holds \"%s\", \"%s\" and \"%s\"):\n", kLetterBusToken,
                kLetterClassToken, kLetterRevisionToken);
    bool parent = VolumeMatchedThroughParent(m.major);
    bool any = false;
    for (size_t i = 0; i < m.disks.size(); ++i) {
        const sim::DiskInterface &d = m.disks[i];
        char token[kInstanceTokenSize];
        if (!d.present || !DiskInstanceToken(d.path.c_str(), kLetterBusToken, kLetterClassToken, kLetterRevisionToken, token)) continue;
        any = true;
        std::printf("  %s: instance token \"%s\"\n", Shown(d.path).c_str(), Shown(token).c_str());
        for (const sim::VolumeInterface &v : m.volumes) {
            if (!v.present) continue;
            const std::string &source = parent ? v.parentId : v.deviceId;
            char id[MAX_PATH];
            std::memset(id, 0, sizeof(id));
            std::strncpy(id, source.c_str(), sizeof(id) - 1);
            if (source.size() >= sizeof(id) || !DeviceIdHoldsToken(id, token)) continue;
            std::string letters;
            for (const auto &[letter, drive] : m.drives)
                if (drive.type == DRIVE_REMOVABLE && !v.volumeName.empty() && drive.volumeName == v.volumeName)
                    letters += std::string(letters.empty() ? "" : " ") + letter + ":";
            std::printf("    volume %s: its %s identifier \"%s\" holds it; volume %s, removable under %s\n",
                        Shown(v.path).c_str(), parent ? "parent's" : "own", Shown(source).c_str(),
                        v.volumeName.empty() ? "(no volume name)" : Shown(v.volumeName).c_str(),
                        letters.empty() ? "no letter" : letters.c_str());
        }
        DWORD mask = masks[i];
        std::string letters;
        for (int n = 0; n < 26; ++n)
            if (mask & (1UL << n)) letters += std::string(letters.empty() ? "" : " ") + (char)('A' + n) + ":";
        std::printf("    letters: %s\n", letters.empty() ? "none" : letters.c_str());
    }
    if (!any) std::printf("  none\n");
}

void ExplainAspi(const sim::Machine &m)
{
    std::printf("ASPI units (the first direct-access unit whose INQUIRY reads \"" MORVALITH_FLASH_DISK_ID
                "\" is the flash disk):\n");
    if (!m.aspi.installed) {
        std::printf("  WNASPI32 is not installed\n");
        return;
    }
    for (size_t h = 0; h < m.aspi.adapters.size(); ++h) {
        const sim::AspiAdapter &a = m.aspi.adapters[h];
        if (a.inquiryStatus != 0x01) std::printf("  adapter %zu: host adapter inquiry status 0x%02x\n", h, a.inquiryStatus);
        for (const sim::AspiUnit &u : a.units) {
            std::vector<uint8_t> data = u.inquiry.data;
            data.resize(36, 0);
            std::string id(data.begin() + 8, data.begin() + 36);
            bool empty = id.find_first_not_of('\0') == std::string::npos;
            std::printf("  adapter %zu target %u lun %u: device type %u, INQUIRY status 0x%02x, %s\n", h, u.target,
                        u.lun, u.deviceType, u.inquiry.status,
                        empty ? "no identification" : ("\"" + Shown(id) + "\"").c_str());
        }
    }
    for (const auto &srb : sim::AspiRequests())
        if (srb[sim::srb::kCmd] == sim::srb::kExecScsiCmd && srb.size() > sim::srb::kCdb && srb[sim::srb::kCdb] == kVendorReadOpcode)
            std::printf("  vendor read 0x%02x sent to adapter %u target %u lun %u\n", kVendorReadOpcode, srb[sim::srb::kHaId],
                        srb[sim::srb::kTarget], srb[sim::srb::kLun]);
}


// "access denied (error 5)": the customer's table's English words for an
// error are the explanation's own.
std::string Error(DWORD error)
{
    return std::string(lang::ErrorText(lang::kEnglish, std::to_string(error))) + " (error " + std::to_string(error) + ")";
}

// "GetLogicalDrives failed (its call 1, a fault the machine describes)".
std::string FaultText(const Fault &f)
{
    return f.operation + " failed (its call " + std::to_string(f.nth) + ", a fault the machine describes)";
}

// ": <the fault>" after a cause, or nothing.
std::string AnyFault(const Fault &f) { return f.operation.empty() ? "" : ": " + FaultText(f); }

std::string NearMissText(const Diagnosis &d)
{
    switch (d.nearMiss) {
    case NearMiss::UpperCase:
        return "; nearest: " + Shown(d.name, 120) + " would pass in lower case, but Windows reported it in upper case";
    case NearMiss::OtherDisk:
        return "; nearest: the USB disk " + Shown(d.name, 80) + " is another vendor's or another revision";
    case NearMiss::None: break;
    }
    return "";
}

const char *const kOtherProduct = "the disk does not know the vendor command: it is another product of the same "
                                  "vendor; use a flash disk of the served family";
const char *const kAgainOrSupport = "run the program again; if it persists, send the capture to support";

}  // namespace

// "5", "0x02 (CHECK CONDITION)": an argument of an identifier.
std::string Number(unsigned long n) { return std::to_string(n); }
std::string Hex2(unsigned n)
{
    char text[8];
    std::snprintf(text, sizeof(text), "0x%02x", n & 0xFF);
    return text;
}

// The support words of a diagnosis (English), with the identifiers the
// window words for the customer.
CauseWords Words(const Diagnosis &d)
{
    char text[200];
    CauseWords w;
    auto says = [&](std::string cause, std::string remedy, std::string causeId, std::vector<std::string> causeArgs,
                    std::string remedyId, std::vector<std::string> remedyArgs = {}) {
        w = {std::move(cause), std::move(remedy), std::move(causeId), std::move(remedyId), std::move(causeArgs),
             std::move(remedyArgs)};
        return w;
    };
    const std::string version = Number(d.major) + "." + Number(d.minor);
    switch (d.cause) {
    case Cause::VersionUnreadable:
        return says("the Windows version could not be read (GetVersionExA failed), so the library cannot choose its road",
                    "run the program again; if it persists, the system's version information is damaged",
                    "version-unreadable", {}, "version-damaged");
    case Cause::WindowsNotServed:
#if MORVALITH_64BIT
        std::snprintf(text, sizeof(text),
                      "Windows %u.%u (platform %u) is not served: the 64-bit library runs on 64-bit Windows XP and "
                      "Server 2003 and later",
                      d.major, d.minor, d.platform);
        return says(text, "run the program on 64-bit Windows XP or later, or run a 32-bit program with the 32-bit "
                          "Morvalith.dll",
                    "windows-not-served-x64", {version, Number(d.platform)}, "windows-served-x64");
#else
        std::snprintf(text, sizeof(text),
                      "Windows %u.%u (platform %u) is not served: the library runs on Windows 98 and on Windows 2000 "
                      "and later",
                      d.major, d.minor, d.platform);
        return says(text, "run the program on Windows 98, or on Windows 2000 or later", "windows-not-served",
                    {version, Number(d.platform)}, "windows-served");
#endif
    case Cause::NoFlashDisk:
        return says("no flash disk of the served family is attached: no disk interface passes the device-path patterns" +
                        NearMissText(d),
                    "attach one of the supported USB flash disks and run the check again; another make or model of "
                    "disk is not served",
                    d.nearMiss == NearMiss::UpperCase   ? "no-flash-disk-upper-case"
                    : d.nearMiss == NearMiss::OtherDisk ? "no-flash-disk-other-disk"
                                                        : "no-flash-disk",
                    d.nearMiss == NearMiss::UpperCase   ? std::vector<std::string>{Shown(d.name, 120)}
                    : d.nearMiss == NearMiss::OtherDisk ? std::vector<std::string>{Shown(d.name, 80)}
                                                        : std::vector<std::string>{},
                    "attach-served-disk");
    case Cause::DiskSearchFailed:
        return says("the search for the flash disk broke down: " + FaultText(d.fault),
                    "run the program again; if it persists, the system's device list is damaged (reinsert the disk, "
                    "or restart Windows)",
                    "disk-search-failed", {d.fault.operation, Number(d.fault.nth)}, "device-list-damaged");
    case Cause::NoCdromDrive:
        return says("the flash disk is attached, but Windows shows no CD-ROM drive: the disk's autorun partition is not "
                    "mounted",
                    "reinsert the flash disk and check in Disk Management that its CD-ROM (autorun) partition has a "
                    "drive letter",
                    "no-cdrom-drive", {}, "autorun-letter");
    case Cause::NoAutorunVolume:
        return says("the flash disk is attached, but no CD-ROM drive's MountedDevices value names an autorun disk",
                    "reinsert the flash disk and check in Disk Management that its CD-ROM (autorun) partition has a "
                    "drive letter; another CD-ROM drive does not serve",
                    "no-autorun-volume", {}, "autorun-letter-other-cdrom");
    case Cause::OpenFailed:
        return says("the flash disk was found but could not be opened: " + Error(d.error),
                    d.error == ERROR_ACCESS_DENIED
                        ? "on Windows Vista and later run the program elevated (as administrator); otherwise ask the "
                          "administrator whether a policy denies access to removable storage"
                        : "check that the disk is still attached and that no other program holds it, then reinsert it",
                    d.error == ERROR_ACCESS_DENIED ? "open-denied" : d.error == 32 ? "open-in-use" : "open-failed",
                    {Number(d.error)}, d.error == ERROR_ACCESS_DENIED ? "run-elevated" : "release-disk");
    case Cause::TransportFailed:
        return says("the vendor read did not reach the disk: DeviceIoControl failed: " + Error(d.error),
                    "reinsert the disk; if it persists, the disk's driver or a policy blocks SCSI pass-through",
                    "transport-failed", {Number(d.error)}, "pass-through-blocked");
    case Cause::CommandRefused:
        return says("the disk refused the vendor read: SCSI status " + Status((uint8_t)d.status) +
                        (d.senseKey >= 0 ? ", sense key " + SenseKey(d.senseKey) : ""),
                    d.senseKey == 0x5 ? kOtherProduct
                                      : "reinsert the disk and try again; if it persists, the disk is faulty",
                    d.senseKey >= 0 ? "command-refused" : "command-refused-status",
                    d.senseKey >= 0 ? std::vector<std::string>{Status((uint8_t)d.status), SenseKey(d.senseKey)}
                                    : std::vector<std::string>{Status((uint8_t)d.status)},
                    d.senseKey == 0x5 ? "other-product" : "disk-faulty");
    case Cause::AttachFailed:
        return says("the attach failed after the vendor read" + AnyFault(d.fault), kAgainOrSupport, "attach-failed", {},
                    "again-or-support");
    case Cause::NoAspiManager:
        return says("WNASPI32.DLL, the ASPI manager, is not installed",
                    "install an ASPI manager (WNASPI32.DLL) for Windows 9x and attach the disk again", "no-aspi-manager",
                    {}, "install-aspi");
    case Cause::AspiEntryPointMissing:
        return says("WNASPI32.DLL lacks its entry point " + Shown(d.name),
                    "reinstall a complete ASPI manager (WNASPI32.DLL)", "aspi-entry-point-missing", {Shown(d.name)},
                    "reinstall-aspi");
    case Cause::AspiNotStarted:
        std::snprintf(text, sizeof(text), "the ASPI manager failed to start (status 0x%02x)", d.status);
        return says(text, "reinstall the ASPI manager and restart Windows", "aspi-not-started", {Hex2(d.status)},
                    "reinstall-aspi-restart");
    case Cause::NoHostAdapters:
        return says("the ASPI manager reports no host adapters",
                    "install the USB storage driver for Windows 98, attach the disk and restart Windows",
                    "no-host-adapters", {}, "install-usb-driver");
    case Cause::NoAspiFlashDisk:
        return says("no ASPI unit identifies as the flash disk (\"" MORVALITH_FLASH_DISK_ID "\")",
                    "attach a flash disk of the served family; check that Windows shows it as a disk drive",
                    "no-aspi-flash-disk", {MORVALITH_FLASH_DISK_ID}, "attach-served-disk-98");
    case Cause::UnitRefused:
        std::snprintf(text, sizeof(text),
                      "the unit at adapter %u target %u lun %u, which identifies as the flash disk, rejected the "
                      "vendor read (ASPI status 0x%02x)",
                      d.adapter, d.target, d.lun, d.status);
        return says(text, kOtherProduct, "unit-refused",
                    {Number(d.adapter), Number(d.target), Number(d.lun), Hex2(d.status)}, "other-product");
    case Cause::LetterSearchFailed:
        return says("the library loads, but the drive-letter search broke down: " + FaultText(d.fault) +
                        (d.keyServed ? "; GetUSBDriveLetter returns 0 (GetIDKey, which searches again, gets the key)"
                                     : "; GetUSBDriveLetter returns 0 and GetIDKey fails"),
                    "run the program again; if it persists, reinsert the disk",
                    d.keyServed ? "letter-search-failed-key-served" : "letter-search-failed",
                    {d.fault.operation, Number(d.fault.nth)}, "again-reinsert");
    case Cause::NoLetterDisk:
        return says(std::string("the library loads, but no disk's path holds \"") + kLetterBusToken + "\", \"" +
                        kLetterClassToken + "\" and \"" + kLetterRevisionToken +
                        "\": GetUSBDriveLetter returns 0 and GetIDKey fails",
                    std::string("the drive letter and the key are served for USB flash disks of revision ") +
                        (kLetterRevisionToken + 1) + " only; attach one",
                    "no-letter-disk", {kLetterBusToken, kLetterClassToken, kLetterRevisionToken}, "revision-only",
                    {kLetterRevisionToken + 1});
    case Cause::NoLetteredVolume:
        return says("the library loads, but the flash disk has no lettered removable volume: GetUSBDriveLetter returns "
                    "0 and GetIDKey fails",
                    "reinsert the disk and check in Disk Management that its removable partition has a drive letter",
                    "no-lettered-volume", {}, "removable-letter");
    case Cause::NoVendorLibrary:
        return says("the vendor library " MORVALITH_VENDOR_LIBRARY " cannot be loaded: GetIDKey fails",
                    "ship the folder Vendor with VendorUFDAPI.dll beside the program", "no-vendor-library",
                    {MORVALITH_VENDOR_LIBRARY}, "ship-vendor-folder");
    case Cause::NoVendorEntryPoint:
        return says(MORVALITH_VENDOR_LIBRARY " lacks " MORVALITH_VENDOR_ENTRY_POINT ": GetIDKey fails",
                    "ship the disk vendor's own VendorUFDAPI.dll; this one is another version or another library",
                    "no-vendor-entry-point", {MORVALITH_VENDOR_LIBRARY, MORVALITH_VENDOR_ENTRY_POINT},
                    "ship-vendor-original");
    case Cause::VendorCallFailed:
        return says("the vendor library's " MORVALITH_VENDOR_ENTRY_POINT " failed (returned " +
                        std::to_string(d.vendorResult) + ") for " + std::string(1, d.letter) + ": GetIDKey fails",
                    "check the flash disk with the vendor's tool; another product of the vendor has no key",
                    "vendor-call-failed",
                    {MORVALITH_VENDOR_ENTRY_POINT, std::to_string(d.vendorResult), std::string(1, d.letter)},
                    "check-vendor-tool");
    case Cause::NoVendorHelper:
        return says("the vendor library is a 32-bit DLL, which this 64-bit program calls through "
                    "morvalith-vendor32.exe, and that program is not beside Morvalith.dll: GetIDKey fails",
                    "ship morvalith-vendor32.exe from the x64 folder beside the 64-bit Morvalith.dll",
                    "no-vendor-helper", {}, "ship-vendor-helper");
    case Cause::VendorHelperFailed:
        return says("the 32-bit vendor library was called through morvalith-vendor32.exe, which gave no whole answer "
                    "(it hung, crashed or stopped short): GetIDKey fails",
                    "check the flash disk with the vendor's tool and try again; if it persists, reinstall the program "
                    "with its morvalith-vendor32.exe",
                    "vendor-helper-failed", {}, "check-vendor-tool-again");
    case Cause::KeyFailed:
        return says("GetIDKey fails" + AnyFault(d.fault), kAgainOrSupport, "key-failed", {}, "again-or-support");
    case Cause::None: break;
    }
    return says(std::string("none: the library loads, GetUSBDriveLetter returns ") + d.letter +
                    ": and GetIDKey returns the key",
                "none needed", "none", {std::string(1, d.letter)}, "none");
}

int Explain(const sim::Machine &m, const std::string &name, bool calls)
{
    const std::vector<DWORD> masks = FreshMasks(m);
    const HostRun run = RunHost(m);
    const CauseWords d = Words(Diagnose(m, run));

    std::printf("machine: %s\n", Shown(name).c_str());
    std::printf("  Windows %lu.%lu build %lu, platform %lu, as GetVersionExA reports it to the host\n",
                (unsigned long)m.major, (unsigned long)m.minor, (unsigned long)m.build, (unsigned long)m.platform);
    std::string note = VersionNote(m, "a host");
    if (!note.empty()) std::printf("  %s\n", note.c_str());
    std::printf("cause: %s\n", Shown(d.cause, 400).c_str());
    std::printf("remedy: %s\n", Shown(d.remedy, 400).c_str());
    // The same for the customer's window, which words them in the customer's language.
    std::printf("cause-id: %s\n", lang::IdLine(d.causeId, d.causeArgs).c_str());
    std::printf("remedy-id: %s\n", lang::IdLine(d.remedyId, d.remedyArgs).c_str());

    std::printf("load:\n");
    if (m.major >= 5) {
        if (m.major == 5)
            std::printf("  Windows 2000 and later: the flash disk is found among the disk interfaces, opened and sent "
                        "the vendor read by SCSI pass-through\n");
        else
            std::printf("  Windows Vista and later: the flash disk is found among the disk interfaces, and the "
                        "autorun CD-ROM volume is opened and sent the vendor read\n");
    } else if (m.platform == VER_PLATFORM_WIN32_WINDOWS) {
        std::printf("  Windows 9x: WNASPI32 scans for the flash disk and sends it the vendor read\n");
    } else {
        std::printf("  Windows NT 4 and older are not served: the library refuses without a word\n");
    }
    if (m.major >= 5) {
        ExplainDisks(m);
        if (m.major > 5) ExplainAutorun(m);
        ExplainOpens("open");
        ExplainPassThrough();
    } else if (m.platform == VER_PLATFORM_WIN32_WINDOWS) {
        ExplainAspi(m);
    }
    Calls(calls, Mark{}, run.attach);
    std::printf("outcome: Morvalith.dll %s\n",
                run.loaded ? "loads" : "refuses to load (the host sees error 1114, a DLL initialization routine failed)");
    if (run.lines.empty()) std::printf("  [LIB] lines: none\n");
    else Lines(run.lines, "  ");

    if (run.loaded) {
        ExplainLetters(m, masks);
        Calls(calls, run.attach, run.letterCall);
        std::printf("GetUSBDriveLetter: %s\n", run.letter ? (std::string(1, run.letter) + ":").c_str() : "0 (no letter)");
        std::printf("vendor library \"" MORVALITH_VENDOR_LIBRARY "\": %s%s\n",
                    m.vendor.installed ? "found" : "not found",
                    m.vendor.installed ? (m.vendor.hasEntryPoint ? ", has " MORVALITH_VENDOR_ENTRY_POINT
                                                                       : ", lacks " MORVALITH_VENDOR_ENTRY_POINT)
                                       : "");
        for (const sim::VendorCall &c : sim::VendorCalls())
            std::printf("  " MORVALITH_VENDOR_ENTRY_POINT "('%c', \"" MORVALITH_CHIP_MODEL "\") returned %d\n", c.letter,
                        m.vendor.result);
        for (size_t i = run.boxesBefore; i < sim::MessageBoxes().size(); ++i)
            std::printf("  message box \"%s\": %s\n", Shown(sim::MessageBoxes()[i].caption).c_str(),
                        Shown(sim::MessageBoxes()[i].text).c_str());
        Calls(calls, run.letterCall, run.keyCall);
        std::printf("GetIDKey: %d%s\n", run.key, run.key ? " (the 32-byte key is not shown)" : "");
    }
    return run.loaded ? 0 : 1;
}
