#include "FittedColumns.h"

#include <wx/clntdata.h>
#include <wx/dcclient.h>
#include <wx/grid.h>
#include <wx/listctrl.h>
#include <wx/settings.h>

#include <algorithm>
#include <functional>

namespace {

// The first column of a report list shows the row-height picture before its
// text.
constexpr int kListImageRoom = 6;

// The fitting of one control, kept as the control's client object.
class ColumnFitter : public wxClientData {
public:
    using Measure = std::function<std::vector<FittedColumn>(const std::vector<ColumnFitting>&)>;
    using Apply = std::function<void(int column, int width)>;
    using Width = std::function<int(int column)>;

    ColumnFitter(std::vector<ColumnFitting> columns, std::function<int()> room, Measure measure, Apply apply,
                 Width width)
        : columns_(std::move(columns)), room_(std::move(room)), measure_(std::move(measure)), apply_(std::move(apply)),
          width_(std::move(width))
    {
    }

    void Fit()
    {
        if (fitting_)
            return;
        fitting_ = true;
        const std::vector<int> widths = FitColumns(room_(), measure_(columns_));
        for (size_t c = 0; c < widths.size(); ++c) {
            const int now = width_(static_cast<int>(c)); // -1: no such column (yet)
            if (now >= 0 && now != widths[c])
                apply_(static_cast<int>(c), widths[c]);
        }
        fitting_ = false;
    }

    // A fit once the control has its new size (wx hands out the size event
    // before the control's inner windows follow).
    void FitSoon(wxWindow* control)
    {
        if (pending_)
            return;
        pending_ = true;
        control->CallAfter([this] {
            pending_ = false;
            Fit();
        });
    }

private:
    std::vector<ColumnFitting> columns_;
    std::function<int()> room_;
    Measure measure_;
    Apply apply_;
    Width width_;
    bool fitting_ = false;
    bool pending_ = false;
};

// The width of a vertical scroll bar where `window` needs one but does not
// show it yet (it will take that much of the room).
int BarToCome(const wxWindow* window, int contentHeight)
{
    const wxSize client = window->GetClientSize();
    if (contentHeight <= client.y)
        return 0;
    const int shown = window->GetSize().x - window->GetWindowBorderSize().x - client.x;
    return shown > 0 ? 0 : wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, window);
}

// Shows `text` as the tool tip of `window` while it does not fit `room`.
void ShowWholeText(wxWindow* window, const wxString& text, int room)
{
    const bool cut = !text.empty() && window->GetTextExtent(text).x > room;
    const wxString wanted = cut ? text : wxString();
    if (window->GetToolTipText() != wanted) {
        if (cut)
            window->SetToolTip(text);
        else
            window->UnsetToolTip();
    }
}

// The widest of a column's texts that are not empty, with the cell's
// padding; 0 for a column without any.
int WidestText(wxDC& dc, int rows, const std::function<wxString(int row)>& textOf, int padding)
{
    int widest = 0;
    for (int r = 0; r < rows; ++r) {
        const wxString text = textOf(r);
        if (!text.empty())
            widest = std::max(widest, dc.GetTextExtent(text).x + padding);
    }
    return widest;
}

std::vector<FittedColumn> Measured(const std::vector<ColumnFitting>& columns, std::vector<int> content,
                                   const std::vector<int>& header)
{
    std::vector<FittedColumn> fitted;
    for (size_t c = 0; c < columns.size(); ++c) {
        FittedColumn f;
        f.role = columns[c].role;
        f.content = std::max(content[c], header[c]);
        f.least = std::max(columns[c].least, header[c]);
        // Where the window leaves less than every least width, a filling
        // column keeps its heading whole; a giving column goes down to the
        // least it was given, its heading then cut short.
        f.narrowest = f.role == ColumnRole::GivesWay && columns[c].least > 0 ? std::min(columns[c].least, header[c])
                                                                             : header[c];
        fitted.push_back(f);
    }
    return fitted;
}

ColumnFitter* FitterOf(wxWindow* control)
{
    return control ? dynamic_cast<ColumnFitter*>(control->GetClientObject()) : nullptr;
}

// Gives `control` its fitter (the control owns it) and refits whenever the
// control is resized.
ColumnFitter* KeepFitter(wxWindow* control, ColumnFitter* fitter)
{
    control->SetClientObject(fitter);
    control->Bind(wxEVT_SIZE, [control, fitter](wxSizeEvent& event) {
        fitter->FitSoon(control);
        event.Skip();
    });
    return fitter;
}

} // namespace

wxWindow* RowWindowOf(wxListCtrl* list)
{
#if defined(__WXMSW__)
    return list;
#else
    wxWindow* area = list;
    int tallest = -1;
    for (wxWindow* child : list->GetChildren()) {
        const int height = child->GetSize().GetHeight();
        if (height > tallest) {
            tallest = height;
            area = child;
        }
    }
    return area;
#endif
}

