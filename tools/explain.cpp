// The explanation of one machine. Every verdict comes from the library's own
// functions (the path patterns, the autorun test, the pass-through verdict,
// the instance token, the identifier test, the drive mask) or from what the
// simulated machine recorded while the library ran; nothing here restates a
// rule of the library.
#include "explain.h"

#include <cstdio>
#include <cstring>
#include <functional>

#include "discovery/locator.h"
#include "discovery/resolver.h"
#include "lifecycle/state.h"
#include "morvalith.h"
#include "output.h"
#include "transport/passthrough.h"


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

// Where each step of the host's run ended in the trace, and how many of its
// calls fell past the trace's cap.
struct Mark {
    size_t traced = 0, leftOut = 0, calls = 0;
};
Mark Now() { return {sim::Trace().size(), sim::TraceLeftOut(), sim::CallLog().size() + sim::CallLogLeftOut()}; }

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
        if (!r.ok) {
            std::printf("  vendor read 0x%02x: DeviceIoControl failed, error %lu: the command did not reach the disk\n",
                        kVendorReadOpcode, (unsigned long)r.error);
            continue;
        }
        PassThroughRequest reply;
        std::memset(&reply, 0, sizeof(reply));
        std::memcpy(&reply, r.reply.data(), std::min(r.reply.size(), sizeof(reply)));
        const SCSI_PASS_THROUGH_DIRECT &h = reply.header;
        std::printf("  vendor read 0x%02x: SCSI status 0x%02x (%s), %lu bytes transferred", kVendorReadOpcode, h.ScsiStatus,
                    StatusName(h.ScsiStatus), (unsigned long)h.DataTransferLength);
        size_t at = h.SenseInfoOffset;
        if (h.SenseInfoLength >= 14 && at + 14 <= r.reply.size()) {
            const uint8_t *sense = r.reply.data() + at;
            std::printf("; sense key 0x%x (%s), ASC 0x%02x, ASCQ 0x%02x", sense[2] & 0x0F, SenseKeyName(sense[2]),
                        sense[12], sense[13]);
        } else if (h.SenseInfoLength >= 3 && at + 3 <= r.reply.size()) {
            std::printf("; sense key 0x%x (%s)", r.reply[at + 2] & 0x0F, SenseKeyName(r.reply[at + 2]));
        }
        std::printf("\n  verdict: %s\n", PassThroughSucceeded(TRUE, &reply) ? "the disk answered: the library binds"
                                                                             : "the disk refused the command");
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

