#include "TarvelDoc.h"

#include "NavigationModel.h"
#include "TarvelView.h"

#include "FileChooser.h"
#include "FileSave.h"
#include "LanguageTable.h"
#include "Log.h"
#include "Prompter.h"

#include <wx/filehistory.h>

wxIMPLEMENT_DYNAMIC_CLASS(CTarvelDoc, wxDocument);

CTarvelDocManager::CTarvelDocManager() : wxDocManager(0, false)
{
    // Initialised here rather than by the base constructor: only from here
    // does it reach this class's file history (four recent files).
    Initialize();
    // Bound handlers run before wxDocManager's own table.
    Bind(wxEVT_MENU, &CTarvelDocManager::OnNewOrOpen, this, wxID_NEW);
    Bind(wxEVT_MENU, &CTarvelDocManager::OnOpen, this, wxID_OPEN);
    Bind(wxEVT_MENU, &CTarvelDocManager::OnSave, this, wxID_SAVE);
    Bind(wxEVT_MENU, &CTarvelDocManager::OnSaveAs, this, wxID_SAVEAS);
    // A recent file would be opened as a new document too, closing the view.
    Bind(wxEVT_MENU, &CTarvelDocManager::OnNewOrOpen, this, wxID_FILE1, wxID_FILE9);
}

wxFileHistory* CTarvelDocManager::OnCreateFileHistory()
{
    return new wxFileHistory(4);
}

namespace {

const char* const kAllFiles = "All Files (*.*)|*";

// The program's own flags decide; nothing is selected from here.
class DocumentCommandGuard : public tarvel::NavigationEnvironment {
public:
    void SelectPage(int) override {}
};

// Starting the pages over hides the page on the screen and resets its
// displays, so it waits for whatever holds the program busy.
bool RefusedWhileBusy()
{
    DocumentCommandGuard guard;
    return tarvel::RefusedWhileBusy(guard);
}

} // namespace

void CTarvelDocManager::OnNewOrOpen(wxCommandEvent&)
{
    if (RefusedWhileBusy())
        return;
    if (auto* view = dynamic_cast<CTarvelView*>(GetCurrentView()))
        view->OnInitialUpdate();
}

void CTarvelDocManager::OnOpen(wxCommandEvent& event)
{
    // Refused before the file dialog: a file chosen for nothing is no answer.
    if (RefusedWhileBusy())
        return;
    tarvel::FileRequest request;
    request.title = "Open";
    request.filter = kAllFiles;
    const std::optional<std::string> path = tarvel::GetFileChooser().Choose(request);
    if (!path || path->empty())
        return;
    // The document holds nothing, so nothing is read: the file is
    // remembered and the pages start over.
    AddFileToHistory(wxString::FromUTF8(*path));
    OnNewOrOpen(event);
}

bool CTarvelDocManager::SaveTo(const std::string& path)
{
    // The document stores nothing, so its file is empty; but it is written,
    // the one way every file is saved.
    const tarvel::SaveResult saved = tarvel::SaveFileReplacing(path, std::string());
    if (!saved) {
        tarvel::TraceLog("Could not write " + path + ": " + saved.Reason() + "\n");
        tarvel::ShowMessage(tarvel::NotSavedText("Failed to save document:", path, saved), "Save As",
                            tarvel::MsgIcon::Exclamation);
        return false;
    }
    if (wxDocument* doc = GetCurrentDocument()) {
        doc->SetFilename(wxString::FromUTF8(path), true);
        doc->SetDocumentSaved(true);
        doc->Modify(false);
    }
    AddFileToHistory(wxString::FromUTF8(path));
    return true;
}

void CTarvelDocManager::OnSave(wxCommandEvent& event)
{
    wxDocument* doc = GetCurrentDocument();
    if (doc && doc->GetDocumentSaved() && !doc->GetFilename().empty()) {
        SaveTo(std::string(doc->GetFilename().utf8_str()));
        return;
    }
    OnSaveAs(event);
}

void CTarvelDocManager::OnSaveAs(wxCommandEvent&)
{
    tarvel::FileRequest request;
    request.save = true;
    request.title = "Save As";
    request.filter = kAllFiles;
    const std::optional<std::string> path =
        tarvel::ChooseSaveFile(tarvel::GetFileChooser(), tarvel::GetPrompter(), request,
                               {LanguageText(kRowReplaceFileQuestion), LanguageText(kRowReplaceFileCaption)});
    if (path)
        SaveTo(*path);
}
