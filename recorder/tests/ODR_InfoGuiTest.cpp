// The recorder page in the running program: connect to the built-in
// simulated ECU, open the page from the navigation tree, press Read
// Information and read the list (its "No." cells from the screen too), the
// gauge and the buttons back; export; then disconnect and connect to the
// simulated ECU's second identity, where nothing of the first is shown and
// Export is refused.
#include "CODR_Info.h"
#include "CODR_Trip_Info.h"

#include "RecorderGlobals.h"

#include "LanguageTable.h"
#include "NILike.h"

#include "AppMessages.h"
#include "MainFrame.h"
#include "Navigation.h"
#include "NavigationModel.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "Pump.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "SimEcu.h"
#include "SimEcuProfile.h"
#include "SimEcuRecorderData.h"

#include "GuiDriver.h"
#include "ListCellPixels.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/treectrl.h>

#include "FileChooser.h"
#include "DecimalText.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
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

// Writes down the gauge and the label each time the read lets the window
// paint.
class GaugeWatch : public tarvel::MessagePump {
public:
    explicit GaugeWatch(CODR_Info* page) : page_(page), previous_(&tarvel::GetPump()) { tarvel::SetPump(this); }
    ~GaugeWatch() override { tarvel::SetPump(previous_); }
    void PumpPending() override
    {
        previous_->PumpPending();
        const std::string text = page_->PercentLabel()->GetLabel().utf8_string();
        if (seen.empty() || seen.back() != text)
            seen.push_back(text);
        values.push_back(page_->ProgressBar()->GetValue());
        // The bar shows what the label says.
        const int range = page_->ProgressBar()->GetRange();
        const std::string shown = std::to_string(page_->ProgressBar()->GetValue() * 100 / range) + "%";
        agree = agree && (text == shown || !page_->ProgressBar()->IsShown());
        readDisabled = readDisabled || !page_->ReadButton()->IsEnabled();
    }
    std::vector<std::string> seen;
    std::vector<int> values;
    bool readDisabled = false;
    bool agree = true;

private:
    CODR_Info* page_;
    tarvel::MessagePump* previous_;
};

std::string Cell(wxListCtrl* list, long row, int column) { return list->GetItemText(row, column).utf8_string(); }

using tarvel_test::Fixed;

