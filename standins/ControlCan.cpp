#include "ControlCanStandin.h"

#include "Clock.h"
#include "SimWorld.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

namespace {

constexpr uint32_t kChannels = 2;
constexpr uint32_t kMaxDevices = 8;
constexpr size_t kQueueLimit = 2048; // frames kept per channel, like the adapter's ring

struct Channel {
    std::mutex mutex; // guards queue and the filter fields the receive handler reads
    bool initialised = false;
    CanInitConfig config{};
    uint32_t referenceRate = 0;
    bool rangeEntered = false;
    bool rangeActive = false;
    CanFilterRecord range{};
    bool started = false;
    std::shared_ptr<sim::CanNode> node;
    std::deque<CanFrameRecord> queue;
    bool overflow = false; // frames were lost to a full queue; reported once
};

struct Device {
    std::shared_ptr<Channel> channels[kChannels];
    Device()
    {
        for (auto& c : channels)
            c = std::make_shared<Channel>();
    }
};

std::mutex g_mutex;
std::map<std::pair<uint32_t, uint32_t>, std::shared_ptr<Device>> g_devices;
std::map<std::tuple<uint32_t, uint32_t, uint32_t>, uint32_t> g_errorWords;

standin::LibraryLog& Log()
{
    static standin::LibraryLog log("ControlCAN");
    return log;
}

bool Injected(const char* name, uint32_t& result)
{
    int64_t r = 0;
    if (!Log().TakeFailure(name, r))
        return false;
    result = static_cast<uint32_t>(r);
    return true;
}

// The start of every entry point: the call goes into the log, then a failure
// a test armed for it (true, with the result to return) stands in for its work.
bool LogAndInject(const char* name, std::vector<int64_t> args, uint32_t& result)
{
    Log().Record(name, std::move(args));
    return Injected(name, result);
}

void AddError(uint32_t type, uint32_t index, uint32_t can, uint32_t bits)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_errorWords[{type, index, can}] |= bits;
}

std::shared_ptr<Device> FindDevice(uint32_t type, uint32_t index)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_devices.find({type, index});
    return it == g_devices.end() ? nullptr : it->second;
}

std::shared_ptr<Channel> FindChannel(uint32_t type, uint32_t index, uint32_t can)
{
    if (can >= kChannels) {
        AddError(type, index, 0, 0x1000); // "此设备不存在"
        return nullptr;
    }
    auto dev = FindDevice(type, index);
    if (!dev) {
        AddError(type, index, can, 0x0400); // device not open
        return nullptr;
    }
    return dev->channels[can];
}

void StopChannel(Channel& ch)
{
    std::shared_ptr<sim::CanNode> node;
    {
        std::lock_guard<std::mutex> lock(ch.mutex);
        node = std::move(ch.node);
        ch.started = false;
        ch.queue.clear();
    }
    if (node)
        node->Detach();
}

void OnBusFrame(const std::weak_ptr<Channel>& weak, const sim::CanFrame& f)
{
    auto ch = weak.lock();
    if (!ch)
        return;
    std::lock_guard<std::mutex> lock(ch->mutex);
    if (!ch->started)
        return;
    const uint8_t dlc = f.dlc > 8 ? 8 : f.dlc;
    if (!standin::ControlCanAccepts(ch->config.AccCode, ch->config.AccMask, f.id, f.extended, f.remote,
                                    f.data.data(), dlc))
        return;
    if (ch->rangeActive) {
        const bool wantExtended = ch->range.Kind == 1;
        if (f.extended != wantExtended || f.id < ch->range.StartId || f.id > ch->range.EndId)
            return;
    }
    if (ch->queue.size() >= kQueueLimit) {
        ch->overflow = true;
        return;
    }
    CanFrameRecord r{};
    r.ID = f.id;
    r.TimeStamp = static_cast<uint32_t>(f.timeUs / 100);
    r.TimeFlag = 1;
    r.RemoteFlag = f.remote ? 1 : 0;
    r.ExternFlag = f.extended ? 1 : 0;
    r.DataLen = dlc;
    std::memcpy(r.Data, f.data.data(), dlc);
    ch->queue.push_back(r);
}

} // namespace

