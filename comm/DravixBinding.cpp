#include "DravixBinding.h"

#include "CanDriverLibraries.h"
#include "Log.h"
#include "VectorXlDynamicLibrary.h"

#include <mutex>

namespace tarvel {

namespace {

struct Binding {
    std::mutex mutex;
    std::string name = "dravix";
    const DravixApi* testApi = nullptr;
    DynamicLibrary library;
    DravixApi api;
    bool bound = false;
};

Binding& State()
{
    static Binding b;
    return b;
}

template <typename T>
bool Bind(const DynamicLibrary& lib, const char* name, T& slot, bool required)
{
    slot = reinterpret_cast<T>(lib.Symbol(name));
    if (!slot && required)
        TraceLog(std::string("Dravix: export ") + name + " not found");
    return slot != nullptr || !required;
}

} // namespace

const DravixApi* GetDravix()
{
    Binding& b = State();
    std::lock_guard<std::mutex> lock(b.mutex);
    if (b.testApi)
        return b.testApi;
    if (b.bound)
        return &b.api;
    if (!b.library.Open(b.name)) {
        TraceLog("Dravix: " + b.library.Error());
        return nullptr;
    }
    DravixApi api;
    const DynamicLibrary& lib = b.library;
    bool ok = Bind(lib, "OpenDevice", api.OpenDevice, true);
    ok = Bind(lib, "CloseDevice", api.CloseDevice, true) && ok;
    ok = Bind(lib, "InitCAN", api.InitCAN, true) && ok;
    ok = Bind(lib, "StartCAN", api.StartCAN, true) && ok;
    ok = Bind(lib, "ResetCAN", api.ResetCAN, true) && ok;
    ok = Bind(lib, "Transmit", api.Transmit, true) && ok;
    ok = Bind(lib, "Receive", api.Receive, true) && ok;
    ok = Bind(lib, "GetReceiveNum", api.GetReceiveNum, true) && ok;
    ok = Bind(lib, "ClearBuffer", api.ClearBuffer, true) && ok;
    ok = Bind(lib, "ReadBoardInfo", api.ReadBoardInfo, true) && ok;
    ok = Bind(lib, "ReadErrInfo", api.ReadErrInfo, true) && ok;
    ok = Bind(lib, "SetReference", api.SetReference, true) && ok;
    Bind(lib, "ReadCANStatus", api.ReadCANStatus, false);
    Bind(lib, "GetReference", api.GetReference, false);
    Bind(lib, "WriteD", api.WriteD, false);
    Bind(lib, "ReadD", api.ReadD, false);
#if defined(_WIN32) && !defined(_WIN64)
    Bind(lib, "_canIoctl@16", api.canIoctl, false);
#else
    Bind(lib, "canIoctl", api.canIoctl, false);
#endif
    if (!ok) {
        b.library.Close();
        return nullptr;
    }
    b.api = api;
    b.bound = true;
    return &b.api;
}

std::string DravixDriverLine(uint32_t index)
{
    const DravixApi* dv = GetDravix();
    if (!dv)
        return "Dravix: no driver found";
    std::string path;
    {
        Binding& b = State();
        std::lock_guard<std::mutex> lock(b.mutex);
        path = b.library.Path();
    }
    // The library answers this query itself (the device's USB layer).
    constexpr uint32_t kUsbLayerQuery = 9;
    uint64_t layer = 0;
    if (!dv->canIoctl || dv->canIoctl(index, 0, kUsbLayerQuery, &layer) != 0)
        layer = 0;
    if (layer == 2)
        return SimulatedAdaptersOnly() ? SimulationChosenLine("Dravix")
                                       : "Dravix: no adapter found, using the built-in simulated ECU";
    if (layer == 3)
        return "Dravix: adapter found on USB but it cannot be opened (no access to the device, or another "
               "program uses it)";
    const std::string library = path.empty() ? std::string("Dravix: driver library") : DriverLibraryLine("Dravix", path);
    return library + (layer == 1 ? ", adapter on USB" : ", no adapter found");
}

void UnloadDravix()
{
    Binding& b = State();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.bound = false;
    b.api = DravixApi{};
    b.library.Close();
}

void SetDravixLibraryName(const std::string& name)
{
    Binding& b = State();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.name = name;
}

void SetDravixApiForTest(const DravixApi* api)
{
    Binding& b = State();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.testApi = api;
}

} // namespace tarvel
