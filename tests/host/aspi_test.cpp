// Binding on Windows 9x through ASPI: the lines the host sees, the request
// blocks WNASPI32 receives, and what is held until detach.
#include <map>

#include "harness.h"
#include "transport/aspi.h"

using namespace harness;

namespace {

const char kLoadFail[] = "[LIB] Load WNASPI32 Fail\n";
const char kEntryMissing[] = "[LIB] WNASPI32 entry point missing\n";
const char kInitialFailed[] = "[LIB] Initial FAILED\n";
const char kHaFailed[] = "[LIB] SC_HA_INQUIRY FAILED\n";
const char kInquiryFailed[] = "[LIB] Exec SCSIOP_INQUIRY Fail.\n";
const char kSucceed[] = "[LIB] Exec Vendor SCSI command, 0x82, SUCCEED.\n";
const char kFailed[] = "[LIB] Exec Vendor SCSI command, 0x82, FAILED.\n";

std::vector<std::vector<uint8_t>> Srbs(uint8_t command)
{
    std::vector<std::vector<uint8_t>> found;
    for (const auto &srb : sim::AspiRequests())
        if (srb[0] == command) found.push_back(srb);
    return found;
}

uint32_t Dword(const std::vector<uint8_t> &b, size_t at)
{
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

std::string Address(const std::vector<uint8_t> &srb)
{
    return std::to_string(srb[2]) + ":" + std::to_string(srb[8]) + ":" + std::to_string(srb[9]);
}

TEST(Aspi, ABindingReadsTheSectorAndHoldsWnaspi32UntilDetach)
{
    Boot(Win98({{Unit(2, 0)}}));
    Attach a = AttachLibrary();
    ASSERT_TRUE(a.result);
    EXPECT_EQ(a.output, kSucceed);
    EXPECT_EQ(sim::DisabledThreadCallsFor(), (HMODULE)Self());
    EXPECT_EQ(std::vector<uint8_t>(g_library.vendorSector, g_library.vendorSector + 512), Pattern(512, 16));
    EXPECT_EQ(sim::ModuleReferences("wnaspi32.dll"), 1);
    EXPECT_EQ(sim::CallCount("WaitForSingleObject"), 0) << "requests that complete at once are not waited for";
    sim::Resources held = sim::Held();
    EXPECT_EQ(held.modules, 1);
    EXPECT_EQ(held.handles + held.heapBlocks + held.events, 0);

    EXPECT_EQ(DetachLibrary(), "");
    EXPECT_EQ(sim::ModuleReferences("wnaspi32.dll"), 0);
    EXPECT_EQ(sim::CallCount("FreeLibrary"), 1);
    DllMain(Self(), DLL_PROCESS_DETACH, nullptr);
    EXPECT_EQ(sim::CallCount("FreeLibrary"), 1) << "released exactly once";
    EXPECT_TRUE(NothingHeld());
}

TEST(Aspi, RequestBlocksCarryExactlyTheirValues)
{
    Boot(Win98({{Unit(1, 3)}}));
    ASSERT_TRUE(AttachLibrary().result);

    auto ha = Srbs(SC_HA_INQUIRY);
    ASSERT_EQ(ha.size(), 1u);
    ASSERT_EQ(ha[0].size(), 60u);
    for (size_t i = 0; i < 60; ++i) EXPECT_EQ(ha[0][i], 0) << "HA inquiry byte " << i;

    auto dev = Srbs(SC_GET_DEV_TYPE);
    ASSERT_EQ(dev.size(), 8u + 4u) << "target 0 and target 1 up to its unit 3";
    for (size_t n = 0; n < dev.size(); ++n) {
        std::vector<uint8_t> want(12, 0);
        want[0] = SC_GET_DEV_TYPE;
        want[8] = (uint8_t)(n / 8);
        want[9] = (uint8_t)(n % 8);
        EXPECT_EQ(dev[n], want) << n;
    }

    auto exec = Srbs(SC_EXEC_SCSI_CMD);
    ASSERT_EQ(exec.size(), 2u);
    for (int which = 0; which < 2; ++which) {
        const std::vector<uint8_t> &b = exec[which];
        bool inquiry = which == 0;
        ASSERT_EQ(b.size(), 80u);
        EXPECT_EQ(b[0], SC_EXEC_SCSI_CMD);
        EXPECT_EQ(b[1], SS_PENDING);
        EXPECT_EQ(Address(b), "0:1:3");
        EXPECT_EQ(b[3], 0x48);
        EXPECT_EQ(Dword(b, 12), inquiry ? 36u : 512u);
        if (!inquiry) EXPECT_EQ(Dword(b, 16), (uint32_t)(uintptr_t)g_library.vendorSector);
        else EXPECT_NE(Dword(b, 16), 0u);
        EXPECT_EQ(b[20], 14);
        EXPECT_EQ(b[21], inquiry ? 6 : 10);
        EXPECT_NE(Dword(b, 24), 0u) << "the completion event";
        EXPECT_EQ(b[48], inquiry ? 0x12 : 0x82);
        for (size_t i = 0; i < 80; ++i) {
            bool set = i <= 3 || i == 8 || i == 9 || (i >= 12 && i <= 21) || (i >= 24 && i <= 27) || i == 48 ||
                       (inquiry && i == 52);
            if (!set) EXPECT_EQ(b[i], 0) << (inquiry ? "INQUIRY" : "vendor read") << " byte " << i;
        }
        if (inquiry) EXPECT_EQ(b[52], 36);
    }
    EXPECT_NE(Dword(exec[0], 24), 0u);
    DetachLibrary();
    EXPECT_TRUE(NothingHeld());
}

TEST(Aspi, WithoutWnaspi32TheLoadFailsWithItsLine)
{
    sim::Machine m = Win98({{Unit(0, 0)}});
    m.aspi.installed = false;
    Boot(m);
    ExpectRefused(kLoadFail);
    EXPECT_EQ(sim::CallCount("FreeLibrary"), 0);
}

TEST(Aspi, AManagerMissingAnEntryPointIsReleasedWithItsOwnLine)
{
    for (const char *missing : {"GetASPI32SupportInfo", "SendASPI32Command"}) {
        sim::Machine m = Win98({{Unit(0, 0)}});
        m.aspi.missing.insert(missing);
        Boot(m);
        Attach a = AttachLibrary();
        EXPECT_FALSE(a.result);
        EXPECT_EQ(a.output, kEntryMissing);
        EXPECT_EQ(sim::ModuleReferences("wnaspi32.dll"), 0) << "released by the binding at once";
        EXPECT_EQ(g_library.aspiModule, nullptr);
        DetachLibrary();
        EXPECT_EQ(sim::CallCount("FreeLibrary"), 1) << "and not again at detach";
        EXPECT_TRUE(NothingHeld());
    }
}

TEST(Aspi, SupportInfoStatusesAndAdapterCounts)
{
    struct Case {
        uint8_t status;
        int count;
        std::string output;
    };
    const std::string notFound = kNotFound;
    for (const Case &c : {Case{SS_NO_ADAPTERS, 0, notFound}, Case{SS_COMP, 0, notFound},
                          Case{0x04, 1, kInitialFailed + notFound}, Case{0xE2, 0, kInitialFailed + notFound}}) {
        sim::Machine m = Win98({{Unit(0, 0)}});
        m.aspi.supportStatus = c.status;
        m.aspi.adapterCount = c.count;
        Boot(m);
        Attach a = AttachLibrary();
        EXPECT_FALSE(a.result);
        EXPECT_EQ(a.output, c.output) << "status " << (int)c.status;
        EXPECT_TRUE(sim::AspiRequests().empty());
        EXPECT_EQ(sim::ModuleReferences("wnaspi32.dll"), 0);
        DetachLibrary();
        EXPECT_TRUE(NothingHeld());
    }
}

TEST(Aspi, TheScanTakesTheLowestAdapterThenTargetThenUnit)
{
    struct Case {
        std::vector<std::vector<sim::AspiUnit>> adapters;
        std::string address;
    };
    const Case cases[] = {
        {{{Unit(5, 0)}, {Unit(1, 0)}}, "0:5:0"},
        {{{}, {Unit(3, 0), Unit(2, 5)}}, "1:2:5"},
        {{{Unit(4, 4), Unit(4, 1)}}, "0:4:1"},
    };
    for (const Case &c : cases) {
        Boot(Win98(c.adapters));
        ASSERT_TRUE(AttachLibrary().result) << c.address;
        std::string found = std::to_string(g_library.aspiHostAdapter) + ":" + std::to_string(g_library.aspiTarget) +
                            ":" + std::to_string(g_library.aspiLun);
        EXPECT_EQ(found, c.address);
        EXPECT_EQ(Address(Srbs(SC_EXEC_SCSI_CMD).back()), c.address);
        DetachLibrary();
    }
}

TEST(Aspi, OnlyGenericFlashDiskMatchesAndCaseCounts)
{
    Boot(Win98({{Unit(0, 0, "GENERIC", "Flash Disk"), Unit(1, 0, "Generic", "FLASH DISK"),
                 Unit(2, 0, "Generic", "Flash Dis"), Unit(3, 0, "Generic", "Flash DiskXYZ12")}}));
    Attach a = AttachLibrary();
    ASSERT_TRUE(a.result);
    EXPECT_EQ(a.output, kSucceed);
    EXPECT_EQ(g_library.aspiTarget, 3);
    DetachLibrary();
}

TEST(Aspi, UnitsThatAreNotDirectAccessOrAbsentGetNoInquiry)
{
    sim::AspiUnit cdrom = Unit(0, 0);
    cdrom.deviceType = 5;
    sim::AspiUnit broken = Unit(1, 0);
    broken.devTypeStatus = 0x04;
    Boot(Win98({{cdrom, broken, Unit(6, 7)}}));
    Attach a = AttachLibrary();
    ASSERT_TRUE(a.result);
    EXPECT_EQ(a.output, kSucceed);
    auto exec = Srbs(SC_EXEC_SCSI_CMD);
    ASSERT_EQ(exec.size(), 2u);
    EXPECT_EQ(Address(exec[0]), "0:6:7");
    DetachLibrary();
}

TEST(Aspi, AFailingInquiryPrintsItsLineAndTheScanGoesOn)
{
    sim::AspiUnit failing = Unit(0, 1);
    failing.inquiry.status = 0x04;
    Boot(Win98({{failing, Unit(0, 2, "Other"), Unit(3, 0)}}));
    Attach a = AttachLibrary();
    ASSERT_TRUE(a.result);
    EXPECT_EQ(a.output, std::string(kInquiryFailed) + kSucceed);
    DetachLibrary();
}

TEST(Aspi, AFailingAdapterInquirySkipsItsUnitsOnly)
{
    sim::Machine m = Win98({{Unit(0, 0)}, {Unit(1, 0)}});
    m.aspi.adapters[0].inquiryStatus = 0x04;
    Boot(m);
    Attach a = AttachLibrary();
    ASSERT_TRUE(a.result);
    EXPECT_EQ(a.output, std::string(kHaFailed) + kSucceed);
    for (const auto &srb : Srbs(SC_GET_DEV_TYPE)) EXPECT_EQ(srb[2], 1) << "no unit of adapter 0 probed";
    EXPECT_EQ(g_library.aspiHostAdapter, 1);
    DetachLibrary();
}

TEST(Aspi, NoMatchingUnitPrintsTheLinesInOrder)
{
    sim::Machine m = Win98({{Unit(0, 0, "Other")}, {}, {Unit(2, 2)}});
    m.aspi.adapters[1].inquiryStatus = 0x04;
    m.aspi.adapters[2].units[0].inquiry.status = 0x04;
    Boot(m);
    ExpectRefused(std::string(kHaFailed) + kInquiryFailed + kNotFound);
    EXPECT_EQ(Srbs(SC_GET_DEV_TYPE).size(), 128u);
}

TEST(Aspi, PendingRequestsAreWaitedForThenJudged)
{
    sim::Machine m = Win98({{Unit(0, 0, "Other"), Unit(1, 0)}});
    m.aspi.completeLater = true;
    Boot(m);
    Attach a = AttachLibrary();
    ASSERT_TRUE(a.result);
    EXPECT_EQ(a.output, kSucceed);
    EXPECT_EQ(sim::CallCount("WaitForSingleObject"), 3) << "two INQUIRYs and the vendor read";
    EXPECT_EQ(std::vector<uint8_t>(g_library.vendorSector, g_library.vendorSector + 512), Pattern(512, 8));
    DetachLibrary();
    EXPECT_TRUE(NothingHeld());

    m.aspi.adapters[0].units[1].answers[0x82].status = 0x04;
    Boot(m);
    a = AttachLibrary();
    EXPECT_FALSE(a.result);
    EXPECT_EQ(a.output, std::string(kFailed) + kSectorFailed);
    DetachLibrary();
    EXPECT_TRUE(NothingHeld());
}

TEST(Aspi, AFailedWaitNeverReleasesAPendingRequest)
{
    sim::Machine m = Win98({{Unit(0, 0)}});
    m.aspi.completeLater = true;
    for (int n : {1, 2}) {
        Boot(m);
        sim::FailCall("WaitForSingleObject", n);
        Attach a = AttachLibrary();
        EXPECT_TRUE(a.result) << "wait #" << n;
        EXPECT_EQ(a.output, kSucceed);
        EXPECT_EQ(sim::CallCount("WaitForSingleObject"), 3);
        DetachLibrary();
        EXPECT_TRUE(NothingHeld());
    }
}

TEST(Aspi, AFailedWaitOnAFinishedRequestIsNotRetried)
{
    sim::Machine m = Win98({{Unit(0, 0)}});
    m.aspi.completeLater = true;
    m.aspi.completionDelayMs = 0;  // finished before SendASPI32Command returns SS_PENDING
    Boot(m);
    sim::FailCall("WaitForSingleObject", 1);
    Attach a = AttachLibrary();
    EXPECT_TRUE(a.result);
    EXPECT_EQ(a.output, kSucceed);
    EXPECT_EQ(sim::CallCount("WaitForSingleObject"), 2) << "one wait per request, the failed one included";
    DetachLibrary();
    EXPECT_TRUE(NothingHeld());
}

TEST(Aspi, AShortInquiryIsNotMatchedOnAnEarlierUnitsBytes)
{
    // Unit 0 returns the identification with an error status; unit 1 answers
    // only the first eight bytes.
    sim::AspiUnit failing = Unit(0, 0);
    failing.inquiry.status = 0x04;
    sim::AspiUnit shortAnswer = Unit(1, 0);
    shortAnswer.inquiry.data.resize(8);
    Boot(Win98({{failing, shortAnswer}}));
    ExpectRefused(std::string(kInquiryFailed) + kNotFound);
}

TEST(Aspi, ManyUnitsThatFinishLaterUseBoundedResources)
{
    // Eight adapters of sixty-four direct-access units each, none of them the
    // flash disk: 512 requests finished on another thread.
    std::vector<std::vector<sim::AspiUnit>> adapters(8);
    for (auto &units : adapters)
        for (uint8_t t = 0; t < 8; ++t)
            for (uint8_t l = 0; l < 8; ++l) units.push_back(Unit(t, l, "Other"));
    sim::Machine m = Win98(adapters);
    m.aspi.completeLater = true;
    m.aspi.completionDelayMs = 1;
    Boot(m);
    ExpectRefused(kNotFound);
    EXPECT_EQ(sim::CallCount("WaitForSingleObject"), 512);
}

TEST(Aspi, AFailedVendorReadTriesNoOtherUnit)
{
    sim::AspiUnit rejecting = Unit(0, 0);
    rejecting.answers.clear();
    Boot(Win98({{rejecting, Unit(1, 0)}}));
    ExpectRefused(std::string(kFailed) + kSectorFailed);
    EXPECT_EQ(Srbs(SC_EXEC_SCSI_CMD).size(), 2u);
    EXPECT_EQ(Srbs(SC_GET_DEV_TYPE).size(), 1u);
    EXPECT_EQ(sim::CallCount("FreeLibrary"), 1) << "released by the binding, not again at detach";
}

TEST(Aspi, ExecCommandPrintsTheOpcodeInHex)
{
    Boot(Win98({{Unit(0, 0)}}));
    ASSERT_TRUE(AspiOpen());
    uint8_t buffer[16];
    testing::internal::CaptureStdout();
    EXPECT_EQ(AspiExecCommand(0, 0, 0, 0x0A, SRB_DIR_IN | SRB_EVENT_NOTIFY, buffer, sizeof(buffer)), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[LIB] Exec Vendor SCSI command, 0x0a, FAILED.\n");
    AspiClose();
    AspiClose();
    EXPECT_EQ(sim::CallCount("FreeLibrary"), 1);
    EXPECT_TRUE(NothingHeld());
}

TEST(AspiFaults, EventAndHeapFailuresEndCleanly)
{
    for (bool later : {false, true}) {
        sim::Machine m = Win98({{Unit(0, 0, "Other"), Unit(2, 0)}});
        m.aspi.completeLater = later;
        Boot(m);
        ASSERT_TRUE(AttachLibrary().result);
        DetachLibrary();
        const int events = sim::CallCount("CreateEventA"), blocks = sim::CallCount("HeapAlloc");
        ASSERT_EQ(events, 3);
        ASSERT_EQ(blocks, 1);
        for (const char *op : {"CreateEventA", "HeapAlloc"}) {
            for (int n = 1; n <= (std::string(op) == "HeapAlloc" ? blocks : events); ++n) {
                Boot(m);
                sim::FailCall(op, n);
                Attach a = AttachLibrary();
                std::string where = std::string(op) + " #" + std::to_string(n);
                // Event 1 belongs to the other unit's INQUIRY: skipping that unit still
                // finds the disk. A request that cannot be prepared is not sent and
                // prints nothing itself.
                bool events = std::string(op) == "CreateEventA";
                std::string expected = events && n == 1 ? kSucceed : events && n == 2 ? kNotFound : kSectorFailed;
                EXPECT_EQ(a.result, events && n == 1) << where;
                EXPECT_EQ(a.output, expected) << where;
                if (!a.result) EXPECT_EQ(sim::Held(), sim::Resources{}) << where;
                DetachLibrary();
                EXPECT_EQ(sim::Held(), sim::Resources{}) << where;
            }
        }
    }
}

TEST(Aspi, Windows95AndMeBindThroughAspiToo)
{
    for (DWORD minor : {0u, 90u}) {
        sim::Machine m = Win98({{Unit(0, 0)}});
        m.minor = minor;
        Boot(m);
        EXPECT_TRUE(AttachLibrary().result);
        DetachLibrary();
    }
}

}  // namespace
