// The five-column grid of the parameter and lifting-axle pages (No., name,
// value, unit, description), with the text editor that opens over a Value cell.
#pragma once

#include <array>

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
// sizer, filling what is left of it.
ParameterGridControls CreateParameterGrid(wxWindow* parent, int gridId, int editorId,
                                          const std::array<int, 5>& columnWidths, int rowHeight);
