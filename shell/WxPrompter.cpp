#include "WxPrompter.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/msgdlg.h>
// After msgdlg.h, which declares the base it builds on.
#include <wx/generic/msgdlgg.h>
#include <wx/sizer.h>
#include <wx/string.h>
#include <wx/thread.h>

namespace tarvel {

namespace {

// The toolkit's own box takes the width of its text, however long its
// caption: a short message under "Error" showed the caption cut to "E… r".
// This box is at least as wide as its caption in the title bar's bold
// letters, with room beside it for the title bar's buttons.
class CaptionWideMessageDialog : public wxGenericMessageDialog {
public:
    using wxGenericMessageDialog::wxGenericMessageDialog;

protected:
    void AddMessageDialogDetails(wxSizer* sizer) override
    {
        wxClientDC dc(this);
        dc.SetFont(GetFont().Bold());
        const wxSize caption = dc.GetTextExtent(GetTitle());
        // The window menu, minimise, maximise and close buttons and the
        // title bar's margins.
        sizer->Add(caption.x + 8 * caption.y, 0);
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
    if (wxThread::IsMain())
        return ShowBox(text, caption, icon, buttons);
    // The call is queued thread-safely and runs on the UI thread; it goes
    // through whatever prompter is installed then, not through this object,
    // which may be gone by that time.
    if (wxTheApp) {
        wxTheApp->CallAfter([text, caption, icon, buttons] { GetPrompter().Show(text, caption, icon, buttons); });
    }
    return AnswerWithoutUser(buttons);
}

MsgAnswer WxPrompter::ShowBox(const std::string& text, const std::string& caption, MsgIcon icon,
                              MsgButtons buttons)
{
    long style = 0;
    switch (buttons) {
    case MsgButtons::Ok: style |= wxOK; break;
    case MsgButtons::OkCancel: style |= wxOK | wxCANCEL; break;
    case MsgButtons::YesNo: style |= wxYES_NO; break;
    case MsgButtons::YesNoCancel: style |= wxYES_NO | wxCANCEL; break;
    case MsgButtons::RetryCancel: style |= wxOK | wxCANCEL; break;
    }
    switch (icon) {
    case MsgIcon::None: break;
    case MsgIcon::Information: style |= wxICON_INFORMATION; break;
    case MsgIcon::Exclamation: style |= wxICON_EXCLAMATION; break;
    case MsgIcon::Error: style |= wxICON_ERROR; break;
    case MsgIcon::Question: style |= wxICON_QUESTION; break;
    }
    CaptionWideMessageDialog dialog(nullptr, wxString::FromUTF8(text), wxString::FromUTF8(caption), style);
    if (buttons == MsgButtons::RetryCancel)
        dialog.SetOKCancelLabels("&Retry", wxID_CANCEL);
    switch (dialog.ShowModal()) {
    case wxID_YES: return MsgAnswer::Yes;
    case wxID_NO: return MsgAnswer::No;
    case wxID_CANCEL: return MsgAnswer::Cancel;
    default: return buttons == MsgButtons::RetryCancel ? MsgAnswer::Retry : MsgAnswer::Ok;
    }
}

} // namespace tarvel
