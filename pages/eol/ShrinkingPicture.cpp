#include "ShrinkingPicture.h"

#include <wx/dcbuffer.h>
#include <wx/image.h>

#include <algorithm>

CShrinkingPicture::CShrinkingPicture(wxWindow* parent, wxWindowID id, const wxSize& full, const wxSize& least)
    : wxWindow(parent, id, wxDefaultPosition, least, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE),
      full_(full),
      least_(least)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetMinSize(least_);
    // As wide as it is given (the bitmap is centred), never taller than
    // the bitmap.
    SetMaxSize(wxSize(-1, full_.y));
    Bind(wxEVT_PAINT, &CShrinkingPicture::OnPaint, this);
}

void CShrinkingPicture::SetBitmap(const wxBitmap& bitmap)
{
    bitmap_ = bitmap;
    Refresh();
}

wxRect CShrinkingPicture::DrawnRect() const
{
    if (!bitmap_.IsOk() || bitmap_.GetWidth() <= 0 || bitmap_.GetHeight() <= 0)
        return wxRect();
    const wxSize room = GetClientSize();
    const double scale = std::min({1.0, double(room.x) / bitmap_.GetWidth(), double(room.y) / bitmap_.GetHeight()});
    const wxSize drawn(std::max(1, int(bitmap_.GetWidth() * scale)), std::max(1, int(bitmap_.GetHeight() * scale)));
    return wxRect(wxPoint((room.x - drawn.x) / 2, (room.y - drawn.y) / 2), drawn);
}

void CShrinkingPicture::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
    dc.Clear();
    const wxRect at = DrawnRect();
    if (at.IsEmpty())
        return;
    if (at.GetSize() == bitmap_.GetSize()) {
        dc.DrawBitmap(bitmap_, at.GetTopLeft(), true);
        return;
    }
    const wxImage scaled = bitmap_.ConvertToImage().Scale(at.width, at.height, wxIMAGE_QUALITY_HIGH);
    dc.DrawBitmap(wxBitmap(scaled), at.GetTopLeft(), true);
}
