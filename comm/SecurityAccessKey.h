// The SecurityAccess key: five rounds of 16-bit mixing of the seed with a
// constant pair. Used by the tester's unlock calls and by the simulated ECU.
#pragma once

#include "SecurityConstants.h"

#include <array>
#include <cstdint>

namespace tarvel {

// seed: the 4 seed bytes s0..s3 as the ECU sent them.
uint32_t ComputeSecurityKey(const std::array<uint8_t, 4>& seed, SecurityConstantPair constants);

// The key as sent on the wire, most significant byte first.
std::array<uint8_t, 4> UdsKeyToBytes(uint32_t key);

} // namespace tarvel
