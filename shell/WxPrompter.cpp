#include "WxPrompter.h"

#include "LineWrap.h"
#include "TextCodec.h"

#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/string.h>
#include <wx/thread.h>

#include <algorithm>
#include <vector>

namespace tarvel {

namespace {

// Space around the box's contents and between the icon and the text.
constexpr int kBorder = 10;
constexpr int kIconGap = 20;
// The box keeps this far from the edges of its screen, leaving room for the
// window frame the window manager adds.
constexpr int kScreenMargin = 24;
// A box's text takes at most this part of its screen's width: wide enough
// for a long message in a few lines, narrow enough to read.
constexpr double kTextShareOfScreen = 2.0 / 3.0;

// The program's main window, when it is on the screen: every box stands on
// it, not on whatever window happens to have the focus.
wxWindow* MainWindow()
{
    wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    if (!top || top->IsBeingDeleted() || !top->IsShownOnScreen())
        return nullptr;
    return top;
}

// The part of the screen `window` is on (the first screen without one)
// that windows may take.
wxRect ScreenArea(const wxWindow* window)
{
    int index = window ? wxDisplay::GetFromWindow(window) : wxNOT_FOUND;
    if (index == wxNOT_FOUND || index >= static_cast<int>(wxDisplay::GetCount()))
        index = 0;
    return wxDisplay(static_cast<unsigned>(index)).GetClientArea();
}

long ButtonFlags(MsgButtons buttons, MsgDefault defaultButton)
{
    long flags = 0;
    switch (buttons) {
    case MsgButtons::Ok: flags = wxOK; break;
    case MsgButtons::OkCancel:
    case MsgButtons::RetryCancel: flags = wxOK | wxCANCEL; break;
    case MsgButtons::YesNo: flags = wxYES_NO; break;
    case MsgButtons::YesNoCancel: flags = wxYES_NO | wxCANCEL; break;
    }
    if (defaultButton == MsgDefault::No && (flags & wxNO))
        flags |= wxNO_DEFAULT;
    return flags;
}

long IconFlag(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return 0;
    case MsgIcon::Information: return wxICON_INFORMATION;
    case MsgIcon::Exclamation: return wxICON_EXCLAMATION;
    case MsgIcon::Error: return wxICON_ERROR;
    case MsgIcon::Question: return wxICON_QUESTION;
    }
    return 0;
}

// The program's message box. Its text is broken into lines that fit its
// screen (the toolkit's generic box kept every line whole and grew past the
// screen's edge, where the window manager cut it); it is at least as wide as
// its caption in the title bar's bold letters, with room for the title bar's
// buttons, but never wider than its screen; it stands in the middle of the
// main window. Escape and the title bar's close button answer No on a Yes/No
// box (they answer Cancel where there is a Cancel button).
class MessageBox : public wxDialog {
public:
    MessageBox(wxWindow* parent, const wxString& text, const wxString& caption, MsgIcon icon, MsgButtons buttons,
               MsgDefault defaultButton)
        : wxDialog(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
    {
        const wxRect screen = ScreenArea(parent ? parent : this);
        const int widest = std::max(screen.width - 2 * kScreenMargin, 200);

        auto* top = new wxBoxSizer(wxVERTICAL);
        auto* iconAndText = new wxBoxSizer(wxHORIZONTAL);
        int iconWidth = 0;
        if (const long iconFlag = IconFlag(icon)) {
            auto* picture = new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetMessageBoxIcon(iconFlag));
            iconAndText->Add(picture, wxSizerFlags().Top().Border(wxRIGHT, FromDIP(kIconGap)));
            iconWidth = picture->GetBestSize().x + FromDIP(kIconGap);
        }

        const int textWidth =
            std::min(static_cast<int>(screen.width * kTextShareOfScreen), widest) - iconWidth - 2 * FromDIP(kBorder);
        const wxFont font = GetFont();
        std::vector<std::string> lines =
            WrapTextLines(text.utf8_string(), std::max(textWidth, 100), [this, &font](const std::string& line) {
                int width = 0;
                int height = 0;
                GetTextExtent(wxString::FromUTF8(line), &width, &height, nullptr, nullptr, &font);
                return width;
            });
        wxString shown;
        for (size_t i = 0; i < lines.size(); ++i)
            shown << (i ? "\n" : "") << wxString::FromUTF8(lines[i]);

        // A text taller than the screen scrolls in a part of the box as high
        // as the screen leaves room for, so the buttons stay on it.
        const int tallest = std::max(screen.height - 2 * kScreenMargin - 8 * GetCharHeight(), 4 * GetCharHeight());
        wxWindow* textParent = this;
        wxScrolledWindow* scrolled = nullptr;
        wxClientDC dc(this);
        dc.SetFont(font);
        const wxSize textSize = dc.GetMultiLineTextExtent(shown);
        if (textSize.y > tallest) {
            scrolled = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL);
            textParent = scrolled;
        }
        auto* message = new wxStaticText(textParent, wxID_ANY, wxControl::EscapeMnemonics(shown));
        message->SetName("message");
        if (scrolled) {
            auto* inside = new wxBoxSizer(wxVERTICAL);
            inside->Add(message);
            scrolled->SetSizer(inside);
            scrolled->SetScrollRate(0, GetCharHeight());
            scrolled->SetMinSize(
                wxSize(message->GetBestSize().x + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this), tallest));
            iconAndText->Add(scrolled, wxSizerFlags(1).Expand());
        } else {
            iconAndText->Add(message, wxSizerFlags().CentreVertical());
        }
        top->Add(iconAndText, wxSizerFlags(1).Border(wxLEFT | wxRIGHT | wxTOP, FromDIP(kBorder)));

