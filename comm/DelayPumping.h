// Timed pauses that keep the window alive: every pause of the pages and the
// UDS engine pumps pending events between short sleeps.
#pragma once

#include <cstdint>

namespace tarvel {

// Waits `ms` milliseconds, pumping pending events every turn (a duration of
// 0 still pumps once). Ends early when the user asked to quit, so the quit is
// never held up by a pause. `window` is the event filter of the original
// interface; the pump always serves every window of the thread. Returns the
// milliseconds that actually passed.
uint32_t DelayPumpingMessages(uint32_t ms, void* window = nullptr);

// The same pause, returning its duration argument.
uint32_t DelayPumpingMessagesFixed(uint32_t ms, void* window = nullptr);

} // namespace tarvel
