#include "UiDispatcher.h"

namespace tarvel {

void QueuedUiDispatcher::Post(std::function<void()> work)
{
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(work));
}

size_t QueuedUiDispatcher::RunPending()
{
    size_t ran = 0;
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (queue_.empty())
                return ran;
            work = std::move(queue_.front());
            queue_.pop_front();
        }
        if (work)
            work();
        ++ran;
    }
}

size_t QueuedUiDispatcher::Pending() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
}

} // namespace tarvel
