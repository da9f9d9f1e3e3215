#include "CanLibStandin.h"

#include "Clock.h"
#include "SimWorld.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr int kChannelCount = 4;
constexpr size_t kQueueLimit = 4096;

struct Handle {
    std::mutex mutex;
    int channel = 0;
    bool exclusive = false;
    bool busOn = false;
    uint32_t bitrate = 0;
    uint32_t timerScaleUs = 1000;
    std::shared_ptr<sim::CanNode> node;
    std::deque<sim::CanFrame> queue;
    bool overrun = false;
    // canSetAcceptanceFilter: frames of each kind must match code under mask.
    uint32_t stdCode = 0, stdMask = 0, extCode = 0, extMask = 0;
    int lineMode = 4; // canTRANSCEIVER_LINEMODE_NORMAL
    int resNet = 0;
    unsigned int driverType = 4; // canDRIVER_NORMAL
};

std::mutex g_mutex;
bool g_initialised = false;
std::vector<std::shared_ptr<Handle>> g_handles; // index = handle; null = free

standin::LibraryLog& Log()
{
    static standin::LibraryLog log("CANlib");
    return log;
}

bool Injected(const char* name, canStatus& result)
{
    int64_t r = 0;
    if (!Log().TakeFailure(name, r))
        return false;
    result = static_cast<canStatus>(r);
    return true;
}

std::shared_ptr<Handle> Find(CanHandle hnd)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (hnd < 0 || static_cast<size_t>(hnd) >= g_handles.size())
        return nullptr;
    return g_handles[static_cast<size_t>(hnd)];
}

// What the calls the stand-in does not model answer.
canStatus NotModelled(CanHandle hnd) { return Find(hnd) ? canERR_NOT_IMPLEMENTED : canERR_INVHANDLE; }

// The start of most entry points: the call goes into the log, then a failure
// a test armed for it (true, with the result to return) stands in for its work.
bool LogAndInject(const char* name, std::vector<int64_t> args, canStatus& result)
{
    Log().Record(name, std::move(args));
    return Injected(name, result);
}

// Runs `f` on the handle under its lock; canERR_INVHANDLE when `hnd` names no
// open handle.
template <class F>
canStatus WithLockedHandle(CanHandle hnd, F f)
{
    auto h = Find(hnd);
    if (!h)
        return canERR_INVHANDLE;
    std::lock_guard<std::mutex> lock(h->mutex);
    return f(*h);
}

void GoBusOff(Handle& h)
{
    std::shared_ptr<sim::CanNode> node;
    {
        std::lock_guard<std::mutex> lock(h.mutex);
        node = std::move(h.node);
        h.busOn = false;
    }
    if (node)
        node->Detach();
}

void CloseAll()
{
    std::vector<std::shared_ptr<Handle>> handles;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        handles.swap(g_handles);
    }
    for (auto& h : handles)
        if (h)
            GoBusOff(*h);
}

// Hands `f` to the caller's read arguments.
void FillRead(const sim::CanFrame& f, uint32_t scale, long* id, void* msg, unsigned int* dlc, unsigned int* flag,
              unsigned long* time)
{
    if (id)
        *id = static_cast<long>(f.id);
    if (msg)
        std::memcpy(msg, f.data.data(), f.dlc > 8 ? 8 : f.dlc);
    if (dlc)
        *dlc = f.dlc;
    if (flag)
        *flag = (f.extended ? canMSG_EXT : canMSG_STD) | (f.remote ? canMSG_RTR : 0u);
    if (time)
        *time = static_cast<unsigned long>(f.timeUs / scale);
}

// Takes the first queued frame with identifier `id` (every frame when id is
// negative); with `skip`, the frames before it are dropped.
canStatus TakeFrame(CanHandle hnd, long id, bool skip, long* outId, void* msg, unsigned int* dlc,
                    unsigned int* flag, unsigned long* time)
{
    auto h = Find(hnd);
    if (!h)
        return canERR_INVHANDLE;
    sim::CanFrame f;
    uint32_t scale;
    {
        std::lock_guard<std::mutex> lock(h->mutex);
        auto it = h->queue.begin();
        while (it != h->queue.end() && id >= 0 && static_cast<long>(it->id) != id)
            ++it;
        if (it == h->queue.end()) {
            if (skip)
                h->queue.clear();
            return canERR_NOMSG;
        }
        f = *it;
        if (skip)
            h->queue.erase(h->queue.begin(), it + 1);
        else
            h->queue.erase(it);
        scale = h->timerScaleUs;
    }
    FillRead(f, scale, outId, msg, dlc, flag, time);
    return canOK;
}

