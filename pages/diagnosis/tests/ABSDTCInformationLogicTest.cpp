// The fault memory page's logic against the simulated ECU on the page bench:
// exact requests, the lines of the list, boxes, the periodic refresh on
// virtual time and the run-state globals.
#include "ABSDTCInformationLogic.h"

#include "DiagnosisGlobals.h"
#include "FailureTable.h"
#include "LanguageTable.h"
#include "NavigationModel.h"
#include "ProgramPaths.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"

#include "SimEcu.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using tarvel_test::BoxCaptioned;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;

using Requests = std::vector<std::vector<uint8_t>>;

const char* const kC0113 = "Current Fault :  C0113 -- Sensor c wheel speed signal implausible";
const char* const kU1087 = "History Fault :  U1087 -- No CAN message from the towing vehicle";
const char* const kUnknown4811 = "History Fault :  0x4811  Trouble Code Undefined";

// The page's logic as the shell holds it, with its fault table loaded as the
// page reset does.
class FaultMemoryPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        logic.OnResetForNewRun();
        ASSERT_EQ(DtcNumbers.size(), 14u);
        logic.SetChangedObserver([this] { ++renders; });
    }

    void SetMemory(const std::vector<sim::SimDtc>& dtcs)
    {
        bench.ecu->ClearDtcs();
        for (const sim::SimDtc& d : dtcs)
            bench.ecu->AddDtc(d.code, d.status);
    }
    // The requests since the last look, without the keep-alive's.
    Requests PageRequests()
    {
        Requests page;
        for (const auto& r : bench.Requests())
            if (r.empty() || r[0] != 0x3E)
                page.push_back(r);
        bench.ClearRequests();
        return page;
    }

    tarvel_test::PageBench bench;
    ABSDTCInformationLogic& logic =
        *dynamic_cast<ABSDTCInformationLogic*>(bench.pages.Logic(ABSDTCInformationLogic::kTab));
    int renders = 0;
};

// ---- one read against the ECU's fault memory ---------------------------------

struct ReadCase {
    const char* name;
    std::vector<sim::SimDtc> memory;
    std::function<void(tarvel_test::PageBench&)> inject;
    std::vector<std::string> lines;
    bool countRead; // the count was read, so the list read followed
    size_t boxes;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class FaultMemoryRead : public FaultMemoryPage, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(FaultMemoryRead, ListsWhatTheEcuReports)
{
    const ReadCase& c = GetParam();
    ASSERT_TRUE(bench.Connect());
    SetMemory(c.memory);
    if (c.inject)
        c.inject(bench);

    logic.OnReadDtc();

    EXPECT_EQ(logic.State().lines, c.lines);
    if (c.countRead)
        EXPECT_THAT(PageRequests(), ElementsAre(Bytes("19 01 09"), Bytes("19 02 09")));
    else
        EXPECT_THAT(PageRequests(), ElementsAre(Bytes("19 01 09")));
    // Records keep the list refreshing; an unreadable count stops it.
    EXPECT_EQ(logic.Refreshing(), c.countRead);
    EXPECT_EQ(DtcReadPending, 1);
    EXPECT_EQ(tarvel::TestRunning, 1u);
    EXPECT_EQ(bench.prompter.Count(), c.boxes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FaultMemoryRead,
    ::testing::Values(
        ReadCase{"no records", {}, nullptr, {"No Fault"}, true, 0},
        ReadCase{"current fault with a table row", {{0x5A0113, 0x09}}, nullptr, {std::string("1. ") + kC0113}, true,
                 0},
        ReadCase{"history fault without a table row", {{0x004811, 0x08}}, nullptr,
                 {std::string("1. ") + kUnknown4811}, true, 0},
        ReadCase{"other status skipped while numbering goes on",
                 {{0x5A0113, 0x2F}, {0xC11087, 0x08}},
                 nullptr,
                 {std::string("2. ") + kU1087},
                 true,
                 0},
        ReadCase{"the simulated ECU's memory",
                 {{0x5A0113, 0x09}, {0xC11087, 0x08}, {0x004811, 0x08}},
                 nullptr,
                 {std::string("1. ") + kC0113, std::string("2. ") + kU1087, std::string("3. ") + kUnknown4811},
                 true,
                 0},
        // A running read counts its time-outs: the first shows no box.
        ReadCase{"count times out", {{0x5A0113, 0x09}},
                 [](tarvel_test::PageBench& b) { b.ecu->SetNoAnswer(0x19, 1); }, {"Error reading DTC number"}, false,
                 0},
        ReadCase{"count refused", {{0x5A0113, 0x09}},
                 [](tarvel_test::PageBench& b) { b.ecu->SetNegativeResponse(0x19, 0x31, 1); },
                 {"Error reading DTC number"}, false, 1}),
    [](const ::testing::TestParamInfo<ReadCase>& info) {
        std::string name;
        for (const char* p = info.param.name; *p; ++p)
            name.push_back(std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_');
        return name;
    });

TEST_F(FaultMemoryPage, TheLaterOfTwoTableRowsForOneCodeIsShown)
{
    DtcNumbers.push_back("0x5A0113");
    DtcDisplays.push_back("C0113-B");
    DtcMeanings.push_back("Sensor c wheel speed signal lost");
    ASSERT_TRUE(bench.Connect());
    SetMemory({{0x5A0113, 0x09}});
    logic.OnReadDtc();
    EXPECT_THAT(logic.State().lines,
                ElementsAre("1. Current Fault :  C0113-B -- Sensor c wheel speed signal lost"));
}

TEST_F(FaultMemoryPage, NotConnectedShowsTheWarningAndSendsNothing)
{
    logic.OnReadDtc();
    logic.OnClearDtc();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Please connect the ECU first", "Tips"),
                                                    BoxIs("Please connect the ECU first", "Tips")));
    EXPECT_THAT(bench.ecu->Requests(), IsEmpty());
    EXPECT_EQ(DtcReadPending, 0);
    EXPECT_FALSE(logic.Refreshing());
}

// ---- the periodic read --------------------------------------------------------

TEST_F(FaultMemoryPage, ReadsAgainEveryTwoSecondsWithoutTheKeepAlive)
{
    ASSERT_TRUE(bench.Connect());
    SetMemory({{0x5A0113, 0x09}});
    logic.OnReadDtc();
    ASSERT_TRUE(logic.Refreshing());
    bench.ClearRequests();

    bench.Advance(1999);
    EXPECT_THAT(bench.Requests(), IsEmpty());
    bench.ecu->AddDtc(0xC11087, 0x08);
    bench.Advance(1);
    // The reads keep the session; the keep-alive stays silent meanwhile.
    bench.Advance(8000);
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("19 01 09"), Bytes("19 02 09"), Bytes("19 01 09"),
                                              Bytes("19 02 09"), Bytes("19 01 09"), Bytes("19 02 09"),
                                              Bytes("19 01 09"), Bytes("19 02 09"), Bytes("19 01 09"),
                                              Bytes("19 02 09")));
    EXPECT_THAT(logic.State().lines, ElementsAre(std::string("1. ") + kC0113, std::string("2. ") + kU1087));
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(FaultMemoryPage, AFailedPeriodicReadStopsTheRefresh)
{
    ASSERT_TRUE(bench.Connect());
    logic.OnReadDtc();
    bench.ClearRequests();
    bench.ecu->SetNoAnswer(0x19, 1);
    bench.Advance(2000);
    EXPECT_THAT(logic.State().lines, ElementsAre("Error reading DTC number"));
    EXPECT_FALSE(logic.Refreshing());
    bench.ClearRequests();
    bench.Advance(6000);
    EXPECT_THAT(PageRequests(), IsEmpty());
}

