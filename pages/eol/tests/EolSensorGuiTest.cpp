// The wheel-sensor page in the running program: connect to the built-in
// simulated ECU and its trailer, open the page, choose the form, start the
// automatic test in clockwise order; the program's own person at the trailer
// spins the wheel each prompt names. Every picture ends passed. And a manual
// step where a hand at the trailer spins the wrong wheel first, left with Exit
// Test, before the report is saved.
#include "CABSEOLReports.h"
#include "CABSEOLSensorValueTest.h"

#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "FileChooser.h"
#include "LanguageTable.h"
#include "MainFrame.h"
#include "NILike.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "GuiDriver.h"
#include "PdfKit.h"
#include "ProgramUnderTest.h"

#include "SimEcu.h"
#include "SimOperator.h"
#include "SimTrailer.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using guidriver::Click;
using guidriver::PumpUntil;

TEST(EolSensorGui, AutomaticClockwiseTestWithAnOperatorTurningEachWheel)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_eol_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    sim::SimTrailer* trailer = sim::BuiltInTrailer();
    ASSERT_NE(trailer, nullptr);
    trailer->SetForm(sim::trailerdata::TrailerForm::k4S2M);
    SystemForm.clear(); // the form is asked for on the page
    ParameterChoice = 1;
    AxleCount = 2;
    AxleFeatureFlags = {1, 0, 0, 1, 0, 0, 0, 0, 0, 0};

    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolSensor));
    auto* page = dynamic_cast<CABSEOLSensorValueTest*>(app->View()->Page(tarvel::TabEolSensor));
    ASSERT_NE(page, nullptr);
    auto* choose4S2M = dynamic_cast<wxButton*>(page->FindWindow(CABSEOLSensorValueTest::k4S2MId));
    ASSERT_NE(choose4S2M, nullptr);
    EXPECT_TRUE(choose4S2M->IsShown());
    EXPECT_FALSE(page->AutomaticButton()->IsShown());

    Click(choose4S2M);
    EXPECT_EQ(SystemForm, "4S2M");
    EXPECT_FALSE(choose4S2M->IsShown());
    EXPECT_TRUE(page->AutomaticButton()->IsShown());
    EXPECT_TRUE(page->Picture(3)->IsShown());
    EXPECT_FALSE(page->Picture(6)->IsShown()) << "no third modulator";
    // The preview: axle 1 at position 2 reads c/d, axle 2 at position 4 e/f.
    EXPECT_TRUE(page->PreviewCell(1)->IsShown());
    EXPECT_EQ(page->PreviewCell(1)->GetLabel(), "c");
    EXPECT_EQ(page->PreviewCell(6)->GetLabel(), "d");
    EXPECT_EQ(page->PreviewCell(3)->GetLabel(), "e");
    EXPECT_EQ(page->PreviewCell(8)->GetLabel(), "f");
    EXPECT_FALSE(page->PreviewCell(0)->IsShown());

    Click(page->AutomaticButton());
    ASSERT_TRUE(page->ClockwiseButton()->IsShown());
    EXPECT_FALSE(page->AutomaticButton()->IsEnabled());
    EXPECT_TRUE(page->ExitTestButton()->IsEnabled());

    // The program's person at the trailer spins each wheel the prompt names;
    // the test only watches which wheel starts turning.
    std::vector<unsigned> turned;
    std::vector<bool> turning(5, false);
    wxTimer watch;
    watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        for (unsigned wheel = 1; wheel <= 4; ++wheel) {
            const bool now = trailer->WheelTurning(wheel);
            if (now && !turning[wheel])
                turned.push_back(wheel);
            turning[wheel] = now;
        }
    });
    watch.Start(100);
    Click(page->ClockwiseButton());
    watch.Stop();

    EXPECT_EQ(turned, (std::vector<unsigned>{1, 2, 4, 3}));
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(page->ShownPicture(i), EolPicture::Passed) << i;
    EXPECT_EQ(page->ShownPicture(6), EolPicture::Idle);
    ASSERT_GE(program.prompter->Count(), 1u);
    EXPECT_EQ(program.prompter->Boxes().back().text, "Test passed");
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_TRUE(page->AutomaticButton()->IsEnabled());
    EXPECT_FALSE(page->ExitTestButton()->IsEnabled());
    EXPECT_FALSE(page->ClockwiseButton()->IsShown());

    ASSERT_TRUE(guidriver::Disconnect(app));
    program.Stop();
}

