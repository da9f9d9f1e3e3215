// What the program-download page decides, apart from its window: loading the
// ECU software file (Open File), the checks before a download (Start
// Download), Cancel, the connection message's list lines, and the page's
// start-up and clean-up. The page window forwards its buttons and the
// connection message here and shows DownloadPageState.
#pragma once

#include "DownloadPageState.h"
#include "PageHostTable.h"
#include "PageLogic.h"

#include <functional>
#include <string>
#include <vector>

// The page's fixed texts (the page does not follow the language).
extern const char* const kDownloadBusyOpenText;  // Open File while a download runs
extern const char* const kNoFilesOpenedText;
extern const char* const kNotH86Text;
extern const char* const kCantOpenText;          // followed by the path
extern const char* const kFileLoadedText;
extern const char* const kNoH86FileText;         // Start Download without a file
extern const char* const kDownloadBusyStartText; // Start Download while blocks are sent
extern const char* const kDownloadAbortedText;   // Cancel
extern const char* const kEcuDisconnectedText;
extern const char* const kEcuConnectedText;
extern const char* const kDownloadingText;

enum class StartDownloadOutcome {
    NotConnected, // the not-connected box was shown
    NoFile,       // no file loaded: box
    Running,      // blocks are being sent: list line
    Ready,        // every check passed; the sequence runs from here
};

class DownloadPageLogic : public tarvel::PageLogic {
public:
    static constexpr int kTab = tarvel::TabProgramDownload;

    // The page's start-up, while the view creates its pages: Cancel is
    // disabled and the UDS link is reset (time-out, both sides, block length).
    explicit DownloadPageLogic(const tarvel::PageContext& context);
    // The page's clean-up: the stop flag is raised, a running download gets
    // 20 ms to see it, then the UDS buffers are emptied.
    ~DownloadPageLogic() override;

    const DownloadPageState& State() const { return state_; }

    // "Open File": chooses, checks, reads and publishes an ECU software file.
    // A file that is refused, or a cancelled choice, leaves the previously
    // loaded image, its versions and FileLoaded as they were.
    void OnOpenFile();
    // "Start Download": the checks before the sequence; the download sequence
    // itself runs from SetDownloadSequence's callback once they pass.
    StartDownloadOutcome OnStartDownload();
    // "Cancel": stops a running download between two blocks.
    void OnCancel();
    // The connection message, sent by connect, disconnect and the navigation
    // guards while a download runs: one list line.
    void OnConnectionChanged();
    // The main window is about to close: while a download runs the user is
    // asked first (the ECU is left without valid software); once agreed the
    // download ends at its next check without a box.
    bool MayClose() override;
    // The user agreed to close the program during a download.
    bool ClosingProgram() const { return closingProgram_; }

    // Where the download sequence plugs in: called by OnStartDownload once
    // every check passed. The page starts with the UDS programming sequence
    // (DownloadSequence.h); null stops Start Download after the checks.
    void SetDownloadSequence(std::function<void(DownloadPageLogic&)> sequence) { sequence_ = std::move(sequence); }

    // For the download sequence: the list, the progress display, Cancel.
    void AppendMessage(const std::string& line);
    void SetProgress(int position, int range, const std::string& percentText);
    void ResetProgress();
    void EnableCancel(bool enabled);
    // True while the sequence runs (its waits pump events into this page).
    bool SequenceRunning() const { return sequenceRunning_; }
    // While the ECU restarts with its new software: the download itself is
    // over, so the program closes without its question.
    void SetAwaitingRestart(bool awaiting) { awaitingRestart_ = awaiting; }

private:
    void Box(int textRow);

    DownloadPageState state_;
    std::function<void(DownloadPageLogic&)> sequence_;
    bool sequenceRunning_ = false;
    bool closingProgram_ = false;
    bool awaitingRestart_ = false;
};

// How a software file's version shows in the message list: its characters
// (the four bytes are character codes, trailing zeros dropped), the bytes in
// hexadecimal when they are not all printable, and empty when all four are 0.
std::string SoftwareVersionText(const std::vector<uint8_t>& version);
