#include "TextWrap.h"

#include "LineWrap.h"

#include <wx/control.h>
#include <wx/statbox.h>

#include <algorithm>

namespace {

// The narrowest a wrapping control is ever made.
constexpr int kLeastWrapWidth = 40;

// Sets the width a control wraps to (0 or less: it does not wrap; otherwise
// never narrower than kLeastWrapWidth); true when that width changed.
bool TakeWrapWidth(int& wrapWidth, int width)
{
    if (width > 0)
        width = std::max(width, kLeastWrapWidth);
    if (width == wrapWidth)
        return false;
    wrapWidth = width;
    return true;
}

// Where `window` stands from the left edge of `page`'s client area.
int LeftInPage(const wxWindow* window, const wxWindow* page)
{
    int x = window->GetPosition().x;
    for (const wxWindow* parent = window->GetParent(); parent && parent != page; parent = parent->GetParent())
        x += parent->GetPosition().x + parent->GetClientAreaOrigin().x;
    return x;
}

bool ShownInPage(const wxWindow* window, const wxWindow* page)
{
    for (const wxWindow* w = window; w && w != page; w = w->GetParent())
        if (!w->IsShown())
            return false;
    return true;
}

void Collect(wxWindow* window, std::vector<std::pair<wxWindow*, CWrapsText*>>& found)
{
    for (wxWindow* child : window->GetChildren()) {
        if (auto* wraps = dynamic_cast<CWrapsText*>(child))
            found.emplace_back(child, wraps);
        Collect(child, found);
    }
}

// A frame is never narrower than its caption (the platform sizes it by its
// contents alone).
void FitFramesToCaptions(wxWindow* window)
{
    constexpr int kCaptionMargin = 24;
    for (wxWindow* child : window->GetChildren()) {
        if (auto* frame = dynamic_cast<wxStaticBox*>(child)) {
            const wxString caption = wxControl::RemoveMnemonics(frame->GetLabel());
            const int width = caption.empty() ? -1 : frame->GetTextExtent(caption).x + kCaptionMargin;
            if (frame->GetMinSize().x != width)
                frame->SetMinSize(wxSize(width, frame->GetMinSize().y));
        }
        FitFramesToCaptions(child);
    }
}

} // namespace

std::vector<wxString> WrapLines(const wxString& text, int width, const std::function<int(const wxString&)>& measure)
{
    std::vector<wxString> lines;
    for (const std::string& line : tarvel::WrapTextLines(text.utf8_string(), width, [&measure](const std::string& line) {
             return measure(wxString::FromUTF8(line));
         }))
        lines.push_back(wxString::FromUTF8(line));
    return lines;
}

wxSize MeasureLines(const wxWindow* window, const std::vector<wxString>& lines, bool mnemonics)
{
    int width = 0;
    int height = 0;
    const wxFont font = window->GetFont();
    for (const wxString& line : lines) {
        int w = 0;
        int h = 0;
        const wxString shown = mnemonics ? wxControl::RemoveMnemonics(line) : line;
        window->GetTextExtent(shown.empty() ? wxString("Hg") : shown, &w, &h, nullptr, nullptr, &font);
        if (!shown.empty())
            width = std::max(width, w);
        height += h;
    }
    return wxSize(width, height);
}

// ---- CWrapText -----------------------------------------------------------------

CWrapText::CWrapText(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos, const wxSize& size,
                     long style)
    : wxStaticText(parent, id, label, pos, size, style), text_(label)
{
    Rewrap();
}

void CWrapText::SetLabel(const wxString& label)
{
    if (label == text_ && !lines_.empty())
        return;
    text_ = label;
    Rewrap();
}

bool CWrapText::SetFont(const wxFont& font)
{
    const bool changed = wxStaticText::SetFont(font);
    Rewrap();
    return changed;
}

void CWrapText::WrapTo(int width)
{
    if (TakeWrapWidth(wrapWidth_, width))
        Rewrap();
}