TEST_F(FaultMemoryPage, ClearShowsItsTextAndTheNextTickTheEmptyMemory)
{
    ASSERT_TRUE(bench.Connect());
    logic.OnReadDtc();
    ASSERT_EQ(logic.State().lines.size(), 3u);
    PageRequests();

    logic.OnClearDtc();
    EXPECT_THAT(PageRequests(), ElementsAre(Bytes("14 FF FF FF")));
    EXPECT_THAT(logic.State().lines, ElementsAre("Fault memory cleared"));
    EXPECT_THAT(bench.ecu->Dtcs(), IsEmpty());
    EXPECT_EQ(tarvel::TestRunning, 0u);
    EXPECT_EQ(DtcReadPending, 1);

    bench.Advance(ABSDTCInformationLogic::kRefreshPeriodMs);
    EXPECT_THAT(logic.State().lines, ElementsAre("No Fault"));
    EXPECT_THAT(PageRequests(), ElementsAre(Bytes("19 01 09"), Bytes("19 02 09")));
    EXPECT_TRUE(logic.Refreshing());
}

TEST_F(FaultMemoryPage, ARefusedClearAppendsItsTextBelowTheList)
{
    ASSERT_TRUE(bench.Connect());
    SetMemory({{0x5A0113, 0x09}});
    logic.OnReadDtc();
    bench.ecu->SetNegativeResponse(0x14, 0x22, 1);
    logic.OnClearDtc();
    EXPECT_THAT(logic.State().lines, ElementsAre(std::string("1. ") + kC0113, "Failed to clear the fault memory"));
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxCaptioned("UDS negative response")));
    EXPECT_EQ(bench.ecu->Dtcs().size(), 1u);
}

TEST_F(FaultMemoryPage, ClearContentsEmptiesOnlyTheList)
{
    ASSERT_TRUE(bench.Connect());
    logic.OnReadDtc();
    PageRequests();
    logic.OnClearContents();
    EXPECT_THAT(logic.State().lines, IsEmpty());
    EXPECT_THAT(PageRequests(), IsEmpty());
    EXPECT_TRUE(logic.Refreshing());
}

