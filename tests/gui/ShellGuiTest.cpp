// The program's main window, started in-process from the build's bin folder
// with a temporary copy of the shipped data and a profile file of its own.
#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "MainFrame.h"
#include "Navigation.h"
#include "PageHost.h"
#include "PageHostPage.h"
#include "ShellGlobals.h"
#include "Splash.h"
#include "WxPrompter.h"
#include "WxUiDispatcher.h"
#include "TarvelApp.h"
#include "TarvelView.h"
#include "WindowRegistry.h"
#include "Ribbon.h"

#include "LanguageTable.h"
#include "SettingsFiles.h"

#include "Prompter.h"
#include "Pump.h"
#include "FileChooser.h"
#include "Restarter.h"

#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/aboutdlg.h>
#include <wx/aui/framemanager.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/config.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/gauge.h>
#include <wx/image.h>
#include <wx/evtloop.h>
#include <wx/filehistory.h>
#include <wx/apptrait.h>
#include <wx/stdpaths.h>
#include <wx/panel.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

fs::path ExeFolder()
{
    return fs::path(wxStandardPaths::Get().GetExecutablePath().utf8_string()).parent_path();
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

void Pump(int rounds = 5)
{
    for (int i = 0; i < rounds; ++i)
        wxTheApp->Yield(true);
}

class TarvelGui : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        program_.Start("test_gui", [](const fs::path& folder) {
            // The splash asks for the picture logo, which this copy lacks.
            fs::remove(folder / "ReportImage" / "logo.jpg");
            std::string config = ReadFile(folder / "LastConfig.xml");
            config = std::regex_replace(config, std::regex("(ItemName=\"ReportLogo\" nIndex=)\"0\""), "$1\"1\"");
            WriteFile(folder / "LastConfig.xml", config);
        });
        app_ = program_.app;
        prompter_ = program_.prompter;
        started_ = program_.started;
        folder_ = program_.folder;
        Pump();
    }

    static void TearDownTestSuite()
    {
        program_.Stop();
        app_ = nullptr;
        prompter_ = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(started_) << "the program did not start"; }

    CMainFrame* Frame() { return app_->MainFrame(); }
    CTarvelView* View() { return app_->View(); }

    static CTarvelApp* app_;
    static tarvel::RecordingPrompter* prompter_;
    static bool started_;
    static fs::path folder_;
    static tarvel_test::ProgramUnderTest program_;
};

CTarvelApp* TarvelGui::app_ = nullptr;
tarvel::RecordingPrompter* TarvelGui::prompter_ = nullptr;
bool TarvelGui::started_ = false;
fs::path TarvelGui::folder_;
tarvel_test::ProgramUnderTest TarvelGui::program_;

std::vector<wxTreeItemId> Children(wxTreeCtrl* tree, wxTreeItemId parent)
{
    std::vector<wxTreeItemId> items;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId id = tree->GetFirstChild(parent, cookie); id.IsOk(); id = tree->GetNextChild(parent, cookie))
        items.push_back(id);
    return items;
}

wxTreeItemId FindItem(wxTreeCtrl* tree, const wxString& text)
{
    for (wxTreeItemId root : Children(tree, tree->GetRootItem())) {
        if (tree->GetItemText(root) == text)
            return root;
        for (wxTreeItemId item : Children(tree, root))
            if (tree->GetItemText(item) == text)
                return item;
    }
    return wxTreeItemId();
}

wxPoint CentreOf(wxTreeCtrl* tree, wxTreeItemId item)
{
    wxRect rect;
    tree->GetBoundingRect(item, rect, true);
    return wxPoint(rect.x + rect.width / 2, rect.y + rect.height / 2);
}

