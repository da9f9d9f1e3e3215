// Lists and grids keep their last column in view, in every language, at the
// stations' 1024 x 768 and down to a 900 x 650 window (output pane shown):
// each list is filled as the user fills it, from the simulated ECU through
// the program's own window, and then
//   - its columns end inside the visible part of the list: it does not
//     scroll sideways and the last column (the description) is in view with
//     its heading whole;
//   - a text cut short in its cell (it ends in an ellipsis) shows whole as
//     the tool tip where the mouse rests on it.
// The lines of the Trouble Codes list and of the fault check's list are held
// to the same: no sideways scrolling, a line too long for the list shows
// whole on hover.
#include "PageTour.h"

#include "CABSDTCInformation.h"
#include "CABSEOLDtcTest.h"
#include "CABSMonitor.h"
#include "CABSRWDID.h"
#include "CLiftingAxleCalibration.h"
#include "CODR_Info.h"
#include "CODR_Trip_Info.h"
#include "CPrintSystemTag.h"
#include "EolGlobals.h"
#include "FittedColumns.h"
#include "SimEcu.h"
#include "SimEcuRecorderData.h"
#include "Timer.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/grid.h>
#include <wx/listctrl.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

struct FitCase {
    pagetour::Language language;
    wxSize size;
};

// The room a cell's text needs beside it to be read whole.
constexpr int kCellAir = 6;

// The checks on one list or grid, reported with where they were made.
class LastColumnChecker {
public:
    explicit LastColumnChecker(std::string where) : where_(std::move(where)) {}

    void Check(wxListCtrl* list, const char* what)
    {
        const std::string at = where_ + " " + what;
        ASSERT_NE(list, nullptr) << at;
        ASSERT_GT(list->GetColumnCount(), 0) << at;
        wxWindow* rows = RowWindowOf(list);
        int right = 0;
        for (int c = 0; c < list->GetColumnCount(); ++c)
            right += list->GetColumnWidth(c);
        const int visible = rows->GetClientSize().x;
        EXPECT_LE(right, visible) << at << ": the last column ends at " << right << ", past the visible " << visible;
        EXPECT_EQ(list->GetScrollPos(wxHORIZONTAL), 0) << at << ": scrolled sideways";
        const int last = list->GetColumnCount() - 1;
        wxListItem heading;
        heading.SetMask(wxLIST_MASK_TEXT);
        list->GetColumn(last, heading);
        if (!heading.GetText().empty()) {
            EXPECT_GE(list->GetColumnWidth(last), list->GetTextExtent(heading.GetText()).x + kCellAir)
                << at << ": the heading '" << heading.GetText().utf8_string() << "' is cut";
        }
        // Every cut text of the last column shows whole on hover.
        for (long r = 0; r < list->GetItemCount(); ++r) {
            const wxString text = list->GetItemText(r, last);
            if (list->GetTextExtent(text).x + kCellAir <= list->GetColumnWidth(last))
                continue;
            ++cut_;
            wxRect cell;
            ASSERT_TRUE(list->GetSubItemRect(r, last, cell)) << at;
            if (rows != list)
                cell.Offset(-rows->GetPosition());
            wxMouseEvent motion(wxEVT_MOTION);
            motion.SetPosition(cell.GetTopLeft() + wxPoint(4, cell.height / 2));
            motion.SetEventObject(rows);
            rows->GetEventHandler()->ProcessEvent(motion);
            EXPECT_EQ(rows->GetToolTipText(), text) << at << " row " << r << ": no tool tip with the whole text";
        }
    }

    void Check(wxGrid* grid, const char* what)
    {
        const std::string at = where_ + " " + what;
        ASSERT_NE(grid, nullptr) << at;
        ASSERT_GT(grid->GetNumberCols(), 0) << at;
        int right = 0;
        for (int c = 0; c < grid->GetNumberCols(); ++c)
            right += grid->GetColSize(c);
        const int visible = grid->GetGridWindow()->GetClientSize().x;
        EXPECT_LE(right, visible) << at << ": the last column ends at " << right << ", past the visible " << visible;
        EXPECT_EQ(grid->GetViewStart().x, 0) << at << ": scrolled sideways";
        const int last = grid->GetNumberCols() - 1;
        const wxString heading = grid->GetColLabelValue(last);
        int headingWidth = 0;
        const wxFont labelFont = grid->GetLabelFont();
        grid->GetTextExtent(heading, &headingWidth, nullptr, nullptr, nullptr, &labelFont);
        EXPECT_GE(grid->GetColSize(last), headingWidth + kCellAir)
            << at << ": the heading '" << heading.utf8_string() << "' is cut";
        wxWindow* cells = grid->GetGridWindow();
        for (int r = 0; r < grid->GetNumberRows(); ++r) {
            const wxString text = grid->GetCellValue(r, last);
            int width = 0;
            const wxFont font = grid->GetCellFont(r, last);
            grid->GetTextExtent(text, &width, nullptr, nullptr, nullptr, &font);
            if (width + kCellAir <= grid->GetColSize(last))
                continue;
            ++cut_;
            const wxRect cell = grid->CellToRect(r, last);
            wxMouseEvent motion(wxEVT_MOTION);
            motion.SetPosition(grid->CalcScrolledPosition(cell.GetTopLeft() + wxPoint(4, cell.height / 2)));
            motion.SetEventObject(cells);
            cells->GetEventHandler()->ProcessEvent(motion);
            EXPECT_EQ(cells->GetToolTipText(), text) << at << " row " << r << ": no tool tip with the whole text";
        }
    }

