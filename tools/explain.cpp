// The explanation of one machine. Every verdict comes from the library's own
// functions (the path patterns, the autorun test, the pass-through verdict,
// the instance token, the identifier test, the drive mask) or from what the
// simulated machine recorded while the library ran; nothing here restates a
// rule of the library.
#include "explain.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "discovery/locator.h"
#include "discovery/resolver.h"
#include "lifecycle/state.h"
#include "morvalith.h"
#include "transport/passthrough.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);

namespace {

const char *const kPatterns[] = {"", "\"usbstor#disk&ven_generic\"", "\"usbalcor#disk&ven_generic\"",
                                 "\"usbstor#disk&ven_jetflash\"", "\"usbstor#disk&ven\" with \"8.01\""};

// Text from the machine as it may appear on one line.
std::string Shown(const std::string &text) { return sim::Printable(text, 200); }

// Runs fn with standard output caught: the library's [LIB] lines.
std::string CaughtOutput(const std::function<void()> &fn)
{
    std::fflush(stdout);
    FILE *file = std::tmpfile();
    if (!file) {
        fn();
        return "";
    }
    int saved = dup(fileno(stdout));
    dup2(fileno(file), fileno(stdout));
    fn();
    std::fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);
    std::string text;
    std::rewind(file);
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, n);
    std::fclose(file);
    return text;
}

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

size_t traced = 0, leftOut = 0;
void Calls(bool calls)
{
    const auto &trace = sim::Trace();
    if (calls && traced < trace.size()) {
        std::printf("  platform calls:\n");
        for (size_t i = traced; i < trace.size(); ++i) std::printf("    %s\n", sim::Printable(trace[i], 1000).c_str());
    }
    if (calls && sim::TraceLeftOut() > leftOut)
        std::printf("    ... %zu more platform calls not shown (the trace keeps the first %zu)\n",
                    sim::TraceLeftOut() - leftOut, trace.size());
    traced = trace.size();
    leftOut = sim::TraceLeftOut();
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
            std::printf("  vendor read 0x82: DeviceIoControl failed, error %lu: the command did not reach the disk\n",
                        (unsigned long)r.error);
            continue;
        }
        PassThroughRequest reply;
        std::memset(&reply, 0, sizeof(reply));
        std::memcpy(&reply, r.reply.data(), std::min(r.reply.size(), sizeof(reply)));
        const SCSI_PASS_THROUGH_DIRECT &h = reply.header;
        std::printf("  vendor read 0x82: SCSI status 0x%02x (%s), %lu bytes transferred", h.ScsiStatus,
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
    for (const auto &[key, value] : m.mountedDevices) {
        std::string lower = key;
        for (char &c : lower) c = (char)std::tolower((unsigned char)c);
        if (lower == name) return &value;
    }
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
                    pattern ? (std::string("passes pattern ") + kPatterns[pattern]).c_str() : "passes no pattern",
                    pattern && first ? " (the flash disk)" : "");
        if (pattern) first = false;
    }
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
            DiskInstanceToken(m.disks[i].path.c_str(), kLetterTokens[0], kLetterTokens[1], kLetterTokens[2], token))
            masks[i] = GetInstanceDriveMask(token);
    }
    sim::Settle();
    return masks;
}

void ExplainLetters(const sim::Machine &m, const std::vector<DWORD> &masks)
{
    std::printf("drive letters (disks whose path holds \"usbstor\", \"disk\" and \"_8.01\"):\n");
    bool parent = VolumeMatchedThroughParent(m.major);
    bool any = false;
    for (size_t i = 0; i < m.disks.size(); ++i) {
        const sim::DiskInterface &d = m.disks[i];
        char token[kInstanceTokenSize];
        if (!d.present || !DiskInstanceToken(d.path.c_str(), kLetterTokens[0], kLetterTokens[1], kLetterTokens[2], token)) continue;
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
    std::printf("ASPI units (the first direct-access unit whose INQUIRY reads \"Generic Flash Disk\" is the flash disk):\n");
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
    for (const auto &srb : sim::Current().aspi.srbs)
        if (srb[0] == 2 && srb.size() > 48 && srb[48] == 0x82)
            std::printf("  vendor read 0x82 sent to adapter %u target %u lun %u\n", srb[2], srb[8], srb[9]);
}

}  // namespace

int Explain(const sim::Machine &m, const std::string &name, bool calls)
{
    const std::vector<DWORD> masks = FreshMasks(m);
    sim::Reset(m);
    sim::TraceCalls(true);
    traced = leftOut = 0;
    std::printf("machine: %s\n", Shown(name).c_str());
    std::printf("  Windows %lu.%lu build %lu, platform %lu, as GetVersionExA reports it to the host\n",
                (unsigned long)m.major, (unsigned long)m.minor, (unsigned long)m.build, (unsigned long)m.platform);
    std::string note = sim::VersionNote(m, "a host");
    if (!note.empty()) std::printf("  %s\n", note.c_str());

    HINSTANCE self = (HINSTANCE)0x10000000;
    BOOL loaded = FALSE;
    std::string lines = CaughtOutput([&] { loaded = DllMain(self, DLL_PROCESS_ATTACH, nullptr); });

    std::printf("load:\n");
    if (m.major >= 5) {
        std::printf("  Windows 2000 and later: the flash disk is found among the disk interfaces, %s\n",
                    m.major == 5 ? "opened and sent the vendor read by SCSI pass-through"
                                 : "and the autorun CD-ROM volume is opened and sent the vendor read");
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
    Calls(calls);
    std::printf("outcome: Morvalith.dll %s\n",
                loaded ? "loads" : "refuses to load (the host sees error 1114, a DLL initialization routine failed)");
    if (lines.empty()) std::printf("  [LIB] lines: none\n");
    else Lines(lines, "  ");

    if (loaded) {
        ExplainLetters(m, masks);
        std::string output;
        char letter = 0;
        output = CaughtOutput([&] { letter = GetUSBDriveLetter(); });
        Calls(calls);
        std::printf("GetUSBDriveLetter: %s\n", letter ? (std::string(1, letter) + ":").c_str() : "0 (no letter)");
        std::printf("vendor library \"Vendor\\VendorUFDAPI.dll\": %s%s\n",
                    m.vendor.installed ? "found" : "not found",
                    m.vendor.installed ? (m.vendor.hasEntryPoint ? ", has VGetUFDProductInfo" : ", lacks VGetUFDProductInfo")
                                       : "");
        unsigned char key[32];
        size_t boxes = sim::MessageBoxes().size();
        int ok = 0;
        CaughtOutput([&] { ok = GetIDKey(key); });
        std::memset(key, 0, sizeof(key));
        for (const sim::VendorCall &c : sim::Current().vendor.calls)
            std::printf("  VGetUFDProductInfo('%c', \"ChipsbankCBM2076\") returned %d\n", c.letter, m.vendor.result);
        for (size_t i = boxes; i < sim::MessageBoxes().size(); ++i)
            std::printf("  message box \"%s\": %s\n", Shown(sim::MessageBoxes()[i].caption).c_str(),
                        Shown(sim::MessageBoxes()[i].text).c_str());
        Calls(calls);
        std::printf("GetIDKey: %d%s\n", ok, ok ? " (the 32-byte key is not shown)" : "");
    }
    DllMain(self, DLL_PROCESS_DETACH, nullptr);
    sim::Settle();
    sim::TraceCalls(false);
    return loaded ? 0 : 1;
}
