#include "CanComposition.h"

#include "AdapterSwitchPort.h"
#include "CanDriverLibraries.h"
#include "Log.h"
#include "Clock.h"
#include "LanguageTable.h"
#include "SimDravixDevice.h"
#include "SimBuiltInWorld.h"
#include "SimEcu.h"
#include "SimTrailerFaults.h"
#include "SimulatedStation.h"
#include "SimWorld.h"
#include "UdsServices.h"
#include "VectorXlDriver.h"
#include "VectorXlStandin.h"

namespace tarvel {

namespace {

AdapterSwitchPort& ProgramPort()
{
    static AdapterSwitchPort port;
    return port;
}

SimulatedStationWitness& StationWitness()
{
    // What the person cannot make out goes where the adapters' lines go.
    static SimulatedStationWitness witness(&SayCanDriver);
    return witness;
}

sim::SimWorld& HostWorld() { return sim::CurrentWorld(); }
Clock& HostClock() { return GetClock(); }

int CurrentLanguage() { return ::LanguageIndex; }

// Our stand-in driver runs on the simulated bus; a vendor driver has no such
// entry and is left alone.
void AttachXlStandin(const DynamicLibrary& library)
{
    using AttachHost = void(XLAPI_CALL*)(const XlStandinHost*);
    if (auto attach = reinterpret_cast<AttachHost>(library.Symbol("xlStandinAttachHost"))) {
        static const XlStandinHost host{&HostWorld, &HostClock};
        attach(&host);
    }
}

} // namespace

const char* const kXlStandinLibrary = "tarvel_xlstandin";
const char* const kSimulateSwitch = "--simulate";

bool ApplyAdapterCommandLine(const std::vector<std::string>& args)
{
    bool simulate = false;
    for (const auto& arg : args)
        if (arg == kSimulateSwitch)
            simulate = true;
    SetSimulatedAdaptersOnly(simulate);
    if (simulate)
        TraceLog("Adapters: simulation chosen on the command line");
    return simulate;
}

void WireXlDriverToSimulation()
{
    CCANFunctions::SetStandinLibraryName(kXlStandinLibrary);
    CCANFunctions::SetLoadHook(&AttachXlStandin);
}

void StartCanSurroundings()
{
    SetCanPort(&ProgramPort());
    SetUdsLanguageSource(&CurrentLanguage);
    WireXlDriverToSimulation();
    sim::StartBuiltInEcu();
    // The person at the simulated trailer sees what the pages show.
    SetPromptWitness(&StationWitness());
    for (const std::string& line : SimulatedWorldNotices())
        TraceLog(line);
    // Dravix finds a simulated adapter at device 0 when no hardware is present.
    sim::InstallSimDravixDevice(0);
}

std::vector<std::string> SimulatedWorldNotices()
{
    std::vector<std::string> lines;
    if (!sim::BuiltInEcu())
        return lines;
    const sim::BuiltInTrailerFaults faults = sim::BuiltInFaults();
    std::string applied;
    for (const std::string& name : faults.applied)
        applied += (applied.empty() ? "" : ", ") + name;
    if (!applied.empty())
        lines.push_back(std::string("Simulated trailer: faults ") + applied);
    for (const std::string& unknown : faults.unknown)
        lines.push_back(std::string("Simulated trailer: \"") + unknown + "\" in " + sim::kTrailerFaultsVariable +
                        " is no fault it knows");
    return lines;
}

void StopCanSurroundings()
{
    SetPromptWitness(nullptr);
    sim::StopBuiltInEcu();
    if (GetCanPort() == &ProgramPort())
        SetCanPort(nullptr);
}

} // namespace tarvel
