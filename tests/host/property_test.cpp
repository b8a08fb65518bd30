// Random machines: generated from a seed across every Windows family, run
// through the loader and both exports, and judged by an oracle written
// apart from the library (it shares none of its code). Each machine is then
// run again with single failures taken from its own call log.
//
// MORVALITH_PROPERTY_SECONDS=N runs fresh seeds for N seconds instead of the
// fixed set, and MORVALITH_PROPERTY_SEED=S replays one seed (scripts/property.sh).
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>

#include "harness.h"
#include "morvalith.h"

using namespace harness;

namespace {

struct Rng {
    std::mt19937 engine;
    explicit Rng(uint32_t seed) : engine(seed) {}
    int Below(int n) { return (int)(engine() % (uint32_t)n); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T> const T &Pick(const std::vector<T> &v) { return v[(size_t)Below((int)v.size())]; }
};

std::string Upper(std::string s)
{
    for (char &c : s) c = (char)std::toupper((unsigned char)c);
    return s;
}

// ---- the generator ---------------------------------------------------------

sim::Machine Generate(uint32_t seed)
{
    Rng r(seed);
    sim::Machine m;
    struct Os {
        DWORD major, minor, platform;
    };
    const std::vector<Os> systems = {{4, 0, 1}, {4, 10, 1}, {4, 90, 1}, {4, 0, 2}, {3, 10, 0}, {5, 0, 2},
                                     {5, 1, 2}, {5, 2, 2},  {6, 0, 2},  {6, 1, 2}, {10, 0, 2}};
    Os os = r.Pick(systems);
    m.major = os.major;
    m.minor = os.minor;
    m.platform = os.platform;

    // Most machines carry a coherent flash disk: its interface, its device,
    // its removable volume under a letter, and on Vista and later an autorun
    // CD-ROM; the noise below may still spoil any part of it.
    if (r.Chance(65)) {
        std::string instance = "6&5150&0";
        m.disks.push_back({"\\\\?\\usbstor#disk&ven_generic&prod_flash_disk&rev_8.01#" + instance + kDiskClassSuffix,
                           "flash"});
        m.devices["flash"] = FlashDevice();
        char letter = (char)('D' + r.Below(20));
        std::string name = "\\\\?\\Volume{flash}\\";
        m.drives[letter] = sim::Drive{DRIVE_REMOVABLE, name, ""};
        m.volumes.push_back({"\\\\?\\storage#volume#flash" + std::string(kVolumeClassSuffix),
                             "STORAGE\\Volume\\_??_USBSTOR#Disk#" + Upper(instance),
                             "USBSTOR\\Disk&Ven_Generic\\" + Upper(instance), name});
        if (m.major > 5 && r.Chance(80)) {
            char cd = (char)('D' + r.Below(23));
            if (!m.drives.count(cd)) {
                m.drives[cd] = sim::Drive{DRIVE_CDROM, "", "autorun"};
                m.mountedDevices[std::string("\\DosDevices\\") + cd + ":"] =
                    sim::Utf16("\\??\\USBSTOR#CdRom&Ven_Generic&Prod_AutoRun_Disk#1");
                m.devices["autorun"] = FlashDevice();
            }
        }
        if (m.platform == 1) {
            sim::AspiUnit unit;
            unit.target = (uint8_t)r.Below(8);
            std::string id = "Generic Flash Disk      8.01";
            unit.inquiry.data.assign(8, 0);
            unit.inquiry.data.insert(unit.inquiry.data.end(), id.begin(), id.end());
            unit.answers[0x82] = {1, Pattern(512)};
            m.aspi.adapters.push_back({1, {unit}});
        }
    }

    // Disks: matching and near-miss paths, some absent, some very long.
    const std::vector<std::string> buses = {"usbstor", "usbstor", "usbalcor", "ide", "USBSTOR"};
    const std::vector<std::string> classes = {"disk", "disk", "cdrom"};
    const std::vector<std::string> vendors = {"ven_generic", "ven_jetflash", "ven_other", "ven_GENERIC"};
    const std::vector<std::string> revisions = {"rev_8.01", "rev_8.01", "rev_8.00", "rev_1.00"};
    std::vector<std::string> instances;
    int disks = r.Below(5);
    for (int i = 0; i < disks; ++i) {
        std::string instance = "7&" + std::to_string(1000 + i) + (r.Chance(5) ? std::string(250, 'l') : "") + "&0";
        instances.push_back(instance);
        std::string path = "\\\\?\\" + r.Pick(buses) + "#" + r.Pick(classes) + "&" + r.Pick(vendors) +
                           "&prod_flash_disk&" + r.Pick(revisions) + "#" + instance + kDiskClassSuffix;
        if (r.Chance(4)) path = "";
        sim::DiskInterface d{path, r.Chance(80) ? "dev" + std::to_string(i) : ""};
        d.present = r.Chance(85);
        m.disks.push_back(d);
    }
    // Devices behind disks and CD-ROM drives: answering, refusing, short, not SCSI.
    auto device = [&](const std::string &name) {
        sim::ScsiDevice dev;
        dev.scsiCapable = r.Chance(90);
        if (r.Chance(85)) {
            sim::ScsiAnswer a;
            a.status = r.Chance(80) ? sim::kGood : sim::kCheckCondition;
            a.data = Pattern((size_t)r.Pick(std::vector<int>{512, 512, 0, 8, 600}));
            dev.answers[0x82] = a;
        }
        if (r.Chance(95)) m.devices[name] = dev;
    };
    for (int i = 0; i < disks; ++i) device("dev" + std::to_string(i));

    // Drives, their volume names and CD-ROM MountedDevices values.
    const std::vector<std::string> mounted = {
        "\\??\\USBSTOR#CdRom&Ven_Generic&Prod_AutoRun_Disk#1", "\\??\\IDE#CdRomHL-DT-ST#5&1", "autorun",
        "DISK AUTORUN", std::string(300, 'a') + "autorun disk", ""};
    std::vector<std::string> names;
    for (int i = 0, n = r.Below(6); i < n; ++i) {
        char letter = (char)('A' + r.Below(26));
        UINT type = r.Pick(std::vector<UINT>{DRIVE_REMOVABLE, DRIVE_REMOVABLE, DRIVE_CDROM, DRIVE_FIXED});
        std::string name = "\\\\?\\Volume{" + std::to_string(r.Below(4)) + "}\\";
        if (r.Chance(10)) name = "";
        names.push_back(name);
        std::string opens = type == DRIVE_CDROM ? std::string("cd") + letter : "";
        m.drives[letter] = sim::Drive{type, name, opens};
        if (type == DRIVE_CDROM) {
            device(opens);
            std::string value = r.Pick(mounted);
            if (r.Chance(15)) {  // any length, around the 520-byte buffer
                value = std::string((size_t)r.Below(300), 'q');
                value.insert((size_t)r.Below((int)value.size() + 1), r.Chance(50) ? "AutoRun Disk" : "autorun");
            }
            if (r.Chance(85)) m.mountedDevices[std::string("\\DosDevices\\") + letter + ":"] = sim::Utf16(value);
        }
    }
    if (r.Chance(5)) m.extraDriveBits = 0xFC000000;
    // Volume interfaces whose identifiers do or do not hold a disk's instance.
    for (int i = 0, n = r.Below(5); i < n; ++i) {
        std::string instance = instances.empty() || r.Chance(15) ? "9&other&0" : r.Pick(instances);
        std::string own = r.Chance(50) ? "STORAGE\\Volume\\_??_USBSTOR#Disk#" + Upper(instance) : "STORAGE\\Volume\\x";
        std::string parent = r.Chance(50) ? "USBSTOR\\Disk&Ven_Generic\\" + Upper(instance) : "USBSTOR\\Disk\\y";
        if (r.Chance(3)) parent += std::string(300, 'p');
        std::string name = names.empty() || r.Chance(10) ? "" : r.Pick(names);
        sim::VolumeInterface v{"\\\\?\\storage#volume#" + std::to_string(i) + kVolumeClassSuffix, own, parent, name};
        v.present = r.Chance(90);
        m.volumes.push_back(v);
    }
    // The vendor library in every state.
    m.vendor.installed = r.Chance(80);
    m.vendor.hasEntryPoint = r.Chance(85);
    m.vendor.result = r.Chance(80) ? 0 : 3;
    m.vendor.writesRecord = r.Chance(90);
    for (auto &b : m.vendor.key) b = (uint8_t)r.Below(256);
    // Of either size, and the 64-bit library's helper for a 32-bit one in
    // every state.
    if (r.Chance(30)) m.vendor.bits = r.Chance(50) ? 32 : 64;
    m.vendorHelper.installed = r.Chance(85);
    m.vendorHelper.vendorLoads = r.Chance(90);
    m.vendorHelper.hangs = r.Chance(5);
    m.vendorHelper.writes = r.Chance(90) ? 0xFFFFFFFF : r.Below(41);
    m.vendorHelper.exitCode = r.Chance(90) ? 0 : 0xC0000005;
    m.vendorHelper.takesMs = r.Chance(90) ? 0 : r.Chance(50) ? 60000 : 60001;
    m.vendorHelper.survivesTerminate = r.Chance(10);
    if (r.Chance(5)) m.vendorHelper.overwrite = {(uint8_t)r.Below(5), 0, 0, 0};

    // WNASPI32 with adapters and units, some finishing later.
    if (m.platform == 1) {
        sim::AspiManager &a = m.aspi;
        a.installed = r.Chance(85);
        if (r.Chance(5)) a.missing.insert(r.Chance(50) ? "GetASPI32SupportInfo" : "SendASPI32Command");
        a.supportStatus = (uint8_t)r.Pick(std::vector<int>{1, 1, 1, 0xE8, 4});
        if (r.Chance(10)) a.adapterCount = r.Below(4);
        a.completeLater = r.Chance(30);
        a.completionDelayMs = (unsigned)r.Below(2);
        for (int h = 0, n = r.Below(3); h < n; ++h) {
            sim::AspiAdapter adapter;
            adapter.inquiryStatus = r.Chance(85) ? 1 : 4;
            for (int u = 0, units = r.Below(4); u < units; ++u) {
                sim::AspiUnit unit;
                unit.target = (uint8_t)r.Below(8);
                unit.lun = (uint8_t)r.Below(3);
                unit.devTypeStatus = r.Chance(90) ? 1 : 4;
                unit.deviceType = r.Chance(80) ? 0 : 5;
                std::string id = r.Pick(std::vector<std::string>{"Generic Flash Disk USB", "Generic Flash Disk",
                                                                 "generic Flash Disk", "Generic Flash Drive",
                                                                 "Other   Flash Disk"});
                std::vector<uint8_t> data(8, 0);
                data.insert(data.end(), id.begin(), id.end());
                if (r.Chance(10)) data.resize((size_t)r.Below(20));
                unit.inquiry = {(uint8_t)(r.Chance(90) ? 1 : 4), data};
                if (r.Chance(85)) unit.answers[0x82] = {(uint8_t)(r.Chance(85) ? 1 : 4), Pattern(512)};
                adapter.units.push_back(unit);
            }
            a.adapters.insert(a.adapters.begin() + r.Below((int)a.adapters.size() + 1), adapter);
        }
    }
    return m;
}

// ---- the oracle --------------------------------------------------------------

bool Has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

struct Expected {
    bool loaded = false;
    std::string lines;
    std::string opened;             // device that gets the vendor read (NT)
    std::string aspiAddress;        // "ha:target:lun" of the vendor read (9x)
    std::vector<std::string> srbs;  // "cmd ha:target:lun" of every ASPI request, in order
    std::string letters;            // every letter the lookup collects, in order
};

std::vector<const sim::DiskInterface *> PresentDisks(const sim::Machine &m)
{
    std::vector<const sim::DiskInterface *> out;
    for (const auto &d : m.disks)
        if (d.present) out.push_back(&d);
    return out;
}

bool DiskPatternMatches(const std::string &p)
{
    return Has(p, "usbstor#disk&ven_generic") || Has(p, "usbalcor#disk&ven_generic") ||
           Has(p, "usbstor#disk&ven_jetflash") || (Has(p, "usbstor#disk&ven") && Has(p, "8.01"));
}

// The device reached by a path, as the machine's CreateFileA resolves it.
std::string Reached(const sim::Machine &m, const std::string &path)
{
    for (const auto &d : m.disks)
        if (d.present && !d.opens.empty() && d.path == path) return d.opens;
    if (path.size() == 6 && path.rfind("\\\\.\\", 0) == 0) {
        auto it = m.drives.find(path[4]);
        if (it != m.drives.end()) return it->second.opens;
    }
    return "";
}

bool Answers(const sim::Machine &m, const std::string &device)
{
    auto it = m.devices.find(device);
    if (device.empty() || it == m.devices.end() || !it->second.scsiCapable) return false;
    auto a = it->second.answers.find(0x82);
    return a != it->second.answers.end() && a->second.status == sim::kGood;
}

void ExpectNt(const sim::Machine &m, Expected &e)
{
    const char notFound[] = "[LIB] Can not find Alcor flash disk\n";
    auto disks = PresentDisks(m);
    const sim::DiskInterface *match = nullptr;
    for (size_t i = 0; i < disks.size() && i < 26 && !match; ++i)
        if (DiskPatternMatches(disks[i]->path)) match = disks[i];
    std::string path;
    if (match && m.major == 5 && match->path.size() < 260) path = match->path;
    if (match && m.major > 5) {
        for (const auto &[letter, drive] : m.drives) {
            if (drive.type != DRIVE_CDROM) continue;
            auto v = m.mountedDevices.find(std::string("\\DosDevices\\") + letter + ":");
            if (v == m.mountedDevices.end() || v->second.size() > 520) continue;
            std::string text;
            for (size_t i = 0; i + 1 < v->second.size() + 1 && i < v->second.size(); i += 2) {
                if (!v->second[i]) break;
                text += (char)std::tolower(v->second[i]);
            }
            if (Has(text, "autorun") && Has(text, "disk")) {
                path = std::string("\\\\.\\") + letter + ":";
                break;
            }
        }
    }
    e.opened = path.empty() ? "" : Reached(m, path);
    if (e.opened.empty()) {
        e.lines = notFound;
        return;
    }
    e.loaded = Answers(m, e.opened);
    e.lines = e.loaded ? "" : "[LIB] Get Vendor 512bytes sector FAILED\n";
}

void Expect9x(const sim::Machine &m, Expected &e)
{
    const sim::AspiManager &a = m.aspi;
    if (!a.installed) {
        e.lines = "[LIB] Load WNASPI32 Fail\n";
        return;
    }
    if (!a.missing.empty()) {
        e.lines = "[LIB] WNASPI32 entry point missing\n";
        return;
    }
    auto address = [](int h, int t, int l) {
        return std::to_string(h) + ":" + std::to_string(t) + ":" + std::to_string(l);
    };
    int count = (a.adapterCount >= 0 ? a.adapterCount : (int)a.adapters.size()) & 0xFF;
    const sim::AspiUnit *found = nullptr;
    if (a.supportStatus != 1 && a.supportStatus != 0xE8) {
        e.lines += "[LIB] Initial FAILED\n";
        count = 0;
    }
    for (int h = 0; h < count && !found; ++h) {
        e.srbs.push_back("0 " + address(h, 0, 0));
        if (h >= (int)a.adapters.size() || a.adapters[h].inquiryStatus != 1) {
            e.lines += "[LIB] SC_HA_INQUIRY FAILED\n";
            continue;
        }
        for (int t = 0; t < 8 && !found; ++t) {
            for (int l = 0; l < 8 && !found; ++l) {
                e.srbs.push_back("1 " + address(h, t, l));
                const sim::AspiUnit *unit = nullptr;
                for (const auto &u : a.adapters[h].units)
                    if (!unit && u.target == t && u.lun == l) unit = &u;
                if (!unit || unit->devTypeStatus != 1 || unit->deviceType != 0) continue;
                e.srbs.push_back("2 " + address(h, t, l));
                if (unit->inquiry.status != 1) {
                    e.lines += "[LIB] Exec SCSIOP_INQUIRY Fail.\n";
                    continue;
                }
                std::vector<uint8_t> data = unit->inquiry.data;
                data.resize(36, 0);
                if (std::string(data.begin() + 8, data.begin() + 26) == "Generic Flash Disk") {
                    found = unit;
                    e.aspiAddress = address(h, t, l);
                }
            }
        }
    }
    if (!found) {
        e.lines += "[LIB] Can not find Alcor flash disk\n";
        return;
    }
    e.srbs.push_back("2 " + e.aspiAddress);
    auto answer = found->answers.find(0x82);
    e.loaded = answer != found->answers.end() && answer->second.status == 1;
    e.lines += e.loaded ? "[LIB] Exec Vendor SCSI command, 0x82, SUCCEED.\n"
                        : "[LIB] Exec Vendor SCSI command, 0x82, FAILED.\n[LIB] Get Vendor 512bytes sector FAILED\n";
}

std::string Letters(const sim::Machine &m)
{
    std::string letters;
    std::map<char, std::string> removable;  // letter -> volume name
    for (const auto &[letter, drive] : m.drives)
        if (drive.type == DRIVE_REMOVABLE && !drive.volumeName.empty() && drive.volumeName.size() < 260)
            removable[letter] = drive.volumeName;
    for (const auto *d : PresentDisks(m)) {
        const std::string &p = d->path;
        if (!Has(p, "usbstor") || !Has(p, "disk") || !Has(p, "_8.01")) continue;
        size_t start = p.find("_8.01") + 6, brace = p.find("#{");
        if (brace == std::string::npos || brace < start || brace - start >= 64) continue;
        std::string token = p.substr(start, brace - start);
        std::set<char> mask;
        for (const auto &v : m.volumes) {
            if (!v.present || v.path.size() > 255 || removable.empty()) continue;
            std::string id = m.major <= 5 ? v.parentId : v.deviceId;
            if (id.size() >= 260) continue;
            for (char &c : id) c = c == '\\' ? '#' : (char)std::tolower((unsigned char)c);
            if (!Has(id, token) || v.volumeName.empty() || v.volumeName.size() >= 260) continue;
            for (const auto &[letter, name] : removable)
                if (name == v.volumeName) mask.insert(letter);
        }
        for (char letter : mask) letters += letter;
    }
    return letters;
}

Expected Oracle(const sim::Machine &m)
{
    Expected e;
    if (m.major >= 5) ExpectNt(m, e);
    // Windows 9x is served through ASPI by the 32-bit library only; the
    // 64-bit one refuses it without a word, as it does NT 4.
    else if (m.platform == 1 && sizeof(void *) == 4) Expect9x(m, e);
    e.letters = Letters(m);
    return e;
}

// ---- one run -------------------------------------------------------------------

struct Run {
    bool loaded;
    std::string lines;
    char letter;
    int keyResult;
    std::vector<uint8_t> key;
    std::vector<std::string> log;
};

const uint8_t kSentinel = 0x5A;

Run RunOnce(const sim::Machine &m, const std::vector<std::pair<std::string, int>> &faults)
{
    Boot(m);
    for (const auto &[op, n] : faults) sim::FailCall(op, n);
    Run run;
    Attach a = AttachLibrary();
    run.loaded = a.result;
    run.lines = a.output;
    run.letter = GetUSBDriveLetter();
    std::vector<uint8_t> key(32, kSentinel);
    run.keyResult = GetIDKey(key.data());
    run.key = key;
    DetachLibrary();
    run.log = sim::CallLog();
    return run;
}

std::string Describe(uint32_t seed, const std::string &what)
{
    return "seed " + std::to_string(seed) + ": " + what;
}

// Whether the vendor library hands over a key: loaded in process when it is
// of the process's size; a 64-bit process reaches a 32-bit one through the
// helper, which must answer in whole; a 32-bit process cannot use a 64-bit one.
bool VendorAnswers(const sim::Machine &m)
{
    const sim::VendorLibrary &v = m.vendor;
    const sim::VendorHelper &h = m.vendorHelper;
    const int bits = (int)sizeof(void *) * 8;
    bool called = v.installed && v.hasEntryPoint && v.result == 0;
    if (v.bits == 0 || v.bits == bits) return called;
    if (bits == 64 && v.bits == 32)
        return called && h.installed && h.vendorLoads && !h.hangs && h.takesMs <= 60000 && h.exitCode == 0 &&
               h.writes >= 40 && (h.overwrite.empty() || h.overwrite[0] == 0);
    return false;
}

// The key result a run must show given the letter its GetIDKey found.
std::string CheckKey(const sim::Machine &m, const Run &run, bool exact)
{
    bool gets = run.letter && VendorAnswers(m);
    std::vector<uint8_t> want(32, 0);
    if (m.vendor.writesRecord) want.assign(m.vendor.key.begin(), m.vendor.key.end());
    if (run.keyResult == 1) {
        if (run.key != want) return "key differs from the vendor's record";
        if (exact && !gets) return "GetIDKey returned 1 where it must fail";
    } else {
        if (run.keyResult != 0) return "GetIDKey returned " + std::to_string(run.keyResult);
        if (run.key != std::vector<uint8_t>(32, kSentinel)) return "a failed GetIDKey wrote the key buffer";
        if (exact && gets) return "GetIDKey failed where the key is to be had";
    }
    return "";
}

std::string Held()
{
    sim::Resources held = sim::Held();
    held.modules -= sim::ModuleReferences("vendor\\vendorufdapi.dll");
    if (held == sim::Resources{}) return "";
    std::ostringstream s;
    s << "left held: handles " << held.handles << ", lists " << held.lists << ", heap " << held.heapBlocks
      << ", keys " << held.keys << ", modules " << held.modules << ", bad releases " << held.badReleases;
    return s.str();
}

std::string CheckSeed(uint32_t seed, int faultRuns)
{
    sim::Machine m = Generate(seed);
    Expected e = Oracle(m);
    Run run = RunOnce(m, {});
    if (std::string h = Held(); !h.empty()) return Describe(seed, h);
    if (run.loaded != e.loaded) return Describe(seed, std::string("load ") + (run.loaded ? "succeeded" : "failed"));
    if (run.lines != e.lines) return Describe(seed, "lines \"" + run.lines + "\", expected \"" + e.lines + "\"");
    char letter = e.letters.empty() ? 0 : e.letters[0];
    if (run.letter != letter)
        return Describe(seed, std::string("letter ") + (run.letter ? run.letter : '0') + ", expected " +
                                  (letter ? letter : '0'));
    if (std::string k = CheckKey(m, run, true); !k.empty()) return Describe(seed, k);
    // Only the opened device hears the vendor read; others hear nothing.
    for (const auto &[name, dev] : sim::Current().devices) {
        size_t want = name == e.opened && dev.scsiCapable ? 1 : 0;  // others refuse pass-through itself
        const auto &requests = sim::DeviceRequests(name);
        if (requests.size() != want)
            return Describe(seed, "device " + name + " got " + std::to_string(requests.size()) + " requests");
        if (want) {
            // The pass-through block, byte for byte, as the port driver sees it.
            std::vector<uint8_t> block = VendorReadBlock(g_library.vendorSector);
            if (requests[0] != block) {
                std::string d;
                for (size_t i = 0; i < 80 && i < requests[0].size(); ++i)
                    if (requests[0][i] != block[i]) d += " " + std::to_string(i) + "=" + std::to_string(requests[0][i]);
                return Describe(seed, "the pass-through block differs at" + d);
            }
        }
    }
    std::vector<std::string> srbs;
    for (const auto &b : sim::AspiRequests())
        srbs.push_back(std::to_string(b[0]) + " " + std::to_string(b[2]) + ":" +
                       std::to_string(b[0] == 0 ? 0 : b[8]) + ":" + std::to_string(b[0] == 0 ? 0 : b[9]));
    if (srbs != e.srbs) return Describe(seed, "ASPI requests differ from the scan order");

    // Single failures taken from the run's own log.
    std::map<std::string, int> points;
    for (const std::string &op : run.log) {
        // A scenario's faults must be able to name every operation there is.
        if (!sim::Operations().count(op)) return Describe(seed, op + " is not among the operations a fault may name");
        if (!IsRelease(op)) ++points[op];
    }
    Rng r(seed ^ 0x9E3779B9u);
    std::vector<std::pair<std::string, int>> all;
    for (const auto &[op, n] : points)
        for (int i = 1; i <= n; ++i) all.push_back({op, i});
    for (int i = 0; i < faultRuns && !all.empty(); ++i) {
        auto fault = all[(size_t)r.Below((int)all.size())];
        Run f = RunOnce(m, {fault});
        std::string where = " (failing " + fault.first + " #" + std::to_string(fault.second) + ")";
        if (std::string h = Held(); !h.empty()) return Describe(seed, h + where);
        if (f.letter && !Has(e.letters, std::string(1, f.letter)))
            return Describe(seed, std::string("letter ") + f.letter + " is no flash disk's" + where);
        if (std::string k = CheckKey(m, f, false); !k.empty()) return Describe(seed, k + where);
        // Whatever fails, the vendor read reaches no device the system's
        // branch would not open: on XP the matched disk, on Vista and later
        // CD-ROM volumes only.
        for (const auto &[name, dev] : sim::Current().devices) {
            bool cdrom = false;
            for (const auto &[letter, drive] : m.drives) cdrom = cdrom || (drive.type == DRIVE_CDROM && drive.opens == name);
            bool allowed = m.major == 5 ? name == e.opened : m.major > 5 && cdrom;
            if (!sim::DeviceRequests(name).empty() && !allowed) return Describe(seed, "device " + name + " was sent the vendor read" + where);
        }
        if (f.loaded && m.major == 5 && e.opened.empty()) return Describe(seed, "loaded without a flash disk" + where);
    }
    return "";
}

TEST(Property, RandomMachinesMatchTheOracle)
{
    const char *seconds = std::getenv("MORVALITH_PROPERTY_SECONDS");
    const char *one = std::getenv("MORVALITH_PROPERTY_SEED");
    if (one) {
        EXPECT_EQ(CheckSeed((uint32_t)std::strtoul(one, nullptr, 10), 40), "");
        return;
    }
    if (seconds) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(seconds));
        uint32_t seed = std::random_device{}();
        int runs = 0;
        for (; std::chrono::steady_clock::now() < end; ++seed, ++runs) {
            std::string failure = CheckSeed(seed, 10);
            if (!failure.empty()) {
                ADD_FAILURE() << failure << "\nreplay: MORVALITH_PROPERTY_SEED=" << seed;
                return;
            }
        }
        std::printf("property: %d random machines, no failure\n", runs);
        return;
    }
    int loaded = 0, lettered = 0, keyed = 0, helped = 0;
    for (uint32_t seed = 1; seed <= 600; ++seed) {
        ASSERT_EQ(CheckSeed(seed, 4), "");
        sim::Machine m = Generate(seed);
        Expected e = Oracle(m);
        // Every generated machine also survives a trip through a scenario file.
        // A name of its own: other runs of the suites may share the folder.
        std::string file = testing::TempDir() + "generated-" + std::to_string(getpid()) + ".json";
        std::ofstream(file) << sim::WriteScenario(m);
        sim::Machine back;
        std::string error;
        ASSERT_TRUE(LoadScenarioFile(file, sim::Operations(), back, error)) << "seed " << seed << ": " << error;
        ASSERT_TRUE(back == m) << "seed " << seed << " reads back otherwise";
        loaded += e.loaded;
        lettered += !e.letters.empty();
        keyed += !e.letters.empty() && VendorAnswers(m);
        // The 64-bit library's helper road, answered in whole.
        helped += sizeof(void *) == 8 && !e.letters.empty() && m.vendor.bits == 32 && VendorAnswers(m);
    }
    // The generator must reach every outcome, or the property says little.
    EXPECT_GT(loaded, 60);
    EXPECT_GT(lettered, 60);
    EXPECT_GT(keyed, 30);
    if (sizeof(void *) == 8) EXPECT_GT(helped, 3);
}

}  // namespace
