#include "VirtualClock.h"

namespace tarvel {

Scheduler::TaskId VirtualClock::ScheduleAt(uint64_t atUs, std::function<void()> task)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return tasks_.Add(atUs, std::move(task));
}

Scheduler::TaskId VirtualClock::ScheduleIn(uint64_t delayUs, std::function<void()> task)
{
    return ScheduleAt(NowUs() + delayUs, std::move(task));
}

void VirtualClock::Cancel(TaskId id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.Cancel(id);
}

size_t VirtualClock::PendingTasks() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return tasks_.Size();
}

bool VirtualClock::RunNextDue(uint64_t limitUs)
{
    std::function<void()> task;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        uint64_t due = 0;
        if (!tasks_.TakeDue(limitUs, due, task))
            return false;
        // Time never runs backwards: a task scheduled in the past runs "now".
        MoveForwardTo(due);
    }
    task(); // without the lock: a task may schedule or cancel others
    return true;
}

void VirtualClock::Advance(uint64_t us)
{
    const uint64_t target = NowUs() + us;
    while (RunNextDue(target)) {
    }
    MoveForwardTo(target);
}

void VirtualClock::MoveForwardTo(uint64_t us)
{
    uint64_t now = now_.load(std::memory_order_acquire);
    while (us > now && !now_.compare_exchange_weak(now, us, std::memory_order_acq_rel)) {
    }
}

void VirtualClock::RunDue()
{
    while (RunNextDue(NowUs())) {
    }
}

} // namespace tarvel
