// The event class that carries the program's messages between windows, and
// the one a page uses to ask its page host for a tab.
// It is not a command event, so it never travels up the parent chain: only the
// window it is sent to sees it. The event id is the message number, so a
// handler binds to exactly its message:
//   Bind(EVT_APP_MESSAGE, &Page::OnActivate, this, WM_ACTIVATE_EOLVOLTAGE);
#pragma once

#include <wx/event.h>

class AppMessageEvent;
wxDECLARE_EVENT(EVT_APP_MESSAGE, AppMessageEvent);

class AppMessageEvent : public wxEvent {
public:
    explicit AppMessageEvent(int message = 0) : wxEvent(message, EVT_APP_MESSAGE) {}
    wxEvent* Clone() const override { return new AppMessageEvent(*this); }
    int Message() const { return GetId(); }
};

// Sends the message synchronously (the receiver's work runs inside this call).
// A null target is allowed and does nothing; returns whether it was handled.
bool SendAppMessage(wxEvtHandler* target, int message);

// A page asks the page host it lives in to show or hide one of the fixed
// tabs, without selecting it. Sent to the page's parent only.
class ShowPageTabEvent;
wxDECLARE_EVENT(EVT_SHOW_PAGE_TAB, ShowPageTabEvent);

class ShowPageTabEvent : public wxEvent {
public:
    ShowPageTabEvent(int tab = -1, bool show = false) : wxEvent(0, EVT_SHOW_PAGE_TAB), tab_(tab), show_(show) {}
    wxEvent* Clone() const override { return new ShowPageTabEvent(*this); }
    int Tab() const { return tab_; }
    bool ShowIt() const { return show_; }

private:
    int tab_;
    bool show_;
};

class wxWindow;
// Asks the parent of `page` (the page host) to show or hide the tab; false
// when the page has no parent or the parent does not host tabs.
bool AskHostToShowTab(wxWindow* page, int tab, bool show);
