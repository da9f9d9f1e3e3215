// Which page the view shows, and the messages that go with it: the page
// switch behind a navigation click, the Program Download and RSS Calibration
// commands with their guards, and the language broadcast. Plain C++: the view
// hands its tabs and pages over through ShellPages, so all of it runs in a
// test without a window.
#pragma once

#include "WindowRegistry.h"

#include <array>
#include <utility>

namespace tarvel {

class PageLogic;

// What the page switch and the connection life ask of the view.
class ShellPages {
public:
    virtual ~ShellPages() = default;
    virtual void HideAllTabs() = 0;
    // Shows (without activating) or hides the tab of a fixed page index.
    virtual void ShowTab(int tab, bool show) = 0;
    // Sends a message to the page at a fixed tab index, synchronously.
    virtual void SendToPage(int tab, int message) = 0;
    // Sends a message to a window reached by its stored handle.
    virtual void SendToWindow(WindowSlot slot, int message) { SendToRegisteredWindow(slot, message); }
    // The logic of the page at a fixed tab index, whose lifecycle hooks the
    // shell calls in its order tables; null when the host has none.
    virtual PageLogic* Logic(int tab)
    {
        (void)tab;
        return nullptr;
    }
};

// The language broadcast after the navigation dialog's refresh: (tab, message)
// in the order the pages are told. The brake-lamp message goes to the
// brake-lamp page and, last, to the underwater-valve page.
constexpr int LanguageBroadcastCount = 20;
const std::array<std::pair<int, int>, LanguageBroadcastCount>& LanguageBroadcastOrder();

// Sends the whole language broadcast: the navigation dialog first, then the pages.
void BroadcastLanguage(ShellPages& pages);

enum class PageCommandOutcome {
    NotConnected,    // the not-connected box was shown
    TestRunning,     // the "Test is running" box was shown
    DownloadRunning, // the download page was told; nothing else changed
    Shown,           // page work stopped and the page shown
};

class PageSwitcher {
public:
    explicit PageSwitcher(ShellPages& pages) : pages_(pages) {}

    // The page switch for a navigation item, by the page (tab) the item
    // stands for; NoPage (a root item) shows nothing.
    void OnSelectPage(int page);

    // The ribbon's Program Download (tab 4) and RSS Calibration (tab 20)
    // commands. Both apply the navigation's guards themselves, including the
    // running-download guard: leaving the download page mid-flash through the
    // calibration command would abandon the ECU half programmed.
    PageCommandOutcome OnProgramDownload();
    PageCommandOutcome OnRssCalibration();

private:
    PageCommandOutcome OpenFromRibbon(int tab);

    ShellPages& pages_;
};

} // namespace tarvel
