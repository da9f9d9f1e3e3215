#include "WxPump.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/thread.h>
#include <wx/timer.h>

#include <algorithm>

namespace tarvel {

namespace {
// How soon held work first runs, and how often while no wait pumps.
constexpr int kHeldWorkPeriodMs = 1;
} // namespace

class WxPump::HeldTimer : public wxTimer {
public:
    explicit HeldTimer(WxPump& pump) : pump_(pump) {}
    void Notify() override { pump_.RunHeldWork(); }

private:
    WxPump& pump_;
};

WxPump::WxPump() = default;

WxPump::~WxPump() = default;

void WxPump::PumpPending()
{
    if (!wxThread::IsMain())
        return;
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(depth_);
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
        // Waits nest (a wait inside a handler that runs inside another wait);
        // each level dispatches what is pending.
        loop->YieldFor(wxEVT_CATEGORY_ALL);
    } else if (wxTheApp) {
        wxTheApp->Yield(true);
    }
}

void WxPump::SetHeldWork(HeldWork work)
{
    if (!wxThread::IsMain() || !wxTheApp)
        return;
    heldWork_ = std::move(work);
    ++handedOver_;
    if (!heldWork_) {
        if (heldTimer_)
            heldTimer_->Stop();
        return;
    }
    if (!heldTimer_)
        heldTimer_ = std::make_unique<HeldTimer>(*this);
    heldTimer_->StartOnce(kHeldWorkPeriodMs);
}

void WxPump::EndPumpedWaits()
{
    if (auto* pump = dynamic_cast<WxPump*>(&GetPump()))
        pump->SetMainWindowClosing(true);
}

void WxPump::RunHeldWork()
{
    if (!heldWork_)
        return;
    // Only a handler dispatched by a pumped wait can hold that wait; while no
    // wait pumps, there is nothing to stand in for yet.
    const unsigned handedOver = handedOver_;
    uint32_t nextMs = kHeldWorkPeriodMs;
    if (depth_ > 0) {
        const HeldWork work = heldWork_; // the work may withdraw itself
        nextMs = std::max<uint32_t>(work(), kHeldWorkPeriodMs);
    }
    // Work withdrawn or handed over anew meanwhile has its timer set already.
    if (heldWork_ && handedOver == handedOver_)
        heldTimer_->StartOnce(static_cast<int>(nextMs));
}

} // namespace tarvel
