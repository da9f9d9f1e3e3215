// Dravix: the per-device tables, the receive threads and the exported calls.
//
// Locking: every exported call on a device, and the device-lost clean-up that
// the USB driver runs on removal, take that device's `api` mutex, so the two
// never interleave. The receive thread never takes `api` (close joins it while
// holding `api`); what it shares with the callers is either atomic (ring
// positions, flags, error words, acceptance values) or guarded by the short
// `data` mutex (board record, user memory replies, error bytes).
#include "Dravix.h"
#include "DravixProtocol.h"
#include "DravixRing.h"

#include "Ch375Layer.h"
#include "Clock.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace dravix {
namespace {

constexpr uint32_t kPipeTimeoutMs = 100;
constexpr uint32_t kReadChunk = 4096;
constexpr int kIdentifyAttempts = 11;
constexpr uint32_t kIdentifyWaitMs = 50;
constexpr uint32_t kThreadStartWaitMs = 100;
constexpr uint32_t kSendTypeSettleMs = 10;
constexpr uint32_t kWriteUserPollLimit = 990;
constexpr uint32_t kReadUserPollLimit = 1000;
constexpr size_t kUserChunk = 6;
constexpr size_t kLoadSamples = 200;
// The ErrCode bits a status reply owns (it sets or clears each of them).
constexpr uint32_t kStatusBits = 0x0001 | 0x0002 | 0x0004 | 0x0008 | 0x0010 | 0x0020 | 0x0040 | 0x0080;

struct ChannelState {
    // Written by the API, read by the receive thread.
    std::atomic<uint32_t> mustOne{0};
    std::atomic<uint32_t> mustZero{0xFFFFFFFFu};
    std::atomic<uint8_t> filterMode{0};
    // API side only (under `api`).
    CanInitConfig config{};
    BitRate bitRate{};
    uint8_t sendType = 0;
    CanFilterRecord filter{};
    bool filterSet = false;
    bool started = false;
    // Shared.
    std::atomic<uint32_t> errCode{0};
    std::atomic<uint8_t> errorState{0};
    uint8_t passive[3] = {0, 0, 0}; // under `data`
    uint8_t arLost = 0;             // under `data`
    std::array<std::atomic<uint8_t>, kLoadSamples> load{};
    size_t loadPos = 0; // receive thread only
    FrameRing ring;
};

struct DeviceState {
    std::mutex api;
    std::mutex data;
    bool open = false;    // marked open: identify answered (under `api`)
    bool usbOpen = false; // the driver handle is held (under `api`)
    std::atomic<bool> ready{false};
    std::atomic<bool> enabled[kChannels] = {{false}, {false}};
    std::atomic<bool> run{false};
    std::atomic<bool> threadStarted{false};
    std::atomic<bool> userAck{false};
    std::thread thread;
    uint8_t board[16] = {};
    uint8_t user[DRAVIX_USER_MEMORY_SIZE] = {};
    size_t userCount = 0;
    ChannelState ch[kChannels];
};

DeviceState g_devices[DRAVIX_MAX_DEVICES];
std::atomic<uint64_t> g_clock{0}; // DravixClock, shared by all devices

DeviceState* Device(uint32_t index) { return index < DRAVIX_MAX_DEVICES ? &g_devices[index] : nullptr; }

// Call-level failures always land in the first channel's word.
void SetApiError(DeviceState& d, uint32_t bit) { d.ch[0].errCode.fetch_or(bit, std::memory_order_acq_rel); }

// The checks the exported calls share. Each sets its error bit when it fails,
// so the call only has to return its own failure value. The calls differ in
// which check comes first and what they return, so the order stays theirs.
bool CheckOpen(DeviceState& d) // under `api`
{
    if (d.open)
        return true;
    SetApiError(d, DRAVIX_ERR_NOT_OPEN);
    return false;
}

bool CheckChannel(DeviceState& d, uint32_t channel)
{
    if (channel < kChannels)
        return true;
    SetApiError(d, DRAVIX_ERR_BAD_INDEX);
    return false;
}

// The adapter answered the identify and enabled at least one channel.
bool HasLiveChannel(const DeviceState& d)
{
    return d.ready.load(std::memory_order_acquire) &&
           (d.enabled[0].load(std::memory_order_acquire) || d.enabled[1].load(std::memory_order_acquire));
}

// A call that has passed the usual checks: it holds the device's `api` lock
// for as long as it lives. `device` (and for a channel call, `channel`) is
// null when a check failed; the lock, if taken, is then released with it.
struct CheckedCall {
    DeviceState* device = nullptr;
    ChannelState* channel = nullptr;
    std::unique_lock<std::mutex> lock;
};

// The device named by `index`, locked and open.
CheckedCall LockOpenDevice(uint32_t index)
{
    CheckedCall call;
    DeviceState* d = Device(index);
    if (!d)
        return call;
    call.lock = std::unique_lock<std::mutex>(d->api);
    if (CheckOpen(*d))
        call.device = d;
    return call;
}

// As LockOpenDevice, then the channel index is checked too.
CheckedCall LockOpenChannel(uint32_t index, uint32_t channel)
{
    CheckedCall call = LockOpenDevice(index);
    if (!call.device)
        return call;
    if (!CheckChannel(*call.device, channel)) {
        call.device = nullptr;
        return call;
    }
    call.channel = &call.device->ch[channel];
    return call;
}

void SleepMs(uint32_t ms) { tarvel::GetClock().SleepMs(ms); }
uint64_t NowMs() { return tarvel::GetClock().NowMs(); }

bool WriteBytes(uint32_t index, const uint8_t* bytes, size_t length)
{
    uint32_t n = static_cast<uint32_t>(length);
    return Usb(index).WriteData(index, bytes, &n) != 0 && n == length;
}

bool SendCommand(uint32_t index, uint8_t header, uint32_t word, const std::array<uint8_t, 8>& params)
{
    const auto packet = EncodeCommand(header, word, params);
    return WriteBytes(index, packet.data(), packet.size());
}

bool SendCommandOn(uint32_t index, unsigned channel, uint32_t word, const std::array<uint8_t, 8>& params)
{
    return SendCommand(index, channel == 1 ? kHeaderChannel2 : kHeaderChannel1, word, params);
}

// ---- receive thread -----------------------------------------------------

void SetStatusBits(ChannelState& c, uint32_t bits)
{
    uint32_t old = c.errCode.load(std::memory_order_relaxed);
    while (!c.errCode.compare_exchange_weak(old, (old & ~kStatusBits) | bits, std::memory_order_acq_rel))
        ;
}

void HandleReply(DeviceState& d, const AdapterRecord& r)
{
    const unsigned ch = static_cast<unsigned>(r.channel);
    if (r.word == kReplyPassive || r.word == kReplyArLost) {
        std::lock_guard<std::mutex> lock(d.data);
        if (r.word == kReplyPassive)
            d.ch[ch].passive[0] = r.data[0];
        else
            d.ch[ch].arLost = r.data[0];
        return;
    }
    if (ch != 0)
        return;
    switch (r.word) {
    case kReplyBoardLow:
    case kReplyBoardHigh: {
        std::lock_guard<std::mutex> lock(d.data);
        std::memcpy(d.board + (r.word == kReplyBoardLow ? 0 : 8), r.data.data(), 8);
        break;
    }
    case kReplyReady:
        if (r.data[1] != 0x00 && r.data[1] != 0xFF) {
            if (r.data[1] & 0x01)
                d.enabled[0].store(true, std::memory_order_release);
            if (r.data[1] & 0x02)
                d.enabled[1].store(true, std::memory_order_release);
            d.ready.store(true, std::memory_order_release);
        }
        break;
    case kReplyStatus:
        for (unsigned c = 0; c < kChannels; ++c) {
            const uint8_t status = r.data[4 * c];
            const uint8_t error = r.data[4 * c + 1];
            uint32_t bits = 0;
            if (status & 0x80) bits |= 0x0001;
            if (status & 0x40) bits |= 0x0002;
            if (status & 0x01) bits |= 0x0020;
            if (status & 0x02) bits |= 0x0040;
            if (error & 0x10) bits |= 0x0080;
            if (error & 0x08) bits |= 0x0004;
            if (error & 0x02) bits |= 0x0008;
            if (error & 0x01) bits |= 0x0010;
            SetStatusBits(d.ch[c], bits);
            d.ch[c].errorState.store((error & 0x20) ? 1 : 0, std::memory_order_release);
            std::lock_guard<std::mutex> lock(d.data);
            d.ch[c].passive[1] = r.data[4 * c + 2];
            d.ch[c].passive[2] = r.data[4 * c + 3];
        }
        break;
    case kReplyUserData: {
        // At most the 7 bytes the record carries, and never past the buffer.
        std::lock_guard<std::mutex> lock(d.data);
        const size_t n = std::min<size_t>({r.data[0], 7, sizeof d.user - d.userCount});
        std::memcpy(d.user + d.userCount, r.data.data() + 1, n);
        d.userCount += n;
        break;
    }
    case kReplyUserAck:
        d.userAck.store(true, std::memory_order_release);
        break;
    default:
        break;
    }
}

uint64_t StampClock(const AdapterRecord& r)
{
    uint64_t old = g_clock.load(std::memory_order_relaxed);
    uint64_t next = AdvanceClock(old, r);
    while (!g_clock.compare_exchange_weak(old, next, std::memory_order_acq_rel))
        next = AdvanceClock(old, r);
    return next;
}

void StoreFrame(ChannelState& c, const AdapterRecord& r, uint64_t stamp)
{
    const Acceptance a{c.mustOne.load(std::memory_order_acquire), c.mustZero.load(std::memory_order_acquire),
                       c.filterMode.load(std::memory_order_acquire)};
    if (!Accepts(a, r.word, r.info))
        return;
    RingEntry e;
    e.word = r.word;
    e.info = r.info;
    e.data = r.data;
    e.timeUs = stamp;
    // A full ring keeps the unread frames and says it lost one.
    if (!c.ring.Push(e))
        c.errCode.fetch_or(DRAVIX_ERR_BUFFER_OVERFLOW, std::memory_order_acq_rel);
}

void ReceivePass(uint32_t index, DeviceState& d, uint8_t* buffer)
{
    uint32_t length = kReadChunk;
    if (!Usb(index).ReadData(index, buffer, &length)) {
        SleepMs(1);
        return;
    }
    size_t kept = 0;
    const size_t records = std::min<uint32_t>(length, kReadChunk) / kAdapterRecordSize;
    for (size_t i = 0; i < records; ++i) {
        const AdapterRecord r = DecodeAdapterRecord(buffer + i * kAdapterRecordSize);
        if (r.skipped)
            continue;
        ++kept;
        const uint64_t stamp = StampClock(r);
        ChannelState& c = d.ch[r.channel];
        const int sample = LoadSample(r);
        if (sample >= 0)
            c.load[c.loadPos].store(static_cast<uint8_t>(sample), std::memory_order_relaxed);
        c.loadPos = (c.loadPos + 1) % kLoadSamples;
        if (r.IsReply())
            HandleReply(d, r);
        else
            StoreFrame(c, r, stamp);
    }
    if (kept == 0)
        SleepMs(1);
}

void ReceiveThread(uint32_t index)
{
    DeviceState& d = g_devices[index];
    d.threadStarted.store(true, std::memory_order_release);
    uint8_t buffer[kReadChunk];
    while (d.run.load(std::memory_order_acquire))
        ReceivePass(index, d, buffer);
}

// Ends the thread: its pending read is aborted and it stops at the end of
// that pass. With the driver handle already closed (or the device gone) every
// further read fails at once; with it still open the join waits at most one
// read time-out.
void StopReceiveThread(uint32_t index, DeviceState& d)
{
    d.run.store(false, std::memory_order_release);
    if (!d.thread.joinable())
        return;
    if (d.thread.get_id() == std::this_thread::get_id()) {
        d.thread.detach();
        return;
    }
    Usb(index).AbortRead(index);
    d.thread.join();
}

void StartReceiveThread(uint32_t index, DeviceState& d)
{
    d.run.store(true, std::memory_order_release);
    d.threadStarted.store(false, std::memory_order_release);
    for (auto& c : d.ch)
        c.ring.Reset();
    d.thread = std::thread(ReceiveThread, index);
}

void CloseUsb(uint32_t index, DeviceState& d)
{
    if (!d.usbOpen)
        return;
    Usb(index).AbortWrite(index);
    Usb(index).AbortRead(index);
    Usb(index).AbortInter(index);
    Usb(index).SetExclusive(index, 0);
    Usb(index).SetBufUpload(index, 0);
    Usb(index).SetBufDownload(index, 0);
    Usb(index).CloseDevice(index);
    d.usbOpen = false;
}

void MarkClosed(DeviceState& d)
{
    d.open = false;
    d.ready.store(false, std::memory_order_release);
    for (unsigned c = 0; c < kChannels; ++c) {
        d.enabled[c].store(false, std::memory_order_release);
        d.ch[c].started = false;
    }
}

void FailOpen(uint32_t index, DeviceState& d)
{
    SetApiError(d, DRAVIX_ERR_OPEN_FAILED);
    CloseUsb(index, d);
    StopReceiveThread(index, d);
    MarkClosed(d);
}

void DeviceLost(uint32_t index)
{
    DeviceState& d = g_devices[index];
    std::lock_guard<std::mutex> lock(d.api);
    d.run.store(false, std::memory_order_release);
    const bool joined = d.thread.joinable() && d.thread.get_id() != std::this_thread::get_id();
    StopReceiveThread(index, d);
    for (auto& c : d.ch) {
        if (joined)
            c.ring.Reset();
        else
            c.ring.Discard();
    }
    SetApiError(d, DRAVIX_ERR_NOT_OPEN);
    Usb(index).SetBufUpload(index, 0);
    Usb(index).SetBufDownload(index, 0);
    if (d.usbOpen) {
        Usb(index).CloseDevice(index);
        d.usbOpen = false;
    }
    MarkClosed(d);
}

// A client that ends without CloseDevice (a program closed while connected)
// must not take the process down: a receive thread still joinable when the
// device table is destroyed would abort the exit. Registered at the first
// open, once the driver's and the clock's own statics exist, so it runs before
// they are destroyed.
void StopReceiveThreadsAtExit()
{
    for (uint32_t i = 0; i < DRAVIX_MAX_DEVICES; ++i) {
        DeviceState& d = g_devices[i];
        std::lock_guard<std::mutex> lock(d.api);
        StopReceiveThread(i, d);
    }
}

void StopReceiveThreadsAtExitOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        tarvel::GetClock(); // the clock the threads sleep on must outlive them
        std::atexit(StopReceiveThreadsAtExit);
    });
}

