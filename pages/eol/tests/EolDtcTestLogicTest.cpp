// The fault check against the simulated trailer: the judgement of the last
// reading, the final gate with its marker, restart and second series, the
// lines of the list, and how Exit, a lost link and a busy link stop or hold
// a series.
#include "EolBench.h"

#include "DiagnosisGlobals.h"
#include "EolDtcTestLogic.h"
#include "FailureTable.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"
#include "EcuRestart.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace {

using eoltest::EolBenchTest;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;

constexpr uint32_t kSensorC = 0x5A0113; // "C0113" in the fault table
constexpr uint32_t kSensorD = 0x5A0213;

// Every request the ECU receives, with the virtual time it was seen at (the
// next pump or the end of the next millisecond step).
class TimedRequests : public tarvel::MessagePump {
public:
    explicit TimedRequests(tarvel_test::PageBench& bench) : bench_(bench), seen_(bench.ecu->Requests().size())
    {
        tarvel::SetPump(this);
    }
    ~TimedRequests() override { tarvel::SetPump(nullptr); }

    struct Entry {
        uint64_t ms;
        std::vector<uint8_t> bytes;
    };
    void PumpPending() override { Poll(); }
    // Lets `ms` pass a millisecond at a time, noting requests after each step
    // (those sent inside a pumped wait are noted by the pump).
    void Advance(uint64_t ms)
    {
        for (uint64_t i = 0; i < ms; ++i) {
            bench_.Advance(1);
            Poll();
        }
    }
    void Poll()
    {
        const auto all = bench_.ecu->Requests();
        for (; seen_ < all.size(); ++seen_)
            if (all[seen_].empty() || all[seen_][0] != 0x3E) // the view's keep-alive
                entries.push_back({bench_.clock.NowUs() / 1000, all[seen_]});
    }
    std::vector<Entry> entries;

private:
    tarvel_test::PageBench& bench_;
    size_t seen_;
};

class DtcTest : public EolBenchTest {
protected:
    void SetUp() override
    {
        EolBenchTest::SetUp();
        ASSERT_TRUE(LoadFailureTable());
        ASSERT_TRUE(bench.Connect());
        bench.prompter.Clear();
        SystemForm = "4S2M";
    }

    EolDtcTestLogic& Page() { return *dynamic_cast<EolDtcTestLogic*>(bench.pages.Logic(tarvel::TabEolDtc)); }

    // Every result flag passed but the fault check's own.
    static void OtherResultsPassed()
    {
        for (int i = 0; i < EolResultFlagCount; ++i)
            *EolResultFlags()[i] = EolPassed;
        EolDtcResult = EolNotTested;
    }
    // The ECU already carries the passed marker, so it reports no 0xFD0E.
    void MarkerAlreadyOne()
    {
        tarvel::WriteDid0094Byte(1);
        ASSERT_EQ(trailer.EolMarker(), 1);
        bench.ClearRequests();
    }
    // The requests since the last clear, without the keep-alive.
    std::vector<std::vector<uint8_t>> PageRequests() const
    {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& r : bench.Requests())
            if (r.empty() || r[0] != 0x3E)
                out.push_back(r);
        return out;
    }
    size_t CountOf(const std::vector<uint8_t>& request) const
    {
        const auto all = PageRequests();
        return static_cast<size_t>(std::count(all.begin(), all.end(), request));
    }
    // Start and five readings with their judgement.
    void StartAndRunSeries()
    {
        Page().Start();
        bench.Advance(5 * 1000 + 200);
    }
};

