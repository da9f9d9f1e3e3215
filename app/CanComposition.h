// Where the program puts its CAN surroundings together: the adapter switch's
// port becomes the port the ISO-TP link talks through, the UDS layer learns
// where the user's language comes from, the stand-in driver libraries are
// wired to the simulated world (the built-in simulated ECU listens on the
// virtual buses the stand-in adapters sit on, Dravix finds a simulated adapter
// at device 0, the XL driver loaded by name shares the program's world and
// clock, the buses carry frames at their bit rate, and the person at the
// simulated trailer is told what the pages show through the prompter).
// Nothing below the shell knows how these pieces meet.
#pragma once

#include <string>
#include <vector>

namespace tarvel {

// Our XL stand-in's library name, loaded when Vector's driver ("vxlapi") is
// not installed.
extern const char* const kXlStandinLibrary;

// The XL driver library, once loaded, is handed this program's simulated
// world and clock (when it is our stand-in; a vendor driver ignores it).
// Tests that drive the XL stand-in call this too.
void WireXlDriverToSimulation();

// The program's command-line switch for the adapters: "--simulate" uses the
// stand-ins and the simulated ECU even when adapter hardware is present.
extern const char* const kSimulateSwitch;
// Applies the switch from the program's arguments (without the program name);
// true when it was given.
bool ApplyAdapterCommandLine(const std::vector<std::string>& args);

// Everything above, in order; StopCanSurroundings undoes what needs undoing.
void StartCanSurroundings();
void StopCanSurroundings();

// What the output pane says about the simulated world once it runs: the
// faults its trailer was given (TARVEL_SIM_TRAILER) and any name in that
// list that is no fault; nothing for a trailer without faults.
std::vector<std::string> SimulatedWorldNotices();

} // namespace tarvel
