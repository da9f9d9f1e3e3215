// Coloured result labels and the bitmap lamp.
//
// CNILikeStatic is the label the pages show results in: centred text on a
// solid background, a pass in green and a failure in red. Colours are given
// the Windows way, as 0x00BBGGRR values (0x0000FF is red, 0x00FF00 green).
// The label paints itself, so the colours look the same on every platform.
// The size it is created with is the least it takes: it grows to show its
// text in its font, and breaks the text into lines where its page is too
// narrow for it.
//
// CNILikeLight draws a lamp picture (142 x 142 pixels) scaled to its size.
#pragma once

#include <cstdint>
#include <string>

#include <wx/bitmap.h>
#include <wx/brush.h>
#include <wx/control.h>
#include <wx/font.h>

#include "TextWrap.h"
#include <vector>

using ColorRef = uint32_t; // 0x00BBGGRR

constexpr ColorRef kColorRefRed = 0x0000FF;
constexpr ColorRef kColorRefGreen = 0x00FF00;

wxColour ColourFromColorRef(ColorRef colour);
ColorRef ColorRefFromColour(const wxColour& colour);

class CNILikeStatic : public wxControl, public CWrapsText {
public:
    CNILikeStatic();
    CNILikeStatic(wxWindow* parent, wxWindowID id, const wxString& label = wxString(),
                  const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize, long style = 0);
    bool Create(wxWindow* parent, wxWindowID id, const wxString& label = wxString(),
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize, long style = 0);

    // Store the colour and repaint at once, so it shows before the call
    // returns.
    void SetBkColour(ColorRef colour);
    void SetTextColour(ColorRef colour);
    // Fits the label's own font to its height: 80 % of the client height.
    void SetTextFont();
    // SetTextFont, the text (UTF-8), then red or green text.
    void SetRedText(std::string text);
    void SetGreenText(std::string text);
    // Sets the text (UTF-8) and repaints.
    void SetText(const std::string& text);

    ColorRef BkColour() const { return bkColour_; }
    ColorRef TextColour() const { return textColour_; }
    // The font height SetTextFont chose, in pixels; 0 while the label still
    // draws in its parent's font.
    int TextFontHeight() const { return fontHeight_; }

    void SetLabel(const wxString& label) override;
    bool SetFont(const wxFont& font) override;

    void WrapTo(int width) override;
    int WrapWidth() const override { return wrapWidth_; }
    // The lines the label shows.
    const std::vector<wxString>& Lines() const { return lines_; }

    // Paints the label onto `dc` (the paint handler, and tests that render
    // it into a bitmap).
    void Render(wxDC& dc) const;

protected:
    wxSize DoGetBestSize() const override;

private:
    void Init();
    void Redraw();
    void Rewrap();
    void OnPaint(wxPaintEvent& event);

    wxBrush bkBrush_;
    ColorRef bkColour_ = 0;
    ColorRef textColour_ = 0;
    wxFont labelFont_;
    int fontHeight_ = 0;
    wxString text_;
    // The size the label was created with (its least size), and the lines
    // its text is shown in.
    wxSize nominal_;
    int wrapWidth_ = 0;
    std::vector<wxString> lines_;
};

class CNILikeLight : public wxControl {
public:
    CNILikeLight();
    CNILikeLight(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = 0);
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = 0);

    // Each loads its picture from beside the program ("res/bkGrnd.bmp",
    // "res/graylight.bmp", "res/greenlight.bmp"), replacing the current one.
    // A missing file leaves the lamp without a picture; it then paints
    // nothing. Returns whether the picture loaded.
    bool SetBackgroundBitmap();
    bool SetGrayLight();
    bool SetGreenLight();

    bool HasBitmap() const { return bitmap_.IsOk(); }
    void Render(wxDC& dc) const;

    // The lamp pictures are drawn from this square of the file.
    static constexpr int kSourceSize = 142;

private:
    bool LoadBitmap(const char* relativePath);
    void OnPaint(wxPaintEvent& event);

    wxBitmap bitmap_;
};
