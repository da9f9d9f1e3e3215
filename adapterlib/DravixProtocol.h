// The byte formats Dravix speaks with its adapter over the CH375 pipes, and
// the small pure rules around them (baud index tables, mode bytes, the
// acceptance filter, the adapter clock, load samples). Kept free of any state
// so each rule is tested on its own and shared with the simulated adapter.
#pragma once

#include "CanRecords.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace dravix {

// Command words (bulk OUT, 14-byte command packet).
constexpr uint32_t kCmdBitRate = 0x40000001;
constexpr uint32_t kCmdReset = 0x40000006;
constexpr uint32_t kCmdReadUser = 0x40000008;
constexpr uint32_t kCmdWriteUser = 0x40000009;
constexpr uint32_t kCmdMode = 0x4000000C;
constexpr uint32_t kCmdIdentify = 0x40000086;
constexpr uint32_t kCmdClose = 0x400000A0;

// Reply codes (bulk IN adapter records with bit 30 set).
constexpr uint32_t kReplyBoardLow = 0x40000086;
constexpr uint32_t kReplyBoardHigh = 0x40000087;
constexpr uint32_t kReplyUserData = 0x40000088;
constexpr uint32_t kReplyUserAck = 0x40000089;
constexpr uint32_t kReplyReady = 0x4000008B;
constexpr uint32_t kReplyStatus = 0x40000101;
constexpr uint32_t kReplyPassive = 0x40001009;
constexpr uint32_t kReplyArLost = 0x4000100A;
constexpr uint32_t kClockRecord = 0x40002000;

constexpr uint32_t kReplyBit = 0x40000000;
constexpr uint32_t kExtendedBit = 0x20000000;
constexpr uint32_t kIdMask = 0x1FFFFFFF;
constexpr uint8_t kInfoRemote = 0x10;
constexpr uint8_t kInfoSkip = 0x80;

constexpr size_t kCommandPacketSize = 14;
constexpr size_t kFrameRecordSize = 13;
constexpr size_t kFramesPerPacket = 4;
constexpr size_t kFramesPerBatch = 15;
constexpr size_t kAckSize = 8;
constexpr size_t kAdapterRecordSize = 16;
constexpr uint8_t kHeaderChannel1 = 0x81;
constexpr uint8_t kHeaderChannel2 = 0x91;
constexpr uint8_t kPacketSecondChannel = 0x10;
constexpr uint8_t kPacketLastOfBatch = 0x20;

// Result of the frame sender when a packet write fails.
constexpr uint32_t kWriteFailed = 0xE0000004;

constexpr unsigned kChannels = 2;
constexpr uint32_t kBaudIndexCount = 15;

// ---- command packet ---------------------------------------------------

struct Command {
    uint8_t header = kHeaderChannel1;
    uint32_t word = 0;
    std::array<uint8_t, 8> params{};
    // 0 first channel, 1 second; from the header.
    unsigned Channel() const { return header == kHeaderChannel2 ? 1u : 0u; }
};

std::array<uint8_t, kCommandPacketSize> EncodeCommand(uint8_t header, uint32_t word, const std::array<uint8_t, 8>& params);
inline std::array<uint8_t, kCommandPacketSize> EncodeCommandOn(unsigned channel, uint32_t word,
                                                              const std::array<uint8_t, 8>& params)
{
    return EncodeCommand(channel == 1 ? kHeaderChannel2 : kHeaderChannel1, word, params);
}
// False unless the bytes are exactly one well-formed command packet.
bool DecodeCommand(const uint8_t* bytes, size_t length, Command& out);

// ---- frame packets ----------------------------------------------------

struct WireFrame {
    uint32_t word = 0; // identifier bits 0..28, bit 29 extended
    uint8_t info = 0;  // bits 0..3 length, bit 4 remote
    std::array<uint8_t, 8> data{};
};

// The 13-byte record of one caller frame. The identifier is cut to 29 bits
// and the length to 8, so a malformed record can never set the flag bits.
WireFrame ToWireFrame(const CanFrameRecord& frame);

