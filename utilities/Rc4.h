// RC4 stream cipher. Encryption and decryption are the same operation; one
// object keeps its stream position across calls, so a file processed in
// blocks gives the same bytes as processing it in one go.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvel {

class Rc4 {
public:
    // key: 1 to 256 bytes; any other length throws std::invalid_argument.
    Rc4(const uint8_t* key, size_t keyLength);

    // XORs the key stream into data in place.
    void Process(uint8_t* data, size_t length);

private:
    uint8_t s_[256];
    uint8_t i_ = 0;
    uint8_t j_ = 0;
};

} // namespace tarvel