namespace standin {

LibraryLog& ControlCanLog() { return Log(); }

void ControlCanSetErrorWord(uint32_t devType, uint32_t devIndex, uint32_t canIndex, uint32_t errCode)
{
    AddError(devType, devIndex, canIndex, errCode);
}

void ControlCanReset()
{
    std::map<std::pair<uint32_t, uint32_t>, std::shared_ptr<Device>> devices;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        devices.swap(g_devices);
        g_errorWords.clear();
    }
    for (auto& d : devices)
        for (auto& c : d.second->channels)
            StopChannel(*c);
    Log().Clear();
    Log().ClearFailures();
}

uint32_t ControlCanBitrateOfReference(uint32_t code)
{
    switch (code) {
    case 0x00060003: return 1000000;
    case 0x00060004: return 800000;
    case 0x00060007: return 500000;
    case 0x001C0008: return 250000;
    case 0x001C0011: return 125000;
    case 0x00160023: return 100000;
    case 0x001C002C: return 50000;
    case 0x001600B3: return 20000;
    case 0x001C00E0: return 10000;
    case 0x001C01C1: return 5000;
    default: return 0;
    }
}

uint32_t ControlCanBitrateOfTiming(uint8_t timing0, uint8_t timing1)
{
    // SJA1000 at 16 MHz: tq = 2 * (BRP + 1) / 16 MHz, one bit = 1 + TSEG1 + TSEG2 quanta.
    const uint32_t brp = (timing0 & 0x3Fu) + 1;
    const uint32_t tseg1 = (timing1 & 0x0Fu) + 1;
    const uint32_t tseg2 = ((timing1 >> 4) & 0x07u) + 1;
    return 8000000u / (brp * (1 + tseg1 + tseg2));
}

bool ControlCanAccepts(uint32_t accCode, uint32_t accMask, uint32_t id, bool extended, bool remote,
                       const uint8_t* data, uint8_t dlc)
{
    // Single-filter mode: the four acceptance bytes line up with the frame's
    // identifier bits, then RTR, then (standard frames) the first data bytes.
    // A mask bit of 1 means "don't care".
    uint32_t word;
    if (extended) {
        word = ((id & 0x1FFFFFFFu) << 3) | (remote ? 0x4u : 0u);
    } else {
        word = ((id & 0x7FFu) << 21) | (remote ? (1u << 20) : 0u);
        if (dlc > 0)
            word |= static_cast<uint32_t>(data[0]) << 8;
        if (dlc > 1)
            word |= data[1];
        accMask |= 0x000F0000u; // unused bits 19..16 always pass
    }
    if (extended)
        accMask |= 0x3u; // the two lowest bits are unused for extended frames
    return ((word ^ accCode) & ~accMask) == 0;
}

} // namespace standin

