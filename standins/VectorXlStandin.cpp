// Our stand-in for the Vector XL driver library, built as the shared library
// "vxlapi" so the program's run-time load by name finds it.
#define VXLAPI_STANDIN_BUILD 1
#include "VectorXlStandin.h"

#include "Clock.h"
#include "StandinCallLog.h"
#include "SimWorld.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

const char* const kAppName = "xlCANcontrol";

struct HwChannel {
    bool canCapable = true;
    uint32_t bitrate = 500000;
    std::shared_ptr<sim::CanNode> node;
};

struct Acceptance {
    bool stdAll = true, extAll = true;
    uint32_t stdCode = 0, stdMask = 0, extCode = 0, extMask = 0;
    std::vector<std::pair<uint32_t, uint32_t>> stdRanges;
    bool Accepts(uint32_t id, bool extended) const
    {
        if (extended)
            return extAll || (id & extMask) == (extCode & extMask);
        if (stdAll)
            return true;
        if ((id & stdMask) == (stdCode & stdMask) && stdMask != 0xFFF)
            return true;
        for (const auto& r : stdRanges)
            if (id >= r.first && id <= r.second)
                return true;
        return false;
    }
};

struct Port {
    XLaccess permission = 0;
    unsigned int queueLimit = 256;
    bool active = false;
    std::deque<XLevent> queue;
    Acceptance acceptance;
};

std::recursive_mutex g_mutex;
bool g_driverOpen = false;
std::vector<HwChannel> g_hw(2);
std::map<unsigned int, unsigned int> g_assigned; // app channel -> hw channel
std::map<XLportHandle, std::shared_ptr<Port>> g_ports;
XLportHandle g_nextPort = 0;
XlStandinHost g_host{nullptr, nullptr};

standin::LibraryLog& Log()
{
    static standin::LibraryLog log("XL");
    return log;
}

sim::SimWorld& World() { return g_host.world ? g_host.world() : sim::CurrentWorld(); }

// The bus hardware channel `hw` is cabled to: the world's bus of the same
// number, or, when that bus runs at another rate than the channel was set
// to, the world's bus that runs at it (the program's world has one bus per
// rate, and the program sends on its first channel whatever the rate). Two
// of our channels never share a bus: a channel that would is left without
// one (nullptr).
std::shared_ptr<sim::CanBus> CableOf(size_t hw)
{
    auto taken = [](const std::shared_ptr<sim::CanBus>& bus) {
        for (const HwChannel& c : g_hw)
            if (c.node && c.node->Attached() && c.node->Bus() == bus)
                return true;
        return false;
    };
    auto own = World().Bus(static_cast<unsigned>(hw));
    if (own->Bitrate() != g_hw[hw].bitrate) {
        for (size_t other = 0; other < g_hw.size(); ++other) {
            auto bus = World().Bus(static_cast<unsigned>(other));
            if (other != hw && bus->Bitrate() == g_hw[hw].bitrate && !taken(bus))
                return bus;
        }
    }
    return taken(own) ? nullptr : own;
}

// This library's own copy of the clock everything reads (the frames it puts
// on the bus are stamped with it) follows the host's.
class HostClock : public tarvel::Clock {
public:
    uint64_t NowUs() const override { return g_host.clock ? g_host.clock().NowUs() : fallback_.NowUs(); }
    void SleepUs(uint64_t us) override
    {
        if (g_host.clock)
            g_host.clock().SleepUs(us);
        else
            fallback_.SleepUs(us);
    }

private:
    mutable tarvel::RealClock fallback_;
};
HostClock g_hostClock;

bool Injected(const char* name, XLstatus& result)
{
    int64_t r = 0;
    if (!Log().TakeFailure(name, r))
        return false;
    result = static_cast<XLstatus>(r);
    return true;
}

std::shared_ptr<Port> FindPort(XLportHandle port)
{
    auto it = g_ports.find(port);
    return it == g_ports.end() ? nullptr : it->second;
}

