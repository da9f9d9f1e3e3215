#include "ABSRSSCalibrationLogic.h"

#include "ValueCodec.h"

#include "DelayPumping.h"
#include "EolGlobals.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Language rows of the page.
constexpr int kRowTips = 74;
constexpr int kRowNotConnected = 75;
constexpr int kRowError = 76;
constexpr int kRowSessionFailed = 185;
constexpr int kRowSecurityFailed = 186;
constexpr int kRowResultFailed = 282;
constexpr int kRowInstruction = 517;
constexpr int kRowAngleFrame = 518;
constexpr int kRowButtonFrame = 519;
constexpr int kRowCalibrate = 520;
constexpr int kRowClean = 521;
constexpr int kRowNoValidAngle = 522;
constexpr int kRowOutOfRange = 523;
constexpr int kRowCalibrated = 524;
constexpr int kRowCalibrationFailed = 525;
constexpr int kRowCleaned = 526;
constexpr int kRowCleanFailed = 527;
constexpr int kRowRoutineRefused = 528;
constexpr int kRowStart = 529;
constexpr int kRowExit = 530;
constexpr int kRowStartFailed = 531;

constexpr uint8_t kExtendedSession = 0x03;
constexpr uint8_t kStartRoutine = 0x01;
constexpr uint8_t kRequestResults = 0x03;
// Positive routine answer: 71 sub-function C0 08, then the status record.
constexpr uint32_t kRoutineHeader = 4;
// Positive read answer: 62 00 64, then the two angle bytes.
constexpr uint32_t kReadHeader = 3;

std::string Fallback(int row)
{
    switch (row) {
    case kRowInstruction:
        return "Park The Vehicle On A Flat, Level Surface Before Calibrating Theinstallation Position!";
    case kRowAngleFrame: return "Lateral vehicle inclination assumed by modulator";
    case kRowButtonFrame: return "RSS Calibration";
    case kRowCalibrate: return "Calibration RSS";
    case kRowClean: return "Clean RSS Calibration";
    case kRowStart: return "Start";
    case kRowExit: return "Exit ";
    default: return std::string();
    }
}

// The angle is one unsigned 16-bit number, most significant byte first.
ValueField AngleField()
{
    ValueField field;
    field.DataType = "Unsigned";
    field.ByteIndex = 0;
    field.StartBit = 0;
    field.BitLenth = 16;
    field.Conversion = 1.0f;
    field.Offset = 0.0f;
    field.DecimalValid = 0;
    field.DidNumber = "0064";
    return field;
}

ValueCodecOptions AngleCodecOptions()
{
    ValueCodecOptions options;
    options.unsignedOrder = ByteOrder::MostSignificantFirst;
    options.applyOffset = false;
    options.format = NumberFormat::Rounded;
    options.vinWidthRule = false;
    return options;
}

// Marks a sequence of the page as running for its whole length.
class BusyGuard {
public:
    explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyGuard() { flag_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& flag_;
};

} // namespace

ABSRSSCalibrationLogic::ABSRSSCalibrationLogic(const tarvel::PageContext& context)
    : PageLogic(kTab, context), angleTimer_(context.timers.Create([this] { OnAngleTick(); }))
{
    LoadTexts();
}

ABSRSSCalibrationLogic::~ABSRSSCalibrationLogic()
{
    angleTimer_->Stop();
}

bool ABSRSSCalibrationLogic::AngleTimerRunning() const
{
    return angleTimer_->IsRunning();
}

std::string ABSRSSCalibrationLogic::AngleText(unsigned raw, const tarvel::TextTable& texts)
{
    if (raw == kNoValidAngle)
        return texts.Text(kRowNoValidAngle);
    if (raw > kHighestRaw || raw < kLowestRaw)
        return texts.Text(kRowOutOfRange);
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", raw * 0.1 - 90.0);
    return std::string(number) + "\xC2\xB0"; // the degree sign
}

std::string ABSRSSCalibrationLogic::BitmapFile(int bitmap)
{
    // The result pictures are the ones the end-of-line pages show.
    return "EolBitmaps/" + std::to_string(bitmap) + ".png";
}

void ABSRSSCalibrationLogic::OnLanguageChanged()
{
    LoadTexts();
    Changed();
}

void ABSRSSCalibrationLogic::OnDisconnected()
{
    OnLinkGone();
}

void ABSRSSCalibrationLogic::OnStopWork()
{
    if (state_.displaying || busy_)
        Exit();
}

void ABSRSSCalibrationLogic::OnLinkGone()
{
    Exit();
}

void ABSRSSCalibrationLogic::OnExitClicked()
{
    Exit();
}

void ABSRSSCalibrationLogic::OnStartClicked()
{
    if (busy_ || state_.displaying)
        return; // a sequence of the page runs, or the angle is already shown
    BusyGuard busy(busy_);
    const uint64_t run = ++run_;
    // After each request: the link may have gone or the page been left
    // while the ECU answered; then nothing more is shown.
    if (tarvel::UdsDiagnosticSessionControl(kExtendedSession) != 1) {
        if (Current(run))
            Box(kRowSessionFailed, kRowError, false);
        return;
    }
    if (!Current(run))
        return;
    if (tarvel::UdsSecurityAccess() != 1) {
        if (Current(run))
            Box(kRowSecurityFailed, kRowError, false);
        return;
    }
    if (!Current(run))
        return;
    std::vector<uint8_t> status;
    const int answered = tarvel::UdsRoutineControl4(kRequestResults, kRoutineHigh, kRoutineLow, status);
    if (!Current(run))
        return;
    if (answered != 1) {
        Exit();
        Box(kRowStartFailed, kRowError, true);
        return;
    }
    EolTestIdle = 0;
    state_.displaying = true;
    state_.bitmap = kBitmapInitial;
    angleTimer_->Start(kAnglePeriodMs);
    Changed();
}

