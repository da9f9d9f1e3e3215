#include "SimDravixDevice.h"

#include "Clock.h"
#include "DravixProtocol.h"

#include <algorithm>

namespace sim {

using namespace dravix;

namespace {

// The test knobs and counters are plain fields under the device's mutex: set
// and read them under it, as the firmware thread of a real adapter would.
template <class T>
void StoreLocked(std::mutex& mutex, T& field, const T& value)
{
    std::lock_guard<std::mutex> lock(mutex);
    field = value;
}

template <class T>
T LoadLocked(std::mutex& mutex, const T& field)
{
    std::lock_guard<std::mutex> lock(mutex);
    return field;
}

} // namespace

std::shared_ptr<SimDravixDevice> SimDravixDevice::Create(SimWorld* world)
{
    return std::shared_ptr<SimDravixDevice>(new SimDravixDevice(world));
}

SimDravixDevice::SimDravixDevice(SimWorld* world) : world_(world)
{
    // "DRVX2", two channels, serial "00001234".
    board_ = {'D', 'R', 'V', 'X', '2', 0, 0, 2, '0', '0', '0', '0', '1', '2', '3', '4'};
}

bool SimDravixDevice::Attach(ch375::DeviceLink* link)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged_ || !link)
        return false;
    link_ = link;
    epochUs_ = tarvel::GetClock().NowUs();
    lastClockSecond_ = ~0ull;
    for (auto& c : channels_)
        c.pending.clear();
    return true;
}

void SimDravixDevice::Detach()
{
    std::lock_guard<std::mutex> lock(mutex_);
    link_ = nullptr;
    StopChannelsLocked();
}

uint64_t SimDravixDevice::DeviceTimeUs() const { return tarvel::GetClock().NowUs() - epochUs_; }

void SimDravixDevice::EmitLocked(unsigned channel, uint32_t word, uint8_t info, const std::array<uint8_t, 8>& data)
{
    if (!link_)
        return;
    const uint64_t now = DeviceTimeUs();
    const uint64_t second = now / 1000000;
    const uint32_t micros = static_cast<uint32_t>(now % 1000000);
    std::vector<uint8_t> bytes;
    if (second != lastClockSecond_) {
        // The clock record carries hours and microseconds within the hour;
        // the records after it carry only the microseconds within the second.
        lastClockSecond_ = second;
        const uint64_t hours = now / 3600000000ull;
        const uint32_t inHour = static_cast<uint32_t>(now % 3600000000ull);
        std::array<uint8_t, 8> clock{};
        for (int i = 0; i < 4; ++i) {
            clock[i] = uint8_t(hours >> (8 * i));
            clock[4 + i] = uint8_t(inHour >> (8 * i));
        }
        const auto r = EncodeAdapterRecord(0, kClockRecord, 0, clock, micros);
        bytes.insert(bytes.end(), r.begin(), r.end());
    }
    const auto r = EncodeAdapterRecord(channel, word, info, data, micros);
    bytes.insert(bytes.end(), r.begin(), r.end());
    link_->PushBulkIn(bytes.data(), bytes.size());
}

void SimDravixDevice::OnBusFrame(unsigned channel, const CanFrame& frame)
{
    std::lock_guard<std::mutex> lock(mutex_);
    uint32_t word = frame.id & (frame.extended ? kIdMask : 0x7FFu);
    if (frame.extended)
        word |= kExtendedBit;
    uint8_t info = std::min<uint8_t>(frame.dlc, 8);
    if (frame.remote)
        info |= kInfoRemote;
    std::array<uint8_t, 8> data{};
    std::copy(frame.data.begin(), frame.data.end(), data.begin());
    EmitLocked(channel, word, info, data);
}

void SimDravixDevice::StartChannelLocked(unsigned channel, uint32_t bitsPerSecond)
{
    ChannelSim& c = channels_[channel];
    c.bitrate = bitsPerSecond;
    if (c.node) {
        c.node->SetBitrate(bitsPerSecond);
        return;
    }
    SimWorld& world = world_ ? *world_ : CurrentWorld();
    c.node = world.Bus(channel)->Attach(bitsPerSecond);
    std::weak_ptr<SimDravixDevice> weak = weak_from_this();
    c.node->SetReceiveHandler([weak, channel](const CanFrame& f) {
        if (auto self = weak.lock())
            self->OnBusFrame(channel, f);
    });
}

void SimDravixDevice::StopChannelsLocked()
{
    for (auto& c : channels_) {
        if (c.node)
            c.node->Detach();
        c.node.reset();
        c.bitrate = 0;
        c.pending.clear();
    }
}

