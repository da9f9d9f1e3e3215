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
