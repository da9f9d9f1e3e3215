// The program's own simulated world, for a user without hardware: the
// simulated ECU on the buses of channels 0 and 1 (StartBuiltInEcu in
// SimEcu.h), the trailer behind it (BuiltInTrailer in SimTrailer.h) and the
// person at the trailer who does what the end-of-line pages ask there
// (BuiltInOperator). The buses carry frames at their bit rate: each frame
// takes its bit time on the bus (CanBitTiming.h) and reaches the others once
// it has passed, whichever adapter sent it.
//
// The world runs at real time on a scheduler thread of its own, unless a
// test or benchmark hands it a clock and a scheduler before it starts:
//
//   tarvel::VirtualClock clock;
//   tarvel::ScopedClock useClock(clock);
//   sim::SetBuiltInWorldTime(&clock, &clock);
//   sim::StartBuiltInEcu();
#pragma once

#include <string>
#include <vector>

namespace tarvel {
class Clock;
class Scheduler;
} // namespace tarvel

namespace sim {

class SimStationOperator;

// The time the next start of the world runs on (not owned; both or neither;
// nullptr: real time). The clock should be the one the program reads too.
void SetBuiltInWorldTime(tarvel::Clock* clock, tarvel::Scheduler* scheduler);
// Whether the next start of the world times its buses (on unless told otherwise).
void SetBuiltInBusTiming(bool on);

// The environment variable that sets how long the built-in ECU stays silent
// after a reset, in milliseconds (digits only; the trailer's time otherwise).
inline constexpr const char* kRestartTimeVariable = "TARVEL_SIM_RESTART_MS";

// The person at the built-in trailer; null while the world is not running.
SimStationOperator* BuiltInOperator();

// The faults the built-in trailer was started with (from TARVEL_SIM_TRAILER),
// and the names in that list that are no fault.
struct BuiltInTrailerFaults {
    std::string list;
    std::vector<std::string> applied;
    std::vector<std::string> unknown;
};
BuiltInTrailerFaults BuiltInFaults();

} // namespace sim
