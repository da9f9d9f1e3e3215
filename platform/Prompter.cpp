#include "Prompter.h"

#include "Log.h"

#include <atomic>

namespace tarvel {

namespace {
// Without a GUI nobody can answer: log the box and take the default answer.
class LoggingPrompter : public Prompter {
public:
    MsgAnswer Show(const std::string& text, const std::string& caption, MsgIcon, MsgButtons buttons) override
    {
        TraceLog("[" + caption + "] " + text);
        return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) ? MsgAnswer::Yes
                                                                                   : MsgAnswer::Ok;
    }
};
LoggingPrompter g_loggingPrompter;
std::atomic<Prompter*> g_prompter{nullptr};
std::atomic<PromptWitness*> g_witness{nullptr};

Prompter& Installed()
{
    Prompter* p = g_prompter.load(std::memory_order_acquire);
    return p ? *p : g_loggingPrompter;
}

// What GetPrompter hands out: the installed prompter, seen by the witness.
class WitnessedPrompter : public Prompter {
public:
    MsgAnswer Show(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) override
    {
        if (PromptWitness* w = g_witness.load(std::memory_order_acquire))
            w->BoxShown(text);
        return Installed().Show(text, caption, icon, buttons);
    }
    void Instruct(const std::string& text) override
    {
        if (PromptWitness* w = g_witness.load(std::memory_order_acquire))
            w->InstructionShown(text);
        Installed().Instruct(text);
    }
};
WitnessedPrompter g_witnessedPrompter;
} // namespace

Prompter& GetPrompter() { return g_witnessedPrompter; }

void SetPrompter(Prompter* prompter)
{
    // The hand-out itself is no prompter to install: it would forward to itself.
    g_prompter.store(prompter == &g_witnessedPrompter ? nullptr : prompter, std::memory_order_release);
}

void SetPromptWitness(PromptWitness* witness) { g_witness.store(witness, std::memory_order_release); }

MsgAnswer RecordingPrompter::Show(const std::string& text, const std::string& caption, MsgIcon icon,
                                  MsgButtons buttons)
{
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_.push_back({text, caption, icon, buttons});
    if (!answers_.empty()) {
        MsgAnswer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) ? MsgAnswer::Yes : MsgAnswer::Ok;
}

void RecordingPrompter::QueueAnswer(MsgAnswer answer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.push_back(answer);
}

std::vector<RecordingPrompter::Box> RecordingPrompter::Boxes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

size_t RecordingPrompter::Count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_.size();
}

void RecordingPrompter::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_.clear();
    answers_.clear();
}

ScopedPrompter::ScopedPrompter(Prompter& prompter) : previous_(g_prompter.load())
{
    SetPrompter(&prompter);
}

ScopedPrompter::~ScopedPrompter() { SetPrompter(previous_); }

} // namespace tarvel
