// The simulated ECU of the running program (no hardware needed).
#include "SimEcu.h"

#include "RealTimeScheduler.h"
#include "SimEcuProfile.h"
#include "SimTrailer.h"
#include "SimWorld.h"

#include <cstdlib>
#include <mutex>
#include <string>

namespace sim {

namespace {

struct BuiltIn {
    // Declared first, destroyed last: the ECU cancels its tasks on it.
    tarvel::RealTimeScheduler scheduler;
    SimEcu ecu{scheduler};
    // The trailer behind it, so the end-of-line tests can run without
    // hardware; it keeps the scheduler's real time.
    tarvel::RealClock clock;
    SimTrailer trailer{clock};
};

std::mutex& BuiltInMutex()
{
    static std::mutex m;
    return m;
}

std::unique_ptr<BuiltIn>& BuiltInSlot()
{
    // Touch the default world first: statics are destroyed in reverse order,
    // so the ECU goes before the buses it is attached to.
    CurrentWorld();
    static std::unique_ptr<BuiltIn> slot;
    return slot;
}

} // namespace

SimEcu& StartBuiltInEcu()
{
    std::lock_guard<std::mutex> lock(BuiltInMutex());
    auto& slot = BuiltInSlot();
    if (!slot) {
        slot = std::make_unique<BuiltIn>();
        // TARVEL_SIM_PROFILE=alternate: the ECU whose versions have no mapping rows.
        const char* profile = std::getenv("TARVEL_SIM_PROFILE");
        if (profile && std::string(profile) == "alternate")
            ecudata::InstallProfile(slot->ecu, ecudata::EcuProfile::Alternate);
        slot->trailer.AttachTo(slot->ecu);
        for (unsigned channel : {0u, 1u})
            slot->ecu.AttachTo(CurrentWorld().Bus(channel));
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

void StopBuiltInEcu()
{
    std::unique_ptr<BuiltIn> old;
    {
        std::lock_guard<std::mutex> lock(BuiltInMutex());
        old = std::move(BuiltInSlot());
    }
}

} // namespace sim