// Waits on the program's clock, up to `timeoutMs`, until a frame with `id`
// (any frame when negative) is queued.
canStatus WaitForFrame(CanHandle hnd, long id, unsigned long timeoutMs)
{
    auto& clock = tarvel::GetClock();
    const uint64_t deadline = clock.NowMs() + timeoutMs;
    for (;;) {
        auto h = Find(hnd);
        if (!h)
            return canERR_INVHANDLE;
        {
            std::lock_guard<std::mutex> lock(h->mutex);
            for (const auto& f : h->queue)
                if (id < 0 || static_cast<long>(f.id) == id)
                    return canOK;
        }
        if (clock.NowMs() >= deadline)
            return canERR_TIMEOUT;
        clock.SleepMs(1);
    }
}

} // namespace

namespace standin {

LibraryLog& CanLibLog() { return Log(); }

void CanLibReset()
{
    CloseAll();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_initialised = false;
    }
    Log().Clear();
    Log().ClearFailures();
}

uint32_t CanLibBitrateOf(long constant)
{
    switch (constant) {
    case canBITRATE_1M: return 1000000;
    case canBITRATE_500K: return 500000;
    case canBITRATE_250K: return 250000;
    case canBITRATE_125K: return 125000;
    case canBITRATE_100K: return 100000;
    case canBITRATE_62K: return 62500;
    case canBITRATE_50K: return 50000;
    case canBITRATE_83K: return 83333;
    case canBITRATE_10K: return 10000;
    default: return constant > 0 ? static_cast<uint32_t>(constant) : 0;
    }
}

} // namespace standin

extern "C" {

void canInitializeLibrary(void)
{
    Log().Record("canInitializeLibrary");
    std::lock_guard<std::mutex> lock(g_mutex);
    g_initialised = true;
}

canStatus canUnloadLibrary(void)
{
    canStatus r;
    if (LogAndInject("canUnloadLibrary", {}, r))
        return r;
    CloseAll();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_initialised = false;
    return canOK;
}

CanHandle canOpenChannel(int channel, int flags)
{
    canStatus r;
    if (LogAndInject("canOpenChannel", {channel, flags}, r))
        return r;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_initialised)
        return canERR_NOTINITIALIZED;
    if (channel < 0 || channel >= kChannelCount)
        return canERR_NOTFOUND;
    const bool exclusive = (flags & canOPEN_EXCLUSIVE) != 0;
    for (auto& h : g_handles)
        if (h && h->channel == channel && (h->exclusive || exclusive))
            return canERR_NOCHANNELS;
    // The lowest free handle, as CANlib hands them out.
    size_t slot = 0;
    while (slot < g_handles.size() && g_handles[slot])
        ++slot;
    if (slot == g_handles.size())
        g_handles.emplace_back();
    auto h = std::make_shared<Handle>();
    h->channel = channel;
    h->exclusive = exclusive;
    g_handles[slot] = h;
    return static_cast<CanHandle>(slot);
}

canStatus canClose(CanHandle hnd)
{
    canStatus r;
    if (LogAndInject("canClose", {hnd}, r))
        return r;
    std::shared_ptr<Handle> h;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (hnd < 0 || static_cast<size_t>(hnd) >= g_handles.size() || !g_handles[static_cast<size_t>(hnd)])
            return canERR_INVHANDLE;
        h = std::move(g_handles[static_cast<size_t>(hnd)]);
    }
    GoBusOff(*h);
    return canOK;
}

canStatus canSetBusParams(CanHandle hnd, long freq, unsigned int tseg1, unsigned int tseg2, unsigned int sjw,
                          unsigned int noSamp, unsigned int syncmode)
{
    canStatus r;
    if (LogAndInject("canSetBusParams", {hnd, freq, tseg1, tseg2, sjw, noSamp, syncmode}, r))
        return r;
    auto h = Find(hnd);
    if (!h)
        return canERR_INVHANDLE;
    const uint32_t rate = standin::CanLibBitrateOf(freq);
    if (rate == 0)
        return canERR_PARAM;
    std::shared_ptr<sim::CanNode> node;
    {
        std::lock_guard<std::mutex> lock(h->mutex);
        h->bitrate = rate;
        node = h->node;
    }
    if (node)
        node->SetBitrate(rate);
    return canOK;
}

