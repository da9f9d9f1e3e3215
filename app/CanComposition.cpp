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

#include <functional>
#include <mutex>

namespace tarvel {

namespace {

AdapterSwitchPort& ProgramPort()
{
    static AdapterSwitchPort port;
    return port;
}

std::mutex& WorldNoticeMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::function<void(const std::string&)>& WorldNoticeSink()
{
    static std::function<void(const std::string&)> sink;
    return sink;
}

// What the simulated world says while the program runs: in the trace and
// wherever the sink puts it.
void SayForTheWorld(const std::string& line)
{
    TraceLog(line);
    std::function<void(const std::string&)> sink;
    {
        std::lock_guard<std::mutex> lock(WorldNoticeMutex());
        sink = WorldNoticeSink();
    }
    if (sink)
        sink(line);
}

SimulatedStationWitness& StationWitness()
{
    static SimulatedStationWitness witness(&SayForTheWorld);
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

void SetSimulatedWorldNoticeSink(std::function<void(const std::string&)> sink)
{
    std::lock_guard<std::mutex> lock(WorldNoticeMutex());
    WorldNoticeSink() = std::move(sink);
}

void StopCanSurroundings()
{
    SetPromptWitness(nullptr);
    sim::StopBuiltInEcu();
    if (GetCanPort() == &ProgramPort())
        SetCanPort(nullptr);
}

} // namespace tarvel
