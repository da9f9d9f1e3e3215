// The lifting-sensor test page in the running program: the built-in
// simulated ECU describes two lifting axles reported by the lifting sensor;
// connect, open the page, Start, and for each question move the axles by
// hand as asked and answer YES. The test passes; the preview shows the axles.
#include "CEOLLiftingSensorTest.h"

#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "MainFrame.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include "SimEcu.h"
#include "SimEcuProfile.h"
#include "SimOperator.h"
#include "SimTrailer.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/time.h>
#include <wx/utils.h>

#include <vector>

namespace {

using guidriver::Click;
using guidriver::PumpUntil;

TEST(EolLiftingSensorGui, StartMoveTheAxlesAnswerYesAndPass)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_eol_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    sim::SimEcu* ecu = sim::BuiltInEcu();
    sim::SimTrailer* trailer = sim::BuiltInTrailer();
    ASSERT_NE(ecu, nullptr);
    ASSERT_NE(trailer, nullptr);
    // The lifting-axle record: no driven lifting axle, sensors on both.
    sim::ecudata::LiftingAxleFitting fitting;
    fitting.driven1 = false;
    fitting.sensor1 = fitting.sensor2 = true;
    sim::ecudata::SetLiftingAxleFitting(*ecu, fitting);
    sim::TrailerEquipment equipment = trailer->Equipment();
    equipment.liftingAxles = 2;
    equipment.liftingSensorVariant = true;
    trailer->SetEquipment(equipment);
    ASSERT_TRUE(guidriver::Connect(app));
    AxleCount = 2;
    ParameterChoice = 2;
    AxleFeatureFlags = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0};
    LiftingAxleFlags = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0};

    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolLiftingSensor));
    auto* page = dynamic_cast<CEOLLiftingSensorTest*>(app->View()->Page(tarvel::TabEolLiftingSensor));
    ASSERT_NE(page, nullptr);
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
    std::vector<int> answered;
    const wxLongLong until = wxGetLocalTimeMillis() + 60000;
    while (EolLiftingSensorResult == EolNotTested && wxGetLocalTimeMillis() < until && page->ExitButton()->IsEnabled()) {
        for (int pair = 1; pair <= 5; ++pair) {
            if (page->YesOfPair(pair)->IsShown()) {
                answered.push_back(pair);
                const Move m = moves[pair];
                if (m.axle != 0)
                    op.MoveLiftingAxle(m.axle, m.state);
                Click(page->YesOfPair(pair));
                break;
            }
        }
        wxTheApp->Yield(true);
        wxMilliSleep(20);
    }
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
