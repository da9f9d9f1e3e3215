// The person at the trailer in the program's simulated world: the end-of-line
// pages ask for things only a person at the trailer can do (turn a wheel,
// build the backup pressure), and this person does them, on the world's own
// clock, after a person's moment. Lifting axles move on the ECU's command by
// themselves; questions about lamps and the valve are for whoever sits at
// the screen.
//
//   sim::SimStationOperator person(trailer, scheduler);
//   person.TurnWheelWhenAsked(1);       // wheel c turns 1-2 s later, coasts 5 s
//   person.BuildPressureWhenAsked();    // the control pressure is built at once
//   person.MoveOn();                    // the page went on: the pressure is let go
//
// SimOperator is the tests' own person, who acts at once when told to. Every
// method may be called from any thread; what is planned runs on the
// scheduler's thread and is cancelled when the operator goes.
#pragma once

#include <cstdint>
#include <memory>

namespace tarvel {
class Scheduler;
}

namespace sim {

class SimTrailer;

class SimStationOperator {
public:
    SimStationOperator(SimTrailer& trailer, tarvel::Scheduler& scheduler);
    ~SimStationOperator();
    SimStationOperator(const SimStationOperator&) = delete;
    SimStationOperator& operator=(const SimStationOperator&) = delete;

    // Asked to turn wheel 1..4 (c..f): after the reaction time the wheel is
    // spun by hand and coasts kHandSpinCoastMs unless a modulator stops it.
    void TurnWheelWhenAsked(unsigned wheel);
    // Asked for the backup pressure: the control pressure is built before
    // the person answers, and held until the page moves on.
    void BuildPressureWhenAsked();
    // The page shows something else, or its run ended: a pressure held is
    // let go.
    void MoveOn();

    bool HoldingPressure() const;
    // The reaction time of the person's n-th action (0-based): between
    // kReactionMinMs and kReactionMaxMs, never the same twice in a row.
    static uint32_t ReactionMs(unsigned n);

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace sim