extern "C" {

uint32_t VCI_OpenDevice(uint32_t devType, uint32_t devIndex, uint32_t reserved)
{
    uint32_t r;
    if (LogAndInject("VCI_OpenDevice", {devType, devIndex, reserved}, r)) {
        AddError(devType, devIndex, 0, 0x0200);
        return r;
    }
    if (devIndex >= kMaxDevices) {
        AddError(devType, devIndex, 0, 0x1000);
        return 0;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    auto& dev = g_devices[{devType, devIndex}];
    if (dev) {
        g_errorWords[{devType, devIndex, 0}] |= 0x0100; // already open
        return 0;
    }
    dev = std::make_shared<Device>();
    return 1;
}

uint32_t VCI_CloseDevice(uint32_t devType, uint32_t devIndex)
{
    uint32_t r;
    if (LogAndInject("VCI_CloseDevice", {devType, devIndex}, r))
        return r;
    std::shared_ptr<Device> dev;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_devices.find({devType, devIndex});
        if (it == g_devices.end())
            return 0;
        dev = it->second;
        g_devices.erase(it);
    }
    for (auto& c : dev->channels)
        StopChannel(*c);
    return 1;
}

uint32_t VCI_SetReference(uint32_t devType, uint32_t devIndex, uint32_t canIndex, uint32_t refType, void* data)
{
    uint32_t r;
    if (LogAndInject("VCI_SetReference",
                     {devType, devIndex, canIndex, refType,
                      data && refType != VCI_REF_FILTER_APPLY && refType != VCI_REF_FILTER_ENTRY
                          ? static_cast<int64_t>(*static_cast<const uint32_t*>(data))
                          : -1},
                     r))
        return r;
    auto ch = FindChannel(devType, devIndex, canIndex);
    if (!ch)
        return 0;
    std::lock_guard<std::mutex> lock(ch->mutex);
    switch (refType) {
    case VCI_REF_TIMING: {
        if (!data)
            return 0;
        const uint32_t rate = standin::ControlCanBitrateOfReference(*static_cast<const uint32_t*>(data));
        if (rate == 0)
            return 0;
        ch->referenceRate = rate;
        return 1;
    }
    case VCI_REF_FILTER_ENTRY: {
        if (!data)
            return 0;
        CanFilterRecord rec;
        std::memcpy(&rec, data, sizeof rec);
        if (rec.EndId < rec.StartId)
            return 0;
        ch->range = rec;
        ch->rangeEntered = true;
        return 1;
    }
    case VCI_REF_FILTER_APPLY:
        if (!ch->rangeEntered)
            return 0;
        ch->rangeActive = true;
        return 1;
    case VCI_REF_SEND_TIMEOUT:
        return data ? 1 : 0;
    default:
        return 0;
    }
}

uint32_t VCI_InitCAN(uint32_t devType, uint32_t devIndex, uint32_t canIndex, const CanInitConfig* config)
{
    uint32_t r;
    if (LogAndInject("VCI_InitCAN",
                     {devType, devIndex, canIndex, config ? static_cast<int64_t>(config->AccCode) : -1,
                      config ? static_cast<int64_t>(config->AccMask) : -1, config ? config->Timing0 : -1,
                      config ? config->Timing1 : -1},
                     r))
        return r;
    if (!config)
        return 0;
    auto ch = FindChannel(devType, devIndex, canIndex);
    if (!ch)
        return 0;
    std::lock_guard<std::mutex> lock(ch->mutex);
    ch->config = *config;
    ch->initialised = true;
    return 1;
}

uint32_t VCI_ReadBoardInfo(uint32_t devType, uint32_t devIndex, CanBoardInfo* info)
{
    uint32_t r;
    if (LogAndInject("VCI_ReadBoardInfo", {devType, devIndex}, r))
        return r;
    if (!info || !FindDevice(devType, devIndex))
        return 0;
    std::memset(info, 0, sizeof *info);
    info->hw_Version = 0x0100;
    info->fw_Version = 0x0100;
    info->dr_Version = 0x0100;
    info->in_Version = 0x0100;
    info->can_Num = kChannels;
    std::snprintf(info->str_Serial_Num, sizeof info->str_Serial_Num, "SIM%08X", devIndex);
    std::snprintf(info->str_hw_Type, sizeof info->str_hw_Type, "Virtual CAN %u", devType);
    return 1;
}

uint32_t VCI_ReadErrInfo(uint32_t devType, uint32_t devIndex, uint32_t canIndex, CanErrorInfo* info)
{
    uint32_t r;
    if (LogAndInject("VCI_ReadErrInfo", {devType, devIndex, canIndex}, r))
        return r;
    if (!info)
        return 0;
    std::memset(info, 0, sizeof *info);
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        // Reading the record clears it, as the adapter does.
        auto it = g_errorWords.find({devType, devIndex, canIndex});
        if (it != g_errorWords.end()) {
            info->ErrCode = it->second;
            g_errorWords.erase(it);
        }
    }
    // Frames dropped by a full receive queue show as "缓冲区溢出".
    if (canIndex < kChannels) {
        if (auto dev = FindDevice(devType, devIndex)) {
            Channel& ch = *dev->channels[canIndex];
            std::lock_guard<std::mutex> lock(ch.mutex);
            if (ch.overflow)
                info->ErrCode |= 0x0800;
            ch.overflow = false;
        }
    }
    return 1;
}

uint32_t VCI_StartCAN(uint32_t devType, uint32_t devIndex, uint32_t canIndex)
{
    uint32_t r;
    if (LogAndInject("VCI_StartCAN", {devType, devIndex, canIndex}, r))
        return r;
    auto ch = FindChannel(devType, devIndex, canIndex);
    if (!ch)
        return 0;
    uint32_t rate;
    {
        std::lock_guard<std::mutex> lock(ch->mutex);
        if (!ch->initialised)
            return 0;
        if (ch->started)
            return 1;
        rate = ch->referenceRate ? ch->referenceRate
                                 : standin::ControlCanBitrateOfTiming(ch->config.Timing0, ch->config.Timing1);
    }
    auto node = sim::CurrentWorld().Bus(canIndex)->Attach(rate);
    std::weak_ptr<Channel> weak = ch;
    node->SetReceiveHandler([weak](const sim::CanFrame& f) { OnBusFrame(weak, f); });
    std::lock_guard<std::mutex> lock(ch->mutex);
    ch->node = std::move(node);
    ch->started = true;
    return 1;
}

