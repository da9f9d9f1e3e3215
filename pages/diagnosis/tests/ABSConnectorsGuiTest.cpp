// The connectors page in the running program: connect to the built-in
// simulated ECU, show the hidden tab through the page host, send the page
// its messages as a caller would, find the red cells of the pin two
// connectors claim and pick another assignment from a cell's drop-down list.
#include "ABSConnectors.h"
#include "ABSConnectorsLogic.h"

#include "AppMessages.h"
#include "AppMessagesEvent.h"
#include "DiagnosisGlobals.h"
#include "LanguageTable.h"
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
#include <wx/combobox.h>
#include <wx/grid.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/stattext.h>

#include <functional>

namespace {

using guidriver::PumpUntil;
using guidriver::Choose;
using guidriver::Press;

void ClickCell(wxGrid* grid, int row, int column)
{
    wxGridEvent event(grid->GetId(), wxEVT_GRID_CELL_LEFT_CLICK, grid, row, column);
    grid->GetEventHandler()->ProcessEvent(event);
}

bool Red(wxGrid* grid, int row, int column)
{
    return grid->GetCellBackgroundColour(row, column) == wxColour(255, 0, 0);
}

TEST(ConnectorsGui, TheShownPageListsTheConnectorsAndMarksTheDoubleClaimedPin)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_connectors_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();
    auto* page = dynamic_cast<ABSConnectors*>(app->View()->Page(tarvel::TabConnectors));
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(app->View()->TabCtrl()->IsTabShown(tarvel::TabConnectors)) << "the tab starts hidden";
    wxGrid* gio = page->GioList();
    wxGrid* list = page->ConnectorList();
    EXPECT_EQ(gio->GetId(), ABSConnectors::kGioListId);
    EXPECT_EQ(list->GetId(), ABSConnectors::kConnectorListId);
    EXPECT_EQ(list->GetColLabelValue(2), "Function");
    EXPECT_EQ(gio->GetColLabelValue(2), "Pin 1");
    EXPECT_EQ(list->GetNumberRows(), 0);

    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));

    ASSERT_TRUE(app->View()->TabCtrl()->ShowTab(tarvel::TabConnectors, true, true, true));
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabConnectors));
    ASSERT_TRUE(PumpUntil([page] { return page->IsShownOnScreen(); }));

    EXPECT_TRUE(SendAppMessage(page, WM_CONNECTORS_READ_VERSION));
    EXPECT_TRUE(SendAppMessage(page, WM_CONNECTORS_RELABEL));
    EXPECT_TRUE(SendAppMessage(page, WM_CONNECTORS_REFRESH));
    EXPECT_EQ(program.prompter->Count(), 0u);

    EXPECT_EQ(page->RequiredValue()->GetLabel(), "3");
    EXPECT_EQ(page->CurrentValue()->GetLabel(), "2");
    EXPECT_EQ(page->RequiredValue()->GetFont(), page->PageFont());
    EXPECT_TRUE(page->UpdateButton()->IsShown()) << "version 2 is held, 3 required, an update offered";
    EXPECT_EQ(page->UpdateButton()->GetLabel().utf8_string(), LanguageText(590));

    ASSERT_EQ(gio->GetNumberRows(), 5);
    ASSERT_EQ(list->GetNumberRows(), 16);
    EXPECT_EQ(gio->GetCellValue(2, 1), "GIO 3");
    EXPECT_EQ(gio->GetCellValue(2, 2), "X10 X15 ");
    EXPECT_EQ(gio->GetRowSize(0), ABSConnectors::kRowHeight);
    // The pin two connectors claim, and every pin they keep, are red.
    EXPECT_TRUE(Red(gio, 2, 2));
    EXPECT_TRUE(Red(gio, 2, 3));
    EXPECT_FALSE(Red(gio, 0, 2));
    EXPECT_FALSE(Red(gio, 2, 4));
    EXPECT_EQ(list->GetCellValue(9, 0), "X10");
    EXPECT_EQ(list->GetCellValue(9, 1), "Tilt warning lamp");
    EXPECT_EQ(list->GetCellValue(9, 2), "GIO3 Pin1");
    EXPECT_TRUE(Red(list, 9, 2));
    EXPECT_TRUE(Red(list, 14, 2));
    EXPECT_FALSE(Red(list, 9, 1));
    EXPECT_FALSE(Red(list, 2, 2));

    // A click on X15's assignment opens its drop-down; choosing "None" shows it.
    ClickCell(list, 14, 2);
    ASSERT_TRUE(list->IsCellEditControlShown());
    wxGridCellEditor* editor = list->GetCellEditor(14, 2);
    auto* combo = dynamic_cast<wxComboBox*>(editor->GetControl());
    editor->DecRef();
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->GetCount(), 2u);
    EXPECT_EQ(combo->GetString(0), "GIO3 Pin1&3");
    combo->SetSelection(1);
    list->SaveEditControlValue();
    list->HideCellEditControl();
    EXPECT_EQ(list->GetCellValue(14, 2), "None");
    EXPECT_EQ(page->LogicAs<ABSConnectorsLogic>()->State().connectorRows[14].Assignment, "None");
    EXPECT_EQ(program.prompter->Count(), 0u);
    program.Stop();
}

} // namespace
