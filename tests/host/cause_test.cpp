// The explanation's first answer, for every road to a refusal and to a
// failing call: the diagnosis as data (a cause and its facts), and its words
// as the golden file tests/probe/causes.txt holds them.
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "explain.h"
#include "harness.h"
#include "lang.h"

using namespace harness;

namespace {

// XP with the flash disk under E: (a revision 8.01 disk with a removable volume).
sim::Machine Served() { return sim::DefaultMachine(); }

struct Road {
    const char *name;
    sim::Machine m;
    Diagnosis want;
};

std::vector<Road> Roads()
{
    std::vector<Road> roads;
    auto add = [&](const char *name, sim::Machine m, Diagnosis want) { roads.push_back({name, m, want}); };
    // The words of a system not served differ by size: a 64-bit road's name says so.
    const char *nt4 = MORVALITH_64BIT ? "NT 4 (64-bit library)" : "NT 4";
    const char *win32s = MORVALITH_64BIT ? "Win32s (64-bit library)" : "Win32s";
    add(nt4, Windows(4, 0),
        {.cause = Cause::WindowsNotServed, .major = 4, .minor = 0, .platform = VER_PLATFORM_WIN32_NT});
    add(win32s, Windows(3, 10, 0),
        {.cause = Cause::WindowsNotServed, .major = 3, .minor = 10, .platform = VER_PLATFORM_WIN32s});
    sim::Machine m = Served();
    m.faults.push_back({"GetVersionExA", 1});
    add("version query", m, {.cause = Cause::VersionUnreadable});
    m = Served();
    m.disks[0].path = "\\\\?\\usbstor#disk&ven_kingston&prod_dt&rev_1.00#1&2&0#{53f56307}";
    add("another vendor", m,
        {.cause = Cause::NoFlashDisk, .nearMiss = NearMiss::OtherDisk, .name = "disk&ven_kingston&prod_dt&rev_1.00"});
    m = Served();
    m.disks[0].path = "\\\\?\\USBSTOR#DISK&VEN_GENERIC&PROD_FLASH_DISK&REV_8.01#7&1&0#{53f56307}";
    add("upper case", m, {.cause = Cause::NoFlashDisk, .nearMiss = NearMiss::UpperCase, .name = m.disks[0].path});
    m = Served();
    m.disks.clear();
    add("no disk", m, {.cause = Cause::NoFlashDisk});
    m = Served();
    m.faults.push_back({"SetupDiEnumDeviceInterfaces", 1});
    add("disk search fails", m, {.cause = Cause::DiskSearchFailed, .fault = {"SetupDiEnumDeviceInterfaces", 1}});
    m = Served();
    m.disks[0].openError = ERROR_ACCESS_DENIED;
    add("access denied", m, {.cause = Cause::OpenFailed, .error = ERROR_ACCESS_DENIED});
    m = Served();
    m.disks[0].openError = 32;
    add("held open", m, {.cause = Cause::OpenFailed, .error = 32});
    m = Served();
    m.disks[0].openError = 21;
    add("not ready", m, {.cause = Cause::OpenFailed, .error = 21});
    m = Served();
    m.devices[m.disks[0].opens].ioctlError = 1117;
    add("transport", m, {.cause = Cause::TransportFailed, .error = 1117});
    m = Served();
    m.devices[m.disks[0].opens].answers[0x82] = {sim::kCheckCondition, {}, {0x70, 0, 0x05, 0, 0, 0, 0, 10}};
    add("refused", m, {.cause = Cause::CommandRefused, .status = sim::kCheckCondition, .senseKey = 0x5});
    m = Served();
    m.devices[m.disks[0].opens].answers[0x82] = {0x08, {}, {}};
    add("busy", m, {.cause = Cause::CommandRefused, .status = 0x08, .senseKey = -1});
    add("no CD-ROM", VistaWithFlashDisk(0), {.cause = Cause::NoCdromDrive});
    m = VistaWithFlashDisk('F');
    m.mountedDevices.begin()->second = sim::Utf16("\\??\\IDE#CdRomDrive#1");
    add("no autorun CD-ROM", m, {.cause = Cause::NoAutorunVolume});
#if !MORVALITH_64BIT
    m = Win98({{Unit(0, 0)}});
    m.aspi.installed = false;
    add("no WNASPI32", m, {.cause = Cause::NoAspiManager});
    m = Win98({{Unit(0, 0)}});
    m.aspi.missing.insert("SendASPI32Command");
    add("entry point", m, {.cause = Cause::AspiEntryPointMissing, .name = "SendASPI32Command"});
    m = Win98({{Unit(0, 0)}});
    m.aspi.supportStatus = 0xE4;
    add("manager fails", m, {.cause = Cause::AspiNotStarted, .status = 0xE4});
    add("no adapters", Win98({}), {.cause = Cause::NoHostAdapters});
    m = Win98({{Unit(0, 0)}});
    m.aspi.adapters[0].units[0].inquiry.data[8] = 'g';
    add("no unit", m, {.cause = Cause::NoAspiFlashDisk});
    m = Win98({{Unit(0, 0)}, {Unit(0, 0)}});
    m.aspi.adapters[1].units[0].target = 3;
    m.aspi.adapters[0].units[0].inquiry.data[8] = 'g';
    m.aspi.adapters[1].units[0].answers[0x82].status = 0x04;
    const Diagnosis unit{.cause = Cause::UnitRefused, .status = 0x04, .adapter = 1, .target = 3};
    add("unit rejects", m, unit);
    m.aspi.adapters[1].units[0].answers.clear();
    add("unit has no answer", m, unit);
#else
    // The 64-bit library has no Windows 9x road.
    add("Windows 98 (64-bit library)", Win98({{Unit(0, 0)}}),
        {.cause = Cause::WindowsNotServed, .major = 4, .minor = 10, .platform = VER_PLATFORM_WIN32_WINDOWS});
#endif
    m = Served();
    m.disks[0].path = "\\\\?\\usbstor#disk&ven_generic&prod_flash_disk&rev_1.00#7&1&0#{53f56307}";
    add("letter test", m, {.cause = Cause::NoLetterDisk});
    m = Served();
    m.drives.erase('E');
    add("no letter", m, {.cause = Cause::NoLetteredVolume});
    m = Served();
    m.faults.push_back({"GetLogicalDrives", 1});
    add("letter search fails", m,
        {.cause = Cause::LetterSearchFailed, .fault = {"GetLogicalDrives", 1}, .keyServed = true});
    m = Served();
    m.vendor.installed = false;
    add("vendor missing", m, {.cause = Cause::NoVendorLibrary, .letter = 'E'});
    m = Served();
    m.vendor.hasEntryPoint = false;
    add("vendor entry point", m, {.cause = Cause::NoVendorEntryPoint, .letter = 'E'});
    m = Served();
    m.vendor.result = 3;
    add("vendor fails", m, {.cause = Cause::VendorCallFailed, .letter = 'E', .vendorResult = 3});
#if MORVALITH_64BIT
    // A 32-bit vendor library on the 64-bit library's road, through its helper.
    m = Served();
    m.vendor.bits = 32;
    add("vendor 32-bit, helper answers", m, {.cause = Cause::None, .letter = 'E'});
    m.vendorHelper.installed = false;
    add("vendor 32-bit, no helper", m, {.cause = Cause::NoVendorHelper, .letter = 'E'});
    m.vendorHelper = {};
    m.vendorHelper.hangs = true;
    add("vendor 32-bit, helper hangs", m, {.cause = Cause::VendorHelperFailed, .letter = 'E'});
    m.vendorHelper = {};
    m.vendor.result = 3;
    add("vendor 32-bit fails", m, {.cause = Cause::VendorCallFailed, .letter = 'E', .vendorResult = 3});
#endif
    add("served", Served(), {.cause = Cause::None, .letter = 'E'});
    return roads;
}

std::string Line(const std::string &text, const std::string &head)
{
    size_t at = text.find("\n" + head);
    if (at == std::string::npos) return "(no " + head + "line)";
    size_t end = text.find('\n', at + 1);
    return text.substr(at + 1 + head.size(), end - at - 1 - head.size());
}

std::string Golden(const char *file)
{
    std::string text, why;
    return ReadWholeFile(std::string(MORVALITH_SOURCE) + "/tests/probe/" + file, 1 << 20, text, why) ? text : why;
}

// The golden words of the roads a build has, in the roads' order: the file
// holds the roads of both sizes, each a line with its name and two indented
// lines.
std::string GoldenWordsOf(const std::vector<Road> &roads)
{
    std::map<std::string, std::string> entries;
    std::istringstream golden(Golden("causes.txt"));
    for (std::string name, cause, remedy; std::getline(golden, name) && std::getline(golden, cause) &&
                                          std::getline(golden, remedy);)
        entries[name] = name + "\n" + cause + "\n" + remedy + "\n";
    std::string kept;
    for (const Road &r : roads) kept += entries.count(r.name) ? entries[r.name] : "(no words for " + std::string(r.name) + ")\n";
    return kept;
}

TEST(Cause, EveryRoadIsDiagnosedWithItsFacts)
{
    for (const Road &r : Roads()) {
        SCOPED_TRACE(r.name);
        HostRun run = RunHost(r.m);
        Diagnosis got = Diagnose(r.m, run);
        EXPECT_EQ(int(got.cause), int(r.want.cause));
        EXPECT_TRUE(got == r.want) << "fault " << got.fault.operation << " " << got.fault.nth << ", error "
                                   << got.error << ", status " << got.status << ", sense key " << got.senseKey
                                   << ", unit " << got.adapter << "/" << got.target << "/" << got.lun << ", name \""
                                   << got.name << "\", letter " << int(got.letter);
    }
}

// The words of every road, above the detail of the explanation, and its
// exit status the host's own outcome on the same machine: 0 loads, 1 refuses.
TEST(Cause, TheExplanationOpensWithTheWordsOfTheDiagnosis)
{
    std::string words;
    for (const Road &r : Roads()) {
        SCOPED_TRACE(r.name);
        CauseWords w = Words(r.want);
        words += std::string(r.name) + "\n  cause: " + w.cause + "\n  remedy: " + w.remedy + "\n";
        testing::internal::CaptureStdout();
        int result = Explain(r.m, r.name, false);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(Line(out, "cause: "), w.cause);
        EXPECT_EQ(Line(out, "remedy: "), w.remedy);
        EXPECT_EQ(Line(out, "cause-id: "), lang::IdLine(w.causeId, w.causeArgs));
        EXPECT_EQ(Line(out, "remedy-id: "), lang::IdLine(w.remedyId, w.remedyArgs));
        EXPECT_LT(out.find("\ncause: "), out.find("\nload:")) << "the detail comes below";
        harness::Boot(r.m);
        bool loads = harness::AttachLibrary().result;
        harness::DetachLibrary();
        EXPECT_EQ(result, loads ? 0 : 1);
    }
    std::string written = testing::TempDir() + "causes.txt";
    std::ofstream(written, std::ios::binary) << words;
    EXPECT_EQ(words, GoldenWordsOf(Roads())) << "the words as they are now: " << written;
}

// Every road's identifiers are in the customer's table with the arguments
// its texts use, and an English customer reads what the window said before
// it spoke other languages: the explanation's cause and remedy as sentences.
TEST(Cause, EveryRoadHasItsCustomerWordsAndEnglishIsUnchanged)
{
    auto sentence = [](std::string text) {
        if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = char(text[0] - 'a' + 'A');
        return text + ".";
    };
    for (const Road &r : Roads()) {
        SCOPED_TRACE(r.name);
        CauseWords w = Words(r.want);
        for (const auto &[id, args] : {std::pair{"cause." + w.causeId, w.causeArgs}, {"remedy." + w.remedyId, w.remedyArgs}}) {
            const char *text = lang::Text(lang::kEnglish, id);
            ASSERT_NE(text, nullptr) << id;
            size_t highest = 0;
            for (size_t n = 1; n <= 9; ++n)
                if (std::string(text).find("{" + std::to_string(n) + "}") != std::string::npos) highest = n;
            EXPECT_EQ(highest, args.size()) << id << ": every argument is shown, and only those given";
        }
        const std::string cause = lang::Say(lang::kEnglish, "cause." + w.causeId, w.causeArgs);
        EXPECT_EQ(cause, sentence(w.cause));
        EXPECT_EQ(lang::Say(lang::kEnglish, "remedy." + w.remedyId, w.remedyArgs), sentence(w.remedy));
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
