#include "WxPump.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/thread.h>
#include <wx/timer.h>

namespace tarvel {

namespace {
// How often held work runs.
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

void WxPump::SetHeldWork(std::function<void()> work)
{
    if (!wxThread::IsMain() || !wxTheApp)
        return;
    heldWork_ = std::move(work);
    if (!heldWork_) {
        if (heldTimer_)
            heldTimer_->Stop();
        return;
    }
    if (!heldTimer_)
        heldTimer_ = std::make_unique<HeldTimer>(*this);
    if (!heldTimer_->IsRunning())
        heldTimer_->Start(kHeldWorkPeriodMs, wxTIMER_CONTINUOUS);
}

void WxPump::RunHeldWork()
{
    // Only a handler dispatched by a pumped wait can hold that wait; once
    // no wait pumps, there is nothing to stand in for.
    if (depth_ == 0 || !heldWork_)
        return;
    const std::function<void()> work = heldWork_; // the work may withdraw itself
    work();
}

} // namespace tarvel