void KeepColumnsFitted(wxGrid* grid, std::vector<ColumnFitting> columns)
{
    // A text cut short ends in an ellipsis.
    grid->SetDefaultCellFitMode(wxGridFitMode::Ellipsize());
    auto room = [grid] {
        const int rows = grid->GetNumberRows();
        const int height = grid->GetColLabelSize() + (rows > 0 ? grid->CellToRect(rows - 1, 0).GetBottom() + 1 : 0);
        return grid->GetClientSize().x - grid->GetRowLabelSize() - BarToCome(grid, height);
    };
    auto measure = [grid](const std::vector<ColumnFitting>& wanted) {
        const size_t count = std::min(wanted.size(), static_cast<size_t>(grid->GetNumberCols()));
        std::vector<int> content(wanted.size(), 0);
        std::vector<int> header(wanted.size(), 0);
        wxClientDC dc(grid->GetGridWindow());
        for (size_t c = 0; c < count; ++c) {
            const int col = static_cast<int>(c);
            dc.SetFont(grid->GetLabelFont());
            header[c] = dc.GetTextExtent(grid->GetColLabelValue(col)).x + kGridCellPadding;
            dc.SetFont(grid->GetDefaultCellFont());
            content[c] = WidestText(
                dc, grid->GetNumberRows(), [grid, col](int r) { return grid->GetCellValue(r, col); }, kGridCellPadding);
        }
        return Measured(wanted, content, header);
    };
    ColumnFitter* fitter = KeepFitter(
        grid, new ColumnFitter(std::move(columns), room, measure, [grid](int c, int width) { grid->SetColSize(c, width); },
                              [grid](int c) { return c < grid->GetNumberCols() ? grid->GetColSize(c) : -1; }));
    wxWindow* cells = grid->GetGridWindow();
    cells->Bind(wxEVT_MOTION, [grid, cells](wxMouseEvent& event) {
        event.Skip();
        int x = 0;
        int y = 0;
        grid->CalcUnscrolledPosition(event.GetX(), event.GetY(), &x, &y);
        const int row = grid->YToRow(y);
        const int col = grid->XToCol(x);
        if (row < 0 || col < 0) {
            ShowWholeText(cells, wxString(), 0);
            return;
        }
        cells->SetFont(grid->GetDefaultCellFont());
        ShowWholeText(cells, grid->GetCellValue(row, col), grid->GetColSize(col) - kGridCellPadding);
    });
    fitter->Fit();
}

void KeepColumnsFitted(wxListCtrl* list, std::vector<ColumnFitting> columns)
{
    auto room = [list] {
        // The generic list scrolls its row window with bars of its own.
        wxWindow* rows = RowWindowOf(list);
        int height = rows == list ? 0 : rows->GetPosition().y; // the header
        wxRect first;
        if (list->GetItemCount() > 0 && list->GetItemRect(0, first))
            height += first.height * list->GetItemCount() + (rows == list ? first.y : 0);
        return rows->GetClientSize().x - BarToCome(list, height);
    };
    auto measure = [list](const std::vector<ColumnFitting>& wanted) {
        const size_t count = std::min(wanted.size(), static_cast<size_t>(list->GetColumnCount()));
        std::vector<int> content(wanted.size(), 0);
        std::vector<int> header(wanted.size(), 0);
        wxClientDC dc(list);
        dc.SetFont(list->GetFont());
        for (size_t c = 0; c < count; ++c) {
            const int col = static_cast<int>(c);
            wxListItem item;
            item.SetMask(wxLIST_MASK_TEXT);
            if (list->GetColumn(col, item))
                header[c] = dc.GetTextExtent(item.GetText()).x + kListCellPadding;
            content[c] = WidestText(
                dc, list->GetItemCount(), [list, col](int r) { return list->GetItemText(r, col); }, kListCellPadding);
        }
        if (count > 0 && content[0] > 0)
            content[0] += kListImageRoom;
        return Measured(wanted, content, header);
    };
    ColumnFitter* fitter = KeepFitter(
        list, new ColumnFitter(std::move(columns), room, measure, [list](int c, int width) { list->SetColumnWidth(c, width); },
                              [list](int c) { return c < list->GetColumnCount() ? list->GetColumnWidth(c) : -1; }));
    wxWindow* rows = RowWindowOf(list);
    // The row window narrows without the list when its scroll bar comes.
    if (rows != list) {
        rows->Bind(wxEVT_SIZE, [list, fitter](wxSizeEvent& event) {
            fitter->FitSoon(list);
            event.Skip();
        });
    }
    rows->Bind(wxEVT_MOTION, [list, rows](wxMouseEvent& event) {
        event.Skip();
        int flags = 0;
        const long row = list->HitTest(event.GetPosition(), flags);
        int x = event.GetX();
        if (auto* scrolled = dynamic_cast<wxScrollHelperBase*>(rows))
            x = scrolled->CalcUnscrolledPosition(event.GetPosition()).x;
        int col = -1;
        for (int c = 0, left = 0; c < list->GetColumnCount(); ++c) {
            left += list->GetColumnWidth(c);
            if (x < left) {
                col = c;
                break;
            }
        }
        if (row < 0 || !(flags & wxLIST_HITTEST_ONITEM) || col < 0) {
            ShowWholeText(rows, wxString(), 0);
            return;
        }
        rows->SetFont(list->GetFont());
        ShowWholeText(rows, list->GetItemText(row, col), list->GetColumnWidth(col) - kListCellPadding);
    });
    fitter->Fit();
}

wxListCtrl* CreateLineList(wxWindow* parent, int id, const wxSize& size, long border)
{
    auto* list = new wxListCtrl(parent, id, wxDefaultPosition, size,
                                wxLC_REPORT | wxLC_NO_HEADER | wxLC_SINGLE_SEL | border);
    list->InsertColumn(0, wxString());
    KeepColumnsFitted(list, {{ColumnRole::Fills}});
    return list;
}

void ShowLines(wxListCtrl* list, const std::vector<wxString>& lines)
{
    if (!list || LinesOf(list) == lines)
        return;
    list->DeleteAllItems();
    for (size_t i = 0; i < lines.size(); ++i)
        list->InsertItem(static_cast<long>(i), lines[i]);
    RefitColumns(list);
}

std::vector<wxString> LinesOf(const wxListCtrl* list)
{
    std::vector<wxString> lines;
    for (long i = 0; list && i < list->GetItemCount(); ++i)
        lines.push_back(list->GetItemText(i));
    return lines;
}

void RefitColumns(wxWindow* control)
{
    if (ColumnFitter* fitter = FitterOf(control))
        fitter->Fit();
}
