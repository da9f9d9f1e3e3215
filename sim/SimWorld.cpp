#include "SimWorld.h"

#include <atomic>

namespace sim {

SimWorld::SimWorld()
{
    buses_[0] = CanBus::Create(125000);
    buses_[1] = CanBus::Create(500000);
}

std::shared_ptr<CanBus> SimWorld::Bus(unsigned channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto& bus = buses_[channel];
    if (!bus)
        bus = CanBus::Create(500000);
    return bus;
}

void SimWorld::SetBus(unsigned channel, std::shared_ptr<CanBus> bus)
{
    std::lock_guard<std::mutex> lock(mutex_);
    buses_[channel] = std::move(bus);
}

namespace {
std::atomic<SimWorld*> g_world{nullptr};
SimWorld& DefaultWorld()
{
    static SimWorld world;
    return world;
}
} // namespace

SimWorld& CurrentWorld()
{
    SimWorld* w = g_world.load(std::memory_order_acquire);
    return w ? *w : DefaultWorld();
}

void SetCurrentWorld(SimWorld* world) { g_world.store(world, std::memory_order_release); }

ScopedWorld::ScopedWorld(SimWorld& world) : previous_(g_world.load()) { SetCurrentWorld(&world); }
ScopedWorld::~ScopedWorld() { SetCurrentWorld(previous_); }

} // namespace sim
