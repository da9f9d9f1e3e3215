// A picture that gives way: it asks its sizer for a small least size and
// shows its bitmap as large as the room it is given allows, up to the
// bitmap's own size, keeping its proportions and centred. Added with a
// proportion, it takes the room the texts and buttons around it leave, so
// they stay in view on a small screen while the picture shrinks.
#pragma once

#include <wx/bitmap.h>
#include <wx/window.h>

class CShrinkingPicture : public wxWindow {
public:
    // `full`: the size the picture is shown at where there is room;
    // `least`: the smallest size it is shrunk to.
    CShrinkingPicture(wxWindow* parent, wxWindowID id, const wxSize& full, const wxSize& least);

    void SetBitmap(const wxBitmap& bitmap);
    const wxBitmap& GetBitmap() const { return bitmap_; }
    // Where the bitmap is drawn in the control, at what size.
    wxRect DrawnRect() const;

    bool AcceptsFocus() const override { return false; }

protected:
    wxSize DoGetBestSize() const override { return least_; }

private:
    void OnPaint(wxPaintEvent& event);

    wxBitmap bitmap_;
    wxSize full_;
    wxSize least_;
};
