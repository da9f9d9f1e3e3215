// Message boxes of the GUI: every box of the program comes through here.
#pragma once

#include "Prompter.h"

namespace tarvel {

class WxPrompter : public Prompter {
public:
    MsgAnswer Show(const std::string& text, const std::string& caption, MsgIcon icon,
                   MsgButtons buttons) override;
};

} // namespace tarvel
