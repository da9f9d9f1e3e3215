// Every page fits its tab and its texts, in every language and at the window
// sizes of the stations (1024 x 768 and 1280 x 800, output pane shown): each
// page is opened as the user opens it and then
//   - it opens at its top and never scrolls sideways;
//   - its buttons lie inside the visible page without scrolling;
//   - every control lies inside the visible page once scrolled to;
//   - no text control is smaller than its text: not smaller than the size it
//     asks for, nor than its text measured in its own font;
// and the navigation tree shows every caption whole. Every grid and report
// list, filled as after a read, shows its value column whole and in view
// without scrolling sideways, each value (and the heading) fitting it.
#include "Describe.h"
#include "PageTour.h"

#include "ABSConnectors.h"
#include "CABSEOLDtcTest.h"
#include "CABSMonitor.h"
#include "CABSRWDID.h"
#include "CDeviceInfo.h"
#include "CLiftingAxleCalibration.h"
#include "CODR_Info.h"
#include "CODR_Trip_Info.h"
#include "CPrintSystemTag.h"
#include "FittedColumns.h"
#include "NILike.h"
#include "SimEcu.h"
#include "SimEcuRecorderData.h"
#include "TextWrap.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/grid.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/settings.h>
#include <wx/radiobut.h>
#include <wx/scrolbar.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct LayoutCase {
    pagetour::Language language;
    wxSize size;
};

using layouttext::Describe;

// The controls of a page: every window in it, looking inside frames and
// plain panels but not inside other controls.
void CollectControls(wxWindow* window, std::vector<wxWindow*>& found)
{
    for (wxWindow* child : window->GetChildren()) {
        if (dynamic_cast<wxScrollBar*>(child) || !child->IsShown())
            continue;
        found.push_back(child);
        if (dynamic_cast<wxStaticBox*>(child) || child->GetClassInfo() == wxCLASSINFO(wxPanel))
            CollectControls(child, found);
    }
}

bool IsTextControl(const wxWindow* window)
{
    return dynamic_cast<const wxStaticText*>(window) || dynamic_cast<const wxButton*>(window) ||
           dynamic_cast<const wxCheckBox*>(window) || dynamic_cast<const wxRadioButton*>(window) ||
           dynamic_cast<const wxChoice*>(window) || dynamic_cast<const wxComboBox*>(window) ||
           dynamic_cast<const CNILikeStatic*>(window) || dynamic_cast<const wxStaticBox*>(window);
}

// The lines a text control shows.
std::vector<wxString> ShownLines(const wxWindow* window)
{
    if (const auto* wrap = dynamic_cast<const CWrapText*>(window))
        return wrap->Lines();
    if (const auto* label = dynamic_cast<const CNILikeStatic*>(window))
        return label->Lines();
    std::vector<wxString> lines;
    wxString text = window->GetLabel();
    if (const auto* control = dynamic_cast<const wxControl*>(window);
        control && !dynamic_cast<const CNILikeStatic*>(window))
        text = wxControl::RemoveMnemonics(text);
    wxString rest = text;
    while (true) {
        const int at = rest.Find('\n');
        if (at == wxNOT_FOUND) {
            lines.push_back(rest);
            break;
        }
        lines.push_back(rest.Left(static_cast<size_t>(at)));
        rest = rest.Mid(static_cast<size_t>(at) + 1);
    }
    return lines;
}

class PageChecker {
public:
    PageChecker(CTarvelPage* page, wxWindow* view, std::string where) : page_(page), view_(view), where_(std::move(where)) {}

    // Where a control of the page stands in the page's client area (its
    // scrolled place), from the positions the window system was told.
    wxRect InPage(const wxWindow* control) const
    {
        wxPoint at = control->GetPosition();
        for (const wxWindow* parent = control->GetParent(); parent && parent != page_; parent = parent->GetParent())
            at += parent->GetPosition() + parent->GetClientAreaOrigin();
        return wxRect(at, control->GetSize());
    }

    // The part of the page's client area that can be seen.
    wxRect VisibleArea() const
    {
        const wxRect client(wxPoint(0, 0), page_->GetClientSize());
        wxRect view = view_->GetScreenRect();
        view.SetPosition(page_->ScreenToClient(view.GetPosition()));
        return client.Intersect(view);
    }

    void Fail(const std::string& what)
    {
        if (++failures_ <= 12)
            ADD_FAILURE() << where_ << ": " << what;
    }

