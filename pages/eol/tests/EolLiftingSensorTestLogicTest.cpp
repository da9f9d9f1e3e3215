// The lifting-sensor test: the status check as a table, and the page on the
// virtual clock with a scripted status byte (prompts, pairs in order, the
// verdicts, the 60-tick time-out, read failures and a disconnect).
#include "LiftingBench.h"

#include "DiagnosisGlobals.h"
#include "EolLiftingSensorTestLogic.h"
#include "LiftingSensorTestRules.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"

#include <gmock/gmock.h>

#include <optional>

namespace {

using ::testing::ElementsAre;
using tarvel_test::BoxIs;

TEST(LiftingSensorRules, StatusCheckTable)
{
    struct Case {
        int32_t type;
        uint8_t second;
        int phase;
        uint8_t status;
        int result;
        int text;
    };
    const Case cases[] = {
        // Two lifting axles: never -1.
        {2, 0, 1, 0x05, 1, 0},   {2, 0, 1, 0x06, 0, 492}, {2, 0, 1, 0x09, 0, 493}, {2, 0, 1, 0x0A, 0, 491},
        {2, 0, 1, 0x15, 0, 0},   {2, 0, 2, 0x06, 1, 0},   {2, 0, 2, 0x05, 0, 497}, {2, 0, 2, 0x0A, 0, 493},
        {2, 0, 2, 0x09, 0, 496}, {2, 0, 3, 0x0A, 1, 0},   {2, 0, 3, 0x09, 0, 497}, {2, 0, 3, 0x06, 0, 500},
        {2, 0, 3, 0x05, 0, 501}, {2, 0, 4, 0x05, 0, 0},
        // One lifting axle, no second axle.
        {1, 0, 1, 0x01, 1, 0},   {1, 0, 1, 0x02, 0, 492}, {1, 0, 1, 0x05, -1, 507}, {1, 0, 1, 0x06, -1, 492},
        {1, 0, 2, 0x02, 1, 0},   {1, 0, 2, 0x01, 0, 497}, {1, 0, 2, 0x06, -1, 507}, {1, 0, 2, 0x05, -1, 504},
        {1, 0, 3, 0x01, -1, 0},
        // One lifting axle with a second axle fitted: its field reads 3.
        {1, 1, 1, 0x0D, 1, 0},   {1, 1, 1, 0x01, 0, 0},   {1, 1, 1, 0x02, 0, 492}, {1, 1, 1, 0x09, -1, 507},
        {1, 1, 1, 0x0A, -1, 492}, {1, 1, 2, 0x0E, 1, 0},  {1, 1, 2, 0x0D, 0, 497}, {1, 1, 2, 0x02, -1, 507},
        {1, 1, 2, 0x01, -1, 504}, {1, 1, 3, 0x0D, 0, 0},
        // Other types.
        {0, 0, 1, 0x05, -1, 0},  {3, 1, 2, 0x06, -1, 0},
    };
    for (const Case& c : cases) {
        const LiftingSensorCheck check = LiftingSensorStatusCheck(c.type, c.second, c.phase, c.status);
        EXPECT_EQ(check.result, c.result) << c.type << "/" << int(c.second) << "/" << c.phase << "/" << int(c.status);
        EXPECT_EQ(check.failText, c.text) << c.type << "/" << int(c.second) << "/" << c.phase << "/" << int(c.status);
    }
    EXPECT_EQ(LiftingSensorRemarkRow(490), 82);
    EXPECT_EQ(LiftingSensorRemarkRow(507), 95);
    EXPECT_EQ(LiftingSensorRemarkRow(498), 0);
}

class LiftingSensorPageTest : public eoltest::LiftingBenchTest<EolLiftingSensorTestLogic, tarvel::TabEolLiftingSensor> {
protected:
    void SetUp() override
    {
        EolBenchTest::SetUp();
        bench.ecu->RegisterDynamicDid(0x0070, [this](const sim::SimEcuContext&) {
            return status ? std::vector<uint8_t>{*status} : std::vector<uint8_t>{};
        });
    }
    void ConnectWith(int32_t type, bool secondAxle)
    {
        ASSERT_TRUE(bench.Connect());
        LiftingAxleType = type;
        LiftingSensorVariant = 1;
        LiftingAxleFlags = {};
        if (secondAxle)
            LiftingAxleFlags[3] = 1;
        bench.prompter.Clear();
    }
    // Answers each pair shown with YES and moves the status byte to what the
    // step asked for (by the byte table of `moves`, one per pair).
    std::vector<std::string> RunYes(const std::vector<uint8_t>& moves)
    {
        std::vector<std::string> prompts;
        size_t next = 0;
        for (int t = 0; t < 2000 && Page().Running(); ++t) {
            if (const int pair = Page().State().pairShown) {
                prompts.push_back(Page().Common().question);
                if (next < moves.size())
                    status = moves[next++];
                Page().Answer(pair, true);
            }
            bench.Advance(100);
        }
        return prompts;
    }

