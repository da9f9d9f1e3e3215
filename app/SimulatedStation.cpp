#include "SimulatedStation.h"

#include "EolBackupPressureLogic.h"
#include "EolSensorTestLogic.h"
#include "LanguageTable.h"

#include "SimBuiltInWorld.h"
#include "SimStationOperator.h"

namespace tarvel {

namespace {

// The wheel (1..4, c..f) a wheel-sensor prompt names in the current
// language; 0 for any other text.
unsigned WheelAskedFor(const std::string& text)
{
    for (unsigned wheel = 1; wheel <= 4; ++wheel)
        if (text == LanguageText(EolSensorTestLogic::kFirstPromptRow + static_cast<int>(wheel) - 1))
            return wheel;
    return 0;
}

} // namespace

void SimulatedStationWitness::BoxShown(const std::string& text)
{
    sim::SimStationOperator* person = sim::BuiltInOperator();
    if (!person)
        return;
    if (text == LanguageText(EolBackupPressureLogic::kBuildPressureTextRow))
        person->BuildPressureWhenAsked();
    else
        person->MoveOn();
}

void SimulatedStationWitness::InstructionShown(const std::string& text)
{
    sim::SimStationOperator* person = sim::BuiltInOperator();
    if (!person)
        return;
    person->MoveOn();
    if (const unsigned wheel = WheelAskedFor(text))
        person->TurnWheelWhenAsked(wheel);
}

} // namespace tarvel
