// The SecurityAccess constant pairs. They are the ECU's secrets: the ECU maker
// supplies the real values for each ECU family. The values below are
// placeholders that the built-in simulated ECU shares with the tester, so the
// unlock works end to end without hardware.
#pragma once

#include <cstdint>

namespace tarvel {

struct SecurityConstantPair {
    uint32_t P;
    uint32_t Q;
};

// requestSeed 0x01 / sendKey 0x02.
constexpr SecurityConstantPair kSecurityLevel1Constants{0x5A3C9E17u, 0x2B6D4F81u};
// requestSeed 0x09 / sendKey 0x0A.
constexpr SecurityConstantPair kSecurityLevel9Constants{0x13C7A5E9u, 0x7E2091B4u};

} // namespace tarvel
