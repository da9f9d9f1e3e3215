#include "TarvelDoc.h"

#include "TarvelView.h"

#include <wx/filehistory.h>

wxIMPLEMENT_DYNAMIC_CLASS(CTarvelDoc, wxDocument);

CTarvelDocManager::CTarvelDocManager() : wxDocManager(0, false)
{
    // Initialised here rather than by the base constructor: only from here
    // does it reach this class's file history (four recent files).
    Initialize();
    // Bound handlers run before wxDocManager's own table.
    Bind(wxEVT_MENU, &CTarvelDocManager::OnNewOrOpen, this, wxID_NEW);
    Bind(wxEVT_MENU, &CTarvelDocManager::OnNewOrOpen, this, wxID_OPEN);
    // A recent file would be opened as a new document too, closing the view.
    Bind(wxEVT_MENU, &CTarvelDocManager::OnNewOrOpen, this, wxID_FILE1, wxID_FILE9);
}

wxFileHistory* CTarvelDocManager::OnCreateFileHistory()
{
    return new wxFileHistory(4);
}

void CTarvelDocManager::OnNewOrOpen(wxCommandEvent&)
{
    if (auto* view = dynamic_cast<CTarvelView*>(GetCurrentView()))
        view->OnInitialUpdate();
}
