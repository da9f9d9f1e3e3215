// The person at the simulated trailer, told what the program shows: the
// composition puts a witness behind the prompter that turns the pages'
// requests into the person's acts (turn the wheel a prompt names, build the
// backup pressure the box asks for, let it go when the page moves on: its
// next box or instruction, or the end of its run, which takes the page's
// instruction down whatever ended it). No
// page knows the person is there; with a real ECU nobody is.
//
// The person reads a request as the page words it, from the page's own text
// (the language table's row, or the page's words when the row is empty), in
// whatever language the program runs. A text that could ask for two
// different things (two rows worded alike) leaves the person standing; the
// person says so, once for each such text, rather than waiting unseen.
#pragma once

#include "Prompter.h"

#include <functional>
#include <mutex>
#include <set>
#include <string>

namespace tarvel {

class SimulatedStationWitness : public PromptWitness {
public:
    using Say = std::function<void(const std::string& line)>;
    explicit SimulatedStationWitness(Say say = {});

    void BoxShown(const std::string& text) override;
    void InstructionShown(const std::string& text) override;

private:
    // What `text` asks of the person: a wheel 1..4 (c..f), the backup
    // pressure, nothing, or more than one of them (then the person says so).
    struct Request {
        unsigned wheel = 0;
        bool pressure = false;
    };
    Request Understand(const std::string& text);

    Say say_;
    std::mutex mutex_;
    std::set<std::string> saidAbout_;
};

// The line the person says about a text it cannot make out.
std::string CannotTellLine(const std::string& text);

} // namespace tarvel
