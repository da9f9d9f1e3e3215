#include "RealTimeScheduler.h"

#include <chrono>

namespace tarvel {

RealTimeScheduler::RealTimeScheduler() : thread_([this] { Run(); }) {}

RealTimeScheduler::~RealTimeScheduler()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        tasks_.Clear();
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

Scheduler::TaskId RealTimeScheduler::ScheduleIn(uint64_t delayUs, std::function<void()> task)
{
    TaskId id;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        id = tasks_.Add(clock_.NowUs() + delayUs, std::move(task));
    }
    wake_.notify_all();
    return id;
}

void RealTimeScheduler::Cancel(TaskId id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.Cancel(id);
}

void RealTimeScheduler::Run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (tasks_.Empty()) {
            wake_.wait(lock);
            continue;
        }
        const uint64_t now = clock_.NowUs();
        uint64_t due = 0;
        std::function<void()> task;
        if (!tasks_.TakeDue(now, due, task)) {
            wake_.wait_for(lock, std::chrono::microseconds(tasks_.FirstDue() - now));
            continue;
        }
        lock.unlock();
        task();
        lock.lock();
    }
}

} // namespace tarvel
