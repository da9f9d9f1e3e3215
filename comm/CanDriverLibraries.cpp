#include "CanDriverLibraries.h"

#include "Environment.h"
#include "Log.h"
#include "VectorXlDynamicLibrary.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace tarvel {

const char* const kDravixSimulateVariable = "DRAVIX_SIMULATE";

namespace {

// A ControlCAN that is not there: every call fails.
uint32_t NoOpen(uint32_t, uint32_t, uint32_t) { return 0; }
uint32_t NoClose(uint32_t, uint32_t) { return 0; }
uint32_t NoReference(uint32_t, uint32_t, uint32_t, uint32_t, void*) { return 0; }
uint32_t NoInit(uint32_t, uint32_t, uint32_t, const CanInitConfig*) { return 0; }
uint32_t NoBoardInfo(uint32_t, uint32_t, CanBoardInfo*) { return 0; }
uint32_t NoErrInfo(uint32_t, uint32_t, uint32_t, CanErrorInfo*) { return 0; }
uint32_t NoChannelCall(uint32_t, uint32_t, uint32_t) { return 0; }
uint32_t NoReceive(uint32_t, uint32_t, uint32_t, CanFrameRecord*, uint32_t, int32_t) { return 0; }
uint32_t NoTransmit(uint32_t, uint32_t, uint32_t, const CanFrameRecord*, uint32_t) { return 0; }

ControlCanApi AbsentControlCan()
{
    ControlCanApi api;
    api.VCI_OpenDevice = &NoOpen;
    api.VCI_CloseDevice = &NoClose;
    api.VCI_SetReference = &NoReference;
    api.VCI_InitCAN = &NoInit;
    api.VCI_ReadBoardInfo = &NoBoardInfo;
    api.VCI_ReadErrInfo = &NoErrInfo;
    api.VCI_StartCAN = &NoChannelCall;
    api.VCI_ResetCAN = &NoChannelCall;
    api.VCI_ClearBuffer = &NoChannelCall;
    api.VCI_GetReceiveNum = &NoChannelCall;
    api.VCI_Receive = &NoReceive;
    api.VCI_Transmit = &NoTransmit;
    return api;
}

// One vendor back-end: its library, the stand-in, and the table in use.
template <typename Api>
struct DriverSlot {
    DriverSlot(const char* l, std::vector<std::string> d) : label(l), defaults(std::move(d)), names(defaults) {}

    const char* label;
    std::vector<std::string> defaults;
    std::vector<std::string> names;
    const Api* standin = nullptr;
    DynamicLibrary library;
    Api vendor{};
    bool vendorBound = false;
    Api current{};
    CanDriverChoice choice;
    // Until the first choice the stand-in (when linked) answers, so a wrapper
    // made before any open still reaches a library.
    std::atomic<bool> chosen{false};
};

std::mutex g_mutex;
std::atomic<bool> g_simulatedOnly{false};

std::function<void(const std::string&)>& NoticeSink()
{
    static std::function<void(const std::string&)> sink;
    return sink;
}

std::vector<std::string> ControlCanDefaults()
{
#if defined(_WIN32)
    return {"ControlCAN.dll"};
#else
    return {"libcontrolcan.so"};
#endif
}

std::vector<std::string> CanlibDefaults()
{
#if defined(_WIN32)
    return {"canlib32.dll"};
#else
    return {"libcanlib.so.1", "libcanlib.so"};
#endif
}

// Never destroyed: a vendor library stays loaded to the end of the process.
DriverSlot<ControlCanApi>& ControlCanSlot()
{
    static DriverSlot<ControlCanApi>* slot = [] {
        auto* s = new DriverSlot<ControlCanApi>("ControlCAN", ControlCanDefaults());
        s->current = AbsentControlCan();
        return s;
    }();
    return *slot;
}

DriverSlot<CanlibApi>& CanlibSlot()
{
    static DriverSlot<CanlibApi>* slot = new DriverSlot<CanlibApi>("CANlib", CanlibDefaults());
    return *slot;
}

// Resolves the table's entries; `missing` gets the first required one absent.
#define TARVEL_RESOLVE_REQUIRED(name)                                                                                  \
    api.name = reinterpret_cast<decltype(api.name)>(lib.Symbol(#name));                                                \
    if (!api.name && missing.empty())                                                                                  \
        missing = #name;
#define TARVEL_RESOLVE_OPTIONAL(name) api.name = reinterpret_cast<decltype(api.name)>(lib.Symbol(#name));

std::string Resolve(const DynamicLibrary& lib, ControlCanApi& api)
{
    std::string missing;
    TARVEL_CONTROLCAN_ENTRIES(TARVEL_RESOLVE_REQUIRED)
    return missing;
}

std::string Resolve(const DynamicLibrary& lib, CanlibApi& api)
{
    std::string missing;
    TARVEL_CANLIB_REQUIRED_ENTRIES(TARVEL_RESOLVE_REQUIRED)
    TARVEL_CANLIB_OPTIONAL_ENTRIES(TARVEL_RESOLVE_OPTIONAL)
    return missing;
}

#undef TARVEL_RESOLVE_REQUIRED
#undef TARVEL_RESOLVE_OPTIONAL

template <typename Api>
void UseAbsent(DriverSlot<Api>& slot);
template <>
void UseAbsent(DriverSlot<ControlCanApi>& slot)
{
    slot.current = AbsentControlCan();
}
template <>
void UseAbsent(DriverSlot<CanlibApi>& slot)
{
    slot.current = CanlibApi{};
}

template <typename Api>
CanDriverChoice Choose(DriverSlot<Api>& slot)
{
    CanDriverChoice choice;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_simulatedOnly.load() && !slot.vendorBound && slot.library.OpenFirstOf(slot.names)) {
            Api api{};
            const std::string missing = Resolve(slot.library, api);
            if (missing.empty()) {
                slot.vendor = api;
                slot.vendorBound = true;
            } else {
                choice.kind = CanDriverKind::Incomplete;
                choice.path = slot.library.Path();
                choice.missing = missing;
                choice.line = DriverLacksLine(slot.label, choice.path, missing);
                slot.library.Close();
            }
        }
        if (choice.kind != CanDriverKind::Incomplete) {
            if (!g_simulatedOnly.load() && slot.vendorBound) {
                choice.kind = CanDriverKind::Vendor;
                choice.path = slot.library.Path();
                choice.line = DriverLibraryLine(slot.label, choice.path);
                slot.current = slot.vendor;
            } else if (slot.standin) {
                choice.kind = CanDriverKind::Standin;
                choice.line = g_simulatedOnly.load() ? SimulationChosenLine(slot.label) : NoDriverLine(slot.label);
                slot.current = *slot.standin;
            } else {
                choice.kind = CanDriverKind::None;
                choice.line = std::string(slot.label) + ": no driver found";
            }
        }
        if (choice.kind == CanDriverKind::Incomplete || choice.kind == CanDriverKind::None)
            UseAbsent(slot);
        slot.choice = choice;
        slot.chosen.store(true);
    }
    SayCanDriver(choice.line);
    return choice;
}

template <typename Api>
void ResetSlot(DriverSlot<Api>& slot)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    slot.library.Close();
    slot.vendorBound = false;
    slot.vendor = Api{};
    slot.names = slot.defaults;
    slot.choice = CanDriverChoice{};
    slot.chosen.store(false);
    UseAbsent(slot);
}

