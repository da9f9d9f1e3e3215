// The lifting-axle test: its rules as tables, and the page against the
// simulated trailer on the virtual clock (commands in order, polling, the
// answers, time-outs, failures and the verdict).
#include "LiftingBench.h"

#include "AxlePreview.h"
#include "DiagnosisGlobals.h"
#include "EolLiftingAxleTestLogic.h"
#include "LiftingAxleTestRules.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"

#include <gmock/gmock.h>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;

TEST(LiftingAxleRules, StepConditionsOnTheStatusByte)
{
    // axle 1 in bits 0-1, axle 2 in bits 2-3.
    EXPECT_TRUE(LiftingAxleStepReached(1, 2, 0x05));
    EXPECT_FALSE(LiftingAxleStepReached(1, 2, 0x01));
    EXPECT_TRUE(LiftingAxleStepReached(1, 1, 0x01));
    EXPECT_TRUE(LiftingAxleStepReached(1, 1, 0xF1)) << "higher bits are ignored";
    EXPECT_TRUE(LiftingAxleStepReached(2, 2, 0x06));
    EXPECT_FALSE(LiftingAxleStepReached(2, 2, 0x05));
    EXPECT_TRUE(LiftingAxleStepReached(3, 2, 0x09));
    EXPECT_TRUE(LiftingAxleStepReached(3, 1, 0x01));
    EXPECT_TRUE(LiftingAxleStepReached(4, 2, 0x01));
    EXPECT_TRUE(LiftingAxleStepReached(5, 2, 0x04));
    EXPECT_FALSE(LiftingAxleStepReached(5, 2, 0x08));
    EXPECT_EQ(LiftingAxleStepRules(3, 1).answerRow, 4);
    EXPECT_EQ(LiftingAxleStepRules(3, 2).readFailedRow, 557);
    EXPECT_EQ(LiftingAxleStepRules(3, 0).readFailedRow, 0);
    EXPECT_EQ(LiftingAxleStepRules(1, 2).promptRow, 534);
    EXPECT_EQ(LiftingAxleStepRules(1, 1).promptRow, 535);
}

TEST(LiftingAxleRules, VerdictAndRemarkRows)
{
    struct Case {
        int32_t type;
        int32_t variant;
        std::array<int32_t, 5> rows;
        int32_t result;
        std::vector<int> remark;
    };
    const Case cases[] = {
        {2, 0, {1, 1, 1, 1, 1}, 1, {}},
        {1, 0, {1, 1, -1, 1, -1}, 1, {}},
        {2, 0, {0, 1, 1, 1, 1}, 0, {80}},
        {2, 0, {1, 0, 1, 1, 1}, 0, {76}},
        {2, 0, {1, 1, 0, 1, 1}, 0, {77}},
        {2, 0, {1, 1, 1, 0, 1}, 0, {78}},
        {2, 0, {1, 1, 1, 1, 0}, 0, {79}},
        {2, 0, {1, 0, 0, 0, 0}, 0, {76, 77, 78, 79}},
        {1, 0, {1, 0, 0, 0, 0}, 0, {76, 78}},
        {2, 1, {-1, 1, 1, 1, 1}, 1, {}},
        {1, 1, {-1, 0, -1, 1, -1}, 0, {76}},
        {3, 1, {1, 1, 1, 1, 1}, -1, {}},
    };
    for (const Case& c : cases) {
        const LiftingAxleVerdict v = EvaluateLiftingAxleRows(c.type, c.variant, c.rows);
        EXPECT_EQ(v.result, c.result) << c.type << "/" << c.variant;
        EXPECT_EQ(v.remarkRows, c.remark) << c.type << "/" << c.variant;
    }
}

