// The two pressure pages in the running program: connect to the built-in
// simulated ECU and its trailer, open the page from the navigation tree,
// press Start, answer the page's box, and read the pressures and the result
// picture back from the controls.
#include "CABSEOLBackupPressureTest.h"
#include "CABSEOLPressureTest.h"

#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "MainFrame.h"
#include "NILike.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "Prompter.h"
#include "SimBuiltInWorld.h"
#include "SimStationOperator.h"
#include "SimTrailer.h"
#include "SimTrailerData.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/statbox.h>

#include <cstdlib>
#include <string>

namespace {

using guidriver::Click;
using guidriver::PumpUntil;

bool NearFive(const wxString& label)
{
    double value = 0;
    return label.ToCDouble(&value) && value > 4.3 && value < 5.7;
}

TEST(EolPressureGui, BrakePressureRunShowsThePressuresAndThePassedPicture)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_eol_pressure_gui")) << "the program did not start";
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    sim::SimTrailer* trailer = sim::BuiltInTrailer();
    ASSERT_NE(trailer, nullptr);
    // The shortest sequence: one apply and one release of all channels.
    trailer->SetForm(sim::trailerdata::TrailerForm::k4S3M);
    SystemForm = "4S3M";
    DerivedSystemVariant = 1;
    ASSERT_FALSE(MonitorDidList.empty()) << "the monitor definitions are loaded at connect";

    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolPressure));
    auto* page = dynamic_cast<CABSEOLPressureTest*>(app->View()->Page(tarvel::TabEolPressure));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->StartButton()->GetId(), CABSEOLPressureTest::kStartId);
    EXPECT_FALSE(page->ExitButton()->IsEnabled());
    EXPECT_TRUE(page->Frame(kEbsdLeftBrakeSlot)->IsShown()) << "the EBS-D part of a 4S3M system";
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Idle);
    EXPECT_EQ(page->ValueLabel(kLeftBrakeSlot)->GetLabel(), "");

    Click(page->StartButton());
    ASSERT_TRUE(PumpUntil([] { return EolPressure6Result != EolNotTested && EolTestIdle.load() == 1; }, 4000));

    EXPECT_EQ(EolPressure1Result, EolPassed);
    EXPECT_EQ(EolPressure6Result, EolPassed);
    for (int slot : {kLeftBrakeSlot, kRightBrakeSlot, kEbsdLeftBrakeSlot, kEbsdRightBrakeSlot})
        EXPECT_TRUE(NearFive(page->ValueLabel(slot)->GetLabel())) << slot << " " << page->ValueLabel(slot)->GetLabel();
    EXPECT_EQ(page->ValueLabel(kLeftBrakeSlot)->TextColour(), kEolValueColour);
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Passed);
    ASSERT_GE(program.prompter->Count(), 2u);
    EXPECT_EQ(program.prompter->Boxes()[0].text, "Apply full brake demand pressure, then press OK");
    EXPECT_EQ(program.prompter->Boxes().back().text, "Test passed");
    EXPECT_TRUE(page->StartButton()->IsEnabled());
    EXPECT_FALSE(page->ExitButton()->IsEnabled());

    trailer->SetForm(sim::trailerdata::TrailerForm::k4S2M);
    ASSERT_TRUE(guidriver::Disconnect(app));
    program.Stop();
}

TEST(EolPressureGui, BackupPressureRunShowsThePressuresAndThePassedPicture)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_eol_backup_gui")) << "the program did not start";
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    sim::SimTrailer* trailer = sim::BuiltInTrailer();
    ASSERT_NE(trailer, nullptr);
    trailer->SetControlPressure(0.0);

    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolBackupPressure));
    auto* page = dynamic_cast<CABSEOLBackupPressureTest*>(app->View()->Page(tarvel::TabEolBackupPressure));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->StartButton()->GetId(), CABSEOLBackupPressureTest::kStartId);
    EXPECT_FALSE(page->Frame(3)->IsShown()) << "no EBS-D part on a 4S2M system";

    // The program's person at the trailer builds the backup pressure when
    // the box asks for it, and lets it go once the page moves on.
    Click(page->StartButton());
    ASSERT_TRUE(PumpUntil([] { return EolBackupPressureResult != EolNotTested && EolTestIdle.load() == 1; }, 4000));
    ASSERT_NE(sim::BuiltInOperator(), nullptr);
    EXPECT_FALSE(sim::BuiltInOperator()->HoldingPressure()) << "let go after the verdict";

    EXPECT_EQ(EolBackupPressureResult, EolPassed);
    for (int channel = 0; channel < 3; ++channel) {
        double value = 0;
        EXPECT_TRUE(page->ValueLabel(channel)->GetLabel().ToCDouble(&value)) << channel;
        EXPECT_NEAR(value, 6.0, 0.3) << channel;
    }
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Passed);
    EXPECT_EQ(program.prompter->Boxes().back().text, "Backup pressure test passed");
    EXPECT_FALSE(trailer->BackupValvesHeld());
    EXPECT_TRUE(page->StartButton()->IsEnabled());

    ASSERT_TRUE(guidriver::Disconnect(app));
    program.Stop();
}

} // namespace
