#include "NILike.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/settings.h>
#include <wx/tokenzr.h>

#include "ProgramPaths.h"

wxColour ColourFromColorRef(ColorRef colour)
{
    return wxColour(static_cast<unsigned char>(colour & 0xFF), static_cast<unsigned char>((colour >> 8) & 0xFF),
                    static_cast<unsigned char>((colour >> 16) & 0xFF));
}

ColorRef ColorRefFromColour(const wxColour& colour)
{
    return static_cast<ColorRef>(colour.Red()) | (static_cast<ColorRef>(colour.Green()) << 8) |
           (static_cast<ColorRef>(colour.Blue()) << 16);
}

// ---- CNILikeStatic -----------------------------------------------------------

CNILikeStatic::CNILikeStatic() { Init(); }

CNILikeStatic::CNILikeStatic(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                             const wxSize& size, long style)
{
    Init();
    Create(parent, id, label, pos, size, style);
}

void CNILikeStatic::Init()
{
    bkColour_ = ColorRefFromColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    textColour_ = 0;
    bkBrush_ = wxBrush(ColourFromColorRef(bkColour_), wxBRUSHSTYLE_SOLID);
}

bool CNILikeStatic::Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                           const wxSize& size, long style)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT); // the paint handler fills everything
    if (!wxControl::Create(parent, id, pos, size, style | wxBORDER_NONE, wxDefaultValidator, "CNILikeStatic")) {
        return false;
    }
    // Until SetTextFont runs the label draws in its dialog's font.
    InheritAttributes();
    text_ = label;
    wxControl::SetLabel(label);
    Bind(wxEVT_PAINT, &CNILikeStatic::OnPaint, this);
    // The given size is where the label starts; its best size never falls
    // below it (DoGetBestSize), and it grows with its text.
    nominal_ = size;
    Rewrap();
    SetInitialSize(wxDefaultSize);
    return true;
}

void CNILikeStatic::Redraw()
{
    if (!GetHandle()) return;
    Refresh(true);
    Update();
}

void CNILikeStatic::SetBkColour(ColorRef colour)
{
    bkColour_ = colour;
    bkBrush_ = wxBrush(ColourFromColorRef(colour), wxBRUSHSTYLE_SOLID);
    Redraw();
}

void CNILikeStatic::SetTextColour(ColorRef colour)
{
    textColour_ = colour;
    Redraw();
}

void CNILikeStatic::SetTextFont()
{
    // The height the label was made for: a label grown to more lines must
    // not take a larger font for it.
    const int h = nominal_.GetHeight() > 0 ? nominal_.GetHeight() : GetClientSize().GetHeight();
    const int height = static_cast<int>(h * 0.8); // truncated toward zero
    if (height <= 0) return; // no size yet: keep the current font
    wxFontInfo info(wxSize(0, height));
#ifdef __WXMSW__
    // GB2312 character set, so the system picks a face with Chinese glyphs.
    info.Encoding(wxFONTENCODING_CP936);
#endif
    labelFont_ = wxFont(info);
    fontHeight_ = height;
    SetFont(labelFont_);
    Redraw();
}

void CNILikeStatic::SetRedText(std::string text)
{
    SetTextFont();
    SetText(text);
    SetTextColour(kColorRefRed);
}

void CNILikeStatic::SetGreenText(std::string text)
{
    SetTextFont();
    SetText(text);
    SetTextColour(kColorRefGreen);
}

void CNILikeStatic::SetText(const std::string& text) { SetLabel(wxString::FromUTF8(text)); }

void CNILikeStatic::SetLabel(const wxString& label)
{
    // Kept apart from the control label: '&' is text here, not a mnemonic.
    text_ = label;
    wxControl::SetLabel(label);
    Rewrap();
    Redraw();
}

bool CNILikeStatic::SetFont(const wxFont& font)
{
    const bool changed = wxControl::SetFont(font);
    Rewrap();
    return changed;
}

void CNILikeStatic::WrapTo(int width)
{
    if (width == wrapWidth_)
        return;
    wrapWidth_ = width;
    Rewrap();
    if (GetHandle())
        Refresh();
}