// The packets of one batch of 1..15 frames for channel 0 or 1; empty for any
// other count.
std::vector<std::vector<uint8_t>> EncodeFrameBatch(unsigned channel, const WireFrame* frames, size_t count);

struct FramePacket {
    unsigned channel = 0;
    bool last = false;
    std::vector<WireFrame> frames;
};
// False unless the length matches the frame count in the header (1..4).
bool DecodeFramePacket(const uint8_t* bytes, size_t length, FramePacket& out);

// The 8-byte acknowledgement the adapter sends after a batch.
std::array<uint8_t, kAckSize> EncodeAck(uint8_t channelMark, uint8_t status);
bool AckMatches(const uint8_t* ack, size_t length, uint8_t channelMark);

// ---- adapter records --------------------------------------------------

struct AdapterRecord {
    uint32_t word = 0;
    uint8_t info = 0;
    std::array<uint8_t, 8> data{};
    uint32_t time = 0; // the 21-bit microsecond field
    int channel = -1;  // 0, 1, or -1 when the marks name no channel
    bool skipped = true;

    bool IsReply() const { return (word & kReplyBit) != 0; }
    uint32_t DataWord(unsigned i) const
    {
        const unsigned o = i ? 4u : 0u;
        return uint32_t(data[o]) | uint32_t(data[o + 1]) << 8 | uint32_t(data[o + 2]) << 16 | uint32_t(data[o + 3]) << 24;
    }
};

AdapterRecord DecodeAdapterRecord(const uint8_t* record16);
std::array<uint8_t, kAdapterRecordSize> EncodeAdapterRecord(unsigned channel, uint32_t word, uint8_t info,
                                                            const std::array<uint8_t, 8>& data, uint32_t time21);

// ---- bit rate and mode ------------------------------------------------

// A channel's bit-rate setting: a baud index 0..14, or a raw timing value.
// The bit-rate command sends any value below 15 as a baud index, a raw one
// too (no timing that small is a usable one).
struct BitRate {
    bool raw = false;
    uint32_t value = 0;
    bool operator==(const BitRate& o) const { return raw == o.raw && value == o.value; }
};

// Timing0 * 256 + Timing1 through the baud table; unmatched pairs stay raw.
BitRate BitRateFromTimingPair(uint16_t pair);
// A 32-bit reference timing value through the table; unmatched values raw.
BitRate BitRateFromReference(uint32_t value);
// Parameters of the bit-rate command: a value below 15 as the index word,
// any other raw value as R & 0xFF, 0xC0, (R >> 8) & 0xFF, 0x40.
std::array<uint8_t, 8> BitRateParams(const BitRate& rate);
// The adapter's reading of those parameters.
BitRate BitRateFromParams(const std::array<uint8_t, 8>& params);
// Bit/s of a baud index (0 for anything else); the adapter's side.
uint32_t BitsPerSecondOfIndex(uint32_t index);
// Bit/s of a raw SJA1000 timing pair as the bit-rate command carries it.
uint32_t BitsPerSecondOfTiming(uint8_t timing0, uint8_t timing1);

std::array<uint8_t, 8> ModeParamsForInitMode(uint8_t mode);
std::array<uint8_t, 8> ModeParamsForSendType(uint8_t sendType);

// ---- acceptance filter ------------------------------------------------

struct Acceptance {
    uint32_t mustOne = 0;
    uint32_t mustZero = 0;
    uint8_t mode = 0; // 1 single, anything else dual
};
Acceptance AcceptanceFrom(const CanInitConfig& config);
bool Accepts(const Acceptance& acceptance, uint32_t word, uint8_t info);

// ---- clock and load ---------------------------------------------------

// The clock after a kept record on `channel` (0 or 1).
uint64_t AdvanceClock(uint64_t clock, const AdapterRecord& record);
// The load sample for a record, or -1 when its divisor is 0.
int LoadSample(const AdapterRecord& record);

} // namespace dravix
