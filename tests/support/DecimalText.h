// A whole number written with a fixed number of decimals, as the recorder's
// pages and export show a scaled value: 12345 with 1 decimal is "1234.5".
// The tests write what they expect with it, apart from the program's own
// formatting.
#pragma once

#include <string>

namespace tarvel_test {

inline std::string Fixed(long long value, int decimals)
{
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    std::string text = std::to_string(value / scale);
    if (decimals > 0) {
        const std::string fraction = std::to_string(value % scale);
        text += "." + std::string(static_cast<size_t>(decimals) - fraction.size(), '0') + fraction;
    }
    return text;
}

} // namespace tarvel_test