    void CheckOpenedAtTop()
    {
        int x = 0;
        int y = 0;
        if (wxScrollHelper* scroll = dynamic_cast<wxScrollHelper*>(page_))
            scroll->GetViewStart(&x, &y);
        if (x != 0 || y != 0)
            Fail("opened scrolled to " + std::to_string(x) + "," + std::to_string(y));
        const wxRect page = page_->GetScreenRect();
        if (!view_->GetScreenRect().Contains(page))
            Fail("page " + Describe(page) + " outside the view " + Describe(view_->GetScreenRect()));
        if (page_->GetVirtualSize().x > page_->GetClientSize().x)
            Fail("scrolls sideways: virtual width " + std::to_string(page_->GetVirtualSize().x));
    }

    void CheckButtonsWithoutScrolling(const std::vector<wxWindow*>& controls)
    {
        const wxRect area = VisibleArea();
        for (wxWindow* control : controls)
            if (dynamic_cast<wxButton*>(control) && !area.Contains(InPage(control)))
                Fail("button " + Describe(control) + " at " + Describe(InPage(control)) +
                     " not in view without scrolling " + Describe(area));
    }

    void CheckInsideWhenScrolledTo(wxWindow* control)
    {
        if (!VisibleArea().Contains(InPage(control))) {
            // Scrolled so that it starts at the top of the page, or as far
            // as the page scrolls.
            if (wxScrollHelper* scroll = dynamic_cast<wxScrollHelper*>(page_)) {
                int unitX = 0;
                int unitY = 0;
                scroll->GetScrollPixelsPerUnit(&unitX, &unitY);
                const int top = scroll->CalcUnscrolledPosition(InPage(control).GetPosition()).y;
                if (unitY > 0)
                    scroll->Scroll(0, top / unitY);
            }
        }
        const wxRect rect = InPage(control);
        const wxRect area = VisibleArea();
        if (!area.Contains(rect))
            Fail(Describe(control) + " at " + Describe(rect) + " outside the visible page " + Describe(area));
    }

    void CheckText(wxWindow* control)
    {
        control->InvalidateBestSize();
        const wxSize best = control->GetBestSize();
        const wxSize size = control->GetSize();
        if (best.x > size.x || best.y > size.y)
            Fail(Describe(control) + " is " + std::to_string(size.x) + "x" + std::to_string(size.y) + " but asks " +
                 std::to_string(best.x) + "x" + std::to_string(best.y));
        // Its text measured in its own font.
        const bool mnemonics = !dynamic_cast<CNILikeStatic*>(control);
        const std::vector<wxString> lines = ShownLines(control);
        bool empty = true;
        for (const wxString& line : lines)
            empty = empty && line.empty();
        wxSize text = empty ? wxSize() : MeasureLines(control, lines, mnemonics);
        if (dynamic_cast<wxStaticBox*>(control))
            text.y = 0; // the caption stands in the frame's border
        if (dynamic_cast<wxChoice*>(control) || dynamic_cast<wxComboBox*>(control)) {
            const wxArrayString items = dynamic_cast<wxChoice*>(control)
                                            ? dynamic_cast<wxChoice*>(control)->GetStrings()
                                            : dynamic_cast<wxComboBox*>(control)->GetStrings();
            text = MeasureLines(control, std::vector<wxString>(items.begin(), items.end()), false);
            text.y = 0;
        }
        if (text.x > size.x || text.y > size.y)
            Fail(Describe(control) + " is " + std::to_string(size.x) + "x" + std::to_string(size.y) +
                 " but its text takes " + std::to_string(text.x) + "x" + std::to_string(text.y));
    }

    int Failures() const { return failures_; }

private:
    CTarvelPage* page_;
    wxWindow* view_;
    std::string where_;
    int failures_ = 0;
};

class PageLayout : public ::testing::TestWithParam<LayoutCase> {
protected:
    void SetUp() override
    {
        // The program makes its own folder the working folder; the next
        // case starts from the build's again.
        startFolder_ = std::filesystem::current_path();
        const LayoutCase& c = GetParam();
        ASSERT_TRUE(pagetour::StartIn(program_, std::string("page_layout_") + c.language.tag + "_" +
                                                    std::to_string(c.size.x),
                                      c.language.index));
        app_ = program_.app;
        ASSERT_TRUE(pagetour::SizeWindow(app_->MainFrame(), c.size));
        ASSERT_TRUE(guidriver::Connect(app_));
    }
    void TearDown() override
    {
        program_.Stop();
        std::filesystem::current_path(startFolder_);
    }

