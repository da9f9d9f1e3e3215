#include "SimTrailerData.h"

namespace sim {
namespace trailerdata {

const char* FormName(TrailerForm form)
{
    switch (form) {
    case TrailerForm::k2S2M: return "2S2M";
    case TrailerForm::k4S2M: return "4S2M";
    case TrailerForm::k4S3M: return "4S3M";
    }
    return "";
}

unsigned SensorCount(TrailerForm form) { return form == TrailerForm::k2S2M ? 2u : 4u; }

std::vector<unsigned> WheelsBrakedByChannel(TrailerForm form, uint8_t channel)
{
    // Sensor 1 front left, 2 front right, 3 rear left, 4 rear right.
    switch (form) {
    case TrailerForm::k2S2M:
        if (channel == 0x10)
            return {0};
        if (channel == 0x01)
            return {1};
        return {};
    case TrailerForm::k4S2M:
        // One modulator per side brakes both wheels of that side.
        if (channel == 0x10)
            return {0, 2};
        if (channel == 0x01)
            return {1, 3};
        return {};
    case TrailerForm::k4S3M:
        // One channel per wheel.
        switch (channel) {
        case 0x10: return {0};
        case 0x01: return {1};
        case 0x02: return {2};
        case 0x20: return {3};
        default: return {};
        }
    }
    return {};
}

std::vector<unsigned> WheelsBrakedBy4S3MChannel(uint8_t channel, int32_t variant)
{
    int wheel;
    switch (channel) {
    case 0x10: wheel = 0; break;
    case 0x01: wheel = 1; break;
    case 0x02: wheel = 2; break;
    case 0x20: wheel = 3; break;
    default: return {};
    }
    // The modulator of each wheel, and the wheels of each modulator.
    static const int variant0[4] = {3, 3, 1, 2};
    static const int otherVariant[4] = {1, 2, 3, 3};
    const int* modulatorOf = variant == 0 ? variant0 : otherVariant;
    std::vector<unsigned> wheels;
    for (unsigned w = 0; w < 4; ++w)
        if (modulatorOf[w] == modulatorOf[wheel])
            wheels.push_back(w);
    return wheels;
}

std::vector<PressureChannel> PressuresOfChannel(TrailerForm form, uint8_t channel)
{
    switch (channel) {
    case 0x10: return {kMainLeft};
    case 0x01: return {kMainRight};
    case 0x90:
        if (form == TrailerForm::k4S3M)
            return {kMainLeft, kMainRight, kEbsdLeft, kEbsdRight};
        return {kMainLeft, kMainRight};
    default: return {};
    }
}

} // namespace trailerdata
} // namespace sim
