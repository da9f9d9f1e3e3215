// wxTimer behind the program's timer interface.
#pragma once

#include "Timer.h"

#include <wx/timer.h>

namespace tarvel {

class WxTimer : public Timer, private wxTimer {
public:
    explicit WxTimer(std::function<void()> onTick) : onTick_(std::move(onTick)) {}
    ~WxTimer() override { wxTimer::Stop(); }

    void Start(uint32_t periodMs) override
    {
        periodMs_ = periodMs;
        wxTimer::Start(static_cast<int>(periodMs), wxTIMER_CONTINUOUS);
    }
    void Stop() override { wxTimer::Stop(); }
    bool IsRunning() const override { return wxTimer::IsRunning(); }
    uint32_t PeriodMs() const override { return periodMs_; }

private:
    void Notify() override
    {
        if (onTick_)
            onTick_();
    }

    std::function<void()> onTick_;
    uint32_t periodMs_ = 0;
};

class WxTimerFactory : public TimerFactory {
public:
    std::unique_ptr<Timer> Create(std::function<void()> onTick) override
    {
        return std::make_unique<WxTimer>(std::move(onTick));
    }
};

} // namespace tarvel
