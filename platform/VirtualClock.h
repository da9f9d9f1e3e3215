// A deterministic clock for tests and simulations. Time moves only when some
// code sleeps on it or calls Advance; tasks scheduled on it run, in time order
// (then in order of scheduling), on the thread that moves time, with the clock
// showing each task's own due time while it runs.
#pragma once

#include "Clock.h"
#include "TaskQueue.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace tarvel {

class VirtualClock : public Clock, public Scheduler {
public:
    explicit VirtualClock(uint64_t startUs = 0) : now_(startUs) {}

    uint64_t NowUs() const override { return now_.load(std::memory_order_acquire); }
    void SleepUs(uint64_t us) override { Advance(us); }

    // Moves time forward by `us`, running every task that falls due on the way.
    void Advance(uint64_t us);
    // Runs tasks due at the current time (a task scheduled with delay 0).
    void RunDue();

    TaskId ScheduleIn(uint64_t delayUs, std::function<void()> task) override;
    TaskId ScheduleAt(uint64_t atUs, std::function<void()> task);
    void Cancel(TaskId id) override;
    size_t PendingTasks() const;

private:
    bool RunNextDue(uint64_t limitUs);
    // Moves time to `us` unless it is already later: with several threads
    // sleeping at once, a slower thread must not set time back.
    void MoveForwardTo(uint64_t us);

    std::atomic<uint64_t> now_;
    mutable std::mutex mutex_;
    // Key: (due time, sequence number) keeps same-time tasks in order.
    TaskQueue tasks_;
};

} // namespace tarvel
