// Scenario files: every shipped one loads, and a wrong one is reported by
// file and field instead of crashing the probe or a test.
#include <filesystem>
#include <fstream>

#include "harness.h"
#include "morvalith.h"

using namespace harness;

namespace {

std::string Write(const std::string &name, const std::string &text)
{
    std::string path = testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

TEST(Scenario, EveryShippedScenarioLoads)
{
    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(MORVALITH_SCENARIOS)) {
        sim::Machine m;
        std::string error;
        EXPECT_TRUE(LoadScenarioFile(entry.path().string(), sim::Operations(), m, error)) << error;
        ++files;
    }
    EXPECT_GE(files, 5);
}

TEST(Scenario, DescribesTheMachineTheLibrarySees)
{
    sim::Machine m;
    std::string error;
    ASSERT_TRUE(LoadScenarioFile(std::string(MORVALITH_SCENARIOS) + "/vista-autorun-loads.json", sim::Operations(), m, error)) << error;
    EXPECT_EQ(m.major, 6u);
    EXPECT_EQ(m.minor, 1u);
    ASSERT_EQ(m.disks.size(), 1u);
    EXPECT_EQ(m.disks[0].opens, "flash");
    EXPECT_EQ(m.drives.at('F').type, (UINT)DRIVE_CDROM);
    EXPECT_EQ(m.mountedDevices.at("\\DosDevices\\F:")[0], '\\');
    EXPECT_EQ(m.mountedDevices.at("\\DosDevices\\F:")[1], 0);
    EXPECT_EQ(m.devices.at("autorun").answers.at(0x82).data, std::vector<uint8_t>(512, 90));
    EXPECT_EQ(m.devices.at("autorun").answers.at(0x82).status, 0);
    harness::Boot(m);
    harness::Attach a = harness::AttachLibrary();
    EXPECT_TRUE(a.result);
    harness::DetachLibrary();
}

TEST(Scenario, WrongFilesNameTheFileAndTheField)
{
    struct Case {
        const char *text;
        const char *expected;
    };
    const Case cases[] = {
        {"{\"os\": \"winxq\"}", "scenario.os: unknown system \"winxq\""},
        {"{\"disks\": [{\"opens\": \"x\"}]}", "scenario.disks[0]: missing field 'path'"},
        {"{\"disks\": [{\"path\": 7}]}", "scenario.disks[0].path: expected a string"},
        {"{\"drives\": {\"e\": {\"type\": \"fixed\"}}}", "scenario.drives.e: a drive is a letter A-Z"},
        {"{\"drives\": {\"E\": {\"type\": \"floppy\"}}}", "scenario.drives.E.type: unknown drive type \"floppy\""},
        {"{\"devices\": {\"d\": {\"answers\": {\"0x1FF\": {}}}}}", "scenario.devices.d.answers.0x1FF: out of range"},
        {"{\"devices\": {\"d\": {\"answers\": {\"0x82\": {\"hex\": \"abc\"}}}}}", "hex: odd number of hex digits"},
        {"{\"vendor\": {\"key\": \"00\"}}", "scenario.vendor.key: a key is 32 bytes"},
        {"{\"vendor\": {\"bits\": 48}}", "scenario.vendor.bits: 32 or 64"},
        {"{\"vendorHelper\": {\"writes\": -1}}", "scenario.vendorHelper.writes: out of range"},
        {"{\"vendorHelper\": {\"overwrite\": \"0\"}}", "scenario.vendorHelper.overwrite: odd number of hex digits"},
        {"{\"libraryPath\": \"Morvalith.dll\"}", "scenario.libraryPath: a full path of a file"},
        {"{\"diskz\": []}", "scenario.diskz: unknown field"},
        {"[1, 2]", "scenario: expected an object"},
        {"{\"os\": {\"major\": 5,}", "not valid JSON"},
        // Hostile files: numbers out of range, control characters, unknown
        // names, sizes past the limits.
        {"{\"os\": {\"major\": 1e999}}", "not valid JSON: number overflow"},
        {"{\"os\": {\"major\": 18446744073709551615}}", "scenario.os.major: out of range"},
        {"{\"os\": {\"major\": \"99999999999999999999\"}}", "scenario.os.major: out of range"},
        {"{\"os\": {\"major\": 5.5}}", "scenario.os.major: expected a whole number"},
        {"{\"disks\": [{\"path\": \"a\", \"x\\ny\": 1}]}", "scenario.disks[0].x\\ny: unknown field"},
        {"{\"disks\": [{\"path\": \"a\", \"x\\u0000y\": 1}]}", "scenario.disks[0].x\\x00y: unknown field"},
        {"{\"aspi\": {\"adapters\": [{\"units\": [{\"target\": 0, \"inquiry\": {\"vendor\": \"G\", \"bogus\": 1}}]}]}}",
         "units[0].inquiry.bogus: unknown field"},
        {"{\"mountedDevices\": {\"v\": {\"utf16\": \"a\", \"status\": 1}}}", "mountedDevices.v.status: unknown field"},
        {"{\"faults\": [{\"operation\": \"CreateFileW\", \"call\": 1}]}", "no platform operation \"CreateFileW\""},
        {"{\"aspi\": {\"missing\": [\"SendASPI32Commands\"]}}", "WNASPI32 has no entry point"},
        {"{\"aspi\": {\"completionDelayMs\": 100000}}", "completionDelayMs: out of range"},
        {"{\"devices\": {\"d\": {\"answers\": {\"0x82\": {\"length\": 65537}}}}}", "length: out of range"},
        {"{\"format\": 2, \"os\": \"winxp\"}", "scenario.format: written by a newer version (format 2)"},
    };
    for (const Case &c : cases) {
        std::string file = Write("bad-scenario.json", c.text);
        sim::Machine m;
        m.major = 42;
        std::string error;
        EXPECT_FALSE(LoadScenarioFile(file, sim::Operations(), m, error)) << c.text;
        EXPECT_EQ(error.rfind(file + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_EQ(m.major, 42u) << "machine left as it was";
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line";
    }
    sim::Machine m;
    std::string error;
    EXPECT_FALSE(LoadScenarioFile(testing::TempDir() + "no-such-file.json", sim::Operations(), m, error));
    EXPECT_EQ(error, testing::TempDir() + "no-such-file.json: does not exist");
}

// A machine written out reads back as the same machine: the shipped
// scenarios, and one that uses every field a capture may write.
TEST(Scenario, WrittenMachinesReadBackTheSame)
{
    std::vector<sim::Machine> machines = {sim::DefaultMachine()};
    for (const auto &entry : std::filesystem::directory_iterator(MORVALITH_SCENARIOS)) {
        sim::Machine m;
        std::string error;
        ASSERT_TRUE(LoadScenarioFile(entry.path().string(), sim::Operations(), m, error)) << error;
        machines.push_back(m);
    }
    sim::Machine full = sim::DefaultMachine();
    full.major = 6;
    full.minor = 2;
    full.trueMajor = 10;
    full.trueBuild = 19045;
    full.disks.push_back({"\\\\?\\usbstor#disk&ven_x#1#{g}", "", false, 0});
    full.disks[0].openError = 5;
    full.drives['F'] = sim::Drive{sim::kDriveCdrom, "", "cd", 5};
    full.drives['Q'] = sim::Drive{1, "", "", 0};
    full.devices["flash"].ioctlError = 1;
    full.devices["flash"].answers[0x82] = {sim::kCheckCondition, {}, {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0}};
    full.devices["cd"].answers[0x82] = {sim::kGood, std::vector<uint8_t>(512, 7), {}};
    full.mountedDevices["\\DosDevices\\F:"] = sim::Utf16("\\??\\USBSTOR#CdRom&Ven_Generic&Prod_AutoRun_Disk");
    full.mountedDevices["\\DosDevices\\G:"] = {0x01, 0x02, 0xFF};
    full.volumes[0].present = false;
    full.absentModules.insert("setupapi.dll");
    full.missingEntryPoints["kernel32.dll"].insert("GetVolumeNameForVolumeMountPointA");
    full.aspi.installed = true;
    full.aspi.missing.insert("SendASPI32Command");
    full.aspi.adapters.push_back({0x04, {sim::AspiUnit{2, 1, 0x01, 0x00, {0x01, {1, 2, 3}}, {{0x82, {0x04, {}}}}}}});
    full.faults.push_back({"CreateFileA", 2});
    full.vendor.bits = 32;
    full.vendorHelper = {false, false, 12, 0xC0000005, true, 61000, true, {0x07, 0, 0, 0}};
    full.libraryPath = "D:\\Apps\\Host\\Morvalith.dll";
    full.disks[0].detailSize = 4;
    machines.push_back(full);
    // Names in the ANSI code page (Latin-1, GBK), control bytes, the escape's
    // own mark and valid UTF-8, in every string field and key.
    auto odd = [](const std::string &base) { return base + "\xE9\xC4\xE3\x80%bytes%\x01\x1B[2J\xC3\xA9%"; };
    sim::Machine bytes = sim::DefaultMachine();
    bytes.disks[0].path += odd("#");
    bytes.disks[0].opens = odd("flash");
    bytes.devices[bytes.disks[0].opens] = bytes.devices["flash"];
    bytes.volumes[0].volumeName = odd("\\\\?\\Volume{e}");
    bytes.volumes[0].path = odd(bytes.volumes[0].path);
    bytes.volumes[0].deviceId = odd(bytes.volumes[0].deviceId);
    bytes.drives['E'].volumeName = bytes.volumes[0].volumeName;
    bytes.mountedDevices[odd("\\DosDevices\\E:")] = {0xE9};
    bytes.absentModules.insert(odd("x.dll"));
    bytes.missingEntryPoints[odd("y.dll")].insert(odd("Z"));
    bytes.vendor.hasEntryPoint = true;
    machines.push_back(bytes);
    {
        const std::string text = sim::WriteScenario(bytes);
        EXPECT_NE(text.find("Volume{e}%E9%C4%E3%80%25bytes%25%01%1B[2J%C3%A9%25"), std::string::npos)
            << "plain text stays readable";
        sim::Machine back;
        std::string error;
        ASSERT_TRUE(LoadScenarioFile(Write("bytes.json", text), sim::Operations(), back, error)) << error;
        // The replay: the library finds the disk and the letter under those names.
        for (const sim::Machine *m : {&bytes, &back}) {
            Boot(*m);
            EXPECT_TRUE(AttachLibrary().result);
            EXPECT_EQ(GetUSBDriveLetter(), 'E');
            DetachLibrary();
        }
    }
    for (const sim::Machine &m : machines) {
        std::string file = Write("round-trip.json", sim::WriteScenario(m));
        sim::Machine back;
        std::string error;
        ASSERT_TRUE(LoadScenarioFile(file, sim::Operations(), back, error)) << error;
        EXPECT_TRUE(back == m) << sim::WriteScenario(m);
        EXPECT_EQ(sim::WriteScenario(back), sim::WriteScenario(m));
    }
    // A capture cut short is refused on one line.
    std::string text = sim::WriteScenario(full);
    std::string file = Write("truncated.json", text.substr(0, text.size() / 2));
    sim::Machine m;
    std::string error;
    EXPECT_FALSE(LoadScenarioFile(file, sim::Operations(), m, error));
    EXPECT_NE(error.find(file + ": not valid JSON: "), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

// Files built to exhaust the reader: each is refused on one short line.
TEST(Scenario, LimitsKeepHostileFilesShort)
{
    auto many = [](const std::string &key, const std::string &item, int n) {
        std::string text = "{\"" + key + "\": [";
        for (int i = 0; i < n; ++i) text += (i ? "," : "") + item;
        return text + "]}";
    };
    auto array = [&](const std::string &item, int n) {
        std::string text = many("x", item, n);
        return text.substr(6, text.size() - 7);
    };
    std::string answers = "{\"devices\": {";
    for (int i = 0; i < 17; ++i) answers += (i ? "," : "") + std::string("\"d") + std::to_string(i) +
                                           "\": {\"answers\": {\"0x82\": {\"length\": 65536}}}";
    answers += "}}";
    std::string units = "{\"target\": 0}";
    const std::pair<std::string, std::string> cases[] = {
        {"{\"" + std::string(1 << 20, 'k') + "\": 1}", ": unknown field"},
        {"{\"comment\": \"" + std::string(5000, 'c') + "\"}", "comment: text longer than 4096"},
        {many("disks", "{\"path\": \"p\"}", 1025), "scenario.disks: more than 1024 entries"},
        {many("faults", "{\"operation\": \"HeapAlloc\", \"call\": 1}", 1025), "more than 1024 entries"},
        {answers, "exceed 1048576 bytes in all"},
        {"{\"aspi\": {\"adapters\": [" + many("units", units, 200) + "," + many("units", units, 100) + "]}}",
         "more than 256 units in all"},
        {std::string(2000000, '[') + std::string(2000000, ']'), "nested deeper than 32 levels"},
        {"{\"disks\": " + array("{\"path\": \"p\"}", 129) + ", \"volumes\": " +
             array("{\"path\": \"v\", \"deviceId\": \"\", \"parentId\": \"\"}", 128) + "}",
         "129 disk interfaces by 128 volume interfaces: more than 16384 pairs"},
        {"{\"mountedDevices\": {\"\\\\DosDevices\\\\F:\": {\"hex\": \"00\"}, \"\\\\dosdevices\\\\f:\": {\"hex\": \"00\"}}}",
         "\"\\DosDevices\\F:\" and \"\\dosdevices\\f:\" differ only in case"},
        {"{\"comment\": \"%bytes%%G1\"}", "scenario.comment: a malformed %bytes% escape"},
    };
    for (const auto &[text, expected] : cases) {
        std::string file = Write("hostile.json", text);
        sim::Machine m;
        std::string error;
        EXPECT_FALSE(LoadScenarioFile(file, sim::Operations(), m, error));
        EXPECT_NE(error.find(expected), std::string::npos) << error.substr(0, 300);
        EXPECT_LT(error.size(), 400u);
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
    sim::Machine m;
    std::string error;
    EXPECT_FALSE(LoadScenarioFile(testing::TempDir(), sim::Operations(), m, error)) << "a directory";
    EXPECT_EQ(error, testing::TempDir() + ": is a folder");
}

}  // namespace

namespace {

// The explanation's version note tells apart what the host is told.
TEST(Scenario, TheVersionNoteTellsAManifestFromACompatibilityModeFromTheTruth)
{
    struct Row {
        uint32_t major, minor, trueMajor, trueMinor;
        const char *note;
    };
    const Row rows[] = {
        {6, 2, 10, 0, "the true version is 10.0 build 1: a host without a compatibility manifest is told 6.2, and the "
                      "library follows what a host is told"},
        {5, 1, 6, 1, "the true version is 6.1 build 1: a host runs in a compatibility mode and is told 5.1, and the "
                     "library follows what a host is told"},
        {6, 1, 5, 1, "the true version is 5.1 build 1: a host is told a newer version by a compatibility setting (no "
                     "manifest is missing): 6.1, and the library follows what a host is told"},
        {5, 1, 5, 1, "the true version is the one a host is told"},
        {5, 1, 0, 0, ""},
    };
    for (const Row &r : rows) {
        sim::Machine m;
        m.major = r.major;
        m.minor = r.minor;
        m.trueMajor = r.trueMajor;
        m.trueMinor = r.trueMinor;
        m.trueBuild = 1;
        EXPECT_EQ(VersionNote(m, "a host"), r.note);
    }
}

}  // namespace
