#include "WxPrompter.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/string.h>
#include <wx/thread.h>

namespace tarvel {

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
    wxMessageDialog dialog(nullptr, wxString::FromUTF8(text), wxString::FromUTF8(caption), style);
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