canStatus canGetBusParams(CanHandle hnd, long* freq, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                          unsigned int* noSamp, unsigned int* syncmode)
{
    Log().Record("canGetBusParams", {hnd});
    return WithLockedHandle(hnd, [&](Handle& h) -> canStatus {
        if (freq)
            *freq = static_cast<long>(h.bitrate);
        for (unsigned int* p : {tseg1, tseg2, sjw, noSamp, syncmode})
            if (p)
                *p = 0;
        return canOK;
    });
}

canStatus canBusOn(CanHandle hnd)
{
    canStatus r;
    if (LogAndInject("canBusOn", {hnd}, r))
        return r;
    auto h = Find(hnd);
    if (!h)
        return canERR_INVHANDLE;
    uint32_t rate;
    int channel;
    {
        std::lock_guard<std::mutex> lock(h->mutex);
        if (h->busOn)
            return canOK;
        if (h->bitrate == 0)
            return canERR_PARAM;
        rate = h->bitrate;
        channel = h->channel;
    }
    auto node = sim::CurrentWorld().Bus(static_cast<unsigned>(channel))->Attach(rate);
    std::weak_ptr<Handle> weak = h;
    node->SetReceiveHandler([weak](const sim::CanFrame& f) {
        auto hh = weak.lock();
        if (!hh)
            return;
        std::lock_guard<std::mutex> lock(hh->mutex);
        if (!hh->busOn)
            return;
        if (f.extended ? ((f.id ^ hh->extCode) & hh->extMask) != 0 : ((f.id ^ hh->stdCode) & hh->stdMask) != 0)
            return;
        if (hh->queue.size() >= kQueueLimit) {
            hh->overrun = true;
            return;
        }
        hh->queue.push_back(f);
    });
    std::lock_guard<std::mutex> lock(h->mutex);
    h->node = std::move(node);
    h->busOn = true;
    return canOK;
}

canStatus canBusOff(CanHandle hnd)
{
    canStatus r;
    if (LogAndInject("canBusOff", {hnd}, r))
        return r;
    auto h = Find(hnd);
    if (!h)
        return canERR_INVHANDLE;
    GoBusOff(*h);
    return canOK;
}

canStatus canResetBus(CanHandle hnd)
{
    canStatus r;
    if (LogAndInject("canResetBus", {hnd}, r))
        return r;
    return WithLockedHandle(hnd, [](Handle& h) -> canStatus {
        h.queue.clear();
        h.overrun = false;
        return canOK;
    });
}

canStatus canIoCtl(CanHandle hnd, unsigned int func, void* buf, unsigned int buflen)
{
    canStatus r;
    if (LogAndInject("canIoCtl",
                     {hnd, func, buf && buflen >= 4 ? static_cast<int64_t>(*static_cast<uint32_t*>(buf)) : -1, buflen},
                     r))
        return r;
    return WithLockedHandle(hnd, [&](Handle& h) -> canStatus {
        switch (func) {
        case canIOCTL_SET_TIMER_SCALE: {
            if (!buf || buflen < 4)
                return canERR_PARAM;
            uint32_t scale;
            std::memcpy(&scale, buf, 4);
            if (scale == 0)
                return canERR_PARAM;
            h.timerScaleUs = scale;
            return canOK;
        }
        case canIOCTL_FLUSH_RX_BUFFER:
            h.queue.clear();
            return canOK;
        case canIOCTL_FLUSH_TX_BUFFER:
            return canOK; // frames leave at once on the virtual bus
        default:
            return canERR_NOT_IMPLEMENTED;
        }
    });
}

canStatus canWrite(CanHandle hnd, long id, void* msg, unsigned int dlc, unsigned int flag)
{
    canStatus r;
    if (LogAndInject("canWrite", {hnd, id, dlc, flag}, r))
        return r;
    auto h = Find(hnd);
    if (!h)
        return canERR_INVHANDLE;
    if (dlc > 8 || (dlc > 0 && !msg && !(flag & canMSG_RTR)))
        return canERR_PARAM;
    std::shared_ptr<sim::CanNode> node;
    {
        std::lock_guard<std::mutex> lock(h->mutex);
        if (!h->busOn)
            return canERR_HARDWARE; // "bus off": nothing can be queued
        node = h->node;
    }
    sim::CanFrame f;
    f.channel = static_cast<uint8_t>(h->channel);
    f.extended = (flag & canMSG_EXT) != 0;
    f.id = static_cast<uint32_t>(id) & (f.extended ? 0x1FFFFFFFu : 0x7FFu);
    f.remote = (flag & canMSG_RTR) != 0;
    f.dlc = static_cast<uint8_t>(dlc);
    if (msg && !f.remote)
        std::memcpy(f.data.data(), msg, dlc);
    // Like a real controller, a frame nobody can receive at this bit rate is
    // still queued; it just never reaches anyone.
    node->Send(f);
    return canOK;
}

