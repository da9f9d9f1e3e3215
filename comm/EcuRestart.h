// The ECU after an ECUReset: it restarts and answers nothing for a while (the
// simulated one a few hundred milliseconds, a real one often a second or
// more). Nothing may judge the link by a request that falls into that silence:
// the keep-alive leaves the link alone while a restart is pending, and whoever
// reset the ECU asks it with TesterPresent every kEcuRestartProbeMs until it
// answers, within kEcuRestartAllowanceMs of the reset. An ECU that stays
// silent longer is lost: the caller tells the user once and closes the link
// the way a failed keep-alive closes it (CloseLinkToLostEcu).
#pragma once

#include <cstdint>
#include <functional>

namespace tarvel {

// The longest time an ECU may take to answer again after its reset.
constexpr uint32_t kEcuRestartAllowanceMs = 5000;
// How often the restart wait asks the ECU (and how long it waits for one answer).
constexpr uint32_t kEcuRestartProbeMs = 100;

// Records that the ECU accepted a reset now (UdsEcuReset does it).
void NoteEcuReset();
// True from an accepted reset until the ECU answered again, a restart wait
// gave up on it, or the allowance is over.
bool EcuRestartPending();
// Forgets a pending restart (a new link, a closed one).
void ClearEcuRestart();

enum class EcuRestartEnd {
    Answered, // the ECU answered: it runs again
    NoAnswer, // silent for the whole allowance
    Stopped,  // `stopped` turned true (the link went, the work was stopped, the program closes)
};

// Waits (pumping events) until at least `fixedMs` have passed since the reset,
// then asks the ECU every kEcuRestartProbeMs until it answers or the allowance
// since the reset is over; the ECU always gets one question. `stopped` is
// asked after every pumped wait. Without a pending restart the ECU is asked
// all the same (the reset's answer may have been the last thing it said).
// No box is shown and no time-out is counted against a running test.
EcuRestartEnd WaitForEcuRestart(const std::function<bool()>& stopped = {}, uint32_t fixedMs = 0);

// The link's owner installs how a link to a lost ECU is closed (as a failed
// keep-alive closes it); CloseLinkToLostEcu runs it (nothing without one).
void SetEcuLostHandler(std::function<void()> handler);
void CloseLinkToLostEcu();

} // namespace tarvel