void DeactivateChannels(XLaccess mask)
{
    for (size_t i = 0; i < g_hw.size() && i < 64; ++i)
        if ((mask >> i) & 1u)
            if (auto node = std::move(g_hw[i].node))
                node->Detach();
}

void OnBusFrame(std::weak_ptr<Port> weak, unsigned int hwChannel, const sim::CanFrame& f)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    auto port = weak.lock();
    if (!port || !port->active || !port->acceptance.Accepts(f.id, f.extended))
        return;
    if (port->queue.size() >= port->queueLimit)
        return; // queue overrun: the frame is lost, as with a full driver queue
    XLevent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.tag = XL_RECEIVE_MSG;
    ev.chanIndex = static_cast<uint8_t>(hwChannel);
    ev.timeStamp = f.timeUs * 1000u;
    ev.tagData.msg.id = f.extended ? (f.id | XL_CAN_EXT_MSG_ID) : f.id;
    ev.tagData.msg.flags = f.remote ? XL_CAN_MSG_FLAG_REMOTE_FRAME : 0;
    ev.tagData.msg.dlc = f.dlc > 8 ? 8 : f.dlc;
    std::memcpy(ev.tagData.msg.data, f.data.data(), ev.tagData.msg.dlc);
    port->queue.push_back(ev);
}

} // namespace

extern "C" XLAPI_EXPORT void XLAPI_CALL xlStandinAttachHost(const XlStandinHost* host)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    g_host = host ? *host : XlStandinHost{nullptr, nullptr};
    tarvel::SetClock(g_host.clock ? &g_hostClock : nullptr);
}

XLAPI_EXPORT standin::LibraryLog& XlStandinLog() { return Log(); }

XLAPI_EXPORT void XlStandinReset(unsigned int channelCount, uint32_t nonCanChannels)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    DeactivateChannels(~XLaccess{0});
    if (channelCount > XL_CONFIG_MAX_CHANNELS)
        channelCount = XL_CONFIG_MAX_CHANNELS;
    g_hw.assign(channelCount, HwChannel{});
    for (unsigned int i = 0; i < channelCount && i < 32; ++i)
        g_hw[i].canCapable = ((nonCanChannels >> i) & 1u) == 0;
    g_assigned.clear();
    g_ports.clear();
    g_driverOpen = false;
    Log().Clear();
    Log().ClearFailures();
}

XLAPI_EXPORT void XlStandinAssign(unsigned int appChannel, unsigned int hwChannel)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    g_assigned[appChannel] = hwChannel;
}

