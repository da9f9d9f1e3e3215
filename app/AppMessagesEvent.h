// The one event class that carries the program's messages between windows.
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