TEST(LiftingAxleRules, PreviewWithLabelCells)
{
    auto labels = [](const AxlePreviewCells& cells) {
        std::string out;
        for (size_t i = 10; i < 15; ++i)
            out += cells[i].shown ? "[" + cells[i].text + "]" : ".";
        return out;
    };
    const std::array<int32_t, 10> none{};
    std::array<int32_t, 10> both{};
    both[2] = both[3] = 1; // axle 2: both flags
    for (int32_t axles = 0; axles <= 6; ++axles) {
        for (int32_t choice = 0; choice <= 2; ++choice) {
            const AxlePreviewCells cells = LiftingAxlePreviewCells(axles, choice, none, none);
            // The wheel cells are the wheel-sensor page's preview.
            const WheelPreviewCells wheels = SensorPreviewCells(choice, axles, none);
            for (size_t i = 0; i < 10; ++i)
                EXPECT_EQ(cells[i], wheels[i]) << axles << "/" << choice << "/" << i;
            EXPECT_EQ(labels(cells), axles == 1 ? "..[].." : ".....") << axles;
        }
    }
    const AxlePreviewCells cells = LiftingAxlePreviewCells(2, 1, both, both);
    EXPECT_EQ(labels(cells), "...[LA2].");
    EXPECT_EQ(cells[3].text, "e");
    EXPECT_EQ(cells[8].text, "f");
    std::array<int32_t, 10> first{};
    first[0] = 1;
    EXPECT_EQ(labels(LiftingAxlePreviewCells(1, 0, none, first)), "..[LA1]..");
    EXPECT_EQ(labels(LiftingAxlePreviewCells(5, 0, none, both)), ".[LA2]...");
}

class LiftingAxlePageTest : public eoltest::LiftingBenchTest<EolLiftingAxleTestLogic, tarvel::TabEolLiftingAxle> {
protected:
    void ConnectWith(int32_t type, int32_t variant)
    {
        sim::TrailerEquipment equipment;
        equipment.liftingAxles = type == 1 ? 1u : 2u;
        trailer.SetEquipment(equipment);
        ASSERT_TRUE(bench.Connect());
        LiftingAxleType = type;
        LiftingSensorVariant = variant;
        bench.ClearRequests();
        bench.prompter.Clear();
    }
    // Lets the test run, answering each row shown with `answer(row)`, until
    // the run ends or `ms` have passed. `each` runs before every 100 ms.
    void RunAnswering(const std::function<bool(int)>& answer, uint64_t ms = 120000,
                      const std::function<void()>& each = {})
    {
        for (uint64_t t = 0; t < ms && Page().Running(); t += 100) {
            if (const int row = Page().State().pairShown)
                Page().Answer(row, answer(row));
            if (each)
                each();
            bench.Advance(100);
        }
    }
    // Where the axles are now, as a status byte (axle 1 in bits 0-1, axle 2
    // in bits 2-3).
    uint8_t StatusNow() const
    {
        return static_cast<uint8_t>(trailer.LiftingAxleState(1) | (trailer.LiftingAxleState(2) << 2));
    }
    std::vector<std::vector<uint8_t>> Commands() const
    {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& r : bench.Requests())
            if (r.size() >= 3 && r[0] == 0x2F && r[2] == 0x07)
                out.push_back(r);
        return out;
    }
};

TEST_F(LiftingAxlePageTest, TwoAxlesAllYesPassInOrder)
{
    ConnectWith(2, 0);
    Page().Start();
    RunAnswering([](int) { return true; });
    EXPECT_THAT(Commands(), ElementsAre(Bytes("2F 00 07 03 03 00"), Bytes("2F 00 07 03 01 FF"),
                                        Bytes("2F 00 07 03 02 FF"), Bytes("2F 00 07 03 02 00"),
                                        Bytes("2F 00 07 03 01 00")));
    // Each command after 10 03 and the key.
    const auto requests = bench.Requests();
    for (size_t i = 0; i < requests.size(); ++i)
        if (requests[i].size() > 2 && requests[i][0] == 0x2F) {
            ASSERT_GE(i, 3u);
            EXPECT_EQ(requests[i - 3], Bytes("10 03"));
            EXPECT_EQ(requests[i - 2], Bytes("27 01"));
            EXPECT_EQ(requests[i - 1][0], 0x27);
        }
    EXPECT_EQ(EolLiftingAxleResult, 1);
    EXPECT_EQ(EolLiftingAxleRemark, "");
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(184), UiText(74))));
    EXPECT_EQ(Page().Common().pictures[0], EolPicture::Passed);
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
}

TEST_F(LiftingAxlePageTest, OneAxleAllYesPasses)
{
    ConnectWith(1, 0);
    Page().Start();
    RunAnswering([](int) { return true; });
    EXPECT_THAT(Commands(), ElementsAre(Bytes("2F 00 07 03 01 00"), Bytes("2F 00 07 03 01 FF"),
                                        Bytes("2F 00 07 03 01 00")));
    EXPECT_EQ(EolLiftingAxleResult, 1);
    EXPECT_EQ(LiftingAxleRowAnswers, (std::array<int32_t, 5>{1, 1, -1, 1, -1}));
}

