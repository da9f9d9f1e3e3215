// The runs of the program that the settings test drives, each in its own
// process (the program starts once per process):
//   settings_kept_phases choose <program folder>   the user's choices, then close
//   settings_kept_phases check <program folder>    the choices are back
//   settings_kept_phases narrow <program folder>   the user narrows the
//       navigation pane, connects and reads, then closes; the width is
//       written to <program folder>/pane-width
//   settings_kept_phases narrowed <program folder> the pane has that width,
//       also after a connect and a read
//   settings_kept_phases fit <program folder>      the pane's width once the
//       program has fitted it, written to <program folder>/pane-width
// The exit code is the number of failed checks.
#include "AppMessages.h"
#include "MainFrame.h"
#include "PageHostTable.h"
#include "Navigation.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"

#include "LanguageTable.h"
#include "Restarter.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/choice.h>

#include <wx/aui/dockart.h>
#include <wx/aui/framemanager.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string g_mode;
std::filesystem::path g_folder;

int RowOf(wxChoice* choice, const wxString& text)
{
    return choice->FindString(text);
}

void Settle()
{
    guidriver::PumpUntil([] { return false; }, 10);
}

std::filesystem::path WidthFile()
{
    return g_folder / "pane-width";
}

// Drags the sash right of the navigation pane by `dx` pixels with the mouse,
// as the frame's pane manager sees a drag.
void DragNavigationSash(CMainFrame* frame, int dx)
{
    auto& panes = static_cast<CPaneManager&>(frame->PaneManager());
    const wxAuiPaneInfo& pane = panes.GetPane("navigation");
    ASSERT_TRUE(pane.IsOk() && pane.IsDocked());
    wxRect dock;
    for (size_t i = 0; i < panes.Docks().GetCount(); ++i)
        if (panes.Docks().Item(i).dock_direction == pane.dock_direction)
            dock = panes.Docks().Item(i).rect;
    ASSERT_FALSE(dock.IsEmpty());
    const int sash = panes.GetArtProvider()->GetMetric(wxAUI_DOCKART_SASH_SIZE);
    const wxPoint from(dock.GetRight() + 1 + sash / 2, dock.y + dock.height / 2);
    auto send = [frame](wxEventType type, const wxPoint& at, bool down) {
        wxMouseEvent event(type);
        event.SetPosition(at);
        event.m_leftDown = down;
        event.SetEventObject(frame);
        frame->GetEventHandler()->ProcessEvent(event);
    };
    send(wxEVT_LEFT_DOWN, from, true);
    for (int step = 1; step <= 4; ++step)
        send(wxEVT_MOTION, from + wxPoint(dx * step / 4, 0), true);
    send(wxEVT_LEFT_UP, from + wxPoint(dx, 0), false);
    Settle();
}

// The navigation pane's width the user or the program gave it.
void PaneWidth(CTarvelApp* app)
{
    CMainFrame* frame = app->MainFrame();
    Settle();
    if (g_mode == "fit") {
        EXPECT_FALSE(frame->NavigationWidthChosen());
        std::ofstream(WidthFile()) << frame->NavigationWidth();
        return;
    }
    if (g_mode == "narrow") {
        const int fitted = frame->NavigationWidth();
        DragNavigationSash(frame, -80);
        const int narrowed = frame->NavigationWidth();
        EXPECT_LT(narrowed, fitted);
        EXPECT_TRUE(frame->NavigationWidthChosen());
        ASSERT_TRUE(guidriver::Connect(app));
        ASSERT_TRUE(guidriver::Open(app, tarvel::TabParameters)); // it reads
        Settle();
        EXPECT_EQ(frame->NavigationWidth(), narrowed) << "the tree's rebuild widened the pane again";
        std::ofstream(WidthFile()) << narrowed;
        return;
    }
    int narrowed = 0;
    std::ifstream(WidthFile()) >> narrowed;
    EXPECT_GT(narrowed, 0);
    EXPECT_EQ(frame->NavigationWidth(), narrowed);
    ASSERT_TRUE(guidriver::Connect(app));
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabParameters));
    Settle();
    EXPECT_EQ(frame->NavigationWidth(), narrowed) << "the tree's rebuild widened the pane again";
}

TEST(SettingsKeptPhase, Run)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.StartIn("settings_kept", g_folder));
    // After the start, which installs the program's own restarter.
    tarvel::RecordingRestarter restarter;
    tarvel::ScopedRestarter scoped(restarter);
    guidriver::PumpUntil([] { return false; }, 5);
    if (g_mode == "narrow" || g_mode == "narrowed" || g_mode == "fit") {
        PaneWidth(program.app);
        program.Stop();
        return;
    }
    const RibbonControls& rc = program.app->MainFrame()->Ribbon();
    const int holvar = RowOf(rc.adapter, "Holvar@Morvane");
    ASSERT_NE(holvar, wxNOT_FOUND);
    if (g_mode == "choose") {
        EXPECT_NE(rc.adapter->GetSelection(), holvar);
        guidriver::Choose(rc.adapter, holvar);
        guidriver::Choose(rc.baudRate, 1);
        guidriver::Choose(rc.language, 2); // Russian: the program asks for a restart
        EXPECT_EQ(restarter.Requests().size(), 1u);
    } else {
        EXPECT_EQ(rc.adapter->GetSelection(), holvar);
        EXPECT_EQ(rc.baudRate->GetSelection(), 1);
        EXPECT_EQ(rc.language->GetSelection(), 2);
        EXPECT_EQ(LanguageIndex, 2);
        EXPECT_EQ(program.app->MainFrame()->NavigationWidth(), 457);
    }
    program.Stop();
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s choose|check|narrow|narrowed|fit <program folder>\n", argv[0]);
        return 100;
    }
    g_mode = argv[1];
    g_folder = argv[2];
    return RUN_ALL_TESTS();
}
