// Ties the connection life and the page switch to the view's windows: the
// page host and pages behind ShellPages, the ribbon's Connect and Disconnect
// buttons following ConnectCommandEnabled, and the view's command hooks.
#pragma once

#include "ConnectionLife.h"
#include "PageSwitch.h"

#include <memory>

class CTarvelView;
struct RibbonControls;

namespace tarvel {

// ShellPages over the view's page host.
class ViewPages : public ShellPages {
public:
    explicit ViewPages(CTarvelView& view) : view_(view) {}
    void HideAllTabs() override;
    void ShowTab(int tab, bool show) override;
    void SendToPage(int tab, int message) override;
    PageLogic* Logic(int tab) override;

private:
    CTarvelView& view_;
};

class ViewConnection {
public:
    // `ribbon` may be null (no frame); it must outlive this object.
    ViewConnection(CTarvelView& view, const RibbonControls* ribbon);
    ~ViewConnection();
    ViewConnection(const ViewConnection&) = delete;
    ViewConnection& operator=(const ViewConnection&) = delete;

    ConnectionController& Connection() { return *connection_; }
    PageSwitcher& Switcher() { return switcher_; }
    ShellPages& Pages() { return pages_; }

    // Puts the Connect and Disconnect buttons in the state of the link.
    void SyncRibbon();
    // What SyncRibbon last applied (the ribbon cannot be asked).
    bool ConnectButtonOn() const { return connectOn_; }
    bool DisconnectButtonOn() const { return disconnectOn_; }

private:
    ViewPages pages_;
    PageSwitcher switcher_;
    const RibbonControls* ribbon_;
    std::unique_ptr<TimerFactory> ownTimers_; // only when the program installed none
    std::unique_ptr<ConnectionController> connection_;
    bool connectOn_ = false;
    bool disconnectOn_ = false;
};

} // namespace tarvel
