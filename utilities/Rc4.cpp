#include "Rc4.h"

#include <stdexcept>
#include <utility>

namespace tarvel {

Rc4::Rc4(const uint8_t* key, size_t keyLength)
{
    if (key == nullptr || keyLength == 0 || keyLength > 256)
        throw std::invalid_argument("RC4 key must be 1 to 256 bytes");
    for (int k = 0; k < 256; ++k)
        s_[k] = uint8_t(k);
    uint8_t j = 0;
    for (size_t k = 0; k < 256; ++k) {
        j = uint8_t(j + s_[k] + key[k % keyLength]);
        std::swap(s_[k], s_[j]);
    }
}

void Rc4::Process(uint8_t* data, size_t length)
{
    for (size_t k = 0; k < length; ++k) {
        i_ = uint8_t(i_ + 1);
        j_ = uint8_t(j_ + s_[i_]);
        std::swap(s_[i_], s_[j_]);
        data[k] ^= s_[uint8_t(s_[i_] + s_[j_])];
    }
}

} // namespace tarvel
