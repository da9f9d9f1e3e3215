// Matchers for what tests compare most: message boxes and request bytes.
//   EXPECT_THAT(prompter.Boxes(), ElementsAre(BoxIs("Please connect the ECU first", "Tips")));
//   EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 F1 8A")));
#pragma once

#include "Prompter.h"

#include <gmock/gmock.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace tarvel_test {

// "22 F1 8A" -> {0x22, 0xF1, 0x8A}.
inline std::vector<uint8_t> Bytes(const std::string& hex)
{
    std::vector<uint8_t> bytes;
    std::istringstream in(hex);
    std::string token;
    while (in >> token)
        bytes.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
    return bytes;
}

// {0x22, 0xF1, 0x8A} -> "22 F1 8A", for readable failures.
inline std::string Hex(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        if (!text.empty())
            text.push_back(' ');
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 0x0F]);
    }
    return text;
}

MATCHER_P2(BoxIs, text, caption, std::string("a box \"") + text + "\" captioned \"" + caption + "\"")
{
    return arg.text == text && arg.caption == caption;
}

MATCHER_P(BoxCaptioned, caption, std::string("a box captioned \"") + caption + "\"")
{
    return arg.caption == caption;
}

} // namespace tarvel_test

namespace tarvel {
inline void PrintTo(const RecordingPrompter::Box& box, std::ostream* os)
{
    *os << "box \"" << box.text << "\" captioned \"" << box.caption << "\"";
}
} // namespace tarvel