TEST_F(TarvelGui, ComesUpWithRibbonTreeAndNoPageShown)
{
    ASSERT_NE(Frame(), nullptr);
    ASSERT_NE(View(), nullptr);
    EXPECT_TRUE(Frame()->IsShown());
    // The caption names the program, behind the (empty) document's title.
    EXPECT_EQ(Frame()->GetTitle(), "Untitled - Morvane VADE Diagnostic Tool");
    EXPECT_EQ(View()->CreateResult(), 0);
    ASSERT_NE(Frame()->Ribbon().bar, nullptr);
    EXPECT_TRUE(Frame()->Ribbon().bar->IsShown());

    wxTreeCtrl* tree = Frame()->Navigation()->Tree();
    auto roots = Children(tree, tree->GetRootItem());
    ASSERT_EQ(roots.size(), 2u);
    for (wxTreeItemId root : roots)
        EXPECT_TRUE(tree->IsExpanded(root));
    EXPECT_EQ(tree->GetItemText(roots[0]), wxString::FromUTF8(LanguageText(20)));
    EXPECT_EQ(tree->GetItemText(roots[1]), wxString::FromUTF8(LanguageText(21)));
    EXPECT_EQ(Children(tree, roots[0]).size(), 6u);
    EXPECT_EQ(Children(tree, roots[1]).size(), 7u); // no optional equipment yet

    CMyTabCtrl* tabs = View()->TabCtrl();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetPageCount(), 0u);
    EXPECT_EQ(tabs->ShownTabCount(), 0);
    for (int tab = 0; tab < tarvel::PageCount; ++tab) {
        CTarvelPage* page = View()->Page(tab);
        ASSERT_NE(page, nullptr) << "tab " << tab;
        EXPECT_EQ(page->GetParent(), tabs) << "tab " << tab;
        EXPECT_EQ(page->Spec().tab, tab);
        EXPECT_FALSE(page->IsShown()) << "tab " << tab;
    }
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_EQ(DownloadPageWnd(), View()->Page(tarvel::TabProgramDownload));
    EXPECT_EQ(NavigationDlg(), Frame()->Navigation());
}

TEST_F(TarvelGui, RibbonButtonsShowTheirTextsWithoutMnemonicMarkers)
{
    const RibbonControls& rc = Frame()->Ribbon();
    ASSERT_NE(rc.fileButtons, nullptr);
    ASSERT_NE(rc.toolButtons, nullptr);
    EXPECT_EQ(rc.fileButtons->ButtonLabel(wxID_NEW), "New");
    EXPECT_EQ(rc.fileButtons->ButtonLabel(wxID_OPEN), "Open...");
    EXPECT_EQ(rc.fileButtons->ButtonLabel(wxID_SAVE), "Save");
    EXPECT_EQ(rc.fileButtons->ButtonLabel(wxID_SAVEAS), "Save As...");
    EXPECT_EQ(rc.toolButtons->ButtonLabel(wxID_EXIT), "Quit");
    EXPECT_EQ(rc.toolButtons->ButtonLabel(ID_PROGRAM_DOWNLOAD), "Program Download");
    for (CRibbonButtonBar* bar : {rc.fileButtons, rc.toolButtons, rc.commButtons, rc.viewButtons})
        for (size_t i = 0; i < bar->GetButtonCount(); ++i) {
            const int id = bar->GetItemId(bar->GetItem(i));
            EXPECT_FALSE(bar->ButtonLabel(id).empty()) << id;
            EXPECT_EQ(bar->ButtonLabel(id).Find('&'), wxNOT_FOUND) << bar->ButtonLabel(id);
        }
    // Texts set later (the language refresh) lose their markers too.
    rc.toolButtons->SetButtonText(wxID_EXIT, wxString::FromUTF8("退出(&X)"));
    EXPECT_EQ(rc.toolButtons->ButtonLabel(wxID_EXIT), wxString::FromUTF8("退出"));
    rc.toolButtons->SetButtonText(wxID_EXIT, "Quit(&X)");
    EXPECT_EQ(RibbonText("Salt && &Pepper"), "Salt & Pepper");
}

TEST_F(TarvelGui, AboutBoxAndWindowShowTheProgramsIcon)
{
    const wxAboutDialogInfo info = CTarvelView::AboutInfo();
    ASSERT_TRUE(info.HasIcon());
    EXPECT_TRUE(info.GetIcon().IsOk());
    EXPECT_EQ(info.GetIcon().GetWidth(), 64);
    EXPECT_EQ(info.GetName(), "Morvane VADE Diagnostic Tool");
    EXPECT_GE(Frame()->GetIcons().GetIconCount(), 1u);
    EXPECT_TRUE(Frame()->GetIcons().GetIcon(32).IsOk());
}