TEST(OdrInfoGui, ConnectOpenTheRecorderAndReadEverything)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_recorder_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    // A shorter log by the simulated recorder's own rule (the full ring takes
    // the running program's bus most of a minute).
    sim::SimEcu* ecu = sim::BuiltInEcu();
    ASSERT_NE(ecu, nullptr);
    const sim::ecudata::OdrLog log = sim::ecudata::MakeOdrLog(40, 30, 7);
    sim::ecudata::InstallOdrRecorder(*ecu, log);
    CTarvelApp* app = program.app;
    const RibbonControls& rc = app->MainFrame()->Ribbon();
    Choose(rc.adapter, 0);
    Choose(rc.baudRate, 0);
    Press(rc.commButtons, ID_CAN_CONNECT);
    ASSERT_TRUE(PumpUntil([] { return EcuConnected.load() == 1; }));

    CNavigation* nav = app->MainFrame()->Navigation();
    wxPoint point;
    ASSERT_TRUE(PointOfPage(nav, tarvel::TabOdrInfo, point));
    EXPECT_EQ(nav->ClickAt(point), tarvel::NavClickOutcome::Selected);
    auto* page = dynamic_cast<CODR_Info*>(app->View()->Page(tarvel::TabOdrInfo));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(app->View()->TabCtrl()->IsTabShown(tarvel::TabOdrInfo));
    // The simulated ECU holds trips: the trip browser's tab is shown.
    EXPECT_TRUE(PumpUntil([app] { return app->View()->TabCtrl()->IsTabShown(tarvel::TabOdrTrip); }));
    EXPECT_FALSE(page->ExportButton()->IsEnabled());
    EXPECT_EQ(page->ReadButton()->GetLabel().utf8_string(), LanguageText(378));
    EXPECT_EQ(page->OdrInfoList()->GetColumnCount(), 5);

    std::vector<std::string> seen;
    bool readDisabled = false;
    bool agree = false;
    {
        GaugeWatch watch(page);
        wxCommandEvent click(wxEVT_BUTTON, CODR_Info::kReadButtonId);
        click.SetEventObject(page->ReadButton());
        page->ReadButton()->GetEventHandler()->ProcessEvent(click);
        seen = watch.seen;
        readDisabled = watch.readDisabled;
        agree = watch.agree;
    }
    wxListCtrl* list = page->OdrInfoList();
    for (const auto& box : program.prompter->Boxes())
        ADD_FAILURE() << "box [" << box.caption << "] " << box.text;
    EXPECT_EQ(OdrInfoDidTable.size(), 1u);
    ASSERT_EQ(list->GetItemCount(), 14);
    EXPECT_EQ(Cell(list, 0, 1), "Operating Time (min)");
    EXPECT_EQ(Cell(list, 0, 2), std::to_string(log.informationFacts.operatingMin % 60));
    EXPECT_EQ(Cell(list, 2, 2), Fixed(log.informationFacts.mileage, 1));
    EXPECT_EQ(Cell(list, 2, 3), "km");
    EXPECT_EQ(OdrTrips.size(), 40u);
    EXPECT_TRUE(readDisabled);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), "100%");
    EXPECT_NE(std::find(seen.begin(), seen.end(), "50%"), seen.end());
    EXPECT_TRUE(agree) << "the bar and the label showed different progress";
    EXPECT_EQ(page->ProgressBar()->GetRange(), 40);
    EXPECT_EQ(page->ProgressBar()->GetValue(), 40);
    EXPECT_TRUE(page->ProgressBar()->IsShown());
    EXPECT_EQ(page->PercentLabel()->GetLabel().utf8_string(), "100%");
    EXPECT_TRUE(page->ExportButton()->IsEnabled());
    EXPECT_TRUE(page->ReadButton()->IsEnabled());

    // The "No." cells hold the numbers and show them on a light background.
    for (long row = 0; row < list->GetItemCount(); ++row)
        EXPECT_EQ(Cell(list, row, 0), std::to_string(row + 1));
    for (long row : {0L, 1L}) {
        const list_pixels::CellPixels cell = list_pixels::ReadCell(list, row, 0);
        EXPECT_TRUE(list_pixels::ShowsTextOnALightBackground(cell))
            << "row " << row << ": " << cell.black << " of " << cell.total << " pixels black, " << cell.background
            << " of the background colour";
    }

    // Export: the chooser answers a path in the program's folder; the file
    // holds one trip item per simulated trip.
    tarvel::RecordingFileChooser chooser;
    tarvel::SetFileChooser(&chooser);
    const std::filesystem::path file = program.folder / "export.TSO";
    chooser.QueueAnswer(file.string());
    wxCommandEvent exportClick(wxEVT_BUTTON, CODR_Info::kExportButtonId);
    exportClick.SetEventObject(page->ExportButton());
    page->ExportButton()->GetEventHandler()->ProcessEvent(exportClick);
    ASSERT_EQ(program.prompter->Boxes().size(), 1u);
    EXPECT_EQ(program.prompter->Boxes()[0].text, LanguageText(179));
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t items = 0;
    for (size_t at = bytes.find("<start>"); at != std::string::npos; at = bytes.find("<start>", at + 1))
        ++items;
    EXPECT_EQ(items, 40u);
    EXPECT_NE(bytes.find("<CntOverload>123</CntOverload>"), std::string::npos);

    // Another ECU: disconnect, the simulated ECU takes its second identity
    // (as TARVEL_SIM_PROFILE=alternate starts it), connect, open the page.
    ASSERT_TRUE(guidriver::Disconnect(app));
    sim::ecudata::InstallProfile(*ecu, sim::ecudata::EcuProfile::Alternate);
    ASSERT_TRUE(guidriver::Connect(app));
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabOdrInfo));
    PumpUntil([] { return false; }, 5);
    EXPECT_EQ(list->GetItemCount(), 0) << "a row of the first ECU is shown";
    EXPECT_FALSE(page->ProgressBar()->IsShown() && page->ProgressBar()->GetValue() != 0);
    EXPECT_EQ(page->PercentLabel()->GetLabel().utf8_string(), "0%");
    auto* trips = dynamic_cast<CODR_Trip_Info*>(app->View()->Page(tarvel::TabOdrTrip));
    ASSERT_NE(trips, nullptr);
    EXPECT_EQ(trips->TripList()->GetItemCount(), 0) << "a trip of the first ECU is shown";
    EXPECT_EQ(trips->CountLabel()->GetLabel().utf8_string(), "/148");
    program.prompter->Clear();
    const size_t dialogs = chooser.Requests().size();
    page->ExportButton()->GetEventHandler()->ProcessEvent(exportClick);
    EXPECT_EQ(chooser.Requests().size(), dialogs) << "no file dialog before a read";
    ASSERT_EQ(program.prompter->Boxes().size(), 1u);
    EXPECT_EQ(program.prompter->Boxes()[0].text, LanguageText(402));
    tarvel::SetFileChooser(nullptr);
    program.Stop();
}

} // namespace