    std::optional<uint8_t> status = uint8_t{0x00};
};

TEST_F(LiftingSensorPageTest, OneAxlePassesWithScriptedBytes)
{
    ConnectWith(1, false);
    Page().Start();
    EXPECT_EQ(SecondLiftingAxleFitted, 0);
    const auto prompts = RunYes({0x01, 0x02, 0x01});
    EXPECT_EQ(prompts, (std::vector<std::string>{UiText(489), UiText(494), UiText(505)}));
    EXPECT_EQ(EolLiftingSensorResult, 1);
    EXPECT_EQ(EolLiftingSensorRemark, "-");
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Test Passed", "Tips")));
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(Page().Common().pictures[0], EolPicture::Passed);
}

TEST_F(LiftingSensorPageTest, TwoAxlesPassInOrder)
{
    ConnectWith(2, true);
    Page().Start();
    const auto prompts = RunYes({0x05, 0x06, 0x0A, 0x06, 0x05});
    EXPECT_EQ(prompts, (std::vector<std::string>{UiText(489), UiText(494), UiText(498), UiText(502), UiText(505)}));
    EXPECT_EQ(EolLiftingSensorResult, 1);
}

// Start takes the second axle from this run's flags alone: after a finished
// run with a second axle (no Exit Test), flags without one make the next run
// a plain one-axle run whose first-axle bytes match at once.
TEST_F(LiftingSensorPageTest, StartForgetsTheSecondAxleOfTheRunBefore)
{
    ConnectWith(1, true);
    Page().Start();
    ASSERT_EQ(SecondLiftingAxleFitted, 1);
    RunYes({0x0D, 0x0E, 0x0D});
    ASSERT_EQ(EolLiftingSensorResult, 1);
    ASSERT_EQ(SecondLiftingAxleFitted, 1) << "a conclusion keeps it";

    LiftingAxleFlags = {};
    status = 0x00;
    bench.prompter.Clear();
    Page().Start();
    EXPECT_EQ(SecondLiftingAxleFitted, 0);
    const uint64_t start = bench.clock.NowUs();
    const auto prompts = RunYes({0x01, 0x02, 0x01});
    EXPECT_EQ(prompts, (std::vector<std::string>{UiText(489), UiText(494), UiText(505)}));
    EXPECT_EQ(EolLiftingSensorResult, 1);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Test Passed", "Tips")));
    EXPECT_LT(bench.clock.NowUs() - start, 5000u * 1000) << "every step matched at its first tick";
}

// A disconnect or Exit Test during the wait after Start ends the run there:
// no prompt, no pair, TestRunning stays 0, nothing is sent afterwards.
TEST_F(LiftingSensorPageTest, EndedDuringTheStartWaitGoesNoFurther)
{
    for (const bool disconnect : {true, false}) {
        SCOPED_TRACE(disconnect ? "disconnect" : "exit");
        ConnectWith(2, true);
        size_t before = 0;
        ASSERT_NO_FATAL_FAILURE(EndDuringTheStartWait(disconnect, 250, before));
        EXPECT_EQ(SecondLiftingAxleFitted, 0);
        EXPECT_EQ(EolLiftingSensorResult, -1);
        ExpectNothingMoreSent(before, disconnect);
        if (!disconnect)
            bench.Disconnect();
    }
}

TEST_F(LiftingSensorPageTest, ANoFailsWithItsTexts)
{
    const int noRows[5] = {490, 495, 506, 499, 503};
    const std::vector<uint8_t> moves = {0x05, 0x06, 0x0A, 0x06, 0x05};
    // Pairs in order for type 2: A, B, D, E, C.
    const int order[5] = {1, 2, 4, 5, 3};
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        ConnectWith(2, true);
        status = 0x00;
        Page().Start();
        int answered = 0;
        for (int t = 0; t < 2000 && Page().Running(); ++t) {
            if (const int pair = Page().State().pairShown) {
                const bool no = answered == k;
                if (!no)
                    status = moves[static_cast<size_t>(answered)];
                ++answered;
                Page().Answer(pair, !no);
            }
            bench.Advance(100);
        }
        const int row = noRows[order[k] - 1];
        EXPECT_EQ(EolLiftingSensorResult, 0);
        EXPECT_EQ(Page().Common().question, UiText(row));
        EXPECT_EQ(EolLiftingSensorRemark, PdfText(LiftingSensorRemarkRow(row)));
        ASSERT_FALSE(bench.prompter.Boxes().empty());
        EXPECT_EQ(bench.prompter.Boxes().back().text, UiText(row));
        EXPECT_EQ(bench.prompter.Boxes().back().caption, "Warning");
        bench.Disconnect();
    }
}

