#include "SecurityAccessKey.h"

namespace tarvel {

uint32_t ComputeSecurityKey(const std::array<uint8_t, 4>& seed, SecurityConstantPair constants)
{
    uint16_t a = static_cast<uint16_t>(seed[0] << 8 | seed[1]);
    uint16_t b = static_cast<uint16_t>(seed[2] << 8 | seed[3]);
    const uint16_t ph = static_cast<uint16_t>(constants.P >> 16);
    const uint16_t pl = static_cast<uint16_t>(constants.P);
    const uint16_t qh = static_cast<uint16_t>(constants.Q >> 16);
    const uint16_t ql = static_cast<uint16_t>(constants.Q);
    uint16_t t = 0;
    uint16_t u = 0;
    for (int round = 0; round < 5; ++round) {
        t = static_cast<uint16_t>(a ^ static_cast<uint16_t>(~b));
        // Multiply as unsigned 32-bit: two 16-bit words promoted to int
        // overflow it once Ph and B are both large.
        u = static_cast<uint16_t>(static_cast<uint16_t>(static_cast<uint32_t>(ph) * b + pl) ^ a);
        a = static_cast<uint16_t>((t >> 1) ^ qh);
        b = static_cast<uint16_t>(u ^ ql);
    }
    return static_cast<uint32_t>(t) << 16 | u;
}

std::array<uint8_t, 4> UdsKeyToBytes(uint32_t key)
{
    return {static_cast<uint8_t>(key >> 24), static_cast<uint8_t>(key >> 16), static_cast<uint8_t>(key >> 8),
            static_cast<uint8_t>(key)};
}

} // namespace tarvel
