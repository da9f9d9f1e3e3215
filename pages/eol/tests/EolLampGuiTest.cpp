// The two lamp pages in the running program, against the built-in simulated
// ECU and its trailer: connect, open the page, Start, answer both questions
// with YES, read the prompts and the result pictures back from the controls.
#include "CABSEOLLampTest.h"
#include "CEOLBrakeLampTest.h"

#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "NILike.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "SettingsFiles.h"
#include "TarvelView.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

namespace {

using guidriver::Click;
using guidriver::PumpUntil;

// Start, YES to the lamp-on prompt, YES to the lamp-off prompt.
template <class Page>
void RunBothYes(tarvel_test::ProgramUnderTest& program, Page* page, const char* onPrompt, const char* offPrompt,
                int32_t& onResult, int32_t& offResult)
{
    EXPECT_TRUE(page->Start()->IsEnabled());
    EXPECT_FALSE(page->ExitTest()->IsEnabled());
    EXPECT_FALSE(page->LampOnYes()->IsShown());
    EXPECT_FALSE(page->LampOffYes()->IsShown());

    Click(page->Start());
    ASSERT_TRUE(PumpUntil([&] { return page->LampOnYes()->IsShown(); }));
    EXPECT_EQ(page->QuestionLabel()->GetLabel(), onPrompt);
    EXPECT_EQ(page->QuestionLabel()->TextColour(), kEolValueColour);
    EXPECT_FALSE(page->LampOffYes()->IsShown());
    EXPECT_FALSE(page->Start()->IsEnabled());
    EXPECT_TRUE(page->ExitTest()->IsEnabled());
    EXPECT_EQ(EolTestIdle.load(), 0);

    Click(page->LampOnYes());
    ASSERT_TRUE(PumpUntil([&] { return page->LampOffYes()->IsShown(); }));
    EXPECT_EQ(page->QuestionLabel()->GetLabel(), offPrompt);
    EXPECT_FALSE(page->LampOnYes()->IsShown());
    EXPECT_EQ(onResult, EolPassed);
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Passed);

    const size_t boxes = program.prompter->Count();
    Click(page->LampOffYes());
    ASSERT_TRUE(PumpUntil([&] { return offResult == EolPassed; }));
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Passed);
    EXPECT_EQ(page->ShownPicture(1), EolPicture::Passed);
    EXPECT_FALSE(page->LampOffYes()->IsShown());
    EXPECT_TRUE(page->Start()->IsEnabled());
    EXPECT_FALSE(page->ExitTest()->IsEnabled());
    ASSERT_EQ(program.prompter->Count(), boxes + 1);
    EXPECT_EQ(program.prompter->Boxes().back().text, "Test passed");
    EXPECT_EQ(EolTestIdle.load(), 1);
}

TEST(EolLampGui, TheWarningLampPassesWithTwoYesAnswers)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_eol_lamp_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolLamp));

    auto* page = dynamic_cast<CABSEOLLampTest*>(app->View()->Page(tarvel::TabEolLamp));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabEolLamp));
    EXPECT_EQ(page->Start()->GetId(), CABSEOLLampTest::kStartId);
    EXPECT_EQ(page->LampOffNo()->GetLabel(), "NO");
    RunBothYes(program, page, "Is the warning lamp on?", "Is the warning lamp off?", EolWarningLampOnResult,
               EolWarningLampOffResult);

    ASSERT_TRUE(guidriver::Disconnect(app));
    program.Stop();
}

TEST(EolLampGui, TheBrakeLampPassesAndNeverTestSkipsIt)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_eol_brakelamp_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    // The vehicle has a brake-lamp output: the navigation offers the page.
    BrakeLampTestEnabled = 1;
    app->MainFrame()->Navigation()->RebuildNavTree();
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolBrakeLamp));

    auto* page = dynamic_cast<CEOLBrakeLampTest*>(app->View()->Page(tarvel::TabEolBrakeLamp));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabEolBrakeLamp));
    EXPECT_EQ(page->Skip()->GetLabel(), "Skip Test");
    EXPECT_EQ(page->NeverTest()->GetLabel(), "Never Test");
    EXPECT_FALSE(page->NeverTest()->GetValue());
    RunBothYes(program, page, "Is the brake lamp on?", "Is the brake lamp off?", EolBrakeLampOnResult,
               EolBrakeLampOffResult);

    // "Never Test": the lamp counts as skipped, Skip is locked, the choice kept.
    const size_t boxes = program.prompter->Count();
    guidriver::Toggle(page->NeverTest(), true);
    ASSERT_TRUE(PumpUntil([] { return EolBrakeLampOnResult == EolSkipped; }));
    EXPECT_EQ(EolBrakeLampOnResult, EolSkipped);
    EXPECT_EQ(EolBrakeLampOffResult, EolSkipped);
    EXPECT_EQ(BrakeLampNeverTest, 1);
    EXPECT_TRUE(page->NeverTest()->GetValue());
    EXPECT_FALSE(page->Skip()->IsEnabled());
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Idle);
    ASSERT_EQ(program.prompter->Count(), boxes + 1);
    EXPECT_EQ(program.prompter->Boxes().back().text, "Skip Test");

    // The view's reset message before the results page keeps it skipped;
    // unticking makes the lamp untested again.
    EolBrakeLampOnResult = EolNotTested;
    SendAppMessage(page, WM_RESET_EOLBRAKELAMP);
    EXPECT_EQ(EolBrakeLampOnResult, EolSkipped);
    guidriver::Toggle(page->NeverTest(), false);
    EXPECT_EQ(EolBrakeLampOnResult, EolNotTested);
    EXPECT_EQ(EolBrakeLampOffResult, EolNotTested);
    EXPECT_EQ(BrakeLampNeverTest, 0);
    EXPECT_TRUE(page->Skip()->IsEnabled());

    ASSERT_TRUE(guidriver::Disconnect(app));
    program.Stop();
}

} // namespace
