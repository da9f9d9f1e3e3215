// The height-sensor calibration page in the running program, against the
// built-in simulated ECU and its trailer with both height sensors: connect,
// open the page, Start, read the simulated heights from the value fields,
// calibrate the CD axle and see its passed picture.
#include "CEOLHeightSensorCalibration.h"

#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "LanguageTable.h"
#include "NILike.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "TarvelView.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <functional>

#include <wx/utils.h>

namespace {

using guidriver::Click;
using guidriver::PumpUntil;

// The page's timers run on real time: pump until `done` or `ms` have passed.
bool PumpFor(const std::function<bool()>& done, int ms)
{
    for (int waited = 0; waited < ms && !done(); waited += 10) {
        wxMilliSleep(10);
        PumpUntil(done, 5);
    }
    return done();
}

TEST(EolHeightSensorGui, TheFieldsShowTheHeightsAndCalibratingCdPasses)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_eol_height_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    // The vehicle has both height sensors and their calibration.
    HeightSensorCalibrationEnabled = 1;
    HeightSensorAxle1Present = 1;
    HeightSensorAxle2Present = 1;
    app->MainFrame()->Navigation()->RebuildNavTree();
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolHeightSensor));

    auto* page = dynamic_cast<CEOLHeightSensorCalibration*>(app->View()->Page(tarvel::TabEolHeightSensor));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabEolHeightSensor));
    EXPECT_TRUE(page->CalibrateCd()->IsShown());
    EXPECT_TRUE(page->CalibrateEf()->IsShown());
    EXPECT_FALSE(page->CalibrateCd()->IsEnabled());
    EXPECT_FALSE(page->ExitTest()->IsEnabled());
    EXPECT_TRUE(page->Skip()->IsEnabled());

    Click(page->Start());
    ASSERT_TRUE(PumpFor([&] { return page->CdCurrent()->GetLabel() == "702.00"; }, 5000));
    ASSERT_TRUE(PumpFor([&] { return page->EfCurrent()->GetLabel() == "688.00"; }, 5000));
    EXPECT_EQ(page->CdCalibration()->GetLabel(), "650.00");
    EXPECT_EQ(page->EfCalibration()->GetLabel(), "645.00");
    EXPECT_EQ(page->CdCurrent()->TextColour(), kEolValueColour);
    EXPECT_TRUE(page->CalibrateCd()->IsEnabled());
    EXPECT_TRUE(page->ExitTest()->IsEnabled());
    EXPECT_FALSE(page->Skip()->IsEnabled());

    const size_t boxes = program.prompter->Count();
    Click(page->CalibrateCd());
    ASSERT_TRUE(PumpFor([&] { return page->ShownPicture(0) == EolPicture::Passed; }, 8000));
    EXPECT_EQ(EolHeightCdAxleResult, EolPassed);
    EXPECT_EQ(EolHeightSensorResult, EolNotTested) << "the EF axle is still to calibrate";
    ASSERT_EQ(program.prompter->Count(), boxes + 1);
    EXPECT_EQ(program.prompter->Boxes().back().text, "Calibration value verified");
    EXPECT_FALSE(page->CalibrateCd()->IsEnabled()) << "the countdown runs first";

    Click(page->ExitTest());
    ASSERT_TRUE(PumpUntil([&] { return page->Start()->IsEnabled(); }));
    EXPECT_EQ(page->CdCurrent()->GetLabel(), "---\n---");

    // Skip Test accepts the stored values; a lost link afterwards resets the
    // page as Exit Test does, the verdict included.
    Click(page->Skip());
    ASSERT_TRUE(PumpUntil([&] { return page->ShownPicture(1) == EolPicture::Passed; }));
    ASSERT_EQ(EolHeightSensorResult, EolPassed);
    ASSERT_TRUE(guidriver::Disconnect(app));
    ASSERT_TRUE(PumpUntil([&] { return page->ShownPicture(0) == EolPicture::Idle; }));
    EXPECT_EQ(page->ShownPicture(1), EolPicture::Idle);
    EXPECT_EQ(EolHeightSensorResult, EolNotTested);
    EXPECT_EQ(page->Message()->GetLabel().utf8_string(), LanguageText(277));
    EXPECT_TRUE(page->Start()->IsEnabled());
    EXPECT_FALSE(page->ExitTest()->IsEnabled());
    EXPECT_TRUE(page->Skip()->IsEnabled());
    program.Stop();
}

} // namespace
