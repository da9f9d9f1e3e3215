// Every open/save file dialog of the program goes through one FileChooser.
// The GUI shows the platform's dialog; tests install a RecordingFileChooser
// that records each request and answers from a script.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tarvel {

struct FileRequest {
    bool save = false;          // save dialog (true) or open dialog (false)
    std::string title;          // caption, UTF-8
    std::string folder;         // initial folder, may be empty
    std::string fileName;       // proposed file name, may be empty
    std::string filter;         // wx-style wildcard, e.g. "Text files (*.ini)|*.ini"
    // Saves: the extension ChooseSaveFile (FileSave.h) gives a name typed
    // without it, e.g. "TSO". The dialog itself adds nothing and asks nothing.
    std::string defaultExtension;
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen path (UTF-8), or nothing when the user cancelled.
    virtual std::optional<std::string> Choose(const FileRequest& request) = 0;
};

FileChooser& GetFileChooser();
void SetFileChooser(FileChooser* chooser); // not owned; nullptr restores the default

// Records every request and answers from a queue; an empty queue cancels.
class RecordingFileChooser : public FileChooser {
public:
    std::optional<std::string> Choose(const FileRequest& request) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
        if (answers_.empty())
            return std::nullopt;
        auto answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    void QueueAnswer(std::optional<std::string> path)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_.push_back(std::move(path));
    }
    std::vector<FileRequest> Requests() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<FileRequest> requests_;
    std::deque<std::optional<std::string>> answers_;
};

} // namespace tarvel