TEST_F(LiftingAxlePageTest, SensorVariantAsksOnly)
{
    ConnectWith(2, 1);
    Page().Start();
    std::vector<int> rows;
    RunAnswering([&](int row) { rows.push_back(row); return true; });
    EXPECT_EQ(rows, (std::vector<int>{2, 3, 5, 4}));
    EXPECT_THAT(Commands(), IsEmpty());
    for (const auto& r : bench.Requests())
        EXPECT_NE(r, Bytes("22 00 70"));
    EXPECT_EQ(EolLiftingAxleResult, 1);
}

TEST_F(LiftingAxlePageTest, ANoGoesOnAndJoinsTheRemark)
{
    ConnectWith(2, 0);
    Page().Start();
    RunAnswering([](int row) { return row != 3 && row != 4; });
    EXPECT_EQ(Commands().size(), 5u) << "a NO does not stop the sequence";
    EXPECT_EQ(EolLiftingAxleResult, 0);
    EXPECT_EQ(EolLiftingAxleRemark, PdfText(77) + "\n" + PdfText(78) + "\n");
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(EolLiftingAxleRemark, UiText(76))));
    EXPECT_EQ(Page().Common().question, EolLiftingAxleRemark);
}

TEST_F(LiftingAxlePageTest, ATimeOutFailsItsRowAndNoPairReopens)
{
    ConnectWith(2, 0);
    trailer.SetLiftingAxleStuck(1);
    Page().Start();
    std::vector<int> rows;
    RunAnswering([&](int row) { rows.push_back(row); return true; });
    // Axle 1 stays where it is (state 1): step 1 finds it there, step 2
    // waits 16 ticks for it in vain.
    EXPECT_EQ(rows, (std::vector<int>{1}));
    EXPECT_EQ(EolLiftingAxleResult, 0);
    EXPECT_EQ(EolLiftingAxleRemark, PdfText(76) + "\n");
    EXPECT_EQ(LiftingAxleRowAnswers, (std::array<int32_t, 5>{1, 0, -1, -1, -1}));
    EXPECT_EQ(Commands().size(), 2u);
    EXPECT_EQ(Page().State().pairShown, 0);
    EXPECT_EQ(Page().Common().pictures[0], EolPicture::Failed);
    // No more polling after the verdict.
    const size_t before = bench.Requests().size();
    bench.Advance(5000);
    size_t reads = 0;
    const auto all = bench.Requests();
    for (size_t i = before; i < all.size(); ++i)
        reads += all[i] == Bytes("22 00 70");
    EXPECT_EQ(reads, 0u);
}