TEST_F(TarvelGui, OutputPaneClosedWithItsCrossComesBackFromTheViewCommands)
{
    CMainFrame* frame = Frame();
    const RibbonControls& rc = frame->Ribbon();
    ASSERT_NE(rc.viewButtons, nullptr);
    ASSERT_TRUE(frame->OutputPaneShown());
    // The user closes the pane with its cross.
    wxAuiPaneInfo& pane = frame->PaneManager().GetPane("output");
    ASSERT_TRUE(pane.IsOk());
    wxAuiManagerEvent close(wxEVT_AUI_PANE_CLOSE);
    close.SetManager(&frame->PaneManager());
    close.SetPane(&pane);
    frame->PaneManager().ProcessEvent(close);
    frame->PaneManager().ClosePane(pane);
    Pump();
    EXPECT_FALSE(frame->OutputPaneShown());
    EXPECT_FALSE(rc.viewButtons->GetItemById(ID_VIEW_OUTPUTWND) == nullptr);

    // View > Output, pressed as the user does: the toggle turns on.
    auto press = [&](int id, bool on) {
        rc.viewButtons->ToggleButton(id, on);
        wxRibbonButtonBarEvent event(wxEVT_RIBBONBUTTONBAR_CLICKED, id, rc.viewButtons);
        event.SetEventObject(rc.viewButtons);
        event.SetInt(on ? 1 : 0);
        rc.viewButtons->GetEventHandler()->ProcessEvent(event);
    };
    press(ID_VIEW_OUTPUTWND, true);
    EXPECT_TRUE(frame->OutputPaneShown());
    press(ID_VIEW_OUTPUTWND, false);
    EXPECT_FALSE(frame->OutputPaneShown());
    // The frame's output command shows it whatever the toggle says.
    wxCommandEvent command(wxEVT_MENU, ID_VIEW_OUTPUTWND);
    command.SetEventObject(frame);
    frame->ProcessWindowEvent(command);
    EXPECT_TRUE(frame->OutputPaneShown());

    press(ID_VIEW_STATUS_BAR, false);
    EXPECT_FALSE(frame->GetStatusBar()->IsShown());
    press(ID_VIEW_STATUS_BAR, true);
    EXPECT_TRUE(frame->GetStatusBar()->IsShown());
}

TEST_F(TarvelGui, NavigationItemsAre35PixelsHighAndScrollSideways)
{
    CNavTree* tree = Frame()->Navigation()->Tree();
    EXPECT_EQ(tree->ItemHeight(), 35);
    int items = 0;
    for (wxTreeItemId root : Children(tree, tree->GetRootItem()))
        for (wxTreeItemId item : Children(tree, root)) {
            wxRect rect;
            ASSERT_TRUE(tree->GetBoundingRect(item, rect));
            EXPECT_EQ(rect.height, 35) << tree->GetItemText(item);
            ++items;
        }
    EXPECT_EQ(items, 13);
    // An item wider than the pane can be scrolled to.
    EXPECT_TRUE(tree->HasFlag(wxHSCROLL));
    // A caption wider than the pane (as Russian ones are) can be scrolled to.
    const wxString wide(wxString::FromUTF8("Проверка напряжения питания, очень длинная строка"));
    tarvel::Services().text = [&wide](int row) { return row == 8 ? std::string(wide.utf8_str()) : std::string(); };
    Frame()->Navigation()->RebuildNavTree();
    for (int i = 0; i < 3; ++i) {
        wxTheApp->ProcessIdle();
        Pump();
    }
    const wxTreeItemId item = FindItem(tree, wide);
    ASSERT_TRUE(item.IsOk());
    wxRect rect;
    ASSERT_TRUE(tree->GetBoundingRect(item, rect, true));
    ASSERT_GT(rect.GetRight(), tree->GetClientSize().x);
    EXPECT_TRUE(tree->HasScrollbar(wxHORIZONTAL));
    EXPECT_GT(tree->GetVirtualSize().x, rect.GetRight());
    tarvel::ResetShellServices();
    Frame()->Navigation()->RebuildNavTree();
}

TEST_F(TarvelGui, RightClickInTheViewShowsTheEditMenu)
{
    std::vector<wxString> items;
    std::vector<bool> enabled;
    wxPoint at;
    int shown = 0;
    CTarvelView::SetPopupForTests([&](wxMenu& menu, const wxPoint& where) {
        ++shown;
        at = where;
        for (const wxMenuItem* item : menu.GetMenuItems()) {
            items.push_back(item->GetItemLabel());
            enabled.push_back(item->IsEnabled());
        }
    });
    wxMouseEvent up(wxEVT_RIGHT_UP);
    up.SetPosition(wxPoint(40, 30));
    up.SetEventObject(View()->ViewWindow());
    View()->ViewWindow()->GetEventHandler()->ProcessEvent(up);
    CTarvelView::SetPopupForTests(nullptr);
    ASSERT_EQ(shown, 1);
    EXPECT_EQ(at, wxPoint(40, 30));
    EXPECT_EQ(items, (std::vector<wxString>{"Cut(&T)\tCtrl+X", "Copy(&C)\tCtrl+C", "Paste(&P)\tCtrl+V"}));
    EXPECT_EQ(enabled, (std::vector<bool>{false, false, false}));
}

