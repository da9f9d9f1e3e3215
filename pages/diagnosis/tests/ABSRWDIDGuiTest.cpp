// The parameters page in the running program: connect to the built-in
// simulated ECU, open "Parameters Setting", choose "Calibration Parameters",
// edit one value in place, write, and find the new value in the ECU after
// the verification.
#include "CABSRWDID.h"

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

#include "SimEcu.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/grid.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <functional>
#include <initializer_list>

#include "ParameterDefinitions.h"
#include <vector>

namespace {

using guidriver::PumpUntil;
using guidriver::Choose;
using guidriver::Press;
using guidriver::Click;
using guidriver::PointOfPage;

int RowNamed(wxGrid* grid, const wxString& name)
{
    for (int r = 0; r < grid->GetNumberRows(); ++r)
        if (grid->GetCellValue(r, 1) == name)
            return r;
    return -1;
}

TEST(ParametersPageGui, ChooseEditWriteAndTheEcuHoldsTheNewValue)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_parameters_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();
    auto* page = dynamic_cast<CABSRWDID*>(app->View()->Page(tarvel::TabParameters));
    ASSERT_NE(page, nullptr);
    wxGrid* grid = page->Grid();
    EXPECT_EQ(grid->GetNumberCols(), 5);
    EXPECT_EQ(grid->GetColLabelValue(2), "Value");
    EXPECT_GE(grid->GetColSize(2), grid->GetTextExtent("Value").x); // the heading whole

    // Nothing to load or save before a record is chosen.
    EXPECT_FALSE(page->LoadButton()->IsEnabled());
    EXPECT_FALSE(page->SaveButton()->IsEnabled());

    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));

    // Connecting reads the ECU information: the definitions of this ECU load,
    // the list holds their records before it ever dropped down, and the
    // parameters page shows the vehicle configuration.
    wxComboBox* combo = page->Combo();
    ASSERT_TRUE(PumpUntil([combo] { return combo->GetCount() == 3; }));
    EXPECT_EQ(combo->GetString(1), "Calibration Parameters");
    EXPECT_GT(grid->GetNumberRows(), 0);
    EXPECT_FALSE(page->LoadButton()->IsEnabled());

    CNavigation* nav = app->MainFrame()->Navigation();
    wxPoint point;
    ASSERT_TRUE(PointOfPage(nav, tarvel::TabParameters, point));
    EXPECT_EQ(nav->ClickAt(point), tarvel::NavClickOutcome::Selected);
    ASSERT_TRUE(page->IsShownOnScreen() || app->View()->TabCtrl()->IsTabShown(tarvel::TabParameters));

    // The user picks the calibration record.
    const int at = combo->FindString("Calibration Parameters", true);
    ASSERT_NE(at, wxNOT_FOUND);
    combo->SetSelection(at);
    wxCommandEvent pick(wxEVT_COMBOBOX, combo->GetId());
    pick.SetInt(at);
    pick.SetEventObject(combo);
    combo->GetEventHandler()->ProcessEvent(pick);

    const int teeth = RowNamed(grid, "Exciter Teeth");
    ASSERT_GE(teeth, 0);
    const wxString before = grid->GetCellValue(teeth, 2);
    // The columns fit the shown grid: the value column in view.
    PumpUntil([] { return false; }, 5);
    EXPECT_LE(grid->GetColSize(0) + grid->GetColSize(1) + grid->GetColSize(2),
              grid->GetGridWindow()->GetClientSize().x);
    EXPECT_NE(before, "0");
    EXPECT_TRUE(page->WriteButton()->IsEnabled());
    EXPECT_TRUE(page->SaveButton()->IsEnabled());

    // Double-click the value, type, press Enter.
    wxGridEvent dclick(grid->GetId(), wxEVT_GRID_CELL_LEFT_DCLICK, grid, teeth, 2);
    grid->GetEventHandler()->ProcessEvent(dclick);
    ASSERT_TRUE(page->Editor()->IsShown());
    EXPECT_EQ(page->Editor()->GetValue(), before);
    page->Editor()->ChangeValue("90");
    wxKeyEvent enter(wxEVT_CHAR_HOOK);
    enter.m_keyCode = WXK_RETURN;
    enter.SetEventObject(page);
    page->GetEventHandler()->ProcessEvent(enter);
    EXPECT_FALSE(page->Editor()->IsShown());
    EXPECT_EQ(grid->GetCellValue(teeth, 2), "90");

    program.prompter->Clear();
    // While the ECU is prepared and written, nothing on the page can be
    // chosen or pressed (looked at from inside the write's first wait).
    std::vector<bool> enabledMeanwhile;
    page->CallAfter([&] {
        for (wxWindow* w : std::initializer_list<wxWindow*>{combo, page->ReadButton(), page->WriteButton(),
                                                            page->LoadButton(), page->SaveButton()})
            enabledMeanwhile.push_back(w->IsEnabled());
    });
    Click(page->WriteButton());
    EXPECT_EQ(enabledMeanwhile, std::vector<bool>(5, false));
    EXPECT_TRUE(combo->IsEnabled());
    EXPECT_TRUE(page->WriteButton()->IsEnabled());
    ASSERT_NE(sim::BuiltInEcu(), nullptr);
    const std::vector<uint8_t> stored = sim::BuiltInEcu()->Did(0x00A0).value_or(std::vector<uint8_t>{});
    ASSERT_GT(stored.size(), 59u);
    EXPECT_EQ(stored[59], 90);
    EXPECT_EQ(grid->GetCellValue(teeth, 2), "90"); // read back after the reset
    const auto boxes = program.prompter->Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "Parameters written successfully");

    // A value the row cannot take: the box names the row, the value and what
    // the row accepts, and nothing is written.
    const int load = RowNamed(grid, "Axle 2 Load (t)");
    ASSERT_GE(load, 0);
    wxGridEvent edit(grid->GetId(), wxEVT_GRID_CELL_LEFT_DCLICK, grid, load, 2);
    grid->GetEventHandler()->ProcessEvent(edit);
    ASSERT_TRUE(page->Editor()->IsShown());
    page->Editor()->ChangeValue("abc");
    page->GetEventHandler()->ProcessEvent(enter);
    program.prompter->Clear();
    Click(page->WriteButton());
    ASSERT_EQ(program.prompter->Count(), 1u);
    EXPECT_EQ(program.prompter->Boxes()[0].text,
              "This value cannot be written to the ECU.\n\nParameter: " + grid->GetCellValue(load, 0).utf8_string() +
                  ". Axle 2 Load (t)\nValue: \"abc\"\nAccepted values: 0 – 255 t");
    EXPECT_EQ(sim::BuiltInEcu()->Did(0x00A0).value_or(std::vector<uint8_t>{}), stored);

    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
    program.Stop();
}

} // namespace
