// The supply-voltage page in the running program: connect to the built-in
// simulated ECU and its trailer, open the page from the navigation tree,
// press Start, read the value label and the result picture.
#include "CABSEOLVoltageTest.h"

#include "AppMessages.h"
#include "EolGlobals.h"
#include "MainFrame.h"
#include "NILike.h"
#include "Navigation.h"
#include "NavigationModel.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "ProgramPaths.h"
#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/treectrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using guidriver::PumpUntil;
using guidriver::Choose;
using guidriver::Press;
using guidriver::Click;
using guidriver::PointOfPage;

TEST(EolVoltageGui, StartShowsTheTrailersSupplyVoltageAndThePassedPicture)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_eol_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();

    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));

    CNavigation* nav = app->MainFrame()->Navigation();
    wxPoint point;
    ASSERT_TRUE(PointOfPage(nav, tarvel::TabEolVoltage, point));
    EXPECT_EQ(nav->ClickAt(point), tarvel::NavClickOutcome::Selected);

    auto* page = dynamic_cast<CABSEOLVoltageTest*>(app->View()->Page(tarvel::TabEolVoltage));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabEolVoltage));
    EXPECT_EQ(page->ValueLabel()->GetLabel(), "---");
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Idle);
    EXPECT_EQ(page->StartButton()->GetId(), CABSEOLVoltageTest::kStartId);
    EXPECT_EQ(page->StartButton()->GetLabel(), "Start");
    EXPECT_TRUE(page->StartButton()->IsEnabled());

    // Enter and Escape never reach the page's controls; other keys do.
    for (int key : {int(WXK_RETURN), int(WXK_ESCAPE), int('A')}) {
        wxKeyEvent hook(wxEVT_CHAR_HOOK);
        hook.m_keyCode = key;
        hook.SetEventObject(page->StartButton());
        hook.Skip(false);
        page->GetEventHandler()->ProcessEvent(hook);
        EXPECT_EQ(hook.GetSkipped(), key == 'A') << key;
    }

    Click(page->StartButton());
    EXPECT_TRUE(PumpUntil([] { return EolVoltageResult == EolPassed; }));
    // The built-in trailer runs on 24 V.
    EXPECT_EQ(page->ValueLabel()->GetLabel(), "24.00V");
    EXPECT_EQ(page->ValueLabel()->TextColour(), kEolValueColour);
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Passed);
    const wxString face = CEolTestPage::InstalledFace(kEolVoltageFont.face);
    if (!face.empty()) {
        EXPECT_EQ(page->ValueLabel()->GetFont().GetFaceName(), face);
    }
    // Pango rounds pixel sizes through points.
    EXPECT_NEAR(page->ValueLabel()->GetFont().GetPixelSize().y, kEolVoltageFont.height, 2);
    EXPECT_TRUE(page->StartButton()->IsEnabled());
    ASSERT_EQ(program.prompter->Count(), 1u);
    EXPECT_EQ(program.prompter->Boxes()[0].text, "Test passed");
    EXPECT_EQ(EolTestIdle.load(), 1);

    // The shipped pictures, and a plain square when one is missing.
    struct Look {
        EolPicture look;
        bool greenest;
        bool reddest;
    };
    for (const Look& l : {Look{EolPicture::Passed, true, false}, Look{EolPicture::Failed, false, true},
                          Look{EolPicture::Idle, false, false}}) {
        for (bool shipped : {true, false}) {
            SCOPED_TRACE(std::to_string(EolPictureBitmap(l.look)) + (shipped ? " shipped" : " missing"));
            std::unique_ptr<tarvel::ScopedProgramFolder> elsewhere;
            if (!shipped)
                elsewhere = std::make_unique<tarvel::ScopedProgramFolder>("/nonexistent-folder");
            const wxImage image = CEolTestPage::EolBitmap(l.look).ConvertToImage();
            ASSERT_TRUE(image.IsOk());
            EXPECT_EQ(image.GetWidth(), 50);
            EXPECT_EQ(image.GetHeight(), 50);
            // A point of the disc beside the mark.
            const int r = image.GetRed(25, 6), g = image.GetGreen(25, 6), b = image.GetBlue(25, 6);
            EXPECT_EQ(g > r + 40, l.greenest) << r << " " << g << " " << b;
            EXPECT_EQ(r > g + 40, l.reddest) << r << " " << g << " " << b;
        }
    }

    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
    program.Stop();
}

} // namespace
