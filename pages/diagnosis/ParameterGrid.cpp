#include "ParameterGrid.h"

#include "FittedColumns.h"
#include "PageHostPage.h"

#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

namespace {
// The background of a selected row while the grid has the focus.
const wxColour kSelectedRowColour(0xCC, 0xE4, 0xF8);
// The narrowest the name column is made to leave the value in view.
constexpr int kLeastNameWidth = 120;
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
    // The value stays in view: the name gives way to it, the unit follows it
    // and the description takes what is left.
    KeepColumnsFitted(grid, {{ColumnRole::Whole},
                             {ColumnRole::GivesWay, kLeastNameWidth},
                             {ColumnRole::Whole},
                             {ColumnRole::Follows},
                             {ColumnRole::Fills}});
    parent->GetSizer()->Add(grid, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, CTarvelPage::kMargin);

    auto* editor = new wxTextCtrl(grid->GetGridWindow(), editorId, wxString(), wxDefaultPosition, wxDefaultSize,
                                  wxTE_PROCESS_ENTER);
    editor->Hide();
    return {grid, editor};
}

void WireParameterEditor(wxWindow* page, const ParameterGridControls& controls,
                         std::function<void(const std::string& text)> commit)
{
    wxTextCtrl* editor = controls.editor;
    auto commitShown = [editor, commit = std::move(commit)] {
        if (editor->IsShown())
            commit(editor->GetValue().utf8_string());
    };
    editor->Bind(wxEVT_KILL_FOCUS, [commitShown](wxFocusEvent& event) {
        commitShown();
        event.Skip();
    });
    editor->Bind(wxEVT_SET_FOCUS, [editor](wxFocusEvent& event) {
        editor->SelectAll();
        event.Skip();
    });
    editor->Bind(wxEVT_TEXT_ENTER, [commitShown](wxCommandEvent&) { commitShown(); });
    page->Bind(wxEVT_CHAR_HOOK, [commitShown](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER || key == WXK_ESCAPE) {
            commitShown(); // Escape keeps the typed text as well
            return;        // swallowed: the page never closes on them
        }
        event.Skip();
    });
}

void FillParameterGrid(wxGrid* grid, int rowCount, int rowHeight,
                       const std::function<std::array<const std::string*, 5>(int row)>& cellsOf)
{
    grid->BeginBatch();
    if (grid->GetNumberRows() > rowCount)
        grid->DeleteRows(rowCount, grid->GetNumberRows() - rowCount);
    else if (grid->GetNumberRows() < rowCount)
        grid->AppendRows(rowCount - grid->GetNumberRows());
    for (int r = 0; r < rowCount; ++r) {
        const std::array<const std::string*, 5> cells = cellsOf(r);
        for (int c = 0; c < 5; ++c)
            grid->SetCellValue(r, c, wxString::FromUTF8(*cells[static_cast<size_t>(c)]));
        grid->SetRowSize(r, rowHeight);
    }
    grid->EndBatch();
    RefitColumns(grid);
}

void ShowParameterEditor(const ParameterGridControls& controls, bool shown, int row, int column,
                         const std::string& text)
{
    wxTextCtrl* editor = controls.editor;
    if (!shown) {
        if (editor->IsShown())
            editor->Hide();
        return;
    }
    if (editor->IsShown())
        return;
    editor->ChangeValue(wxString::FromUTF8(text));
    const wxRect rect = controls.grid->CellToRect(row, column);
    int x = 0;
    int y = 0;
    controls.grid->CalcScrolledPosition(rect.x, rect.y, &x, &y);
    editor->SetSize(x, y, rect.width, rect.height);
    editor->Show();
    editor->SetFocus();
    editor->SelectAll();
}