TEST_F(LiftingSensorPageTest, TimeOutWithAndWithoutAMismatch)
{
    // A mismatch in this step: its text.
    ConnectWith(2, false);
    Page().Start();
    Page().Answer(1, true);
    status = 0x06; // axle 1 wrong, axle 2 right
    bench.Advance(61500);
    EXPECT_EQ(EolLiftingSensorResult, 0);
    EXPECT_EQ(bench.prompter.Boxes().back().text, UiText(492));
    bench.Disconnect();

    // No mismatch of its own (a higher bit set, both fields right): the
    // step's time-out text, not the earlier mismatch.
    ConnectWith(2, false);
    Page().Start();
    Page().Answer(1, true);
    status = 0x15;
    bench.Advance(30000);
    EXPECT_EQ(Page().Ticks(), 30);
    EXPECT_EQ(Page().Common().question, "30");
    bench.Advance(31500);
    EXPECT_EQ(EolLiftingSensorResult, 0);
    EXPECT_EQ(bench.prompter.Boxes().back().text, UiText(491));
    EXPECT_EQ(EolLiftingSensorRemark, PdfText(83));
}

TEST_F(LiftingSensorPageTest, AMatchInTheTimeOutTickOpensNoPair)
{
    ConnectWith(2, false);
    Page().Start();
    Page().Answer(1, true);
    status = 0x15;
    bench.Advance(60500); // 60 ticks
    ASSERT_TRUE(Page().Running());
    status = 0x05;
    bench.Advance(1000); // the 61st tick matches
    EXPECT_EQ(Page().State().pairShown, 0);
    EXPECT_EQ(EolLiftingSensorResult, 0);
    EXPECT_EQ(bench.prompter.Boxes().back().text, UiText(491));
    EXPECT_FALSE(Page().Running());
}

TEST_F(LiftingSensorPageTest, ImpossibleReadingFailsAtOnce)
{
    ConnectWith(1, false);
    Page().Start();
    Page().Answer(1, true);
    status = 0x05;
    bench.Advance(1500);
    EXPECT_EQ(EolLiftingSensorResult, 0);
    EXPECT_EQ(bench.prompter.Boxes().back().text, UiText(507));
    EXPECT_EQ(EolLiftingSensorRemark, PdfText(95));
}

TEST_F(LiftingSensorPageTest, ReadFailureAndDisconnectExit)
{
    ConnectWith(1, false);
    Page().Start();
    Page().Answer(1, true);
    status.reset(); // a positive answer without data
    bench.Advance(1500);
    EXPECT_EQ(EolLiftingSensorResult, -1);
    EXPECT_FALSE(Page().Running());
    EXPECT_THAT(bench.prompter.Boxes(),
                ElementsAre(BoxIs("Failed to read the rising status of Lifting Axle 1, please restart", "Warning")));

    status = 0x00;
    LiftingAxleFlags[1] = 1;
    Page().Start();
    EXPECT_EQ(SecondLiftingAxleFitted, 1);
    ASSERT_EQ(Page().State().pairShown, 1);
    bench.Disconnect();
    EXPECT_FALSE(Page().Running());
    EXPECT_EQ(Page().State().pairShown, 0);
    EXPECT_EQ(SecondLiftingAxleFitted, 0);
    EXPECT_EQ(EolTestIdle.load(), 1);
}

// A lost link is Exit Test in any state: after a finished run too, the
// result, the remark and the picture go back to not tested and the page to idle.
TEST_F(LiftingSensorPageTest, ALostLinkLeavesThePageIdleRunningOrFinished)
{
    struct Case {
        const char* name;
        std::function<void()> bringUp;
        int32_t resultBefore;
    };
    const Case cases[] = {
        {"a pair shown", [&] { Page().Start(); ASSERT_EQ(Page().State().pairShown, 1); }, -1},
        {"a step polling", [&] { Page().Start(); Page().Answer(1, true); bench.Advance(2500); }, -1},
        {"passed", [&] { Page().Start(); RunYes({0x0D, 0x0E, 0x0D}); }, 1},
        {"failed", [&] { Page().Start(); Page().Answer(1, false); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectWith(1, true);
        status = 0x00;
        c.bringUp();
        ASSERT_EQ(EolLiftingSensorResult, c.resultBefore);
        ASSERT_EQ(Page().Running(), c.resultBefore == -1);

        bench.Disconnect();

        EXPECT_EQ(EolLiftingSensorResult, -1);
        EXPECT_EQ(EolLiftingSensorRemark, "-");
        EXPECT_EQ(SecondLiftingAxleFitted, 0);
        EXPECT_FALSE(Page().Running());
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_TRUE(Page().Common().startEnabled);
        EXPECT_FALSE(Page().Common().exitEnabled);
        EXPECT_EQ(Page().State().pairShown, 0);
        EXPECT_EQ(Page().State().step, 0);
        EXPECT_EQ(Page().Common().question, "");
        EXPECT_EQ(Page().Common().pictures[0], EolPicture::Idle);
        const size_t before = bench.Requests().size();
        bench.Advance(3000);
        EXPECT_EQ(bench.Requests().size(), before) << "no step reads on";
    }
}

} // namespace
