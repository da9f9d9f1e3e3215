// How the columns of a grid or report list share the width they have. A list
// of the program shows what the user came for in one column (the value); the
// columns before it must leave it in view, a long name column gives way to
// it, and the columns after it follow where there is room.
//
// Plain arithmetic on pixel widths: the caller measures the texts.
#pragma once

#include <vector>

enum class ColumnRole {
    Whole,    // always as wide as its widest text (a number, a value)
    GivesWay, // as wide as its widest text where there is room, but narrowed
              // (not below its least width) so that the Whole and Follows
              // columns stay in view
    Follows,  // as wide as its widest text (a unit beside its value)
    Fills,    // what the others leave, at least its least width; nothing
              // gives way to it
};

struct FittedColumn {
    ColumnRole role = ColumnRole::Whole;
    int content = 0; // the width its header and widest cell need
    int least = 0;   // the narrowest a GivesWay or Fills column is made
                     // while the least widths of all columns fit
    int narrowest = 0; // where they do not: the narrowest it is made then
                       // (a description keeps its heading whole, a name
                       // may lose part of it); not below `least` where
                       // this is 0
};

// The widths of `columns` in a list `room` pixels wide. Every column's least
// width is set aside first; then a GivesWay column grows into what is left,
// up to its content, and a Fills column takes the rest (without one, the
// GivesWay column does, else the last column). Where even the least widths
// do not fit, the Fills and then the GivesWay columns are narrowed towards
// their `narrowest`; only where that does not do either, the widths run past
// `room` (the list then scrolls sideways), with the Whole columns still
// whole.
std::vector<int> FitColumns(int room, const std::vector<FittedColumn>& columns);
