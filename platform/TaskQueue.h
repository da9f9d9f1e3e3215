// The table of scheduled tasks behind both schedulers: ordered by due time,
// then by the order of scheduling, and cancellable by id. Not thread-safe:
// the owning scheduler guards it with its own mutex.
#pragma once

#include "Clock.h"

#include <functional>
#include <map>
#include <utility>

namespace tarvel {

class TaskQueue {
public:
    using TaskId = Scheduler::TaskId;

    TaskId Add(uint64_t dueUs, std::function<void()> task)
    {
        const TaskId id = nextId_++;
        tasks_.emplace(std::make_pair(dueUs, id), std::move(task));
        dueOf_.emplace(id, dueUs);
        return id;
    }

    // Cancelling a task that already ran or never existed is harmless.
    void Cancel(TaskId id)
    {
        auto it = dueOf_.find(id);
        if (it == dueOf_.end())
            return;
        tasks_.erase(std::make_pair(it->second, id));
        dueOf_.erase(it);
    }

    bool Empty() const { return tasks_.empty(); }
    size_t Size() const { return tasks_.size(); }
    // Due time of the first task; only when not empty.
    uint64_t FirstDue() const { return tasks_.begin()->first.first; }

    // Takes the first task when it is due by `limitUs`.
    bool TakeDue(uint64_t limitUs, uint64_t& dueUs, std::function<void()>& task)
    {
        if (tasks_.empty() || FirstDue() > limitUs)
            return false;
        auto first = tasks_.begin();
        dueUs = first->first.first;
        task = std::move(first->second);
        dueOf_.erase(first->first.second);
        tasks_.erase(first);
        return true;
    }

    void Clear()
    {
        tasks_.clear();
        dueOf_.clear();
    }

private:
    std::map<std::pair<uint64_t, TaskId>, std::function<void()>> tasks_;
    std::map<TaskId, uint64_t> dueOf_;
    TaskId nextId_ = 1;
};

} // namespace tarvel
