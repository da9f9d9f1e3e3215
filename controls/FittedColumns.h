// Grids and report lists whose columns fit the width they have (the rule is
// ColumnFit.h): measured from their header and cell texts in the fonts they
// are drawn in, fitted again whenever the control is resized or told that its
// texts changed. A text cut short in its column (it ends in an ellipsis)
// shows whole as the mouse's tool tip.
#pragma once

#include "ColumnFit.h"

#include <wx/gdicmn.h>
#include <wx/string.h>

#include <vector>

class wxGrid;
class wxListCtrl;
class wxWindow;

struct ColumnFitting {
    ColumnRole role;
    int least = 0; // GivesWay and Fills: never narrower than this nor than
                   // the column's header
};

// The space a cell leaves around its text, in pixels (each side together).
constexpr int kGridCellPadding = 10;
constexpr int kListCellPadding = 16;

// Keeps the columns of `grid` (one entry of `columns` a column) fitted.
void KeepColumnsFitted(wxGrid* grid, std::vector<ColumnFitting> columns);
void KeepColumnsFitted(wxListCtrl* list, std::vector<ColumnFitting> columns);
// Fits the columns of a control set up by KeepColumnsFitted again (after its
// texts changed); nothing for any other window.
void RefitColumns(wxWindow* control);

// A list of one-line texts: a report list of one column without a heading,
// the column always as wide as the list, so that the list never scrolls
// sideways; a line too long for it ends in an ellipsis and shows whole as
// the mouse's tool tip. One row can be selected.
wxListCtrl* CreateLineList(wxWindow* parent, int id, const wxSize& size = wxDefaultSize, long border = 0);
// Shows `lines` in a list made by CreateLineList, one a row (the list is
// refilled only when they differ from what it shows).
void ShowLines(wxListCtrl* list, const std::vector<wxString>& lines);
// The lines such a list shows, each whole.
std::vector<wxString> LinesOf(const wxListCtrl* list);

// Where a report list draws its rows: the list itself where it is the
// platform's own; the generic list draws them in a child below its header.
wxWindow* RowWindowOf(wxListCtrl* list);
