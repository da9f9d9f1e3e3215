// Which driver library each vendor back-end of the adapter switch talks to.
// At every open the vendor's own library is looked for by name (Windows: the
// vendor DLL, Linux: the file the vendor's package installs); when it is not
// found, the stand-in linked into the program answers instead, on the
// simulated world. A library that is found but lacks an entry point the
// wrapper needs is reported and that back-end's open fails. The choice is
// said in one line to the trace and to the notice sink (the output pane).
#pragma once

#include "CanDriverApis.h"

#include <functional>
#include <string>
#include <vector>

namespace tarvel {

enum class CanDriverKind {
    None,       // nothing chosen yet, or no library and no stand-in
    Vendor,     // the vendor's library, loaded by name
    Standin,    // the linked stand-in on the simulated world
    Incomplete, // a library was found but lacks an entry point
};

struct CanDriverChoice {
    CanDriverKind kind = CanDriverKind::None;
    std::string path;    // the vendor library's file (Vendor, Incomplete)
    std::string missing; // the first entry point it lacks (Incomplete)
    std::string line;    // what was said
};

// The stand-ins linked into the program (registered before main runs by
// the stand-in libraries' registration unit); nullptr removes one.
void SetControlCanStandin(const ControlCanApi* api);
void SetCanlibStandin(const CanlibApi* api);

// The library file names looked for, in order. The defaults are the vendors'
// names for this platform; tests point them elsewhere.
std::vector<std::string> DefaultControlCanLibraryNames();
std::vector<std::string> DefaultCanlibLibraryNames();
void SetControlCanLibraryNames(const std::vector<std::string>& names);
void SetCanlibLibraryNames(const std::vector<std::string>& names);

// The program's simulation switch: no vendor library is looked for, every
// back-end (Dravix too) runs on its stand-in and the simulated world.
void SetSimulatedAdaptersOnly(bool on);
bool SimulatedAdaptersOnly();
// The environment variable that tells Dravix to leave USB hardware alone.
extern const char* const kDravixSimulateVariable;

// Chooses the driver for the open that follows and says which.
CanDriverChoice ChooseControlCanDriver();
CanDriverChoice ChooseCanlibDriver();
// The last choice (kind None before the first).
CanDriverChoice ControlCanChoice();
CanDriverChoice CanlibChoice();

// The tables calls go through. Before the first choice: the linked stand-in.
// After a choice that found nothing usable the ControlCAN table answers 0
// (failure) to every call and the CANlib table has null entries (the channel
// wrapper is only made after a usable choice).
const ControlCanApi& ControlCan();
const CanlibApi& Canlib();

// The lines the back-ends say ("ControlCAN" etc. as label).
std::string DriverLibraryLine(const std::string& label, const std::string& path);
std::string NoDriverLine(const std::string& label);
// The line when the simulation switch is on.
std::string SimulationChosenLine(const std::string& label);
std::string DriverLacksLine(const std::string& label, const std::string& path, const std::string& entry);
// Writes a line to the trace and hands it to the notice sink.
void SayCanDriver(const std::string& line);
// Where the lines go besides the trace (the shell's output pane; UI thread).
void SetCanDriverNoticeSink(std::function<void(const std::string&)> sink);

// Tests: unloads the vendor libraries, restores the default names and the
// simulation switch, forgets the choices. The stand-ins stay registered.
void ResetCanDriverLibrariesForTest();

} // namespace tarvel