    std::string Where(int tab) const
    {
        const LayoutCase& c = GetParam();
        return std::string(c.language.tag) + " " + std::to_string(c.size.x) + "x" + std::to_string(c.size.y) +
               " tab " + std::to_string(tab);
    }

    tarvel_test::ProgramUnderTest program_;
    CTarvelApp* app_ = nullptr;
    std::filesystem::path startFolder_;
};

TEST_P(PageLayout, EveryPageFitsItsTabAndItsTexts)
{
    CTarvelView* view = app_->View();
    std::vector<int> scrolling;
    for (int tab = 0; tab < tarvel::PageCount; ++tab) {
        ASSERT_TRUE(pagetour::OpenPage(app_, tab)) << Where(tab);
        CTarvelPage* page = view->Page(tab);
        PageChecker check(page, view->ViewWindow(), Where(tab));
        check.CheckOpenedAtTop();
        std::vector<wxWindow*> controls;
        CollectControls(page, controls);
        check.CheckButtonsWithoutScrolling(controls);
        for (wxWindow* control : controls) {
            check.CheckInsideWhenScrolledTo(control);
            if (IsTextControl(control))
                check.CheckText(control);
        }
        if (page->GetVirtualSize().y > page->GetClientSize().y)
            scrolling.push_back(tab);
    }
    // A page left scrolled opens at its top again.
    for (int tab : scrolling) {
        ASSERT_TRUE(pagetour::OpenPage(app_, tab)) << Where(tab);
        PageChecker(view->Page(tab), view->ViewWindow(), Where(tab) + " opened again").CheckOpenedAtTop();
    }
}

TEST_P(PageLayout, TheNavigationShowsEveryCaptionWhole)
{
    pagetour::EnableEveryItem(app_->MainFrame());
    pagetour::Settle();
    CNavTree* tree = app_->MainFrame()->Navigation()->Tree();
    tree->Scroll(0, 0);
    std::vector<wxTreeItemId> pending{tree->GetRootItem()};
    int items = 0;
    while (!pending.empty()) {
        const wxTreeItemId parent = pending.back();
        pending.pop_back();
        wxTreeItemIdValue cookie;
        for (wxTreeItemId id = tree->GetFirstChild(parent, cookie); id.IsOk(); id = tree->GetNextChild(parent, cookie)) {
            pending.push_back(id);
            wxRect rect;
            ASSERT_TRUE(tree->GetBoundingRect(id, rect, true));
            const int text = tree->GetTextExtent(tree->GetItemText(id)).x;
            EXPECT_GE(rect.width, text) << tree->GetItemText(id);
            EXPECT_LE(rect.GetRight(), tree->GetClientSize().x)
                << Where(-1) << " '" << tree->GetItemText(id) << "' ends past the pane";
            ++items;
        }
    }
    EXPECT_EQ(items, 20);
    // The ribbon's lists show their rows whole.
    const RibbonControls& rc = app_->MainFrame()->Ribbon();
    for (wxChoice* list : {rc.adapter, rc.baudRate, rc.language}) {
        for (const wxString& row : list->GetStrings())
            EXPECT_LE(list->GetTextExtent(row).x, list->GetSize().x) << row;
        list->InvalidateBestSize();
        EXPECT_LE(list->GetBestSize().x, list->GetSize().x);
    }
}

// The space a cell's text needs at least beside it to be read whole.
constexpr int kCellAir = 6;

// Where a grid or list shows its value column, and whether it is whole: the
// column ends inside the visible part of the control without scrolling
// sideways, and its heading and every value fit it in the fonts they are
// drawn in.
class ValueColumnChecker {
public:
    explicit ValueColumnChecker(std::string where) : where_(std::move(where)) {}

    void Check(wxGrid* grid, int column, const char* what)
    {
        const std::string at = where_ + " " + what;
        ASSERT_NE(grid, nullptr) << at;
        ASSERT_LT(column, grid->GetNumberCols()) << at;
        EXPECT_EQ(grid->GetViewStart().x, 0) << at << ": scrolled sideways";
        int right = 0;
        for (int c = 0; c <= column; ++c)
            right += grid->GetColSize(c);
        const int visible = grid->GetGridWindow()->GetClientSize().x;
        EXPECT_LE(right, visible) << at << ": the value column ends at " << right << ", past the visible " << visible;
        const int width = grid->GetColSize(column);
        FitsColumn(grid->GetColLabelValue(column), grid->GetLabelFont(), grid, width, at + " heading");
        for (int r = 0; r < grid->GetNumberRows(); ++r)
            FitsColumn(grid->GetCellValue(r, column), grid->GetCellFont(r, column), grid, width,
                       at + " row " + std::to_string(r));
    }