TEST_F(TarvelGui, SplashWasOnTheScreenWhileThePagesWereBuilt)
{
    EXPECT_TRUE(View()->SplashWasPainted());
    EXPECT_EQ(View()->CreateResult(), 0);
}

TEST_F(TarvelGui, StartUpBroadcastsTheLanguage)
{
    for (int tab = 0; tab < tarvel::PageCount; ++tab) {
        CTarvelPage* page = View()->Page(tab);
        if (page->Spec().languageMessage != 0)
            EXPECT_GE(page->LanguageRefreshCount(), 1) << "tab " << tab;
        else
            EXPECT_EQ(page->LanguageRefreshCount(), 0) << "tab " << tab;
    }
}

TEST_F(TarvelGui, LanguageRefreshRecaptionsTheRibbonAndTree)
{
    // Texts that differ from the built-in captions show that the refresh
    // really re-reads the rows.
    tarvel::Services().text = [](int row) { return "R" + std::to_string(row); };
    UnderwaterValveTestEnabled = 1;
    tarvel::Services().refreshLanguage();
    const RibbonControls& rc = Frame()->Ribbon();
    EXPECT_EQ(rc.homePage->GetLabel(), "R0");
    EXPECT_EQ(rc.devicePanel->GetLabel(), "R1");
    EXPECT_EQ(rc.commPanel->GetLabel(), "R2");
    EXPECT_EQ(rc.languagePanel->GetLabel(), "R3");
    wxTreeCtrl* tree = Frame()->Navigation()->Tree();
    EXPECT_TRUE(FindItem(tree, "R20").IsOk());
    EXPECT_TRUE(FindItem(tree, "R580").IsOk());
    EXPECT_FALSE(FindItem(tree, "R448").IsOk()); // brake-lamp test not fitted
    EXPECT_TRUE(FindItem(tree, "R19").IsOk());

    tarvel::ResetShellServices();
    UnderwaterValveTestEnabled = 0;
    tarvel::Services().refreshLanguage();
    EXPECT_FALSE(FindItem(tree, wxString::FromUTF8(LanguageText(580))).IsOk());
    EXPECT_EQ(rc.homePage->GetLabel(), wxString::FromUTF8(LanguageText(0)));
    EXPECT_TRUE(FindItem(tree, wxString::FromUTF8(LanguageText(20))).IsOk());
}

TEST_F(TarvelGui, ListsHoldAdaptersBaudRowsAndLanguages)
{
    const RibbonControls& rc = Frame()->Ribbon();
    ASSERT_NE(rc.adapter, nullptr);
    ASSERT_EQ(rc.adapter->GetCount(), 4u);
    EXPECT_EQ(rc.adapter->GetString(0), "Kestrin@Morvane");
    EXPECT_EQ(rc.adapter->GetString(3), "VECTOR-XL@Vector");
    EXPECT_EQ(rc.adapter->GetId(), ID_COMBO_CANDEVICE);
    ASSERT_EQ(rc.baudRate->GetCount(), 3u);
    EXPECT_EQ(rc.baudRate->GetString(0), "500Kbps");
    EXPECT_EQ(rc.baudRate->GetString(1), "125Kbps");
    EXPECT_TRUE(rc.baudRate->GetString(2).empty());
    ASSERT_EQ(rc.language->GetCount(), 5u);
    EXPECT_EQ(rc.language->GetString(1), "ENGLISH");
    EXPECT_EQ(rc.language->GetString(4), wxString::FromUTF8("Português"));
    // Restored from LastConfig.xml: adapter 0, baud 0, language 1.
    EXPECT_EQ(rc.adapter->GetSelection(), 0);
    EXPECT_EQ(rc.baudRate->GetSelection(), 0);
    EXPECT_EQ(rc.language->GetSelection(), 1);
    EXPECT_EQ(LanguageIndex, 1);
}

