// The two CAN identifiers of the tester's UDS link with the ECU (29-bit,
// normal fixed addressing): requests go from tester 0xF9 to ECU 0x0B, the
// ECU's answers come back the other way.
#pragma once

#include <cstdint>

namespace tarvel {

constexpr uint32_t kUdsRequestCanId = 0x18DA0BF9u;
constexpr uint32_t kUdsResponseCanId = 0x18DAF90Bu;

} // namespace tarvel
