#include "AppMessagesEvent.h"

#include <wx/window.h>

wxDEFINE_EVENT(EVT_APP_MESSAGE, AppMessageEvent);
wxDEFINE_EVENT(EVT_SHOW_PAGE_TAB, ShowPageTabEvent);

bool SendAppMessage(wxEvtHandler* target, int message)
{
    if (!target)
        return false;
    AppMessageEvent event(message);
    return target->ProcessEvent(event);
}

bool AskHostToShowTab(wxWindow* page, int tab, bool show)
{
    wxWindow* host = page ? page->GetParent() : nullptr;
    if (!host)
        return false;
    ShowPageTabEvent event(tab, show);
    return host->ProcessWindowEventLocally(event);
}
