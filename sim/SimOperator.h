// The person at the end-of-line station, for tests: answers the pages' YES/NO
// questions from what can be seen on the trailer, turns a wheel, builds the
// brake demand and moves a lifting axle by hand when asked to. Told to, it
// answers a question wrongly, so a page's NO path can be reached on a healthy
// trailer.
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace sim {

class SimTrailer;

enum class OperatorQuestion {
    WarningLampLit,
    WarningLampDark,
    BrakeLampLit,
    BrakeLampDark,
    ValveOpen,
    ValveClosed,
    LiftingAxleDown,     // the given axle is down (state 1)
    LiftingAxleUp,       // the given axle is up (state 2)
    WheelStoppedByPulse, // the given wheel was stopped by the modulator pulse
};

class SimOperator {
public:
    explicit SimOperator(SimTrailer& trailer) : trailer_(trailer) {}

    // YES (true) or NO; `which` names the axle or wheel (1-based) where the
    // question needs one.
    bool Answer(OperatorQuestion question, unsigned which = 1) const;
    // What the operator sees, before any deliberate wrong answer.
    bool Sees(OperatorQuestion question, unsigned which = 1) const;

    void AnswerWrongly(OperatorQuestion question, bool wrong = true);
    void AnswerEverythingWrongly(bool wrong = true) { allWrong_ = wrong; }

    void TurnWheel(unsigned wheel);
    // Spins the wheel a prompt names by its letter, a lone "c", "d", "e" or
    // "f" (wheels 1 to 4); 0 when the prompt names none, else the wheel.
    unsigned TurnWheelNamedIn(const std::string& prompt);
    void BuildControlPressure(double bar);
    void BuildControlPressure();  // the usual demand of the backup-pressure test
    void ReleaseControlPressure();
    void MoveLiftingAxle(unsigned axle, uint8_t state);

private:
    SimTrailer& trailer_;
    std::set<OperatorQuestion> wrong_;
    bool allWrong_ = false;
};

} // namespace sim