template <typename Api>
const Api& Current(DriverSlot<Api>& slot)
{
    if (!slot.chosen.load() && slot.standin)
        return *slot.standin;
    return slot.current;
}

} // namespace

void SetControlCanStandin(const ControlCanApi* api)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    ControlCanSlot().standin = api;
}

void SetCanlibStandin(const CanlibApi* api)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    CanlibSlot().standin = api;
}

std::vector<std::string> DefaultControlCanLibraryNames() { return ControlCanDefaults(); }
std::vector<std::string> DefaultCanlibLibraryNames() { return CanlibDefaults(); }

void SetControlCanLibraryNames(const std::vector<std::string>& names)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    ControlCanSlot().names = names;
}

void SetCanlibLibraryNames(const std::vector<std::string>& names)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    CanlibSlot().names = names;
}

void SetSimulatedAdaptersOnly(bool on)
{
    g_simulatedOnly.store(on);
    // Dravix reads it when it opens a device.
    SetEnvironmentValue(kDravixSimulateVariable, on ? "1" : "");
}

bool SimulatedAdaptersOnly() { return g_simulatedOnly.load(); }

CanDriverChoice ChooseControlCanDriver() { return Choose(ControlCanSlot()); }
CanDriverChoice ChooseCanlibDriver() { return Choose(CanlibSlot()); }

CanDriverChoice ControlCanChoice()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return ControlCanSlot().choice;
}

CanDriverChoice CanlibChoice()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return CanlibSlot().choice;
}

// The tables are replaced only at an open, while no other thread uses the
// adapter (the monitor is stopped and joined before any close or open).
const ControlCanApi& ControlCan() { return Current(ControlCanSlot()); }
const CanlibApi& Canlib() { return Current(CanlibSlot()); }

std::string DriverLibraryLine(const std::string& label, const std::string& path)
{
    return label + ": driver library " + path;
}

std::string NoDriverLine(const std::string& label)
{
    return label + ": no driver found, using the built-in simulated ECU";
}

std::string SimulationChosenLine(const std::string& label)
{
    return label + ": simulation chosen at start-up, using the built-in simulated ECU";
}

std::string DriverLacksLine(const std::string& label, const std::string& path, const std::string& entry)
{
    return label + ": driver library " + path + " lacks " + entry;
}

void SayCanDriver(const std::string& line)
{
    TraceLog(line);
    std::function<void(const std::string&)> sink;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        sink = NoticeSink();
    }
    if (sink)
        sink(line);
}

void SetCanDriverNoticeSink(std::function<void(const std::string&)> sink)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    NoticeSink() = std::move(sink);
}

void ResetCanDriverLibrariesForTest()
{
    ResetSlot(ControlCanSlot());
    ResetSlot(CanlibSlot());
    SetSimulatedAdaptersOnly(false);
}

} // namespace tarvel