TEST_F(TarvelGui, EmptyProfileGetsTheDefaultLook)
{
    EXPECT_EQ(AppLook, 215);
    long look = 0;
    ASSERT_TRUE(wxConfigBase::Get()->Read("ApplicationLook", &look));
    EXPECT_EQ(look, 215);
    EXPECT_TRUE(fs::exists(folder_ / "profile.ini"));
}

TEST_F(TarvelGui, ChoosingALookStoresItInTheProfile)
{
    for (int look : {216, 219, 215}) {
        wxCommandEvent command(wxEVT_MENU, look);
        command.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(command);
        EXPECT_EQ(AppLook, look);
        long stored = 0;
        ASSERT_TRUE(wxConfigBase::Get()->Read("ApplicationLook", &stored));
        EXPECT_EQ(stored, look);
    }
}

TEST_F(TarvelGui, MissingSplashPictureKeepsTheRememberedLogoMode)
{
    EXPECT_EQ(ReportLogoMode, 1);
}

TEST_F(TarvelGui, PumpDispatchesPendingEventsAlsoWhenNested)
{
    wxEventLoopBase* active = wxEventLoopBase::GetActive();
    std::unique_ptr<wxEventLoopBase> loop;
    std::unique_ptr<wxEventLoopActivator> activate;
    if (!active) {
        loop.reset(wxTheApp->GetTraits()->CreateEventLoop());
        activate = std::make_unique<wxEventLoopActivator>(loop.get());
    }
    int outer = 0;
    int inner = 0;
    Frame()->CallAfter([&] {
        ++outer;
        Frame()->CallAfter([&] { ++inner; });
        tarvel::GetPump().PumpPending(); // a wait inside a handler inside a wait
    });
    tarvel::GetPump().PumpPending();
    tarvel::GetPump().PumpPending();
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(inner, 1);
    EXPECT_FALSE(tarvel::GetPump().QuitRequested());

    // Other threads only sleep: nothing is dispatched from there.
    int fromThread = 0;
    Frame()->CallAfter([&] { ++fromThread; });
    std::thread([] { tarvel::GetPump().PumpPending(); }).join();
    EXPECT_EQ(fromThread, 0);
    tarvel::GetPump().PumpPending();
    EXPECT_EQ(fromThread, 1);
}

// Notes where each box would have been shown, instead of showing it.
class ThreadNotingPrompter : public tarvel::WxPrompter {
public:
    struct Shown {
        std::string text;
        std::thread::id thread;
    };
    std::vector<Shown> shown;

protected:
    tarvel::MsgAnswer ShowBox(const std::string& text, const std::string&, tarvel::MsgIcon, tarvel::MsgButtons,
                              tarvel::MsgDefault) override
    {
        shown.push_back({text, std::this_thread::get_id()});
        return tarvel::MsgAnswer::Yes;
    }
};

// The live-data worker runs UDS requests, which report time-outs and negative
// responses in boxes: such a box is shown by the UI thread, and the worker
// goes on at once with the answer that changes nothing.
TEST_F(TarvelGui, BoxesAskedForByOtherThreadsAreShownByTheUiThread)
{
    ThreadNotingPrompter prompter;
    tarvel::ScopedPrompter scoped(prompter);
    tarvel::MsgAnswer ok = tarvel::MsgAnswer::Retry;
    tarvel::MsgAnswer yesNo = tarvel::MsgAnswer::Retry;
    std::thread worker([&] {
        ok = tarvel::GetPrompter().Show("Service timeout", "UDS", tarvel::MsgIcon::Exclamation,
                                        tarvel::MsgButtons::Ok);
        yesNo = tarvel::GetPrompter().Show("Go on?", "UDS", tarvel::MsgIcon::Question, tarvel::MsgButtons::YesNo);
    });
    worker.join();
    EXPECT_EQ(ok, tarvel::MsgAnswer::Ok);
    EXPECT_EQ(yesNo, tarvel::MsgAnswer::No);
    EXPECT_TRUE(prompter.shown.empty()) << "a window was touched from the worker";

    Pump();
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text, "Service timeout");
    EXPECT_EQ(prompter.shown[1].text, "Go on?");
    for (const auto& box : prompter.shown)
        EXPECT_EQ(box.thread, std::this_thread::get_id());
}

