#include "Ch375Layer.h"

#include "Environment.h"
#include "VectorXlDynamicLibrary.h"

#if defined(DRAVIX_WITH_LIBUSB)
#include "Ch375UsbHost.h"
#include "LibusbTransfer.h"
#endif

#include <atomic>
#include <type_traits>
#include <mutex>
#include <new>

namespace dravix {

namespace {

constexpr uint32_t kIndices = CH375_MAX_DEVICES;

intptr_t CH375_CALL NoOpen(uint32_t) { return -1; }
void CH375_CALL NoClose(uint32_t) {}
int CH375_CALL NoTimeouts(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) { return 0; }
int CH375_CALL NoSwitch(uint32_t, uint32_t) { return 0; }
int CH375_CALL NoNotify(uint32_t, const char*, Ch375NotifyRoutine) { return 0; }
int CH375_CALL NoWrite(uint32_t, const void*, uint32_t*) { return 0; }
int CH375_CALL NoRead(uint32_t, void*, uint32_t* length)
{
    if (length)
        *length = 0;
    return 0;
}
int CH375_CALL NoAbort(uint32_t) { return 0; }

const Ch375Api& Absent()
{
    static const Ch375Api api = [] {
        Ch375Api a;
        a.OpenDevice = &NoOpen;
        a.CloseDevice = &NoClose;
        a.SetTimeoutEx = &NoTimeouts;
        a.SetBufUpload = &NoSwitch;
        a.SetBufDownload = &NoSwitch;
        a.SetDeviceNotify = &NoNotify;
        a.SetExclusive = &NoSwitch;
        a.WriteData = &NoWrite;
        a.ReadData = &NoRead;
        a.ReadInter = &NoRead;
        a.AbortWrite = &NoAbort;
        a.AbortRead = &NoAbort;
        a.AbortInter = &NoAbort;
        return a;
    }();
    return api;
}

// A CH375 driver library loaded by name (the chip's vendor driver, or our
// stand-in under its own name). False when it is missing or incomplete.
bool LoadLibraryApi(tarvel::DynamicLibrary& lib, const std::string& name, Ch375Api& api)
{
    // Bound once: devices opened earlier call through this table from their
    // receive threads, so it is never written again while the library stays.
    if (lib.IsOpen() && api.OpenDevice)
        return true;
    if (!lib.IsOpen() && !lib.Open(name))
        return false;
    Ch375Api a;
    bool ok = true;
    auto bind = [&](auto& slot, const char* symbol) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(lib.Symbol(symbol));
        ok = ok && slot != nullptr;
    };
    bind(a.OpenDevice, "CH375OpenDevice");
    bind(a.CloseDevice, "CH375CloseDevice");
    bind(a.SetTimeoutEx, "CH375SetTimeoutEx");
    bind(a.SetBufUpload, "CH375SetBufUpload");
    bind(a.SetBufDownload, "CH375SetBufDownload");
    bind(a.SetDeviceNotify, "CH375SetDeviceNotify");
    bind(a.SetExclusive, "CH375SetExclusive");
    bind(a.WriteData, "CH375WriteData");
    bind(a.ReadData, "CH375ReadData");
    bind(a.ReadInter, "CH375ReadInter");
    bind(a.AbortWrite, "CH375AbortWrite");
    bind(a.AbortRead, "CH375AbortRead");
    bind(a.AbortInter, "CH375AbortInter");
    if (!ok) {
        lib.Close();
        return false;
    }
    api = a;
    return true;
}

#if defined(DRAVIX_WITH_LIBUSB)
Ch375UsbHost& Host()
{
    static LibusbTransfer usb;
    static Ch375UsbHost host(usb);
    return host;
}

intptr_t CH375_CALL HwOpen(uint32_t i) { return Host().OpenDevice(i); }
void CH375_CALL HwClose(uint32_t i) { Host().CloseDevice(i); }
int CH375_CALL HwTimeouts(uint32_t i, uint32_t w, uint32_t r, uint32_t a, uint32_t n)
{
    return Host().SetTimeoutEx(i, w, r, a, n);
}
int CH375_CALL HwBufUpload(uint32_t i, uint32_t on) { return Host().SetBufUpload(i, on); }
int CH375_CALL HwBufDownload(uint32_t i, uint32_t on) { return Host().SetBufDownload(i, on); }
int CH375_CALL HwNotify(uint32_t i, const char* n, Ch375NotifyRoutine r) { return Host().SetDeviceNotify(i, n, r); }
int CH375_CALL HwExclusive(uint32_t i, uint32_t on) { return Host().SetExclusive(i, on); }
int CH375_CALL HwWrite(uint32_t i, const void* b, uint32_t* l) { return Host().WriteData(i, b, l); }
int CH375_CALL HwRead(uint32_t i, void* b, uint32_t* l) { return Host().ReadData(i, b, l); }
int CH375_CALL HwInter(uint32_t i, void* b, uint32_t* l) { return Host().ReadInter(i, b, l); }
int CH375_CALL HwAbortWrite(uint32_t i) { return Host().AbortWrite(i); }
int CH375_CALL HwAbortRead(uint32_t i) { return Host().AbortRead(i); }
int CH375_CALL HwAbortInter(uint32_t i) { return Host().AbortInter(i); }

const Ch375Api& Hardware()
{
    static const Ch375Api api = [] {
        Ch375Api a;
        a.OpenDevice = &HwOpen;
        a.CloseDevice = &HwClose;
        a.SetTimeoutEx = &HwTimeouts;
        a.SetBufUpload = &HwBufUpload;
        a.SetBufDownload = &HwBufDownload;
        a.SetDeviceNotify = &HwNotify;
        a.SetExclusive = &HwExclusive;
        a.WriteData = &HwWrite;
        a.ReadData = &HwRead;
        a.ReadInter = &HwInter;
        a.AbortWrite = &HwAbortWrite;
        a.AbortRead = &HwAbortRead;
        a.AbortInter = &HwAbortInter;
        return a;
    }();
    return api;
}
#endif

struct Layers {
    std::mutex mutex;
    tarvel::DynamicLibrary vendor;  // the chip's driver library (Windows)
    tarvel::DynamicLibrary standin; // our stand-in, under its own name
    Ch375Api vendorApi;
    Ch375Api standinApi;
    // Per index: the table its calls go to (never null).
    std::atomic<const Ch375Api*> chosen[kIndices];
    std::atomic<UsbLayer> layer[kIndices];
    Layers()
    {
        for (uint32_t i = 0; i < kIndices; ++i) {
            chosen[i].store(&Absent());
            layer[i].store(UsbLayer::None);
        }
    }
};

// Never destroyed (receive threads stopped at exit still call through it),
// and not on the heap, so unloading the library leaves nothing behind that
// looks lost.
Layers& State()
{
    alignas(Layers) static unsigned char storage[sizeof(Layers)];
    static Layers* layers = new (storage) Layers;
    return *layers;
}

bool HardwareSkipped() { return !tarvel::GetEnvironmentValue("DRAVIX_SIMULATE").empty(); }

} // namespace

