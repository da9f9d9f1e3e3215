#include "TarvelView.h"

#include "CanIdentifiers.h"
#include "AppMessages.h"
#include "AppMessagesEvent.h"
#include "ConnectionLifeWx.h"
#include "DiagnosisGlobals.h"
#include "LanguageTable.h"
#include "MainFrame.h"
#include "Navigation.h"
#include "PageHost.h"
#include "PageHostPage.h"
#include "PageLogicSet.h"
#include "ProgramIcon.h"
#include "ShellGlobals.h"
#include "Splash.h"
#include "WindowRegistry.h"
#include "WxPump.h"
#include "WxTimer.h"
#include "WxUiDispatcher.h"

#include "ABSConnectors.h"
#include "CABSDTCInformation.h"
#include "CABSEOLBackupPressureTest.h"
#include "CABSEOLDtcTest.h"
#include "CABSEOLLampTest.h"
#include "CABSEOLPressureTest.h"
#include "CABSEOLReports.h"
#include "CABSEOLSensorValueTest.h"
#include "CABSEOLVoltageTest.h"
#include "CABSMonitor.h"
#include "CABSRSSCalibration.h"
#include "CABSRWDID.h"
#include "CDeviceInfo.h"
#include "CEOLBrakeLampTest.h"
#include "CEOLHeightSensorCalibration.h"
#include "CEOLLiftingAxleTest.h"
#include "CEOLLiftingSensorTest.h"
#include "CEOLUnderwaterValveTest.h"
#include "CEPBDownLoad.h"
#include "CLiftingAxleCalibration.h"
#include "CODR_Info.h"
#include "CODR_Trip_Info.h"
#include "CPrintSystemTag.h"

#include "Log.h"
#include "TextWrap.h"

#include <wx/aboutdlg.h>
#include <wx/app.h>
#include <wx/choice.h>
#include <wx/filefn.h>
#include <wx/menu.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>

wxIMPLEMENT_DYNAMIC_CLASS(CTarvelView, wxView);

namespace {

constexpr unsigned kRequestCanId = tarvel::kUdsRequestCanId;
// How long start-up waits for the splash to reach the screen at most.
constexpr int kSplashPaintWaitMs = 300;
// The least size of the page host, in pixels.
constexpr int kLeastPageHostWidth = 200;
constexpr int kLeastPageHostHeight = 150;

template <class Page>
CTarvelPage* Make()
{
    return new Page();
}

// The page classes in tab order.
const std::array<CTarvelPage* (*)(), tarvel::PageCount> kPageFactories = {
    Make<CDeviceInfo>,           Make<CABSRWDID>,
    Make<CABSMonitor>,           Make<CABSDTCInformation>,
    Make<CEPBDownLoad>,          Make<CABSEOLVoltageTest>,
    Make<CABSEOLLampTest>,       Make<CABSEOLSensorValueTest>,
    Make<CABSEOLPressureTest>,   Make<CABSEOLBackupPressureTest>,
    Make<CABSEOLDtcTest>,        Make<CABSEOLReports>,
    Make<CPrintSystemTag>,       Make<CLiftingAxleCalibration>,
    Make<CEOLLiftingAxleTest>,   Make<CEOLHeightSensorCalibration>,
    Make<CODR_Info>,             Make<CODR_Trip_Info>,
    Make<CEOLBrakeLampTest>,     Make<CEOLLiftingSensorTest>,
    Make<CABSRSSCalibration>,    Make<CEOLUnderwaterValveTest>,
    Make<ABSConnectors>,
};

void SelectRow(wxChoice* choice, int row)
{
    if (!choice)
        return;
    if (row >= 0 && row < static_cast<int>(choice->GetCount()))
        choice->SetSelection(row);
    else
        choice->SetSelection(wxNOT_FOUND);
}

int SelectionOf(const wxChoice* choice)
{
    return choice ? choice->GetSelection() : wxNOT_FOUND;
}

} // namespace

ViewCommandHooks& CTarvelView::Commands()
{
    static ViewCommandHooks hooks;
    return hooks;
}

CTarvelView::CTarvelView() = default;

