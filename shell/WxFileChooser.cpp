#include "WxFileChooser.h"

#include <wx/app.h>
#include <wx/filedlg.h>

namespace tarvel {

std::optional<std::string> WxFileChooser::Choose(const FileRequest& request)
{
    // A save dialog neither adds an extension nor asks about replacing a
    // file: the platform would ask about the name as typed, before the
    // extension is added. ChooseSaveFile (FileSave.h) settles the name and
    // then asks.
    long style = request.save ? wxFD_SAVE : (wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    wxString filter = request.filter.empty() ? wxString(wxFileSelectorDefaultWildcardStr)
                                             : wxString::FromUTF8(request.filter);
    wxFileDialog dialog(wxTheApp ? wxTheApp->GetTopWindow() : nullptr, wxString::FromUTF8(request.title),
                        wxString::FromUTF8(request.folder), wxString::FromUTF8(request.fileName), filter,
                        style);
    if (dialog.ShowModal() != wxID_OK)
        return std::nullopt;
    return std::string(dialog.GetPath().utf8_str());
}

} // namespace tarvel
