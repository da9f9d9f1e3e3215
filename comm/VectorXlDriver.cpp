#include "VectorXlDriver.h"

#include "CanDriverLibraries.h"
#include "Clock.h"
#include "Log.h"
#include "Prompter.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

namespace tarvel {

namespace {

const char* const kAppName = "xlCANcontrol";

std::mutex g_nameMutex;
std::string& NameSlot()
{
    static std::string name = "vxlapi";
    return name;
}

#if defined(__GNUC__)
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
#endif
std::string Format(const char* fmt, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

std::atomic<CCANFunctions::LoadHook> g_loadHook{nullptr};

template <typename T>
bool Resolve(const DynamicLibrary& lib, const char* name, T& slot)
{
    slot = reinterpret_cast<T>(lib.Symbol(name));
    return slot != nullptr;
}

} // namespace

static std::string& StandinNameSlot()
{
    static std::string name;
    return name;
}

void CCANFunctions::SetLibraryName(const std::string& name)
{
    std::lock_guard<std::mutex> lock(g_nameMutex);
    NameSlot() = name;
    // A library named on purpose is the only one tried.
    StandinNameSlot().clear();
}

void CCANFunctions::SetStandinLibraryName(const std::string& name)
{
    std::lock_guard<std::mutex> lock(g_nameMutex);
    StandinNameSlot() = name;
}

std::string CCANFunctions::StandinLibraryName()
{
    std::lock_guard<std::mutex> lock(g_nameMutex);
    return StandinNameSlot();
}

void CCANFunctions::SetLoadHook(LoadHook hook) { g_loadHook.store(hook); }

std::string CCANFunctions::LibraryName()
{
    std::lock_guard<std::mutex> lock(g_nameMutex);
    return NameSlot();
}

CCANFunctions::CCANFunctions() = default;

CCANFunctions::~CCANFunctions()
{
    // The notification events would be closed here; this wrapper never asks
    // the driver for them, so there is nothing to release.
    events_[0] = events_[1] = nullptr;
}

void CCANFunctions::Trace(const std::string& line) const { TraceLog("xlCANcontrol: " + line); }

XLstatus CCANFunctions::LoadDriverLibrary()
{
    if (library_.IsOpen())
        return XL_SUCCESS;
    // The vendor's driver first; our stand-in (on the simulated world) only
    // when it is not installed, or when the simulation was asked for.
    const std::string standin = StandinLibraryName();
    bool found = false;
    standinLoaded_ = false;
    if (!SimulatedAdaptersOnly())
        found = library_.Open(LibraryName());
    if (!found && !standin.empty()) {
        found = library_.Open(standin);
        standinLoaded_ = found;
    }
    if (!found) {
        driverLine_ = "Vector XL: no driver found";
        ShowMessage("Dynamic XL Driver Library - not found (vxlapi.dll)", "XL API", MsgIcon::Exclamation);
        return XL_ERROR;
    }
    const char* missing = nullptr;
    auto need = [&](const char* name, auto& slot) {
        if (!Resolve(library_, name, slot) && !missing)
            missing = name;
    };
    need("xlOpenDriver", xlOpenDriver_);
    need("xlCloseDriver", xlCloseDriver_);
    need("xlGetDriverConfig", xlGetDriverConfig_);
    need("xlGetApplConfig", xlGetApplConfig_);
    need("xlSetApplConfig", xlSetApplConfig_);
    need("xlGetChannelMask", xlGetChannelMask_);
    need("xlOpenPort", xlOpenPort_);
    need("xlClosePort", xlClosePort_);
    need("xlActivateChannel", xlActivateChannel_);
    need("xlDeactivateChannel", xlDeactivateChannel_);
    need("xlCanSetChannelBitrate", xlCanSetChannelBitrate_);
    need("xlCanTransmit", xlCanTransmit_);
    need("xlReceive", xlReceive_);
    need("xlCanSetChannelAcceptance", xlCanSetChannelAcceptance_);
    need("xlCanAddAcceptanceRange", xlCanAddAcceptanceRange_);
    need("xlCanResetAcceptance", xlCanResetAcceptance_);
    if (missing) {
        driverLine_ = DriverLacksLine("Vector XL", library_.Path(), missing);
        TraceLog(driverLine_);
        UnloadDriverLibrary();
        return XL_ERROR;
    }
    driverLine_ = standinLoaded_ ? (SimulatedAdaptersOnly() ? SimulationChosenLine("Vector XL")
                                                            : NoDriverLine("Vector XL"))
                                 : DriverLibraryLine("Vector XL", library_.Path());
    if (LoadHook hook = g_loadHook.load())
        hook(library_);
    return XL_SUCCESS;
}

std::string CCANFunctions::DriverLine() const
{
    return driverLine_.empty() ? std::string("Vector XL: driver not loaded") : driverLine_;
}

void CCANFunctions::UnloadDriverLibrary()
{
    library_.Close();
    xlOpenDriver_ = nullptr;
    xlCloseDriver_ = nullptr;
    xlGetDriverConfig_ = nullptr;
    xlGetApplConfig_ = nullptr;
    xlSetApplConfig_ = nullptr;
    xlGetChannelMask_ = nullptr;
    xlOpenPort_ = nullptr;
    xlClosePort_ = nullptr;
    xlActivateChannel_ = nullptr;
    xlDeactivateChannel_ = nullptr;
    xlCanSetChannelBitrate_ = nullptr;
    xlCanTransmit_ = nullptr;
    xlReceive_ = nullptr;
    xlCanSetChannelAcceptance_ = nullptr;
    xlCanAddAcceptanceRange_ = nullptr;
    xlCanResetAcceptance_ = nullptr;
}

XLstatus CCANFunctions::InitDriver()
{
    initialised_ = false;
    XLstatus status = LoadDriverLibrary() == XL_SUCCESS ? xlOpenDriver_() : XLstatus{XL_ERR_CANNOT_OPEN_DRIVER};
    Trace(Format("xlOpenDriver, stat: %d", status));
    if (status != XL_SUCCESS) {
        ShowMessage("Error when opening driver!\nMaybe the DLL is too old.", "XL API", MsgIcon::Exclamation);
        return status;
    }
    status = AssignChannels();
    if (status != XL_SUCCESS)
        return status;
    if (mask0_ == 0 || mask1_ == 0)
        return XL_ERROR;
    status = OpenPort();
    if (status == XL_SUCCESS)
        initialised_ = true;
    return status;
}

XLstatus CCANFunctions::AssignChannels()
{
    auto config = std::make_unique<XLdriverConfig>();
    std::memset(config.get(), 0, sizeof *config);
    XLstatus status = xlGetDriverConfig_(config.get());
    if (status != XL_SUCCESS)
        return status;
    const unsigned count = config->channelCount > XL_CONFIG_MAX_CHANNELS ? XL_CONFIG_MAX_CHANNELS
                                                                          : config->channelCount;

    // Is `mask` a CAN-capable channel of the configuration?
    auto findCan = [&](XLaccess mask) -> const XLchannelConfig* {
        for (unsigned i = 0; i < count; ++i) {
            const XLchannelConfig& c = config->channel[i];
            if (c.channelMask == mask && (c.channelBusCapabilities & XL_BUS_ACTIVE_CAP_CAN))
                return &c;
        }
        return nullptr;
    };

    unsigned hwType = 0, hwIndex = 0, hwChannel = 0;
    xlGetApplConfig_(kAppName, 0, &hwType, &hwIndex, &hwChannel, XL_BUS_TYPE_CAN);
    if (hwType != 0) {
        for (unsigned app = 0; app < 2; ++app) {
            if (app == 1) {
                hwType = hwIndex = hwChannel = 0;
                xlGetApplConfig_(kAppName, 1, &hwType, &hwIndex, &hwChannel, XL_BUS_TYPE_CAN);
            }
            const XLaccess mask = xlGetChannelMask_(static_cast<int>(hwType), static_cast<int>(hwIndex),
                                                    static_cast<int>(hwChannel));
            const XLchannelConfig* c = mask ? findCan(mask) : nullptr;
            if (!c) {
                Trace(Format("No assigned CAN in VHWConf for channel %u, hWType: %u, CM: 0x%llx", app, hwType,
                             static_cast<unsigned long long>(mask)));
                return XL_ERROR;
            }
            Trace(Format("Found CAN in VHWConf, hWType: %d, CM: 0x%llx", c->hwType,
                         static_cast<unsigned long long>(mask)));
            (app == 0 ? mask0_ : mask1_) = mask;
        }
        return XL_SUCCESS;
    }

    // Nothing assigned yet: take the first two CAN-capable channels.
    unsigned registered = 0;
    for (unsigned i = 0; i < count && registered < 2; ++i) {
        const XLchannelConfig& c = config->channel[i];
        Trace(Format("hwType: %d, bustype: %u, hwChannel: %d, cap: 0x%x", c.hwType, XL_BUS_TYPE_CAN, c.hwChannel,
                     c.channelBusCapabilities));
        if (!(c.channelBusCapabilities & XL_BUS_ACTIVE_CAP_CAN))
            continue;
        xlSetApplConfig_(kAppName, registered, c.hwType, c.hwIndex, c.hwChannel, XL_BUS_TYPE_CAN);
        Trace(Format("Register CAN hWType: %d, CM: 0x%llx", c.hwType,
                     static_cast<unsigned long long>(c.channelMask)));
        (registered == 0 ? mask0_ : mask1_) = c.channelMask;
        ++registered;
    }
    return XL_SUCCESS;
}

XLstatus CCANFunctions::OpenPort()
{
    access_ = mask0_ + mask1_;
    XLaccess permission = access_;
    const XLstatus status = xlOpenPort_(&port_, kAppName, access_, &permission, 256, XL_INTERFACE_VERSION,
                                        XL_BUS_TYPE_CAN);
    Trace(Format("xlOpenPort: PortHandle: %d; Permissionmask: 0x%llx; Status: %d", port_,
                 static_cast<unsigned long long>(permission), status));
    return port_ != XL_INVALID_PORTHANDLE ? status : XLstatus{XL_ERROR};
}

XLstatus CCANFunctions::ActivateWithBitrate(uint32_t bitsPerSecond)
{
    if (!xlCanSetChannelBitrate_ || !xlActivateChannel_)
        return XL_ERR_CANNOT_OPEN_DRIVER;
    XLstatus status = xlCanSetChannelBitrate_(port_, access_, bitsPerSecond);
    Trace(Format("SetBaudrate: %u, stat: %d", bitsPerSecond, status));
    status = xlActivateChannel_(port_, access_, XL_BUS_TYPE_CAN, XL_ACTIVATE_RESET_CLOCK);
    Trace(Format("ActivateChannel, stat: %d", status));
    return status;
}

XLstatus CCANFunctions::Deactivate()
{
    if (!xlDeactivateChannel_)
        return XL_ERR_CANNOT_OPEN_DRIVER;
    const XLstatus status = xlDeactivateChannel_(port_, access_);
    Trace(Format("DeactivateChannel, stat: %d", status));
    return status;
}

XLstatus CCANFunctions::Transmit(XLevent* events, unsigned int count)
{
    if (!xlCanTransmit_)
        return XL_ERR_CANNOT_OPEN_DRIVER;
    unsigned int mc = count;
    const XLstatus status = xlCanTransmit_(port_, mask0_, &mc, events);
    Trace(Format("Transmit, mc: %u, channel: %llu, stat: %d", mc, static_cast<unsigned long long>(mask0_), status));
    return status;
}

XLstatus CCANFunctions::Receive(unsigned int* eventCount, XLevent* events)
{
    if (!xlReceive_ || port_ == XL_INVALID_PORTHANDLE)
        return XL_ERR_INVALID_PORT;
    return xlReceive_(port_, eventCount, events);
}

XLstatus CCANFunctions::ResetAcceptance()
{
    if (!xlCanResetAcceptance_)
        return XL_ERR_CANNOT_OPEN_DRIVER;
    const XLstatus status = xlCanResetAcceptance_(port_, access_, XL_CAN_STD);
    Trace(Format("CanResetAcceptance, stat: %d", status));
    return status;
}

XLstatus CCANFunctions::SetAcceptanceExtended(uint32_t code)
{
    if (!xlCanSetChannelAcceptance_)
        return XL_ERR_CANNOT_OPEN_DRIVER;
    const XLstatus status = xlCanSetChannelAcceptance_(port_, access_, code, 0x1FFFFFFF, XL_CAN_EXT);
    Trace(Format("CanSetChannelAcceptance, stat: %d", status));
    return status;
}

XLstatus CCANFunctions::SetAcceptanceRange(uint32_t firstId, uint32_t lastId)
{
    if (!xlCanSetChannelAcceptance_ || !xlCanAddAcceptanceRange_)
        return XL_ERR_CANNOT_OPEN_DRIVER;
    XLstatus status = xlCanSetChannelAcceptance_(port_, access_, 0xFFF, 0xFFF, XL_CAN_STD);
    Trace(Format("CanSetChannelAcceptance, stat: %d", status));
    status = xlCanAddAcceptanceRange_(port_, access_, firstId, lastId);
    Trace(Format("CanAddAcceptanceRange, firstID: %u, lastID: %u, stat: %d", firstId, lastId, status));
    return status;
}

XLstatus CCANFunctions::CloseDriver()
{
    XLstatus status = XL_SUCCESS;
    if (xlCloseDriver_)
        status = xlCloseDriver_();
    UnloadDriverLibrary();
    port_ = XL_INVALID_PORTHANDLE;
    mask0_ = mask1_ = access_ = 0;
    initialised_ = false;
    return status;
}

CCANFunctions& GetVectorCanFunctions()
{
    static CCANFunctions instance;
    return instance;
}

} // namespace tarvel