canStatus canRead(CanHandle hnd, long* id, void* msg, unsigned int* dlc, unsigned int* flag, unsigned long* time)
{
    canStatus r;
    if (Injected("canRead", r)) {
        Log().Record("canRead", {hnd});
        return r;
    }
    auto h = Find(hnd);
    if (!h)
        return canERR_INVHANDLE;
    sim::CanFrame f;
    uint32_t scale;
    {
        std::lock_guard<std::mutex> lock(h->mutex);
        if (h->queue.empty())
            return canERR_NOMSG; // not logged: the pump polls this constantly
        f = h->queue.front();
        h->queue.pop_front();
        scale = h->timerScaleUs;
    }
    Log().Record("canRead", {hnd, f.id});
    FillRead(f, scale, id, msg, dlc, flag, time);
    return canOK;
}

canStatus canReadStatus(CanHandle hnd, unsigned long* flags)
{
    Log().Record("canReadStatus", {hnd});
    return WithLockedHandle(hnd, [&](Handle& h) -> canStatus {
        if (flags)
            *flags = (h.busOn ? 0u : 0x02u /* bus off */) | (h.overrun ? 0x0400u : 0u);
        return canOK;
    });
}

canStatus canReadTimer(CanHandle hnd, unsigned long* time)
{
    return WithLockedHandle(hnd, [&](Handle& h) -> canStatus {
        if (time)
            *time = static_cast<unsigned long>(tarvel::GetClock().NowUs() / h.timerScaleUs);
        return canOK;
    });
}

canStatus canGetErrorText(canStatus err, char* buf, unsigned int bufsiz)
{
    Log().Record("canGetErrorText", {err, bufsiz});
    if (!buf || bufsiz == 0)
        return canERR_PARAM;
    const char* text;
    switch (err) {
    case canOK: text = "No error"; break;
    case canERR_PARAM: text = "Error in parameter"; break;
    case canERR_NOMSG: text = "No messages available"; break;
    case canERR_NOTFOUND: text = "Specified device not found"; break;
    case canERR_NOMEM: text = "Out of memory"; break;
    case canERR_NOCHANNELS: text = "No channels available"; break;
    case canERR_TIMEOUT: text = "Timeout occurred"; break;
    case canERR_NOTINITIALIZED: text = "Library not initialized"; break;
    case canERR_INVHANDLE: text = "Handle is invalid"; break;
    case canERR_TXBUFOFL: text = "Transmit buffer overflow"; break;
    case canERR_HARDWARE: text = "A hardware error was detected"; break;
    case canERR_NOT_IMPLEMENTED: text = "Not implemented"; break;
    default: text = "Unknown error"; break;
    }
    std::snprintf(buf, bufsiz, "%s (%d)", text, err);
    return canOK;
}

canStatus canGetNumberOfChannels(int* channelCount)
{
    Log().Record("canGetNumberOfChannels");
    if (!channelCount)
        return canERR_PARAM;
    *channelCount = kChannelCount;
    return canOK;
}

canStatus canAccept(CanHandle hnd, long envelope, unsigned int flag)
{
    Log().Record("canAccept", {hnd, envelope, flag});
    return Find(hnd) ? canERR_NOT_IMPLEMENTED : canERR_INVHANDLE;
}

canStatus canReadWait(CanHandle hnd, long* id, void* msg, unsigned int* dlc, unsigned int* flag, unsigned long* time,
                      unsigned long timeout)
{
    Log().Record("canReadWait", {hnd, static_cast<int64_t>(timeout)});
    const canStatus s = WaitForFrame(hnd, -1, timeout);
    return s == canOK ? TakeFrame(hnd, -1, false, id, msg, dlc, flag, time) : (s == canERR_TIMEOUT ? canERR_NOMSG : s);
}

canStatus canReadSpecific(CanHandle hnd, long id, void* msg, unsigned int* dlc, unsigned int* flag,
                          unsigned long* time)
{
    Log().Record("canReadSpecific", {hnd, id});
    return id < 0 ? canERR_PARAM : TakeFrame(hnd, id, false, nullptr, msg, dlc, flag, time);
}

