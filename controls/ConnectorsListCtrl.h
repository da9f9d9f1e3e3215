// The connectors list: a report list that shows the cell in row 1, column 0
// on a red background. It holds its rows itself (a virtual list), so the
// colour can be given per cell.
#pragma once

#include <string>
#include <vector>

#include <wx/listctrl.h>

#include "NILike.h"

class ConnectorsCMyListCtrl : public wxListCtrl {
public:
    ConnectorsCMyListCtrl() = default;
    ConnectorsCMyListCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                          const wxSize& size = wxDefaultSize);
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize);

    // Rows of cell texts (UTF-8); rows shorter than the column count show
    // empty cells.
    void SetRows(std::vector<std::vector<std::string>> rows);
    size_t RowCount() const { return rows_.size(); }

    // The background of one cell: red (0x0000FF) for row 1, column 0, when
    // that cell exists; the list's own background otherwise.
    ColorRef CellBkColour(long row, long column) const;

protected:
    wxString OnGetItemText(long item, long column) const override;
    wxItemAttr* OnGetItemColumnAttr(long item, long column) const override;

private:
    std::vector<std::vector<std::string>> rows_;
    mutable wxItemAttr redCell_;
};