void ABSRSSCalibrationLogic::OnCalibrationClicked()
{
    RunRoutine(kCalibrateOption, kRowCalibrated, kRowCalibrationFailed);
}

void ABSRSSCalibrationLogic::OnCleanClicked()
{
    RunRoutine(kCleanOption, kRowCleaned, kRowCleanFailed);
}

void ABSRSSCalibrationLogic::RunRoutine(uint8_t option, int successRow, int refusedRow)
{
    if (busy_)
        return; // one sequence at a time
    if (EcuConnected.load() != 1) {
        Box(kRowNotConnected, kRowTips, true);
        return;
    }
    if (!state_.displaying)
        return; // the routine runs only while the angle is on display
    angleTimer_->Stop();
    BusyGuard busy(busy_);
    const uint64_t run = run_;
    // A failed step shows the failed picture and the display goes on.
    auto fail = [&](int row) {
        if (!Current(run))
            return;
        state_.bitmap = kBitmapFailed;
        angleTimer_->Start(kAnglePeriodMs);
        Changed();
        Box(row, kRowError, false);
    };
    if (tarvel::UdsDiagnosticSessionControl(kExtendedSession) != 1)
        return fail(kRowSessionFailed);
    if (!Current(run))
        return;
    if (tarvel::UdsSecurityAccess() != 1)
        return fail(kRowSecurityFailed);
    if (!Current(run))
        return;
    if (tarvel::UdsRoutineControl5(kStartRoutine, kRoutineHigh, kRoutineLow, option) != 1)
        return fail(kRowRoutineRefused);
    tarvel::DelayPumpingMessages(kRoutineWaitMs);
    if (!Current(run))
        return; // Exit or the end of the link during the wait
    std::vector<uint8_t> status;
    if (tarvel::UdsRoutineControl4(kRequestResults, kRoutineHigh, kRoutineLow, status) != 1)
        return fail(kRowResultFailed);
    // The answer must hold its status byte; behind its announced end there
    // is only frame padding.
    if (tarvel::UdsResponseLength() <= kRoutineHeader || status.empty())
        return fail(kRowResultFailed);
    if (status[0] != 0x01)
        return fail(refusedRow);
    if (ReadAngle(run) == Read::Abandoned)
        return;
    state_.bitmap = kBitmapPassed;
    angleTimer_->Start(kAnglePeriodMs);
    Changed();
    Box(successRow, kRowTips, false);
}

void ABSRSSCalibrationLogic::OnAngleTick()
{
    if (tarvel::UdsRequestInFlight() || busy_)
        return; // another request holds the link; the next tick tries again
    if (ReadAngle(run_) == Read::Failed)
        Exit();
}

ABSRSSCalibrationLogic::Read ABSRSSCalibrationLogic::ReadAngle(uint64_t run)
{
    std::vector<uint8_t> record;
    const int ok = tarvel::UdsReadById(kAngleDid, record);
    if (!Current(run))
        return Read::Abandoned;
    if (ok != 1)
        return Read::Failed;
    // Only the bytes the answer announced count; the rest is frame padding.
    const uint32_t length = tarvel::UdsResponseLength();
    const size_t announced = length > kReadHeader ? length - kReadHeader : 0;
    if (record.size() > announced)
        record.resize(announced);
    const DecodedValue raw = DecodeValue(record, AngleField(), AngleCodecOptions());
    if (raw.text.empty())
        return Read::Failed; // the answer does not hold both angle bytes
    state_.angleText = AngleText(static_cast<unsigned>(std::stoul(raw.text)), Context().texts);
    Changed();
    return Read::Ok;
}

void ABSRSSCalibrationLogic::Exit()
{
    ++run_;
    EolTestIdle = 1;
    angleTimer_->Stop();
    state_.displaying = false;
    state_.angleText.clear();
    Changed();
}

bool ABSRSSCalibrationLogic::Current(uint64_t run) const
{
    return run == run_ && EcuConnected.load() == 1;
}

void ABSRSSCalibrationLogic::LoadTexts()
{
    state_.instructionText = Text(kRowInstruction);
    state_.angleFrameText = Text(kRowAngleFrame);
    state_.buttonFrameText = Text(kRowButtonFrame);
    state_.calibrateText = Text(kRowCalibrate);
    state_.cleanText = Text(kRowClean);
    state_.startText = Text(kRowStart);
    state_.exitText = Text(kRowExit);
}

std::string ABSRSSCalibrationLogic::Text(int row) const
{
    return Context().texts.Text(row, Fallback(row));
}

void ABSRSSCalibrationLogic::Box(int textRow, int captionRow, bool exclamation)
{
    Context().prompter.Show(Text(textRow), Text(captionRow),
                            exclamation ? tarvel::MsgIcon::Exclamation : tarvel::MsgIcon::None,
                            tarvel::MsgButtons::Ok);
}
