// The view: owns the page host and the 23 function pages, brings them up
// (settings, splash, pages, lists, page reset) and takes them down again
// (closing flag, settings saved, adapter closed, pages destroyed).
#pragma once

#include "PageHostTable.h"

#include <wx/docview.h>

#include <array>
#include <functional>
#include <memory>

class CMainFrame;
class CMyTabCtrl;
class CSplashDlg;
class CTarvelPage;
class wxScrolledWindow;
namespace tarvel {
class GlobalPageServices;
class PageLogic;
class PageLogicSet;
class TimerFactory;
class ViewConnection;
class WxUiDispatcher;
}

// Commands whose work belongs to the connection and page-switching code. They
// start empty; that code installs its handlers here.
struct ViewCommandHooks {
    std::function<void()> connect;          // ID_CAN_CONNECT
    std::function<void()> disconnect;       // ID_DISCONNECTCAN
    std::function<void()> rssCalibration;   // ID_RSSCALIBBTN
    std::function<void()> programDownload;  // ID_PROGRAM_DOWNLOAD
};

class CTarvelView : public wxView {
public:
    CTarvelView();
    ~CTarvelView() override;

    static ViewCommandHooks& Commands();

    bool OnCreate(wxDocument* doc, long flags) override;
    void OnDraw(wxDC*) override {}
    // The caption: the document's title, then the program's name.
    void OnChangeFilename() override;

    // Page geometry, the three lists from LastConfig.xml, then the page reset.
    // Runs once at start-up and again for New and Open.
    void OnInitialUpdate();
    void ResetViewPages();
    void HideAllTabs();
    // The page switch: hides every tab, shows the chosen page and sends it its
    // activate message(s). NoPage (-1) or a bad index leaves every tab hidden.
    void OnSelectPage(int page);
    // Connect, Disconnect, the keep-alive and the page commands; null before
    // the windows exist.
    tarvel::ViewConnection* Connection() const { return connection_.get(); }

    CMyTabCtrl* TabCtrl() const { return tabs_; }
    CTarvelPage* Page(int tab) const;
    // The logic of the page at `tab`; null outside 0..22 or before the pages exist.
    tarvel::PageLogic* Logic(int tab) const;
    // Asks every page, in tab order, whether the program may close now; the
    // first page that says no keeps it running.
    bool PagesMayClose() const;
    wxScrolledWindow* ViewWindow() const { return window_; }
    // The create handler's result: 0, or the code of the step that failed.
    int CreateResult() const { return createResult_; }
    wxSize PageSize() const { return pageSize_; }
    int InitialUpdateCount() const { return initialUpdates_; }
    // Whether the splash was on the screen before the pages were built.
    bool SplashWasPainted() const { return splashPainted_; }
    // The view's context menu, the popup "Edit": Cut, Copy and Paste, which
    // nothing in the program carries out (shown disabled).
    static class wxMenu* CreateEditMenu();
    // Tests see the context menu instead of a modal popup; null: the popup.
    using PopupHook = std::function<void(class wxMenu& menu, const class wxPoint& where)>;
    static void SetPopupForTests(PopupHook hook);
    // What a right-button release at `where` (view window coordinates) does.
    void ShowContextMenu(const wxPoint& where);
    // What the about box shows: name, version, description and icon.
    static class wxAboutDialogInfo AboutInfo();

private:
    int CreateWindows(CMainFrame* frame);
    void BroadcastLanguage();
    void RestoreLists();
    void OnCommand(wxCommandEvent& event);
    void OnAdapterChosen(wxCommandEvent& event);
    void OnBaudChosen(wxCommandEvent& event);
    void OnLanguageChosen(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);

    CMainFrame* frame_ = nullptr;
    CSplashDlg* splash_ = nullptr;
    wxScrolledWindow* window_ = nullptr;
    CMyTabCtrl* tabs_ = nullptr;
    // The pages' logic and what it reaches the world through; declared before
    // the pages so it outlives them.
    std::unique_ptr<tarvel::TimerFactory> pageTimers_; // only when the program installed none
    std::unique_ptr<tarvel::WxUiDispatcher> ui_;
    std::unique_ptr<tarvel::GlobalPageServices> pageServices_;
    std::unique_ptr<tarvel::PageLogicSet> logics_;
    // Non-owning: every page is owned by the page host, its parent window.
    std::array<CTarvelPage*, tarvel::PageCount> pages_{};
    std::unique_ptr<tarvel::ViewConnection> connection_;
    wxSize pageSize_{600, 300};
    int createResult_ = 0;
    int initialUpdates_ = 0;
    bool splashPainted_ = false;

    wxDECLARE_DYNAMIC_CLASS(CTarvelView);
};
