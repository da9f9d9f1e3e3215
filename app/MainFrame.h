// The program's one top-level window: ribbon, status bar, the navigation pane
// docked left, the output pane at the bottom and the view's window in the
// middle. Ribbon commands are turned into menu commands, which the document
// manager hands to the view.
#pragma once

#include "Ribbon.h"

#include <wx/aui/framemanager.h>
#include <wx/docview.h>

class CNavigation;
class wxListBox;
class wxFileHistory;

// The program's name in the window caption (behind the document's title).
constexpr const char* kMainWindowTitle = "Morvane VADE Diagnostic Tool";

constexpr int ID_STATUSBAR_PANE1 = 121;

// The navigation pane's width: the profile value that keeps it between runs,
// the width of a first run and the least width (device-independent pixels).
// Until the user drags its sash, the pane takes the program's width: the
// first run's, widened to show its captions whole (at most a part of the
// frame's width); the profile then also keeps that fitted width, so a width
// the program chose is fitted anew at the next start (another language may
// need less), and only a width the user chose is kept as it is.
constexpr const char* kNavigationWidthKey = "NavigationPaneWidth";
constexpr const char* kNavigationFittedWidthKey = "NavigationPaneFittedWidth";
constexpr int kNavigationPaneWidth = 300;
constexpr int kNavigationPaneMinWidth = 120;
constexpr double kNavigationMostShare = 0.45;

// The frame's pane manager, with a way to its docks (a dock's size is the
// width the user drags its sash to).
class CPaneManager : public wxAuiManager {
public:
    wxAuiDockInfoArray& Docks() { return m_docks; }
};

class CMainFrame : public wxDocParentFrame {
public:
    CMainFrame(wxDocManager* manager, const wxString& title);
    ~CMainFrame() override;

    CNavigation* Navigation() const { return navigation_; }
    const RibbonControls& Ribbon() const { return ribbon_; }
    wxListBox* OutputList() const { return outputList_; }
    wxAuiManager& PaneManager() { return panes_; }
    bool OutputPaneShown();
    // The width of the navigation pane's dock, as the profile keeps it; 0
    // while the pane floats.
    int NavigationWidth();
    // True once the user has chosen the pane's width (this run or before).
    bool NavigationWidthChosen() const { return navigationWidthChosen_; }
    // The View commands: show or hide the output pane and the status bar.
    void ShowOutputPane(bool show);
    void ShowStatusBar(bool show);

    // The view's window fills the middle of the frame.
    void SetViewWindow(wxWindow* window);
    // Applies a visual style 205..219 and writes it to the profile.
    void ApplyLook(int look);
    // True while a close waits for the running waits to return.
    bool CloseDeferred() const { return closeDeferred_; }

private:
    void CreateOutputPane();
    void OnRibbonButton(wxCommandEvent& event);
    void OnRibbonDropdown(class wxRibbonButtonBarEvent& event);
    void OnLook(wxCommandEvent& event);
    void OnLookUpdate(wxUpdateUIEvent& event);
    void OnShowOutput(wxCommandEvent& event);
    void OnShowStatusBar(wxCommandEvent& event);
    void OnPaneClosed(class wxAuiManagerEvent& event);
    void SyncViewButtons();
    void SaveNavigationWidth();
    // Fits the navigation pane to `width` (its panel's width), not narrower
    // than the first run's width and up to a part of the frame's width,
    // unless the user chose its width.
    void WidenNavigation(int width);
    // Keeps the window inside the working area of its screen.
    void FitIntoScreen();
    void OnSashPressed(class wxMouseEvent& event);
    void OnSashReleased(class wxMouseEvent& event);
    class wxAuiDockInfo* NavigationDock();
    void OnHelpButton(class wxRibbonBarEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnIdle(wxIdleEvent& event);
    void OnDropFiles(wxDropFilesEvent& event);

    CPaneManager panes_;
    RibbonControls ribbon_;
    CNavigation* navigation_ = nullptr;
    wxListBox* outputList_ = nullptr;
    wxWindow* viewWindow_ = nullptr;
    bool closeDeferred_ = false;
    bool navigationWidthChosen_ = false;
    int navigationWidthPressed_ = 0; // at the last left button press
};