template <uint32_t Index>
void CH375_CALL RemovalNotify(uint32_t eventCode)
{
    if (eventCode == CH375_DEVICE_REMOVED)
        DeviceLost(Index);
}

constexpr Ch375NotifyRoutine kRemovalRoutines[DRAVIX_MAX_DEVICES] = {
    RemovalNotify<0>, RemovalNotify<1>, RemovalNotify<2>, RemovalNotify<3>, RemovalNotify<4>};

bool WaitForFlag(const std::atomic<bool>& flag, uint32_t ms)
{
    const uint64_t end = NowMs() + ms;
    while (!flag.load(std::memory_order_acquire)) {
        if (NowMs() >= end)
            return false;
        SleepMs(1);
    }
    return true;
}

// Sends one batch of 1..15 frames and checks its acknowledgement.
bool SendBatch(uint32_t index, unsigned channel, const WireFrame* frames, size_t count)
{
    for (const auto& packet : EncodeFrameBatch(channel, frames, count))
        if (!WriteBytes(index, packet.data(), packet.size()))
            return false;
    uint8_t ack[kAckSize] = {};
    uint32_t length = kAckSize;
    if (Usb(index).ReadInter(index, ack, &length) <= 0)
        return false;
    return AckMatches(ack, length, static_cast<uint8_t>(channel + 1));
}

