// Hands work to the UI thread. A worker thread never touches a window: it
// posts a function here and the UI thread runs it later. The program posts
// through the window toolkit (and drops the call once its window is gone);
// tests use a queue they drain themselves.
#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace tarvel {

class UiDispatcher {
public:
    virtual ~UiDispatcher() = default;
    // Runs `work` on the UI thread, later; callable from any thread.
    virtual void Post(std::function<void()> work) = 0;
};

// Keeps posted work until the owner drains it (tests, headless runs).
class QueuedUiDispatcher : public UiDispatcher {
public:
    void Post(std::function<void()> work) override;
    // Runs what was posted, oldest first, including work posted meanwhile;
    // returns how many functions ran.
    size_t RunPending();
    size_t Pending() const;

private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
};

} // namespace tarvel
