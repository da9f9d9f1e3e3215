#include "MainFrame.h"

#include "AppMessages.h"
#include "Navigation.h"
#include "ProgramIcon.h"
#include "ShellGlobals.h"
#include "TarvelView.h"
#include "WxPump.h"

#include "Log.h"
#include "Pump.h"

#include <wx/app.h>
#include <wx/aui/auibook.h>
#include <wx/evtloop.h>
#include <wx/config.h>
#include <wx/display.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/filehistory.h>
#include <wx/utils.h>

#include <algorithm>
#include <memory>

namespace {
const char* const kStatusText = "VADE Diagnostic Tool V2.6.15";

// True when no handler below us waits with pumped events: the view, its pages
// and the connection may then be destroyed without anybody returning into them.
bool NoWaitOnTheStack()
{
    if (auto* pump = dynamic_cast<tarvel::WxPump*>(&tarvel::GetPump()))
        if (pump->Depth() > 0)
            return false;
    // A modal box or a yield of wx's own also has a caller waiting below it.
    const wxEventLoopBase* active = wxEventLoopBase::GetActive();
    return !active || (active == wxTheApp->GetMainLoop() && !active->IsYielding());
}
} // namespace

CMainFrame::CMainFrame(wxDocManager* manager, const wxString& title)
    : wxDocParentFrame(manager, nullptr, wxID_ANY, title, wxDefaultPosition, wxSize(1280, 860))
{
    FitIntoScreen();
    panes_.SetManagedWindow(this);
    SetIcons(ProgramIcons());

    // Look from the profile; the default writes itself back below.
    long look = ID_VIEW_APPLOOK_DEFAULT;
    if (wxConfigBase* config = wxConfigBase::Get())
        config->Read("ApplicationLook", &look, ID_VIEW_APPLOOK_DEFAULT);
    AppLook = static_cast<int>(look);

    ribbon_ = BuildMainRibbon(this);
    panes_.AddPane(ribbon_.bar, wxAuiPaneInfo().Name("ribbon").Top().CaptionVisible(false).Floatable(false)
                                    .Movable(false).CloseButton(false).Dockable(false).PaneBorder(false)
                                    .MinSize(-1, ribbon_.bar->GetBestSize().GetHeight())
                                    .Layer(2));

    wxStatusBar* status = CreateStatusBar(1, wxSTB_DEFAULT_STYLE, ID_STATUSBAR_PANE1);
    if (!status)
        tarvel::TraceLog("Failed to create the status bar\n");
    else
        SetStatusText(kStatusText, 0);

    navigation_ = new CNavigation(this);
    // The pane keeps the width the user gave it last time; a width the
    // program fitted it to is fitted anew.
    long navWidth = FromDIP(kNavigationPaneWidth);
    if (wxConfigBase* config = wxConfigBase::Get()) {
        long saved = 0;
        long fitted = 0;
        if (config->Read(kNavigationWidthKey, &saved) &&
            !(config->Read(kNavigationFittedWidthKey, &fitted) && fitted == saved)) {
            navWidth = saved;
            navigationWidthChosen_ = true;
        }
    }
    navWidth = std::max<long>(navWidth, FromDIP(kNavigationPaneMinWidth));
    panes_.AddPane(navigation_, wxAuiPaneInfo().Name("navigation").Caption(wxString()).Left().Gripper(true)
                                    .Floatable(true).CloseButton(false).Dockable(true).LeftDockable(true)
                                    .RightDockable(false).TopDockable(false).BottomDockable(false)
                                    .BestSize(wxSize(static_cast<int>(navWidth), FromDIP(600)))
                                    .MinSize(FromDIP(wxSize(kNavigationPaneMinWidth, 200))));

    navigation_->SetWidthWanted([this](int width) { WidenNavigation(width); });
    CreateOutputPane();
    ApplyLook(AppLook);
    panes_.Update();
    // The dock takes the width the user left it at (its best size counts
    // without the dock's own frame and sash).
    if (wxAuiDockInfo* dock = NavigationDock(); dock && dock->size != navWidth) {
        dock->size = static_cast<int>(navWidth);
        panes_.Update();
    }

    Bind(wxEVT_RIBBONBUTTONBAR_CLICKED, &CMainFrame::OnRibbonButton, this);
    Bind(wxEVT_RIBBONBUTTONBAR_DROPDOWN_CLICKED, &CMainFrame::OnRibbonDropdown, this);
    Bind(wxEVT_RIBBONBAR_HELP_CLICK, &CMainFrame::OnHelpButton, this);
    Bind(wxEVT_MENU, &CMainFrame::OnLook, this, ID_VIEW_APPLOOK_FIRST, ID_VIEW_APPLOOK_LAST);
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnLookUpdate, this, ID_VIEW_APPLOOK_FIRST, ID_VIEW_APPLOOK_LAST);
    Bind(wxEVT_MENU, &CMainFrame::OnShowOutput, this, ID_VIEW_OUTPUTWND);
    Bind(wxEVT_MENU, &CMainFrame::OnShowStatusBar, this, ID_VIEW_STATUS_BAR);
    Bind(wxEVT_AUI_PANE_CLOSE, &CMainFrame::OnPaneClosed, this);
    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
    Bind(wxEVT_IDLE, &CMainFrame::OnIdle, this);
    Bind(wxEVT_DROP_FILES, &CMainFrame::OnDropFiles, this);
    // The pane manager handles the drag of a sash: bound to it, these see
    // the press before it and the release before it applies the width.
    panes_.Bind(wxEVT_LEFT_DOWN, &CMainFrame::OnSashPressed, this);
    panes_.Bind(wxEVT_LEFT_UP, &CMainFrame::OnSashReleased, this);
}

