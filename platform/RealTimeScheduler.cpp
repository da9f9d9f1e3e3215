#include "RealTimeScheduler.h"

#include <chrono>

namespace tarvel {

RealTimeScheduler::RealTimeScheduler() : thread_([this] { Run(); }) {}

RealTimeScheduler::~RealTimeScheduler()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        tasks_.clear();
        dueOf_.clear();
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
        id = nextId_++;
        uint64_t due = clock_.NowUs() + delayUs;
        tasks_.emplace(std::make_pair(due, id), std::move(task));
        dueOf_.emplace(id, due);
    }
    wake_.notify_all();
    return id;
}

void RealTimeScheduler::Cancel(TaskId id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = dueOf_.find(id);
    if (it == dueOf_.end())
        return;
    tasks_.erase(std::make_pair(it->second, id));
    dueOf_.erase(it);
}

void RealTimeScheduler::Run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (tasks_.empty()) {
            wake_.wait(lock);
            continue;
        }
        auto first = tasks_.begin();
        uint64_t now = clock_.NowUs();
        if (first->first.first > now) {
            wake_.wait_for(lock, std::chrono::microseconds(first->first.first - now));
            continue;
        }
        auto task = std::move(first->second);
        dueOf_.erase(first->first.second);
        tasks_.erase(first);
        lock.unlock();
        task();
        lock.lock();
    }
}

} // namespace tarvel
