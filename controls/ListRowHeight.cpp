#include "ListRowHeight.h"

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/imaglist.h>

#include <algorithm>

wxImageList* MakeRowHeightImages(int height)
{
    wxImage picture(1, height);
    picture.SetAlpha();
    std::fill(picture.GetAlpha(), picture.GetAlpha() + height, 0);
    auto* images = new wxImageList(1, height, true, 1);
    images->Add(wxBitmap(picture));
    return images;
}
