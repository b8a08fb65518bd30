// Machines described in JSON scenario files, and the built-in default.
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "machine.h"

namespace sim {
namespace {

using nlohmann::json;

struct FieldError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A view of one JSON value that knows its own place in the file.
struct Field {
    const json &value;
    std::string where;

    [[noreturn]] void Wrong(const std::string &problem) const { throw FieldError(where + ": " + problem); }
    bool Has(const char *key) const { return value.is_object() && value.contains(key); }
    Field operator[](const char *key) const
    {
        if (!value.is_object()) Wrong("expected an object");
        if (!value.contains(key)) Wrong(std::string("missing field '") + key + "'");
        return {value.at(key), where + "." + key};
    }
    Field At(size_t i) const { return {value.at(i), where + "[" + std::to_string(i) + "]"}; }
    const json &Object() const
    {
        if (!value.is_object()) Wrong("expected an object");
        return value;
    }
    const json &Array() const
    {
        if (!value.is_array()) Wrong("expected an array");
        return value;
    }
    std::string String() const
    {
        if (!value.is_string()) Wrong("expected a string");
        return value.get<std::string>();
    }
    bool Bool() const
    {
        if (!value.is_boolean()) Wrong("expected true or false");
        return value.get<bool>();
    }
    long long Integer(long long low, long long high) const
    {
        long long n;
        if (value.is_number_integer()) {
            n = value.get<long long>();
        } else if (value.is_string()) {
            // "0x82" and the like, for operation codes and statuses.
            std::string s = value.get<std::string>();
            size_t used = 0;
            try {
                n = std::stoll(s, &used, 0);
            } catch (...) {
                Wrong("expected a number, got \"" + s + "\"");
            }
            if (used != s.size()) Wrong("expected a number, got \"" + s + "\"");
        } else {
            Wrong("expected a number");
        }
        if (n < low || n > high) Wrong("out of range " + std::to_string(low) + ".." + std::to_string(high));
        return n;
    }
};

void CheckKeys(const Field &f, std::initializer_list<const char *> known)
{
    for (auto it = f.Object().begin(); it != f.Object().end(); ++it) {
        bool ok = false;
        for (const char *k : known) ok = ok || it.key() == k;
        if (!ok) throw FieldError(f.where + "." + it.key() + ": unknown field");
    }
}

std::vector<uint8_t> Hex(const Field &f)
{
    std::string s = f.String(), digits;
    for (char c : s)
        if (!std::isspace((unsigned char)c)) digits += c;
    if (digits.size() % 2) f.Wrong("odd number of hex digits");
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < digits.size(); i += 2) {
        if (!std::isxdigit((unsigned char)digits[i]) || !std::isxdigit((unsigned char)digits[i + 1]))
            f.Wrong("not hex digits");
        bytes.push_back((uint8_t)std::stoi(digits.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

// Data given as {"hex": ...}, {"text": ...}, {"utf16": ...} or {"length": n, "fill": b}
// (without "fill" the bytes count up from 0).
std::vector<uint8_t> Data(const Field &f)
{
    CheckKeys(f, {"hex", "text", "utf16", "length", "fill", "status", "vendor", "product", "revision", "deviceType"});
    if (f.Has("hex")) return Hex(f["hex"]);
    if (f.Has("text")) {
        std::string t = f["text"].String();
        return {t.begin(), t.end()};
    }
    if (f.Has("utf16")) return Utf16(f["utf16"].String());
    std::vector<uint8_t> bytes;
    if (f.Has("length")) {
        size_t n = (size_t)f["length"].Integer(0, 1 << 20);
        bool fill = f.Has("fill");
        uint8_t b = fill ? (uint8_t)f["fill"].Integer(0, 255) : 0;
        for (size_t i = 0; i < n; ++i) bytes.push_back(fill ? b : (uint8_t)i);
    }
    return bytes;
}

std::string Padded(const std::string &s, size_t n) { return (s + std::string(n, ' ')).substr(0, n); }

std::vector<uint8_t> Inquiry(const Field &f, uint8_t deviceType)
{
    if (!f.Has("vendor") && !f.Has("product")) return Data(f);
    std::string text = Padded(f.Has("vendor") ? f["vendor"].String() : "", 8) +
                       Padded(f.Has("product") ? f["product"].String() : "", 16) +
                       Padded(f.Has("revision") ? f["revision"].String() : "", 4);
    std::vector<uint8_t> bytes(8, 0);
    bytes[0] = deviceType;
    bytes[2] = 2;
    bytes[4] = 31;
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}

UINT DriveType(const Field &f)
{
    static const std::map<std::string, UINT> names = {{"removable", DRIVE_REMOVABLE}, {"fixed", DRIVE_FIXED},
                                                      {"remote", DRIVE_REMOTE},       {"network", DRIVE_REMOTE},
                                                      {"cdrom", DRIVE_CDROM},         {"ramdisk", DRIVE_RAMDISK},
                                                      {"unknown", DRIVE_UNKNOWN}};
    if (f.value.is_number_integer()) return (UINT)f.Integer(0, 6);
    auto it = names.find(f.String());
    if (it == names.end()) f.Wrong("unknown drive type \"" + f.String() + "\"");
    return it->second;
}

void Os(const Field &f, Machine &m)
{
    if (f.value.is_string()) {
        static const std::map<std::string, std::array<DWORD, 4>> names = {
            {"win95", {4, 0, 950, 1}},  {"win98", {4, 10, 2222, 1}}, {"winme", {4, 90, 3000, 1}},
            {"nt40", {4, 0, 1381, 2}},  {"win2k", {5, 0, 2195, 2}},  {"winxp", {5, 1, 2600, 2}},
            {"vista", {6, 0, 6002, 2}}, {"win7", {6, 1, 7601, 2}},   {"win10", {10, 0, 19045, 2}}};
        auto it = names.find(f.String());
        if (it == names.end()) f.Wrong("unknown system \"" + f.String() + "\"");
        m.major = it->second[0];
        m.minor = it->second[1];
        m.build = it->second[2];
        m.platform = it->second[3];
        return;
    }
    CheckKeys(f, {"major", "minor", "build", "platform"});
    m.major = (DWORD)f["major"].Integer(0, 0xFFFFFFFF);
    if (f.Has("minor")) m.minor = (DWORD)f["minor"].Integer(0, 0xFFFFFFFF);
    if (f.Has("build")) m.build = (DWORD)f["build"].Integer(0, 0xFFFFFFFF);
    if (f.Has("platform")) m.platform = (DWORD)f["platform"].Integer(0, 3);
}

std::map<uint8_t, AspiAnswer> AspiAnswers(const Field &f)
{
    std::map<uint8_t, AspiAnswer> answers;
    for (auto it = f.Object().begin(); it != f.Object().end(); ++it) {
        Field a{it.value(), f.where + "." + it.key()};
        json key = it.key();
        Field code{key, a.where};
        AspiAnswer answer;
        if (a.Has("status")) answer.status = (uint8_t)a["status"].Integer(0, 255);
        answer.data = Data(a);
        answers[(uint8_t)code.Integer(0, 255)] = answer;
    }
    return answers;
}

void Aspi(const Field &f, Machine &m)
{
    CheckKeys(f, {"installed", "missing", "supportStatus", "adapterCount", "completeLater", "completionDelayMs",
                  "adapters"});
    AspiManager &a = m.aspi;
    a.installed = f.Has("installed") ? f["installed"].Bool() : true;
    if (f.Has("missing"))
        for (size_t i = 0; i < f["missing"].Array().size(); ++i) a.missing.insert(f["missing"].At(i).String());
    if (f.Has("supportStatus")) a.supportStatus = (uint8_t)f["supportStatus"].Integer(0, 255);
    if (f.Has("adapterCount")) a.adapterCount = (int)f["adapterCount"].Integer(-1, 255);
    if (f.Has("completeLater")) a.completeLater = f["completeLater"].Bool();
    if (f.Has("completionDelayMs")) a.completionDelayMs = (unsigned)f["completionDelayMs"].Integer(0, 10000);
    if (!f.Has("adapters")) return;
    Field adapters = f["adapters"];
    for (size_t i = 0; i < adapters.Array().size(); ++i) {
        Field af = adapters.At(i);
        CheckKeys(af, {"inquiryStatus", "units"});
        AspiAdapter adapter;
        if (af.Has("inquiryStatus")) adapter.inquiryStatus = (uint8_t)af["inquiryStatus"].Integer(0, 255);
        if (af.Has("units")) {
            Field units = af["units"];
            for (size_t j = 0; j < units.Array().size(); ++j) {
                Field uf = units.At(j);
                CheckKeys(uf, {"target", "lun", "devTypeStatus", "deviceType", "inquiry", "answers"});
                AspiUnit unit;
                unit.target = (uint8_t)uf["target"].Integer(0, 255);
                unit.lun = uf.Has("lun") ? (uint8_t)uf["lun"].Integer(0, 255) : 0;
                if (uf.Has("devTypeStatus")) unit.devTypeStatus = (uint8_t)uf["devTypeStatus"].Integer(0, 255);
                if (uf.Has("deviceType")) unit.deviceType = (uint8_t)uf["deviceType"].Integer(0, 31);
                if (uf.Has("inquiry")) {
                    Field q = uf["inquiry"];
                    if (q.Has("status")) unit.inquiry.status = (uint8_t)q["status"].Integer(0, 255);
                    unit.inquiry.data = Inquiry(q, unit.deviceType);
                }
                if (uf.Has("answers")) unit.answers = AspiAnswers(uf["answers"]);
                adapter.units.push_back(unit);
            }
        }
        a.adapters.push_back(adapter);
    }
}

void Read(const Field &root, Machine &m)
{
    CheckKeys(root, {"comment", "os", "disks", "volumes", "drives", "extraDriveBits", "mountedDevices", "devices",
                     "absentModules", "missingEntryPoints", "vendor", "aspi", "faults"});
    if (root.Has("os")) Os(root["os"], m);
    if (root.Has("disks")) {
        Field disks = root["disks"];
        for (size_t i = 0; i < disks.Array().size(); ++i) {
            Field d = disks.At(i);
            CheckKeys(d, {"path", "opens"});
            m.disks.push_back({d["path"].String(), d.Has("opens") ? d["opens"].String() : ""});
        }
    }
    if (root.Has("volumes")) {
        Field volumes = root["volumes"];
        for (size_t i = 0; i < volumes.Array().size(); ++i) {
            Field v = volumes.At(i);
            CheckKeys(v, {"path", "deviceId", "parentId", "volumeName"});
            m.volumes.push_back({v["path"].String(), v["deviceId"].String(), v["parentId"].String(),
                                 v.Has("volumeName") ? v["volumeName"].String() : ""});
        }
    }
    if (root.Has("drives")) {
        Field drives = root["drives"];
        for (auto it = drives.Object().begin(); it != drives.Object().end(); ++it) {
            Field d{it.value(), drives.where + "." + it.key()};
            if (it.key().size() != 1 || it.key()[0] < 'A' || it.key()[0] > 'Z') d.Wrong("a drive is a letter A-Z");
            CheckKeys(d, {"type", "volumeName", "opens"});
            Drive drive;
            drive.type = DriveType(d["type"]);
            if (d.Has("volumeName")) drive.volumeName = d["volumeName"].String();
            if (d.Has("opens")) drive.opens = d["opens"].String();
            m.drives[it.key()[0]] = drive;
        }
    }
    if (root.Has("extraDriveBits")) m.extraDriveBits = (DWORD)root["extraDriveBits"].Integer(0, 0xFFFFFFFF);
    if (root.Has("mountedDevices")) {
        Field values = root["mountedDevices"];
        for (auto it = values.Object().begin(); it != values.Object().end(); ++it)
            m.mountedDevices[it.key()] = Data({it.value(), values.where + "." + it.key()});
    }
    if (root.Has("devices")) {
        Field devices = root["devices"];
        for (auto it = devices.Object().begin(); it != devices.Object().end(); ++it) {
            Field d{it.value(), devices.where + "." + it.key()};
            CheckKeys(d, {"scsiCapable", "answers"});
            ScsiDevice device;
            if (d.Has("scsiCapable")) device.scsiCapable = d["scsiCapable"].Bool();
            if (d.Has("answers")) {
                // Pass-through answers carry SCSI statuses: good (0) unless given.
                Field answers = d["answers"];
                for (auto a = answers.Object().begin(); a != answers.Object().end(); ++a) {
                    Field af{a.value(), answers.where + "." + a.key()};
                    json key = a.key();
                    uint8_t code = (uint8_t)Field{key, af.where}.Integer(0, 255);
                    ScsiAnswer answer;
                    if (af.Has("status")) answer.status = (uint8_t)af["status"].Integer(0, 255);
                    answer.data = Data(af);
                    device.answers[code] = answer;
                }
            }
            m.devices[it.key()] = device;
        }
    }
    if (root.Has("absentModules")) {
        Field a = root["absentModules"];
        for (size_t i = 0; i < a.Array().size(); ++i) m.absentModules.insert(a.At(i).String());
    }
    if (root.Has("missingEntryPoints")) {
        Field e = root["missingEntryPoints"];
        for (auto it = e.Object().begin(); it != e.Object().end(); ++it) {
            Field names{it.value(), e.where + "." + it.key()};
            for (size_t i = 0; i < names.Array().size(); ++i)
                m.missingEntryPoints[it.key()].insert(names.At(i).String());
        }
    }
    if (root.Has("vendor")) {
        Field v = root["vendor"];
        CheckKeys(v, {"installed", "entryPoint", "result", "writesRecord", "key"});
        m.vendor.installed = v.Has("installed") ? v["installed"].Bool() : true;
        if (v.Has("entryPoint")) m.vendor.hasEntryPoint = v["entryPoint"].Bool();
        if (v.Has("result")) m.vendor.result = (int)v["result"].Integer(INT32_MIN, INT32_MAX);
        if (v.Has("writesRecord")) m.vendor.writesRecord = v["writesRecord"].Bool();
        if (v.Has("key")) {
            std::vector<uint8_t> key = Hex(v["key"]);
            if (key.size() != 32) v["key"].Wrong("a key is 32 bytes (64 hex digits)");
            std::copy(key.begin(), key.end(), m.vendor.key.begin());
        }
    }
    if (root.Has("aspi")) Aspi(root["aspi"], m);
    if (root.Has("faults")) {
        Field faults = root["faults"];
        for (size_t i = 0; i < faults.Array().size(); ++i) {
            Field f = faults.At(i);
            CheckKeys(f, {"operation", "call"});
            m.faults.push_back({f["operation"].String(), (int)f["call"].Integer(1, 1 << 30)});
        }
    }
}

}  // namespace

bool LoadScenario(const std::string &file, Machine &m, std::string &error)
{
    std::ifstream in(file);
    if (!in) {
        error = file + ": cannot be read";
        return false;
    }
    json document;
    try {
        document = json::parse(in);
    } catch (const json::parse_error &e) {
        error = file + ": not valid JSON: " + e.what();
        return false;
    }
    Machine loaded;
    try {
        Read(Field{document, "scenario"}, loaded);
    } catch (const FieldError &e) {
        error = file + ": " + e.what();
        return false;
    } catch (const json::exception &e) {
        error = file + ": " + e.what();
        return false;
    }
    m = loaded;
    return true;
}

Machine DefaultMachine()
{
    Machine m;
    const std::string instance = "7&1a2b3c4d&0";
    m.disks.push_back({"\\\\?\\usbstor#disk&ven_generic&prod_flash_disk&rev_8.01#" + instance +
                           "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}",
                       "flash"});
    ScsiDevice flash;
    std::vector<uint8_t> sector(512);
    for (size_t i = 0; i < sector.size(); ++i) sector[i] = (uint8_t)(i * 7 + 3);
    flash.answers[0x82] = ScsiAnswer{kGood, sector};
    m.devices["flash"] = flash;
    m.drives['C'] = Drive{DRIVE_FIXED, "\\\\?\\Volume{00000000-0000-0000-0000-00000000000c}\\", ""};
    m.drives['E'] = Drive{DRIVE_REMOVABLE, "\\\\?\\Volume{6f1e2d3c-4b5a-11e0-9a8b-00000000000e}\\", ""};
    m.volumes.push_back({"\\\\?\\storage#removablemedia#8&2f3e4d5c&0&rm#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}",
                         "STORAGE\\RemovableMedia\\8&2F3E4D5C&0&RM",
                         "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.01\\" + instance,
                         "\\\\?\\Volume{6f1e2d3c-4b5a-11e0-9a8b-00000000000e}\\"});
    m.vendor.installed = true;
    for (size_t i = 0; i < m.vendor.key.size(); ++i) m.vendor.key[i] = (uint8_t)(0xC0 + i);
    return m;
}

}  // namespace sim
