// The fault-check page in the running program: connect to the built-in
// simulated ECU and its trailer, open the page from the navigation tree,
// press Start, let the page's timer run five readings on a virtual clock and
// read the fault list and the countdown back from the controls.
#include "CABSEOLDtcTest.h"

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

#include "ProgramUnderTest.h"
#include "Timer.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/treectrl.h>

#include <functional>
#include <string>
#include <vector>

namespace {

bool PumpUntil(const std::function<bool()>& done, int rounds = 400)
{
    for (int i = 0; i < rounds && !done(); ++i)
        wxTheApp->Yield(true);
    return done();
}

void Choose(wxChoice* choice, int row)
{
    choice->SetSelection(row);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetInt(row);
    event.SetEventObject(choice);
    choice->GetEventHandler()->ProcessEvent(event);
}

void Press(wxRibbonButtonBar* bar, int id)
{
    wxRibbonButtonBarEvent event(wxEVT_RIBBONBUTTONBAR_CLICKED, id, bar);
    event.SetEventObject(bar);
    bar->GetEventHandler()->ProcessEvent(event);
}

void Click(wxButton* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

// The centre of the tree item that opens `page`.
bool PointOfPage(CNavigation* nav, int page, wxPoint& point)
{
    wxTreeCtrl* tree = nav->Tree();
    std::vector<wxTreeItemId> pending{tree->GetRootItem()};
    while (!pending.empty()) {
        const wxTreeItemId parent = pending.back();
        pending.pop_back();
        wxTreeItemIdValue cookie;
        for (wxTreeItemId id = tree->GetFirstChild(parent, cookie); id.IsOk();
             id = tree->GetNextChild(parent, cookie)) {
            tree->EnsureVisible(id);
            wxRect rect;
            if (tree->GetBoundingRect(id, rect, true)) {
                const wxPoint centre(rect.x + rect.width / 2, rect.y + rect.height / 2);
                const tarvel::NavItem* item = nav->ItemAt(centre);
                if (item && item->page == page) {
                    point = centre;
                    return true;
                }
            }
            pending.push_back(id);
        }
    }
    return false;
}

std::vector<std::string> Lines(wxListBox* list)
{
    std::vector<std::string> lines;
    for (unsigned i = 0; i < list->GetCount(); ++i)
        lines.push_back(list->GetString(i).utf8_string());
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
    EXPECT_EQ(page->FaultList()->GetCount(), 0u);

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
    EXPECT_EQ(page->FaultList()->GetCount(), 0u);

    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
    program.Stop();
    CTarvelApp::SetTimerFactoryForTests(nullptr);
}

} // namespace