TEST(EolDtcJudgement, TheLastReadingsCountAndCodesDecide)
{
    using J = EolDtcJudgement;
    struct Codes {
        const char* name;
        bool fd0e, db08;
    };
    const Codes codes[] = {{"none", false, false}, {"FD0E", true, false}, {"DB08", false, true},
                           {"both", true, true},   {"other", false, false}};
    // Rows: count 0, 1, 2, 3, 255; columns as `codes`.
    const int counts[] = {0, 1, 2, 3, 255};
    const J expected[5][5] = {
        {J::Pass, J::Pass, J::Pass, J::Pass, J::Pass},
        {J::Fail, J::FinalGate, J::Pass, J::Fail, J::Fail},
        {J::Fail, J::Fail, J::Fail, J::FinalGate, J::Fail},
        {J::Fail, J::Fail, J::Fail, J::Fail, J::Fail},
        {J::Fail, J::Fail, J::Fail, J::Fail, J::Fail},
    };
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 5; ++col)
            EXPECT_EQ(EolDtcTestLogic::Judge(counts[row], codes[col].fd0e, codes[col].db08), expected[row][col])
                << "count " << counts[row] << ", codes " << codes[col].name;
}

TEST_F(DtcTest, FinalGateEndToEnd)
{
    OtherResultsPassed();
    EolStopRequested = 1; // a page switch left it set; Start clears it
    TimedRequests timed(bench);
    bench.ClearRequests();
    Page().Start();
    EXPECT_EQ(EolTestIdle.load(), 0);
    EXPECT_FALSE(Page().Common().startEnabled);
    EXPECT_TRUE(Page().Common().exitEnabled);
    EXPECT_EQ(EolDtcReadPending, 1);

    // First series: five readings with 0xFD0E alone, the gate, the restart.
    for (int k = 1; k <= 5; ++k) {
        timed.Advance(1000);
        if (k < 5) {
            EXPECT_EQ(EolDtcReadCounter, k);
            EXPECT_EQ(Page().State().countdown, std::to_string(5 - k));
            EXPECT_EQ(tarvel::TestRunning.load(), 1u);
        }
    }
    // Second series after 1500 ms, five clean readings.
    timed.Advance(5 * 1000 + 200);

    const auto& e = timed.entries;
    std::vector<std::vector<uint8_t>> bytes;
    for (const auto& entry : e)
        bytes.push_back(entry.bytes);
    std::vector<std::vector<uint8_t>> expected = {Bytes("22 F1 90"), Bytes("14 FF FF FF")};
    for (int k = 0; k < 5; ++k) {
        expected.push_back(Bytes("19 01 09"));
        expected.push_back(Bytes("19 02 09"));
    }
    const size_t keyAt = expected.size() + 2;
    for (const char* r : {"10 03", "27 01", "27 02", "2E 00 94 01", "11 01", "14 FF FF FF"})
        expected.push_back(Bytes(r));
    for (int k = 0; k < 5; ++k) {
        expected.push_back(Bytes("19 01 09"));
        expected.push_back(Bytes("19 02 09"));
    }
    ASSERT_EQ(bytes.size(), expected.size());
    ASSERT_EQ(bytes[keyAt].size(), 6u) << "27 02 and a four-byte key";
    bytes[keyAt].resize(2);
    EXPECT_EQ(bytes, expected);

    // Times: readings 1000 ... 5000 ms after each clear, the second clear
    // 1500 ms after the restart (times are noted to the millisecond step).
    const size_t firstClear = 1, reset = keyAt + 2, secondClear = keyAt + 3;
    const uint64_t slack = 50;
    for (size_t clear : {firstClear, secondClear})
        for (size_t k = 1; k <= 5; ++k) {
            const uint64_t at = e[clear + 2 * k - 1].ms - e[clear].ms;
            EXPECT_GE(at + 2, 1000 * k) << "reading " << k << " after request " << clear;
            EXPECT_LE(at, 1000 * k + slack) << "reading " << k << " after request " << clear;
        }
    EXPECT_GE(e[secondClear].ms - e[reset].ms + 2, 1500u);
    EXPECT_LE(e[secondClear].ms - e[reset].ms, 1500u + slack);

    EXPECT_EQ(EolPassedFlag, 1);
    EXPECT_EQ(trailer.EolMarker(), 1);
    EXPECT_EQ(EolDtcResult, EolPassed);
    EXPECT_EQ(EolDtcRemark, "-");
    EXPECT_EQ(Page().Common().pictures, std::vector<EolPicture>{EolPicture::Passed});
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(184), UiText(74))));
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
    EXPECT_THAT(Page().State().lines, ElementsAre("1.No Fault"));
    EXPECT_EQ(Page().State().countdown, "");
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_TRUE(Page().Common().startEnabled);
    EXPECT_FALSE(Page().Common().exitEnabled);
    EXPECT_FALSE(Page().SeriesActive());
    EXPECT_TRUE(EolSeenCodeFD0E.empty());
}

