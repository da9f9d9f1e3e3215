#include "SimTrailerFaults.h"

#include "SimTrailer.h"

#include <functional>

namespace sim {

using namespace trailerdata;

const char* const kTrailerFaultsVariable = "TARVEL_SIM_TRAILER";

namespace {

// A fault code the fault table names ("Modulator 1 pressure sensor fault").
constexpr uint32_t kCurrentFaultCode = 0x611201;

struct Fault {
    TrailerFaultName name;
    std::function<void(SimTrailer&)> apply;
};

const std::vector<Fault>& Faults()
{
    static const std::vector<Fault> faults = {
        {{"dead-sensor-c", "the wheel sensor of wheel c gives no signal"},
         [](SimTrailer& t) { t.SetWheelSensorDead(1); }},
        {{"dead-sensor-d", "the wheel sensor of wheel d gives no signal"},
         [](SimTrailer& t) { t.SetWheelSensorDead(2); }},
        {{"dead-sensor-e", "the wheel sensor of wheel e gives no signal"},
         [](SimTrailer& t) { t.SetWheelSensorDead(3); }},
        {{"dead-sensor-f", "the wheel sensor of wheel f gives no signal"},
         [](SimTrailer& t) { t.SetWheelSensorDead(4); }},
        {{"miswired-modulator",
          "the modulator of wheels c and e is wired to the other side: its pulses brake wheels d and f"},
         [](SimTrailer& t) { t.MiswireModulator(0x10, 0x01); }},
        {{"no-backup-pressure", "with the backup valves held, no brake follows the control pressure"},
         [](SimTrailer& t) {
             for (PressureChannel c : {kMainLeft, kMainRight, kEbsdLeft, kEbsdRight})
                 t.SetPressureDefect(c, PressureDefect::NoBackup);
         }},
        {{"brake-not-released", "the left brake channel keeps its pressure when it is released"},
         [](SimTrailer& t) { t.SetPressureDefect(kMainLeft, PressureDefect::NeverReleases); }},
        {{"current-fault", "the ECU keeps detecting a fault (P1201): current in its fault memory, back after a clear"},
         [](SimTrailer& t) { t.AddPresentFault(kCurrentFaultCode); }},
    };
    return faults;
}

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

const std::vector<TrailerFaultName>& TrailerFaultNames()
{
    static const std::vector<TrailerFaultName> names = [] {
        std::vector<TrailerFaultName> n;
        for (const Fault& f : Faults())
            n.push_back(f.name);
        return n;
    }();
    return names;
}

AppliedTrailerFaults ApplyTrailerFaults(const std::string& list, SimTrailer& trailer)
{
    AppliedTrailerFaults result;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string name = Trimmed(list.substr(start, end - start));
        start = end + 1;
        if (name.empty())
            continue;
        bool known = false;
        for (const Fault& f : Faults()) {
            if (name == f.name.name) {
                f.apply(trailer);
                known = true;
            }
        }
        (known ? result.applied : result.unknown).push_back(name);
    }
    return result;
}

} // namespace sim