intptr_t UsbOpen(uint32_t index)
{
    if (index >= kIndices)
        return -1;
    Layers& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.chosen[index].store(&Absent());
    s.layer[index].store(UsbLayer::None);
    if (!HardwareSkipped()) {
#if defined(DRAVIX_WITH_LIBUSB)
        if (Hardware().OpenDevice(index) != -1) {
            s.chosen[index].store(&Hardware());
            s.layer[index].store(UsbLayer::Hardware);
            return static_cast<intptr_t>(index);
        }
        if (Host().Attached(index)) {
            s.layer[index].store(UsbLayer::Refused);
            return -1;
        }
#endif
#if defined(_WIN32)
        if (LoadLibraryApi(s.vendor, "CHUSBDLL", s.vendorApi) && s.vendorApi.OpenDevice(index) != -1) {
            s.chosen[index].store(&s.vendorApi);
            s.layer[index].store(UsbLayer::Hardware);
            return static_cast<intptr_t>(index);
        }
#endif
    }
    if (LoadLibraryApi(s.standin, "ch375", s.standinApi)) {
        const intptr_t result = s.standinApi.OpenDevice(index);
        if (result != -1) {
            s.chosen[index].store(&s.standinApi);
            s.layer[index].store(UsbLayer::Standin);
        }
        return result;
    }
    return -1;
}

const Ch375Api& Usb(uint32_t index) { return index < kIndices ? *State().chosen[index].load() : Absent(); }

UsbLayer UsbLayerOf(uint32_t index) { return index < kIndices ? State().layer[index].load() : UsbLayer::None; }

} // namespace dravix