void SimDravixDevice::SendStatusLocked()
{
    std::array<uint8_t, 8> data{};
    for (unsigned i = 0; i < 2; ++i) {
        data[4 * i] = channels_[i].status;
        data[4 * i + 1] = channels_[i].error;
        data[4 * i + 2] = channels_[i].rxErrors;
        data[4 * i + 3] = channels_[i].txErrors;
    }
    EmitLocked(0, kReplyStatus, 0, data);
}

bool SimDravixDevice::BulkOut(const uint8_t* bytes, size_t length)
{
    std::vector<CanFrame> toBus;
    std::shared_ptr<CanNode> node;
    bool sendAck = false;
    std::array<uint8_t, kAckSize> ack{};
    ch375::DeviceLink* link = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (writeFailure_ || !link_)
            return false;
        link = link_;
        Command cmd;
        if (DecodeCommand(bytes, length, cmd)) {
            commands_.push_back(cmd.word);
            const unsigned ch = cmd.Channel();
            switch (cmd.word) {
            case kCmdIdentify: {
                std::array<uint8_t, 8> low{}, high{};
                std::copy(board_.begin(), board_.begin() + 8, low.begin());
                std::copy(board_.begin() + 8, board_.end(), high.begin());
                EmitLocked(0, kReplyBoardLow, 0, low);
                EmitLocked(0, kReplyBoardHigh, 0, high);
                if (!neverReady_) {
                    std::array<uint8_t, 8> ready{};
                    ready[1] = readyByte_;
                    EmitLocked(0, kReplyReady, 0, ready);
                }
                break;
            }
            case kCmdMode:
                channels_[ch].mode = cmd.params;
                break;
            case kCmdBitRate: {
                const BitRate rate = BitRateFromParams(cmd.params);
                const uint32_t bps = rate.raw ? BitsPerSecondOfTiming(uint8_t(rate.value >> 8), uint8_t(rate.value))
                                              : BitsPerSecondOfIndex(rate.value);
                if (bps != 0)
                    StartChannelLocked(ch, bps);
                break;
            }
            case kCmdReset:
                channels_[ch].status = channels_[ch].error = 0;
                channels_[ch].rxErrors = channels_[ch].txErrors = 0;
                channels_[ch].pending.clear();
                break;
            case kCmdWriteUser: {
                const size_t n = std::min<size_t>(cmd.params[1], 6);
                for (size_t i = 0; i < n; ++i)
                    user_[(cmd.params[0] + i) % kUserMemorySize] = cmd.params[2 + i];
                EmitLocked(0, kReplyUserAck, 0, {});
                break;
            }
            case kCmdReadUser: {
                size_t left = cmd.params[1];
                size_t addr = cmd.params[0];
                while (left > 0) {
                    const size_t n = std::min<size_t>(left, 7);
                    std::array<uint8_t, 8> d{};
                    d[0] = uint8_t(n);
                    for (size_t i = 0; i < n; ++i)
                        d[1 + i] = user_[(addr + i) % kUserMemorySize];
                    EmitLocked(0, kReplyUserData, 0, d);
                    addr += n;
                    left -= n;
                }
                break;
            }
            case kCmdClose:
                StopChannelsLocked();
                break;
            case kReplyStatus: // a status request
                SendStatusLocked();
                break;
            default:
                break;
            }
            return true;
        }
        FramePacket packet;
        if (!DecodeFramePacket(bytes, length, packet))
            return true; // the firmware ignores what it cannot parse
        packetHeaders_.push_back(bytes[0]);
        ChannelSim& c = channels_[packet.channel];
        for (const auto& f : packet.frames) {
            std::array<uint8_t, 13> raw{};
            raw[0] = uint8_t(f.word);
            raw[1] = uint8_t(f.word >> 8);
            raw[2] = uint8_t(f.word >> 16);
            raw[3] = uint8_t(f.word >> 24);
            raw[4] = f.info;
            std::copy(f.data.begin(), f.data.end(), raw.begin() + 5);
            c.pending.push_back(raw);
        }
        if (!packet.last)
            return true;
        for (const auto& raw : c.pending) {
            CanFrame f;
            const uint32_t word = uint32_t(raw[0]) | uint32_t(raw[1]) << 8 | uint32_t(raw[2]) << 16 | uint32_t(raw[3]) << 24;
            f.channel = uint8_t(packet.channel);
            f.extended = (word & kExtendedBit) != 0;
            f.id = word & (f.extended ? kIdMask : 0x7FFu);
            f.remote = (raw[4] & kInfoRemote) != 0;
            f.dlc = std::min<uint8_t>(raw[4] & 0x0F, 8);
            std::copy(raw.begin() + 5, raw.end(), f.data.begin());
            toBus.push_back(f);
        }
        c.pending.clear();
        node = c.node;
        const uint8_t mark = uint8_t(packet.channel + 1);
        switch (ackFault_) {
        case AckFault::None: ack = EncodeAck(mark, node ? 0 : 1); sendAck = true; break;
        case AckFault::WrongChannel: ack = EncodeAck(mark == 1 ? 2 : 1, 0); sendAck = true; break;
        case AckFault::ErrorStatus: ack = EncodeAck(mark, 0x01); sendAck = true; break;
        case AckFault::Missing: break;
        }
        if (!node)
            toBus.clear();
        framesSent_ += toBus.size();
        if (sendAck)
            ++batchesAcked_;
    }
    // Outside the lock: a peer on the bus may answer at once, and its answer
    // comes back through OnBusFrame.
    for (const auto& f : toBus)
        node->Send(f);
    if (sendAck)
        link->PushInterrupt(ack.data(), ack.size());
    return true;
}