TEST_F(DtcTest, OutcomesOfTheJudgement)
{
    struct Case {
        const char* name;
        std::function<void()> setUp;
        int32_t result;
        int boxRow, captionRow;
        EolPicture picture;
        bool marker0;
    };
    const Case cases[] = {
        {"no fault at all", [&] { OtherResultsPassed(); MarkerAlreadyOne(); }, EolPassed, 184, 74,
         EolPicture::Passed, false},
        {"0xDB08 alone passes without the gate",
         [&] { MarkerAlreadyOne(); trailer.AddPresentFault(0xDB08); }, EolPassed, 184, 74, EolPicture::Passed,
         false},
        {"a required result failed: the gate is refused",
         [&] { OtherResultsPassed(); EolVoltageResult = EolFailed; }, EolNotTested, 218, 76, EolPicture::Idle,
         false},
        {"a required result missing: the gate is refused",
         [&] { OtherResultsPassed(); EolBackupPressureResult = EolNotTested; }, EolNotTested, 218, 76,
         EolPicture::Idle, false},
        {"a failed underwater valve refuses the gate",
         [&] { OtherResultsPassed(); UnderwaterValveTestEnabled = 1; EolValveCloseResult = EolFailed; },
         EolNotTested, 218, 76, EolPicture::Idle, false},
        {"three codes fail", [&] { trailer.AddPresentFault(kSensorC); trailer.AddPresentFault(kSensorD); },
         EolFailed, 189, 76, EolPicture::Failed, true},
        {"0xFD0E with another code fails", [&] { OtherResultsPassed(); trailer.AddPresentFault(kSensorC); },
         EolFailed, 189, 76, EolPicture::Failed, true},
        {"another code alone fails", [&] { MarkerAlreadyOne(); trailer.AddPresentFault(kSensorC); }, EolFailed,
         189, 76, EolPicture::Failed, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetEolGlobals();
        UnderwaterValveTestEnabled = 0;
        trailer.ClearDefects();
        tarvel::WriteDid0094Byte(0);
        c.setUp();
        bench.ClearRequests();
        bench.prompter.Clear();

        StartAndRunSeries();

        EXPECT_EQ(EolDtcResult, c.result);
        EXPECT_EQ(Page().Common().pictures, std::vector<EolPicture>{c.picture});
        ASSERT_EQ(bench.prompter.Count(), 1u);
        EXPECT_THAT(bench.prompter.Boxes()[0], BoxIs(UiText(c.boxRow), UiText(c.captionRow)));
        EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
        EXPECT_EQ(CountOf(Bytes("2E 00 94 00")), c.marker0 ? 1u : 0u);
        EXPECT_EQ(CountOf(Bytes("2E 00 94 01")), 0u);
        EXPECT_EQ(CountOf(Bytes("11 01")), 0u);
        EXPECT_EQ(EolPassedFlag, 0);
        EXPECT_EQ(CountOf(Bytes("19 01 09")), 5u);
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_TRUE(Page().Common().startEnabled);
        EXPECT_FALSE(Page().SeriesActive());
        if (c.marker0) {
            EXPECT_EQ(trailer.EolMarker(), 0);
        }
    }
}

TEST_F(DtcTest, AnotherFormGivesNoVerdict)
{
    OtherResultsPassed();
    SystemForm = "6S3M";
    StartAndRunSeries();
    EXPECT_EQ(bench.prompter.Count(), 0u);
    EXPECT_EQ(EolDtcResult, EolNotTested);
    EXPECT_EQ(CountOf(Bytes("2E 00 94 01")), 0u);
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_TRUE(Page().Common().startEnabled);
}

// Only the last reading's codes count: an 0xFD0E seen in an earlier reading,
// or in a run that was left with Exit, does not open the gate.
TEST_F(DtcTest, AnEarlierFD0EDoesNotOpenTheGate)
{
    OtherResultsPassed();
    {
        SCOPED_TRACE("earlier reading");
        Page().Start();
        bench.Advance(4 * 1000 + 100);
        ASSERT_EQ(EolDtcReadCounter, 4);
        ASSERT_EQ(EolSeenCodeFD0E, "0xFD0E");
        // Before the fifth reading 0xFD0E leaves the memory and another code arrives.
        tarvel::WriteDid0094Byte(1);
        bench.ecu->ClearDtcs();
        bench.ecu->AddDtc(kSensorC, 0x09);
        bench.ClearRequests();
        bench.Advance(1000);
        EXPECT_EQ(EolDtcCount, 1);
        EXPECT_EQ(EolDtcResult, EolFailed);
        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(189), UiText(76))));
        EXPECT_EQ(CountOf(Bytes("11 01")), 0u);
    }
    {
        SCOPED_TRACE("aborted run");
        ResetEolGlobals();
        OtherResultsPassed();
        bench.prompter.Clear();
        bench.ecu->ClearDtcs();
        tarvel::WriteDid0094Byte(0);
        Page().Start();
        bench.Advance(2 * 1000 + 100);
        ASSERT_EQ(EolSeenCodeFD0E, "0xFD0E");
        Page().Exit();
        tarvel::WriteDid0094Byte(1);
        trailer.AddPresentFault(kSensorC);
        bench.ClearRequests();
        StartAndRunSeries();
        EXPECT_EQ(EolDtcResult, EolFailed);
        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(189), UiText(76))));
        EXPECT_EQ(CountOf(Bytes("11 01")), 0u);
    }
}

