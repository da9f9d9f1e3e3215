// The monitor page in the running program: connect to the built-in
// simulated ECU, open Data Flow, check two DIDs, press Display and watch the
// values move; Disconnect stops the worker.
#include "CABSMonitor.h"

#include "ABSMonitorLogic.h"
#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "MainFrame.h"
#include "Navigation.h"
#include "NavigationModel.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "FileChooser.h"
#include "GuiDriver.h"
#include "ListCellPixels.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/treectrl.h>
#include <wx/utils.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

namespace {

using guidriver::Choose;
using guidriver::Press;
using guidriver::Click;
using guidriver::PointOfPage;

// Dispatches events until `done` or `seconds` of real time have passed.
bool PumpUntil(const std::function<bool()>& done, int seconds = 10)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done() && std::chrono::steady_clock::now() < limit) {
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
    return done();
}

void Tick(wxCheckListBox* list, unsigned row)
{
    list->Check(row, true);
    wxCommandEvent event(wxEVT_CHECKLISTBOX, list->GetId());
    event.SetInt(static_cast<int>(row));
    event.SetEventObject(list);
    list->GetEventHandler()->ProcessEvent(event);
}

TEST(MonitorGui, CheckTwoDidsDisplayAndWatchTheValuesMoveUntilDisconnect)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_monitor_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 0);
    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();

    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));

    CNavigation* nav = app->MainFrame()->Navigation();
    wxPoint point;
    ASSERT_TRUE(PointOfPage(nav, tarvel::TabMonitor, point));
    EXPECT_EQ(nav->ClickAt(point), tarvel::NavClickOutcome::Selected);
    auto* page = dynamic_cast<CABSMonitor*>(app->View()->Page(tarvel::TabMonitor));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabMonitor));
    ASSERT_EQ(page->DidList()->GetCount(), 9u);
    EXPECT_EQ(page->DisplayButton()->GetLabel(), "Display");

    Tick(page->DidList(), 0); // wheel speeds
    Tick(page->DidList(), 1); // demand pressure
    Click(page->DisplayButton());
    EXPECT_EQ(page->DisplayButton()->GetLabel(), "Stop");
    wxListCtrl* values = page->ValueList();
    ASSERT_TRUE(PumpUntil([values] { return values->GetItemCount() == 5; }));
    EXPECT_EQ(values->GetItemText(0, 1), "Wheel Speed c");
    EXPECT_EQ(values->GetItemText(4, 3), "bar");
    const wxString first = values->GetItemText(0, 2);
    EXPECT_FALSE(first.empty());
    // The "No." cells show their numbers on the list's own background.
    for (long row : {0L, 1L}) {
        EXPECT_EQ(values->GetItemText(row, 0), std::to_string(row + 1));
        const list_pixels::CellPixels cell = list_pixels::ReadCell(values, row, 0);
        EXPECT_TRUE(list_pixels::ShowsTextOnALightBackground(cell))
            << "row " << row << ": " << cell.black << " of " << cell.total << " pixels black, " << cell.background
            << " of the background colour";
    }
    // The next cycle comes after the 3 s pause and the 1 s period.
    EXPECT_TRUE(PumpUntil([values, first] { return values->GetItemText(0, 2) != first; }, 10));

    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
    EXPECT_EQ(MonitorRunning.load(), 0);
    auto* logic = page->LogicAs<ABSMonitorLogic>();
    ASSERT_NE(logic, nullptr);
    EXPECT_FALSE(logic->WorkerAlive());
    EXPECT_EQ(page->DisplayButton()->GetLabel(), "Display");
    EXPECT_EQ(program.prompter->Count(), 0u);
    program.Stop();
}

TEST(MonitorGui, RecordingAsksForTicksThenRecordsWholeLinesIntoTheNameTyped)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_monitor_gui_recording")) << "the program did not start";
    PumpUntil([] { return false; }, 0);
    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabMonitor));
    auto* page = dynamic_cast<CABSMonitor*>(app->View()->Page(tarvel::TabMonitor));
    ASSERT_NE(page, nullptr);
    tarvel::RecordingFileChooser chooser;
    tarvel::SetFileChooser(&chooser);

    // Nothing ticked: the box says so, no dialog, no file.
    Click(page->RecordingButton());
    ASSERT_EQ(program.prompter->Count(), 1u);
    EXPECT_EQ(program.prompter->Boxes()[0].text, "No data item is ticked: there is nothing to record");
    EXPECT_TRUE(chooser.Requests().empty());
    EXPECT_EQ(page->RecordingButton()->GetLabel(), "Recording");

    // Ticked: "rec" typed beside an older rec.csv is asked about, then recorded.
    const std::filesystem::path older = program.folder / "rec.csv";
    std::ofstream(older) << "older\n";
    Tick(page->DidList(), 1); // demand pressure
    chooser.QueueAnswer((program.folder / "rec").string());
    program.prompter->QueueAnswer(tarvel::MsgAnswer::Yes);
    Click(page->RecordingButton());
    ASSERT_EQ(chooser.Requests().size(), 1u);
    EXPECT_EQ(chooser.Requests()[0].fileName.rfind("Monitor-", 0), 0u);
    ASSERT_EQ(program.prompter->Count(), 2u);
    EXPECT_EQ(program.prompter->Boxes()[1].caption, "Confirm Save");
    EXPECT_EQ(page->RecordingButton()->GetLabel(), "Stop Recording");
    Click(page->DisplayButton());
    // The first cycle writes the header line.
    ASSERT_TRUE(PumpUntil([page] { return page->ValueList()->GetItemCount() == 1; }));
    Click(page->RecordingButton());
    EXPECT_EQ(page->RecordingButton()->GetLabel(), "Recording");
    Click(page->DisplayButton());
    tarvel::SetFileChooser(nullptr);
    std::ifstream in(older, std::ios::binary);
    std::stringstream csv;
    csv << in.rdbuf();
    EXPECT_EQ(csv.str().substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(csv.str().substr(3, 21), "bar-Demand Pressure,\n");
    EXPECT_EQ(csv.str().back(), '\n');
    EXPECT_EQ(program.prompter->Count(), 2u);
    program.Stop();
}

} // namespace