extern "C" {

XLAPI_EXPORT XLstatus XLAPI_CALL xlOpenDriver(void)
{
    Log().Record("xlOpenDriver");
    XLstatus r;
    if (Injected("xlOpenDriver", r))
        return r;
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    g_driverOpen = true;
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlCloseDriver(void)
{
    Log().Record("xlCloseDriver");
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    DeactivateChannels(~XLaccess{0});
    g_ports.clear();
    g_driverOpen = false;
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlGetDriverConfig(XLdriverConfig* config)
{
    Log().Record("xlGetDriverConfig");
    XLstatus r;
    if (Injected("xlGetDriverConfig", r))
        return r;
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!config)
        return XL_ERR_WRONG_PARAMETER;
    if (!g_driverOpen)
        return XL_ERR_CANNOT_OPEN_DRIVER;
    std::memset(config, 0, sizeof *config);
    config->dllVersion = 0x0B000000;
    config->channelCount = static_cast<uint32_t>(g_hw.size());
    for (size_t i = 0; i < g_hw.size(); ++i) {
        XLchannelConfig& c = config->channel[i];
        std::snprintf(c.name, sizeof c.name, "Virtual Channel %u", static_cast<unsigned>(i + 1));
        c.hwType = XL_HWTYPE_VIRTUAL;
        c.hwIndex = 0;
        c.hwChannel = static_cast<uint8_t>(i);
        c.channelIndex = static_cast<uint32_t>(i);
        c.channelMask = XLaccess{1} << i;
        c.channelBusCapabilities = g_hw[i].canCapable ? XL_BUS_ACTIVE_CAP_CAN : 0u;
        c.connectedBusType = g_hw[i].canCapable ? XL_BUS_TYPE_CAN : 0u;
    }
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlGetApplConfig(const char* appName, unsigned int appChannel, unsigned int* hwType,
                                                 unsigned int* hwIndex, unsigned int* hwChannel, unsigned int busType)
{
    Log().Record("xlGetApplConfig", {appChannel, busType});
    XLstatus r;
    if (Injected("xlGetApplConfig", r))
        return r;
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!appName || !hwType || !hwIndex || !hwChannel)
        return XL_ERR_WRONG_PARAMETER;
    auto it = g_assigned.find(appChannel);
    if (std::strcmp(appName, kAppName) != 0 || busType != XL_BUS_TYPE_CAN || it == g_assigned.end()) {
        *hwType = 0; // not assigned
        *hwIndex = 0;
        *hwChannel = 0;
        return XL_ERROR;
    }
    *hwType = XL_HWTYPE_VIRTUAL;
    *hwIndex = 0;
    *hwChannel = it->second;
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlSetApplConfig(const char* appName, unsigned int appChannel, unsigned int hwType,
                                                 unsigned int hwIndex, unsigned int hwChannel, unsigned int busType)
{
    Log().Record("xlSetApplConfig", {appChannel, hwType, hwIndex, hwChannel, busType});
    XLstatus r;
    if (Injected("xlSetApplConfig", r))
        return r;
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!appName || hwType != XL_HWTYPE_VIRTUAL || hwIndex != 0 || hwChannel >= g_hw.size())
        return XL_ERR_WRONG_PARAMETER;
    if (std::strcmp(appName, kAppName) == 0)
        g_assigned[appChannel] = hwChannel;
    return XL_SUCCESS;
}

XLAPI_EXPORT XLaccess XLAPI_CALL xlGetChannelMask(int hwType, int hwIndex, int hwChannel)
{
    Log().Record("xlGetChannelMask", {hwType, hwIndex, hwChannel});
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (hwType != static_cast<int>(XL_HWTYPE_VIRTUAL) || hwIndex != 0 || hwChannel < 0 ||
        static_cast<size_t>(hwChannel) >= g_hw.size())
        return 0;
    return XLaccess{1} << hwChannel;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlOpenPort(XLportHandle* port, const char* userName, XLaccess accessMask,
                                            XLaccess* permissionMask, unsigned int rxQueueSize,
                                            unsigned int interfaceVersion, unsigned int busType)
{
    Log().Record("xlOpenPort", {static_cast<int64_t>(accessMask), rxQueueSize, interfaceVersion, busType});
    XLstatus r;
    if (Injected("xlOpenPort", r)) {
        if (port)
            *port = XL_INVALID_PORTHANDLE;
        return r;
    }
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!port || !userName || !g_driverOpen || busType != XL_BUS_TYPE_CAN || rxQueueSize == 0) {
        if (port)
            *port = XL_INVALID_PORTHANDLE;
        return XL_ERR_WRONG_PARAMETER;
    }
    auto p = std::make_shared<Port>();
    const XLaccess existing = g_hw.size() >= 64 ? ~XLaccess{0} : ((XLaccess{1} << g_hw.size()) - 1);
    p->permission = accessMask & existing & (permissionMask ? *permissionMask : 0);
    p->queueLimit = rxQueueSize;
    if (permissionMask)
        *permissionMask = p->permission;
    *port = g_nextPort++;
    g_ports[*port] = p;
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlClosePort(XLportHandle port)
{
    Log().Record("xlClosePort", {port});
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    auto p = FindPort(port);
    if (!p)
        return XL_ERR_INVALID_PORT;
    if (p->active)
        DeactivateChannels(p->permission);
    g_ports.erase(port);
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlCanSetChannelBitrate(XLportHandle port, XLaccess accessMask, uint32_t bitrate)
{
    Log().Record("xlCanSetChannelBitrate", {port, static_cast<int64_t>(accessMask), bitrate});
    XLstatus r;
    if (Injected("xlCanSetChannelBitrate", r))
        return r;
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    auto p = FindPort(port);
    if (!p)
        return XL_ERR_INVALID_PORT;
    if ((accessMask & p->permission) != accessMask || accessMask == 0)
        return XL_ERR_INVALID_ACCESS;
    if (bitrate == 0 || bitrate > 1000000)
        return XL_ERR_WRONG_PARAMETER;
    for (size_t i = 0; i < g_hw.size() && i < 64; ++i)
        if ((accessMask >> i) & 1u) {
            g_hw[i].bitrate = bitrate;
            if (g_hw[i].node)
                g_hw[i].node->SetBitrate(bitrate);
        }
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlActivateChannel(XLportHandle port, XLaccess accessMask, unsigned int busType,
                                                   unsigned int flags)
{
    Log().Record("xlActivateChannel", {port, static_cast<int64_t>(accessMask), busType, flags});
    XLstatus r;
    if (Injected("xlActivateChannel", r))
        return r;
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    auto p = FindPort(port);
    if (!p)
        return XL_ERR_INVALID_PORT;
    if (busType != XL_BUS_TYPE_CAN)
        return XL_ERR_WRONG_PARAMETER;
    const XLaccess mask = accessMask & p->permission;
    if (mask == 0)
        return XL_ERR_INVALID_ACCESS;
    std::weak_ptr<Port> weak = p;
    for (size_t i = 0; i < g_hw.size() && i < 64; ++i) {
        if (!((mask >> i) & 1u) || g_hw[i].node)
            continue;
        auto bus = CableOf(i);
        if (!bus)
            continue;  // nothing at its rate is free to cable it to
        auto node = bus->Attach(g_hw[i].bitrate);
        const unsigned int hw = static_cast<unsigned int>(i);
        node->SetReceiveHandler([weak, hw](const sim::CanFrame& f) { OnBusFrame(weak, hw, f); });
        g_hw[i].node = std::move(node);
    }
    p->active = true;
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlDeactivateChannel(XLportHandle port, XLaccess accessMask)
{
    Log().Record("xlDeactivateChannel", {port, static_cast<int64_t>(accessMask)});
    XLstatus r;
    if (Injected("xlDeactivateChannel", r))
        return r;
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    auto p = FindPort(port);
    if (!p)
        return XL_ERR_INVALID_PORT;
    DeactivateChannels(accessMask & p->permission);
    p->active = false;
    p->queue.clear();
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlCanTransmit(XLportHandle port, XLaccess accessMask, unsigned int* messageCount,
                                               void* messages)
{
    const XLevent* ev = static_cast<const XLevent*>(messages);
    Log().Record("xlCanTransmit", {port, static_cast<int64_t>(accessMask), messageCount ? *messageCount : -1,
                                   ev && messageCount && *messageCount ? ev[0].tagData.msg.id : -1});
    XLstatus r;
    if (Injected("xlCanTransmit", r))
        return r;
    std::vector<std::pair<unsigned int, std::shared_ptr<sim::CanNode>>> nodes;
    {
        std::lock_guard<std::recursive_mutex> lock(g_mutex);
        auto p = FindPort(port);
        if (!p)
            return XL_ERR_INVALID_PORT;
        if (!messageCount || !ev)
            return XL_ERR_WRONG_PARAMETER;
        const XLaccess mask = accessMask & p->permission;
        if (mask == 0)
            return XL_ERR_INVALID_ACCESS;
        if (!p->active)
            return XL_ERR_PORT_IS_OFFLINE;
        for (unsigned int m = 0; m < *messageCount; ++m)
            if (ev[m].tag != XL_TRANSMIT_MSG || ev[m].tagData.msg.dlc > 8)
                return XL_ERR_WRONG_PARAMETER;
        for (size_t i = 0; i < g_hw.size() && i < 64; ++i)
            if (((mask >> i) & 1u) && g_hw[i].node)
                nodes.emplace_back(static_cast<unsigned int>(i), g_hw[i].node);
    }
    // Send outside the driver lock: a peer may answer at once, from this or
    // another thread, and its frame comes back through this library.
    for (unsigned int m = 0; m < *messageCount; ++m) {
        sim::CanFrame f;
        f.extended = (ev[m].tagData.msg.id & XL_CAN_EXT_MSG_ID) != 0;
        f.id = ev[m].tagData.msg.id & (f.extended ? 0x1FFFFFFFu : 0x7FFu);
        f.remote = (ev[m].tagData.msg.flags & XL_CAN_MSG_FLAG_REMOTE_FRAME) != 0;
        f.dlc = static_cast<uint8_t>(ev[m].tagData.msg.dlc);
        std::memcpy(f.data.data(), ev[m].tagData.msg.data, f.dlc);
        for (auto& n : nodes) {
            f.channel = static_cast<uint8_t>(n.first);
            n.second->Send(f);
        }
    }
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlReceive(XLportHandle port, unsigned int* eventCount, XLevent* events)
{
    XLstatus r;
    if (Injected("xlReceive", r)) {
        Log().Record("xlReceive", {port});
        return r;
    }
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    auto p = FindPort(port);
    if (!p)
        return XL_ERR_INVALID_PORT;
    if (!eventCount || !events)
        return XL_ERR_WRONG_PARAMETER;
    unsigned int n = 0;
    while (n < *eventCount && !p->queue.empty()) {
        events[n++] = p->queue.front();
        p->queue.pop_front();
    }
    *eventCount = n;
    if (n == 0)
        return XL_ERR_QUEUE_IS_EMPTY; // not logged: the pump polls this constantly
    Log().Record("xlReceive", {port, n});
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlCanSetChannelAcceptance(XLportHandle port, XLaccess accessMask, uint32_t code,
                                                           uint32_t mask, unsigned int idRange)
{
    Log().Record("xlCanSetChannelAcceptance", {port, static_cast<int64_t>(accessMask), code, mask, idRange});
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    auto p = FindPort(port);
    if (!p)
        return XL_ERR_INVALID_PORT;
    if (idRange == XL_CAN_EXT) {
        p->acceptance.extAll = false;
        p->acceptance.extCode = code;
        p->acceptance.extMask = mask;
    } else if (idRange == XL_CAN_STD) {
        p->acceptance.stdAll = false;
        p->acceptance.stdCode = code;
        p->acceptance.stdMask = mask;
        p->acceptance.stdRanges.clear();
    } else {
        return XL_ERR_WRONG_PARAMETER;
    }
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlCanAddAcceptanceRange(XLportHandle port, XLaccess accessMask, uint32_t firstId,
                                                         uint32_t lastId)
{
    Log().Record("xlCanAddAcceptanceRange", {port, static_cast<int64_t>(accessMask), firstId, lastId});
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    auto p = FindPort(port);
    if (!p)
        return XL_ERR_INVALID_PORT;
    if (lastId < firstId || lastId > 0x7FF)
        return XL_ERR_WRONG_PARAMETER;
    p->acceptance.stdAll = false;
    p->acceptance.stdRanges.emplace_back(firstId, lastId);
    return XL_SUCCESS;
}

XLAPI_EXPORT XLstatus XLAPI_CALL xlCanResetAcceptance(XLportHandle port, XLaccess accessMask, unsigned int idRange)
{
    Log().Record("xlCanResetAcceptance", {port, static_cast<int64_t>(accessMask), idRange});
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    auto p = FindPort(port);
    if (!p)
        return XL_ERR_INVALID_PORT;
    if (idRange == XL_CAN_EXT)
        p->acceptance.extAll = true;
    else if (idRange == XL_CAN_STD) {
        p->acceptance.stdAll = true;
        p->acceptance.stdRanges.clear();
    } else
        return XL_ERR_WRONG_PARAMETER;
    return XL_SUCCESS;
}

} // extern "C"
