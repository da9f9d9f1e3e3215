#include "DownloadPageLogic.h"

#include "DiagnosisGlobals.h"
#include "DownloadSequence.h"
#include "SettingsFiles.h"
#include "ShellGlobals.h"
#include "SoftwareFile.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

const char* const kDownloadBusyOpenText = "Program is downloading. Please stop and select  H86 file again";
const char* const kNoFilesOpenedText = "No Files Opened";
const char* const kNotH86Text = "The file is not .H86 type, please load .H86 type file";
const char* const kCantOpenText = "Can't Open";
const char* const kFileLoadedText = "File loaded successfully";
const char* const kNoH86FileText = "Can't find .H86 file, please load .H86 file";
const char* const kDownloadBusyStartText = "Program is downloading. Do not click the download button";
const char* const kDownloadAbortedText = "Warning! Download was aborted, The ECU will not work!!!";
const char* const kEcuDisconnectedText = "ECU disconnected";
const char* const kEcuConnectedText = "ECU connected";
const char* const kDownloadingText = "Downloading..., Do not switch to another page";

namespace {

constexpr int kRowNotConnected = 75;
constexpr int kRowWarningCaption = 74;
constexpr int kRowInvalidSoftwareFile = 471;
constexpr int kRowDownloadCaption = 12;
constexpr int kRowBootLoaderVersion = 669;
constexpr int kRowHardwareVersion = 670;
constexpr int kRowNoVersion = 671;
constexpr int kRowVersionsChecked = 672;
constexpr int kRowCloseDuringDownload = 673;
// The running sequence checks its stop flag between two blocks.
constexpr uint64_t kStopGraceMs = 20;

const char* const kOpenFileName = "*.H86";
const char* const kOpenFilter = "文件 (*.*)|*.*";

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    const auto fsPath = std::filesystem::u8path(path);
    std::error_code ec;
    if (std::filesystem::is_directory(fsPath, ec)) return std::nullopt;
    std::ifstream in(fsPath, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

} // namespace

std::string SoftwareVersionText(const std::vector<uint8_t>& version)
{
    size_t used = std::min<size_t>(version.size(), 4);
    while (used > 0 && version[used - 1] == 0)
        --used;
    if (used == 0)
        return std::string();
    std::string text(version.begin(), version.begin() + static_cast<std::ptrdiff_t>(used));
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }))
        return text;
    static const char* const kHex = "0123456789ABCDEF";
    text.clear();
    for (size_t i = 0; i < std::min<size_t>(version.size(), 4); ++i) {
        if (i > 0)
            text += ' ';
        text += kHex[version[i] >> 4];
        text += kHex[version[i] & 0x0F];
    }
    return text;
}

DownloadPageLogic::DownloadPageLogic(const tarvel::PageContext& context) : PageLogic(kTab, context)
{
    // The response time-out holds from program load, so the start-up does not
    // pause for the link as well.
    tarvel::ResetUdsLink();
    sequence_ = tarvel::RunDownloadSequence;
}

DownloadPageLogic::~DownloadPageLogic()
{
    DownloadCancelled = 1;
    // Only a running download has a sequence that must see the flag.
    if (DownloadIdle == 0 || DownloadRunning == 1)
        Context().clock.SleepMs(kStopGraceMs);
    tarvel::ResetUdsBuffers();
}

