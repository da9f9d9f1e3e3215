// Time for everything that waits: the adapter layers, the UDS engine, the
// simulated devices and the pages' timers. Production code uses the real
// monotonic clock; tests install a VirtualClock so a 3.5 s time-out costs no
// real time.
#pragma once

#include <cstdint>
#include <functional>

namespace tarvel {

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic time in microseconds since an arbitrary origin.
    virtual uint64_t NowUs() const = 0;
    // Lets time pass. A virtual clock advances and runs what fell due.
    virtual void SleepUs(uint64_t us) = 0;

    uint64_t NowMs() const { return NowUs() / 1000; }
    void SleepMs(uint64_t ms) { SleepUs(ms * 1000); }
};

// Runs a callback at a later time. The simulated devices use it to answer
// after a delay; a virtual clock runs the callbacks when time is advanced, a
// real-time scheduler on its own thread.
class Scheduler {
public:
    using TaskId = uint64_t;
    virtual ~Scheduler() = default;
    virtual TaskId ScheduleIn(uint64_t delayUs, std::function<void()> task) = 0;
    // Cancelling a task that already ran or never existed is harmless.
    virtual void Cancel(TaskId id) = 0;
};

class RealClock : public Clock {
public:
    uint64_t NowUs() const override;
    void SleepUs(uint64_t us) override;
};

// The clock everything reads. Defaults to a process-wide RealClock.
Clock& GetClock();
// Installs a clock (not owned); nullptr restores the real clock.
void SetClock(Clock* clock);

// Installs a clock for the lifetime of the guard (tests).
class ScopedClock {
public:
    explicit ScopedClock(Clock& clock);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    Clock* previous_;
};

} // namespace tarvel