// The drive mask of each disk that yields letters, from a run of its own
// made before the reported one: the explanation makes no call of its own on
// the process it reports, so a fault falls where the host meets it.
std::vector<DWORD> FreshMasks(const sim::Machine &m)
{
    sim::Reset(m);
    std::vector<DWORD> masks(m.disks.size(), 0);
    for (size_t i = 0; i < m.disks.size(); ++i) {
        char token[kInstanceTokenSize];
        if (m.disks[i].present &&
            DiskInstanceToken(m.disks[i].path.c_str(), kLetterBusToken, kLetterClassToken, kLetterRevisionToken, token))
            masks[i] = GetInstanceDriveMask(token);
    }
    sim::Settle();
    return masks;
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


// What one host did: the attach, one GetUSBDriveLetter, one GetIDKey, the
// detach, with what it printed and where each step ended in the trace.
struct HostRun {
    BOOL loaded = FALSE;
    std::string lines;  // the attach's [LIB] lines
    char letter = 0;
    int key = 0;
    size_t boxesBefore = 0;
    Mark attach, letterCall, keyCall;
    bool versionFailed = false;
};

HostRun RunHost(const sim::Machine &m)
{
    sim::Reset(m);
    // A fresh process: the library state as the loader maps it.
    ResetLibraryState();
    sim::TraceCalls(true);
    HostRun r;
    HINSTANCE self = (HINSTANCE)0x10000000;
    r.lines = CaughtOutput([&] { r.loaded = DllMain(self, DLL_PROCESS_ATTACH, nullptr); });
    // The attach asks the version first, and the machine says whether it made
    // that query fail.
    for (const sim::InjectedFailure &f : sim::InjectedFailures())
        r.versionFailed = r.versionFailed || (f.operation == "GetVersionExA" && f.nth == 1);
    r.attach = Now();
    if (r.loaded) {
        CaughtOutput([&] { r.letter = GetUSBDriveLetter(); });
        r.letterCall = Now();
        unsigned char key[32];
        r.boxesBefore = sim::MessageBoxes().size();
        CaughtOutput([&] { r.key = GetIDKey(key); });
        std::memset(key, 0, sizeof(key));
        r.keyCall = Now();
    }
    DllMain(self, DLL_PROCESS_DETACH, nullptr);
    sim::Settle();
    sim::TraceCalls(false);
    return r;
}


const char *ErrorName(DWORD error)
{
    switch (error) {
    case 2: return "file not found";
    case 3: return "path not found";
    case 5: return "access denied";
    case 6: return "invalid handle";
    case 8: return "not enough memory";
    case 21: return "the device is not ready";
    case 31: return "a device attached to the system is not functioning";
    case 32: return "sharing violation: another program holds the disk";
    case 50: return "the request is not supported";
    case 87: return "invalid parameter";
    case 126: return "the module was not found";
    case 127: return "the entry point was not found";
    case 170: return "the device is busy";
    case 1117: return "an I/O device error";
    case 1167: return "the device is not connected";
    default: return "an error the explanation has no name for";
    }
}

std::string Error(DWORD error) { return std::string(ErrorName(error)) + " (error " + std::to_string(error) + ")"; }

// The first platform call of a step that the machine failed on purpose (the
// scenario's faults); empty when none did.
std::string FirstFailure(Mark from, Mark to);

// ": <the failure>" after a cause, or nothing.
std::string AnyFailure(Mark from, Mark to)
{
    std::string failure = FirstFailure(from, to);
    return failure.empty() ? "" : ": " + failure;
}

std::string FirstFailure(Mark from, Mark to)
{
    for (const sim::InjectedFailure &f : sim::InjectedFailures())
        if (f.position >= from.calls && f.position < to.calls)
            return f.operation + " failed (its call " + std::to_string(f.nth) + ", a fault the machine describes)";
    return "";
}

// Why a served disk did not match: the nearest miss among the USB disks.
std::string NearestMiss(const sim::Machine &m)
{
    for (const sim::DiskInterface &d : m.disks)
        if (d.present && sim::Lower(d.path) != d.path && DevicePathMatches(sim::Lower(d.path).c_str()))
            return "; nearest: " + Shown(d.path, 120) + " would pass in lower case, but Windows reported it in upper case";
    // A USB disk's name: from its class on, to the next '#'.
    const std::string bus = std::string(kLetterBusToken) + "#", disk = std::string(kLetterClassToken) + "&ven_";
    for (const sim::DiskInterface &d : m.disks) {
        std::string lower = sim::Lower(d.path);
        size_t name = lower.find(bus + disk);
        if (!d.present || name == std::string::npos) continue;
        name += bus.size();
        size_t end = lower.find('#', name + disk.size());
        return "; nearest: the USB disk " + Shown(d.path.substr(name, end == std::string::npos ? 60 : end - name), 80) +
               " is another vendor's or another revision";
    }
    return "";
}

struct Diagnosis {
    std::string cause, remedy;
};

Diagnosis DiagnoseNt(const sim::Machine &m, const HostRun &run)
{
    const auto &opens = sim::FileOpens();
    if (opens.empty()) {
        bool candidate = false;
        for (const sim::DiskInterface &d : m.disks) candidate = candidate || (d.present && DevicePathMatches(d.path.c_str()));
        std::string failure = FirstFailure(Mark{}, run.attach);
        if (!candidate)
            return {"no flash disk of the served family is attached: no disk interface passes the device-path "
                    "patterns" + NearestMiss(m),
                    "attach one of the supported USB flash disks and run the check again; another make or "
                    "model of disk is not served"};
        if (!failure.empty())
            return {"the search for the flash disk broke down: " + failure,
                    "run the program again; if it persists, the system's device list is damaged (reinsert the disk, "
                    "or restart Windows)"};
        bool cdrom = false;
        for (const auto &[letter, drive] : m.drives) cdrom = cdrom || drive.type == DRIVE_CDROM;
        if (!cdrom)
            return {"the flash disk is attached, but Windows shows no CD-ROM drive: the disk's autorun partition is "
                    "not mounted",
                    "reinsert the flash disk and check in Disk Management that its CD-ROM (autorun) partition has a "
                    "drive letter"};
        return {"the flash disk is attached, but no CD-ROM drive's MountedDevices value names an autorun disk",
                "reinsert the flash disk and check in Disk Management that its CD-ROM (autorun) partition has a drive "
                "letter; another CD-ROM drive does not serve"};
    }
    const sim::FileOpen &open = opens.front();
    if (!open.opened) {
        if (open.error == ERROR_ACCESS_DENIED)
            return {"the flash disk was found but could not be opened: " + Error(open.error),
                    "on Windows Vista and later run the program elevated (as administrator); otherwise ask the "
                    "administrator whether a policy denies access to removable storage"};
        return {"the flash disk was found but could not be opened: " + Error(open.error),
                "check that the disk is still attached and that no other program holds it, then reinsert it"};
    }
    for (const sim::IoctlRecord &r : sim::Ioctls()) {
        if (!r.ok)
            return {"the vendor read did not reach the disk: DeviceIoControl failed: " + Error(r.error),
                    "reinsert the disk; if it persists, the disk's driver or a policy blocks SCSI pass-through"};
        PassThroughRequest reply;
        std::memset(&reply, 0, sizeof(reply));
        std::memcpy(&reply, r.reply.data(), std::min(r.reply.size(), sizeof(reply)));
        if (PassThroughSucceeded(TRUE, &reply)) continue;
        const SCSI_PASS_THROUGH_DIRECT &h = reply.header;
        char status[96];
        std::snprintf(status, sizeof(status), "SCSI status 0x%02x (%s)", h.ScsiStatus, StatusName(h.ScsiStatus));
        std::string cause = std::string("the disk refused the vendor read: ") + status;
        size_t at = h.SenseInfoOffset;
        if (h.SenseInfoLength >= 3 && at + 3 <= r.reply.size()) {
            char sense[64];
            std::snprintf(sense, sizeof(sense), ", sense key 0x%x (%s)", r.reply[at + 2] & 0x0F,
                          SenseKeyName(r.reply[at + 2]));
            cause += sense;
        }
        bool illegal = h.SenseInfoLength >= 3 && at + 3 <= r.reply.size() && (r.reply[at + 2] & 0x0F) == 0x5;
        return {cause, illegal ? "the disk does not know the vendor command: it is another product of the same "
                                 "vendor; use a flash disk of the served family"
                               : "reinsert the disk and try again; if it persists, the disk is faulty"};
    }
    return {"the attach failed after the vendor read" + AnyFailure(Mark{}, run.attach),
            "run the program again; if it persists, send the capture to support"};
}

Diagnosis Diagnose9x(const sim::Machine &m)
{
    const sim::AspiManager &a = m.aspi;
    if (!a.installed)
        return {"WNASPI32.DLL, the ASPI manager, is not installed",
                "install an ASPI manager (WNASPI32.DLL) for Windows 9x and attach the disk again"};
    if (!a.missing.empty())
        return {"WNASPI32.DLL lacks its entry point " + Shown(*a.missing.begin()),
                "reinstall a complete ASPI manager (WNASPI32.DLL)"};
    if (a.supportStatus != SS_COMP && a.supportStatus != SS_NO_ADAPTERS) {
        char text[96];
        std::snprintf(text, sizeof(text), "the ASPI manager failed to start (status 0x%02x)", a.supportStatus);
        return {text, "reinstall the ASPI manager and restart Windows"};
    }
    int adapters = a.adapterCount >= 0 ? a.adapterCount : (int)a.adapters.size();
    if (adapters == 0 || a.supportStatus == SS_NO_ADAPTERS)
        return {"the ASPI manager reports no host adapters",
                "install the USB storage driver for Windows 98, attach the disk and restart Windows"};
    for (const auto &srb : sim::AspiRequests()) {
        using namespace sim::srb;
        if (srb[kCmd] != kExecScsiCmd || srb.size() <= kCdb || srb[kCdb] != kVendorReadOpcode) continue;
        // The request block is recorded as sent; the unit's answer is in the machine.
        int status = -1;
        if (srb[kHaId] < a.adapters.size())
            for (const sim::AspiUnit &u : a.adapters[srb[kHaId]].units)
                if (u.target == srb[kTarget] && u.lun == srb[kLun] && u.answers.count(kVendorReadOpcode))
                    status = u.answers.at(kVendorReadOpcode).status;
        char text[160];
        std::snprintf(text, sizeof(text),
                      "the unit at adapter %u target %u lun %u, which identifies as the flash disk, rejected the "
                      "vendor read (%s 0x%02x)",
                      srb[kHaId], srb[kTarget], srb[kLun], "ASPI status", status < 0 ? 0x04 : status);
        return {text, "the disk does not know the vendor command: it is another product of the same vendor; use a "
                      "flash disk of the served family"};
    }
    return {"no ASPI unit identifies as the flash disk (\"" MORVALITH_FLASH_DISK_ID "\")",
            "attach a flash disk of the served family; check that Windows shows it as a disk drive"};
}

Diagnosis Diagnose(const sim::Machine &m, const HostRun &run)
{
    if (!run.loaded) {
        if (run.versionFailed)
            return {"the Windows version could not be read (GetVersionExA failed), so the library cannot choose its "
                    "road",
                    "run the program again; if it persists, the system's version information is damaged"};
        if (m.major >= 5) return DiagnoseNt(m, run);
        if (m.platform == VER_PLATFORM_WIN32_WINDOWS) return Diagnose9x(m);
        char text[160];
        std::snprintf(text, sizeof(text),
                      "Windows %u.%u (platform %u) is not served: the library runs on Windows 98 and on Windows 2000 "
                      "and later",
                      m.major, m.minor, m.platform);
        return {text, "run the program on Windows 98, or on Windows 2000 or later"};
    }
    if (!run.letter) {
        std::string failure = FirstFailure(run.attach, run.letterCall);
        if (!failure.empty())
            return {"the library loads, but the drive-letter search broke down: " + failure +
                        (run.key ? "; GetUSBDriveLetter returns 0 (GetIDKey, which searches again, gets the key)"
                                 : "; GetUSBDriveLetter returns 0 and GetIDKey fails"),
                    "run the program again; if it persists, reinsert the disk"};
        bool tested = false;
        for (const sim::DiskInterface &d : m.disks) {
            char token[kInstanceTokenSize];
            tested = tested || (d.present && DiskInstanceToken(d.path.c_str(), kLetterBusToken, kLetterClassToken,
                                                               kLetterRevisionToken, token));
        }
        if (!tested)
            return {std::string("the library loads, but no disk's path holds \"") + kLetterBusToken + "\", \"" +
                        kLetterClassToken + "\" and \"" + kLetterRevisionToken +
                        "\": GetUSBDriveLetter returns 0 and GetIDKey fails",
                    std::string("the drive letter and the key are served for USB flash disks of revision ") +
                        (kLetterRevisionToken + 1) + " only; attach one"};
        return {"the library loads, but the flash disk has no lettered removable volume: GetUSBDriveLetter returns 0 "
                "and GetIDKey fails",
                "reinsert the disk and check in Disk Management that its removable partition has a drive letter"};
    }
    if (!run.key) {
        for (size_t i = run.boxesBefore; i < sim::MessageBoxes().size(); ++i) {
            if (sim::MessageBoxes()[i].text == "Load VendorUFDAPI.dll failed!")
                return {"the vendor library Vendor\\VendorUFDAPI.dll cannot be loaded: GetIDKey fails",
                        "ship the folder Vendor with VendorUFDAPI.dll beside the program"};
            if (sim::MessageBoxes()[i].text == "Load Dll Error!")
                return {"Vendor\\VendorUFDAPI.dll lacks VGetUFDProductInfo: GetIDKey fails",
                        "ship the disk vendor's own VendorUFDAPI.dll; this one is another version or another library"};
        }
        if (!sim::VendorCalls().empty())
            return {"the vendor library's VGetUFDProductInfo failed (returned " + std::to_string(m.vendor.result) +
                        ") for " + std::string(1, run.letter) + ": GetIDKey fails",
                    "check the flash disk with the vendor's tool; another product of the vendor has no key"};
        return {"GetIDKey fails" + AnyFailure(run.letterCall, run.keyCall),
                "run the program again; if it persists, send the capture to support"};
    }
    return {std::string("none: the library loads, GetUSBDriveLetter returns ") + run.letter +
                ": and GetIDKey returns the key",
            "none needed"};
}

}  // namespace