// Every step's 16th tick is its verdict: the row becomes 0 and the run
// fails, even when the axle has just got there and that tick's status would
// match. No YES/NO pair opens, nothing is read afterwards.
TEST_F(LiftingAxlePageTest, EveryStepTimesOutEvenWhenTheAxleArrivesInThatTick)
{
    struct Case {
        int32_t type;
        int step;
        int slowAfterRow;                 // the answer that starts the step; 0 Start
        std::vector<int> rowsAsked;       // the pairs shown before
        std::array<int32_t, 5> rows;      // the answers at the verdict
        std::vector<int> remark;          // report texts of the remark
    };
    const Case cases[] = {
        {2, 1, 0, {}, {0, -1, -1, -1, -1}, {80}},
        {2, 2, 1, {1}, {1, 0, -1, -1, -1}, {76}},
        {2, 3, 2, {1, 2}, {1, 1, 0, -1, -1}, {77}},
        {2, 5, 3, {1, 2, 3}, {1, 1, 1, -1, 0}, {79}},
        {2, 4, 5, {1, 2, 3, 5}, {1, 1, 1, 0, 1}, {78}},
        {1, 1, 0, {}, {0, -1, -1, -1, -1}, {80}},
        {1, 2, 1, {1}, {1, 0, -1, -1, -1}, {76}},
        {1, 3, 2, {1, 2}, {1, 1, -1, 0, -1}, {78}},
    };
    // The command goes out a few milliseconds after the step's timer starts:
    // the axle arrives after the 15th tick's read and before the 16th tick.
    constexpr uint32_t kArrivesLateMs = 15500;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " axle(s), step " + std::to_string(c.step));
        trailer.SetLiftingAxleTravelMs(sim::trailerdata::kLiftTravelMs);
        ConnectWith(c.type, 0);
        if (c.step == 1) {
            // Step 1 moves the axles only when they are not down already.
            trailer.MoveLiftingAxleByHand(1, sim::trailerdata::kLiftStateUp);
            trailer.MoveLiftingAxleByHand(2, sim::trailerdata::kLiftStateUp);
            bench.Advance(sim::trailerdata::kLiftTravelMs);
            trailer.SetLiftingAxleTravelMs(kArrivesLateMs);
        }
        Page().Start();
        std::vector<int> asked;
        uint8_t statusAtVerdict = 0;
        bool stepSeen = false;
        for (int t = 0; t < 2000 && Page().Running(); ++t) {
            if (const int row = Page().State().pairShown) {
                asked.push_back(row);
                if (row == c.slowAfterRow)
                    trailer.SetLiftingAxleTravelMs(kArrivesLateMs);
                Page().Answer(row, true);
            }
            stepSeen = stepSeen || Page().State().step == c.step;
            bench.Advance(100);
            statusAtVerdict = StatusNow();
        }
        ASSERT_FALSE(Page().Running());
        EXPECT_TRUE(stepSeen);
        EXPECT_TRUE(LiftingAxleStepReached(c.step, c.type, statusAtVerdict))
            << "the axle is there in the time-out tick: " << int(statusAtVerdict);
        EXPECT_EQ(asked, c.rowsAsked);
        EXPECT_EQ(LiftingAxleRowAnswers, c.rows);
        EXPECT_EQ(EolLiftingAxleResult, 0);
        std::string remark;
        for (int row : c.remark)
            remark += PdfText(row) + "\n";
        EXPECT_EQ(EolLiftingAxleRemark, remark);
        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(remark, UiText(76))));
        EXPECT_EQ(Page().State().pairShown, 0);
        EXPECT_EQ(Page().State().step, 0);
        EXPECT_EQ(Page().Common().pictures[0], EolPicture::Failed);
        EXPECT_EQ(Page().Common().question, remark);
        // The verdict stands: no pair, no more polling.
        const size_t before = bench.Requests().size();
        bench.Advance(5000);
        EXPECT_EQ(Page().State().pairShown, 0);
        EXPECT_THAT(PageRequestsSince(before), IsEmpty());
        bench.Disconnect();
        bench.Advance(30000); // the axles come to rest
    }
}

