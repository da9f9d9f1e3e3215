// The GUI's message pump: waits of the program call it between their checks.
#pragma once

#include "Pump.h"

#include <atomic>
#include <functional>
#include <memory>

namespace tarvel {

class WxPump : public MessagePump {
public:
    WxPump();
    ~WxPump() override;

    // On the main thread dispatches what is pending; on any other thread does
    // nothing (the waiting thread only sleeps).
    void PumpPending() override;
    bool QuitRequested() const override { return closing_.load(); }
    // Main thread only: a timer runs `work` while a pumped wait is on the
    // stack, in whatever loop a handler holds the thread: a millisecond after
    // it was handed over, then after as many milliseconds as each run
    // returns.
    void SetHeldWork(HeldWork work) override;
    // Set once the main window starts closing, so pumped waits end early.
    void SetMainWindowClosing(bool closing) { closing_ = closing; }
    // The program ends (the user agreed to close it, or to restart it in
    // another language): the program's pump, when it is this one, ends its
    // waits early and lets nothing more go to the ECU.
    static void EndPumpedWaits();
    // How many waits of the main thread are dispatching events right now. A
    // handler that runs while this is above 0 has a wait below it on the
    // stack, whose caller still uses the windows once the wait returns.
    int Depth() const { return depth_; }

private:
    class HeldTimer;
    void RunHeldWork();

    std::atomic<bool> closing_{false};
    int depth_ = 0; // main thread only
    HeldWork heldWork_;
    unsigned handedOver_ = 0; // counts SetHeldWork calls
    std::unique_ptr<HeldTimer> heldTimer_;
};

} // namespace tarvel
