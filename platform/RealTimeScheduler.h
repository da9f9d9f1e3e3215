// A Scheduler that runs its tasks on its own thread at real time. The
// simulated devices use it when the program runs without hardware.
#pragma once

#include "Clock.h"
#include "TaskQueue.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tarvel {

class RealTimeScheduler : public Scheduler {
public:
    RealTimeScheduler();
    ~RealTimeScheduler() override; // cancels what is left and joins the thread

    TaskId ScheduleIn(uint64_t delayUs, std::function<void()> task) override;
    void Cancel(TaskId id) override;

private:
    void Run();

    RealClock clock_;
    std::mutex mutex_;
    std::condition_variable wake_;
    TaskQueue tasks_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace tarvel