void DownloadPageLogic::Box(int textRow)
{
    Context().prompter.Show(Context().texts.Text(textRow), Context().texts.Text(kRowWarningCaption),
                            tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
}

void DownloadPageLogic::AppendMessage(const std::string& line)
{
    state_.messages.push_back(line);
    Changed();
}

void DownloadPageLogic::SetProgress(int position, int range, const std::string& percentText)
{
    state_.progressPosition = position;
    state_.progressRange = range;
    state_.percentText = percentText;
    state_.percentColour = kDownloadPercentColour;
    Changed();
}

void DownloadPageLogic::ResetProgress()
{
    state_.progressPosition = 0;
    state_.percentText = "0%";
    state_.percentColour = kDownloadPercentColour;
    Changed();
}

void DownloadPageLogic::EnableCancel(bool enabled)
{
    state_.cancelEnabled = enabled;
    Changed();
}

void DownloadPageLogic::OnOpenFile()
{
    if (EcuConnected != 1) {
        Box(kRowNotConnected);
        return;
    }
    tarvel::FileRequest request;
    request.save = false;
    request.folder = DownLoadFilePath;
    request.fileName = kOpenFileName;
    request.filter = kOpenFilter;
    const std::string path = Context().files.Choose(request).value_or(std::string());

    // The dialog pumps events: the state is read after it closed. Every step
    // of a download counts, not only the transfer of blocks.
    if (DownloadRunning == 1 || DownloadIdle == 0 || sequenceRunning_) {
        AppendMessage(kDownloadBusyOpenText);
        return;
    }
    if (path.empty()) {
        AppendMessage(kNoFilesOpenedText);
        return;
    }
    if (!tarvel::IsSoftwareFileExtension(tarvel::SoftwareFileExtension(path))) {
        AppendMessage(kNotH86Text);
        return;
    }
    const auto text = ReadWholeFile(path);
    if (!text) {
        AppendMessage(kCantOpenText + path);
        return;
    }
    const tarvel::SoftwareFileResult result = tarvel::ReadSoftwareFileText(*text);
    if (!result.Ok()) {
        AppendMessage(tarvel::DescribeSoftwareFileFault(result));
        Box(kRowInvalidSoftwareFile);
        return;
    }
    tarvel::CommitSoftwareImage(result.image);
    DownLoadFilePath = tarvel::SoftwareFileFolder(path);
    state_.fileName = path;
    state_.messages.push_back(kFileLoadedText);
    // The versions the ECU is asked to check before it is programmed; an ECU
    // that checks them may refuse a file that lacks one, which the user
    // learns here already.
    const auto& texts = Context().texts;
    const std::string bootLoader = SoftwareVersionText(FlashBootLoaderVersion);
    const std::string hardware = SoftwareVersionText(FlashHardwareVersion);
    state_.messages.push_back(texts.Text(kRowBootLoaderVersion) + " " +
                              (bootLoader.empty() ? texts.Text(kRowNoVersion) : bootLoader));
    state_.messages.push_back(texts.Text(kRowHardwareVersion) + " " +
                              (hardware.empty() ? texts.Text(kRowNoVersion) : hardware));
    if (bootLoader.empty() || hardware.empty())
        state_.messages.push_back(texts.Text(kRowVersionsChecked));
    ResetProgress();
}

StartDownloadOutcome DownloadPageLogic::OnStartDownload()
{
    if (EcuConnected != 1) {
        Box(kRowNotConnected);
        return StartDownloadOutcome::NotConnected;
    }
    if (FileLoaded != 1) {
        Context().prompter.Show(kNoH86FileText, "Warning", tarvel::MsgIcon::None, tarvel::MsgButtons::Ok);
        return StartDownloadOutcome::NoFile;
    }
    // Refused during every step of a running download, not only while
    // blocks are sent: a second sequence would nest inside the first one's wait.
    if (DownloadRunning == 1 || DownloadIdle == 0 || sequenceRunning_) {
        AppendMessage(kDownloadBusyStartText);
        return StartDownloadOutcome::Running;
    }
    // The download sequence (sessions, security access, compatibility checks,
    // erase, transfer, checksum, reset) runs from here; it owns TestRunning,
    // DownloadIdle and DownloadCancelled from its first step on.
    if (sequence_) {
        sequenceRunning_ = true;
        sequence_(*this);
        sequenceRunning_ = false;
    }
    return StartDownloadOutcome::Ready;
}

void DownloadPageLogic::OnCancel()
{
    if (EcuConnected != 1) {
        Box(kRowNotConnected);
        return;
    }
    if (sequenceRunning_) {
        // The sequence is waiting for an answer: it sees the flag once that
        // answer is in, returns the ECU to the default session itself and
        // adds the warning line, so no request is sent inside its wait.
        if (DownloadCancelled == 0) {
            DownloadCancelled = 1;
            EnableCancel(false);
        }
        return;
    }
    if (DownloadCancelled == 0) {
        DownloadRunning = 0;
        DownloadCancelled = 1;
        tarvel::TestRunning = 0;
        DownloadIdle = 1;
        EnableCancel(false);
        tarvel::UdsDiagnosticSessionControl(0x01);
    }
    AppendMessage(kDownloadAbortedText);
}

bool DownloadPageLogic::MayClose()
{
    if (closingProgram_)
        return true;
    if (!sequenceRunning_ && DownloadIdle == 1 && DownloadRunning == 0)
        return true;
    if (awaitingRestart_) {
        // The ECU holds its new software: the wait for its restart just ends.
        closingProgram_ = true;
        return true;
    }
    const auto& texts = Context().texts;
    // Enter, like Escape, answers No: a key pressed by mistake must not end
    // the download half done and leave the ECU without its software.
    const tarvel::MsgAnswer answer = Context().prompter.ShowWithDefault(
        texts.Text(kRowCloseDuringDownload), texts.Text(kRowDownloadCaption), tarvel::MsgIcon::Exclamation,
        tarvel::MsgButtons::YesNo, tarvel::MsgDefault::No);
    if (answer != tarvel::MsgAnswer::Yes)
        return false; // the download goes on
    // The sequence sees this after the answer it waits for and ends there,
    // sending nothing more and showing nothing.
    closingProgram_ = true;
    DownloadCancelled = 1;
    return true;
}

void DownloadPageLogic::OnConnectionChanged()
{
    if (EcuConnected != 1)
        AppendMessage(kEcuDisconnectedText);
    else if (DownloadIdle == 1)
        AppendMessage(kEcuConnectedText);
    else
        AppendMessage(kDownloadingText);
}
