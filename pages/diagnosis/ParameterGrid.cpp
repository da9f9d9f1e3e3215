#include "ParameterGrid.h"

#include "PageHostPage.h"

#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

namespace {
// The background of a selected row while the grid has the focus.
const wxColour kSelectedRowColour(0xCC, 0xE4, 0xF8);
} // namespace

void MakeSelectedRowsReadable(wxGrid* grid)
{
    grid->SetSelectionBackground(kSelectedRowColour);
    grid->SetSelectionForeground(*wxBLACK);
}

ParameterGridControls CreateParameterGrid(wxWindow* parent, int gridId, int editorId,
                                          const std::array<int, 5>& columnWidths, int rowHeight)
{
    auto* grid = new wxGrid(parent, gridId);
    grid->CreateGrid(0, 5, wxGrid::wxGridSelectRows);
    grid->EnableEditing(false);
    grid->EnableDragRowSize(false);
    grid->SetDefaultRowSize(rowHeight, true);
    grid->SetRowLabelSize(0);
    grid->SetDefaultCellAlignment(wxALIGN_CENTRE, wxALIGN_CENTRE);
    for (int c = 0; c < 5; ++c)
        grid->SetColSize(c, columnWidths[c]);
    auto* left = new wxGridCellAttr;
    left->SetAlignment(wxALIGN_LEFT, wxALIGN_CENTRE);
    grid->SetColAttr(4, left);
    MakeSelectedRowsReadable(grid);
    CTarvelPage::FillWithList(grid);
    parent->GetSizer()->Add(grid, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, CTarvelPage::kMargin);

    auto* editor = new wxTextCtrl(grid->GetGridWindow(), editorId, wxString(), wxDefaultPosition, wxDefaultSize,
                                  wxTE_PROCESS_ENTER);
    editor->Hide();
    return {grid, editor};
}