CTarvelView::~CTarvelView()
{
    // From here on the monitor worker ends and pumped waits stop.
    AppClosing = 1;
    // Settings, read from the lists while they still exist.
    if (tarvel::Services().saveSettings)
        tarvel::Services().saveSettings();
    if (tarvel::Services().setComboSource)
        tarvel::Services().setComboSource(nullptr);
    if (tarvel::Services().setRefreshLanguageHandler)
        tarvel::Services().setRefreshLanguageHandler(nullptr);
    // The navigation outlives the view by a moment; it must not reach back.
    if (frame_ && frame_->Navigation()) {
        frame_->Navigation()->SetPageSelector(nullptr);
        frame_->Navigation()->SetShownPagesSource(nullptr);
    }
    // The adapter, once the keep-alive and the monitor's worker have ended.
    connection_.reset();
    tarvel::StopMonitorWorker();
    if (tarvel::Services().closeAdapter)
        tarvel::Services().closeAdapter();
    // The pages, highest tab first, then the splash and the view's window.
    for (CTarvelPage* page : pages_)
        if (page)
            page->AttachLogic(nullptr);
    if (tabs_)
        tabs_->DestroyFixedPages();
    pages_.fill(nullptr);
    if (splash_) {
        splash_->Destroy();
        splash_ = nullptr;
    }
    if (window_) {
        if (frame_)
            frame_->SetViewWindow(nullptr);
        window_->Destroy();
        window_ = nullptr;
        tabs_ = nullptr;
    }
}

bool CTarvelView::OnCreate(wxDocument* doc, long flags)
{
    if (!wxView::OnCreate(doc, flags))
        return false;
    frame_ = dynamic_cast<CMainFrame*>(wxTheApp ? wxTheApp->GetTopWindow() : nullptr);
    if (!frame_) {
        tarvel::TraceLog("The view has no main frame\n");
        return false;
    }
    SetFrame(frame_);

    // Every data file is opened relative to the program's own folder.
    if (tarvel::Services().programFolder) {
        const std::string folder = tarvel::Services().programFolder();
        if (!folder.empty() && !wxSetWorkingDirectory(wxString::FromUTF8(folder)))
            tarvel::TraceLog("Cannot make the program folder the working folder: " + folder + "\n");
    }
    pageSize_ = wxSize(600, 300);
    if (tarvel::Services().loadSettings)
        tarvel::Services().loadSettings();
    if (tarvel::Services().initAdapterDriver)
        tarvel::Services().initAdapterDriver();

    createResult_ = CreateWindows(frame_);
    if (createResult_ != 0)
        return false;
    connection_ = std::make_unique<tarvel::ViewConnection>(*this, &frame_->Ribbon());

    Bind(wxEVT_MENU, &CTarvelView::OnCommand, this, ID_CAN_CONNECT);
    Bind(wxEVT_MENU, &CTarvelView::OnCommand, this, ID_DISCONNECTCAN);
    Bind(wxEVT_MENU, &CTarvelView::OnCommand, this, ID_RSSCALIBBTN);
    Bind(wxEVT_MENU, &CTarvelView::OnCommand, this, ID_PROGRAM_DOWNLOAD);
    Bind(wxEVT_MENU, &CTarvelView::OnAbout, this, wxID_ABOUT);
    Bind(wxEVT_CHOICE, &CTarvelView::OnAdapterChosen, this, ID_COMBO_CANDEVICE);
    Bind(wxEVT_CHOICE, &CTarvelView::OnBaudChosen, this, ID_COMBO_CANBAUDRATE);
    Bind(wxEVT_CHOICE, &CTarvelView::OnLanguageChosen, this, ID_COMBO_LANGUAGE);

    if (tarvel::Services().setRefreshLanguageHandler)
        tarvel::Services().setRefreshLanguageHandler([this] { BroadcastLanguage(); });
    if (tarvel::Services().setComboSource) {
        tarvel::Services().setComboSource([this] {
            const RibbonControls& rc = frame_->Ribbon();
            return std::array<int, 3>{SelectionOf(rc.adapter), SelectionOf(rc.baudRate), SelectionOf(rc.language)};
        });
    }
    if (CNavigation* nav = frame_->Navigation()) {
        nav->SetPageSelector([this](int page) { OnSelectPage(page); });
        nav->SetShownPagesSource([this] { return tabs_ ? tabs_->ShownFixedIndexes() : std::vector<int>(); });
    }
    Activate(true);
    return true;
}

