#include "Pump.h"

#include <atomic>

namespace tarvel {

namespace {
NullPump g_nullPump;
std::atomic<MessagePump*> g_pump{nullptr};
} // namespace

MessagePump& GetPump()
{
    MessagePump* p = g_pump.load(std::memory_order_acquire);
    return p ? *p : g_nullPump;
}

void SetPump(MessagePump* pump) { g_pump.store(pump, std::memory_order_release); }

} // namespace tarvel