void CWrapText::Rewrap()
{
    lines_ = WrapLines(text_, wrapWidth_, [this](const wxString& line) {
        return GetTextExtent(wxControl::RemoveMnemonics(line)).x;
    });
    wxString shown;
    for (size_t i = 0; i < lines_.size(); ++i)
        shown += (i ? "\n" : "") + lines_[i];
    if (wxStaticText::GetLabel() != shown)
        wxStaticText::SetLabel(shown);
    InvalidateBestSize();
}

wxSize CWrapText::DoGetBestSize() const
{
    // Measured here in the label's own font: the platform may still measure
    // a label of a page never shown in the font it had before.
    return MeasureLines(this, lines_);
}

// ---- CWrapCheckBox ---------------------------------------------------------------

CWrapCheckBox::CWrapCheckBox(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                             const wxSize& size, long style)
    : wxCheckBox(parent, id, label, pos, size, style), text_(label)
{
}

void CWrapCheckBox::SetLabel(const wxString& label)
{
    if (label == text_)
        return;
    text_ = label;
    Rewrap();
}

void CWrapCheckBox::WrapTo(int width)
{
    if (TakeWrapWidth(wrapWidth_, width))
        Rewrap();
}

void CWrapCheckBox::Rewrap()
{
    auto measure = [this](const wxString& line) { return GetTextExtent(wxControl::RemoveMnemonics(line)).x; };
    int textWidth = wrapWidth_;
    if (wrapWidth_ > 0) {
        // What the box and the gap beside the caption take.
        InvalidateBestSize();
        const std::vector<wxString> shownNow =
            WrapLines(wxCheckBox::GetLabel(), 0, measure);
        const int box = std::max(0, GetBestSize().x - MeasureLines(this, shownNow).x);
        textWidth = wrapWidth_ - box;
    }
    const std::vector<wxString> lines = WrapLines(text_, textWidth, measure);
    wxString shown;
    for (size_t i = 0; i < lines.size(); ++i)
        shown += (i ? "\n" : "") + lines[i];
    if (wxCheckBox::GetLabel() != shown)
        wxCheckBox::SetLabel(shown);
    InvalidateBestSize();
}

// ---- CWrapRow ---------------------------------------------------------------------

CWrapRow::CWrapRow() : wxWrapSizer(wxHORIZONTAL, 0) {}

wxSize CWrapRow::CalcMin()
{
    // The base keeps the sizes its items had at the last layout once it
    // knows its width; a caption changed since must count.
    for (wxSizerItem* item : GetChildren())
        if (item->IsShown())
            item->CalcMin();
    return wxWrapSizer::CalcMin();
}

// ---- Fitting a page ---------------------------------------------------------------

void FitTextsToWidth(wxWindow* page, int width, int rightMargin)
{
    FitFramesToCaptions(page);
    std::vector<std::pair<wxWindow*, CWrapsText*>> texts;
    Collect(page, texts);
    // Twice: rows that wrap learn their width in the first pass and take
    // the height of their lines in the second.
    page->Layout();
    if (width <= 0 || texts.empty()) {
        page->Layout();
        return;
    }
    for (auto& [window, wraps] : texts)
        wraps->WrapTo(wraps->WidthShare() < 1.0 ? static_cast<int>(wraps->WidthShare() * width) : 0);
    page->Layout();
    const int right = width - rightMargin;
    bool narrowed = false;
    for (auto& [window, wraps] : texts) {
        if (!ShownInPage(window, page))
            continue;
        // What it asks for, not what it got: a sizer squeezes a control that
        // is too wide rather than letting it run past the page.
        const int allowed = right - LeftInPage(window, page);
        if (std::max(window->GetSize().x, window->GetBestSize().x) > allowed) {
            wraps->WrapTo(allowed);
            narrowed = true;
        }
    }
    if (narrowed)
        page->Layout();
    page->Layout();
}
