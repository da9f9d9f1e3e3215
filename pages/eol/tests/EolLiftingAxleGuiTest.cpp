// The lifting-axle test page in the running program: connect to the
// built-in simulated ECU, set up with two driven lifting axles, open the
// page, Start, answer YES whenever a row is asked; the axles move and the
// test passes. The preview shows the axles.
#include "CEOLLiftingAxleTest.h"

#include "EolGlobals.h"
#include "PageHostTable.h"

#include "LiftingGuiBench.h"

#include "SimTrailerData.h"

#include <gtest/gtest.h>

#include <wx/stattext.h>

#include <vector>

namespace {

using guidriver::Click;
using EolLiftingAxleGui = eoltest::LiftingGuiTest;

TEST_F(EolLiftingAxleGui, StartAndAnswerYesPassesAndThePreviewShowsTheAxles)
{
    eoltest::LiftingGuiSetup setup;
    // Both lifting axles driven by the ECU.
    setup.fitting.driven1 = setup.fitting.driven2 = true;
    setup.vehicle = {3, 1, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0}};
    CEOLLiftingAxleTest* page = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenPage(tarvel::TabEolLiftingAxle, setup, page));
    // Axles at positions 2, 3 and 4: c/d, blank, e/f; lifting labels LA1, LA2.
    EXPECT_EQ(page->PreviewCell(1)->GetLabel(), "c");
    EXPECT_EQ(page->PreviewCell(6)->GetLabel(), "d");
    EXPECT_EQ(page->PreviewCell(3)->GetLabel(), "e");
    EXPECT_EQ(page->PreviewCell(8)->GetLabel(), "f");
    EXPECT_TRUE(page->PreviewCell(2)->IsShown());
    EXPECT_EQ(page->PreviewCell(11)->GetLabel(), "LA1");
    EXPECT_EQ(page->PreviewCell(12)->GetLabel(), "LA2");
    EXPECT_FALSE(page->PreviewCell(10)->IsShown());
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Idle);
    // The result frame holds one small picture and the preview few cells:
    // each is still as wide as its caption.
    for (const int frameId : {CEOLLiftingAxleTest::kResultFrameId, CEOLLiftingAxleTest::kPreviewId}) {
        const wxWindow* frame = page->FindWindow(frameId);
        ASSERT_NE(frame, nullptr) << frameId;
        EXPECT_GE(frame->GetSize().x, frame->GetTextExtent(frame->GetLabel()).x) << frame->GetLabel();
    }

    Click(page->StartButton());
    EXPECT_FALSE(page->StartButton()->IsEnabled());
    EXPECT_EQ(LiftingAxleType, 2) << "the calibration page read the ECU's lifting-axle record";
    EXPECT_EQ(LiftingSensorVariant, 0);
    const std::vector<int> answered = AnswerYes(*page, [] { return EolLiftingAxleResult != EolNotTested; });
    EXPECT_EQ(answered, (std::vector<int>{1, 2, 3, 5, 4}));
    EXPECT_EQ(trailer->LiftingAxleState(1), sim::trailerdata::kLiftStateDown);
    EXPECT_EQ(trailer->LiftingAxleState(2), sim::trailerdata::kLiftStateDown);
    EXPECT_EQ(EolLiftingAxleResult, EolPassed);
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Passed);
    ASSERT_GE(program.prompter->Count(), 1u);
    EXPECT_EQ(program.prompter->Boxes().back().text, "Test passed");
    EXPECT_TRUE(page->StartButton()->IsEnabled());
    EXPECT_EQ(EolTestIdle.load(), 1);

    ASSERT_TRUE(guidriver::Disconnect(app));
    program.Stop();
}

} // namespace
