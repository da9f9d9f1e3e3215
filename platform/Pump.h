// Waiting without freezing the window: every wait of the program calls
// PumpPending() between its checks. On the main thread the GUI pump dispatches
// pending events (timers, buttons, navigation clicks run inside the wait); on
// any other thread it does nothing and the caller only sleeps.
#pragma once

#include <cstdint>
#include <functional>

namespace tarvel {

// Work that a wait hands to the pump while a handler holds the thread. It
// returns how many milliseconds may pass before it has to run again (at
// least 1): its own pace while a message is in flight, the time to its next
// keep-alive once the answer is in.
using HeldWork = std::function<uint32_t()>;

class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Dispatches what is pending, then returns.
    virtual void PumpPending() = 0;
    // True once the user asked the program to quit while a wait was pumping.
    // Waits end early on it; the quit itself is left for the main loop.
    virtual bool QuitRequested() const { return false; }
    // A handler that PumpPending runs may hold the thread in a loop of its
    // own for as long as the user takes: a message box, a file dialog, a
    // menu. The wait below it is stopped all that time. Work that must go on
    // meanwhile (the link to the ECU) is handed here by that wait; the GUI
    // pump runs it from whatever loop runs on its thread while a pumped wait
    // is on the stack, first after a millisecond and then as often as the
    // work itself asks, until an empty function withdraws it. Other pumps,
    // and the GUI pump on any other thread, ignore it.
    virtual void SetHeldWork(HeldWork work) { (void)work; }
};

// Does nothing: the pump of threads and of tests without a GUI.
class NullPump : public MessagePump {
public:
    void PumpPending() override {}
};

MessagePump& GetPump();
void SetPump(MessagePump* pump); // not owned; nullptr restores the null pump

} // namespace tarvel
