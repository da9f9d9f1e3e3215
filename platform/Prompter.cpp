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
} // namespace

Prompter& GetPrompter()
{
    Prompter* p = g_prompter.load(std::memory_order_acquire);
    return p ? *p : g_loggingPrompter;
}

void SetPrompter(Prompter* prompter) { g_prompter.store(prompter, std::memory_order_release); }

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
