#include "ConnectorsListCtrl.h"

#include <algorithm>

ConnectorsCMyListCtrl::ConnectorsCMyListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
{
    Create(parent, id, pos, size);
}

bool ConnectorsCMyListCtrl::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
{
    return wxListCtrl::Create(parent, id, pos, size, wxLC_REPORT | wxLC_VIRTUAL);
}

void ConnectorsCMyListCtrl::SetRows(std::vector<std::vector<std::string>> rows)
{
    rows_ = std::move(rows);
    SetItemCount(static_cast<long>(rows_.size()));
    Refresh();
}

ColorRef ConnectorsCMyListCtrl::CellBkColour(long row, long column) const
{
    const bool exists = row >= 0 && static_cast<size_t>(row) < rows_.size() && column >= 0 &&
                        column < std::max(1, GetColumnCount());
    if (exists && row == 1 && column == 0) return kColorRefRed;
    return ColorRefFromColour(GetBackgroundColour());
}

wxString ConnectorsCMyListCtrl::OnGetItemText(long item, long column) const
{
    if (item < 0 || static_cast<size_t>(item) >= rows_.size()) return wxString();
    const auto& row = rows_[static_cast<size_t>(item)];
    if (column < 0 || static_cast<size_t>(column) >= row.size()) return wxString();
    return wxString::FromUTF8(row[static_cast<size_t>(column)]);
}

wxItemAttr* ConnectorsCMyListCtrl::OnGetItemColumnAttr(long item, long column) const
{
    if (CellBkColour(item, column) != kColorRefRed) return nullptr;
    redCell_.SetBackgroundColour(ColourFromColorRef(kColorRefRed));
    return &redCell_;
}
