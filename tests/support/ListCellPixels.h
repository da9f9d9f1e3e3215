// What a cell of a report list looks like on the screen: its pixels, read
// back from the display after the list has painted itself.
#pragma once

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/time.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <map>

namespace list_pixels {

struct CellPixels {
    int total = 0;
    int black = 0; // near black
    int background = 0; // of the cell's most frequent colour
    bool read = false;
};

// The pixels of cell (row, column) as the display shows them now, a margin
// of 3 pixels left out at its edges (grid lines).
inline CellPixels ReadCellOnce(wxListCtrl* list, long row, int column)
{
    CellPixels out;
    wxRect cell;
    if (!list->GetSubItemRect(row, column, cell))
        return out;
    cell.Deflate(3);
    if (cell.width <= 0 || cell.height <= 0)
        return out;
    const wxPoint onScreen = list->ClientToScreen(cell.GetTopLeft());
    wxBitmap shot(cell.width, cell.height);
    {
        wxMemoryDC memory(shot);
        wxScreenDC screen;
        memory.Blit(0, 0, cell.width, cell.height, &screen, onScreen.x, onScreen.y);
    }
    const wxImage image = shot.ConvertToImage();
    std::map<unsigned long, int> colours;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            const unsigned char r = image.GetRed(x, y), g = image.GetGreen(x, y), b = image.GetBlue(x, y);
            ++out.total;
            if (r < 40 && g < 40 && b < 40)
                ++out.black;
            ++colours[static_cast<unsigned long>(r) << 16 | static_cast<unsigned long>(g) << 8 | b];
        }
    }
    for (const auto& c : colours)
        out.background = std::max(out.background, c.second);
    out.read = out.total > 0;
    return out;
}

// The pixels of cell (row, column) once the list has painted itself. Other
// test programs share the display, so the window is raised and the cell read
// again (for up to 5 s) while it shows one plain colour: another window may
// still lie over it, or it may not be painted yet. A cell that shows anything
// but one colour is taken as it is.
inline CellPixels ReadCell(wxListCtrl* list, long row, int column)
{
    CellPixels out;
    const wxLongLong until = wxGetLocalTimeMillis() + 5000;
    do {
        if (wxWindow* top = wxGetTopLevelParent(list))
            top->Raise();
        list->Refresh();
        list->Update();
        for (int i = 0; i < 20; ++i)
            wxTheApp->Yield(true);
        out = ReadCellOnce(list, row, column);
        if (!out.read || out.background < out.total)
            return out;
        wxMilliSleep(50);
    } while (wxGetLocalTimeMillis() < until);
    return out;
}

// A cell that shows its text on a readable background: mostly one light
// colour, with the few pixels of the text on it.
inline bool ShowsTextOnALightBackground(const CellPixels& p)
{
    return p.read && p.black * 4 < p.total && p.background * 10 >= p.total * 6 && p.background < p.total;
}

} // namespace list_pixels