    void Check(wxListCtrl* list, int column, const char* what)
    {
        const std::string at = where_ + " " + what;
        ASSERT_NE(list, nullptr) << at;
        ASSERT_LT(column, list->GetColumnCount()) << at;
        EXPECT_EQ(list->GetScrollPos(wxHORIZONTAL), 0) << at << ": scrolled sideways";
        int right = 0;
        for (int c = 0; c <= column; ++c)
            right += list->GetColumnWidth(c);
        const int visible = RowWindowOf(list)->GetClientSize().x;
        EXPECT_LE(right, visible) << at << ": the value column ends at " << right << ", past the visible " << visible;
        const int width = list->GetColumnWidth(column);
        wxListItem heading;
        heading.SetMask(wxLIST_MASK_TEXT);
        list->GetColumn(column, heading);
        FitsColumn(heading.GetText(), list->GetFont(), list, width, at + " heading");
        for (long r = 0; r < list->GetItemCount(); ++r)
            FitsColumn(list->GetItemText(r, column), list->GetFont(), list, width, at + " row " + std::to_string(r));
    }

    // A text cut short in its cell shows whole as the tool tip where the
    // mouse rests on it. Returns whether the grid had such a cell.
    bool CheckCutTextsShowOnHover(wxGrid* grid, const char* what)
    {
        wxWindow* cells = grid->GetGridWindow();
        for (int r = 0; r < grid->GetNumberRows(); ++r) {
            for (int c = 0; c < grid->GetNumberCols(); ++c) {
                const wxString text = grid->GetCellValue(r, c);
                int width = 0;
                const wxFont font = grid->GetCellFont(r, c);
                grid->GetTextExtent(text, &width, nullptr, nullptr, nullptr, &font);
                if (width + kCellAir <= grid->GetColSize(c))
                    continue;
                const wxRect cell = grid->CellToRect(r, c);
                wxMouseEvent motion(wxEVT_MOTION);
                motion.SetPosition(grid->CalcScrolledPosition(cell.GetTopLeft() + wxPoint(4, cell.height / 2)));
                motion.SetEventObject(cells);
                cells->GetEventHandler()->ProcessEvent(motion);
                EXPECT_EQ(cells->GetToolTipText(), text) << where_ << " " << what << " row " << r << " column " << c;
                return true;
            }
        }
        return false;
    }

    bool CheckCutTextsShowOnHover(wxListCtrl* list, const char* what)
    {
        wxWindow* rows = RowWindowOf(list);
        for (long r = 0; r < list->GetItemCount(); ++r) {
            for (int c = 0; c < list->GetColumnCount(); ++c) {
                const wxString text = list->GetItemText(r, c);
                if (list->GetTextExtent(text).x + kCellAir <= list->GetColumnWidth(c))
                    continue;
                wxRect cell;
                if (!list->GetSubItemRect(r, c, cell))
                    continue;
                if (rows != list)
                    cell.Offset(-rows->GetPosition());
                wxMouseEvent motion(wxEVT_MOTION);
                motion.SetPosition(cell.GetTopLeft() + wxPoint(4, cell.height / 2));
                motion.SetEventObject(rows);
                rows->GetEventHandler()->ProcessEvent(motion);
                EXPECT_EQ(rows->GetToolTipText(), text) << where_ << " " << what << " row " << r << " column " << c;
                return true;
            }
        }
        return false;
    }

    // A list that shows no row has no reason to scroll sideways.
    void CheckNoSidewaysScrolling(wxListCtrl* list, const char* what)
    {
        int right = 0;
        for (int c = 0; c < list->GetColumnCount(); ++c)
            right += list->GetColumnWidth(c);
        EXPECT_LE(right, RowWindowOf(list)->GetClientSize().x) << where_ << " " << what << ": its columns scroll sideways";
    }

private:
    void FitsColumn(const wxString& text, const wxFont& font, wxWindow* window, int width, const std::string& at)
    {
        if (text.empty())
            return;
        int textWidth = 0;
        window->GetTextExtent(text, &textWidth, nullptr, nullptr, nullptr, &font);
        const int needs = textWidth + kCellAir;
        if (needs > width && ++failures_ <= 6)
            ADD_FAILURE() << at << ": '" << text.utf8_string() << "' needs " << needs << " of the column's " << width;
    }

    std::string where_;
    int failures_ = 0;
};

