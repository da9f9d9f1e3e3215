// CRC-32 as Ethernet, zip and HDLC use it: reflected polynomial 0xEDB88320,
// initial value 0xFFFFFFFF, final XOR 0xFFFFFFFF. "123456789" gives 0xCBF43926.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvel {

// Continues a running CRC: start with crc = 0 and feed the data in pieces.
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t size);
uint32_t Crc32(const std::vector<uint8_t>& data);
// The CRC as four bytes, most significant first.
std::array<uint8_t, 4> Crc32Bytes(uint32_t crc);

} // namespace tarvel
