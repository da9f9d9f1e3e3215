#include "Prompter.h"

#include "Log.h"

#include <atomic>
#include <utility>

namespace tarvel {

namespace {
// Without a GUI nobody can answer: log the box and take the default answer.
class LoggingPrompter : public Prompter {
public:
    MsgAnswer Show(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) override
    {
        return ShowWithDefault(text, caption, icon, buttons, MsgDefault::First);
    }
    MsgAnswer ShowWithDefault(const std::string& text, const std::string& caption, MsgIcon, MsgButtons buttons,
                              MsgDefault defaultButton) override
    {
        TraceLog("[" + caption + "] " + text);
        const bool yesNo = buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel;
        if (!yesNo)
            return MsgAnswer::Ok;
        return defaultButton == MsgDefault::No ? MsgAnswer::No : MsgAnswer::Yes;
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
    MsgAnswer ShowWithDefault(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons,
                              MsgDefault defaultButton) override
    {
        if (PromptWitness* w = g_witness.load(std::memory_order_acquire))
            w->BoxShown(text);
        return Installed().ShowWithDefault(text, caption, icon, buttons, defaultButton);
    }
    void Instruct(const std::string& text) override
    {
        if (PromptWitness* w = g_witness.load(std::memory_order_acquire))
            w->InstructionShown(text);
        Installed().Instruct(text);
    }
};
WitnessedPrompter g_witnessedPrompter;

// The default of the box a RecordingPrompter is about to record on this
// thread: ShowWithDefault leaves it for Show, which takes it.
thread_local MsgDefault t_recordedDefault = MsgDefault::First;
} // namespace

MsgAnswer Prompter::ShowWithDefault(const std::string& text, const std::string& caption, MsgIcon icon,
                                    MsgButtons buttons, MsgDefault)
{
    return Show(text, caption, icon, buttons);
}

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
    const MsgDefault defaultButton = std::exchange(t_recordedDefault, MsgDefault::First);
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_.push_back({text, caption, icon, buttons, defaultButton});
    if (!answers_.empty()) {
        MsgAnswer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) ? MsgAnswer::Yes : MsgAnswer::Ok;
}

MsgAnswer RecordingPrompter::ShowWithDefault(const std::string& text, const std::string& caption, MsgIcon icon,
                                             MsgButtons buttons, MsgDefault defaultButton)
{
    // Through Show, so that a subclass's Show sees this box as well.
    t_recordedDefault = defaultButton;
    const MsgAnswer answer = Show(text, caption, icon, buttons);
    t_recordedDefault = MsgDefault::First;
    return answer;
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