TEST_P(PageLayout, EveryListShowsItsValuesWholeAndInView)
{
    CTarvelView* view = app_->View();
    ValueColumnChecker check(Where(-1));
    // The parameters page reads when it opens; the lifting-axle calibration
    // stands beside it.
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabParameters));
    auto* parameters = dynamic_cast<CABSRWDID*>(view->Page(tarvel::TabParameters));
    ASSERT_NE(parameters, nullptr);
    ASSERT_GT(parameters->Grid()->GetNumberRows(), 0);
    check.Check(parameters->Grid(), 2, "parameters");
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabLiftingAxleCalibration));
    auto* lifting = dynamic_cast<CLiftingAxleCalibration*>(view->Page(tarvel::TabLiftingAxleCalibration));
    ASSERT_NE(lifting, nullptr);
    ASSERT_GT(lifting->Grid()->GetNumberRows(), 0);
    check.Check(lifting->Grid(), 2, "lifting-axle calibration");
    // Its descriptions (Chinese ones excepted) do not fit beside the values
    // at 1024 pixels.
    if (GetParam().size.x == 1024 && GetParam().language.index != 0) {
        EXPECT_TRUE(check.CheckCutTextsShowOnHover(lifting->Grid(), "lifting-axle calibration"));
    }

    // The columns follow when the navigation pane takes more of the window.
    {
        auto total = [](wxGrid* grid) {
            int sum = 0;
            for (int c = 0; c < grid->GetNumberCols(); ++c)
                sum += grid->GetColSize(c);
            return sum;
        };
        const int before = total(lifting->Grid());
        auto& panes = static_cast<CPaneManager&>(app_->MainFrame()->PaneManager());
        const wxAuiPaneInfo& pane = panes.GetPane("navigation");
        for (size_t i = 0; i < panes.Docks().GetCount(); ++i)
            if (panes.Docks().Item(i).dock_direction == pane.dock_direction)
                panes.Docks().Item(i).size += 80;
        panes.Update();
        pagetour::Settle();
        check.Check(lifting->Grid(), 2, "lifting-axle calibration, the pane widened");
        EXPECT_LT(total(lifting->Grid()), before) << Where(-1) << ": the columns kept their widths";
    }

    // Live data: empty, then every identifier chosen.
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabMonitor));
    auto* monitor = dynamic_cast<CABSMonitor*>(view->Page(tarvel::TabMonitor));
    ASSERT_NE(monitor, nullptr);
    check.CheckNoSidewaysScrolling(monitor->ValueList(), "empty live data");
    check.Check(monitor->ValueList(), 2, "empty live data");
    guidriver::Toggle(monitor->SelectAllBox(), true);
    guidriver::Click(monitor->DisplayButton());
    EXPECT_TRUE(guidriver::PumpUntil([monitor] { return monitor->ValueList()->GetItemCount() > 0; }));
    pagetour::Settle();
    check.Check(monitor->ValueList(), 2, "live data");
    guidriver::Click(monitor->DisplayButton()); // stops

    // The system tag after Read.
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabSystemTag));
    auto* tag = dynamic_cast<CPrintSystemTag*>(view->Page(tarvel::TabSystemTag));
    ASSERT_NE(tag, nullptr);
    guidriver::Click(tag->ReadButton());
    pagetour::Settle();
    ASSERT_GT(tag->List()->GetItemCount(), 0);
    check.Check(tag->List(), 2, "system tag");

    // Both recorder pages after a read (of a short log: the full ring takes
    // the bus most of a minute).
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
    check.Check(odr->OdrInfoList(), 2, "recorder information");
    // Its descriptions are cut in the longer languages at 1024 pixels.
    if (GetParam().size.x == 1024 && GetParam().language.index >= 2) {
        EXPECT_TRUE(check.CheckCutTextsShowOnHover(odr->OdrInfoList(), "recorder information"));
    }
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabOdrTrip));
    auto* trips = dynamic_cast<CODR_Trip_Info*>(view->Page(tarvel::TabOdrTrip));
    ASSERT_NE(trips, nullptr);
    guidriver::Click(dynamic_cast<wxButton*>(trips->FindWindow(CODR_Trip_Info::kLatestId)));
    pagetour::Settle();
    ASSERT_GT(trips->TripList()->GetItemCount(), 0);
    check.Check(trips->TripList(), 2, "recorder trip");

    // The fault check's list reaches the page's right edge.
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabEolDtc));
    CTarvelPage* dtcPage = view->Page(tarvel::TabEolDtc);
    wxWindow* faults = dynamic_cast<CABSEOLDtcTest*>(dtcPage)->FaultList();
    const int gap = dtcPage->GetClientSize().x - (faults->GetPosition().x + faults->GetSize().x);
    EXPECT_LE(gap, CTarvelPage::kMargin) << Where(tarvel::TabEolDtc) << ": the fault list stops " << gap
                                         << " pixels short of the page's right edge";
}

