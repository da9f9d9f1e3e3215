#include "Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace tarvel {

uint64_t RealClock::NowUs() const
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

void RealClock::SleepUs(uint64_t us)
{
    if (us == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

namespace {
RealClock& TheRealClock()
{
    static RealClock clock;
    return clock;
}
std::atomic<Clock*> g_clock{nullptr};
} // namespace

Clock& GetClock()
{
    Clock* c = g_clock.load(std::memory_order_acquire);
    return c ? *c : TheRealClock();
}

void SetClock(Clock* clock) { g_clock.store(clock, std::memory_order_release); }

ScopedClock::ScopedClock(Clock& clock) : previous_(g_clock.load())
{
    SetClock(&clock);
}

ScopedClock::~ScopedClock() { SetClock(previous_); }

} // namespace tarvel
