#include "CanComposition.h"

#include "AdapterSwitchPort.h"
#include "Clock.h"
#include "LanguageTable.h"
#include "SimDravixDevice.h"
#include "SimEcu.h"
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

void WireXlDriverToSimulation() { CCANFunctions::SetLoadHook(&AttachXlStandin); }

void StartCanSurroundings()
{
    SetCanPort(&ProgramPort());
    SetUdsLanguageSource(&CurrentLanguage);
    WireXlDriverToSimulation();
    sim::StartBuiltInEcu();
    // Dravix finds a simulated adapter at device 0 when no hardware is present.
    sim::InstallSimDravixDevice(0);
}

void StopCanSurroundings()
{
    sim::StopBuiltInEcu();
    if (GetCanPort() == &ProgramPort())
        SetCanPort(nullptr);
}

} // namespace tarvel