// Saves under the proposed name in a folder of the test's own.
class SaveIntoFolder : public tarvel::FileChooser {
public:
    explicit SaveIntoFolder(std::string folder) : folder_(std::move(folder)) {}
    std::optional<std::string> Choose(const tarvel::FileRequest& request) override
    {
        chosen = folder_ + "/" + request.fileName;
        return chosen;
    }
    std::string chosen;

private:
    std::string folder_;
};

TEST(EolSensorGui, ExitAfterAFailedWheelKeepsThePictureAndLeavesNoRemarkInTheReport)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_eol_sensor_exit_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    const std::string out = (program.folder / "reports-out").string();
    std::filesystem::create_directories(out);
    SaveIntoFolder chooser(out);
    tarvel::SetFileChooser(&chooser);
    ASSERT_TRUE(guidriver::Connect(app));
    sim::SimTrailer* trailer = sim::BuiltInTrailer();
    ASSERT_NE(trailer, nullptr);
    trailer->SetForm(sim::trailerdata::TrailerForm::k2S2M);
    SystemForm.clear();
    ParameterChoice = 1;
    AxleCount = 1;
    AxleFeatureFlags = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0};

    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolSensor));
    auto* page = dynamic_cast<CABSEOLSensorValueTest*>(app->View()->Page(tarvel::TabEolSensor));
    ASSERT_NE(page, nullptr);
    Click(dynamic_cast<wxButton*>(page->FindWindow(CABSEOLSensorValueTest::k2S2MId)));
    ASSERT_EQ(SystemForm, "2S2M");
    Click(page->ManualButton());
    ASSERT_TRUE(page->StepButton(0)->IsShown());

    // Asked for wheel c, the operator spins wheel d.
    sim::SimOperator op(*trailer);
    bool spun = false;
    wxTimer watch;
    watch.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (!spun && page->Prompt()->IsShown() && !page->Prompt()->GetLabel().empty()) {
            op.TurnWheel(2);
            spun = true;
        }
    });
    watch.Start(100);
    Click(page->StepButton(0));
    watch.Stop();
    ASSERT_TRUE(spun);
    ASSERT_EQ(EolSensor1Result, EolFailed);
    const std::string remark = LanguageText(253); // sensor c failed: wheel d turned
    ASSERT_EQ(EolSensorRemark1, remark);
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Failed);
    ASSERT_TRUE(page->ExitTestButton()->IsEnabled()) << "wheel d still waits for its verdict";

    Click(page->ExitTestButton());
    EXPECT_EQ(EolSensor1Result, EolNotTested);
    EXPECT_EQ(EolSensorRemark1, "-") << "the remark goes with its result";
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Failed) << "Exit keeps the pictures";
    EXPECT_TRUE(page->ManualButton()->IsEnabled());
    EXPECT_FALSE(page->ExitTestButton()->IsEnabled());

    // The report: sensor c is not run, without the failure text beside it.
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolReports));
    auto* reports = dynamic_cast<CABSEOLReports*>(app->View()->Page(tarvel::TabEolReports));
    ASSERT_NE(reports, nullptr);
    ASSERT_TRUE(PumpUntil([reports] { return reports->ResultList()->GetCount() > 0; }));
    Click(reports->SaveButton());
    ASSERT_FALSE(chooser.chosen.empty());
    ASSERT_TRUE(std::filesystem::exists(chooser.chosen));
    const std::string text = pdfkit::Text(chooser.chosen);
    EXPECT_EQ(text.find(remark), std::string::npos) << text;

    tarvel::SetFileChooser(nullptr);
    ASSERT_TRUE(guidriver::Disconnect(app));
    program.Stop();
}

} // namespace