bool SendModeAndBitRate(uint32_t index, unsigned channel, const std::array<uint8_t, 8>& mode, const BitRate& rate)
{
    return SendCommandOn(index, channel, kCmdMode, mode) &&
           SendCommandOn(index, channel, kCmdBitRate, BitRateParams(rate));
}

// Forgets what the channel has reported: error word, error state and the
// error bytes.
void ClearErrors(DeviceState& d, ChannelState& c)
{
    c.errCode.store(0, std::memory_order_release);
    c.errorState.store(0, std::memory_order_release);
    std::lock_guard<std::mutex> dl(d.data);
    std::memset(c.passive, 0, sizeof c.passive);
    c.arLost = 0;
}

void FillRecord(CanFrameRecord& out, const RingEntry& e)
{
    std::memset(&out, 0, sizeof out);
    out.ID = e.word & kIdMask;
    out.TimeStamp = static_cast<uint32_t>(e.timeUs);
    out.TimeFlag = 1;
    out.SendType = 0;
    out.RemoteFlag = (e.info & kInfoRemote) ? 1 : 0;
    out.ExternFlag = (e.word & kExtendedBit) ? 1 : 0;
    out.DataLen = static_cast<uint8_t>(std::min(e.info & 0x0F, 8));
    std::memcpy(out.Data, e.data.data(), 8);
}

} // namespace
} // namespace dravix

