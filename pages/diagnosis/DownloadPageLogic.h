// What the program-download page decides, apart from its window: loading the
// ECU software file (Open File), the checks before a download (Start
// Download), Cancel, the connection message's list lines, and the page's
// start-up and clean-up. The page window only forwards its buttons here and
// shows DownloadPageState.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarvel {

class Clock;
class FileChooser;
class Prompter;

// Colour of the percentage label (0x00BBGGRR).
constexpr uint32_t kDownloadPercentColour = 0x803400;

// The page's fixed texts (the page does not follow the language).
extern const char* const kDownloadBusyOpenText;    // Open File while a download runs
extern const char* const kNoFilesOpenedText;
extern const char* const kNotH86Text;
extern const char* const kCantOpenText;            // followed by the path
extern const char* const kFileLoadedText;
extern const char* const kNoH86FileText;           // Start Download without a file
extern const char* const kDownloadBusyStartText;   // Start Download while blocks are sent
extern const char* const kDownloadAbortedText;     // Cancel
extern const char* const kEcuDisconnectedText;
extern const char* const kEcuConnectedText;
extern const char* const kDownloadingText;

// What the page shows.
struct DownloadPageState {
    std::vector<std::string> messages;  // the message list, oldest first
    int progressRange = 100;
    int progressPosition = 0;
    std::string percentText = "0%";
    uint32_t percentColour = kDownloadPercentColour;
    std::string fileName;               // the browse edit: the file last loaded
    bool cancelEnabled = false;
};

enum class StartDownloadOutcome {
    NotConnected,  // the not-connected box was shown
    NoFile,        // no file loaded: box
    Running,       // blocks are being sent: list line
    Ready,         // every check passed; the sequence runs from here
};

class DownloadPageLogic {
public:
    // Everything the page waits on, asks or shows a box through.
    struct Services {
        Clock* clock = nullptr;               // nullptr: the program's clock
        Prompter* prompter = nullptr;         // nullptr: the program's prompter
        FileChooser* fileChooser = nullptr;   // nullptr: the program's chooser
        // Resets the UDS link at start-up (ResetUdsLink by default: the
        // response time-out holds from program load, so start-up need not
        // pause for it).
        std::function<void()> initLink;
        // Empties the UDS buffers when the page goes (ResetUdsBuffers by default).
        std::function<void()> resetBuffers;
        // Switches the ECU back to its default session (10 01) after Cancel.
        std::function<int()> defaultSession;
    };

    DownloadPageLogic();
    explicit DownloadPageLogic(Services services);

    // Page start-up: Cancel disabled, the UDS link reset once.
    void OnInitDialog();
    // Page clean-up: the stop flag is raised, the running sequence gets 20 ms
    // to see it, then the UDS buffers are emptied.
    void OnDestroy();

    // "Open File": chooses, checks, reads and publishes an ECU software file.
    // A file that is refused, or a cancelled choice, leaves the previously
    // loaded image, its versions and FileLoaded as they were.
    void OnOpenFile();
    // "Start Download": the checks before the sequence. The download
    // sequence itself runs from SetDownloadSequence's callback once they pass.
    StartDownloadOutcome OnStartDownload();
    // "Cancel": stops a running download between two blocks.
    void OnCancel();
    // The connection message (sent by connect, disconnect and the navigation
    // guards while a download runs).
    void OnConnectionChanged();

    // Where the download sequence plugs in: called by OnStartDownload once
    // every check passed. Until it is set, Start Download stops after them.
    void SetDownloadSequence(std::function<void(DownloadPageLogic&)> sequence) { sequence_ = std::move(sequence); }
    // Called after every change of the state (the window re-renders).
    void SetChangedObserver(std::function<void()> observer) { changed_ = std::move(observer); }

    const DownloadPageState& State() const { return state_; }

    // For the download sequence: the list, the progress display, Cancel.
    void AppendMessage(const std::string& line);
    void SetProgress(int position, int range, const std::string& percentText);
    void ResetProgress();
    void EnableCancel(bool enabled);

private:
    Clock& TheClock() const;
    Prompter& ThePrompter() const;
    FileChooser& TheFileChooser() const;
    void NotConnectedBox();
    void Changed();

    Services services_;
    DownloadPageState state_;
    std::function<void(DownloadPageLogic&)> sequence_;
    std::function<void()> changed_;
};

} // namespace tarvel
