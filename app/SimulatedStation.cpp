#include "SimulatedStation.h"

#include "EolBackupPressureLogic.h"
#include "EolSensorTestLogic.h"
#include "PageContext.h"

#include "SimBuiltInWorld.h"
#include "SimStationOperator.h"

namespace tarvel {

std::string CannotTellLine(const std::string& text)
{
    return "Simulated trailer: the person at the trailer cannot tell what \"" + text + "\" asks for";
}

SimulatedStationWitness::SimulatedStationWitness(Say say) : say_(std::move(say)) {}

SimulatedStationWitness::Request SimulatedStationWitness::Understand(const std::string& text)
{
    Request request;
    if (text.empty())
        return request;
    int meanings = 0;
    const TextTable& texts = ProgramTexts();
    for (unsigned wheel = 1; wheel <= 4; ++wheel) {
        if (text == EolSensorTestLogic::WheelPrompt(texts, static_cast<int>(wheel) - 1)) {
            request.wheel = wheel;
            ++meanings;
        }
    }
    if (text == EolBackupPressureLogic::BuildPressureText(texts)) {
        request.pressure = true;
        ++meanings;
    }
    if (meanings <= 1)
        return request;
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        first = saidAbout_.insert(text).second;
    }
    if (first && say_)
        say_(CannotTellLine(text));
    return Request{};
}

void SimulatedStationWitness::BoxShown(const std::string& text)
{
    sim::SimStationOperator* person = sim::BuiltInOperator();
    if (!person)
        return;
    if (Understand(text).pressure)
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
    if (const unsigned wheel = Understand(text).wheel)
        person->TurnWheelWhenAsked(wheel);
}

} // namespace tarvel
