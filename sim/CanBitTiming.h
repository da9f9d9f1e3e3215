// How long a CAN frame occupies the bus: its bits from start of frame to the
// end of the interframe space, with the stuff bits the transmitter inserts
// after five equal bits (counted over start of frame .. CRC). A 29-bit data
// frame with 8 data bytes is 131 bits without stuffing and at most 160.
#pragma once

#include "VirtualCanBus.h"

#include <cstdint>

namespace sim {

// Bits of the frame on the wire, stuff bits and the 3-bit interframe space included.
uint32_t CanFrameBits(const CanFrame& frame);
// The same without stuff bits.
uint32_t CanFrameBitsUnstuffed(const CanFrame& frame);
// Microseconds the frame occupies a bus of this bit rate (rounded up).
uint64_t CanFrameTimeUs(const CanFrame& frame, uint32_t bitsPerSecond);

} // namespace sim