canStatus canReadSpecificSkip(CanHandle hnd, long id, void* msg, unsigned int* dlc, unsigned int* flag,
                              unsigned long* time)
{
    Log().Record("canReadSpecificSkip", {hnd, id});
    return id < 0 ? canERR_PARAM : TakeFrame(hnd, id, true, nullptr, msg, dlc, flag, time);
}

canStatus canReadSync(CanHandle hnd, unsigned long timeout)
{
    Log().Record("canReadSync", {hnd, static_cast<int64_t>(timeout)});
    return WaitForFrame(hnd, -1, timeout);
}

canStatus canReadSyncSpecific(CanHandle hnd, long id, unsigned long timeout)
{
    Log().Record("canReadSyncSpecific", {hnd, id, static_cast<int64_t>(timeout)});
    return id < 0 ? canERR_PARAM : WaitForFrame(hnd, id, timeout);
}

canStatus canWriteSync(CanHandle hnd, unsigned long timeout)
{
    Log().Record("canWriteSync", {hnd, static_cast<int64_t>(timeout)});
    return Find(hnd) ? canOK : canERR_INVHANDLE; // frames leave at once on the virtual bus
}

canStatus canWriteWait(CanHandle hnd, long id, void* msg, unsigned int dlc, unsigned int flag, unsigned long timeout)
{
    const canStatus s = canWrite(hnd, id, msg, dlc, flag);
    return s == canOK ? canWriteSync(hnd, timeout) : s;
}

canStatus canSetAcceptanceFilter(CanHandle hnd, unsigned int code, unsigned int mask, int isExtended)
{
    Log().Record("canSetAcceptanceFilter", {hnd, code, mask, isExtended});
    return WithLockedHandle(hnd, [&](Handle& h) -> canStatus {
        if (isExtended) {
            h.extCode = code;
            h.extMask = mask;
        } else {
            h.stdCode = code;
            h.stdMask = mask;
        }
        return canOK;
    });
}

canStatus canReadErrorCounters(CanHandle hnd, unsigned int* txErr, unsigned int* rxErr, unsigned int* overErr)
{
    Log().Record("canReadErrorCounters", {hnd});
    return WithLockedHandle(hnd, [&](Handle& h) -> canStatus {
        if (txErr)
            *txErr = 0;
        if (rxErr)
            *rxErr = 0;
        if (overErr)
            *overErr = h.overrun ? 1u : 0u;
        return canOK;
    });
}

unsigned short canGetVersion(void)
{
    Log().Record("canGetVersion");
    return 0x0500; // 5.0
}

canStatus canTranslateBaud(long* freq, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                           unsigned int* nosamp, unsigned int* syncMode)
{
    if (!freq)
        return canERR_PARAM;
    Log().Record("canTranslateBaud", {*freq});
    const uint32_t rate = standin::CanLibBitrateOf(*freq);
    if (rate == 0 || *freq > 0)
        return canERR_PARAM;
    *freq = static_cast<long>(rate);
    // 16 quanta per bit, sampled at 75 %.
    if (tseg1)
        *tseg1 = 11;
    if (tseg2)
        *tseg2 = 4;
    if (sjw)
        *sjw = 1;
    if (nosamp)
        *nosamp = 1;
    if (syncMode)
        *syncMode = 0;
    return canOK;
}

canStatus canSetDriverMode(CanHandle hnd, int lineMode, int resNet)
{
    Log().Record("canSetDriverMode", {hnd, lineMode, resNet});
    return WithLockedHandle(hnd, [&](Handle& h) -> canStatus {
        h.lineMode = lineMode;
        h.resNet = resNet;
        return canOK;
    });
}

canStatus canGetDriverMode(CanHandle hnd, int* lineMode, int* resNet)
{
    Log().Record("canGetDriverMode", {hnd});
    return WithLockedHandle(hnd, [&](Handle& h) -> canStatus {
        if (lineMode)
            *lineMode = h.lineMode;
        if (resNet)
            *resNet = h.resNet;
        return canOK;
    });
}

canStatus canSetBusOutputControl(CanHandle hnd, unsigned int drivertype)
{
    Log().Record("canSetBusOutputControl", {hnd, drivertype});
    return WithLockedHandle(hnd, [&](Handle& h) -> canStatus {
        h.driverType = drivertype;
        return canOK;
    });
}

