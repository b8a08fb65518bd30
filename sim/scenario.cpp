// The scenario format: machines described in JSON, read and written.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "description.h"
#include "text.h"

namespace sim {

namespace {

using nlohmann::json;
using ordered = nlohmann::ordered_json;

std::string ShownInError(const std::string &text, size_t limit = 60) { return Printable(text, limit); }

// Limits no real machine comes near; they keep a hostile file from making a
// run take minutes or exhaust memory.
constexpr size_t kMaxText = 4096;             // one string (paths, names, identifiers)
constexpr size_t kMaxAnswerBytes = 65536;     // one answer or value
constexpr size_t kMaxDataBytes = 1 << 20;     // all answers and values together
constexpr size_t kMaxInterfaces = 1024;       // disks, volumes; devices and values alike
constexpr size_t kMaxAdapters = 16;
constexpr size_t kMaxUnits = 256;             // over all adapters
constexpr size_t kMaxFaults = 1024;
constexpr long long kMaxDelayMs = 20;
constexpr size_t kMaxDepth = 32;              // nesting of arrays and objects
// Disk interfaces times volume interfaces: the drive-letter search walks the
// volumes once per matching disk, so this, not each count, bounds its work.
constexpr size_t kMaxDiskVolumePairs = 16384;

// Strings are bytes (Windows' ANSI code page), JSON text is UTF-8: a string
// that is not valid UTF-8 is written behind this mark, with every byte below
// 0x20 or above 0x7E and '%' as %XX. Plain text stays as it is, so files
// without the mark read as before.
const std::string kBytesMark = "%bytes%";

struct FieldError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool ValidUtf8(const std::string &s)
{
    for (size_t i = 0; i < s.size();) {
        unsigned char c = (unsigned char)s[i];
        size_t n = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 9;
        if (n == 9 || i + n >= s.size() + (n ? 0 : 1)) return false;
        unsigned long cp = n == 0 ? c : c & (0x3F >> n);
        for (size_t k = 1; k <= n; ++k) {
            unsigned char t = (unsigned char)s[i + k];
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        static const unsigned long least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
        i += n + 1;
    }
    return true;
}

std::string EncodedText(const std::string &s)
{
    if (ValidUtf8(s) && s.compare(0, kBytesMark.size(), kBytesMark) != 0) return s;
    std::string out = kBytesMark;
    for (unsigned char c : s) {
        if (c < 0x20 || c > 0x7E || c == '%') {
            char hex[4];
            std::snprintf(hex, sizeof(hex), "%%%02X", c);
            out += hex;
        } else {
            out += (char)c;
        }
    }
    return out;
}

// false when the text behind the mark is not well formed.
bool DecodedText(const std::string &s, std::string &out)
{
    if (s.compare(0, kBytesMark.size(), kBytesMark) != 0) {
        out = s;
        return true;
    }
    out.clear();
    for (size_t i = kBytesMark.size(); i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (i + 2 >= s.size() || !std::isxdigit((unsigned char)s[i + 1]) || !std::isxdigit((unsigned char)s[i + 2]))
            return false;
        out += (char)std::stoi(s.substr(i + 1, 2), nullptr, 16);
        i += 2;
    }
    return true;
}

// Every string and key of a written document, through EncodedText.
void EncodeAll(ordered &v)
{
    if (v.is_string()) {
        v = EncodedText(v.get<std::string>());
    } else if (v.is_array()) {
        for (ordered &item : v) EncodeAll(item);
    } else if (v.is_object()) {
        ordered out = ordered::object();
        for (auto it = v.begin(); it != v.end(); ++it) {
            ordered item = it.value();
            EncodeAll(item);
            out[EncodedText(it.key())] = std::move(item);
        }
        v = std::move(out);
    }
}

// The reverse, on a document read; where names where a string went wrong.
void DecodeAll(json &v, const std::string &where)
{
    std::string text;
    if (v.is_string()) {
        if (!DecodedText(v.get_ref<const std::string &>(), text))
            throw FieldError(where + ": a malformed " + kBytesMark + " escape");
        v = text;
    } else if (v.is_array()) {
        for (size_t i = 0; i < v.size(); ++i) DecodeAll(v[i], where + "[" + std::to_string(i) + "]");
    } else if (v.is_object()) {
        json out = json::object();
        for (auto it = v.begin(); it != v.end(); ++it) {
            std::string shownKey = where + "." + ShownInError(it.key());
            if (!DecodedText(it.key(), text)) throw FieldError(shownKey + ": a malformed " + kBytesMark + " escape");
            if (out.contains(text)) throw FieldError(shownKey + ": names the same as another key");
            json item = it.value();
            DecodeAll(item, shownKey);
            out[text] = std::move(item);
        }
        v = std::move(out);
    }
}

// How deep arrays and objects nest, read before parsing, so that a file of
// millions of brackets is refused at the cost of one pass.
size_t NestingDepth(const std::string &text, size_t stopAt)
{
    size_t depth = 0, deepest = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size() && deepest <= stopAt; ++i) {
        char c = text[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == ']' || c == '}') && depth) {
            --depth;
        }
    }
    return deepest;
}

// What the reading of one file keeps: the answer and value bytes read so far
// and the operation names its faults may take.
struct Reader {
    size_t dataBytes;
    const std::set<std::string> *operations;
};

// A view of one JSON value that knows its own place in the file.
struct Field {
    const json &value;
    std::string where;
    Reader &reader;