CMainFrame::~CMainFrame()
{
    panes_.UnInit();
}

void CMainFrame::FitIntoScreen()
{
    // A station's screen may be smaller than the window's usual size (1024 x
    // 768 is common): the window, and the size it takes back when it is no
    // longer maximised, stay inside the screen's working area.
    const int index = wxDisplay::GetFromWindow(this);
    const wxRect area = wxDisplay(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index)).GetClientArea();
    if (area.IsEmpty())
        return;
    wxRect rect = GetRect();
    rect.SetSize(wxSize(std::min(rect.width, area.width), std::min(rect.height, area.height)));
    if (!area.Contains(rect))
        rect.SetPosition(area.GetPosition() + wxPoint((area.width - rect.width) / 2, (area.height - rect.height) / 2));
    if (rect != GetRect())
        SetSize(rect);
}

void CMainFrame::CreateOutputPane()
{
    auto* tabs = new wxAuiNotebook(this, ID_VIEW_OUTPUTWND, wxDefaultPosition, FromDIP(wxSize(100, 100)),
                                   wxAUI_NB_BOTTOM);
    outputList_ = new wxListBox(tabs, 2);
    tabs->AddPage(outputList_, wxString::FromUTF8("信息"));
    panes_.AddPane(tabs, wxAuiPaneInfo().Name("output").Caption("Output ").Bottom().Floatable(true)
                             .TopDockable(false).LeftDockable(false).RightDockable(false)
                             .BestSize(FromDIP(wxSize(100, 100))).CloseButton(true));
}

void CMainFrame::SetViewWindow(wxWindow* window)
{
    if (viewWindow_)
        panes_.DetachPane(viewWindow_);
    viewWindow_ = window;
    if (window)
        panes_.AddPane(window, wxAuiPaneInfo().Name("view").CenterPane().PaneBorder(false));
    panes_.Update();
}

void CMainFrame::ApplyLook(int look)
{
    if (look < ID_VIEW_APPLOOK_FIRST || look > ID_VIEW_APPLOOK_LAST)
        look = ID_VIEW_APPLOOK_DEFAULT;
    wxBusyCursor wait;
    AppLook = look;
    ApplyRibbonLook(ribbon_.bar, look);
    Refresh(true);
    Update();
    if (wxConfigBase* config = wxConfigBase::Get()) {
        config->Write("ApplicationLook", static_cast<long>(look));
        config->Flush();
    }
}