TEST_F(FaultMemoryPage, LeavingThePageOrDisconnectingEndsTheRefresh)
{
    ASSERT_TRUE(bench.Connect());
    logic.OnReadDtc();
    ASSERT_TRUE(logic.Refreshing());

    tarvel::StopRunningPageWork(); // what the page switch does first
    EXPECT_EQ(DtcReadPending, 0);
    EXPECT_FALSE(logic.Refreshing());
    PageRequests();
    bench.Advance(6000);
    EXPECT_THAT(PageRequests(), IsEmpty());
    EXPECT_EQ(logic.State().lines.size(), 3u);

    logic.OnReadDtc();
    ASSERT_TRUE(logic.Refreshing());
    bench.Disconnect();
    EXPECT_EQ(DtcReadPending, 0);
    EXPECT_FALSE(logic.Refreshing());
    EXPECT_THAT(logic.State().lines, IsEmpty());
}

TEST_F(FaultMemoryPage, AReadAskedForWhileOneWaitsIsIgnored)
{
    ASSERT_TRUE(bench.Connect());
    // The ECU takes its time over the count; meanwhile a handler run by the
    // pumped wait asks for another read.
    bench.ecu->SetResponsePending(0x19, 2, 1000, 1);
    int nested = -1;
    std::unique_ptr<tarvel::Timer> during = bench.timers.Create([&] {
        nested = logic.ReadDtcList();
        during->Stop();
    });
    during->Start(500);
    logic.OnReadDtc();
    EXPECT_EQ(nested, 0);
    EXPECT_THAT(PageRequests(), ElementsAre(Bytes("19 01 09"), Bytes("19 02 09")));
    EXPECT_EQ(logic.State().lines.size(), 3u);
    EXPECT_TRUE(logic.Refreshing());
}

TEST_F(FaultMemoryPage, ALinkLostDuringTheCountReadSendsNoListRead)
{
    ASSERT_TRUE(bench.Connect());
    bench.ecu->SetResponsePending(0x19, 2, 1000, 1);
    std::unique_ptr<tarvel::Timer> during = bench.timers.Create([&] {
        during->Stop();
        bench.Disconnect();
    });
    during->Start(500);
    logic.OnReadDtc();
    EXPECT_THAT(PageRequests(), ElementsAre(Bytes("19 01 09")));
    EXPECT_THAT(logic.State().lines, IsEmpty());
    EXPECT_FALSE(logic.Refreshing());
}

// ---- languages ----------------------------------------------------------------

TEST(FaultMemoryLanguage, ChineseCaptionsTableAndStatusWords)
{
    tarvel_test::PageBench bench(0);
    auto& logic = *dynamic_cast<ABSDTCInformationLogic*>(bench.pages.Logic(ABSDTCInformationLogic::kTab));
    logic.OnLanguageChanged();
    EXPECT_EQ(logic.State().readDtcCaption, "读取故障码");
    EXPECT_EQ(logic.State().clearDtcCaption, "清除故障码");
    EXPECT_EQ(logic.State().clearContentsCaption, "清空内容");

    logic.OnResetForNewRun();
    ASSERT_TRUE(bench.Connect());
    logic.OnReadDtc();
    EXPECT_THAT(logic.State().lines,
                ElementsAre("1. 当前故障 :  C0113 -- c轮速信号不可信", "2. 历史故障 :  U1087 -- 未收到牵引车CAN报文",
                            "3. 历史故障 :  0x4811  Trouble Code Undefined"));
}

TEST(FaultMemoryLanguage, AnIndexOutsideTheLanguagesReadsEnglishAndStillListsFaults)
{
    tarvel_test::PageBench bench(7);
    auto& logic = *dynamic_cast<ABSDTCInformationLogic*>(bench.pages.Logic(ABSDTCInformationLogic::kTab));
    logic.OnResetForNewRun();
    ASSERT_TRUE(bench.Connect());
    logic.OnReadDtc();
    EXPECT_THAT(logic.State().lines, ElementsAre(std::string("1. ") + kC0113, std::string("2. ") + kU1087,
                                                 std::string("3. ") + kUnknown4811));
    EXPECT_EQ(logic.State().readDtcCaption, "Read DTC");
}

TEST_F(FaultMemoryPage, WithoutItsTableEveryFaultIsUndefined)
{
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "tarvel-nofaulttable-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    {
        tarvel::ScopedProgramFolder empty(pattern);
        logic.OnResetForNewRun();
    }
    fs::remove_all(pattern);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("The fault table file could not be loaded", "Error")));

    ASSERT_TRUE(bench.Connect());
    logic.OnReadDtc();
    EXPECT_THAT(logic.State().lines, ElementsAre("1. Current Fault :  0x5A0113  Trouble Code Undefined",
                                                 "2. History Fault :  0xC11087  Trouble Code Undefined",
                                                 "3. History Fault :  0x4811  Trouble Code Undefined"));
}

} // namespace
