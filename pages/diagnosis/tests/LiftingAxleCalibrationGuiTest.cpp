// The lifting-axle calibration page in the running program: connect to the
// built-in simulated ECU (its grid gets the rows of its definition), let the
// parameters page's messages read and write the block, open the page with the
// parameters page and edit a value in place as a user would.
#include "CLiftingAxleCalibration.h"

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
#include "WindowRegistry.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/choice.h>
#include <wx/grid.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <functional>
#include <vector>

namespace {

using guidriver::PumpUntil;
using guidriver::Choose;
using guidriver::Press;
using guidriver::PointOfPage;

void DoubleClickCell(wxGrid* grid, int row, int column)
{
    wxGridEvent event(grid->GetId(), wxEVT_GRID_CELL_LEFT_DCLICK, grid, row, column);
    grid->GetEventHandler()->ProcessEvent(event);
}

using guidriver::PressKey;

TEST(LiftingAxleCalibrationGui, TheTabShowsTheRowsReadFromTheEcuAndEditsThemInPlace)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_liftingaxle_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();
    auto* page = dynamic_cast<CLiftingAxleCalibration*>(app->View()->Page(tarvel::TabLiftingAxleCalibration));
    ASSERT_NE(page, nullptr);
    wxGrid* grid = page->Grid();
    EXPECT_EQ(grid->GetNumberCols(), 5);
    EXPECT_EQ(grid->GetColLabelValue(1), "Parameter Name");
    EXPECT_EQ(grid->GetNumberRows(), 0);

    // Connecting reloads the definition and shows placeholder rows.
    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));
    ASSERT_TRUE(PumpUntil([grid] { return grid->GetNumberRows() == 12; }));
    // The parameters page reloaded the vehicle configuration, found the lift
    // function and had this page read the ECU's values.
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 1);
    EXPECT_EQ(grid->GetCellValue(1, 2), "1");
    EXPECT_EQ(grid->GetRowSize(0), CLiftingAxleCalibration::kRowHeight);

    // The parameters page found the lifting-axle calibration fitted and asks
    // this page to read; the user then opens the parameters page.
    LiftingAxleCalibrationEnabled = 1;
    ASSERT_TRUE(tarvel::SendToRegisteredWindow(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_READ));
    CNavigation* nav = app->MainFrame()->Navigation();
    wxPoint point;
    ASSERT_TRUE(PointOfPage(nav, tarvel::TabParameters, point));
    EXPECT_EQ(nav->ClickAt(point), tarvel::NavClickOutcome::Selected);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabLiftingAxleCalibration));
    EXPECT_EQ(grid->GetCellValue(0, 1), "Lifting Axle Function");
    EXPECT_EQ(grid->GetCellValue(1, 2), "1");
    EXPECT_EQ(grid->GetCellValue(3, 2), "2.50");
    EXPECT_EQ(grid->GetCellValue(3, 3), "bar");
    EXPECT_EQ(grid->GetCellValue(11, 2), "172");
    EXPECT_EQ(LiftingAxleTestEnabled, 1);

    // Double-click the lifting speed, type, press Enter.
    DoubleClickCell(grid, 9, 2);
    ASSERT_TRUE(page->Editor()->IsShown());
    EXPECT_EQ(page->Editor()->GetValue(), "30");
    page->Editor()->ChangeValue("40");
    PressKey(page, WXK_RETURN);
    EXPECT_FALSE(page->Editor()->IsShown());
    EXPECT_EQ(grid->GetCellValue(9, 2), "40");
    // A double-click on another column opens nothing.
    DoubleClickCell(grid, 9, 1);
    EXPECT_FALSE(page->Editor()->IsShown());

    // The parameters page's write.
    ASSERT_TRUE(tarvel::SendToRegisteredWindow(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_WRITE));
    EXPECT_EQ(LiftingAxleWriteOk, 1);
    EXPECT_EQ(grid->GetCellValue(11, 2), "182");
    EXPECT_EQ(program.prompter->Count(), 0u);

    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
    EXPECT_EQ(grid->GetNumberRows(), 12); // a disconnect keeps the grid
    program.Stop();
}

} // namespace
