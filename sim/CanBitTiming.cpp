#include "CanBitTiming.h"

#include <vector>

namespace sim {

namespace {

// Bits after the stuffed part: CRC delimiter, ACK slot and delimiter, end of
// frame (7), interframe space (3).
constexpr uint32_t kTrailerBits = 1 + 2 + 7 + 3;

void Put(std::vector<bool>& bits, uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        bits.push_back(((value >> i) & 1u) != 0);
}

// Start of frame .. end of data, as transmitted before the CRC.
std::vector<bool> HeaderAndData(const CanFrame& f)
{
    std::vector<bool> bits;
    const uint8_t dlc = f.dlc > 8 ? 8 : f.dlc;
    bits.push_back(false); // start of frame
    if (f.extended) {
        Put(bits, (f.id >> 18) & 0x7FF, 11);
        bits.push_back(true); // SRR
        bits.push_back(true); // IDE
        Put(bits, f.id & 0x3FFFF, 18);
        bits.push_back(f.remote); // RTR
        bits.push_back(false);    // r1
        bits.push_back(false);    // r0
    } else {
        Put(bits, f.id & 0x7FF, 11);
        bits.push_back(f.remote); // RTR
        bits.push_back(false);    // IDE
        bits.push_back(false);    // r0
    }
    Put(bits, f.dlc & 0x0F, 4);
    if (!f.remote)
        for (uint8_t i = 0; i < dlc; ++i)
            Put(bits, f.data[i], 8);
    return bits;
}

uint32_t Crc15(const std::vector<bool>& bits)
{
    uint32_t crc = 0;
    for (bool b : bits) {
        const bool top = ((crc >> 14) & 1u) != 0;
        crc = (crc << 1) & 0x7FFF;
        if (top != b)
            crc ^= 0x4599;
    }
    return crc;
}

} // namespace

uint32_t CanFrameBitsUnstuffed(const CanFrame& frame)
{
    return static_cast<uint32_t>(HeaderAndData(frame).size()) + 15 + kTrailerBits;
}

uint32_t CanFrameBits(const CanFrame& frame)
{
    std::vector<bool> bits = HeaderAndData(frame);
    Put(bits, Crc15(bits), 15);
    uint32_t stuff = 0;
    int run = 0;
    bool last = false;
    for (size_t i = 0; i < bits.size(); ++i) {
        if (i > 0 && bits[i] == last) {
            ++run;
        } else {
            run = 1;
            last = bits[i];
        }
        if (run == 5) {
            // The stuff bit is the complement and starts a new run.
            ++stuff;
            last = !last;
            run = 1;
        }
    }
    return static_cast<uint32_t>(bits.size()) + stuff + kTrailerBits;
}

uint64_t CanFrameTimeUs(const CanFrame& frame, uint32_t bitsPerSecond)
{
    if (bitsPerSecond == 0)
        return 0;
    return (uint64_t(CanFrameBits(frame)) * 1000000u + bitsPerSecond - 1) / bitsPerSecond;
}

} // namespace sim