void SimDravixDevice::SetBoardRecord(const std::array<uint8_t, 16>& record) { StoreLocked(mutex_, board_, record); }

void SimDravixDevice::SetReadyByte(uint8_t value) { StoreLocked(mutex_, readyByte_, value); }

void SimDravixDevice::SetNeverReady(bool on) { StoreLocked(mutex_, neverReady_, on); }

void SimDravixDevice::SetAckFault(AckFault fault) { StoreLocked(mutex_, ackFault_, fault); }

void SimDravixDevice::SetWriteFailure(bool on) { StoreLocked(mutex_, writeFailure_, on); }

void SimDravixDevice::Unplug()
{
    ch375::DeviceLink* link = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        plugged_ = false;
        link = link_;
    }
    // Without the lock: the host's removal routine closes the device, which
    // comes back here through Detach.
    if (link)
        link->DeviceRemoved();
}

void SimDravixDevice::Plug() { StoreLocked(mutex_, plugged_, true); }

void SimDravixDevice::SetChannelStatus(unsigned channel, uint8_t status, uint8_t error, uint8_t rxErrors,
                                       uint8_t txErrors)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (channel >= channels_.size())
        return;
    channels_[channel].status = status;
    channels_[channel].error = error;
    channels_[channel].rxErrors = rxErrors;
    channels_[channel].txErrors = txErrors;
}

void SimDravixDevice::SendStatus()
{
    std::lock_guard<std::mutex> lock(mutex_);
    SendStatusLocked();
}

void SimDravixDevice::SendReply(unsigned channel, uint32_t word, const std::array<uint8_t, 8>& data)
{
    std::lock_guard<std::mutex> lock(mutex_);
    EmitLocked(channel, word, 0, data);
}

void SimDravixDevice::SendRaw(const std::vector<uint8_t>& bytes)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (link_ && !bytes.empty())
        link_->PushBulkIn(bytes.data(), bytes.size());
}

uint32_t SimDravixDevice::ChannelBitrate(unsigned channel) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return channel < channels_.size() && channels_[channel].node ? channels_[channel].bitrate : 0;
}

std::array<uint8_t, 8> SimDravixDevice::ChannelModeParams(unsigned channel) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return channel < channels_.size() ? channels_[channel].mode : std::array<uint8_t, 8>{};
}

std::vector<uint32_t> SimDravixDevice::CommandWords() const { return LoadLocked(mutex_, commands_); }

std::vector<uint8_t> SimDravixDevice::FramePacketHeaders() const { return LoadLocked(mutex_, packetHeaders_); }

size_t SimDravixDevice::BatchesAcknowledged() const { return LoadLocked(mutex_, batchesAcked_); }

size_t SimDravixDevice::FramesTransmitted() const { return LoadLocked(mutex_, framesSent_); }

std::array<uint8_t, SimDravixDevice::kUserMemorySize> SimDravixDevice::UserMemory() const
{
    return LoadLocked(mutex_, user_);
}

void SimDravixDevice::ClearLog()
{
    std::lock_guard<std::mutex> lock(mutex_);
    commands_.clear();
    packetHeaders_.clear();
    batchesAcked_ = 0;
    framesSent_ = 0;
}

bool SimDravixDevice::Attached() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return link_ != nullptr;
}

std::shared_ptr<SimDravixDevice> InstallSimDravixDevice(unsigned index)
{
    auto device = SimDravixDevice::Create(nullptr);
    if (!ch375::InstallDevice(index, device))
        return nullptr;
    return device;
}

} // namespace sim