// The contrast of two colours as the web's accessibility rules measure it
// (1 to 21; 4.5 is the least for ordinary text).
double Contrast(const wxColour& a, const wxColour& b)
{
    auto luminance = [](const wxColour& c) {
        auto channel = [](unsigned char v) {
            const double x = v / 255.0;
            return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.Red()) + 0.7152 * channel(c.Green()) + 0.0722 * channel(c.Blue());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class PageLooks : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFolder_ = std::filesystem::current_path();
        ASSERT_TRUE(pagetour::StartIn(program_, "page_looks", 1));
        app_ = program_.app;
        ASSERT_TRUE(pagetour::SizeWindow(app_->MainFrame(), wxSize(1280, 800)));
        ASSERT_TRUE(guidriver::Connect(app_));
    }
    void TearDown() override
    {
        program_.Stop();
        std::filesystem::current_path(startFolder_);
    }

    tarvel_test::ProgramUnderTest program_;
    CTarvelApp* app_ = nullptr;
    std::filesystem::path startFolder_;
};

// A selected row reads as well with the focus in the grid as without it
// (the grid then draws the selection in the platform's button shadow).
TEST_F(PageLooks, ASelectedGridRowIsReadable)
{
    CTarvelView* view = app_->View();
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabParameters));
    std::vector<wxGrid*> grids{dynamic_cast<CABSRWDID*>(view->Page(tarvel::TabParameters))->Grid(),
                               dynamic_cast<CLiftingAxleCalibration*>(view->Page(tarvel::TabLiftingAxleCalibration))->Grid(),
                               dynamic_cast<ABSConnectors*>(view->Page(tarvel::TabConnectors))->GioList(),
                               dynamic_cast<ABSConnectors*>(view->Page(tarvel::TabConnectors))->ConnectorList()};
    const wxColour unfocused = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    for (wxGrid* grid : grids) {
        ASSERT_NE(grid, nullptr);
        EXPECT_GE(Contrast(grid->GetSelectionForeground(), grid->GetSelectionBackground()), 4.5) << grid->GetId();
        EXPECT_GE(Contrast(grid->GetSelectionForeground(), unfocused), 4.5) << grid->GetId();
    }
    // The parameters grid shows a selected row after a read.
    wxGrid* parameters = grids[0];
    ASSERT_GT(parameters->GetNumberRows(), 0);
    parameters->SelectRow(0);
    EXPECT_TRUE(parameters->IsInSelection(0, 1));
}

// The ECU's identification is written in the page's text size: as tall as
// the buttons' captions.
TEST_F(PageLooks, EcuInformationValuesAreInThePagesTextSize)
{
    ASSERT_TRUE(pagetour::OpenPage(app_, tarvel::TabDeviceInfo));
    CTarvelPage* page = app_->View()->Page(tarvel::TabDeviceInfo);
    const int text = page->FindWindow(CDeviceInfo::kReadButtonId)->GetFont().GetPixelSize().y;
    ASSERT_GT(text, 0);
    int shown = 0;
    for (int i = 0; i < CDeviceInfo::kPairCount; ++i) {
        for (int id : {CDeviceInfo::kFirstNameLabelId + i, CDeviceInfo::kFirstValueLabelId + i}) {
            wxWindow* label = page->FindWindow(id);
            ASSERT_NE(label, nullptr);
            if (!label->IsShown())
                continue;
            ++shown;
            EXPECT_GE(label->GetFont().GetPixelSize().y, text) << label->GetLabel();
        }
    }
    EXPECT_GT(shown, 0);
}

std::vector<LayoutCase> Cases()
{
    std::vector<LayoutCase> cases;
    for (const pagetour::Language& language : pagetour::kLanguages)
        for (const wxSize& size : {wxSize(1024, 768), wxSize(1280, 800)})
            cases.push_back({language, size});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Stations, PageLayout, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<LayoutCase>& info) {
                             return std::string(info.param.language.tag) + "_" + std::to_string(info.param.size.x) +
                                    "x" + std::to_string(info.param.size.y);
                         });

} // namespace
