// Texts that fit the width of their page: labels and check boxes that break
// a long text into lines instead of running past the page's right edge, and
// the pass that tells every such control of a page how wide it may be.
//
// A wrapping control keeps its text as given (GetLabel returns it unchanged)
// and only shows it broken into lines; its best size is measured from what it
// shows, in its own font.
#pragma once

#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/wrapsizer.h>

#include <functional>
#include <vector>

// A control whose text may be broken into lines to fit a width.
class CWrapsText {
public:
    virtual ~CWrapsText() = default;
    // The width the control may take at most; 0 or less: no limit (the text
    // keeps the lines it was given).
    virtual void WrapTo(int width) = 0;
    virtual int WrapWidth() const = 0;
    // The part of the page's width the control may take when it shares its
    // row with others (1: the whole row left of it).
    double WidthShare() const { return share_; }
    void SetWidthShare(double share) { share_ = share; }

private:
    double share_ = 1.0;
};

// `text` broken into lines no wider than `width` as `measure` tells: at
// blanks where there are any, else between any two characters (Chinese has
// no blanks); a word wider than `width` alone is broken between characters.
// The text's own line breaks stay. `width` <= 0 keeps the text's lines.
std::vector<wxString> WrapLines(const wxString& text, int width, const std::function<int(const wxString&)>& measure);

// The size of `lines` drawn in `window`'s font; `mnemonics`: an '&' marks the
// next letter and is not drawn ("&&" draws one).
wxSize MeasureLines(const wxWindow* window, const std::vector<wxString>& lines, bool mnemonics = true);

// A static text that wraps.
class CWrapText : public wxStaticText, public CWrapsText {
public:
    CWrapText(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0);

    void SetLabel(const wxString& label) override;
    wxString GetLabel() const override { return text_; }
    bool SetFont(const wxFont& font) override;

    void WrapTo(int width) override;
    int WrapWidth() const override { return wrapWidth_; }
    // The lines it shows.
    const std::vector<wxString>& Lines() const { return lines_; }

protected:
    wxSize DoGetBestSize() const override;

private:
    void Rewrap();

    wxString text_;
    int wrapWidth_ = 0;
    std::vector<wxString> lines_;
};

// A check box whose caption wraps.
class CWrapCheckBox : public wxCheckBox, public CWrapsText {
public:
    CWrapCheckBox(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = 0);

    void SetLabel(const wxString& label) override;
    wxString GetLabel() const override { return text_; }

    void WrapTo(int width) override;
    int WrapWidth() const override { return wrapWidth_; }

private:
    void Rewrap();

    wxString text_;
    int wrapWidth_ = 0;
};

// A row of controls that runs on to further lines where its page is too
// narrow for it (add it to a vertical sizer with wxEXPAND). Items keep their
// own sizes; none is stretched.
class CWrapRow : public wxWrapSizer {
public:
    CWrapRow();
    wxSize CalcMin() override;
};

// Tells every wrapping control inside `page` how wide it may be so that the
// page's contents fit `width` (the page's client width), laying the page out
// on the way: first each control may take its share of the width, then one
// that still reaches past the right margin is narrowed to end there.
void FitTextsToWidth(wxWindow* page, int width, int rightMargin);
