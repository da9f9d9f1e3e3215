// The UDS programming sequence that writes the loaded ECU software into the
// ECU: sessions, security access, the boot loader's compatibility checks,
// erase, the transfer in blocks, checksum, dependency check and reset. It runs
// on the UI thread behind the program-download page (DownloadPageLogic); each
// UDS call waits while pumping events, so Cancel and the connection message
// reach the page while a step waits. After every answer the sequence looks at
// the connection and at DownloadCancelled before it sends anything else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class DownloadPageLogic;

// Boxes and lines of the sequence (the page does not follow the language).
extern const char* const kDownloadSuccessText;
extern const char* const kDownloadErrorText;
extern const char* const kEmptyImageText;

namespace tarvel {

// The transport carries at most 4095 bytes in one message: 36, the counter
// and this many data bytes.
constexpr uint32_t kMaxFlashBlockLength = 4093;

enum class DownloadStep {
    ExtendedSession,    // 10 03
    Preconditions,      // 31 01 02 03
    DtcSettingOff,      // 85 02
    CommunicationOff,   // 28 03 03
    ProgrammingSession, // 10 02
    Unlock,             // 27 09 / 27 0A
    BootLoaderCheck,    // 31 01 02 04 + boot-loader version
    HardwareCheck,      // 31 01 02 05 + hardware version
    Erase,              // 31 01 FF 00 44 + address + length
    RequestDownload,    // 34 00 44 + address + length
    Transfer,           // 36 counter block, for every block
    TransferExit,       // 37
    Checksum,           // 31 01 02 02 + CRC-32
    Dependencies,       // 31 01 FF 01
    Reset,              // 11 01
    Done,
};

enum class DownloadEnd {
    Success,
    Refused,      // a step failed or the ECU refused (its box was shown)
    Cancelled,    // Cancel: 10 01 was sent and the warning line added
    Disconnected, // the connection went: "Download error, Please try again"
    TransferFailed,
    Closed,       // the user closes the program: ended without a box
};

// Number of TransferData requests for an image: whole blocks plus one shorter
// block for a remainder.
uint32_t DownloadBlockCount(uint32_t imageLength, uint32_t blockLength);
// The block sequence counter of block i (from 0): 1, 2, ..., FF, 00, 01, ...
uint8_t DownloadBlockCounter(uint32_t blockIndex);
// The percentage shown after block i of `blocks` (100 after the last one).
int DownloadPercent(uint32_t blockIndex, uint32_t blocks);

class DownloadSequence {
public:
    explicit DownloadSequence(DownloadPageLogic& page) : page_(page) {}
    // Runs the whole sequence; every end restores DownloadIdle, TestRunning
    // and DownloadRunning so the keep-alive resumes (after a success once the
    // restarted ECU answered).
    DownloadEnd Run();
    // The step the sequence was at when it ended.
    DownloadStep LastStep() const { return step_; }

private:
    DownloadStep Step();
    DownloadEnd Transfer();
    bool Interrupted(DownloadEnd& end);
    DownloadEnd Refuse(const std::string& warning);
    DownloadEnd RefuseRow(int row);
    void Warn(const std::string& text);
    bool AwaitRestart();

    DownloadPageLogic& page_;
    DownloadStep step_ = DownloadStep::ExtendedSession;
};

// What the page runs once Start Download passed its checks.
void RunDownloadSequence(DownloadPageLogic& page);

} // namespace tarvel
