#include "WxFileChooser.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/filename.h>

namespace tarvel {

std::optional<std::string> WxFileChooser::Choose(const FileRequest& request)
{
    long style = request.save ? (wxFD_SAVE | wxFD_OVERWRITE_PROMPT) : (wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    wxString filter = request.filter.empty() ? wxString(wxFileSelectorDefaultWildcardStr)
                                             : wxString::FromUTF8(request.filter);
    wxFileDialog dialog(wxTheApp ? wxTheApp->GetTopWindow() : nullptr, wxString::FromUTF8(request.title),
                        wxString::FromUTF8(request.folder), wxString::FromUTF8(request.fileName), filter,
                        style);
    if (dialog.ShowModal() != wxID_OK)
        return std::nullopt;
    wxFileName chosen(dialog.GetPath());
    if (request.save && !request.defaultExtension.empty() && !chosen.HasExt())
        chosen.SetExt(wxString::FromUTF8(request.defaultExtension));
    return std::string(chosen.GetFullPath().utf8_str());
}

} // namespace tarvel
