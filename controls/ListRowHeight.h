// The row height of a report list. wxListCtrl takes its row height from its
// small-image list, so a list with taller rows gets an image list of one
// picture, one pixel wide and as high as a row.
#pragma once

class wxImageList;

// An image list whose one picture is one pixel wide, `height` pixels high and
// wholly transparent, so the first column shows its text on the list's own
// background (a bitmap left uninitialised paints that cell black). The caller
// owns it (or hands it to the list with AssignImageList).
wxImageList* MakeRowHeightImages(int height);
