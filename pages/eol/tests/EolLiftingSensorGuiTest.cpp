// The lifting-sensor test page in the running program: the built-in
// simulated ECU describes two lifting axles reported by the lifting sensor;
// connect, open the page, Start, and for each question move the axles by
// hand as asked and answer YES. The test passes; the preview shows the axles.
#include "CEOLLiftingSensorTest.h"

#include "EolGlobals.h"
#include "PageHostTable.h"

#include "LiftingGuiBench.h"

#include "SimOperator.h"

#include <gtest/gtest.h>

#include <wx/stattext.h>

#include <vector>

namespace {

using guidriver::Click;
using guidriver::PumpUntil;
using EolLiftingSensorGui = eoltest::LiftingGuiTest;

TEST_F(EolLiftingSensorGui, StartMoveTheAxlesAnswerYesAndPass)
{
    eoltest::LiftingGuiSetup setup;
    // The lifting-axle record: no driven lifting axle, sensors on both.
    setup.fitting.driven1 = false;
    setup.fitting.sensor1 = setup.fitting.sensor2 = true;
    setup.liftingSensorVariant = true;
    setup.vehicle = {2, 2, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}};
    CEOLLiftingSensorTest* page = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenPage(tarvel::TabEolLiftingSensor, setup, page));
    EXPECT_EQ(page->PreviewCell(1)->GetLabel(), "d");
    EXPECT_EQ(page->PreviewCell(6)->GetLabel(), "c");
    EXPECT_EQ(page->PreviewCell(3)->GetLabel(), "f");
    EXPECT_EQ(page->PreviewCell(11)->GetLabel(), "LA1");
    EXPECT_EQ(page->PreviewCell(13)->GetLabel(), "LA2");

    Click(page->StartButton());
    EXPECT_EQ(LiftingAxleType, 2);
    EXPECT_EQ(LiftingSensorVariant, 1);
    sim::SimOperator op(*trailer);
    // Pair shown -> the axle move the question asks for (axle, state).
    struct Move {
        unsigned axle;
        uint8_t state;
    };
    // Pair A: both axles where they are (state 1); B: axle 1 to 2; C: axle 1
    // back to 1; D: axle 2 to 2; E: axle 2 back to 1.
    const Move moves[6] = {{0, 0}, {0, 0}, {1, 2}, {1, 1}, {2, 2}, {2, 1}};
    const std::vector<int> answered = AnswerYes(
        *page, [&] { return EolLiftingSensorResult != EolNotTested || !page->ExitButton()->IsEnabled(); },
        [&](int pair) {
            const Move m = moves[pair];
            if (m.axle != 0)
                op.MoveLiftingAxle(m.axle, m.state);
        });
    EXPECT_EQ(answered, (std::vector<int>{1, 2, 4, 5, 3}));
    EXPECT_EQ(EolLiftingSensorResult, EolPassed);
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Passed);
    ASSERT_GE(program.prompter->Count(), 1u);
    EXPECT_EQ(program.prompter->Boxes().back().text, "Test Passed");

    // A lost link is Exit Test, after a finished run too.
    ASSERT_TRUE(guidriver::Disconnect(app));
    ASSERT_TRUE(PumpUntil([&] { return page->ShownPicture(0) == EolPicture::Idle; }));
    EXPECT_EQ(EolLiftingSensorResult, EolNotTested);
    EXPECT_EQ(EolLiftingSensorRemark, "-");
    EXPECT_TRUE(page->StartButton()->IsEnabled());
    EXPECT_FALSE(page->ExitButton()->IsEnabled());
    program.Stop();
}

} // namespace