int CTarvelView::CreateWindows(CMainFrame* frame)
{
    splash_ = new CSplashDlg();
    if (!splash_->Create(frame)) {
        delete splash_;
        splash_ = nullptr;
    }
    // On the screen before the pages are built (without pumping anything
    // but window events), so the user sees it while they are.
    if (splash_)
        splashPainted_ = splash_->PaintNow(kSplashPaintWaitMs);

    // The page host fills the view: each page scrolls by itself, up and
    // down, so the view never scrolls (a shared scroll position would open
    // one page where the last was left).
    window_ = new wxScrolledWindow(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE);
    window_->ShowScrollbars(wxSHOW_SB_NEVER, wxSHOW_SB_NEVER);
    frame->SetViewWindow(window_);
    window_->Bind(wxEVT_RIGHT_UP, [this](wxMouseEvent& event) { ShowContextMenu(event.GetPosition()); });

    tarvel::TimerFactory* timers = tarvel::ShellTimerFactory();
    if (!timers) {
        pageTimers_ = std::make_unique<tarvel::WxTimerFactory>();
        timers = pageTimers_.get();
    }
    ui_ = std::make_unique<tarvel::WxUiDispatcher>(window_);
    const std::string folder = tarvel::Services().programFolder ? tarvel::Services().programFolder() : std::string();
    pageServices_ = std::make_unique<tarvel::GlobalPageServices>(*timers, *ui_, folder);
    logics_ = std::make_unique<tarvel::PageLogicSet>(pageServices_->Context());

    tabs_ = new CMyTabCtrl(window_, 1, tarvel::PageCount);
    // However large a page would like to be, the tab control takes the
    // view's size; the pages fit themselves into it.
    tabs_->SetMinSize(wxSize(kLeastPageHostWidth, kLeastPageHostHeight));
    auto* hostSizer = new wxBoxSizer(wxVERTICAL);
    hostSizer->Add(tabs_, 1, wxEXPAND);
    window_->SetSizer(hostSizer);

    // Long texts of a page break into lines rather than run past its edge.
    CTarvelPage::SetTextFitter(
        [](wxWindow* page, int width) { FitTextsToWidth(page, width, CTarvelPage::kMargin); });
    for (int tab = 0; tab < tarvel::PageCount; ++tab) {
        const tarvel::PageSpec& spec = *tarvel::FindPageSpec(tab);
        CTarvelPage* page = kPageFactories[static_cast<size_t>(tab)]();
        if (!page->Create(tabs_)) {
            delete page; // never became a window, so nobody else owns it
            tarvel::TraceLog(spec.failTrace);
            return spec.failCode;
        }
        pages_[static_cast<size_t>(tab)] = page;
        page->AttachLogic(logics_->At(tab));
        tabs_->AddFixedPage(tab, page, page->Caption());
        if (tab == tarvel::TabEolBrakeLamp)
            SendAppMessage(page, WM_RESET_EOLBRAKELAMP);
    }

    if (splash_) {
        splash_->Destroy();
        splash_ = nullptr;
    }
    return 0;
}

CTarvelPage* CTarvelView::Page(int tab) const
{
    if (tab < 0 || tab >= tarvel::PageCount)
        return nullptr;
    return pages_[static_cast<size_t>(tab)];
}

tarvel::PageLogic* CTarvelView::Logic(int tab) const
{
    return logics_ ? logics_->At(tab) : nullptr;
}

bool CTarvelView::PagesMayClose() const
{
    for (int tab : tarvel::PageHookOrder())
        if (tarvel::PageLogic* logic = Logic(tab); logic && !logic->MayClose())
            return false;
    return true;
}

void CTarvelView::OnInitialUpdate()
{
    ++initialUpdates_;
    // The size the page templates were drawn for; the tab control fills the
    // view whatever its size, and each page lays itself out in it.
    if (CTarvelPage* info = Page(tarvel::TabDeviceInfo))
        pageSize_ = info->ConvertDialogToPixels(wxSize(630, 315));
    if (window_)
        window_->Layout();
    RestoreLists();
    ResetViewPages();
}

void CTarvelView::RestoreLists()
{
    if (!frame_)
        return;
    const RibbonControls& rc = frame_->Ribbon();
    auto& s = tarvel::Services();
    if (s.lastConfigCount && s.lastConfigCount() > 0 && s.lastConfigValue) {
        SelectRow(rc.adapter, s.lastConfigValue(0));
        SelectRow(rc.baudRate, s.lastConfigValue(1));
        SelectRow(rc.language, s.lastConfigValue(2));
    }
    // The adapter and baud rows must name rows of their tables: anything else
    // (a stored row outside the lists, the empty third baud row) becomes row 0,
    // and the list shows what will be used.
    int adapter = SelectionOf(rc.adapter);
    if (adapter < 0) {
        adapter = 0;
        SelectRow(rc.adapter, 0);
    }
    int baud = SelectionOf(rc.baudRate);
    if (baud < 0 || baud > 1) {
        baud = 0;
        SelectRow(rc.baudRate, 0);
    }
    const int language = SelectionOf(rc.language); // -1..4; -1 reads English
    if (s.setSelectedAdapter)
        s.setSelectedAdapter(adapter);
    if (s.setSelectedBaud)
        s.setSelectedBaud(baud);
    if (s.setLanguageIndex)
        s.setLanguageIndex(language);
}

void CTarvelView::ResetViewPages()
{
    HideAllTabs();
    if (tarvel::Services().refreshLanguage)
        tarvel::Services().refreshLanguage();
    if (tarvel::Services().setRequestCanId)
        tarvel::Services().setRequestCanId(kRequestCanId);
    if (connection_)
        tarvel::ResetPagesForNewRun(connection_->Pages());
}

