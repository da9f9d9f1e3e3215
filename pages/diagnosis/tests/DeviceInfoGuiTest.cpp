// The ECU information page in the running program: connect to the built-in
// simulated ECU, click the page in the navigation tree, read the label.
#include "CDeviceInfo.h"

#include "DiagnosisGlobals.h"
#include "LanguageTable.h"
#include "NILike.h"

#include "AppMessages.h"
#include "MainFrame.h"
#include "Navigation.h"
#include "NavigationModel.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "SimEcuData.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/stattext.h>
#include <wx/treectrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using guidriver::PumpUntil;
using guidriver::Choose;
using guidriver::Press;
using guidriver::PointOfPage;

std::string Label(wxWindow* window)
{
    return window->GetLabel().utf8_string();
}

std::string BoxList(const tarvel::RecordingPrompter& prompter)
{
    std::string text;
    for (const auto& box : prompter.Boxes())
        text += "[" + box.caption + "] " + box.text + "\n";
    return text;
}

TEST(DeviceInfoGui, ConnectOpenTheInformationPageAndReadTheIdentity)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_diagnosis_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();

    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));

    CNavigation* nav = app->MainFrame()->Navigation();
    wxPoint point;
    ASSERT_TRUE(PointOfPage(nav, tarvel::TabDeviceInfo, point));
    EXPECT_EQ(nav->ClickAt(point), tarvel::NavClickOutcome::Selected);

    auto* page = dynamic_cast<CDeviceInfo*>(app->View()->Page(tarvel::TabDeviceInfo));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabDeviceInfo));
    // The connect filled the page: every pair the stored-parameter file names.
    EXPECT_TRUE(PumpUntil([page] { return page->SupplierLabel()->GetLabel() == sim::ecudata::kSupplierId; }));
    EXPECT_EQ(page->SupplierLabel()->GetLabel(), sim::ecudata::kSupplierId);
    const std::vector<std::string> values = {
        sim::ecudata::kSupplierId,      sim::ecudata::kHardwareNumber, sim::ecudata::kHardwareVersion,
        sim::ecudata::kSoftwareNumber,  sim::ecudata::kSoftwareVersion, sim::ecudata::kSystemForm,
        sim::ecudata::kIdentF1F4,       sim::ecudata::kCalibrationVersion};
    for (int i = 0; i < CDeviceInfo::kPairCount; ++i) {
        const bool used = i < static_cast<int>(values.size());
        EXPECT_EQ(page->NameLabel(i)->IsShown(), used) << "pair " << i;
        EXPECT_EQ(page->ValueLabel(i)->IsShown(), used) << "pair " << i;
        if (used) {
            EXPECT_EQ(Label(page->ValueLabel(i)), values[static_cast<size_t>(i)]) << "pair " << i;
        }
    }
    EXPECT_EQ(Label(page->NameLabel(0)), "System Supplier:");
    EXPECT_EQ(Label(page->NameLabel(7)), "Calibration Version:");
    EXPECT_EQ(page->NameLabel(0)->GetId(), 1275);
    EXPECT_EQ(page->ValueLabel(9)->GetId(), 1304);
    // The status line: the simulated ECU has faults failing now.
    EXPECT_TRUE(PumpUntil([page] { return !page->StatusLabel()->GetLabel().empty(); }));
    EXPECT_EQ(Label(page->StatusLabel()), LanguageText(633));
    EXPECT_EQ(page->StatusLabel()->TextColour(), 0x0000FFu);
    EXPECT_EQ(Label(page->ReadButton()), LanguageText(25));
    EXPECT_EQ(Label(page->FaultMemoryButton()), LanguageText(632));
    EXPECT_EQ(Label(page->VersionButton()), LanguageText(635));
    EXPECT_EQ(EcuSoftwareVersion, sim::ecudata::kSoftwareVersion);

    // Read Information again, as the user would.
    wxCommandEvent click(wxEVT_BUTTON, CDeviceInfo::kReadButtonId);
    click.SetEventObject(page->ReadButton());
    page->ReadButton()->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(Label(page->ValueLabel(5)), sim::ecudata::kSystemForm);
    EXPECT_EQ(program.prompter->Count(), 0u) << BoxList(*program.prompter);

    // Enter and Escape stop at the page; other keys go on up.
    const auto reachedFrame = guidriver::KeysReachingTheWindow(app->MainFrame(), page->ReadButton());
    EXPECT_EQ(*reachedFrame, (std::vector<int>{int('A')}));
    EXPECT_EQ(program.prompter->Count(), 0u) << BoxList(*program.prompter);

    Press(rc.commButtons, ID_DISCONNECTCAN);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 0; }));
    EXPECT_TRUE(page->SupplierLabel()->GetLabel().empty());
    program.Stop();
}

} // namespace
