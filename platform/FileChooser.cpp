#include "FileChooser.h"

namespace tarvel {
namespace {

// Without a window system nobody can choose: every request is cancelled.
class NoFileChooser : public FileChooser {
public:
    std::optional<std::string> Choose(const FileRequest&) override { return std::nullopt; }
};

NoFileChooser defaultChooser;
FileChooser* current = nullptr;

} // namespace

FileChooser& GetFileChooser() { return current ? *current : defaultChooser; }
void SetFileChooser(FileChooser* chooser) { current = chooser; }

} // namespace tarvel
