// File dialogs of the GUI: every open and save dialog of the program comes through here.
#pragma once

#include "FileChooser.h"

namespace tarvel {

class WxFileChooser : public FileChooser {
public:
    std::optional<std::string> Choose(const FileRequest& request) override;
};

} // namespace tarvel
