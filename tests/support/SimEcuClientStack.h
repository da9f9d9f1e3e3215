// What a run of the program's own UDS client against the simulated ECU needs
// around it: a virtual clock, a world of virtual buses, a prompter that only
// records, and the port the ISO-TP link talks through. The end-to-end tests
// and the benchmarks set it up the same way; each opens the adapter itself.
#pragma once

#include "AdapterSwitchPort.h"
#include "Prompter.h"
#include "SimEcu.h"
#include "SimWorld.h"
#include "VirtualClock.h"

#include <memory>

struct SimEcuClientStack {
    tarvel::VirtualClock clock{1000000};
    tarvel::ScopedClock useClock{clock};
    sim::SimWorld world;
    sim::ScopedWorld useWorld{world};
    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter usePrompter{prompter};
    tarvel::AdapterSwitchPort port;
    std::unique_ptr<sim::SimEcu> ecu;
};
