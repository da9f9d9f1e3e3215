// The life of the link to the ECU: Connect (open and start the adapter,
// probe the ECU, tell the pages), the 4000 ms keep-alive, and Disconnect with
// the clean-up every page relies on. Plain C++ over the adapter switch and
// the UDS calls; the view hands in its pages (ShellPages) and a timer factory
// and mirrors ConnectCommandEnabled on the ribbon.
#pragma once

#include "Timer.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace tarvel {

class ShellPages;

constexpr uint32_t kKeepAlivePeriodMs = 4000;

// The adapter channel a baud row runs on: 500 kbit/s (row 0) on channel 1,
// 125 kbit/s on channel 0.
uint32_t CanChannelForBaudRow(int32_t baudRow);

// True when the rows name an adapter and a baud rate of their tables.
bool ConnectionRowsValid(int32_t adapterRow, int32_t baudRow);

// Shown when Connect is pressed with no adapter or no baud rate chosen.
extern const char* const kChooseAdapterText;
extern const char* const kChooseAdapterCaption;

class ConnectionController {
public:
    ConnectionController(ShellPages& pages, TimerFactory& timers);
    ~ConnectionController();
    ConnectionController(const ConnectionController&) = delete;
    ConnectionController& operator=(const ConnectionController&) = delete;

    void OnConnectCan();
    void OnDisconnectCan();
    // One tick of the keep-alive timer.
    void OnKeepAliveTick();
    // The ECU stopped answering: the link is closed as a failed keep-alive
    // closes it (no box; every page is told).
    void OnEcuLost();

    // The ribbon states: Connect is enabled and checked exactly while
    // disconnected, Disconnect exactly while connected.
    static bool ConnectCommandOn();
    static bool DisconnectCommandOn();

    const Timer& KeepAliveTimer() const { return *timer_; }
    // True while a Connect runs (its probe pumps events).
    bool Connecting() const { return connecting_; }

    // Called after every change of the connection state (the view updates
    // its ribbon buttons).
    void SetStateObserver(std::function<void()> observer) { observer_ = std::move(observer); }

private:
    bool ProbeEcu();
    void NotifyConnected();
    void Changed();

    ShellPages& pages_;
    std::unique_ptr<Timer> timer_;
    std::function<void()> observer_;
    bool connecting_ = false;
    // True while a Disconnect runs: closing the adapter pumps events, and a
    // second click (or a failing keep-alive) must not tear the link down and
    // tell every page a second time.
    bool disconnecting_ = false;
    // Counts connects and disconnects: work that pumped events (a keep-alive
    // request, the connect notifications) checks it afterwards and leaves
    // alone a link that was closed or replaced meanwhile.
    uint64_t generation_ = 0;
};


} // namespace tarvel
