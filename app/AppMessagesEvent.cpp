#include "AppMessagesEvent.h"

wxDEFINE_EVENT(EVT_APP_MESSAGE, AppMessageEvent);

bool SendAppMessage(wxEvtHandler* target, int message)
{
    if (!target)
        return false;
    AppMessageEvent event(message);
    return target->ProcessEvent(event);
}