int Explain(const sim::Machine &m, const std::string &name, bool calls)
{
    const std::vector<DWORD> masks = FreshMasks(m);
    const HostRun run = RunHost(m);
    const Diagnosis d = Diagnose(m, run);

    std::printf("machine: %s\n", Shown(name).c_str());
    std::printf("  Windows %lu.%lu build %lu, platform %lu, as GetVersionExA reports it to the host\n",
                (unsigned long)m.major, (unsigned long)m.minor, (unsigned long)m.build, (unsigned long)m.platform);
    std::string note = sim::VersionNote(m, "a host");
    if (!note.empty()) std::printf("  %s\n", note.c_str());
    std::printf("cause: %s\n", Shown(d.cause, 400).c_str());
    std::printf("remedy: %s\n", Shown(d.remedy, 400).c_str());

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
        std::printf("vendor library \"Vendor\\VendorUFDAPI.dll\": %s%s\n",
                    m.vendor.installed ? "found" : "not found",
                    m.vendor.installed ? (m.vendor.hasEntryPoint ? ", has VGetUFDProductInfo" : ", lacks VGetUFDProductInfo")
                                       : "");
        for (const sim::VendorCall &c : sim::VendorCalls())
            std::printf("  VGetUFDProductInfo('%c', \"" MORVALITH_CHIP_MODEL "\") returned %d\n", c.letter,
                        m.vendor.result);
        for (size_t i = run.boxesBefore; i < sim::MessageBoxes().size(); ++i)
            std::printf("  message box \"%s\": %s\n", Shown(sim::MessageBoxes()[i].caption).c_str(),
                        Shown(sim::MessageBoxes()[i].text).c_str());
        Calls(calls, run.letterCall, run.keyCall);
        std::printf("GetIDKey: %d%s\n", run.key, run.key ? " (the 32-byte key is not shown)" : "");
    }
    return run.loaded ? 0 : 1;
}