void CTarvelView::HideAllTabs()
{
    if (tabs_)
        tabs_->HideAllTabs();
}

void CTarvelView::BroadcastLanguage()
{
    if (connection_)
        tarvel::BroadcastLanguage(connection_->Pages());
    // Tab captions keep the texts they were added with.
    if (frame_)
        RecaptionRibbon(frame_->Ribbon());
}

void CTarvelView::OnSelectPage(int page)
{
    if (connection_)
        connection_->Switcher().OnSelectPage(page);
}

void CTarvelView::OnCommand(wxCommandEvent& event)
{
    const ViewCommandHooks& hooks = Commands();
    const std::function<void()>* hook = nullptr;
    switch (event.GetId()) {
    case ID_CAN_CONNECT: hook = &hooks.connect; break;
    case ID_DISCONNECTCAN: hook = &hooks.disconnect; break;
    case ID_RSSCALIBBTN: hook = &hooks.rssCalibration; break;
    case ID_PROGRAM_DOWNLOAD: hook = &hooks.programDownload; break;
    default: break;
    }
    if (hook && *hook)
        (*hook)();
    else
        tarvel::TraceLog("Command " + std::to_string(event.GetId()) + " has no handler in this build\n");
}

void CTarvelView::OnAdapterChosen(wxCommandEvent& event)
{
    const int row = event.GetSelection();
    if (row >= 0 && tarvel::Services().setSelectedAdapter)
        tarvel::Services().setSelectedAdapter(row);
}

void CTarvelView::OnBaudChosen(wxCommandEvent& event)
{
    const int row = event.GetSelection();
    if (row >= 0 && tarvel::Services().setSelectedBaud)
        tarvel::Services().setSelectedBaud(row);
}

void CTarvelView::OnLanguageChosen(wxCommandEvent& event)
{
    const int row = event.GetSelection();
    auto* list = dynamic_cast<wxChoice*>(event.GetEventObject());
    if (row >= 0 && row != LanguageIndex && row < kLanguageCount) {
        // A new language restarts the program: a page whose work must not be
        // cut off unasked (a download) is asked first, as for closing the
        // window. Until the change is agreed the list shows the language in
        // use; a refusal leaves both as they were.
        SelectRow(list, LanguageIndex);
        if (!PagesMayClose())
            return;
        SelectRow(list, row);
        // The program ends from here: waits end early and nothing more goes
        // to the ECU, as after the window's close.
        tarvel::WxPump::EndPumpedWaits();
    }
    if (row >= 0 && tarvel::Services().languageChosen)
        tarvel::Services().languageChosen(row);
}

void CTarvelView::OnChangeFilename()
{
    // wx would put the bare document name ("unnamed1") in the caption; the
    // program's name must stay there. The document holds nothing and is never
    // opened from a file, so until it is saved under a name it is untitled.
    if (!frame_)
        return;
    const wxDocument* doc = GetDocument();
    const wxString title = doc && doc->GetDocumentSaved() ? doc->GetUserReadableName() : wxString("Untitled");
    frame_->SetTitle(title + " - " + kMainWindowTitle);
}

namespace {
CTarvelView::PopupHook& PopupForTests()
{
    static CTarvelView::PopupHook hook;
    return hook;
}
} // namespace

wxMenu* CTarvelView::CreateEditMenu()
{
    auto* menu = new wxMenu;
    menu->Append(wxID_CUT, wxString::FromUTF8("Cut(&T)\tCtrl+X"));
    menu->Append(wxID_COPY, wxString::FromUTF8("Copy(&C)\tCtrl+C"));
    menu->Append(wxID_PASTE, wxString::FromUTF8("Paste(&P)\tCtrl+V"));
    for (int id : {wxID_CUT, wxID_COPY, wxID_PASTE})
        menu->Enable(id, false);
    return menu;
}

void CTarvelView::SetPopupForTests(PopupHook hook)
{
    PopupForTests() = std::move(hook);
}

void CTarvelView::ShowContextMenu(const wxPoint& where)
{
    if (!window_)
        return;
    std::unique_ptr<wxMenu> menu(CreateEditMenu());
    if (PopupForTests())
        PopupForTests()(*menu, where);
    else
        window_->PopupMenu(menu.get(), where);
}

wxAboutDialogInfo CTarvelView::AboutInfo()
{
    wxAboutDialogInfo info;
    info.SetName(kMainWindowTitle);
    info.SetVersion("V2.6.15");
    info.SetDescription("Service and end-of-line test tool for the VADE trailer brake ECU.");
    // Without a picture of its own the box would show the platform's
    // missing-image sign.
    info.SetIcon(ProgramIcon(64));
    return info;
}

void CTarvelView::OnAbout(wxCommandEvent&)
{
    wxAboutBox(AboutInfo(), frame_);
}
