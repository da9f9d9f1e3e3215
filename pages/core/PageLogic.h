// The decision-making half of a function page, free of windows. The shell
// calls the lifecycle hooks in its fixed orders (connect, disconnect, page
// switch, language change, page reset); the page's window forwards its
// activate and language messages here and renders the page's state when the
// logic reports a change. Every hook does nothing unless a page overrides it.
#pragma once

#include "PageContext.h"

#include <functional>

namespace tarvel {

class PageLogic {
public:
    // `tab` is the page's fixed index in the page table.
    PageLogic(int tab, const PageContext& context) : tab_(tab), context_(context) {}
    virtual ~PageLogic() = default;
    PageLogic(const PageLogic&) = delete;
    PageLogic& operator=(const PageLogic&) = delete;

    int Tab() const { return tab_; }
    const PageContext& Context() const { return context_; }

    // The page was shown by the page switch with one of its activate messages.
    virtual void OnActivate(int message) { (void)message; }
    // The language changed: texts and captions follow it.
    virtual void OnLanguageChanged() {}
    // The view's page reset at start-up and for New/Open: definition tables
    // are (re)loaded and the page starts as for a new run.
    virtual void OnResetForNewRun() {}
    // The ECU answered the probe; the link is up.
    virtual void OnConnected() {}
    // The adapter was closed: work stops and everything learnt from that
    // ECU is forgotten.
    virtual void OnDisconnected() {}
    // Another page is about to be shown or a ribbon page opens: running
    // work (timers, read loops, a worker) stops now.
    virtual void OnStopWork() {}
    // The main window is about to close. A page whose running work must not
    // be cut off unasked (a download into the ECU) asks the user here;
    // false keeps the program running.
    virtual bool MayClose() { return true; }

    // The window registers here to render the state after each change; pass
    // an empty function to stop.
    void SetChangedObserver(std::function<void()> observer) { observer_ = std::move(observer); }

protected:
    // Tells the window that the state changed (UI thread only).
    void Changed()
    {
        if (observer_)
            observer_();
    }

private:
    int tab_;
    const PageContext& context_;
    std::function<void()> observer_;
};

// Hands a window message meant for a page to its logic: an activate message
// of the page's row becomes OnActivate, its language message
// OnLanguageChanged. Returns whether the message was one of those.
bool DeliverPageMessage(PageLogic& logic, int message);

} // namespace tarvel