    // How many cut texts the checks met (each of them hovered).
    int Cut() const { return cut_; }

private:
    std::string where_;
    int cut_ = 0;
};

std::string Name(const FitCase& c)
{
    return std::string(c.language.tag) + "_" + std::to_string(c.size.x) + "x" + std::to_string(c.size.y);
}

class ListFit : public ::testing::TestWithParam<FitCase> {
protected:
    void SetUp() override
    {
        // The program makes its own folder the working folder; the next
        // case starts from the build's again.
        startFolder_ = std::filesystem::current_path();
        const FitCase& c = GetParam();
        ASSERT_TRUE(pagetour::StartIn(program_, "list_fit_" + Name(c), c.language.index));
        app_ = program_.app;
        ASSERT_TRUE(pagetour::SizeWindow(app_->MainFrame(), c.size));
        ASSERT_TRUE(guidriver::Connect(app_));
    }
    void TearDown() override
    {
        program_.Stop();
        std::filesystem::current_path(startFolder_);
    }

    std::string Where() const { return Name(GetParam()); }

    tarvel_test::ProgramUnderTest program_;
    CTarvelApp* app_ = nullptr;
    std::filesystem::path startFolder_;
};

// The recorder's two lists, the parameter grids, the live data and the
// system tag, each filled as after its read.
TEST_P(ListFit, EveryFittedListShowsItsLastColumn)
{
    CTarvelView* view = app_->View();
    LastColumnChecker check(Where());

    sim::SimEcu* ecu = sim::BuiltInEcu();
    ASSERT_NE(ecu, nullptr);
    sim::ecudata::InstallOdrRecorder(*ecu, sim::ecudata::MakeOdrLog(3, 2, 7));
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabOdrInfo));
    auto* odr = dynamic_cast<CODR_Info*>(view->Page(tarvel::TabOdrInfo));
    ASSERT_NE(odr, nullptr);
    guidriver::Click(odr->ReadButton());
    ASSERT_TRUE(guidriver::PumpUntil([odr] { return odr->ExportButton()->IsEnabled(); }));
    pagetour::Settle();
    ASSERT_GT(odr->OdrInfoList()->GetItemCount(), 0);
    check.Check(odr->OdrInfoList(), "recorder information");
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabOdrTrip));
    auto* trips = dynamic_cast<CODR_Trip_Info*>(view->Page(tarvel::TabOdrTrip));
    ASSERT_NE(trips, nullptr);
    guidriver::Click(dynamic_cast<wxButton*>(trips->FindWindow(CODR_Trip_Info::kLatestId)));
    pagetour::Settle();
    ASSERT_GT(trips->TripList()->GetItemCount(), 0);
    check.Check(trips->TripList(), "trip browser");

    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabParameters));
    auto* parameters = dynamic_cast<CABSRWDID*>(view->Page(tarvel::TabParameters));
    ASSERT_NE(parameters, nullptr);
    ASSERT_GT(parameters->Grid()->GetNumberRows(), 0);
    check.Check(parameters->Grid(), "parameters");
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabLiftingAxleCalibration));
    auto* lifting = dynamic_cast<CLiftingAxleCalibration*>(view->Page(tarvel::TabLiftingAxleCalibration));
    ASSERT_NE(lifting, nullptr);
    check.Check(lifting->Grid(), "lifting-axle calibration");

    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabMonitor));
    auto* monitor = dynamic_cast<CABSMonitor*>(view->Page(tarvel::TabMonitor));
    ASSERT_NE(monitor, nullptr);
    check.Check(monitor->ValueList(), "live data");

    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabSystemTag));
    auto* tag = dynamic_cast<CPrintSystemTag*>(view->Page(tarvel::TabSystemTag));
    ASSERT_NE(tag, nullptr);
    guidriver::Click(tag->ReadButton());
    pagetour::Settle();
    ASSERT_GT(tag->List()->GetItemCount(), 0);
    check.Check(tag->List(), "system tag");

    // The descriptions are longer than the room they get, so the hover was
    // tried.
    if (GetParam().language.index != 0) {
        EXPECT_GT(check.Cut(), 0) << Where();
    }
}

