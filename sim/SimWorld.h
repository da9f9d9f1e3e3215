// The simulated surroundings of the program: which virtual CAN bus each
// adapter channel is wired to. Every stand-in adapter layer (ControlCAN,
// Kvaser, Vector, the simulated Dravix adapter) attaches its channel's node to
// CurrentWorld().Bus(channel), so one simulated ECU on those buses answers
// whichever adapter the user picks.
//
// The default world wires channel 0 to a 125 kbit/s bus and channel 1 to a
// 500 kbit/s bus (the channels Connect picks for those rates). Tests make
// their own world and install it with ScopedWorld.
#pragma once

#include "VirtualCanBus.h"

#include <map>
#include <memory>
#include <mutex>

namespace sim {

class SimWorld {
public:
    SimWorld();

    // The bus wired to an adapter channel; channels without one get a bus at
    // 500 kbit/s on first use.
    std::shared_ptr<CanBus> Bus(unsigned channel);
    void SetBus(unsigned channel, std::shared_ptr<CanBus> bus);

private:
    std::mutex mutex_;
    std::map<unsigned, std::shared_ptr<CanBus>> buses_;
};

SimWorld& CurrentWorld();
void SetCurrentWorld(SimWorld* world); // not owned; nullptr restores the default world

class ScopedWorld {
public:
    explicit ScopedWorld(SimWorld& world);
    ~ScopedWorld();
    ScopedWorld(const ScopedWorld&) = delete;
    ScopedWorld& operator=(const ScopedWorld&) = delete;

private:
    SimWorld* previous_;
};

} // namespace sim
