#include "SimStationOperator.h"

#include "SimTrailer.h"

#include "Clock.h"

#include <functional>
#include <mutex>
#include <set>

namespace sim {

using namespace trailerdata;

struct SimStationOperator::State {
    State(SimTrailer& t, tarvel::Scheduler& s) : trailer(t), scheduler(s) {}

    SimTrailer& trailer;
    tarvel::Scheduler& scheduler;
    mutable std::mutex mutex;
    unsigned actions = 0;
    bool holdingPressure = false;
    std::set<tarvel::Scheduler::TaskId> planned;

    // Runs `act` after the person's reaction time, unless the operator is
    // gone by then.
    void Later(std::function<void(SimTrailer&)> act, const std::shared_ptr<State>& self)
    {
        std::lock_guard<std::mutex> lock(mutex);
        const uint32_t ms = ReactionMs(actions++);
        std::weak_ptr<State> weak = self;
        auto id = std::make_shared<tarvel::Scheduler::TaskId>(0);
        // The task may run before ScheduleIn returns on another thread: it
        // waits for the lock, by when its id is known.
        *id = scheduler.ScheduleIn(uint64_t(ms) * 1000, [weak, id, act] {
            auto s = weak.lock();
            if (!s)
                return;
            // Under the lock: the operator's end waits for an act under way,
            // so the trailer is never touched once the operator is gone.
            std::lock_guard<std::mutex> l(s->mutex);
            if (!s->planned.erase(*id))
                return;  // cancelled
            act(s->trailer);
        });
        planned.insert(*id);
    }
};

SimStationOperator::SimStationOperator(SimTrailer& trailer, tarvel::Scheduler& scheduler)
    : state_(std::make_shared<State>(trailer, scheduler))
{
}

SimStationOperator::~SimStationOperator()
{
    std::set<tarvel::Scheduler::TaskId> planned;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        planned.swap(state_->planned);
    }
    for (auto id : planned)
        state_->scheduler.Cancel(id);
}

uint32_t SimStationOperator::ReactionMs(unsigned n)
{
    // A small fixed walk through the second between the two limits.
    static const uint32_t steps[] = {0, 600, 250, 850, 400, 1000, 150, 700};
    const uint32_t span = kReactionMaxMs - kReactionMinMs;
    return kReactionMinMs + steps[n % (sizeof steps / sizeof steps[0])] * span / 1000;
}

void SimStationOperator::TurnWheelWhenAsked(unsigned wheel)
{
    if (wheel < 1 || wheel > 4)
        return;
    state_->Later([wheel](SimTrailer& t) { t.TurnWheel(wheel, kHandSpinCoastMs); }, state_);
}

void SimStationOperator::BuildPressureWhenAsked()
{
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->holdingPressure = true;
        ++state_->actions;
    }
    state_->trailer.SetControlPressure(kOperatorControlPressureBar);
}

void SimStationOperator::MoveOn()
{
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (!state_->holdingPressure)
            return;
        state_->holdingPressure = false;
    }
    state_->trailer.SetControlPressure(0.0);
}

bool SimStationOperator::HoldingPressure() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->holdingPressure;
}

} // namespace sim
