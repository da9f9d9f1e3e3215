// The simulated Dravix USB-CAN adapter: the firmware side of the CH375 pipes.
// It answers identify (board record in two replies, then ready), takes mode,
// bit-rate, reset and user-memory commands, puts transmitted frame batches on
// the virtual CAN bus of its channel and acknowledges each batch on the
// interrupt pipe, and sends every bus frame back as a 16-byte adapter record
// with channel marks and time (preceded by a clock record whenever the second
// changes). Faults can be injected for tests.
//
// Channel c is wired to sim::CurrentWorld().Bus(c) unless a world is given;
// the bus is looked up when the bit-rate command starts the channel, so a
// test's ScopedWorld applies.
#pragma once

#include "Ch375Device.h"
#include "SimWorld.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace sim {

class SimDravixDevice : public ch375::Device, public std::enable_shared_from_this<SimDravixDevice> {
public:
    enum class AckFault {
        None,
        WrongChannel, // byte 1 names the other channel
        ErrorStatus,  // byte 2 is not 0
        Missing,      // no acknowledgement at all
    };

    static constexpr size_t kUserMemorySize = 256;

    static std::shared_ptr<SimDravixDevice> Create(SimWorld* world = nullptr);

    // ch375::Device
    bool Attach(ch375::DeviceLink* link) override;
    void Detach() override;
    bool BulkOut(const uint8_t* data, size_t length) override;

    // The 16 bytes the identify replies carry (hardware type in 0..4, channel
    // count in 7, serial characters in 7..15).
    void SetBoardRecord(const std::array<uint8_t, 16>& record);
    // Data byte 1 of the ready reply: bit 0 first channel, bit 1 second.
    void SetReadyByte(uint8_t value);

    // Faults.
    void SetNeverReady(bool on);
    void SetAckFault(AckFault fault);
    void SetWriteFailure(bool on);
    // Unplugs the device: the host's pending transfers fail and its removal
    // routine runs on this thread. Plug() makes it openable again.
    void Unplug();
    void Plug();

    // Adapter-side status of a channel, sent in the next status reply.
    void SetChannelStatus(unsigned channel, uint8_t status, uint8_t error, uint8_t rxErrors, uint8_t txErrors);
    // Sends the status reply (also sent when the host issues command 0x40000101).
    void SendStatus();
    // Sends any adapter reply record on a channel.
    void SendReply(unsigned channel, uint32_t word, const std::array<uint8_t, 8>& data);
    // Pushes raw bytes on the bulk IN pipe (malformed-record tests).
    void SendRaw(const std::vector<uint8_t>& bytes);

    // What the device saw.
    uint32_t ChannelBitrate(unsigned channel) const; // 0 while the channel is not on a bus
    std::array<uint8_t, 8> ChannelModeParams(unsigned channel) const;
    std::vector<uint32_t> CommandWords() const;
    std::vector<uint8_t> FramePacketHeaders() const;
    size_t BatchesAcknowledged() const;
    size_t FramesTransmitted() const;
    std::array<uint8_t, kUserMemorySize> UserMemory() const;
    void ClearLog();
    bool Attached() const;

private:
    explicit SimDravixDevice(SimWorld* world);

    struct ChannelSim {
        std::shared_ptr<CanNode> node;
        uint32_t bitrate = 0;
        std::array<uint8_t, 8> mode{};
        std::vector<std::array<uint8_t, 13>> pending; // frames of the batch being received
        uint8_t status = 0, error = 0, rxErrors = 0, txErrors = 0;
    };

    void OnBusFrame(unsigned channel, const CanFrame& frame);
    // Under mutex_.
    void EmitLocked(unsigned channel, uint32_t word, uint8_t info, const std::array<uint8_t, 8>& data);
    void SendStatusLocked();
    void StartChannelLocked(unsigned channel, uint32_t bitsPerSecond);
    void StopChannelsLocked();
    uint64_t DeviceTimeUs() const;

    SimWorld* world_;
    mutable std::mutex mutex_;
    ch375::DeviceLink* link_ = nullptr;
    bool plugged_ = true;
    bool neverReady_ = false;
    bool writeFailure_ = false;
    AckFault ackFault_ = AckFault::None;
    std::array<uint8_t, 16> board_{};
    uint8_t readyByte_ = 0x03;
    std::array<ChannelSim, 2> channels_;
    std::array<uint8_t, kUserMemorySize> user_{};
    uint64_t epochUs_ = 0;
    uint64_t lastClockSecond_ = ~0ull;
    std::vector<uint32_t> commands_;
    std::vector<uint8_t> packetHeaders_;
    size_t batchesAcked_ = 0;
    size_t framesSent_ = 0;
};

// Puts a simulated adapter at a CH375 device index, wired to
// sim::CurrentWorld(): what the program uses when no hardware is present.
std::shared_ptr<SimDravixDevice> InstallSimDravixDevice(unsigned index = 0);

} // namespace sim
