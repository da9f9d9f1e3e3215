#include "SimOperator.h"

#include "SimTrailer.h"

namespace sim {

bool SimOperator::Sees(OperatorQuestion question, unsigned which) const
{
    switch (question) {
    case OperatorQuestion::WarningLampLit: return trailer_.WarningLampLit();
    case OperatorQuestion::WarningLampDark: return !trailer_.WarningLampLit();
    case OperatorQuestion::BrakeLampLit: return trailer_.BrakeLampLit();
    case OperatorQuestion::BrakeLampDark: return !trailer_.BrakeLampLit();
    case OperatorQuestion::ValveOpen: return trailer_.UnderwaterValveOpen();
    case OperatorQuestion::ValveClosed: return !trailer_.UnderwaterValveOpen();
    case OperatorQuestion::LiftingAxleDown: return trailer_.LiftingAxleState(which) == trailerdata::kLiftStateDown;
    case OperatorQuestion::LiftingAxleUp: return trailer_.LiftingAxleState(which) == trailerdata::kLiftStateUp;
    case OperatorQuestion::WheelStoppedByPulse: return trailer_.WheelStoppedByPulse(which);
    }
    return false;
}

bool SimOperator::Answer(OperatorQuestion question, unsigned which) const
{
    const bool seen = Sees(question, which);
    return allWrong_ || wrong_.count(question) ? !seen : seen;
}

void SimOperator::AnswerWrongly(OperatorQuestion question, bool wrong)
{
    if (wrong)
        wrong_.insert(question);
    else
        wrong_.erase(question);
}

void SimOperator::TurnWheel(unsigned wheel) { trailer_.TurnWheel(wheel); }

unsigned SimOperator::TurnWheelNamedIn(const std::string& prompt)
{
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    for (size_t i = 0; i < prompt.size(); ++i) {
        const char c = prompt[i];
        if (c < 'c' || c > 'f')
            continue;
        if ((i > 0 && letter(prompt[i - 1])) || (i + 1 < prompt.size() && letter(prompt[i + 1])))
            continue;
        const unsigned wheel = static_cast<unsigned>(c - 'c') + 1;
        trailer_.TurnWheel(wheel);
        return wheel;
    }
    return 0;
}

void SimOperator::BuildControlPressure(double bar) { trailer_.SetControlPressure(bar); }

void SimOperator::BuildControlPressure() { trailer_.SetControlPressure(trailerdata::kOperatorControlPressureBar); }

void SimOperator::ReleaseControlPressure() { trailer_.SetControlPressure(0.0); }

void SimOperator::MoveLiftingAxle(unsigned axle, uint8_t state) { trailer_.MoveLiftingAxleByHand(axle, state); }

} // namespace sim
