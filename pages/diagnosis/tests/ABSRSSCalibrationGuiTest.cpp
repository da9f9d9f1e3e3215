// The roll-stability sensor page in the running program: connect to the
// built-in simulated ECU, open the page from the ribbon, press Start and read
// the angle from the label; Exit empties it again.
#include "CABSRSSCalibration.h"

#include "ABSRSSCalibrationLogic.h"
#include "AppMessages.h"
#include "EolGlobals.h"
#include "MainFrame.h"
#include "NILike.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/statbmp.h>
#include <wx/time.h>
#include <wx/utils.h>

#include <functional>

namespace {

using guidriver::PumpUntil;
using guidriver::Choose;
using guidriver::Press;

// The page's timer runs on real time in the program: pump for up to `ms`.
bool PumpFor(const std::function<bool()>& done, int ms)
{
    const wxLongLong end = wxGetLocalTimeMillis() + ms;
    while (!done() && wxGetLocalTimeMillis() < end) {
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
    return done();
}

void Click(wxButton* button)
{
    ASSERT_TRUE(button->IsEnabled());
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

TEST(RssCalibrationGui, ConnectOpenThePageFromTheRibbonStartAndReadTheAngle)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_rss_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();

    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));

    Press(rc.commButtons, ID_RSSCALIBBTN);
    auto* page = dynamic_cast<CABSRSSCalibration*>(app->View()->Page(tarvel::TabRssCalibration));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabRssCalibration));
    EXPECT_EQ(RssAngleLabel, page->AngleLabel());
    EXPECT_EQ(page->CalibrationButton()->GetLabel(), "Calibration RSS");
    EXPECT_NE(page->CalibrationButton()->GetId(), ID_RSSCALIBBTN);
    EXPECT_FALSE(page->ExitButton()->IsEnabled());
    EXPECT_FALSE(page->CalibrationButton()->IsEnabled());

    Click(page->StartButton());
    // The built-in sensor reports raw 910 until it is calibrated.
    const wxString angle = wxString::FromUTF8("1.00\xC2\xB0");
    EXPECT_TRUE(PumpFor([page, &angle] { return page->AngleLabel()->GetLabel() == angle; }, 3000));
    EXPECT_EQ(page->AngleLabel()->GetLabel(), angle);
    EXPECT_EQ(page->AngleLabel()->TextColour(), ABSRSSCalibrationLogic::kAngleColour);
    // The toolkit rounds the pixel height through points.
    EXPECT_NEAR(page->AngleLabel()->GetFont().GetPixelSize().GetHeight(), ABSRSSCalibrationLogic::kAngleFontHeight, 2);
    EXPECT_EQ(page->ShownBitmap(), ABSRSSCalibrationLogic::kBitmapInitial);
    EXPECT_TRUE(page->Picture()->GetBitmap().IsOk());
    EXPECT_EQ(page->Picture()->GetBitmap().GetWidth(), 50);
    EXPECT_FALSE(page->StartButton()->IsEnabled());
    EXPECT_TRUE(page->CleanButton()->IsEnabled());
    EXPECT_EQ(EolTestIdle.load(), 0);
    EXPECT_EQ(program.prompter->Count(), 0u);

    Click(page->ExitButton());
    EXPECT_TRUE(page->AngleLabel()->GetLabel().empty());
    EXPECT_TRUE(page->StartButton()->IsEnabled());
    EXPECT_EQ(EolTestIdle.load(), 1);

    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
    program.Stop();
}

} // namespace
