// Waiting without freezing the window: every wait of the program calls
// PumpPending() between its checks. On the main thread the GUI pump dispatches
// pending events (timers, buttons, navigation clicks run inside the wait); on
// any other thread it does nothing and the caller only sleeps.
#pragma once

namespace tarvel {

class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Dispatches what is pending, then returns.
    virtual void PumpPending() = 0;
    // True once the user asked the program to quit while a wait was pumping.
    // Waits end early on it; the quit itself is left for the main loop.
    virtual bool QuitRequested() const { return false; }
};

// Does nothing: the pump of threads and of tests without a GUI.
class NullPump : public MessagePump {
public:
    void PumpPending() override {}
};

MessagePump& GetPump();
void SetPump(MessagePump* pump); // not owned; nullptr restores the null pump

} // namespace tarvel