TEST_F(DtcTest, TheLinesOfTheList)
{
    MarkerAlreadyOne();
    Page().Start();
    ASSERT_TRUE(Page().SeriesActive());
    // After the clear: a history code the table does not know, a known current
    // code, and 0xFD0E with a status that gets no word.
    bench.ecu->AddDtc(0x123456, 0x08);
    bench.ecu->AddDtc(kSensorC, 0x09);
    bench.ecu->AddDtc(0xFD0E, 0x2F);
    bench.Advance(1000);
    EXPECT_EQ(EolDtcCount, 3);
    EXPECT_THAT(Page().State().lines,
                ElementsAre("1. History Fault :  0x123456  Trouble Code Undefined",
                            "2. Current Fault :  C0113 -- Sensor c wheel speed signal implausible"));
    EXPECT_EQ(EolSeenCodeFD0E, "0xFD0E") << "a code without a line is still seen";
    EXPECT_EQ(Page().State().countdown, "4");

    // The shipped table knows the two tolerated codes.
    EXPECT_EQ(FormatDtcText("0xFD0E", "Current Fault"), "Current Fault :  B1D0E -- End-of-line test not passed");
    EXPECT_EQ(FormatDtcText("0xDB08", "History Fault"), "History Fault :  B1B08 -- Output under tester control");

    Page().ClearContents();
    EXPECT_THAT(Page().State().lines, IsEmpty());

    // 0xFD0E alone with that status: no line, and still the gate.
    bench.ecu->ClearDtcs();
    bench.ecu->AddDtc(0xFD0E, 0x2F);
    EolVoltageResult = EolFailed;
    bench.Advance(4 * 1000 + 100);
    EXPECT_THAT(Page().State().lines, IsEmpty());
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(218), UiText(76))));

    // No fault at all.
    bench.prompter.Clear();
    bench.ecu->ClearDtcs();
    StartAndRunSeries();
    EXPECT_THAT(Page().State().lines, ElementsAre("1.No Fault"));
    EXPECT_EQ(EolDtcCount, 0);
    EXPECT_EQ(CountOf(Bytes("2E 00 94 01")), 0u);
}