void CNILikeStatic::Rewrap()
{
    // The text keeps a margin of 2 pixels on each side.
    const int textWidth = wrapWidth_ > 0 ? std::max(1, wrapWidth_ - 4) : 0;
    lines_ = WrapLines(text_, textWidth, [this](const wxString& line) {
        const wxFont font = GetFont();
        int w = 0;
        GetTextExtent(line, &w, nullptr, nullptr, nullptr, &font);
        return w;
    });
    InvalidateBestSize();
}

void CNILikeStatic::Render(wxDC& dc) const
{
    const wxSize size = GetClientSize();
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(bkBrush_);
    dc.DrawRectangle(0, 0, size.GetWidth(), size.GetHeight());
    if (text_.empty()) return;
    dc.SetFont(GetFont());
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(ColourFromColorRef(textColour_));
    // Every line centred; the block of lines centred vertically.
    const std::vector<wxString>& lines = lines_;
    if (lines.empty()) return;
    int lineHeight = 0;
    dc.GetTextExtent("Hg", nullptr, &lineHeight);
    int y = (size.GetHeight() - lineHeight * static_cast<int>(lines.size())) / 2;
    for (const wxString& line : lines) {
        int w = 0;
        dc.GetTextExtent(line, &w, nullptr);
        dc.DrawText(line, (size.GetWidth() - w) / 2, y);
        y += lineHeight;
    }
}

wxSize CNILikeStatic::DoGetBestSize() const
{
    // The text in the label's own font with a margin of 2 pixels, never
    // less than the size the label was made with, nor wider than it may be.
    // An empty label keeps the size it was made with.
    if (text_.empty() && nominal_.x > 0 && nominal_.y > 0)
        return nominal_;
    wxSize text = MeasureLines(this, lines_, false);
    if (text_.empty())
        text.x = MeasureLines(this, {wxString("M")}, false).x;
    wxSize best(text.x + 4, text.y + 4);
    int width = std::max(best.x, nominal_.x);
    if (wrapWidth_ > 0)
        width = std::max(best.x, std::min(width, wrapWidth_));
    return wxSize(width, std::max(best.y, nominal_.y));
}

void CNILikeStatic::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    Render(dc);
}

// ---- CNILikeLight ------------------------------------------------------------

CNILikeLight::CNILikeLight() = default;

CNILikeLight::CNILikeLight(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
{
    Create(parent, id, pos, size, style);
}

bool CNILikeLight::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!wxControl::Create(parent, id, pos, size, style | wxBORDER_NONE, wxDefaultValidator, "CNILikeLight")) {
        return false;
    }
    Bind(wxEVT_PAINT, &CNILikeLight::OnPaint, this);
    return true;
}

bool CNILikeLight::LoadBitmap(const char* relativePath)
{
    const wxString path = wxString::FromUTF8(tarvel::ProgramDataPath(relativePath));
    bitmap_ = wxBitmap();
    if (wxFileExists(path)) {
        wxLogNull quiet; // a broken file only leaves the lamp dark
        bitmap_.LoadFile(path, wxBITMAP_TYPE_BMP);
    }
    // Repaint without erasing: the picture covers the whole control.
    if (GetHandle()) Refresh(false);
    return bitmap_.IsOk();
}

bool CNILikeLight::SetBackgroundBitmap() { return LoadBitmap("res/bkGrnd.bmp"); }
bool CNILikeLight::SetGrayLight() { return LoadBitmap("res/graylight.bmp"); }
bool CNILikeLight::SetGreenLight() { return LoadBitmap("res/greenlight.bmp"); }

void CNILikeLight::Render(wxDC& dc) const
{
    if (!bitmap_.IsOk()) return;
    const wxSize size = GetClientSize();
    wxMemoryDC source;
    source.SelectObjectAsSource(bitmap_);
    // The lamp square, but never more than the picture has: a smaller file
    // is scaled as it is instead of being read past its edge.
    const int w = std::min(kSourceSize, bitmap_.GetWidth());
    const int h = std::min(kSourceSize, bitmap_.GetHeight());
    dc.StretchBlit(0, 0, size.GetWidth(), size.GetHeight(), &source, 0, 0, w, h, wxCOPY);
    source.SelectObject(wxNullBitmap);
}

void CNILikeLight::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    Render(dc);
}
