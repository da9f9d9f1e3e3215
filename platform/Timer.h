// Periodic timers behind an interface. Windows get wxTimer-backed timers from
// the GUI's factory; tests use VirtualTimer on a VirtualClock, whose ticks run
// when the test (or a pumped wait) advances time.
#pragma once

#include "Clock.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace tarvel {

class Timer {
public:
    virtual ~Timer() = default;
    // (Re)starts the timer; the first tick comes one period from now.
    virtual void Start(uint32_t periodMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsRunning() const = 0;
    virtual uint32_t PeriodMs() const = 0;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> Create(std::function<void()> onTick) = 0;
};

// A timer on a Scheduler (normally a VirtualClock). Not thread-safe: use it
// from the thread that advances the clock.
class VirtualTimer : public Timer {
public:
    VirtualTimer(Scheduler& scheduler, std::function<void()> onTick);
    ~VirtualTimer() override;

    void Start(uint32_t periodMs) override;
    void Stop() override;
    bool IsRunning() const override { return running_; }
    uint32_t PeriodMs() const override { return periodMs_; }
    uint64_t Ticks() const { return ticks_; }

private:
    void Arm();

    Scheduler& scheduler_;
    std::function<void()> onTick_;
    std::shared_ptr<bool> alive_;
    Scheduler::TaskId task_ = 0;
    uint32_t periodMs_ = 0;
    bool running_ = false;
    uint64_t ticks_ = 0;
};

class VirtualTimerFactory : public TimerFactory {
public:
    explicit VirtualTimerFactory(Scheduler& scheduler) : scheduler_(scheduler) {}
    std::unique_ptr<Timer> Create(std::function<void()> onTick) override
    {
        return std::make_unique<VirtualTimer>(scheduler_, std::move(onTick));
    }

private:
    Scheduler& scheduler_;
};

} // namespace tarvel