void CMainFrame::OnRibbonButton(wxCommandEvent& event)
{
    // The View toggles show or hide their pane as they now stand.
    if (event.GetId() == ID_VIEW_OUTPUTWND) {
        ShowOutputPane(event.GetInt() != 0);
        return;
    }
    if (event.GetId() == ID_VIEW_STATUS_BAR) {
        ShowStatusBar(event.GetInt() != 0);
        return;
    }
    // Ribbon buttons are the program's commands: hand them on as menu
    // commands so the document manager passes them to the view.
    wxCommandEvent command(wxEVT_MENU, event.GetId());
    command.SetEventObject(this);
    ProcessWindowEvent(command);
}

void CMainFrame::OnRibbonDropdown(wxRibbonButtonBarEvent& event)
{
    switch (event.GetId()) {
    case wxID_PROPERTIES: {
        std::unique_ptr<wxMenu> menu(CreateStyleMenu(AppLook));
        event.PopupMenu(menu.get());
        break;
    }
    case wxID_PRINT: {
        std::unique_ptr<wxMenu> menu(CreatePrintMenu());
        event.PopupMenu(menu.get());
        break;
    }
    case wxID_FILE: {
        wxMenu menu;
        if (wxDocManager* manager = GetDocumentManager()) {
            wxFileHistory* history = manager->GetFileHistory();
            if (history) {
                for (size_t i = 0; i < history->GetCount(); ++i)
                    menu.Append(static_cast<int>(wxID_FILE1 + i), history->GetHistoryFile(i));
            }
        }
        if (menu.GetMenuItemCount() == 0)
            menu.Append(wxID_ANY, "(empty)")->Enable(false);
        event.PopupMenu(&menu);
        break;
    }
    default: event.Skip(); break;
    }
}

void CMainFrame::OnLook(wxCommandEvent& event)
{
    ApplyLook(event.GetId());
}

void CMainFrame::OnLookUpdate(wxUpdateUIEvent& event)
{
    event.Check(event.GetId() == AppLook);
}

bool CMainFrame::OutputPaneShown()
{
    const wxAuiPaneInfo& pane = panes_.GetPane("output");
    return pane.IsOk() && pane.IsShown();
}

void CMainFrame::OnShowOutput(wxCommandEvent&)
{
    ShowOutputPane(true);
}

void CMainFrame::ShowOutputPane(bool show)
{
    wxAuiPaneInfo& pane = panes_.GetPane("output");
    if (!pane.IsOk())
        return;
    pane.Show(show);
    panes_.Update();
    if (show && pane.window)
        pane.window->SetFocus();
    SyncViewButtons();
}

void CMainFrame::OnShowStatusBar(wxCommandEvent&)
{
    ShowStatusBar(!(GetStatusBar() && GetStatusBar()->IsShown()));
}

void CMainFrame::ShowStatusBar(bool show)
{
    if (wxStatusBar* status = GetStatusBar()) {
        status->Show(show);
        SendSizeEvent();
    }
    SyncViewButtons();
}

void CMainFrame::OnPaneClosed(wxAuiManagerEvent& event)
{
    event.Skip();
    // The pane is hidden once this event has been handled.
    CallAfter([this] { SyncViewButtons(); });
}

void CMainFrame::SyncViewButtons()
{
    if (!ribbon_.viewButtons)
        return;
    ribbon_.viewButtons->ToggleButton(ID_VIEW_OUTPUTWND, OutputPaneShown());
    ribbon_.viewButtons->ToggleButton(ID_VIEW_STATUS_BAR, GetStatusBar() && GetStatusBar()->IsShown());
}

void CMainFrame::OnHelpButton(wxRibbonBarEvent&)
{
    wxCommandEvent about(wxEVT_MENU, wxID_ABOUT);
    about.SetEventObject(this);
    ProcessWindowEvent(about);
}

