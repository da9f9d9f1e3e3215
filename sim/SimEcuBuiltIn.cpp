// The simulated world of the running program (no hardware needed).
#include "SimBuiltInWorld.h"
#include "SimEcu.h"

#include "Clock.h"
#include "RealTimeScheduler.h"
#include "SimEcuProfile.h"
#include "SimStationOperator.h"
#include "SimTrailer.h"
#include "SimTrailerFaults.h"
#include "SimWorld.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace sim {

namespace {

struct WorldTime {
    tarvel::Clock* clock = nullptr;
    tarvel::Scheduler* scheduler = nullptr;
    bool busTiming = true;
};

struct BuiltIn {
    explicit BuiltIn(const WorldTime& time)
        : ownScheduler(time.scheduler ? nullptr : std::make_unique<tarvel::RealTimeScheduler>()),
          scheduler(time.scheduler ? *time.scheduler : *ownScheduler),
          clock(time.clock ? *time.clock : realClock)
    {
    }

    // Declared first, destroyed last: everything below cancels its tasks on it.
    std::unique_ptr<tarvel::RealTimeScheduler> ownScheduler;
    tarvel::RealClock realClock;
    tarvel::Scheduler& scheduler;
    const tarvel::Clock& clock;
    SimEcu ecu{scheduler};
    // The trailer behind it, so the end-of-line tests can run without
    // hardware, and the person at it.
    SimTrailer trailer{clock};
    SimStationOperator person{trailer, scheduler};
    BuiltInTrailerFaults faults;
    std::vector<std::shared_ptr<CanBus>> timedBuses;
};

std::mutex& BuiltInMutex()
{
    static std::mutex m;
    return m;
}

WorldTime& NextTime()
{
    static WorldTime time;
    return time;
}

std::unique_ptr<BuiltIn>& BuiltInSlot()
{
    // Touch the default world first: statics are destroyed in reverse order,
    // so the ECU goes before the buses it is attached to.
    CurrentWorld();
    static std::unique_ptr<BuiltIn> slot;
    return slot;
}

std::string EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::optional<uint32_t> RestartTimeFromEnvironment()
{
    const std::string text = EnvironmentValue(kRestartTimeVariable);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 6)
        return std::nullopt;
    return static_cast<uint32_t>(std::stoul(text));
}

} // namespace

void SetBuiltInWorldTime(tarvel::Clock* clock, tarvel::Scheduler* scheduler)
{
    std::lock_guard<std::mutex> lock(BuiltInMutex());
    const bool both = clock && scheduler;
    NextTime().clock = both ? clock : nullptr;
    NextTime().scheduler = both ? scheduler : nullptr;
}

void SetBuiltInBusTiming(bool on)
{
    std::lock_guard<std::mutex> lock(BuiltInMutex());
    NextTime().busTiming = on;
}

SimEcu& StartBuiltInEcu()
{
    std::lock_guard<std::mutex> lock(BuiltInMutex());
    auto& slot = BuiltInSlot();
    if (!slot) {
        slot = std::make_unique<BuiltIn>(NextTime());
        // TARVEL_SIM_PROFILE=alternate: the ECU whose versions have no mapping rows.
        if (EnvironmentValue("TARVEL_SIM_PROFILE") == "alternate")
            ecudata::InstallProfile(slot->ecu, ecudata::EcuProfile::Alternate);
        // TARVEL_SIM_TRAILER=<fault>,...: a trailer that fails its end-of-line run.
        slot->faults.list = EnvironmentValue(kTrailerFaultsVariable);
        AppliedTrailerFaults given = ApplyTrailerFaults(slot->faults.list, slot->trailer);
        slot->faults.applied = std::move(given.applied);
        slot->faults.unknown = std::move(given.unknown);
        slot->trailer.AttachTo(slot->ecu);
        // TARVEL_SIM_RESTART_MS=<ms>: how long the ECU stays silent after a
        // reset (the trailer's own time otherwise), to try a slow real ECU.
        if (const auto restart = RestartTimeFromEnvironment())
            slot->ecu.SetRestartTime(*restart);
        for (unsigned channel : {0u, 1u}) {
            auto bus = CurrentWorld().Bus(channel);
            if (NextTime().busTiming) {
                bus->SetTimingModel(true, &slot->scheduler);
                slot->timedBuses.push_back(bus);
            }
            slot->ecu.AttachTo(bus);
        }
    }
    return slot->ecu;
}

SimEcu* BuiltInEcu()
{
    std::lock_guard<std::mutex> lock(BuiltInMutex());
    auto& slot = BuiltInSlot();
    return slot ? &slot->ecu : nullptr;
}

SimTrailer* BuiltInTrailer()
{
    std::lock_guard<std::mutex> lock(BuiltInMutex());
    auto& slot = BuiltInSlot();
    return slot ? &slot->trailer : nullptr;
}

SimStationOperator* BuiltInOperator()
{
    std::lock_guard<std::mutex> lock(BuiltInMutex());
    auto& slot = BuiltInSlot();
    return slot ? &slot->person : nullptr;
}

BuiltInTrailerFaults BuiltInFaults()
{
    std::lock_guard<std::mutex> lock(BuiltInMutex());
    auto& slot = BuiltInSlot();
    return slot ? slot->faults : BuiltInTrailerFaults{};
}

void StopBuiltInEcu()
{
    std::unique_ptr<BuiltIn> old;
    {
        std::lock_guard<std::mutex> lock(BuiltInMutex());
        old = std::move(BuiltInSlot());
    }
    // The buses outlive the world: they must not hand frames to its
    // scheduler once it is gone.
    if (old)
        for (auto& bus : old->timedBuses)
            bus->SetTimingModel(false);
}

} // namespace sim