uint32_t VCI_ResetCAN(uint32_t devType, uint32_t devIndex, uint32_t canIndex)
{
    uint32_t r;
    if (LogAndInject("VCI_ResetCAN", {devType, devIndex, canIndex}, r))
        return r;
    auto ch = FindChannel(devType, devIndex, canIndex);
    if (!ch)
        return 0;
    StopChannel(*ch);
    return 1;
}

uint32_t VCI_ClearBuffer(uint32_t devType, uint32_t devIndex, uint32_t canIndex)
{
    uint32_t r;
    if (LogAndInject("VCI_ClearBuffer", {devType, devIndex, canIndex}, r))
        return r;
    auto ch = FindChannel(devType, devIndex, canIndex);
    if (!ch)
        return 0;
    std::lock_guard<std::mutex> lock(ch->mutex);
    ch->queue.clear();
    return 1;
}

uint32_t VCI_GetReceiveNum(uint32_t devType, uint32_t devIndex, uint32_t canIndex)
{
    uint32_t r;
    if (LogAndInject("VCI_GetReceiveNum", {devType, devIndex, canIndex}, r))
        return r;
    auto ch = FindChannel(devType, devIndex, canIndex);
    if (!ch)
        return VCI_RESULT_ERROR;
    std::lock_guard<std::mutex> lock(ch->mutex);
    return static_cast<uint32_t>(ch->queue.size());
}

uint32_t VCI_Receive(uint32_t devType, uint32_t devIndex, uint32_t canIndex, CanFrameRecord* frames, uint32_t len,
                     int32_t waitMs)
{
    uint32_t r;
    if (LogAndInject("VCI_Receive", {devType, devIndex, canIndex, len, waitMs}, r))
        return r;
    auto ch = FindChannel(devType, devIndex, canIndex);
    if (!ch || !frames)
        return VCI_RESULT_ERROR;
    auto& clock = tarvel::GetClock();
    const uint64_t deadline = clock.NowMs() + (waitMs > 0 ? static_cast<uint64_t>(waitMs) : 0);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(ch->mutex);
            if (!ch->queue.empty() || clock.NowMs() >= deadline) {
                uint32_t n = 0;
                while (n < len && !ch->queue.empty()) {
                    frames[n++] = ch->queue.front();
                    ch->queue.pop_front();
                }
                return n;
            }
        }
        // Sleep outside the lock: on a virtual clock the sleep runs the peers
        // whose frames end up in this queue.
        clock.SleepMs(1);
    }
}

uint32_t VCI_Transmit(uint32_t devType, uint32_t devIndex, uint32_t canIndex, const CanFrameRecord* frames,
                      uint32_t len)
{
    uint32_t r;
    if (LogAndInject("VCI_Transmit",
                     {devType, devIndex, canIndex, frames && len ? static_cast<int64_t>(frames[0].ID) : -1, len}, r))
        return r;
    auto ch = FindChannel(devType, devIndex, canIndex);
    if (!ch || !frames)
        return 0;
    std::shared_ptr<sim::CanNode> node;
    {
        std::lock_guard<std::mutex> lock(ch->mutex);
        if (!ch->started)
            return 0;
        node = ch->node;
    }
    uint32_t sent = 0;
    for (uint32_t i = 0; i < len; ++i) {
        const CanFrameRecord& in = frames[i];
        if (in.DataLen > 8)
            break;
        sim::CanFrame f;
        f.channel = static_cast<uint8_t>(canIndex);
        f.id = in.ExternFlag ? (in.ID & 0x1FFFFFFFu) : (in.ID & 0x7FFu);
        f.extended = in.ExternFlag != 0;
        f.remote = in.RemoteFlag != 0;
        f.dlc = in.DataLen;
        std::memcpy(f.data.data(), in.Data, in.DataLen);
        if (!node->Send(f)) {
            AddError(devType, devIndex, canIndex, 0x0010); // bus error: nobody acknowledged
            break;
        }
        ++sent;
    }
    return sent;
}

} // extern "C"