TEST_F(DtcTest, ARefusedClearIsListedAndTheSeriesGoesOn)
{
    MarkerAlreadyOne();
    bench.ecu->SetNegativeResponse(0x14, 0x22, 1);
    Page().Start();
    EXPECT_THAT(Page().State().lines, ElementsAre("Clear DTC Failed"));
    bench.Advance(5 * 1000 + 200);
    EXPECT_EQ(CountOf(Bytes("19 01 09")), 5u);
    // The delivered codes were not cleared: three of them fail the check.
    EXPECT_EQ(EolDtcResult, EolFailed);
}

// The gate keeps its 1500 ms after the restart, and an ECU that takes longer
// to start is asked until it answers: the second series reads the restarted
// ECU, and a good trailer passes.
TEST_F(DtcTest, ASlowRestartIsAwaitedAndTheSecondSeriesPasses)
{
    for (const uint32_t restartMs : {1800u, 2000u, 4000u}) {
        SCOPED_TRACE(restartMs);
        OtherResultsPassed();
        ASSERT_TRUE(tarvel::WriteDid0094Byte(0)); // a trailer not yet passed
        bench.ecu->SetRestartTime(restartMs);
        bench.prompter.Clear();
        TimedRequests timed(bench);
        bench.ClearRequests();
        Page().Start();
        timed.Advance(5 * 1000 + 100); // the first series, the gate and its restart
        timed.Advance(restartMs + 5 * 1000 + 300);
        ASSERT_EQ(CountOf(Bytes("11 01")), 1u);
        EXPECT_EQ(EolPassedFlag, 1);
        EXPECT_EQ(CountOf(Bytes("14 FF FF FF")), 2u);
        EXPECT_THAT(Page().State().lines, Not(Contains("Clear DTC Failed")));
        const auto& e = timed.entries;
        const auto reset = std::find_if(e.begin(), e.end(), [](const auto& x) { return x.bytes == Bytes("11 01"); });
        ASSERT_NE(reset, e.end());
        ASSERT_NE(reset + 1, e.end());
        EXPECT_EQ((reset + 1)->bytes, Bytes("14 FF FF FF"));
        EXPECT_GE((reset + 1)->ms, reset->ms + restartMs) << "the second clear reaches the running ECU";
        EXPECT_LE((reset + 1)->ms, reset->ms + restartMs + tarvel::kEcuRestartProbeMs + 50);
        EXPECT_EQ(EolDtcResult, EolPassed);
        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(184), UiText(74))));
        EXPECT_EQ(EcuConnected.load(), 1);
        EXPECT_EQ(EolTestIdle.load(), 1);
    }
}

// An ECU still silent when the allowance is over: one box, the link is
// closed, no second series, no verdict.
TEST_F(DtcTest, AnEcuSilentAfterTheGatesRestartGivesOneBoxAndClosesTheLink)
{
    OtherResultsPassed();
    bench.ecu->SetRestartTime(tarvel::kEcuRestartAllowanceMs + 3000);
    StartAndRunSeries();
    bench.Advance(tarvel::kEcuRestartAllowanceMs + 1000);
    EXPECT_EQ(CountOf(Bytes("11 01")), 1u);
    EXPECT_EQ(CountOf(Bytes("14 FF FF FF")), 1u) << "no second series";
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(682), UiText(76))));
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_EQ(ConnectCommandEnabled, 1);
    EXPECT_NE(EolDtcResult, EolPassed);
    EXPECT_FALSE(Page().SeriesActive());
    bench.Advance(20 * 1000);
    EXPECT_EQ(bench.prompter.Count(), 1u) << "no chain of time-outs";
}