// The Trouble Codes list after Read DTC.
TEST_P(ListFit, TroubleCodesShowLongLinesWholeOnHover)
{
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabTroubleCodes));
    auto* page = dynamic_cast<CABSDTCInformation*>(app_->View()->Page(tarvel::TabTroubleCodes));
    ASSERT_NE(page, nullptr);
    // The simulated ECU's faults, read (a read the busy bus lets time out is
    // tried again, as the user would).
    auto faultsRead = [page] {
        for (const wxString& line : LinesOf(page->FaultList()))
            if (line.Contains("C0113"))
                return true;
        return false;
    };
    for (int tries = 0; tries < 3 && !faultsRead(); ++tries) {
        guidriver::Click(page->ReadDtcButton());
        pagetour::Settle();
    }
    ASSERT_TRUE(faultsRead()) << Where();
    LastColumnChecker check(Where());
    check.Check(page->FaultList(), "trouble codes");
    // Its first line is longer than the list in Russian.
    if (GetParam().language.index == 2) {
        EXPECT_GT(check.Cut(), 0) << Where();
    }
}

std::vector<FitCase> Cases()
{
    std::vector<FitCase> cases;
    for (const pagetour::Language& language : pagetour::kLanguages)
        for (const wxSize& size : {wxSize(1024, 768), wxSize(900, 650)})
            cases.push_back({language, size});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Windows, ListFit, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<FitCase>& info) { return Name(info.param); });

// The fault check's list after a run: the pages' timers run on a virtual
// clock the test moves.
class FaultCheckListFit : public ::testing::TestWithParam<pagetour::Language> {
protected:
    void SetUp() override
    {
        startFolder_ = std::filesystem::current_path();
        CTarvelApp::SetTimerFactoryForTests(&pageTimers_);
        ASSERT_TRUE(pagetour::StartIn(program_, std::string("fault_check_fit_") + GetParam().tag, GetParam().index));
        app_ = program_.app;
        ASSERT_TRUE(pagetour::SizeWindow(app_->MainFrame(), wxSize(1024, 768)));
        ASSERT_TRUE(guidriver::Connect(app_));
    }
    void TearDown() override
    {
        program_.Stop();
        CTarvelApp::SetTimerFactoryForTests(nullptr);
        std::filesystem::current_path(startFolder_);
    }

    tarvel::VirtualClock pageTime_{1000000};
    tarvel::VirtualTimerFactory pageTimers_{pageTime_};
    tarvel_test::ProgramUnderTest program_;
    CTarvelApp* app_ = nullptr;
    std::filesystem::path startFolder_;
};

TEST_P(FaultCheckListFit, TheFaultListNeverScrollsSideways)
{
    const std::string where = std::string(GetParam().tag) + " 1024x768";
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabEolDtc));
    auto* page = dynamic_cast<CABSEOLDtcTest*>(app_->View()->Page(tarvel::TabEolDtc));
    ASSERT_NE(page, nullptr);
    guidriver::Click(page->StartButton());
    for (int k = 0; k < 5 && EolTestIdle.load() != 1; ++k) {
        pageTime_.Advance(1000 * 1000);
        pagetour::Settle(3);
    }
    ASSERT_TRUE(guidriver::PumpUntil([] { return EolTestIdle.load() == 1; })) << where;
    pagetour::Settle();
    ASSERT_GT(page->FaultList()->GetItemCount(), 0) << where;
    LastColumnChecker check(where);
    check.Check(page->FaultList(), "fault check");
    // Its line is longer than the list in Russian, in the page's large font.
    if (GetParam().index == 2) {
        EXPECT_GT(check.Cut(), 0) << where;
    }
    // Cleared and filled with a short line, it leaves no sideways scrolling
    // behind.
    guidriver::Click(page->ClearContentsButton());
    pagetour::Settle();
    EXPECT_EQ(page->FaultList()->GetItemCount(), 0) << where;
    check.Check(page->FaultList(), "fault check, cleared");
}

INSTANTIATE_TEST_SUITE_P(Languages, FaultCheckListFit, ::testing::ValuesIn(pagetour::kLanguages),
                         [](const ::testing::TestParamInfo<pagetour::Language>& info) {
                             return std::string(info.param.tag);
                         });

} // namespace
