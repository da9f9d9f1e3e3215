#include "RestarterWx.h"

#include <wx/app.h>
#include <wx/utils.h>
#include <wx/window.h>

#include "Log.h"

namespace tarvel {

WxRestarter::WxRestarter(std::function<void()> closeProgram) : closeProgram_(std::move(closeProgram)) {}

void WxRestarter::Restart(const std::string& executablePath)
{
    const wxString path = wxString::FromUTF8(executablePath);
    const wchar_t* argv[] = {path.wc_str(), nullptr};
    // Passing the path as its own argument keeps folders with blanks intact.
    if (path.empty() || wxExecute(argv, wxEXEC_ASYNC) == 0) {
        // The user was told the program closes and is to be reopened; it
        // still closes, and the trace says why no new instance came up.
        TraceLog("Could not start a new instance of " + executablePath);
    }
    std::function<void()> close = closeProgram_;
    if (!close) {
        close = [] {
            if (wxTheApp && wxTheApp->GetTopWindow()) wxTheApp->GetTopWindow()->Close();
        };
    }
    if (wxTheApp) {
        // Close after the handler that asked for the restart has returned.
        wxTheApp->CallAfter(close);
    } else {
        close();
    }
}

} // namespace tarvel