TEST_F(TarvelGui, WorkPostedToTheUiThreadRunsLaterAndNotOnceItsWindowIsGone)
{
    auto* window = new wxPanel(Frame());
    tarvel::WxUiDispatcher guarded(window);
    tarvel::WxUiDispatcher unguarded;
    int kept = 0;
    int dropped = 0;
    std::thread worker([&] {
        unguarded.Post([&kept] { ++kept; });
        guarded.Post([&dropped] { ++dropped; });
    });
    worker.join();
    EXPECT_EQ(kept, 0) << "posted work waits for the UI thread";
    window->Destroy();
    for (int i = 0; i < 5; ++i)
        wxTheApp->Yield(true);
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(dropped, 0) << "its window was destroyed before it ran";
}

TEST_F(TarvelGui, SplashLoadsPicturesAndFillsItsBar)
{
    const fs::path picture = folder_ / "splash-test.png";
    wxImage image(40, 20);
    image.SetRGB(wxRect(0, 0, 40, 20), 200, 30, 30);
    ASSERT_TRUE(image.SaveFile(wxString::FromUTF8(picture.string()), wxBITMAP_TYPE_PNG));

    auto* splash = new CSplashDlg();
    ASSERT_TRUE(splash->Create(Frame()));
    EXPECT_TRUE(splash->LoadLogoBitmap(wxString::FromUTF8(picture.string()), 510, 283));
    EXPECT_FALSE(splash->LoadLogoBitmap(wxString::FromUTF8((folder_ / "no-such.jpg").string()), 510, 283));
    const fs::path notAPicture = folder_ / "LastConfig.xml";
    EXPECT_FALSE(splash->LoadLogoBitmap(wxString::FromUTF8(notAPicture.string()), 510, 283));

    SplashTickCount = 0;
    for (int i = 0; i < 10; ++i)
        splash->Tick();
    EXPECT_EQ(splash->Progress()->GetValue(), 8);
    splash->Destroy();
    Pump();
}

TEST_F(TarvelGui, TreeClickGuardsAndPageSwitch)
{
    tarvel::RecordingPrompter& prompter = *prompter_;
    prompter.Clear();
    CNavigation* nav = Frame()->Navigation();
    wxTreeCtrl* tree = nav->Tree();
    wxTreeItemId voltage = FindItem(tree, wxString::FromUTF8(LanguageText(13)));
    ASSERT_TRUE(voltage.IsOk());

    EXPECT_EQ(nav->ClickAt(CentreOf(tree, voltage)), tarvel::NavClickOutcome::NotConnected);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, LanguageText(75));
    EXPECT_EQ(prompter.Boxes()[0].caption, LanguageText(74));
    EXPECT_EQ(View()->TabCtrl()->ShownTabCount(), 0);

    EcuConnected = 1;
    EXPECT_EQ(nav->ClickAt(CentreOf(tree, voltage)), tarvel::NavClickOutcome::Selected);
    EXPECT_TRUE(View()->TabCtrl()->IsTabShown(tarvel::TabEolVoltage));
    EXPECT_EQ(View()->TabCtrl()->ShownTabCount(), 1);
    EXPECT_EQ(View()->Page(tarvel::TabEolVoltage)->LastActivateMessage(), WM_ACTIVATE_EOLVOLTAGE);
    EXPECT_EQ(EolStopRequested.load(), 1);

    // A click below the last item: empty area, nothing changes page.
    const wxSize size = tree->GetClientSize();
    EXPECT_EQ(nav->ClickAt(wxPoint(size.x / 2, size.y - 2)), tarvel::NavClickOutcome::EmptyArea);
    EXPECT_TRUE(View()->TabCtrl()->IsTabShown(tarvel::TabEolVoltage));

    EcuConnected = 0;
    EolStopRequested = 0;
    View()->HideAllTabs();
    EXPECT_EQ(View()->TabCtrl()->GetPageCount(), 0u);
}

