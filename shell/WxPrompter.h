// Message boxes of the GUI: every box of the program comes through here.
#pragma once

#include "Prompter.h"

namespace tarvel {

class WxPrompter : public Prompter {
public:
    // On the UI thread shows the box and returns the user's answer. Any other
    // thread (the live-data worker runs UDS requests, which report time-outs
    // and negative responses) must not touch a window, and must not wait for
    // the user either: the UI thread may itself be waiting for that thread to
    // end. Its box is handed to the UI thread, which shows it through the
    // program's prompter when it next dispatches events, and the caller gets
    // at once the answer that changes nothing (OK, Cancel or No).
    MsgAnswer Show(const std::string& text, const std::string& caption, MsgIcon icon,
                   MsgButtons buttons) override;
    MsgAnswer ShowWithDefault(const std::string& text, const std::string& caption, MsgIcon icon,
                              MsgButtons buttons, MsgDefault defaultButton) override;

    // What a box shown on behalf of another thread answers.
    static MsgAnswer AnswerWithoutUser(MsgButtons buttons);

protected:
    // Shows the box modally in the middle of the main window, its text
    // broken into lines that fit the screen; UI thread only. Bytes of the
    // text that are not UTF-8 show as \xHH.
    virtual MsgAnswer ShowBox(const std::string& text, const std::string& caption, MsgIcon icon,
                              MsgButtons buttons, MsgDefault defaultButton);
};

} // namespace tarvel