TEST_F(DtcTest, ARefusedRestartEndsTheSeriesSilently)
{
    OtherResultsPassed();
    bench.ecu->SetNegativeResponse(0x11, 0x22);
    StartAndRunSeries();
    bench.Advance(3000);
    EXPECT_EQ(CountOf(Bytes("2E 00 94 01")), 1u);
    EXPECT_EQ(CountOf(Bytes("11 01")), 1u);
    EXPECT_EQ(CountOf(Bytes("14 FF FF FF")), 1u) << "no second series";
    EXPECT_EQ(CountOf(Bytes("19 01 09")), 5u);
    EXPECT_EQ(EolPassedFlag, 1);
    EXPECT_EQ(trailer.EolMarker(), 1);
    EXPECT_EQ(EolDtcResult, EolNotTested);
    for (const auto& box : bench.prompter.Boxes()) {
        EXPECT_NE(box.text, UiText(184));
        EXPECT_NE(box.text, UiText(189));
    }
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_FALSE(Page().SeriesActive());
}

// The gate's marker is refused or not answered: the run is not marked passed,
// the ECU is not restarted, the operator is told once, and no second series
// brings the gate back.
TEST_F(DtcTest, AMarkerTheEcuDoesNotTakeEndsTheGate)
{
    struct Case {
        const char* name;
        std::function<void()> fault;
    };
    const Case cases[] = {
        {"refused", [&] { bench.ecu->SetNegativeResponse(0x2E, 0x22); }},
        {"not answered", [&] { bench.ecu->SetNoAnswer(0x2E); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetEolGlobals();
        SystemForm = "4S2M";
        bench.ecu->ClearFaults();
        tarvel::WriteDid0094Byte(0);
        OtherResultsPassed();
        c.fault();
        bench.ClearRequests();
        bench.prompter.Clear();

        StartAndRunSeries();
        bench.Advance(15000); // a second series would have run by now

        EXPECT_EQ(CountOf(Bytes("2E 00 94 01")), 1u);
        EXPECT_EQ(CountOf(Bytes("11 01")), 0u);
        EXPECT_EQ(CountOf(Bytes("14 FF FF FF")), 1u) << "no second clear";
        EXPECT_EQ(CountOf(Bytes("19 01 09")), 5u) << "no second series";
        EXPECT_EQ(EolPassedFlag, 0);
        EXPECT_EQ(trailer.EolMarker(), 0);
        EXPECT_EQ(EolDtcResult, EolNotTested);
        size_t markerBoxes = 0;
        for (const auto& box : bench.prompter.Boxes()) {
            if (box.text == UiText(219)) {
                ++markerBoxes;
                EXPECT_EQ(box.caption, UiText(76));
            }
            for (int verdict : {184, 189, 218})
                EXPECT_NE(box.text, UiText(verdict));
        }
        EXPECT_EQ(markerBoxes, 1u);
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_TRUE(Page().Common().startEnabled);
        EXPECT_FALSE(Page().SeriesActive());
        EXPECT_EQ(Page().State().countdown, "");
    }
}

TEST_F(DtcTest, ExitOrALostLinkStopsTheSeries)
{
    struct Case {
        const char* name;
        bool secondSeries;
        std::function<void()> stop;
    };
    const Case cases[] = {
        {"Exit in the first series", false, [&] { Page().Exit(); }},
        {"disconnect in the first series", false, [&] { bench.Disconnect(); }},
        {"disconnect in the second series", true, [&] { bench.Disconnect(); }},
        {"page switch in the second series", true, [&] { Page().OnStopWork(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetEolGlobals();
        SystemForm = "4S2M";
        if (EcuConnected.load() != 1) {
            ASSERT_TRUE(bench.Connect());
        }
        tarvel::WriteDid0094Byte(0);
        OtherResultsPassed();
        bench.prompter.Clear();
        Page().Start();
        if (c.secondSeries) {
            bench.Advance(5 * 1000 + 1500 + 2 * 1000 + 200);
            ASSERT_EQ(EolPassedFlag, 1);
            ASSERT_TRUE(Page().SeriesActive());
            ASSERT_EQ(EolTestIdle.load(), 1) << "the second series runs while the page is idle";
        } else {
            bench.Advance(2 * 1000 + 100);
            ASSERT_EQ(EolDtcReadCounter, 2);
        }
        const int32_t resultBefore = EolDtcResult;
        c.stop();
        bench.ClearRequests();
        bench.Advance(8000);
        EXPECT_THAT(PageRequests(), IsEmpty());
        EXPECT_EQ(EolDtcResult, resultBefore);
        EXPECT_EQ(EolDtcReadPending, 0);
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_FALSE(Page().SeriesActive());
        EXPECT_TRUE(Page().Common().startEnabled);
        EXPECT_FALSE(Page().Common().exitEnabled);
        EXPECT_EQ(Page().Common().pictures, std::vector<EolPicture>{EolPicture::Idle});
    }
}

TEST_F(DtcTest, ExitDuringAReadingSendsNothingMore)
{
    // The count request waits for its answer a while, pumping.
    bench.ecu->SetResponsePending(0x19, 1, 200, 1);
    Page().Start();
    pump.Once(
        [] {
            return tarvel::UdsRequestInFlight() && !tarvel::UdsRequest.empty() && tarvel::UdsRequest[0] == 0x19;
        },
        [&] { Page().Exit(); });
    bench.ClearRequests();
    bench.Advance(1000);
    ASSERT_TRUE(pump.Fired());
    bench.Advance(6000);
    EXPECT_THAT(PageRequests(), ElementsAre(Bytes("19 01 09")));
    EXPECT_EQ(EolDtcReadCounter, 0) << "a reading cut short is not counted";
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(DtcTest, ASlowReadingIsCountedOnceAndStartWaitsForABusyLink)
{
    MarkerAlreadyOne();
    // The first count request takes about three seconds: the ticks meanwhile
    // are skipped, not counted as unreadable readings.
    bench.ecu->SetResponsePending(0x19, 2, 1000, 1);
    Page().Start();
    bench.Advance(1000 + 3000 + 5 * 1000);
    ASSERT_EQ(EolDtcResult, EolPassed) << "judged on a count that was read";
    EXPECT_EQ(CountOf(Bytes("19 01 09")), 5u) << "each of the five readings sent its requests";
    EXPECT_EQ(EolDtcReadCounter, 5);

    // Start pressed while another request waits for its answer: the clear
    // follows that answer instead of being refused.
    bench.prompter.Clear();
    bench.ecu->SetResponsePending(0x22, 1, 500, 1);
    pump.Once([] { return tarvel::UdsRequestInFlight(); }, [&] { Page().Start(); });
    bench.ClearRequests();
    std::vector<uint8_t> data;
    EXPECT_EQ(tarvel::UdsReadById(0x0029, data), 1);
    ASSERT_TRUE(pump.Fired());
    bench.Advance(50);
    EXPECT_THAT(Page().State().lines, Not(Contains("Clear DTC Failed")));
    EXPECT_EQ(CountOf(Bytes("14 FF FF FF")), 1u);
    bench.Advance(5 * 1000 + 200);
    EXPECT_EQ(EolDtcResult, EolPassed);
}

TEST_F(DtcTest, ActivationAndLanguage)
{
    Page().OnLanguageChanged();
    EXPECT_EQ(Page().Common().startCaption, UiText(43));
    EXPECT_EQ(Page().Common().exitCaption, UiText(46));
    EXPECT_EQ(Page().Common().resultCaption, UiText(45));
    EXPECT_EQ(Page().State().clearContentsCaption, UiText(39));

    MarkerAlreadyOne();
    StartAndRunSeries();
    ASSERT_EQ(EolDtcResult, EolPassed);
    bench.ClearRequests();
    // A result on show stays on activation.
    Page().OnActivate(0);
    EXPECT_THAT(Page().State().lines, ElementsAre("1.No Fault"));
    EXPECT_EQ(Page().Common().pictures, std::vector<EolPicture>{EolPicture::Passed});
    // With the result reset, activation shows the idle look.
    EolDtcResult = EolNotTested;
    Page().OnActivate(0);
    EXPECT_THAT(Page().State().lines, IsEmpty());
    EXPECT_EQ(Page().Common().pictures, std::vector<EolPicture>{EolPicture::Idle});
    EXPECT_THAT(PageRequests(), Not(Contains(Bytes("14 FF FF FF")))) << "activation sends nothing";
}

} // namespace
