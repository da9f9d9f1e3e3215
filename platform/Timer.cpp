#include "Timer.h"

namespace tarvel {

VirtualTimer::VirtualTimer(Scheduler& scheduler, std::function<void()> onTick)
    : scheduler_(scheduler), onTick_(std::move(onTick)), alive_(std::make_shared<bool>(true))
{
}

VirtualTimer::~VirtualTimer()
{
    *alive_ = false;
    Stop();
}

void VirtualTimer::Start(uint32_t periodMs)
{
    Stop();
    periodMs_ = periodMs;
    running_ = true;
    Arm();
}

void VirtualTimer::Stop()
{
    running_ = false;
    if (task_ != 0) {
        scheduler_.Cancel(task_);
        task_ = 0;
    }
}

void VirtualTimer::Arm()
{
    std::weak_ptr<bool> alive = alive_;
    // A period of 0 ticks as often as it can, like a GUI timer; on a virtual
    // clock that is once per millisecond, or a tick would re-arm itself at
    // the same instant and time could never move on.
    const uint64_t periodUs = uint64_t(periodMs_ == 0 ? 1 : periodMs_) * 1000;
    task_ = scheduler_.ScheduleIn(periodUs, [this, alive] {
        auto a = alive.lock();
        if (!a || !*a || !running_)
            return;
        task_ = 0;
        Arm(); // next tick first, so a handler that stops the timer wins
        ++ticks_;
        if (onTick_)
            onTick_();
    });
}

} // namespace tarvel