TEST_F(TarvelGui, PageHostKeepsFixedOrderAndOwnership)
{
    CMyTabCtrl* tabs = View()->TabCtrl();
    ASSERT_TRUE(tabs->ShowTab(13, true));
    ASSERT_TRUE(tabs->ShowTab(1, true));
    ASSERT_TRUE(tabs->ShowTab(16, true));
    ASSERT_EQ(tabs->GetPageCount(), 3u);
    EXPECT_EQ(tabs->GetPage(0), View()->Page(1));
    EXPECT_EQ(tabs->GetPage(1), View()->Page(13));
    EXPECT_EQ(tabs->GetPage(2), View()->Page(16));
    // Showing without activating leaves the first shown page selected.
    EXPECT_EQ(tabs->GetCurrentPage(), View()->Page(13));
    ASSERT_TRUE(tabs->ShowTab(16, true, true, true));
    EXPECT_EQ(tabs->GetCurrentPage(), View()->Page(16));
    EXPECT_FALSE(tabs->ShowTab(23, true));
    EXPECT_FALSE(tabs->ShowTab(-1, true));
    ASSERT_TRUE(tabs->ShowTab(13, false));
    EXPECT_EQ(tabs->GetPageCount(), 2u);
    EXPECT_EQ(View()->Page(13)->GetParent(), tabs);
    EXPECT_FALSE(View()->Page(13)->IsShown());
    View()->HideAllTabs();
    EXPECT_EQ(tabs->GetPageCount(), 0u);
}

TEST_F(TarvelGui, NewAndOpenKeepTheViewAndRunThePageResetAgain)
{
    CTarvelView* view = View();
    std::vector<CTarvelPage*> pages;
    for (int tab = 0; tab < tarvel::PageCount; ++tab)
        pages.push_back(view->Page(tab));
    const int updates = view->InitialUpdateCount();
    view->TabCtrl()->ShowTab(3, true);
    tarvel::RecordingFileChooser files;
    files.QueueAnswer(std::string((folder_ / "opened.tsv").string()));
    tarvel::SetFileChooser(&files);

    for (int id : std::vector<int>{wxID_NEW, wxID_OPEN, wxID_FILE1}) {
        wxCommandEvent command(wxEVT_MENU, id);
        command.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(command);
        Pump();
    }
    EXPECT_EQ(app_->DocManager()->GetCurrentView(), view);
    ASSERT_NE(app_->DocManager()->GetFileHistory(), nullptr);
    EXPECT_EQ(app_->DocManager()->GetFileHistory()->GetMaxFiles(), 4);
    EXPECT_EQ(view->InitialUpdateCount(), updates + 3);
    EXPECT_EQ(view->TabCtrl()->ShownTabCount(), 0);
    // Open asked for the file as the standard command does, and remembers it.
    ASSERT_EQ(files.Requests().size(), 1u);
    EXPECT_FALSE(files.Requests()[0].save);
    EXPECT_EQ(app_->DocManager()->GetFileHistory()->GetHistoryFile(0),
              wxString::FromUTF8((folder_ / "opened.tsv").string()));

    // A cancelled Open changes nothing.
    wxCommandEvent open(wxEVT_MENU, wxID_OPEN);
    open.SetEventObject(Frame());
    Frame()->ProcessWindowEvent(open);
    EXPECT_EQ(files.Requests().size(), 2u);
    EXPECT_EQ(view->InitialUpdateCount(), updates + 3);

    // Save As: a file that cannot be written stays off the recent list; one
    // that was written (empty: the document holds nothing) joins it.
    wxFileHistory* history = app_->DocManager()->GetFileHistory();
    const size_t before = history->GetCount();
    const fs::path unwritable = folder_ / "no-such-folder" / "saved.tsv";
    const fs::path saved = folder_ / "saved.tsv";
    files.QueueAnswer(unwritable.string());
    files.QueueAnswer(saved.string());
    for (int i = 0; i < 2; ++i) {
        wxCommandEvent saveAs(wxEVT_MENU, wxID_SAVEAS);
        saveAs.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(saveAs);
    }
    EXPECT_FALSE(fs::exists(unwritable));
    for (size_t i = 0; i < history->GetCount(); ++i)
        EXPECT_NE(history->GetHistoryFile(i), wxString::FromUTF8(unwritable.string()));
    ASSERT_TRUE(fs::exists(saved));
    EXPECT_EQ(fs::file_size(saved), 0u);
    EXPECT_EQ(history->GetHistoryFile(0), wxString::FromUTF8(saved.string()));
    EXPECT_LE(history->GetCount(), before + 1);
    ASSERT_GE(prompter_->Count(), 1u);
    tarvel::SetFileChooser(nullptr);
    for (int tab = 0; tab < tarvel::PageCount; ++tab) {
        EXPECT_EQ(view->Page(tab), pages[static_cast<size_t>(tab)]);
        EXPECT_EQ(pages[static_cast<size_t>(tab)]->GetParent(), view->TabCtrl());
    }
}

