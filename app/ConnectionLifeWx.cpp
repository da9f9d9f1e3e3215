#include "ConnectionLifeWx.h"

#include "AppMessagesEvent.h"
#include "AppMessages.h"
#include "PageHost.h"
#include "NavigationModel.h"
#include "PageHostPage.h"
#include "PageLogicSet.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelView.h"
#include "WxTimer.h"

#include <wx/ribbon/buttonbar.h>

namespace tarvel {

void ViewPages::HideAllTabs()
{
    view_.HideAllTabs();
}

void ViewPages::ShowTab(int tab, bool show)
{
    if (CMyTabCtrl* tabs = view_.TabCtrl())
        tabs->ShowTab(tab, show, true, false);
}

void ViewPages::SendToPage(int tab, int message)
{
    SendAppMessage(view_.Page(tab), message);
}

PageLogic* ViewPages::Logic(int tab)
{
    return view_.Logic(tab);
}

ViewConnection::ViewConnection(CTarvelView& view, const RibbonControls* ribbon)
    : pages_(view), switcher_(pages_), ribbon_(ribbon)
{
    TimerFactory* timers = ShellTimerFactory();
    if (!timers) {
        ownTimers_ = std::make_unique<WxTimerFactory>();
        timers = ownTimers_.get();
    }
    connection_ = std::make_unique<ConnectionController>(pages_, *timers);
    connection_->SetStateObserver([this] { SyncRibbon(); });

    // A command whose button is off does nothing, as a disabled button would.
    ViewCommandHooks& hooks = CTarvelView::Commands();
    hooks.connect = [this] {
        if (ConnectionController::ConnectCommandOn())
            connection_->OnConnectCan();
        SyncRibbon();
    };
    hooks.disconnect = [this] {
        if (ConnectionController::DisconnectCommandOn())
            connection_->OnDisconnectCan();
        SyncRibbon();
    };
    hooks.programDownload = [this] { switcher_.OnProgramDownload(); };
    hooks.rssCalibration = [this] { switcher_.OnRssCalibration(); };
    // Page work stops on a page change; each page's logic stops its own.
    SetPageWorkStopHandler([this] { StopPageWork(pages_); });
    SyncRibbon();
}

ViewConnection::~ViewConnection()
{
    CTarvelView::Commands() = ViewCommandHooks{};
    SetPageWorkStopHandler(nullptr);
    connection_->SetStateObserver(nullptr);
}

void ViewConnection::SyncRibbon()
{
    connectOn_ = ConnectionController::ConnectCommandOn();
    disconnectOn_ = ConnectionController::DisconnectCommandOn();
    if (!ribbon_ || !ribbon_->commButtons)
        return;
    wxRibbonButtonBar* bar = ribbon_->commButtons;
    bar->EnableButton(ID_CAN_CONNECT, connectOn_);
    bar->ToggleButton(ID_CAN_CONNECT, connectOn_);
    bar->EnableButton(ID_DISCONNECTCAN, disconnectOn_);
    bar->ToggleButton(ID_DISCONNECTCAN, disconnectOn_);
}

} // namespace tarvel
