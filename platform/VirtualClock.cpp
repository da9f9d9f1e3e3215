#include "VirtualClock.h"

namespace tarvel {

Scheduler::TaskId VirtualClock::ScheduleAt(uint64_t atUs, std::function<void()> task)
{
    std::lock_guard<std::mutex> lock(mutex_);
    TaskId id = nextId_++;
    tasks_.emplace(std::make_pair(atUs, id), std::move(task));
    dueOf_.emplace(id, atUs);
    return id;
}

Scheduler::TaskId VirtualClock::ScheduleIn(uint64_t delayUs, std::function<void()> task)
{
    return ScheduleAt(NowUs() + delayUs, std::move(task));
}

void VirtualClock::Cancel(TaskId id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = dueOf_.find(id);
    if (it == dueOf_.end())
        return;
    tasks_.erase(std::make_pair(it->second, id));
    dueOf_.erase(it);
}

size_t VirtualClock::PendingTasks() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return tasks_.size();
}

bool VirtualClock::RunNextDue(uint64_t limitUs)
{
    std::function<void()> task;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (tasks_.empty())
            return false;
        auto first = tasks_.begin();
        uint64_t due = first->first.first;
        if (due > limitUs)
            return false;
        task = std::move(first->second);
        dueOf_.erase(first->first.second);
        tasks_.erase(first);
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
