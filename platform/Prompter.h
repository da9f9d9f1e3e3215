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
// The button Enter presses: the first (OK, Yes or Retry), or No on a question
// whose Yes does harm (closing the program ends a download half done).
enum class MsgDefault { First, No };

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MsgAnswer Show(const std::string& text, const std::string& caption, MsgIcon icon,
                           MsgButtons buttons) = 0;
    // The same box with `defaultButton` as the button Enter presses. A
    // prompter without keys to press shows it as Show does.
    virtual MsgAnswer ShowWithDefault(const std::string& text, const std::string& caption, MsgIcon icon,
                                      MsgButtons buttons, MsgDefault defaultButton);
    // A page shows `text` in its own window as an instruction to the person
    // at the station (no box, nothing to answer); empty when it takes it
    // down. Nothing needs to be done about it but telling the witness.
    virtual void Instruct(const std::string& text) { (void)text; }
};

// The installed prompter, with the witness (if any) told first of every box
// and instruction that goes through it.
Prompter& GetPrompter();
void SetPrompter(Prompter* prompter); // not owned; nullptr restores the default

// Someone besides the user who sees what the program shows at the station:
// every box as it opens and every instruction a page shows. Nobody, unless
// the program's simulated world puts the person at its trailer here.
class PromptWitness {
public:
    virtual ~PromptWitness() = default;
    // A box opens with this text (before it is answered).
    virtual void BoxShown(const std::string& text) = 0;
    // A page shows this instruction; empty: it took its instruction down.
    virtual void InstructionShown(const std::string& text) = 0;
};
void SetPromptWitness(PromptWitness* witness); // not owned; nullptr: nobody

// Shows a box with an OK button (the common case).
inline MsgAnswer ShowMessage(const std::string& text, const std::string& caption,
                             MsgIcon icon = MsgIcon::Exclamation)
{
    return GetPrompter().Show(text, caption, icon, MsgButtons::Ok);
}

// Records every box with its default button and answers from a queue (Ok,
// or Yes for yes/no boxes, when the queue is empty). Thread-safe. A subclass
// that overrides Show sees the boxes shown with a default too.
class RecordingPrompter : public Prompter {
public:
    struct Box {
        std::string text;
        std::string caption;
        MsgIcon icon;
        MsgButtons buttons;
        MsgDefault defaultButton = MsgDefault::First;
    };

    MsgAnswer Show(const std::string& text, const std::string& caption, MsgIcon icon,
                   MsgButtons buttons) override;
    MsgAnswer ShowWithDefault(const std::string& text, const std::string& caption, MsgIcon icon,
                              MsgButtons buttons, MsgDefault defaultButton) override;

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
