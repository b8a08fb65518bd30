// Scenario files: every shipped one loads, and a wrong one is reported by
// file and field instead of crashing the probe or a test.
#include <filesystem>
#include <fstream>

#include "harness.h"

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
        EXPECT_TRUE(sim::LoadScenario(entry.path().string(), m, error)) << error;
        ++files;
    }
    EXPECT_GE(files, 5);
}

TEST(Scenario, DescribesTheMachineTheLibrarySees)
{
    sim::Machine m;
    std::string error;
    ASSERT_TRUE(sim::LoadScenario(std::string(MORVALITH_SCENARIOS) + "/vista-autorun-loads.json", m, error)) << error;
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
        {"{\"diskz\": []}", "scenario.diskz: unknown field"},
        {"[1, 2]", "scenario: expected an object"},
        {"{\"os\": {\"major\": 5,}", "not valid JSON"},
    };
    for (const Case &c : cases) {
        std::string file = Write("bad-scenario.json", c.text);
        sim::Machine m;
        m.major = 42;
        std::string error;
        EXPECT_FALSE(sim::LoadScenario(file, m, error)) << c.text;
        EXPECT_EQ(error.rfind(file + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_EQ(m.major, 42u) << "machine left as it was";
    }
    sim::Machine m;
    std::string error;
    EXPECT_FALSE(sim::LoadScenario(testing::TempDir() + "no-such-file.json", m, error));
    EXPECT_NE(error.find("cannot be read"), std::string::npos);
}

}  // namespace