// Start clears the answers of the run before: the second run's verdict and
// remark come from its own answers alone.
TEST_F(LiftingAxlePageTest, AxlesSlowerThanSixteenSecondsTimeOut)
{
    struct Case {
        uint32_t travelMs;
        int32_t result;
        std::array<int32_t, 5> rows;
    };
    const Case cases[] = {
        {14000, 1, {1, 1, -1, 1, -1}},
        {20000, 0, {1, 0, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.travelMs);
        trailer.SetLiftingAxleTravelMs(c.travelMs);
        ConnectWith(1, 0);
        Page().Start();
        RunAnswering([](int) { return true; });
        EXPECT_EQ(EolLiftingAxleResult, c.result);
        EXPECT_EQ(LiftingAxleRowAnswers, c.rows);
        if (c.result == 0) {
            EXPECT_EQ(EolLiftingAxleRemark, PdfText(76) + "\n");
        }
        bench.Disconnect();
        bench.Advance(30000); // the axle comes to rest
    }
}

TEST_F(LiftingAxlePageTest, FailuresEndInIdleWithRowsCleared)
{
    using tarvel::MsgIcon;
    struct Case {
        const char* name;
        int32_t type;
        uint8_t sid;      // the service refused (0 none), after `skip` answered
        int skip;
        int readStep;     // the step whose status read fails (0 none)
        bool noData;      // that read answered positively without data, not 7F 22
        int32_t typeThen; // LiftingAxleType from that step on
        int boxRow;       // 0: no box
        MsgIcon icon;
    };
    const Case cases[] = {
        {"session", 2, 0x10, 0, 0, false, 2, 560, MsgIcon::None},
        {"unlock", 2, 0x27, 0, 0, false, 2, 561, MsgIcon::None},
        {"first command, two axles", 2, 0x2F, 0, 0, false, 2, 567, MsgIcon::None},
        {"second command", 2, 0x2F, 1, 0, false, 2, 562, MsgIcon::None},
        {"third command", 2, 0x2F, 2, 0, false, 2, 563, MsgIcon::None},
        {"fourth command", 2, 0x2F, 3, 0, false, 2, 566, MsgIcon::None},
        {"first command, one axle", 1, 0x2F, 0, 0, false, 1, 565, MsgIcon::None},
        {"read in step 1", 2, 0, 0, 1, false, 2, 559, MsgIcon::Exclamation},
        {"read in step 2", 2, 0, 0, 2, false, 2, 558, MsgIcon::Exclamation},
        {"read in step 3, two axles", 2, 0, 0, 3, false, 2, 557, MsgIcon::Exclamation},
        {"read in step 3, one axle", 1, 0, 0, 3, false, 1, 556, MsgIcon::Exclamation},
        {"read in step 4", 2, 0, 0, 4, false, 2, 556, MsgIcon::Exclamation},
        {"read in step 5", 2, 0, 0, 5, false, 2, 556, MsgIcon::Exclamation},
        {"read in step 3, type no longer known", 2, 0, 0, 3, false, 0, 0, MsgIcon::None},
        {"status without data", 2, 0, 0, 2, true, 2, 558, MsgIcon::Exclamation},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectWith(c.type, 0);
        if (c.sid != 0)
            bench.ecu->SetNegativeResponse(c.sid, 0x22, 1, static_cast<unsigned>(c.skip));
        bool injected = false;
        Page().Start();
        RunAnswering([](int) { return true; }, 120000, [&] {
            if (injected || c.readStep == 0 || Page().State().step != c.readStep)
                return;
            // Before the step's first tick: its first status read fails.
            injected = true;
            LiftingAxleType = c.typeThen;
            if (c.noData)
                trailer.FailLiftingStatusRead(0);
            else
                bench.ecu->SetNegativeResponse(0x22, 0x22, 1);
        });
        EXPECT_EQ(injected, c.readStep != 0);
        // The page's own boxes; a refusal also gets the UDS layer's box.
        std::vector<tarvel::RecordingPrompter::Box> boxes;
        for (const auto& box : bench.prompter.Boxes())
            if (box.caption != "UDS negative response")
                boxes.push_back(box);
        if (c.boxRow == 0) {
            EXPECT_TRUE(boxes.empty()) << boxes.front().text;
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, UiText(c.boxRow));
            EXPECT_EQ(boxes[0].caption, UiText(76));
            EXPECT_EQ(boxes[0].icon, c.icon);
        }
        EXPECT_FALSE(Page().Running());
        EXPECT_EQ(EolLiftingAxleResult, -1);
        EXPECT_EQ(EolLiftingAxleRemark, "");
        EXPECT_EQ(LiftingAxleRowAnswers, (std::array<int32_t, 5>{-1, -1, -1, -1, -1}));
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_EQ(Page().State().pairShown, 0);
        EXPECT_EQ(Page().State().step, 0);
        EXPECT_EQ(Page().Common().pictures[0], EolPicture::Idle);
        EXPECT_EQ(Page().Common().question, "");
        EXPECT_TRUE(Page().Common().startEnabled);
        EXPECT_FALSE(Page().Common().exitEnabled);
        bench.ecu->ClearFaults();
        trailer.ClearDefects();
        bench.Disconnect();
    }
}

// A disconnect or Exit Test during the wait after Start ends the run there:
// no command, no step, nothing sent afterwards.
TEST_F(LiftingAxlePageTest, EndedDuringTheStartWaitSendsNothingMore)
{
    for (const bool disconnect : {true, false}) {
        SCOPED_TRACE(disconnect ? "disconnect" : "exit");
        ConnectWith(2, 0);
        size_t before = 0;
        ASSERT_NO_FATAL_FAILURE(EndDuringTheStartWait(disconnect, 1000, before));
        ExpectNothingMoreSent(before, disconnect);
        EXPECT_EQ(EolLiftingAxleResult, -1);
        if (!disconnect)
            bench.Disconnect();
    }
}

TEST_F(LiftingAxlePageTest, DisconnectDuringAnAnswerRunsExit)
{
    ConnectWith(1, 0);
    Page().Start();
    for (int i = 0; i < 100 && Page().State().pairShown == 0; ++i)
        bench.Advance(100);
    ASSERT_EQ(Page().State().pairShown, 1);
    bench.Disconnect();
    EXPECT_EQ(Page().State().pairShown, 0);
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_FALSE(Page().Running());
    EXPECT_EQ(LiftingAxleRowAnswers, (std::array<int32_t, 5>{-1, -1, -1, -1, -1}));
}

} // namespace
