// The program's document holds no data: New and Open only start the view
// over (see CTarvelDocManager), and saving stores nothing.
#pragma once

#include <wx/docview.h>

class CTarvelDoc : public wxDocument {
public:
    CTarvelDoc() = default;

    bool OnSaveDocument(const wxString&) override
    {
        Modify(false);
        return true;
    }
    bool OnOpenDocument(const wxString&) override { return true; }
    bool IsModified() const override { return false; }

private:
    wxDECLARE_DYNAMIC_CLASS(CTarvelDoc);
};

// The document manager of the program. The standard New and Open commands
// would close the document and with it the view and every page; here they
// keep the view and only run its page reset again.
class CTarvelDocManager : public wxDocManager {
public:
    CTarvelDocManager();
    wxFileHistory* OnCreateFileHistory() override;

private:
    void OnNewOrOpen(wxCommandEvent& event);
    // Open asks for a file as the standard command does, then starts the
    // pages over; a cancelled dialog changes nothing.
    void OnOpen(wxCommandEvent& event);
    // Save writes the (empty) document to its file, Save As to a file the
    // user chooses; only a file that was written joins the recent list.
    void OnSave(wxCommandEvent& event);
    void OnSaveAs(wxCommandEvent& event);
    bool SaveTo(const std::string& path);
};
