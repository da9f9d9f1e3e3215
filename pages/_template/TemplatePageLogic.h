// The template page's decisions, free of windows. Copy this page with
// scripts/new-page.sh; the pattern it shows:
//  - every hook the shell calls is overridden only where the page has a duty;
//  - UDS goes through the service calls only, and a timer tick is skipped
//    while another request is in flight;
//  - after every call that waits (it pumps events) the page re-checks that it
//    should still be working before it touches its state;
//  - boxes, timers, texts and files come from the context, never from wx.
#pragma once

#include "PageHostTable.h"
#include "PageLogic.h"
#include "TemplatePageState.h"

#include <cstdint>
#include <memory>

class TemplatePageLogic : public tarvel::PageLogic {
public:
    static constexpr int kTab = tarvel::TabConnectors;
    static constexpr uint16_t kDid = 0xF18C;
    static constexpr uint32_t kRefreshPeriodMs = 1000;

    explicit TemplatePageLogic(const tarvel::PageContext& context);
    ~TemplatePageLogic() override;

    const TemplatePageState& State() const { return state_; }

    // Lifecycle, called by the shell in its order.
    void OnActivate(int message) override;
    void OnDisconnected() override;
    void OnStopWork() override;

    // The window's "Read" button: one read now; the not-connected box when
    // no ECU is connected.
    void OnReadClicked();

    bool Refreshing() const;

private:
    void Read();
    void OnRefreshTick();

    TemplatePageState state_;
    std::unique_ptr<tarvel::Timer> refresh_;
    bool working_ = false;
};