        // As wide as the caption, with the window menu, minimise, maximise
        // and close buttons and the title bar's margins, as far as the
        // screen allows.
        dc.SetFont(font.Bold());
        const wxSize captionSize = dc.GetTextExtent(caption);
        top->Add(std::min(captionSize.x + 8 * captionSize.y, widest), 0);

        if (wxSizer* row = CreateSeparatedButtonSizer(ButtonFlags(buttons, defaultButton)))
            top->Add(row, wxSizerFlags().Expand().Border(wxALL, FromDIP(kBorder)));
        if (buttons == MsgButtons::RetryCancel)
            if (wxWindow* ok = FindWindow(wxID_OK))
                ok->SetLabel("&Retry");
        const int defaultId = defaultButton == MsgDefault::No && (buttons == MsgButtons::YesNo ||
                                                                  buttons == MsgButtons::YesNoCancel)
                                  ? wxID_NO
                                  : wxID_NONE;
        if (auto* button = dynamic_cast<wxButton*>(FindWindow(defaultId))) {
            button->SetDefault();
            button->SetFocus();
        }
        // Without a Cancel button the toolkit maps Escape to the affirmative
        // button, which is Yes: a key meant to get rid of the box would
        // answer the question.
        if (buttons == MsgButtons::YesNo)
            SetEscapeId(wxID_NO);
        Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) { EndModal(event.GetId()); });

        SetSizerAndFit(top);
        wxSize size = GetSize();
        size.x = std::min(size.x, screen.width);
        size.y = std::min(size.y, screen.height);
        SetSize(size);
        StandOn(parent, screen);
    }

private:
    // In the middle of the part of `parent` on the screen (of the screen
    // without one), inside `screen`.
    void StandOn(const wxWindow* parent, const wxRect& screen)
    {
        wxRect around = parent ? parent->GetScreenRect().Intersect(screen) : screen;
        if (around.IsEmpty())
            around = screen;
        const wxSize size = GetSize();
        wxPoint at(around.x + (around.width - size.x) / 2, around.y + (around.height - size.y) / 2);
        at.x = std::max(screen.x, std::min(at.x, screen.GetRight() + 1 - size.x));
        at.y = std::max(screen.y, std::min(at.y, screen.GetBottom() + 1 - size.y));
        Move(at);
    }
};

} // namespace

MsgAnswer WxPrompter::AnswerWithoutUser(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo: return MsgAnswer::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel: return MsgAnswer::Cancel;
    }
    return MsgAnswer::Cancel;
}

MsgAnswer WxPrompter::Show(const std::string& text, const std::string& caption, MsgIcon icon,
                           MsgButtons buttons)
{
    return ShowWithDefault(text, caption, icon, buttons, MsgDefault::First);
}

MsgAnswer WxPrompter::ShowWithDefault(const std::string& text, const std::string& caption, MsgIcon icon,
                                      MsgButtons buttons, MsgDefault defaultButton)
{
    if (wxThread::IsMain())
        return ShowBox(text, caption, icon, buttons, defaultButton);
    // The call is queued thread-safely and runs on the UI thread; it goes
    // through whatever prompter is installed then, not through this object,
    // which may be gone by that time.
    if (wxTheApp) {
        wxTheApp->CallAfter([text, caption, icon, buttons, defaultButton] {
            GetPrompter().ShowWithDefault(text, caption, icon, buttons, defaultButton);
        });
    }
    return AnswerWithoutUser(buttons);
}

MsgAnswer WxPrompter::ShowBox(const std::string& text, const std::string& caption, MsgIcon icon,
                              MsgButtons buttons, MsgDefault defaultButton)
{
    MessageBox box(MainWindow(), wxString::FromUTF8(EscapeUnshowableBytes(text)),
                   wxString::FromUTF8(EscapeUnshowableBytes(caption)), icon, buttons, defaultButton);
    switch (box.ShowModal()) {
    case wxID_YES: return MsgAnswer::Yes;
    case wxID_NO: return MsgAnswer::No;
    case wxID_CANCEL: return MsgAnswer::Cancel;
    default: return buttons == MsgButtons::RetryCancel ? MsgAnswer::Retry : MsgAnswer::Ok;
    }
}

} // namespace tarvel
