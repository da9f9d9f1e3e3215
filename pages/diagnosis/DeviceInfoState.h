// What the ECU information page shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct DeviceInfoState {
    // Up to ten name and value pairs, one per identification DID in the
    // order of the stored-parameter file; a pair stays hidden until a read
    // reached its DID.
    static constexpr int kPairCount = 10;
    struct Pair {
        bool shown = false;
        std::string name;  // the DID's name followed by ":"
        std::string value; // the first sub-field's value; empty when unanswered
    };
    std::array<Pair, kPairCount> pairs;

    // The fault status line and its colour (0x00BBGGRR: red 0x0000FF or
    // black 0); empty until the first status read.
    std::string statusText;
    uint32_t statusColour = 0;

    // Button captions in the current language.
    std::string readCaption;
    std::string faultMemoryCaption;
    std::string versionCaption;

    // An identification read is running (its requests pump events).
    bool reading = false;
};
