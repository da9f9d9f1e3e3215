// Every message box of the program goes through one Prompter. The GUI shows a
// real box; tests install a RecordingPrompter that records each box and
// answers from a script.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace tarvel {

enum class MsgIcon { None, Information, Exclamation, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MsgAnswer Show(const std::string& text, const std::string& caption, MsgIcon icon,
                           MsgButtons buttons) = 0;
};

Prompter& GetPrompter();
void SetPrompter(Prompter* prompter); // not owned; nullptr restores the default

// Shows a box with an OK button (the common case).
inline MsgAnswer ShowMessage(const std::string& text, const std::string& caption,
                             MsgIcon icon = MsgIcon::Exclamation)
{
    return GetPrompter().Show(text, caption, icon, MsgButtons::Ok);
}

// Records every box and answers from a queue (Ok, or Yes for yes/no boxes,
// when the queue is empty). Thread-safe.
class RecordingPrompter : public Prompter {
public:
    struct Box {
        std::string text;
        std::string caption;
        MsgIcon icon;
        MsgButtons buttons;
    };

    MsgAnswer Show(const std::string& text, const std::string& caption, MsgIcon icon,
                   MsgButtons buttons) override;

    void QueueAnswer(MsgAnswer answer);
    std::vector<Box> Boxes() const;
    size_t Count() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    std::deque<MsgAnswer> answers_;
};

// Installs a prompter for the lifetime of the guard (tests).
class ScopedPrompter {
public:
    explicit ScopedPrompter(Prompter& prompter);
    ~ScopedPrompter();
    ScopedPrompter(const ScopedPrompter&) = delete;
    ScopedPrompter& operator=(const ScopedPrompter&) = delete;

private:
    Prompter* previous_;
};

} // namespace tarvel
