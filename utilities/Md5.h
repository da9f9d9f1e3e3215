// MD5 message digest (RFC 1321). Used to turn a pass phrase into a cipher key;
// not for anything that needs collision resistance.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvel {

class Md5 {
public:
    using Digest = std::array<uint8_t, 16>;

    Md5();

    void Update(const void* data, size_t length);
    void Update(const std::string& text) { Update(text.data(), text.size()); }

    // Pads, returns the digest and starts over, so the same object can hash
    // the next message from scratch.
    Digest Finish();

    static Digest Of(const void* data, size_t length);
    static Digest Of(const std::string& text) { return Of(text.data(), text.size()); }
    static std::string ToHex(const Digest& digest);

private:
    void Reset();
    void Transform(const uint8_t block[64]);

    uint32_t state_[4];
    uint64_t bitCount_;
    uint8_t buffer_[64];
    size_t buffered_;
};

} // namespace tarvel
