#include "Crc32.h"

namespace tarvel {

namespace {

struct Crc32Table {
    uint32_t entry[256];
    Crc32Table()
    {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            entry[i] = c;
        }
    }
};

const Crc32Table& Table()
{
    static const Crc32Table table;
    return table;
}

} // namespace

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t size)
{
    const Crc32Table& t = Table();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = t.entry[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

uint32_t Crc32(const std::vector<uint8_t>& data) { return Crc32Update(0, data.data(), data.size()); }

std::array<uint8_t, 4> Crc32Bytes(uint32_t crc)
{
    return {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)};
}

} // namespace tarvel
