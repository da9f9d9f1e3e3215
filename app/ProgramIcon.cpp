#include "ProgramIcon.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

wxIcon ProgramIcon(int size)
{
    wxBitmap bmp(size, size, 24);
    {
        wxMemoryDC dc(bmp);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        dc.GradientFillLinear(wxRect(0, 0, size, size), wxColour(20, 60, 130), wxColour(90, 150, 220), wxSOUTH);
        dc.SetTextForeground(*wxWHITE);
        dc.SetFont(wxFont(wxFontInfo(wxSize(0, size * 3 / 4)).Bold().Family(wxFONTFAMILY_SWISS)));
        const wxSize extent = dc.GetTextExtent("V");
        dc.DrawText("V", (size - extent.x) / 2, (size - extent.y) / 2);
    }
    wxIcon icon;
    icon.CopyFromBitmap(bmp);
    return icon;
}

wxIconBundle ProgramIcons()
{
    wxIconBundle icons;
    for (int size : {16, 32, 48, 64})
        icons.AddIcon(ProgramIcon(size));
    return icons;
}
