// Faults the simulated trailer is given by name, so that a failing
// end-of-line run can be shown without hardware. The program reads the list
// from TARVEL_SIM_TRAILER when it starts its simulated world:
//
//   TARVEL_SIM_TRAILER=no-backup-pressure,dead-sensor-d build/bin/tarvel
//
//   const auto unknown = sim::ApplyTrailerFaults("no-backup-pressure", trailer);
#pragma once

#include <string>
#include <vector>

namespace sim {

class SimTrailer;

// The environment variable the program reads the faults from.
extern const char* const kTrailerFaultsVariable;

struct TrailerFaultName {
    const char* name;
    const char* what;  // what the trailer then does, in a few words
};
// Every fault that can be named, in the order the README lists them.
const std::vector<TrailerFaultName>& TrailerFaultNames();

struct AppliedTrailerFaults {
    std::vector<std::string> applied;  // in the list's order
    std::vector<std::string> unknown;  // names that are no fault
};
// Gives `trailer` the faults a comma-separated list names (blanks around a
// name and empty entries are ignored); an unknown name does not stop the
// others.
AppliedTrailerFaults ApplyTrailerFaults(const std::string& list, SimTrailer& trailer);

} // namespace sim
