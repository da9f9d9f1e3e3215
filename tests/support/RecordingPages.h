// A page host that writes down what the shell logic asks of it, in order,
// as short lines ("hide", "show 5", "unshow 13", "page 5 0x1789",
// "window DownloadPage 0x7f3"), so a test compares whole sequences. It holds
// the real logic of every page, so the shell's lifecycle hooks reach them as
// in the program; messages are only recorded, not delivered to the logic.
#pragma once

#include "PageContext.h"
#include "PageLogicSet.h"
#include "PageSwitch.h"
#include "Timer.h"
#include "UiDispatcher.h"
#include "VirtualClock.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace conntest {

inline std::string Hex(int message)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", static_cast<unsigned>(message));
    return buf;
}

inline const char* SlotName(tarvel::WindowSlot slot)
{
    switch (slot) {
    case tarvel::WindowSlot::LiftingAxlePage: return "LiftingAxlePage";
    case tarvel::WindowSlot::DownloadPage: return "DownloadPage";
    case tarvel::WindowSlot::DeviceInfoPage: return "DeviceInfoPage";
    case tarvel::WindowSlot::SystemTagDialog: return "SystemTagDialog";
    case tarvel::WindowSlot::Navigation: return "Navigation";
    case tarvel::WindowSlot::ParameterPage: return "ParameterPage";
    case tarvel::WindowSlot::MonitorPage: return "MonitorPage";
    default: return "?";
    }
}

inline std::string PageMsg(int tab, int message)
{
    return "page " + std::to_string(tab) + " " + Hex(message);
}
inline std::string WindowMsg(tarvel::WindowSlot slot, int message)
{
    return std::string("window ") + SlotName(slot) + " " + Hex(message);
}
inline std::string Show(int tab)
{
    return "show " + std::to_string(tab);
}
inline std::string Unshow(int tab)
{
    return "unshow " + std::to_string(tab);
}

class RecordingPages : public tarvel::ShellPages {
public:
    // The pages' timers come from `timers`; without one they run on a
    // virtual clock of their own that nothing advances.
    explicit RecordingPages(tarvel::TimerFactory* timers = nullptr, const std::string& dataFolder = std::string())
        : ownTimers_(ownClock_),
          services_(timers ? *timers : ownTimers_, ui, dataFolder),
          logics_(services_.Context())
    {
    }

    void HideAllTabs() override { log.push_back("hide"); }
    void ShowTab(int tab, bool show) override { log.push_back(show ? Show(tab) : Unshow(tab)); }
    void SendToPage(int tab, int message) override
    {
        log.push_back(PageMsg(tab, message));
        if (onMessage)
            onMessage(log.back());
    }
    void SendToWindow(tarvel::WindowSlot slot, int message) override
    {
        log.push_back(WindowMsg(slot, message));
        if (onMessage)
            onMessage(log.back());
    }

    tarvel::PageLogic* Logic(int tab) override { return logics_.At(tab); }
    const tarvel::PageContext& Context() const { return services_.Context(); }

    std::vector<std::string> log;
    // Runs inside each message, as a page's handler would.
    std::function<void(const std::string&)> onMessage;
    // Work the pages' logic posted to the UI thread.
    tarvel::QueuedUiDispatcher ui;

private:
    tarvel::VirtualClock ownClock_{0};
    tarvel::VirtualTimerFactory ownTimers_;
    tarvel::GlobalPageServices services_;
    tarvel::PageLogicSet logics_;
};

} // namespace conntest
