#include "RestarterWx.h"

#include <wx/app.h>
#include <wx/utils.h>
#include <wx/window.h>

#include "Log.h"

namespace tarvel {

WxRestarter::WxRestarter(std::function<void()> closeProgram, std::vector<std::string> arguments)
    : closeProgram_(std::move(closeProgram)), arguments_(std::move(arguments))
{
}

void WxRestarter::Restart(const std::string& executablePath)
{
    const wxString path = wxString::FromUTF8(executablePath);
    // Each argument passed as its own keeps folders and texts with blanks
    // intact.
    std::vector<wxString> words{path};
    for (const std::string& argument : arguments_)
        words.push_back(wxString::FromUTF8(argument));
    std::vector<const wchar_t*> argv;
    for (const wxString& word : words)
        argv.push_back(word.wc_str());
    argv.push_back(nullptr);
    if (path.empty() || wxExecute(argv.data(), wxEXEC_ASYNC) == 0) {
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
