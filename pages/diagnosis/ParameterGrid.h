// The five-column grid of the parameter and lifting-axle pages (No., name,
// value, unit, description), with the text editor that opens over a Value cell.
#pragma once

#include <array>
#include <functional>
#include <string>

class wxGrid;
class wxTextCtrl;
class wxWindow;

struct ParameterGridControls {
    wxGrid* grid;
    wxTextCtrl* editor; // hidden until a Value cell is edited
};

// Selected rows stay readable when the grid does not have the focus (the
// platform then draws them light grey): dark text on a light highlight.
void MakeSelectedRowsReadable(wxGrid* grid);

// Read-only rows of `rowHeight` pixels, centred cells with a left-aligned
// description column, and no row labels. The grid is added to the parent's
// sizer, filling what is left of it. `columnWidths` are the widths it starts
// with; its columns then fit its width, the value column always whole.
ParameterGridControls CreateParameterGrid(wxWindow* parent, int gridId, int editorId,
                                          const std::array<int, 5>& columnWidths, int rowHeight);

// Wires the editor to the page: Enter (also the keypad's) and Escape anywhere
// on the page, the editor's own Enter and the editor losing the focus hand
// the typed text to `commit` while the editor is shown (Escape keeps the
// typed text as well). Enter and Escape are swallowed, so the page never
// closes on them; getting the focus selects the editor's text.
void WireParameterEditor(wxWindow* page, const ParameterGridControls& controls,
                         std::function<void(const std::string& text)> commit);

// Makes the grid hold exactly `rowCount` rows of `rowHeight` pixels, in one
// batch, and fits its columns to them; cellsOf(r) gives the five texts of
// row r (UTF-8).
void FillParameterGrid(wxGrid* grid, int rowCount, int rowHeight,
                       const std::function<std::array<const std::string*, 5>(int row)>& cellsOf);

// With `shown`, opens the editor over the cell (row, column) holding `text`,
// focused with the text selected, unless it is open already; otherwise
// closes it.
void ShowParameterEditor(const ParameterGridControls& controls, bool shown, int row, int column,
                         const std::string& text);
