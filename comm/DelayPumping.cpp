#include "DelayPumping.h"

#include "Clock.h"
#include "Pump.h"

#include <algorithm>

namespace tarvel {

namespace {
// Sleep per turn between two pumps.
constexpr uint64_t kTurnUs = 2000;
} // namespace

uint32_t DelayPumpingMessages(uint32_t ms, void* /*window*/)
{
    Clock& clock = GetClock();
    const uint64_t start = clock.NowUs();
    const uint64_t duration = static_cast<uint64_t>(ms) * 1000;
    for (;;) {
        GetPump().PumpPending();
        const uint64_t elapsed = clock.NowUs() - start;
        if (elapsed >= duration || GetPump().QuitRequested())
            return static_cast<uint32_t>(elapsed / 1000);
        // Never oversleep the end of the pause.
        clock.SleepUs(std::min(kTurnUs, duration - elapsed));
    }
}

uint32_t DelayPumpingMessagesFixed(uint32_t ms, void* window)
{
    DelayPumpingMessages(ms, window);
    return ms;
}

} // namespace tarvel
