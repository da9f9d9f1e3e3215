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

void SimOperator::BuildControlPressure(double bar) { trailer_.SetControlPressure(bar); }

void SimOperator::BuildControlPressure() { trailer_.SetControlPressure(trailerdata::kOperatorControlPressureBar); }

void SimOperator::ReleaseControlPressure() { trailer_.SetControlPressure(0.0); }

void SimOperator::MoveLiftingAxle(unsigned axle, uint8_t state) { trailer_.MoveLiftingAxleByHand(axle, state); }

} // namespace sim