    [[noreturn]] void Wrong(const std::string &problem) const { throw FieldError(where + ": " + problem); }
    bool Has(const char *key) const { return value.is_object() && value.contains(key); }
    Field operator[](const char *key) const
    {
        if (!value.is_object()) Wrong("expected an object");
        if (!value.contains(key)) Wrong(std::string("missing field '") + key + "'");
        return {value.at(key), where + "." + key, reader};
    }
    Field Member(const std::string &key, const json &v) const { return {v, where + "." + ShownInError(key), reader}; }
    Field At(size_t i) const { return {value.at(i), where + "[" + std::to_string(i) + "]", reader}; }
    const json &Object(size_t limit = kMaxInterfaces) const
    {
        if (!value.is_object()) Wrong("expected an object");
        if (value.size() > limit) Wrong("more than " + std::to_string(limit) + " entries");
        return value;
    }
    size_t Items(size_t limit) const
    {
        if (!value.is_array()) Wrong("expected an array");
        if (value.size() > limit) Wrong("more than " + std::to_string(limit) + " entries");
        return value.size();
    }
    std::string String(size_t limit = kMaxText) const
    {
        if (!value.is_string()) Wrong("expected a string");
        const std::string &s = value.get_ref<const std::string &>();
        if (s.size() > limit) Wrong("text longer than " + std::to_string(limit) + " characters");
        return s;
    }
    bool Bool() const
    {
        if (!value.is_boolean()) Wrong("expected true or false");
        return value.get<bool>();
    }
    long long Integer(long long low, long long high) const
    {
        long long n = 0;
        bool inRange = true;
        if (value.is_number_unsigned()) {
            unsigned long long u = value.get<unsigned long long>();
            inRange = u <= (unsigned long long)high;
            n = inRange ? (long long)u : high;
        } else if (value.is_number_integer()) {
            n = value.get<long long>();
        } else if (value.is_string()) {
            // "0x82" and the like, for operation codes and statuses.
            std::string s = String(64);
            size_t used = 0;
            try {
                n = std::stoll(s, &used, 0);
            } catch (const std::out_of_range &) {
                inRange = false;
                used = s.size();
            } catch (...) {
                Wrong("expected a number, got \"" + ShownInError(s) + "\"");
            }
            if (used != s.size()) Wrong("expected a number, got \"" + ShownInError(s) + "\"");
        } else if (value.is_number_float()) {
            Wrong("expected a whole number");
        } else {
            Wrong("expected a number");
        }
        if (!inRange || n < low || n > high)
            Wrong("out of range " + std::to_string(low) + ".." + std::to_string(high));
        return n;
    }
};

void CheckKeys(const Field &f, std::initializer_list<const char *> known)
{
    for (auto it = f.Object().begin(); it != f.Object().end(); ++it) {
        bool ok = false;
        for (const char *k : known) ok = ok || it.key() == k;
        if (!ok) throw FieldError(f.where + "." + ShownInError(it.key()) + ": unknown field");
    }
}

std::vector<uint8_t> Counted(const Field &f, std::vector<uint8_t> bytes)
{
    if (bytes.size() > kMaxAnswerBytes) f.Wrong("more than " + std::to_string(kMaxAnswerBytes) + " bytes");
    f.reader.dataBytes += bytes.size();
    if (f.reader.dataBytes > kMaxDataBytes) f.Wrong("the file's answers exceed " + std::to_string(kMaxDataBytes) + " bytes in all");
    return bytes;
}

std::vector<uint8_t> HexBytes(const Field &f)
{
    std::string s = f.String(4 * kMaxAnswerBytes), digits;
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
// (without "fill" the bytes count up from 0). extra: the other keys the
// object may hold where it stands.
std::vector<uint8_t> Data(const Field &f, std::initializer_list<const char *> extra = {})
{
    for (auto it = f.Object().begin(); it != f.Object().end(); ++it) {
        bool ok = false;
        for (const char *k : {"hex", "text", "utf16", "length", "fill"}) ok = ok || it.key() == k;
        for (const char *k : extra) ok = ok || it.key() == k;
        if (!ok) throw FieldError(f.where + "." + ShownInError(it.key()) + ": unknown field");
    }
    if (f.Has("hex")) return Counted(f["hex"], HexBytes(f["hex"]));
    if (f.Has("text")) {
        std::string t = f["text"].String(kMaxAnswerBytes);
        return Counted(f["text"], {t.begin(), t.end()});
    }
    if (f.Has("utf16")) return Counted(f["utf16"], Utf16(f["utf16"].String(kMaxAnswerBytes / 2)));
    std::vector<uint8_t> bytes;
    if (f.Has("length")) {
        size_t n = (size_t)f["length"].Integer(0, kMaxAnswerBytes);
        bool fill = f.Has("fill");
        uint8_t b = fill ? (uint8_t)f["fill"].Integer(0, 255) : 0;
        for (size_t i = 0; i < n; ++i) bytes.push_back(fill ? b : (uint8_t)i);
    }
    return Counted(f, bytes);
}

std::string HexText(const std::vector<uint8_t> &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// The shortest form Data turns back into exactly these bytes: a count (the
// placeholder a capture writes for data it must not keep), a fill, the UTF-16
// of plain text, or hex.
void PutData(ordered &o, const std::vector<uint8_t> &bytes)
{
    bool counting = true, filled = !bytes.empty(), utf16 = bytes.size() % 2 == 0 && !bytes.empty();
    for (size_t i = 0; i < bytes.size(); ++i) {
        counting = counting && bytes[i] == (uint8_t)i;
        filled = filled && bytes[i] == bytes[0];
        if (i % 2 == 0) utf16 = utf16 && bytes[i] >= 0x20 && bytes[i] < 0x7F;
        else utf16 = utf16 && bytes[i] == 0;
    }
    if (counting) {
        o["length"] = bytes.size();
    } else if (filled) {
        o["length"] = bytes.size();
        o["fill"] = bytes[0];
    } else if (utf16) {
        std::string text;
        for (size_t i = 0; i < bytes.size(); i += 2) text += (char)bytes[i];
        o["utf16"] = text;
    } else {
        o["hex"] = HexText(bytes);
    }
}

// Answers by operation code ("0x82"); what an answer holds besides its status
// and data is read and written by extra.
template <typename Answer, typename Extra>
std::map<uint8_t, Answer> ReadAnswers(const Field &f, std::initializer_list<const char *> keys, Extra extra)
{
    std::map<uint8_t, Answer> answers;
    for (auto it = f.Object(256).begin(); it != f.Object(256).end(); ++it) {
        Field a = f.Member(it.key(), it.value());
        json key = it.key();
        uint8_t code = (uint8_t)Field{key, a.where, a.reader}.Integer(0, 255);
        Answer answer;
        if (a.Has("status")) answer.status = (uint8_t)a["status"].Integer(0, 255);
        extra(a, answer);
        answer.data = Data(a, keys);
        answers[code] = answer;
    }
    return answers;
}

template <typename Answer, typename Extra> ordered WriteAnswers(const std::map<uint8_t, Answer> &answers, Extra extra)
{
    ordered o = ordered::object();
    for (const auto &[code, a] : answers) {
        ordered answer = {{"status", a.status}};
        extra(a, answer);
        PutData(answer, a.data);
        char text[8];
        std::snprintf(text, sizeof(text), "0x%02x", code);
        o[text] = answer;
    }
    return o;
}

// ---- the sections of a scenario: each read and written side by side ---------

void ReadOs(const Field &f, Machine &m)
{
    if (f.value.is_string()) {
        static const std::map<std::string, std::array<uint32_t, 4>> names = {
            {"win95", {4, 0, 950, 1}},  {"win98", {4, 10, 2222, 1}}, {"winme", {4, 90, 3000, 1}},
            {"nt40", {4, 0, 1381, 2}},  {"win2k", {5, 0, 2195, 2}},  {"winxp", {5, 1, 2600, 2}},
            {"vista", {6, 0, 6002, 2}}, {"win7", {6, 1, 7601, 2}},   {"win10", {10, 0, 19045, 2}}};
        auto it = names.find(f.String());
        if (it == names.end()) f.Wrong("unknown system \"" + ShownInError(f.String()) + "\"");
        m.major = it->second[0];
        m.minor = it->second[1];
        m.build = it->second[2];
        m.platform = it->second[3];
        return;
    }
    CheckKeys(f, {"major", "minor", "build", "platform", "trueVersion"});
    if (f.Has("trueVersion")) {
        Field t = f["trueVersion"];
        CheckKeys(t, {"major", "minor", "build"});
        m.trueMajor = (uint32_t)t["major"].Integer(1, 0xFFFFFFFF);
        if (t.Has("minor")) m.trueMinor = (uint32_t)t["minor"].Integer(0, 0xFFFFFFFF);
        if (t.Has("build")) m.trueBuild = (uint32_t)t["build"].Integer(0, 0xFFFFFFFF);
    }
    m.major = (uint32_t)f["major"].Integer(0, 0xFFFFFFFF);
    if (f.Has("minor")) m.minor = (uint32_t)f["minor"].Integer(0, 0xFFFFFFFF);
    if (f.Has("build")) m.build = (uint32_t)f["build"].Integer(0, 0xFFFFFFFF);
    if (f.Has("platform")) m.platform = (uint32_t)f["platform"].Integer(0, 3);
}

ordered WriteOs(const Machine &m)
{
    ordered os = {{"major", m.major}, {"minor", m.minor}, {"build", m.build}, {"platform", m.platform}};
    if (m.trueMajor)
        os["trueVersion"] = ordered{{"major", m.trueMajor}, {"minor", m.trueMinor}, {"build", m.trueBuild}};
    return os;
}

void ReadDisks(const Field &disks, Machine &m)
{
    for (size_t i = 0; i < disks.Items(kMaxInterfaces); ++i) {
        Field d = disks.At(i);
        CheckKeys(d, {"path", "opens", "present", "openError", "detailSize"});
        DiskInterface disk{d["path"].String(), d.Has("opens") ? d["opens"].String() : ""};
        if (d.Has("present")) disk.present = d["present"].Bool();
        if (d.Has("openError")) disk.openError = (uint32_t)d["openError"].Integer(0, 0xFFFFFFFF);
        if (d.Has("detailSize")) disk.detailSize = (uint32_t)d["detailSize"].Integer(1, 0xFFFF);
        m.disks.push_back(disk);
    }
}

ordered WriteDisks(const Machine &m)
{
    ordered disks = ordered::array();
    for (const DiskInterface &d : m.disks) {
        ordered o = {{"path", d.path}};
        if (!d.opens.empty()) o["opens"] = d.opens;
        if (!d.present) o["present"] = false;
        if (d.openError) o["openError"] = d.openError;
        if (d.detailSize) o["detailSize"] = d.detailSize;
        disks.push_back(o);
    }
    return disks;
}

void ReadVolumes(const Field &volumes, Machine &m)
{
    for (size_t i = 0; i < volumes.Items(kMaxInterfaces); ++i) {
        Field v = volumes.At(i);
        CheckKeys(v, {"path", "deviceId", "parentId", "volumeName", "present"});
        VolumeInterface volume{v["path"].String(), v["deviceId"].String(), v["parentId"].String(),
                               v.Has("volumeName") ? v["volumeName"].String() : ""};
        if (v.Has("present")) volume.present = v["present"].Bool();
        m.volumes.push_back(volume);
    }
    // The disks are read by now.
    if (m.disks.size() * m.volumes.size() > kMaxDiskVolumePairs)
        volumes.Wrong(std::to_string(m.disks.size()) + " disk interfaces by " + std::to_string(m.volumes.size()) +
                      " volume interfaces: more than " + std::to_string(kMaxDiskVolumePairs) +
                      " pairs (the drive-letter search walks every volume for every disk)");
}

ordered WriteVolumes(const Machine &m)
{
    ordered volumes = ordered::array();
    for (const VolumeInterface &v : m.volumes) {
        ordered o = {{"path", v.path}, {"deviceId", v.deviceId}, {"parentId", v.parentId}};
        if (!v.volumeName.empty()) o["volumeName"] = v.volumeName;
        if (!v.present) o["present"] = false;
        volumes.push_back(o);
    }
    return volumes;
}

// Drive types by name; the first name of a type is the one written.
const std::pair<const char *, uint32_t> kDriveTypes[] = {
    {"removable", kDriveRemovable}, {"fixed", kDriveFixed},     {"remote", kDriveRemote}, {"network", kDriveRemote},
    {"cdrom", kDriveCdrom},         {"ramdisk", kDriveRamdisk}, {"unknown", kDriveUnknown}};

void ReadDrives(const Field &drives, Machine &m)
{
    for (auto it = drives.Object().begin(); it != drives.Object().end(); ++it) {
        Field d = drives.Member(it.key(), it.value());
        if (it.key().size() != 1 || it.key()[0] < 'A' || it.key()[0] > 'Z') d.Wrong("a drive is a letter A-Z");
        CheckKeys(d, {"type", "volumeName", "opens", "openError"});
        Drive drive;
        Field type = d["type"];
        if (type.value.is_number()) {
            drive.type = (uint32_t)type.Integer(0, 6);
        } else {
            const std::string name = type.String();
            auto known = std::find_if(std::begin(kDriveTypes), std::end(kDriveTypes),
                                      [&](const auto &t) { return name == t.first; });
            if (known == std::end(kDriveTypes)) type.Wrong("unknown drive type \"" + ShownInError(name) + "\"");
            drive.type = known->second;
        }
        if (d.Has("volumeName")) drive.volumeName = d["volumeName"].String();
        if (d.Has("opens")) drive.opens = d["opens"].String();
        if (d.Has("openError")) drive.openError = (uint32_t)d["openError"].Integer(0, 0xFFFFFFFF);
        m.drives[it.key()[0]] = drive;
    }
}

ordered WriteDrives(const Machine &m)
{
    ordered drives = ordered::object();
    for (const auto &[letter, d] : m.drives) {
        ordered o;
        auto known = std::find_if(std::begin(kDriveTypes), std::end(kDriveTypes),
                                  [&](const auto &t) { return d.type == t.second; });
        if (known != std::end(kDriveTypes)) o["type"] = known->first;
        else o["type"] = d.type;
        if (!d.volumeName.empty()) o["volumeName"] = d.volumeName;
        if (!d.opens.empty()) o["opens"] = d.opens;
        if (d.openError) o["openError"] = d.openError;
        drives[std::string(1, letter)] = o;
    }
    return drives;
}

// Where the hosted library lives: a full path, the folder of its programs.
void ReadLibraryPath(const Field &f, Machine &m)
{
    std::string path = f.String(kMaxText);
    if (path.find('\\') == std::string::npos || path.back() == '\\' || path.find('\0') != std::string::npos)
        f.Wrong("a full path of a file (a folder, a backslash, its name)");
    m.libraryPath = path;
}

ordered WriteLibraryPath(const Machine &m)
{
    return m.libraryPath == Machine().libraryPath ? ordered() : ordered(m.libraryPath);
}

void ReadExtraDriveBits(const Field &f, Machine &m) { m.extraDriveBits = (uint32_t)f.Integer(0, 0xFFFFFFFF); }

ordered WriteExtraDriveBits(const Machine &m) { return m.extraDriveBits ? ordered(m.extraDriveBits) : ordered(); }

void ReadMountedDevices(const Field &values, Machine &m)
{
    std::map<std::string, std::string> lowered;
    for (auto it = values.Object().begin(); it != values.Object().end(); ++it) {
        if (it.key().size() > kMaxText) values.Member(it.key(), it.value()).Wrong("name too long");
        // Registry value names are case-insensitive: no machine holds two
        // that differ only in case.
        auto [first, added] = lowered.emplace(Lower(it.key()), it.key());
        if (!added)
            values.Member(it.key(), it.value())
                .Wrong("\"" + ShownInError(first->second) + "\" and \"" + ShownInError(it.key()) +
                       "\" differ only in case (registry names are case-insensitive)");
        m.mountedDevices[it.key()] = Data(values.Member(it.key(), it.value()));
    }
}

ordered WriteMountedDevices(const Machine &m)
{
    ordered mounted = ordered::object();
    for (const auto &[name, value] : m.mountedDevices) {
        ordered o = ordered::object();
        PutData(o, value);
        mounted[name] = o;
    }
    return mounted;
}

// Pass-through devices; their answers carry SCSI statuses, good (0) unless
// given, and may carry sense data.
void ReadDevices(const Field &devices, Machine &m)
{
    for (auto it = devices.Object().begin(); it != devices.Object().end(); ++it) {
        Field d = devices.Member(it.key(), it.value());
        if (it.key().size() > kMaxText) d.Wrong("name too long");
        CheckKeys(d, {"scsiCapable", "ioctlError", "answers"});
        ScsiDevice device;
        if (d.Has("scsiCapable")) device.scsiCapable = d["scsiCapable"].Bool();
        if (d.Has("ioctlError")) device.ioctlError = (uint32_t)d["ioctlError"].Integer(0, 0xFFFFFFFF);
        if (d.Has("answers"))
            device.answers = ReadAnswers<ScsiAnswer>(d["answers"], {"status", "sense"}, [](const Field &a, ScsiAnswer &answer) {
                if (!a.Has("sense")) return;
                answer.sense = Counted(a["sense"], HexBytes(a["sense"]));
                if (answer.sense.size() > 255) a["sense"].Wrong("more than 255 bytes of sense data");
            });
        m.devices[it.key()] = device;
    }
}

ordered WriteDevices(const Machine &m)
{
    ordered devices = ordered::object();
    for (const auto &[name, d] : m.devices) {
        ordered o = ordered::object();
        if (!d.scsiCapable) o["scsiCapable"] = false;
        if (d.ioctlError) o["ioctlError"] = d.ioctlError;
        o["answers"] = WriteAnswers(d.answers, [](const ScsiAnswer &a, ordered &answer) {
            if (!a.sense.empty()) answer["sense"] = HexText(a.sense);
        });
        devices[name] = o;
    }
    return devices;
}

void ReadAbsentModules(const Field &a, Machine &m)
{
    for (size_t i = 0; i < a.Items(64); ++i) m.absentModules.insert(a.At(i).String());
}

ordered WriteAbsentModules(const Machine &m) { return m.absentModules.empty() ? ordered() : ordered(m.absentModules); }

void ReadMissingEntryPoints(const Field &e, Machine &m)
{
    for (auto it = e.Object(64).begin(); it != e.Object(64).end(); ++it) {
        Field names = e.Member(it.key(), it.value());
        if (it.key().size() > kMaxText) names.Wrong("name too long");
        for (size_t i = 0; i < names.Items(64); ++i) m.missingEntryPoints[it.key()].insert(names.At(i).String());
    }
}

ordered WriteMissingEntryPoints(const Machine &m)
{
    return m.missingEntryPoints.empty() ? ordered() : ordered(m.missingEntryPoints);
}

void ReadVendor(const Field &v, Machine &m)
{
    CheckKeys(v, {"installed", "entryPoint", "result", "writesRecord", "key", "bits"});
    m.vendor.installed = v.Has("installed") ? v["installed"].Bool() : true;
    if (v.Has("entryPoint")) m.vendor.hasEntryPoint = v["entryPoint"].Bool();
    if (v.Has("result")) m.vendor.result = (int)v["result"].Integer((long long)INT32_MIN, (long long)INT32_MAX);
    if (v.Has("writesRecord")) m.vendor.writesRecord = v["writesRecord"].Bool();
    if (v.Has("bits")) {
        m.vendor.bits = (int)v["bits"].Integer(32, 64);
        if (m.vendor.bits != 32 && m.vendor.bits != 64) v["bits"].Wrong("32 or 64");
    }
    if (v.Has("key")) {
        std::vector<uint8_t> key = HexBytes(v["key"]);
        if (key.size() != 32) v["key"].Wrong("a key is 32 bytes (64 hex digits)");
        std::copy(key.begin(), key.end(), m.vendor.key.begin());
    }
}

ordered WriteVendor(const Machine &m)
{
    ordered vendor = {{"installed", m.vendor.installed}, {"entryPoint", m.vendor.hasEntryPoint},
                      {"result", m.vendor.result}, {"writesRecord", m.vendor.writesRecord}};
    if (m.vendor.key != std::array<uint8_t, 32>{}) vendor["key"] = HexText({m.vendor.key.begin(), m.vendor.key.end()});
    if (m.vendor.bits) vendor["bits"] = m.vendor.bits;
    return vendor;
}

void ReadVendorHelper(const Field &h, Machine &m)
{
    CheckKeys(h, {"installed", "vendorLoads", "writes", "exitCode", "hangs", "takesMs", "survivesTerminate",
                  "overwrite"});
    VendorHelper &helper = m.vendorHelper;
    if (h.Has("installed")) helper.installed = h["installed"].Bool();
    if (h.Has("vendorLoads")) helper.vendorLoads = h["vendorLoads"].Bool();
    if (h.Has("writes")) helper.writes = (uint32_t)h["writes"].Integer(0, 0xFFFFFFFF);
    if (h.Has("exitCode")) helper.exitCode = (uint32_t)h["exitCode"].Integer(0, 0xFFFFFFFF);
    if (h.Has("hangs")) helper.hangs = h["hangs"].Bool();
    if (h.Has("takesMs")) helper.takesMs = (uint32_t)h["takesMs"].Integer(0, 0xFFFFFFFE);
    if (h.Has("survivesTerminate")) helper.survivesTerminate = h["survivesTerminate"].Bool();
    if (h.Has("overwrite")) {
        helper.overwrite = HexBytes(h["overwrite"]);
        if (helper.overwrite.size() > 4096) h["overwrite"].Wrong("at most 4096 bytes");
    }
}

ordered WriteVendorHelper(const Machine &m)
{
    const VendorHelper &h = m.vendorHelper;
    if (h == VendorHelper{}) return ordered();
    ordered o = {{"installed", h.installed}, {"vendorLoads", h.vendorLoads}, {"writes", h.writes},
                 {"exitCode", h.exitCode}, {"hangs", h.hangs}, {"takesMs", h.takesMs},
                 {"survivesTerminate", h.survivesTerminate}};
    if (!h.overwrite.empty()) o["overwrite"] = HexText(h.overwrite);
    return o;
}

void ReadAspiUnit(const Field &uf, AspiUnit &unit)
{
    CheckKeys(uf, {"target", "lun", "devTypeStatus", "deviceType", "inquiry", "answers"});
    unit.target = (uint8_t)uf["target"].Integer(0, 255);
    unit.lun = uf.Has("lun") ? (uint8_t)uf["lun"].Integer(0, 255) : 0;
    if (uf.Has("devTypeStatus")) unit.devTypeStatus = (uint8_t)uf["devTypeStatus"].Integer(0, 255);
    if (uf.Has("deviceType")) unit.deviceType = (uint8_t)uf["deviceType"].Integer(0, 31);
    if (uf.Has("inquiry")) {
        Field q = uf["inquiry"];
        if (q.Has("status")) unit.inquiry.status = (uint8_t)q["status"].Integer(0, 255);
        if (!q.Has("vendor") && !q.Has("product")) {
            unit.inquiry.data = Data(q, {"status"});
        } else {
            // The standard INQUIRY data of a unit given by its identification.
            CheckKeys(q, {"status", "vendor", "product", "revision"});
            auto padded = [&](const char *key, size_t n) {
                std::string s = q.Has(key) ? q[key].String(n) : "";
                return s + std::string(n - s.size(), ' ');
            };
            std::string text = padded("vendor", 8) + padded("product", 16) + padded("revision", 4);
            std::vector<uint8_t> bytes = {unit.deviceType, 0, 2, 0, 31, 0, 0, 0};
            bytes.insert(bytes.end(), text.begin(), text.end());
            unit.inquiry.data = bytes;
        }
    }
    if (uf.Has("answers")) unit.answers = ReadAnswers<AspiAnswer>(uf["answers"], {"status"}, [](const Field &, AspiAnswer &) {});
}

ordered WriteAspiUnit(const AspiUnit &u)
{
    ordered inquiry = {{"status", u.inquiry.status}};
    PutData(inquiry, u.inquiry.data);
    ordered unit = {{"target", u.target},         {"lun", u.lun}, {"devTypeStatus", u.devTypeStatus},
                    {"deviceType", u.deviceType}, {"inquiry", inquiry}};
    unit["answers"] = WriteAnswers(u.answers, [](const AspiAnswer &, ordered &) {});
    return unit;
}

void ReadAspi(const Field &f, Machine &m)
{
    CheckKeys(f, {"installed", "missing", "supportStatus", "adapterCount", "completeLater", "completionDelayMs",
                  "adapters"});
    AspiManager &a = m.aspi;
    a.installed = f.Has("installed") ? f["installed"].Bool() : true;
    if (f.Has("missing")) {
        Field missing = f["missing"];
        for (size_t i = 0; i < missing.Items(2); ++i) {
            std::string name = missing.At(i).String();
            if (name != "GetASPI32SupportInfo" && name != "SendASPI32Command")
                missing.At(i).Wrong("WNASPI32 has no entry point \"" + ShownInError(name) + "\"");
            a.missing.insert(name);
        }
    }
    if (f.Has("supportStatus")) a.supportStatus = (uint8_t)f["supportStatus"].Integer(0, 255);
    if (f.Has("adapterCount")) a.adapterCount = (int)f["adapterCount"].Integer(-1, 255);
    if (f.Has("completeLater")) a.completeLater = f["completeLater"].Bool();
    if (f.Has("completionDelayMs")) a.completionDelayMs = (unsigned)f["completionDelayMs"].Integer(0, kMaxDelayMs);
    if (!f.Has("adapters")) return;
    Field adapters = f["adapters"];
    size_t units = 0;
    for (size_t i = 0; i < adapters.Items(kMaxAdapters); ++i) {
        Field af = adapters.At(i);
        CheckKeys(af, {"inquiryStatus", "units"});
        AspiAdapter adapter;
        if (af.Has("inquiryStatus")) adapter.inquiryStatus = (uint8_t)af["inquiryStatus"].Integer(0, 255);
        if (af.Has("units")) {
            Field unitList = af["units"];
            for (size_t j = 0; j < unitList.Items(kMaxUnits); ++j) {
                if (++units > kMaxUnits) unitList.At(j).Wrong("more than " + std::to_string(kMaxUnits) + " units in all");
                adapter.units.emplace_back();
                ReadAspiUnit(unitList.At(j), adapter.units.back());
            }
        }
        a.adapters.push_back(adapter);
    }
}

ordered WriteAspi(const Machine &m)
{
    const AspiManager &a = m.aspi;
    ordered aspi = {{"installed", a.installed}, {"supportStatus", a.supportStatus}, {"adapterCount", a.adapterCount},
                    {"completeLater", a.completeLater}, {"completionDelayMs", a.completionDelayMs}};
    if (!a.missing.empty()) aspi["missing"] = a.missing;
    ordered adapters = ordered::array();
    for (const AspiAdapter &adapter : a.adapters) {
        ordered units = ordered::array();
        for (const AspiUnit &u : adapter.units) units.push_back(WriteAspiUnit(u));
        adapters.push_back(ordered{{"inquiryStatus", adapter.inquiryStatus}, {"units", units}});
    }
    aspi["adapters"] = adapters;
    return aspi;
}

void ReadFaults(const Field &faults, Machine &m)
{
    for (size_t i = 0; i < faults.Items(kMaxFaults); ++i) {
        Field f = faults.At(i);
        CheckKeys(f, {"operation", "call"});
        std::string operation = f["operation"].String();
        if (!f.reader.operations->count(operation))
            f["operation"].Wrong("no platform operation \"" + ShownInError(operation) + "\"");
        m.faults.push_back({operation, (int)f["call"].Integer(1, 1 << 30)});
    }
}

ordered WriteFaults(const Machine &m)
{
    if (m.faults.empty()) return ordered();
    ordered faults = ordered::array();
    for (const auto &[op, n] : m.faults) faults.push_back(ordered{{"operation", op}, {"call", n}});
    return faults;
}

// The sections in the order they are read and written; a writer's null is a
// section left out.
const struct Section {
    const char *key;
    void (*read)(const Field &, Machine &);
    ordered (*write)(const Machine &);
} kSections[] = {
    {"os", ReadOs, WriteOs},
    {"disks", ReadDisks, WriteDisks},
    {"volumes", ReadVolumes, WriteVolumes},
    {"drives", ReadDrives, WriteDrives},
    {"extraDriveBits", ReadExtraDriveBits, WriteExtraDriveBits},
    {"mountedDevices", ReadMountedDevices, WriteMountedDevices},
    {"devices", ReadDevices, WriteDevices},
    {"libraryPath", ReadLibraryPath, WriteLibraryPath},
    {"absentModules", ReadAbsentModules, WriteAbsentModules},
    {"missingEntryPoints", ReadMissingEntryPoints, WriteMissingEntryPoints},
    {"vendor", ReadVendor, WriteVendor},
    {"vendorHelper", ReadVendorHelper, WriteVendorHelper},
    {"aspi", ReadAspi, WriteAspi},
    {"faults", ReadFaults, WriteFaults},
};

void Read(const Field &root, Machine &m)
{
    // The format first: a newer one may mean what this reader would misread.
    if (root.Has("format")) {
        Field format = root["format"];
        long long n = format.Integer(1, 1 << 20);
        if (n > kScenarioFormat)
            format.Wrong("written by a newer version (format " + std::to_string(n) + "); this probe reads format " +
                         std::to_string(kScenarioFormat));
    }
    for (auto it = root.Object().begin(); it != root.Object().end(); ++it) {
        bool known = it.key() == "format" || it.key() == "comment";
        for (const Section &s : kSections) known = known || it.key() == s.key;
        if (!known) throw FieldError(root.where + "." + ShownInError(it.key()) + ": unknown field");
    }
    if (root.Has("comment")) root["comment"].String();
    for (const Section &s : kSections) {
        if (root.Has(s.key)) s.read(root[s.key], m);
    }
}

ordered Write(const Machine &m)
{
    ordered root;
    root["format"] = kScenarioFormat;
    for (const Section &s : kSections) {
        ordered value = s.write(m);
        if (!value.is_null()) root[s.key] = value;
    }
    return root;
}

}  // namespace

bool ParseScenario(const std::string &text, const std::string &name, const std::set<std::string> &operations,
                   Machine &m, std::string &error)
{
    const std::string shown = ShownInError(name, 200);
    // Nothing may escape: a scenario is input from the field.
    try {
        if (text.size() > kMaxScenarioBytes) {
            error = shown + ": larger than " + std::to_string(kMaxScenarioBytes) + " bytes";
            return false;
        }
        if (NestingDepth(text, kMaxDepth) > kMaxDepth) {
            error = shown + ": nested deeper than " + std::to_string(kMaxDepth) + " levels";
            return false;
        }
        json document;
        try {
            document = json::parse(text);
        } catch (const json::exception &e) {
            // Past the library's own "[json.exception...] " tag.
            std::string what = e.what();
            size_t tag = what.rfind("] ", 64);
            if (what.rfind("[json.exception", 0) == 0 && tag != std::string::npos) what.erase(0, tag + 2);
            error = shown + ": not valid JSON: " + ShownInError(what, 160);
            return false;
        }
        Machine loaded;
        Reader reader{0, &operations};
        try {
            DecodeAll(document, "scenario");
            Read(Field{document, "scenario", reader}, loaded);
        } catch (const FieldError &e) {
            error = shown + ": " + e.what();
            return false;
        }
        m = loaded;
        return true;
    } catch (const std::exception &e) {
        error = shown + ": cannot be used: " + ShownInError(e.what(), 160);
    } catch (...) {
        error = shown + ": cannot be used";
    }
    return false;
}

std::string WriteScenario(const Machine &m)
{
    ordered root = Write(m);
    EncodeAll(root);
    // Every string is valid UTF-8 now; replacing stays as the last guard so
    // that writing can never throw.
    return root.dump(2, ' ', false, ordered::error_handler_t::replace) + "\n";
}

}  // namespace sim