using namespace dravix;

extern "C" {

DRAVIX_API uint32_t DRAVIX_CALL OpenDevice(uint32_t, uint32_t DevIndex, uint32_t)
{
    DeviceState* dev = Device(DevIndex);
    if (!dev)
        return 0;
    DeviceState& d = *dev;
    std::lock_guard<std::mutex> lock(d.api);
    for (auto& c : d.ch) {
        ClearErrors(d, c);
        c.sendType = 0;
    }
    // A re-open starts from scratch: one thread per device, ever.
    CloseUsb(DevIndex, d);
    StopReceiveThread(DevIndex, d);
    MarkClosed(d);

    if (UsbOpen(DevIndex) == -1) {
        SetApiError(d, DRAVIX_ERR_OPEN_FAILED);
        return 0;
    }
    d.usbOpen = true;
    StopReceiveThreadsAtExitOnce();
    const Ch375Api& usb = Usb(DevIndex);
    bool ok = usb.SetTimeoutEx(DevIndex, kPipeTimeoutMs, kPipeTimeoutMs, kPipeTimeoutMs, kPipeTimeoutMs) != 0;
    Usb(DevIndex).SetBufUpload(DevIndex, 1);
    Usb(DevIndex).SetBufDownload(DevIndex, 1);
    ok = ok && Usb(DevIndex).SetDeviceNotify(DevIndex, nullptr, kRemovalRoutines[DevIndex]) != 0;
    if (!ok) {
        FailOpen(DevIndex, d);
        return 0;
    }
    Usb(DevIndex).SetExclusive(DevIndex, 1);
    for (auto& c : d.ch) {
        c.filterSet = false;
        c.filter = CanFilterRecord{};
        for (auto& s : c.load)
            s.store(0, std::memory_order_relaxed);
        c.loadPos = 0;
    }
    // Cleared before the thread starts so no reply can slip in between.
    d.ready.store(false, std::memory_order_release);
    StartReceiveThread(DevIndex, d);
    WaitForFlag(d.threadStarted, kThreadStartWaitMs);

    for (int attempt = 0; attempt < kIdentifyAttempts; ++attempt) {
        if (d.ready.load(std::memory_order_acquire))
            break;
        if (!SendCommand(DevIndex, kHeaderChannel1, kCmdIdentify, {})) {
            FailOpen(DevIndex, d);
            return 0;
        }
        WaitForFlag(d.ready, kIdentifyWaitMs);
    }
    if (!d.ready.load(std::memory_order_acquire)) {
        FailOpen(DevIndex, d);
        return 0;
    }
    d.open = true;
    for (auto& c : d.ch)
        c.started = false;
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL CloseDevice(uint32_t, uint32_t DevIndex)
{
    DeviceState* dev = Device(DevIndex);
    if (!dev)
        return 0;
    DeviceState& d = *dev;
    std::lock_guard<std::mutex> lock(d.api);
    d.run.store(false, std::memory_order_release);
    if (d.open)
        SendCommand(DevIndex, kHeaderChannel1, kCmdClose, {});
    CloseUsb(DevIndex, d);
    StopReceiveThread(DevIndex, d);
    MarkClosed(d);
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL InitCAN(uint32_t, uint32_t DevIndex, uint32_t CANIndex, const CanInitConfig* cfg)
{
    const CheckedCall call = LockOpenChannel(DevIndex, CANIndex);
    if (!call.channel)
        return 0;
    if (!cfg)
        return 0;
    ChannelState& c = *call.channel;
    c.config = *cfg;
    const Acceptance a = AcceptanceFrom(*cfg);
    c.mustOne.store(a.mustOne, std::memory_order_release);
    c.mustZero.store(a.mustZero, std::memory_order_release);
    c.filterMode.store(a.mode, std::memory_order_release);
    c.bitRate = BitRateFromTimingPair(static_cast<uint16_t>(cfg->Timing0 << 8 | cfg->Timing1));
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL StartCAN(uint32_t, uint32_t DevIndex, uint32_t CANIndex)
{
    const CheckedCall call = LockOpenChannel(DevIndex, CANIndex);
    if (!call.channel)
        return 0;
    ChannelState& c = *call.channel;
    if (!SendModeAndBitRate(DevIndex, CANIndex, ModeParamsForInitMode(c.config.Mode), c.bitRate)) {
        SetApiError(*call.device, DRAVIX_ERR_COMMAND);
        return 0;
    }
    c.started = true;
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL ResetCAN(uint32_t, uint32_t DevIndex, uint32_t CANIndex)
{
    const CheckedCall call = LockOpenChannel(DevIndex, CANIndex);
    if (!call.channel)
        return 0;
    DeviceState& d = *call.device;
    ChannelState& c = *call.channel;
    if (!c.started)
        return 1;
    if (!SendCommandOn(DevIndex, CANIndex, kCmdReset, {})) {
        SetApiError(d, DRAVIX_ERR_COMMAND);
        return 0;
    }
    ClearErrors(d, c);
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL Transmit(uint32_t, uint32_t DevIndex, uint32_t CANIndex, const CanFrameRecord* frames,
                                         uint32_t Len)
{
    DeviceState* dev = Device(DevIndex);
    if (!dev)
        return DRAVIX_FAILED;
    DeviceState& d = *dev;
    std::lock_guard<std::mutex> lock(d.api);
    // The index first; a device that is not open and ready (or has no
    // channel enabled) then fails without an error bit of its own.
    if (!CheckChannel(d, CANIndex))
        return DRAVIX_FAILED;
    if (!d.open || !HasLiveChannel(d))
        return DRAVIX_FAILED;
    if (!frames)
        return Len == 0 ? 0 : DRAVIX_FAILED;
    ChannelState& c = d.ch[CANIndex];
    // A change of send type goes out first, even for a call without frames.
    if (frames[0].SendType != c.sendType) {
        if (frames[0].SendType < 4)
            c.sendType = frames[0].SendType;
        if (!SendModeAndBitRate(DevIndex, CANIndex, ModeParamsForSendType(c.sendType), c.bitRate)) {
            SetApiError(d, DRAVIX_ERR_COMMAND);
            return DRAVIX_FAILED;
        }
        SleepMs(kSendTypeSettleMs);
    }
    if (Len == 0)
        return 0;
    WireFrame batch[kFramesPerBatch];
    for (uint32_t first = 0; first < Len; first += kFramesPerBatch) {
        const size_t n = std::min<size_t>(kFramesPerBatch, Len - first);
        for (size_t i = 0; i < n; ++i)
            batch[i] = ToWireFrame(frames[first + i]);
        if (!SendBatch(DevIndex, CANIndex, batch, n)) {
            SetApiError(d, DRAVIX_ERR_COMMAND);
            return DRAVIX_FAILED;
        }
    }
    return Len;
}

DRAVIX_API uint32_t DRAVIX_CALL Receive(uint32_t, uint32_t DevIndex, uint32_t CANIndex, CanFrameRecord* out,
                                        uint32_t Len, uint32_t WaitTime)
{
    DeviceState* dev = Device(DevIndex);
    if (!dev)
        return DRAVIX_FAILED;
    DeviceState& d = *dev;
    const uint64_t start = NowMs();
    {
        std::lock_guard<std::mutex> lock(d.api);
        if (!CheckOpen(d))
            return DRAVIX_FAILED;
        if (!HasLiveChannel(d))
            return 0;
        if (!CheckChannel(d, CANIndex))
            return DRAVIX_FAILED;
        if (!out || Len == 0)
            return 0;
    }
    FrameRing& ring = d.ch[CANIndex].ring;
    for (;;) {
        {
            // Under `api` so a device-lost clean-up cannot reset the ring
            // while an entry is being copied out.
            std::lock_guard<std::mutex> lock(d.api);
            uint32_t taken = 0;
            RingEntry e;
            while (taken < Len && ring.Pop(e))
                FillRecord(out[taken++], e);
            if (taken > 0)
                return taken;
        }
        if (NowMs() - start >= WaitTime) {
            SleepMs(1);
            return 0;
        }
        SleepMs(1);
    }
}

DRAVIX_API uint32_t DRAVIX_CALL GetReceiveNum(uint32_t, uint32_t DevIndex, uint32_t CANIndex)
{
    DeviceState* dev = Device(DevIndex);
    if (!dev)
        return 0;
    // Channel 1 counts the second ring, any other index the first; the
    // device state is not checked.
    return dev->ch[CANIndex == 1 ? 1 : 0].ring.Count();
}

DRAVIX_API uint32_t DRAVIX_CALL ClearBuffer(uint32_t, uint32_t DevIndex, uint32_t CANIndex)
{
    DeviceState* dev = Device(DevIndex);
    if (!dev)
        return 0;
    // Both rings of the device, whatever channel was named.
    (void)CANIndex;
    std::lock_guard<std::mutex> lock(dev->api);
    for (auto& c : dev->ch)
        c.ring.Discard();
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL ReadBoardInfo(uint32_t, uint32_t DevIndex, CanBoardInfo* info)
{
    DeviceState* dev = Device(DevIndex);
    if (!dev || !info)
        return 0;
    DeviceState& d = *dev;
    std::lock_guard<std::mutex> lock(d.api);
    std::lock_guard<std::mutex> dl(d.data);
    info->hw_Version = 0x012D;
    info->fw_Version = 0x0103;
    info->dr_Version = 0x0100;
    info->in_Version = 0x0101;
    info->irq_Num = 0;
    info->can_Num = d.board[7];
    info->str_Serial_Num[0] = 'Q';
    info->str_Serial_Num[1] = 'Z';
    std::memcpy(info->str_Serial_Num + 2, d.board + 7, 9);
    info->str_Serial_Num[11] = '\0';
    std::memcpy(info->str_hw_Type, d.board, 5);
    // Terminated here too, so a caller that did not zero the record still
    // gets a string.
    info->str_hw_Type[5] = '\0';
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL ReadErrInfo(uint32_t, uint32_t DevIndex, uint32_t CANIndex, CanErrorInfo* err)
{
    DeviceState* dev = Device(DevIndex);
    if (!dev || !err)
        return 0;
    if (CANIndex == 0xFFFFFFFFu)
        CANIndex = 0;
    if (!CheckChannel(*dev, CANIndex))
        return 0;
    ChannelState& c = dev->ch[CANIndex];
    std::lock_guard<std::mutex> dl(dev->data);
    err->ErrCode = c.errCode.load(std::memory_order_acquire);
    std::memcpy(err->Passive_ErrData, c.passive, 3);
    err->ArLost_ErrData = c.arLost;
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL ReadCANStatus(uint32_t, uint32_t DevIndex, uint32_t CANIndex, void*)
{
    DeviceState* dev = Device(DevIndex);
    if (!dev)
        return 0;
    if (!CheckChannel(*dev, CANIndex))
        return 0;
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL GetReference(uint32_t, uint32_t DevIndex, uint32_t CANIndex, uint32_t RefType,
                                             void* data)
{
    DeviceState* dev = Device(DevIndex);
    if (!dev)
        return 0;
    DeviceState& d = *dev;
    if (!CheckChannel(d, CANIndex))
        return 0;
    if (!d.ready.load(std::memory_order_acquire))
        return 0;
    if (!d.enabled[1].load(std::memory_order_acquire))
        return 1;
    if (RefType != 11 || !data)
        return 0;
    ChannelState& c = d.ch[CANIndex];
    uint32_t sum = 0;
    for (auto& s : c.load)
        sum += s.load(std::memory_order_relaxed);
    const uint32_t load = std::min<uint32_t>(sum / kLoadSamples, 100);
    const uint32_t code = c.errCode.load(std::memory_order_acquire);
    uint16_t word = static_cast<uint16_t>(load << 8);
    if (c.errorState.load(std::memory_order_acquire) == 1) word |= 0x80;
    if (code & 0x02) word |= 0x40;
    if (code & 0x01) word |= 0x20;
    if (code & 0x80) word |= 0x08;
    std::memcpy(data, &word, sizeof word);
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL SetReference(uint32_t, uint32_t DevIndex, uint32_t CANIndex, uint32_t RefType,
                                             void* data)
{
    const CheckedCall call = LockOpenChannel(DevIndex, CANIndex);
    if (!call.channel)
        return 0;
    ChannelState& c = *call.channel;
    if (RefType == 0) {
        if (!data)
            return 0;
        uint32_t value;
        std::memcpy(&value, data, sizeof value);
        c.bitRate = BitRateFromReference(value);
    } else if (RefType == 1) {
        if (!data)
            return 0;
        std::memcpy(&c.filter, data, sizeof c.filter);
        c.filterSet = true;
    }
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL WriteD(uint32_t, uint32_t DevIndex, uint32_t Addr, uint32_t Len, const void* data)
{
    const CheckedCall call = LockOpenDevice(DevIndex);
    if (!call.device)
        return 0;
    DeviceState& d = *call.device;
    // The adapter's user memory is 256 bytes addressed by one byte: a write
    // that would run past its end (and wrap onto its start) is refused.
    if ((Len > 0 && !data) || Addr >= DRAVIX_USER_MEMORY_SIZE || Len > DRAVIX_USER_MEMORY_SIZE - Addr)
        return 0;
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint32_t polls = 0;
    uint32_t offset = 0;
    do {
        const uint32_t n = std::min<uint32_t>(kUserChunk, Len - offset);
        std::array<uint8_t, 8> params{};
        params[0] = static_cast<uint8_t>(Addr + offset);
        params[1] = static_cast<uint8_t>(n);
        if (n > 0)
            std::memcpy(&params[2], bytes + offset, n);
        d.userAck.store(false, std::memory_order_release);
        if (!SendCommand(DevIndex, kHeaderChannel1, kCmdWriteUser, params)) {
            SetApiError(d, DRAVIX_ERR_COMMAND);
            return 0;
        }
        while (!d.userAck.load(std::memory_order_acquire)) {
            if (++polls >= kWriteUserPollLimit)
                return 0;
            SleepMs(1);
        }
        offset += n;
    } while (offset < Len);
    return 1;
}

DRAVIX_API uint32_t DRAVIX_CALL ReadD(uint32_t, uint32_t DevIndex, uint32_t Addr, uint32_t Len, void* data)
{
    const CheckedCall call = LockOpenDevice(DevIndex);
    if (!call.device)
        return 0;
    DeviceState& d = *call.device;
    // The length travels in one byte, and the reply never fills more than
    // the caller asked for.
    if ((Len > 0 && !data) || Len > 255 || Addr >= DRAVIX_USER_MEMORY_SIZE || Len > DRAVIX_USER_MEMORY_SIZE - Addr)
        return 0;
    {
        std::lock_guard<std::mutex> dl(d.data);
        d.userCount = 0;
    }
    std::array<uint8_t, 8> params{};
    params[0] = static_cast<uint8_t>(Addr);
    params[1] = static_cast<uint8_t>(Len);
    if (!SendCommand(DevIndex, kHeaderChannel1, kCmdReadUser, params)) {
        SetApiError(d, DRAVIX_ERR_COMMAND);
        return 0;
    }
    for (uint32_t polls = 0;; ++polls) {
        {
            std::lock_guard<std::mutex> dl(d.data);
            if (d.userCount >= Len) {
                if (Len > 0)
                    std::memcpy(data, d.user, Len);
                return 1;
            }
        }
        if (polls >= kReadUserPollLimit)
            return 0;
        SleepMs(1);
    }
}

DRAVIX_API uint32_t DRAVIX_CALL canIoctl(uint32_t DevIndex, uint32_t Channel, uint32_t Code, void* data)
{
    DeviceState* dev = Device(DevIndex);
    if (!dev || !data)
        return DRAVIX_IOCTL_FAILED;
    if (Code == 7 || Code == 8) {
        const uint64_t value = Code == 7 ? 1000000ull : g_clock.load(std::memory_order_acquire);
        std::memcpy(data, &value, sizeof value);
        return 0;
    }
    // Which USB layer the device was opened on: 1 the adapter's chip on the
    // USB hardware, 2 the stand-in (the simulated adapter), 0 not open; 3
    // after an open that failed because the attached chip refused it.
    if (Code == DRAVIX_IOCTL_USB_LAYER) {
        std::lock_guard<std::mutex> lock(dev->api);
        const UsbLayer layer = UsbLayerOf(DevIndex);
        uint64_t value = 0;
        if (dev->open)
            value = layer == UsbLayer::Hardware ? 1u : layer == UsbLayer::Standin ? 2u : 0u;
        else if (layer == UsbLayer::Refused)
            value = 3;
        std::memcpy(data, &value, sizeof value);
        return 0;
    }
    DeviceState& d = *dev;
    std::lock_guard<std::mutex> lock(d.api);
    std::array<uint8_t, 8> params;
    std::memcpy(params.data(), data, params.size());
    if (!SendCommand(DevIndex, Channel == 1 ? kHeaderChannel1 : kHeaderChannel2, Code, params)) {
        SetApiError(d, DRAVIX_ERR_COMMAND);
        return DRAVIX_IOCTL_FAILED;
    }
    return 0;
}

} // extern "C"
