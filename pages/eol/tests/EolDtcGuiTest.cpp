// The fault-check page in the running program: connect to the built-in
// simulated ECU and its trailer, open the page from the navigation tree,
// press Start, let the page's timer run five readings on a virtual clock and
// read the fault list and the countdown back from the controls.
#include "CABSEOLDtcTest.h"

#include "AppMessages.h"
#include "EolGlobals.h"
#include "FittedColumns.h"
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

#include "GuiDriver.h"
#include "ProgramUnderTest.h"
#include "Timer.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/treectrl.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using guidriver::PumpUntil;
using guidriver::Choose;
using guidriver::Press;
using guidriver::Click;
using guidriver::PointOfPage;

std::vector<std::string> Lines(wxListCtrl* list)
{
    std::vector<std::string> lines;
    for (const wxString& line : LinesOf(list))
        lines.push_back(line.utf8_string());
    return lines;
}

TEST(EolDtcGui, AfterTheCountdownTheListShowsTheTrailersFaults)
{
    // The pages' timers run on a virtual clock the test moves; the ECU and
    // the link keep their own time.
    tarvel::VirtualClock pageTime(1000000);
    tarvel::VirtualTimerFactory pageTimers(pageTime);
    CTarvelApp::SetTimerFactoryForTests(&pageTimers);

    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_eol_dtc_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();

    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));

    CNavigation* nav = app->MainFrame()->Navigation();
    wxPoint point;
    ASSERT_TRUE(PointOfPage(nav, tarvel::TabEolDtc, point));
    EXPECT_EQ(nav->ClickAt(point), tarvel::NavClickOutcome::Selected);

    auto* page = dynamic_cast<CABSEOLDtcTest*>(app->View()->Page(tarvel::TabEolDtc));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabEolDtc));
    EXPECT_EQ(page->StartButton()->GetId(), CABSEOLDtcTest::kStartId);
    EXPECT_EQ(page->StartButton()->GetLabel(), "Start");
    EXPECT_EQ(page->ExitButton()->GetLabel(), "Exit Test");
    EXPECT_EQ(page->ClearContentsButton()->GetLabel(), "Clear Contents");
    EXPECT_FALSE(page->ExitButton()->IsEnabled());
    EXPECT_EQ(page->FaultList()->GetItemCount(), 0);

    Click(page->StartButton());
    EXPECT_FALSE(page->StartButton()->IsEnabled());
    EXPECT_TRUE(page->ExitButton()->IsEnabled());
    EXPECT_EQ(EolTestIdle.load(), 0);

    for (int k = 1; k <= 4; ++k) {
        pageTime.Advance(1000 * 1000);
        PumpUntil([] { return false; }, 3);
        EXPECT_EQ(page->CountdownLabel()->GetLabel(), std::to_string(5 - k));
        EXPECT_EQ(page->CountdownLabel()->TextColour(), kEolValueColour);
    }
    // The trailer has not passed end of line yet: 0xFD0E alone, so the
    // final gate is asked, and refused, since no other test has run.
    const std::vector<std::string> expected = {"1. Current Fault :  B1D0E -- End-of-line test not passed"};
    EXPECT_EQ(Lines(page->FaultList()), expected);
    pageTime.Advance(1000 * 1000);
    ASSERT_TRUE(PumpUntil([] { return EolTestIdle.load() == 1; }));
    EXPECT_EQ(Lines(page->FaultList()), expected);
    EXPECT_EQ(page->CountdownLabel()->GetLabel(), "");
    ASSERT_EQ(program.prompter->Count(), 1u);
    EXPECT_EQ(program.prompter->Boxes()[0].text, "Not all required tests have passed");
    EXPECT_TRUE(page->StartButton()->IsEnabled());
    EXPECT_FALSE(page->ExitButton()->IsEnabled());
    EXPECT_EQ(page->ShownPicture(0), EolPicture::Idle);
    EXPECT_EQ(EolDtcResult, EolNotTested);

    Click(page->ClearContentsButton());
    EXPECT_EQ(page->FaultList()->GetItemCount(), 0);

    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
    program.Stop();
    CTarvelApp::SetTimerFactoryForTests(nullptr);
}

} // namespace
