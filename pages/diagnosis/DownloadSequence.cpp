#include "DownloadSequence.h"

#include "AppMessages.h"
#include "Crc32.h"
#include "DelayPumping.h"
#include "DiagnosisGlobals.h"
#include "DownloadPageLogic.h"
#include "EcuRestart.h"
#include "IsoTpLink.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"
#include "WindowRegistry.h"

#include <algorithm>

const char* const kDownloadSuccessText = "Download Success";
const char* const kDownloadErrorText = "Download error, Please try again";
const char* const kEmptyImageText = "The software file holds no data, download failed";

namespace tarvel {

namespace {

constexpr int kRowWarningCaption = 74;
constexpr int kRowBootLoaderRefused = 467;
constexpr int kRowHardwareRefused = 468;
constexpr int kRowBootLoaderCheckFailed = 469;
constexpr int kRowNoBootLoaderVersion = 470;
constexpr int kRowNoAnswerAfterRestart = 682;

const char* const kFailed1003 = "Request Failed（10 03）";
const char* const kFailed3101 = "Request Failed（31 01）";
const char* const kPreconditionsText = "Programming condition check error, download failed";
const char* const kFailed8502 = "Request Failed（85 02）";
const char* const kFailed280303 = "Request Failed（28 03 03）";
const char* const kFailed1002 = "Request Failed（10 02）";
const char* const kFailed2709 = "Request Failed（27 09）";
const char* const kCompatibilityFailed =
    "Request Failed（31 01 Boot And Hardware Compatibility Check），download failed";
const char* const kEraseFailed = "Request Failed（31 01），download failed";
const char* const kBlockLengthText = "Request Failed（34），the ECU accepts no data blocks, download failed";
const char* const kExitFailed = "Request Failed（37），download failed";
const char* const kChecksumFailed = "Request Failed（31 01），download failed";
const char* const kIncompleteText = "Program is incomplete, download failed";
const char* const kDependencyFailed = "Request Failed（31 01），Download Failed";
const char* const kIncompatibleText = "Incompatible programs, Download failed";
const char* const kResetFailed = "Request Failed（11 01），Download Failed";
const char* const kSuccessCaption = "Tips";

bool AllZero(const std::vector<uint8_t>& v)
{
    return v.size() < 4 || (v[0] == 0 && v[1] == 0 && v[2] == 0 && v[3] == 0);
}

uint8_t Status(const std::vector<uint8_t>& out) { return out.empty() ? 0xFF : out[0]; }

} // namespace

uint32_t DownloadBlockCount(uint32_t imageLength, uint32_t blockLength)
{
    if (blockLength == 0)
        return 0;
    return imageLength / blockLength + (imageLength % blockLength != 0 ? 1 : 0);
}

uint8_t DownloadBlockCounter(uint32_t blockIndex) { return static_cast<uint8_t>(blockIndex + 1); }

int DownloadPercent(uint32_t blockIndex, uint32_t blocks)
{
    if (blocks <= 1)
        return 100;
    return static_cast<int>(uint64_t(blockIndex) * 100 / (blocks - 1));
}

void DownloadSequence::Warn(const std::string& text)
{
    // A program that closes leaves no box behind.
    if (page_.ClosingProgram())
        return;
    page_.Context().prompter.Show(text, "Warning", MsgIcon::None, MsgButtons::Ok);
}

DownloadEnd DownloadSequence::Refuse(const std::string& warning)
{
    Warn(warning);
    return DownloadEnd::Refused;
}

DownloadEnd DownloadSequence::RefuseRow(int row)
{
    if (page_.ClosingProgram())
        return DownloadEnd::Refused;
    const TextTable& texts = page_.Context().texts;
    page_.Context().prompter.Show(texts.Text(row), texts.Text(kRowWarningCaption), MsgIcon::Exclamation,
                                  MsgButtons::Ok);
    return DownloadEnd::Refused;
}

// After every answer: a lost connection ends the sequence at once, Cancel ends
// it with the default session and the warning line. Nothing else is sent.
bool DownloadSequence::Interrupted(DownloadEnd& end)
{
    if (page_.ClosingProgram()) {
        // The user chose to close the program: nothing more is sent.
        end = DownloadEnd::Closed;
        return true;
    }
    if (EcuConnected != 1) {
        page_.ResetProgress();
        Warn(kDownloadErrorText);
        end = DownloadEnd::Disconnected;
        return true;
    }
    if (DownloadCancelled == 1) {
        page_.ResetProgress();
        UdsDiagnosticSessionControl(0x01);
        page_.AppendMessage(kDownloadAbortedText);
        end = DownloadEnd::Cancelled;
        return true;
    }
    return false;
}

DownloadEnd DownloadSequence::Run()
{
    TestRunning = 1;
    DownloadCancelled = 0;
    DownloadIdle = 0;
    DownloadEnd end = DownloadEnd::Refused;
    if (FlashImage.empty() || FlashImageLength == 0) {
        // Nothing to write: refused before the ECU erases anything.
        Warn(kEmptyImageText);
    } else {
        end = Transfer();
    }
    DownloadRunning = 0;
    page_.EnableCancel(false);
    const bool restarted = end == DownloadEnd::Success && AwaitRestart();
    // Every end gives the keep-alive and the navigation back.
    DownloadIdle = 1;
    TestRunning = 0;
    if (restarted) {
        // The box, then the pages read the new software.
        page_.Context().prompter.Show(kDownloadSuccessText, kSuccessCaption, MsgIcon::None, MsgButtons::Ok);
        if (!page_.ClosingProgram() && EcuConnected == 1) {
            SendToRegisteredWindow(WindowSlot::DeviceInfoPage, WM_DEVICEINFO_RELOAD);
            SendToRegisteredWindow(WindowSlot::LiftingAxlePage, WM_LIFTAXLE_RELOAD_CONFIG);
        }
    }
    return end;
}

// The ECU restarts with its new software and answers nothing meanwhile. The
// keep-alive stays suspended and nothing reads the ECU until it answered
// again. An ECU that stays silent beyond the allowance is lost: one box, and
// the link is closed. True once the ECU answered.
bool DownloadSequence::AwaitRestart()
{
    page_.SetAwaitingRestart(true);
    const EcuRestartEnd back =
        WaitForEcuRestart([this] { return page_.ClosingProgram() || EcuConnected != 1; });
    page_.SetAwaitingRestart(false);
    if (back == EcuRestartEnd::NoAnswer) {
        const TextTable& texts = page_.Context().texts;
        page_.Context().prompter.Show(texts.Text(kRowNoAnswerAfterRestart), texts.Text(kRowWarningCaption),
                                      MsgIcon::Exclamation, MsgButtons::Ok);
        CloseLinkToLostEcu();
    }
    // Stopped: the program closes, or the link went (the page said so).
    return back == EcuRestartEnd::Answered;
}

DownloadEnd DownloadSequence::Transfer()
{
    DownloadEnd end{};
    std::vector<uint8_t> out;

    step_ = DownloadStep::ExtendedSession;
    const int extended = UdsDiagnosticSessionControl(0x03);
    if (Interrupted(end)) return end;
    if (!extended) return Refuse(kFailed1003);

    step_ = DownloadStep::Preconditions;
    const int preconditions = UdsRoutineControl(0x0203, 0x01, out);
    if (Interrupted(end)) return end;
    if (!preconditions) return Refuse(kFailed3101);
    if (Status(out) != 0) return Refuse(kPreconditionsText);

    step_ = DownloadStep::DtcSettingOff;
    const int dtcOff = UdsControlDtcSetting(0x02);
    if (Interrupted(end)) return end;
    if (!dtcOff) return Refuse(kFailed8502);

    step_ = DownloadStep::CommunicationOff;
    const int commOff = UdsCommunicationControl(0x03, 0x03);
    if (Interrupted(end)) return end;
    if (!commOff) return Refuse(kFailed280303);

    step_ = DownloadStep::ProgrammingSession;
    ProgrammingSessionSeen = 0;
    const int programming = UdsDiagnosticSessionControl(0x02);
    if (Interrupted(end)) return end;
    if (!programming) return Refuse(kFailed1002);

    step_ = DownloadStep::Unlock;
    const int unlocked = UdsSecurityAccessLevel(3);
    if (Interrupted(end)) return end;
    if (!unlocked) return Refuse(kFailed2709);

    // A file without a boot-loader version passes both compatibility checks
    // when the ECU refuses them.
    const bool noBootLoaderVersion = AllZero(FlashBootLoaderVersion);
    step_ = DownloadStep::BootLoaderCheck;
    const int bootLoader = UdsRoutineControl8Var(0x01, 0x02, 0x04, FlashBootLoaderVersion, out);
    if (Interrupted(end)) return end;
    if (bootLoader) {
        if (noBootLoaderVersion) return RefuseRow(kRowNoBootLoaderVersion);
        if (Status(out) == 0) return RefuseRow(kRowBootLoaderRefused);
    } else if (!noBootLoaderVersion) {
        return RefuseRow(kRowBootLoaderCheckFailed);
    }

    step_ = DownloadStep::HardwareCheck;
    const int hardware = UdsRoutineControl8Var(0x01, 0x02, 0x05, FlashHardwareVersion, out);
    if (Interrupted(end)) return end;
    if (hardware) {
        if (Status(out) == 0) return RefuseRow(kRowHardwareRefused);
    } else if (!noBootLoaderVersion) {
        return Refuse(kCompatibilityFailed);
    }

    step_ = DownloadStep::Erase;
    const int erased = UdsRoutineControl13(0xFF, 0x00, 0x44, FlashAddressBytes, FlashLengthBytes, out);
    if (Interrupted(end)) return end;
    if (!erased) return Refuse(kFailed3101);
    if (Status(out) != 0) return Refuse(kEraseFailed);
    EcuIdentified = 0; // the identification must be read again

    step_ = DownloadStep::RequestDownload;
    const uint32_t maxBlockLength =
        UdsRequestDownload(FlashStartAddress, FlashImageLength, FlashAddressBytes, FlashLengthBytes);
    if (Interrupted(end)) return end;
    if (maxBlockLength == 0) return DownloadEnd::Refused; // the service call showed its box
    if (maxBlockLength <= 2) return Refuse(kBlockLengthText);
    FlashBlockLength = std::min(maxBlockLength - 2, kMaxFlashBlockLength);

    step_ = DownloadStep::Transfer;
    page_.AppendMessage(kDownloadingText);
    const uint32_t fullBlocks = FlashImageLength / FlashBlockLength;
    const uint32_t blocks = DownloadBlockCount(FlashImageLength, FlashBlockLength);
    uint32_t sent = 0;
    for (uint32_t i = 0; i < blocks; ++i) {
        const size_t from = size_t(i) * FlashBlockLength;
        const size_t to = std::min<size_t>(from + FlashBlockLength, FlashImage.size());
        FlashBlock.assign(FlashImage.begin() + static_cast<std::ptrdiff_t>(from),
                          FlashImage.begin() + static_cast<std::ptrdiff_t>(to));
        const int ok = UdsTransferData(static_cast<int>(FlashBlock.size()), DownloadBlockCounter(i), FlashBlock);
        if (Interrupted(end)) return end;
        if (!ok) {
            DownloadCancelled = 1;
            page_.ResetProgress();
            Warn(kDownloadErrorText);
            return DownloadEnd::TransferFailed;
        }
        DownloadRunning = 1;
        ++sent;
        page_.SetProgress(static_cast<int>(i), static_cast<int>(fullBlocks),
                          std::to_string(DownloadPercent(i, blocks)) + "%");
        page_.EnableCancel(true);
    }
    if (sent != blocks) return DownloadEnd::Refused;

    step_ = DownloadStep::TransferExit;
    const int exited = UdsRequestTransferExit();
    if (Interrupted(end)) return end;
    if (!exited) return Refuse(kExitFailed);

    step_ = DownloadStep::Checksum;
    const auto crc = Crc32Bytes(Crc32(FlashImage));
    const int checked = UdsRoutineControl8(0x02, 0x02, std::vector<uint8_t>(crc.begin(), crc.end()), out);
    if (Interrupted(end)) return end;
    if (!checked) return Refuse(kChecksumFailed);
    if (Status(out) != 0) return Refuse(kIncompleteText);

    step_ = DownloadStep::Dependencies;
    const int dependencies = UdsRoutineControl4(0x01, 0xFF, 0x01, out);
    if (Interrupted(end)) return end;
    if (!dependencies) return Refuse(kDependencyFailed);
    if (Status(out) != 0) return Refuse(kIncompatibleText);

    step_ = DownloadStep::Reset;
    const int reset = UdsEcuReset();
    if (page_.ClosingProgram() || EcuConnected != 1) {
        Interrupted(end);
        return end;
    }
    if (!reset) return Refuse(kResetFailed);

    step_ = DownloadStep::Done;
    page_.AppendMessage(kDownloadSuccessText);
    DownloadCancelled = 1;
    return DownloadEnd::Success;
}

void RunDownloadSequence(DownloadPageLogic& page)
{
    DownloadSequence sequence(page);
    sequence.Run();
}

} // namespace tarvel