TEST_F(TarvelGui, WritesAScreenshotOfTheMainWindow)
{
    Frame()->Raise();
    Frame()->Refresh();
    Frame()->Update();
    Pump(20);
    const wxRect rect = Frame()->GetScreenRect();
    ASSERT_GT(rect.width, 200);
    ASSERT_GT(rect.height, 200);
    wxBitmap shot(rect.width, rect.height, 24);
    {
        wxScreenDC screen;
        wxMemoryDC mem(shot);
        mem.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    }
    const fs::path file = ExeFolder() / "tarvel-main-window.png";
    ASSERT_TRUE(shot.SaveFile(wxString::FromUTF8(file.string()), wxBITMAP_TYPE_PNG));
    EXPECT_GT(fs::file_size(file), 1000u);
}

TEST_F(TarvelGui, ChoosingAnotherLanguageAsksForARestart)
{
    tarvel::RecordingRestarter restarter;
    tarvel::ScopedRestarter scoped(restarter);
    prompter_->Clear();
    const RibbonControls& rc = Frame()->Ribbon();
    rc.language->SetSelection(2);
    wxCommandEvent chosen(wxEVT_CHOICE, ID_COMBO_LANGUAGE);
    chosen.SetEventObject(rc.language);
    chosen.SetInt(2);
    rc.language->GetEventHandler()->ProcessEvent(chosen);
    ASSERT_EQ(restarter.Requests().size(), 1u);
    EXPECT_FALSE(restarter.Requests()[0].empty());
    EXPECT_EQ(prompter_->Count(), 1u); // the notice
    EXPECT_EQ(LanguageIndex, 2);
    // Back to English for the rest of the run.
    rc.language->SetSelection(1);
    LanguageIndex = 1;
}

// Runs last: closing the window takes the program down. The user closes it
// while a handler waits for the ECU (the wait dispatches the click); the view
// must outlive that wait, and the program closes in order once it returned.
TEST_F(TarvelGui, ZClosingDuringAWaitSavesTheSettingsAndReleasesThePages)
{
    // Choose adapter row 2 and baud row 1 the way the user would.
    const RibbonControls& rc = Frame()->Ribbon();
    rc.adapter->SetSelection(2);
    rc.baudRate->SetSelection(1);
    EOLReportsFilePath = "/tmp/tarvel-reports-chosen-by-test/";
    prompter_->Clear();

    CMainFrame* frame = Frame();
    frame->CallAfter([frame] { frame->Close(); });
    // A wait: pump until it is told to end early.
    for (int turn = 0; turn < 50 && !tarvel::GetPump().QuitRequested(); ++turn)
        tarvel::GetPump().PumpPending();
    ASSERT_TRUE(tarvel::GetPump().QuitRequested()) << "the close never reached the frame";
    EXPECT_EQ(AppClosing.load(), 0) << "the view was destroyed under a running wait";
    EXPECT_TRUE(frame->CloseDeferred());

    // Back in the main loop the close goes ahead.
    Pump(10);
    EXPECT_EQ(AppClosing.load(), 1);
    EXPECT_EQ(DownloadPageWnd(), nullptr);
    EXPECT_EQ(SystemTagDialogWnd(), nullptr);
    EXPECT_EQ(EolStopRequested.load(), 1); // the lamp pages' destructors ask running steps to stop

    EXPECT_EQ(prompter_->Count(), 0u);
    EXPECT_NE(ReadFile(folder_ / "LastStringConfig.xml").find("/tmp/tarvel-reports-chosen-by-test/"),
              std::string::npos);
    ASSERT_TRUE(LoadLastConfig());
    ASSERT_GE(LastConfigItems.size(), 4u);
    EXPECT_EQ(LastConfigItems[0].nIndex, 2);
    EXPECT_EQ(LastConfigItems[1].nIndex, 1);
    EXPECT_EQ(LastConfigItems[2].nIndex, 1);
    EXPECT_EQ(LastConfigItems[3].nIndex, 1); // the logo mode survived the missing picture
    // The navigation pane's width is kept for the next run.
    long width = 0;
    EXPECT_TRUE(wxConfigBase::Get()->Read("NavigationPaneWidth", &width));
    EXPECT_GE(width, 120);
}

} // namespace
