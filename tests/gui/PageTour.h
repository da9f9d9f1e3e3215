// A tour of every page as a new user makes it: the program started in one of
// its five languages, the main window at a given size with the output pane
// shown, connected to the simulated ECU, every equipment item in the tree,
// and each page opened the way the program opens it (the tree, the ribbon's
// two page commands, the tab beside its page). Shared by the layout test and
// the screenshot program.
#pragma once

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "MainFrame.h"
#include "Navigation.h"
#include "PageHost.h"
#include "PageHostPage.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"


#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace pagetour {

struct Language {
    int index;        // LanguageIndex
    const char* tag;  // for names of cases and files
};

inline constexpr Language kLanguages[] = {{0, "zh"}, {1, "en"}, {2, "ru"}, {3, "es"}, {4, "pt"}};

// Starts the program with `language` stored as the user's last choice.
inline bool StartIn(tarvel_test::ProgramUnderTest& program, const std::string& name, int language)
{
    return program.Start(name.c_str(), [language](const std::filesystem::path& folder) {
        const std::filesystem::path file = folder / "LastConfig.xml";
        std::ostringstream text;
        text << std::ifstream(file, std::ios::binary).rdbuf();
        const std::string changed = std::regex_replace(text.str(), std::regex("(ItemName=\"Language\" nIndex=)\"-?[0-9]+\""),
                                                       "$1\"" + std::to_string(language) + "\"");
        std::ofstream(file, std::ios::binary | std::ios::trunc) << changed;
    });
}

inline void Settle(int rounds = 8)
{
    guidriver::PumpUntil([] { return false; }, rounds);
}

// The main window at `size` (not maximised) with the output pane shown.
inline bool SizeWindow(CMainFrame* frame, const wxSize& size)
{
    frame->Maximize(false);
    frame->SetSize(wxRect(wxPoint(0, 0), size));
    frame->ShowOutputPane(true);
    guidriver::PumpUntil([&] { return frame->GetSize() == size; }, 200);
    Settle();
    return frame->GetSize() == size && frame->OutputPaneShown();
}

// Every equipment item in the tree (and the lifting-axle calibration beside
// the parameters page).
inline void EnableEveryItem(CMainFrame* frame)
{
    BrakeLampTestEnabled = 1;
    LiftingAxleTestEnabled = 1;
    LiftingSensorCalibrationEnabled = 1;
    HeightSensorCalibrationEnabled = 1;
    UnderwaterValveTestEnabled = 1;
    LiftingAxleCalibrationEnabled = 1;
    frame->Navigation()->RebuildNavTree();
}

// How a page is reached.
enum class Way { Tree, Ribbon, BesideTab, NotShown };

inline Way WayTo(int tab)
{
    switch (tab) {
    case tarvel::TabProgramDownload:
    case tarvel::TabRssCalibration: return Way::Ribbon;
    case tarvel::TabLiftingAxleCalibration:
    case tarvel::TabOdrTrip: return Way::BesideTab;
    case tarvel::TabConnectors: return Way::NotShown;
    default: return Way::Tree;
    }
}

// Opens `tab` as the user would and brings its tab to the front; false when
// the page did not come up. The connectors page, which nothing in the program
// shows, is put up directly.
inline bool OpenPage(CTarvelApp* app, int tab)
{
    CMainFrame* frame = app->MainFrame();
    CTarvelView* view = app->View();
    CMyTabCtrl* tabs = view->TabCtrl();
    EnableEveryItem(frame);
    switch (WayTo(tab)) {
    case Way::Tree:
        if (!guidriver::Open(app, tab))
            return false;
        break;
    case Way::Ribbon:
        guidriver::Press(frame->Ribbon().toolButtons,
                         tab == tarvel::TabProgramDownload ? ID_PROGRAM_DOWNLOAD : ID_RSSCALIBBTN);
        break;
    case Way::BesideTab:
        // The parameters page shows the lifting-axle calibration beside
        // itself; the recorder page shows its trip page once it has read.
        if (tab == tarvel::TabLiftingAxleCalibration) {
            if (!guidriver::Open(app, tarvel::TabParameters))
                return false;
        } else {
            if (!guidriver::Open(app, tarvel::TabOdrInfo))
                return false;
            Settle();
            if (!tabs->IsTabShown(tab))
                tabs->ShowTab(tab, true);
        }
        break;
    case Way::NotShown:
        view->HideAllTabs();
        tabs->ShowTab(tab, true);
        break;
    }
    Settle();
    if (!tabs->IsTabShown(tab))
        return false;
    // The user clicks the page's tab when it is not the front one.
    CTarvelPage* page = view->Page(tab);
    const int position = tabs->GetPageIndex(page);
    if (position == wxNOT_FOUND)
        return false;
    if (tabs->GetSelection() != position)
        tabs->SetSelection(static_cast<size_t>(position));
    Settle();
    return page->IsShownOnScreen();
}

} // namespace pagetour