void CMainFrame::OnClose(wxCloseEvent& event)
{
    // A page whose work must not be cut off unasked (a download) may keep
    // the program running.
    if (event.CanVeto() && !closeDeferred_) {
        wxDocument* doc = GetDocumentManager() ? GetDocumentManager()->GetCurrentDocument() : nullptr;
        auto* view = doc ? dynamic_cast<CTarvelView*>(doc->GetFirstView()) : nullptr;
        if (view && !view->PagesMayClose()) {
            event.Veto();
            return;
        }
    }
    // Pumped waits end early from here on.
    if (auto* pump = dynamic_cast<tarvel::WxPump*>(&tarvel::GetPump()))
        pump->SetMainWindowClosing(true);
    // A close clicked while a request or pause waits would destroy the view,
    // its pages and the connection under the handler that waits, which then
    // carries on in freed memory. The waits end early now; the close follows
    // once they have returned.
    if (event.CanVeto() && !NoWaitOnTheStack()) {
        closeDeferred_ = true;
        event.Veto();
        return;
    }
    closeDeferred_ = false;
    SaveNavigationWidth();
    event.Skip(); // the document frame closes the document and its view
}

wxAuiDockInfo* CMainFrame::NavigationDock()
{
    const wxAuiPaneInfo& pane = panes_.GetPane("navigation");
    if (!pane.IsOk() || !pane.IsDocked())
        return nullptr;
    wxAuiDockInfoArray& docks = panes_.Docks();
    for (size_t i = 0; i < docks.GetCount(); ++i) {
        wxAuiDockInfo& dock = docks.Item(i);
        if (dock.dock_direction == pane.dock_direction && dock.dock_layer == pane.dock_layer &&
            dock.dock_row == pane.dock_row)
            return &dock;
    }
    return nullptr;
}

void CMainFrame::WidenNavigation(int width)
{
    wxAuiDockInfo* dock = NavigationDock();
    if (!dock || !navigation_ || navigationWidthChosen_)
        return;
    // The dock is wider than the panel by its gripper and borders.
    const int wanted = width + std::max(0, dock->size - navigation_->GetSize().x);
    const int most = static_cast<int>(GetClientSize().x * kNavigationMostShare);
    const int size = std::max(FromDIP(kNavigationPaneWidth), std::min(wanted, most));
    if (dock->size == size)
        return;
    dock->size = size;
    panes_.Update();
}

void CMainFrame::OnSashPressed(wxMouseEvent& event)
{
    navigationWidthPressed_ = NavigationWidth();
    event.Skip();
}

void CMainFrame::OnSashReleased(wxMouseEvent& event)
{
    event.Skip();
    // The manager applies the dragged width when it handles the release.
    CallAfter([this] {
        const int width = NavigationWidth();
        if (width > 0 && navigationWidthPressed_ > 0 && width != navigationWidthPressed_)
            navigationWidthChosen_ = true;
    });
}

int CMainFrame::NavigationWidth()
{
    const wxAuiDockInfo* dock = NavigationDock();
    return dock ? dock->size : 0;
}

void CMainFrame::SaveNavigationWidth()
{
    const int width = NavigationWidth();
    if (width <= 0)
        return;
    if (wxConfigBase* config = wxConfigBase::Get()) {
        config->Write(kNavigationWidthKey, static_cast<long>(width));
        if (navigationWidthChosen_)
            config->DeleteEntry(kNavigationFittedWidthKey);
        else
            config->Write(kNavigationFittedWidthKey, static_cast<long>(width));
        config->Flush();
    }
}

void CMainFrame::OnIdle(wxIdleEvent& event)
{
    event.Skip();
    if (closeDeferred_ && NoWaitOnTheStack()) {
        closeDeferred_ = false;
        Close();
    }
}

void CMainFrame::OnDropFiles(wxDropFilesEvent& event)
{
    // The document holds no data: a dropped file is remembered in the recent
    // list and, like Open, starts the pages over.
    if (event.GetNumberOfFiles() <= 0 || !event.GetFiles())
        return;
    if (wxDocManager* manager = GetDocumentManager())
        manager->AddFileToHistory(event.GetFiles()[0]);
    wxCommandEvent open(wxEVT_MENU, wxID_OPEN);
    open.SetEventObject(this);
    ProcessWindowEvent(open);
}
