#include "EolHeightSensorLogic.h"

#include "DiagnosisGlobals.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "ValueCodec.h"

#include "DelayPumping.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

using tarvel::MsgIcon;

namespace {

// The heights: unsigned 16 bits, most significant byte first, x 1.0 + 0.0,
// written "%.2f".
ValueField HeightField(uint16_t did)
{
    ValueField field;
    field.DataType = "Unsigned";
    field.BitLenth = 16;
    field.Conversion = 1.0f;
    field.Offset = 0.0f;
    field.DecimalValid = 2;
    static const char* digits = "0123456789ABCDEF";
    field.DidNumber = {digits[(did >> 12) & 15], digits[(did >> 8) & 15], digits[(did >> 4) & 15], digits[did & 15]};
    return field;
}

ValueCodecOptions HeightOptions()
{
    ValueCodecOptions options;
    options.unsignedOrder = ByteOrder::MostSignificantFirst;
    options.format = NumberFormat::ByDecimalValid;
    options.vinWidthRule = false;
    return options;
}

bool Present(HeightAxle axle)
{
    return (axle == HeightAxle::Cd ? HeightSensorAxle1Present : HeightSensorAxle2Present) == 1;
}

} // namespace

// Marks a step of the page in progress.
class EolHeightSensorLogic::BusyScope {
public:
    explicit BusyScope(EolHeightSensorLogic& logic) : logic_(logic) { ++logic_.busy_; }
    ~BusyScope()
    {
        if (--logic_.busy_ == 0)
            logic_.RunDeferredTicks();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    EolHeightSensorLogic& logic_;
};

EolHeightSensorLogic::EolHeightSensorLogic(const tarvel::PageContext& context)
    : EolPageLogic(tarvel::TabEolHeightSensor,
                   EolPageTraits{EolPage::HeightSensor, 2, /*startClearsStop*/ false, /*exitSetsStop*/ false,
                                 /*hasExit*/ true},
                   context)
{
    countdownShow_ = Context().timers.Create([this] { ShowHeightResetCountdown(); });
    countdown_ = Context().timers.Create([this] { CountdownTick(); });
    cdLive_ = Context().timers.Create([this] { LiveTick(HeightAxle::Cd); });
    efLive_ = Context().timers.Create([this] { LiveTick(HeightAxle::Ef); });
    FillLabels();
}

EolHeightSensorLogic::~EolHeightSensorLogic() = default;

// The message and labels as the page is created.
void EolHeightSensorLogic::FillLabels()
{
    state_.message = Text(kPageMessageRow);
    state_.cdCurrentLabel = Text(kCdCurrentLabelRow);
    state_.cdCalibrationLabel = Text(kCdCalibrationLabelRow);
    state_.efCurrentLabel = Text(kEfCurrentLabelRow);
    state_.efCalibrationLabel = Text(kEfCalibrationLabelRow);
}

bool EolHeightSensorLogic::LiveReading(HeightAxle axle) const
{
    return (axle == HeightAxle::Cd ? cdLive_ : efLive_)->IsRunning();
}

// ---- Lifecycle ----

void EolHeightSensorLogic::OnActivate(int)
{
    state_.efShown = HeightSensorAxle2Present == 1;
    state_.cdShown = HeightSensorAxle1Present == 1;
    Changed();
}

void EolHeightSensorLogic::OnDisconnected()
{
    // The page is reset as by Exit Test, during a calibration or after it:
    // the result returns to not tested (a calibration is verified on the
    // ECU it was made on).
    ExitHeightCalibration();
}

void EolHeightSensorLogic::OnPageLanguageChanged()
{
    // The labels take the language the page was created in; a table loaded
    // only after the page was made fills them now.
    if (state_.cdCurrentLabel.empty())
        FillLabels();
    state_.cdButtonCaption = Text(kCdButtonRow);
    state_.efButtonCaption = Text(kEfButtonRow);
    state_.skipCaption = Text(kSkipRow);
    state_.cdAxleCaption = Text(kCdAxleRow);
    state_.efAxleCaption = Text(kEfAxleRow);
}

// ---- Start, Exit, the timers ----

void EolHeightSensorLogic::RunTest()
{
    // The common Start has checked the link and set EolTestIdle, the result
    // and the pictures.
    EolHeightEfAxleResult = EolNotTested;
    EolHeightCdAxleResult = EolNotTested;
    EolHeightSensorRemark.clear();
    state_.skipEnabled = false;
    if (HeightResetCountdown > 0)
        countdownShow_->Start(kPeriodMs);
    else
        StartLiveReadings();
    Changed();
}

void EolHeightSensorLogic::StartLiveReadings()
{
    if (Present(HeightAxle::Cd)) {
        state_.cdEnabled = true;
        cdLive_->Start(kPeriodMs);
    }
    if (Present(HeightAxle::Ef)) {
        state_.efEnabled = true;
        efLive_->Start(kPeriodMs);
    }
    Changed();
}

void EolHeightSensorLogic::ExitHeightCalibration()
{
    ++run_;
    EndRun(); // EolTestIdle 1, TestRunning 0, Start enabled, Exit disabled
    EolHeightEfAxleResult = EolNotTested;
    EolHeightCdAxleResult = EolNotTested;
    EolHeightSensorResult = EolNotTested;
    EolHeightSensorRemark.clear();
    state_.message = Text(kPageMessageRow);
    // The countdown itself (1901) goes on.
    countdownShow_->Stop();
    cdLive_->Stop();
    efLive_->Stop();
    state_.cdEnabled = false;
    state_.efEnabled = false;
    state_.skipEnabled = true;
    SetPicture(0, EolPicture::Idle);
    SetPicture(1, EolPicture::Idle);
    state_.cdCurrent = state_.cdCalibration = state_.efCurrent = state_.efCalibration = kNoValue;
    Changed();
}

void EolHeightSensorLogic::ShowHeightResetCountdown()
{
    state_.message = Text(kPageMessageRow) + "\r\n " + Text(kSecondsRow) + std::to_string(HeightResetCountdown);
    state_.cdEnabled = false;
    state_.efEnabled = false;
    if (HeightResetCountdown == 0) {
        state_.message = Text(kPageMessageRow);
        countdownShow_->Stop();
        StartLiveReadings();
    }
    Changed();
}

void EolHeightSensorLogic::CountdownTick()
{
    if (HeightResetCountdown == 0)
        countdown_->Stop();
    else
        --HeightResetCountdown;
}

// ---- Readings ----

bool EolHeightSensorLogic::ShowAxleHeightValue(uint16_t did, unsigned run, float& value, std::string& text)
{
    std::vector<uint8_t> data;
    const int result = tarvel::UdsReadById(did, data);
    if (Ended(run))
        return false; // Exit or a lost link meanwhile: no verdict
    std::string decoded;
    if (result == 1) {
        // Only what the transport announced counts, not the padding.
        const uint32_t length = tarvel::UdsResponseLength();
        const size_t size = std::min<size_t>(length >= 3 ? length - 3 : 0, data.size());
        decoded = DecodeValue(data.data(), size, HeightField(did), HeightOptions()).text;
    }
    if (decoded.empty()) {
        ExitHeightCalibration();
        Box(kReadFailedRow, kErrorCaptionRow, MsgIcon::Exclamation);
        return false;
    }
    text = decoded;
    value = std::strtof(decoded.c_str(), nullptr);
    return true;
}

bool EolHeightSensorLogic::ReadCalibration(HeightAxle axle, bool afterReset, unsigned run)
{
    const bool cd = axle == HeightAxle::Cd;
    float value = 0.0f;
    std::string text;
    if (!ShowAxleHeightValue(cd ? kCalibrationCdDid : kCalibrationEfDid, run, value, text))
        return false;
    if (afterReset) {
        (cd ? HeightCdCalibrationTextAfterReset : HeightEfCalibrationTextAfterReset) = text;
    } else {
        (cd ? HeightCdCalibrationText : HeightEfCalibrationText) = text;
        (cd ? HeightCdCalibrationValue : HeightEfCalibrationValue) = value;
    }
    return true;
}

void EolHeightSensorLogic::RunDeferredTicks()
{
    for (HeightAxle axle : {HeightAxle::Cd, HeightAxle::Ef}) {
        bool& deferred = deferred_[static_cast<size_t>(axle)];
        if (!deferred || busy_ > 0)
            continue;
        deferred = false;
        if (LiveReading(axle))
            LiveTick(axle);
    }
}

void EolHeightSensorLogic::LiveTick(HeightAxle axle)
{
    // The other axle's reading (or this one's, or a calibration, boxes
    // included) still runs: this reading follows once it has ended, if its
    // timer still runs then. Never more than one waits per axle.
    if (busy_ > 0) {
        deferred_[static_cast<size_t>(axle)] = true;
        return;
    }
    // Another request holds the link: the next tick reads.
    if (tarvel::UdsRequestInFlight())
        return;
    if (!Running()) {
        (axle == HeightAxle::Cd ? cdLive_ : efLive_)->Stop();
        return;
    }
    BusyScope busy(*this);
    const unsigned run = run_;
    const bool cd = axle == HeightAxle::Cd;
    Context().clock.SleepMs(kSleepMs);
    float value = 0.0f;
    std::string current;
    if (!ShowAxleHeightValue(cd ? kCurrentCdDid : kCurrentEfDid, run, value, current))
        return;
    Context().clock.SleepMs(kSleepMs);
    if (Ended(run) || !ReadCalibration(axle, false, run))
        return;
    (cd ? state_.cdCurrent : state_.efCurrent) = current;
    (cd ? state_.cdCalibration : state_.efCalibration) = cd ? HeightCdCalibrationText : HeightEfCalibrationText;
    Changed();
}

// ---- Calibration ----

void EolHeightSensorLogic::FailSetup(HeightAxle axle, int text)
{
    ExitHeightCalibration();
    SetPicture(static_cast<int>(axle), EolPicture::Failed);
    Box(text, kErrorCaptionRow, MsgIcon::None);
}

void EolHeightSensorLogic::FailWith(HeightAxle axle, int remark, int text)
{
    ExitHeightCalibration();
    SetPicture(static_cast<int>(axle), EolPicture::Failed);
    EolHeightSensorResult = EolFailed;
    EolHeightSensorRemark = ReportText(remark);
    Changed();
    Box(text, kErrorCaptionRow, MsgIcon::None);
}

void EolHeightSensorLogic::Calibrate(HeightAxle axle)
{
    if (EcuConnected.load() != 1) {
        Box(kNotConnectedTextRow, kTipsCaptionRow, MsgIcon::Exclamation);
        return;
    }
    const bool cd = axle == HeightAxle::Cd;
    // A click that waited while the button was disabled does nothing.
    if (!Running() || !(cd ? state_.cdEnabled : state_.efEnabled))
        return;
    BusyScope busy(*this);
    const unsigned run = run_;
    cdLive_->Stop();
    efLive_->Stop();
    deferred_ = {false, false};
    state_.cdEnabled = false;
    state_.efEnabled = false;
    Changed();

    // From here to the read after the restart the page drives the ECU: the
    // keep-alive stays out of the restart's silence.
    tarvel::TestRunning = 1;
    if (tarvel::UdsDiagnosticSessionControl(3) != 1) {
        if (!Ended(run))
            FailSetup(axle, kSessionRefusedTextRow);
        return;
    }
    if (Ended(run))
        return;
    if (tarvel::UdsSecurityAccess() != 1) {
        if (!Ended(run))
            FailSetup(axle, kSecurityRefusedTextRow);
        return;
    }
    if (Ended(run))
        return;
    const int started = tarvel::UdsRoutineControl7(0x01, kRoutineHi, kRoutineLo, cd ? 0x01 : 0x02, 0x01, 0x00);
    if (Ended(run))
        return;
    if (started != 1) {
        FailWith(axle, 99, kStartFailedRow);
        return;
    }
    PumpedWait(kWaitMs);
    if (Ended(run))
        return;
    std::vector<uint8_t> record;
    const int answered = tarvel::UdsRoutineControl4(0x03, kRoutineHi, kRoutineLo, record);
    if (Ended(run))
        return;
    if (answered != 1) {
        FailWith(axle, 98, kResultsFailedRow);
        return;
    }
    // The status record starts at the answer's fifth byte; a missing status
    // byte is no success.
    const bool hasStatus = tarvel::UdsResponseLength() >= 5 && !record.empty();
    if (!hasStatus || record[0] != 1) {
        const float stored = cd ? HeightCdCalibrationValue : HeightEfCalibrationValue;
        const bool inBand = stored >= kLowest && stored <= kHighest;
        FailWith(axle, cd ? (inBand ? 107 : 108) : (inBand ? 106 : 105), kNotAcceptedRow);
        return;
    }
    if (!ReadCalibration(axle, false, run))
        return;
    tarvel::UdsEcuReset(); // its answer does not matter
    if (Ended(run))
        return;
    HeightResetCountdown = kCountdownSeconds;
    countdown_->Start(kPeriodMs);
    PumpedWait(kWaitMs);
    if (Ended(run))
        return;
    // The ECU reads its calibration again only once it runs: a restart that
    // takes longer than the page's second is no failure of the sensor.
    if (!EcuBackAfterReset([this, run] { return Ended(run); }, kWaitMs) || Ended(run))
        return;
    if (!ReadCalibration(axle, true, run))
        return;
    tarvel::TestRunning = 0;
    const bool same = cd ? HeightCdCalibrationText == HeightCdCalibrationTextAfterReset
                         : HeightEfCalibrationText == HeightEfCalibrationTextAfterReset;
    if (!same) {
        FailWith(axle, cd ? 97 : 109, kChangedRow);
        return;
    }
    (cd ? EolHeightCdAxleResult : EolHeightEfAxleResult) = EolPassed;
    EvaluateHeightCalibration();
}

void EolHeightSensorLogic::EvaluateHeightCalibration()
{
    const bool cdPresent = Present(HeightAxle::Cd);
    const bool efPresent = Present(HeightAxle::Ef);
    const bool cdDone = EolHeightCdAxleResult == EolPassed;
    const bool efDone = EolHeightEfAxleResult == EolPassed;
    auto pass = [this] {
        ExitHeightCalibration();
        SetPicture(0, EolPicture::Passed);
        SetPicture(1, EolPicture::Passed);
        EolHeightCdAxleResult = EolPassed;
        EolHeightEfAxleResult = EolPassed;
        EolHeightSensorResult = EolPassed;
        EolHeightSensorRemark.clear();
        Changed();
        Box(kVerifiedRow, kErrorCaptionRow, MsgIcon::None);
    };
    if (cdPresent && efPresent) {
        if (cdDone && efDone) {
            pass();
        } else if (cdDone || efDone) {
            // The other axle after the restart's countdown.
            SetPicture(cdDone ? 0 : 1, EolPicture::Passed);
            countdownShow_->Start(kPeriodMs);
            Box(kVerifiedRow, kErrorCaptionRow, MsgIcon::None);
        }
        return;
    }
    if ((cdPresent && cdDone) || (efPresent && efDone)) {
        // Only that axle's picture: the absent one stays idle.
        ExitHeightCalibration();
        const int picture = cdPresent ? 0 : 1;
        SetPicture(picture, EolPicture::Passed);
        (cdPresent ? EolHeightCdAxleResult : EolHeightEfAxleResult) = EolPassed;
        EolHeightSensorResult = EolPassed;
        EolHeightSensorRemark.clear();
        Changed();
        Box(kVerifiedRow, kErrorCaptionRow, MsgIcon::None);
    }
}

void EolHeightSensorLogic::AcceptCurrentHeightCalibration()
{
    // Offered while no test runs; a click that waited meanwhile does nothing.
    if (!state_.skipEnabled || busy_ > 0)
        return;
    BusyScope busy(*this);
    const unsigned run = run_;
    if (Present(HeightAxle::Cd)) {
        if (!ReadCalibration(HeightAxle::Cd, false, run))
            return;
        if (HeightCdCalibrationValue > kHighest || HeightCdCalibrationValue < kLowest) {
            Box(kCdOutsideRow, kErrorCaptionRow, MsgIcon::Exclamation);
            return;
        }
    }
    if (Present(HeightAxle::Ef)) {
        if (!ReadCalibration(HeightAxle::Ef, false, run))
            return;
        if (HeightEfCalibrationValue > kHighest || HeightEfCalibrationValue < kLowest) {
            Box(kEfOutsideRow, kErrorCaptionRow, MsgIcon::Exclamation);
            return;
        }
    }
    ExitHeightCalibration();
    SetPicture(0, EolPicture::Passed);
    SetPicture(1, EolPicture::Passed);
    EolHeightSensorResult = EolPassed;
    EolHeightCdAxleResult = EolPassed;
    EolHeightEfAxleResult = EolPassed;
    EolHeightSensorRemark.clear();
    Changed();
    Box(kAcceptedRow, kTipsCaptionRow, MsgIcon::None);
}
