// The person at the simulated trailer, told what the program shows: the
// composition puts a witness behind the prompter that turns the pages'
// requests into the person's acts (turn the wheel a prompt names, build the
// backup pressure the box asks for, let it go when the page moves on). No
// page knows the person is there; with a real ECU nobody is.
#pragma once

#include "Prompter.h"

namespace tarvel {

class SimulatedStationWitness : public PromptWitness {
public:
    void BoxShown(const std::string& text) override;
    void InstructionShown(const std::string& text) override;
};

} // namespace tarvel