canStatus canGetBusOutputControl(CanHandle hnd, unsigned int* drivertype)
{
    Log().Record("canGetBusOutputControl", {hnd});
    return WithLockedHandle(hnd, [&](Handle& h) -> canStatus {
        if (drivertype)
            *drivertype = h.driverType;
        return canOK;
    });
}

// The calls below are not modelled: with a valid handle they answer
// canERR_NOT_IMPLEMENTED, as CANlib does for what a driver lacks.

unsigned int canGetVersionEx(unsigned int itemCode)
{
    Log().Record("canGetVersionEx", {itemCode});
    return itemCode == canVERSION_CANLIB32_VERSION || itemCode == canVERSION_CANLIB32_PRODVER ? 0x0500u : 0u;
}

canStatus canProbeVersion(CanHandle hnd, char*, char*, void*, unsigned int flags)
{
    Log().Record("canProbeVersion", {hnd, flags});
    return NotModelled(hnd);
}

canStatus canReadEvent(CanHandle hnd, CanEvent*)
{
    Log().Record("canReadEvent", {hnd});
    return NotModelled(hnd);
}

canStatus canSetNotify(CanHandle hnd, void*, unsigned int notifyFlags)
{
    Log().Record("canSetNotify", {hnd, notifyFlags});
    return NotModelled(hnd);
}

canStatus canSetBusParamsC200(CanHandle hnd, unsigned char btr0, unsigned char btr1)
{
    Log().Record("canSetBusParamsC200", {hnd, btr0, btr1});
    return NotModelled(hnd);
}

canStatus canObjBufAllocate(CanHandle hnd, int type)
{
    Log().Record("canObjBufAllocate", {hnd, type});
    return NotModelled(hnd);
}

canStatus canObjBufDisable(CanHandle hnd, int idx)
{
    Log().Record("canObjBufDisable", {hnd, idx});
    return NotModelled(hnd);
}

canStatus canObjBufEnable(CanHandle hnd, int idx)
{
    Log().Record("canObjBufEnable", {hnd, idx});
    return NotModelled(hnd);
}

canStatus canObjBufFree(CanHandle hnd, int idx)
{
    Log().Record("canObjBufFree", {hnd, idx});
    return NotModelled(hnd);
}

canStatus canObjBufFreeAll(CanHandle hnd)
{
    Log().Record("canObjBufFreeAll", {hnd});
    return NotModelled(hnd);
}

canStatus canObjBufSetFilter(CanHandle hnd, int idx, unsigned int code, unsigned int mask)
{
    Log().Record("canObjBufSetFilter", {hnd, idx, code, mask});
    return NotModelled(hnd);
}

canStatus canObjBufSetFlags(CanHandle hnd, int idx, unsigned int flags)
{
    Log().Record("canObjBufSetFlags", {hnd, idx, flags});
    return NotModelled(hnd);
}

canStatus canObjBufWrite(CanHandle hnd, int idx, int id, void*, unsigned int dlc, unsigned int flags)
{
    Log().Record("canObjBufWrite", {hnd, idx, id, dlc, flags});
    return NotModelled(hnd);
}

canStatus canParamCommitChanges(void)
{
    Log().Record("canParamCommitChanges");
    return canERR_NOT_IMPLEMENTED;
}

canStatus canParamCreateNewEntry(void)
{
    Log().Record("canParamCreateNewEntry");
    return canERR_NOT_IMPLEMENTED;
}

canStatus canParamDeleteEntry(int index)
{
    Log().Record("canParamDeleteEntry", {index});
    return canERR_NOT_IMPLEMENTED;
}

canStatus canParamGetBusParams(int index, long*, unsigned int*, unsigned int*, unsigned int*, unsigned int*)
{
    Log().Record("canParamGetBusParams", {index});
    return canERR_NOT_IMPLEMENTED;
}

canStatus canParamGetChannelNumber(int index)
{
    Log().Record("canParamGetChannelNumber", {index});
    return canERR_NOT_IMPLEMENTED;
}

canStatus canParamGetCount(void)
{
    Log().Record("canParamGetCount");
    return canERR_NOT_IMPLEMENTED;
}

canStatus canParamGetName(int index, char* buffer, int maxlen)
{
    Log().Record("canParamGetName", {index, maxlen});
    if (buffer && maxlen > 0)
        buffer[0] = '\0';
    return canERR_NOT_IMPLEMENTED;
}

canStatus canParamSwapEntries(int index1, int index2)
{
    Log().Record("canParamSwapEntries", {index1, index2});
    return canERR_NOT_IMPLEMENTED;
}

} // extern "C"
