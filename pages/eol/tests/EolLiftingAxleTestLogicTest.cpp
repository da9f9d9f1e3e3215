// The lifting-axle test: its rules as tables, and the page against the
// simulated trailer on the virtual clock (commands in order, polling, the
// answers, time-outs, failures and the verdict).
#include "EolBench.h"

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

class LiftingAxlePageTest : public eoltest::EolBenchTest {
protected:
    EolLiftingAxleTestLogic& Page()
    {
        return *dynamic_cast<EolLiftingAxleTestLogic*>(bench.pages.Logic(tarvel::TabEolLiftingAxle));
    }
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
    // the run ends or `ms` have passed.
    void RunAnswering(const std::function<bool(int)>& answer, uint64_t ms = 120000)
    {
        for (uint64_t t = 0; t < ms && Page().Running(); t += 100) {
            if (const int row = Page().State().rowShown)
                Page().Answer(row, answer(row));
            bench.Advance(100);
        }
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
    EXPECT_EQ(Page().State().rowShown, 0);
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
    struct Case {
        const char* name;
        uint8_t sid;
        int skip;
        int boxRow;
    };
    const Case cases[] = {
        {"session", 0x10, 0, 560},
        {"unlock", 0x27, 0, 561},
        {"first command", 0x2F, 0, 567},
        {"second command", 0x2F, 1, 562},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectWith(2, 0);
        bench.ecu->SetNegativeResponse(c.sid, 0x22, 1, static_cast<unsigned>(c.skip));
        Page().Start();
        RunAnswering([](int) { return true; });
        ASSERT_FALSE(bench.prompter.Boxes().empty());
        EXPECT_EQ(bench.prompter.Boxes().back().text, UiText(c.boxRow));
        EXPECT_EQ(EolLiftingAxleResult, -1);
        EXPECT_EQ(LiftingAxleRowAnswers, (std::array<int32_t, 5>{-1, -1, -1, -1, -1}));
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(Page().State().rowShown, 0);
        bench.ecu->ClearFaults();
        bench.Disconnect();
    }
}

TEST_F(LiftingAxlePageTest, DisconnectDuringAnAnswerRunsExit)
{
    ConnectWith(1, 0);
    Page().Start();
    for (int i = 0; i < 100 && Page().State().rowShown == 0; ++i)
        bench.Advance(100);
    ASSERT_EQ(Page().State().rowShown, 1);
    bench.Disconnect();
    EXPECT_EQ(Page().State().rowShown, 0);
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_FALSE(Page().Running());
    EXPECT_EQ(LiftingAxleRowAnswers, (std::array<int32_t, 5>{-1, -1, -1, -1, -1}));
}

} // namespace
