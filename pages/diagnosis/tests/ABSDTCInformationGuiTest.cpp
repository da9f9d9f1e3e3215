// The fault memory page in the running program: connect to the built-in
// simulated ECU, open "Trouble Codes" in the navigation tree, press Read DTC
// and read the fault list back from the list box.
#include "CABSDTCInformation.h"

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

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/treectrl.h>

#include <functional>
#include <vector>

namespace {

using guidriver::PumpUntil;
using guidriver::Choose;
using guidriver::Press;
using guidriver::Click;
using guidriver::PointOfPage;

std::vector<wxString> Lines(wxListBox* list)
{
    std::vector<wxString> lines;
    for (unsigned i = 0; i < list->GetCount(); ++i)
        lines.push_back(list->GetString(i));
    return lines;
}

bool Holds(const std::vector<wxString>& lines, const wxString& line)
{
    for (const wxString& l : lines)
        if (l == line)
            return true;
    return false;
}

TEST(FaultMemoryGui, ConnectOpenTroubleCodesAndReadTheFaults)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_diagnosis_gui_dtc")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();

    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));

    CNavigation* nav = app->MainFrame()->Navigation();
    wxPoint point;
    ASSERT_TRUE(PointOfPage(nav, tarvel::TabTroubleCodes, point));
    EXPECT_EQ(nav->ClickAt(point), tarvel::NavClickOutcome::Selected);

    auto* page = dynamic_cast<CABSDTCInformation*>(app->View()->Page(tarvel::TabTroubleCodes));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabTroubleCodes));
    EXPECT_EQ(page->ReadDtcButton()->GetLabel(), "Read DTC");
    EXPECT_EQ(page->ClearDtcButton()->GetLabel(), "Clear DTC");
    EXPECT_EQ(page->ClearContentsButton()->GetLabel(), "Clear Contents");
    EXPECT_EQ(page->FaultList()->GetCount(), 0u);

    Click(page->ReadDtcButton());
    const std::vector<wxString> lines = Lines(page->FaultList());
    EXPECT_TRUE(Holds(lines, "1. Current Fault :  C0113 -- Sensor c wheel speed signal implausible"));
    EXPECT_TRUE(Holds(lines, "2. History Fault :  U1087 -- No CAN message from the towing vehicle"));
    EXPECT_TRUE(Holds(lines, "3. History Fault :  0x4811  Trouble Code Undefined"));
    EXPECT_EQ(program.prompter->Count(), 0u);

    Click(page->ClearContentsButton());
    EXPECT_EQ(page->FaultList()->GetCount(), 0u);

    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
    EXPECT_EQ(DtcReadPending, 0);
    program.Stop();
}

} // namespace
