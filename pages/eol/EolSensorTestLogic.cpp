#include "EolSensorTestLogic.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"

#include "DelayPumping.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>
#include <vector>

using tarvel::MsgIcon;

namespace {

int32_t* TurnFlag(int sensor)
{
    static int32_t* const flags[4] = {&WheelTurnFlag1, &WheelTurnFlag2, &WheelTurnFlag3, &WheelTurnFlag4};
    return sensor >= 1 && sensor <= 4 ? flags[sensor - 1] : nullptr;
}
int32_t* ModState(int modulator)
{
    static int32_t* const states[3] = {&ModulatorState1, &ModulatorState2, &ModulatorState3};
    return modulator >= 1 && modulator <= 3 ? states[modulator - 1] : nullptr;
}
int32_t* SensorResult(int sensor)
{
    static int32_t* const results[4] = {&EolSensor1Result, &EolSensor2Result, &EolSensor3Result, &EolSensor4Result};
    return sensor >= 1 && sensor <= 4 ? results[sensor - 1] : nullptr;
}
int32_t* ModulatorResult(int modulator)
{
    static int32_t* const results[3] = {&EolModulator1Result, &EolModulator2Result, &EolModulator3Result};
    return modulator >= 1 && modulator <= 3 ? results[modulator - 1] : nullptr;
}
// Remarks 1..4 sensors, 5..7 modulators.
std::string* Remark(int index)
{
    static std::string* const remarks[7] = {&EolSensorRemark1, &EolSensorRemark2, &EolSensorRemark3,
                                            &EolSensorRemark4, &EolSensorRemark5, &EolSensorRemark6,
                                            &EolSensorRemark7};
    return index >= 1 && index <= 7 ? remarks[index - 1] : nullptr;
}

bool KnownForm(const std::string& form) { return form == "4S2M" || form == "2S2M" || form == "4S3M"; }
bool FourSensorForm(const std::string& form) { return form == "4S2M" || form == "4S3M"; }

// Picture indexes: sensors 1..4 at 0..3, modulators 1..3 at 4..6.
constexpr int kModulatorPicture = 4;

} // namespace

WheelWork LoadWheelWork()
{
    WheelWork work;
    for (int s = 1; s <= 4; ++s)
        work.turn[static_cast<size_t>(s - 1)] = *TurnFlag(s);
    for (int m = 1; m <= 3; ++m)
        work.modulator[static_cast<size_t>(m - 1)] = *ModState(m);
    work.match = ModulatorMatch;
    return work;
}

void StoreWheelWork(const WheelWork& work)
{
    for (int s = 1; s <= 4; ++s)
        *TurnFlag(s) = work.turn[static_cast<size_t>(s - 1)];
    for (int m = 1; m <= 3; ++m)
        *ModState(m) = work.modulator[static_cast<size_t>(m - 1)];
    ModulatorMatch = work.match;
}

WheelResults LoadWheelResults()
{
    WheelResults results;
    for (int s = 1; s <= 4; ++s)
        results.sensor[static_cast<size_t>(s - 1)] = *SensorResult(s);
    for (int m = 1; m <= 3; ++m)
        results.modulator[static_cast<size_t>(m - 1)] = *ModulatorResult(m);
    return results;
}

void StoreWheelResults(const WheelResults& results)
{
    for (int s = 1; s <= 4; ++s)
        *SensorResult(s) = results.sensor[static_cast<size_t>(s - 1)];
    for (int m = 1; m <= 3; ++m)
        *ModulatorResult(m) = results.modulator[static_cast<size_t>(m - 1)];
}

EolSensorTestLogic::EolSensorTestLogic(const tarvel::PageContext& context)
    : EolPageLogic(tarvel::TabEolSensor,
                   EolPageTraits{EolPage::Sensors, 7, /*startClearsStop*/ true, /*exitSetsStop*/ true,
                                 /*hasExit*/ true, /*exitKeepsPictures*/ true},
                   context)
{
}

EolSensorTestLogic::~EolSensorTestLogic()
{
    // A step still waiting ends at its next check and touches nothing more.
    *alive_ = false;
    SensorTestActive = 0;
    SensorTestAwaitingAnswer = 0;
    EolStopRequested = 1;
}

// ---- Resets ----

void EolSensorTestLogic::ResetSensorTestResults()
{
    const std::string& form = SystemForm;
    if (FourSensorForm(form)) {
        WheelTurnFlag3 = WheelTurnFlag4 = -1;
        EolSensor3Result = EolSensor4Result = EolNotTested;
    } else if (form == "2S2M") {
        // A two-sensor trailer has no sensors 3 and 4: they count as passed.
        WheelTurnFlag3 = WheelTurnFlag4 = 1;
        EolSensor3Result = EolSensor4Result = EolPassed;
    }
    WheelTurnFlag1 = WheelTurnFlag2 = -1;
    ModulatorState1 = ModulatorState2 = -1;
    EolSensor1Result = EolSensor2Result = EolNotTested;
    EolModulator1Result = EolModulator2Result = EolNotTested;
    for (int r = 1; r <= 6; ++r)
        *Remark(r) = EolNoRemark;
    if (form == "4S3M") {
        ModulatorState3 = -1;
        EolModulator3Result = EolNotTested;
        EolSensorRemark7 = EolNoRemark;
    }
}

void EolSensorTestLogic::ResetSensorTestItem(uint8_t item)
{
    const int sensor = SensorOfItem(item);
    if (sensor == 0)
        return;
    *TurnFlag(sensor) = -1;
    *SensorResult(sensor) = EolNotTested;
    *Remark(sensor) = EolNoRemark;
    const int modulator = ModulatorOfItem(SystemForm, DerivedSystemVariant, item);
    if (modulator == 0)
        return;
    *ModState(modulator) = -1;
    *ModulatorResult(modulator) = EolNotTested;
    *Remark(4 + modulator) = EolNoRemark;
}

// ---- Display ----

void EolSensorTestLogic::ShowLayout(const std::string& form)
{
    state_.layout = KnownForm(form) ? form : std::string();
    Changed();
}

void EolSensorTestLogic::ShowSensorPreview()
{
    state_.preview = SensorPreviewCells(ParameterChoice, AxleCount, AxleFeatureFlags);
    Changed();
}

void EolSensorTestLogic::HideStepControls()
{
    state_.stepShown.fill(false);
    state_.orderShown = false;
    state_.promptShown = false;
    state_.instructionShown = false;
    state_.answerShown = false;
    Changed();
}

std::string EolSensorTestLogic::WheelPrompt(const tarvel::TextTable& texts, int step)
{
    static const char* const kOwnWords[4] = {"Please turn wheel c", "Please turn wheel d", "Please turn wheel e",
                                             "Please turn wheel f"};
    if (step < 0 || step >= 4)
        return std::string();
    return texts.Text(kFirstPromptRow + step, kOwnWords[step]);
}

void EolSensorTestLogic::ShowPrompt(const std::string& text, uint32_t colour)
{
    state_.prompt = text;
    state_.promptColour = colour;
    state_.promptShown = true;
    Changed();
    Context().prompter.Instruct(text);
}

void EolSensorTestLogic::Prepare()
{
    if (!KnownForm(SystemForm)) {
        // Everything hidden but the form choice.
        HideStepControls();
        state_.layout.clear();
        state_.remarkShown = false;
        state_.formChoiceShown = true;
        Changed();
        return;
    }
    ShowLayout(SystemForm);
    ShowSensorPreview();
}

void EolSensorTestLogic::OnActivate(int message)
{
    if (message == WM_ACTIVATE_EOLSENSOR_PREPARE) {
        Prepare();
        return;
    }
    // Pictures of a form with nothing tested go back to idle.
    const WheelResults results = LoadWheelResults();
    const std::string& form = SystemForm;
    const int sensors = form == "2S2M" ? 2 : 4;
    const int modulators = form == "4S3M" ? 3 : 2;
    bool untouched = KnownForm(form);
    for (int s = 0; s < sensors; ++s)
        untouched = untouched && results.sensor[static_cast<size_t>(s)] == EolNotTested;
    for (int m = 0; m < modulators; ++m)
        untouched = untouched && results.modulator[static_cast<size_t>(m)] == EolNotTested;
    if (untouched) {
        for (int s = 0; s < sensors; ++s)
            SetPicture(s, EolPicture::Idle);
        for (int m = 0; m < modulators; ++m)
            SetPicture(kModulatorPicture + m, EolPicture::Idle);
    }
    Changed();
}

void EolSensorTestLogic::OnPageLanguageChanged()
{
    state_.automaticCaption = Text(49);
    state_.manualCaption = Text(50);
    state_.previewCaption = Text(51);
    for (int i = 0; i < 6; ++i)
        state_.labelCaptions[static_cast<size_t>(i)] = Text(52 + i);
    state_.labelCaptions[6] = Text(481);
    state_.clockwiseCaption = Text(272);
    state_.anticlockwiseCaption = Text(273);
    state_.canTurnCaption = Text(274);
    state_.cannotTurnCaption = Text(275);
}

// ---- Modes ----

void EolSensorTestLogic::AutomaticTest()
{
    if (Running())
        return;
    mode_ = Mode::Automatic;
    Start();
}

void EolSensorTestLogic::ManualTest()
{
    if (Running())
        return;
    mode_ = Mode::Manual;
    Start();
}

void EolSensorTestLogic::RunTest()
{
    tarvel::TestRunning = 0;
    HideStepControls();
    ResetSensorTestResults();
    Changed();
    const std::shared_ptr<bool> alive = alive_;
    tarvel::DelayPumpingMessages(kSetUpWaitMs);
    if (!*alive || !StillRunning())
        return;
    const std::string order = SensorTestOrderText(SystemForm);
    if (order[0] == 'a') {
        // No form known: nothing to test; the page is free again.
        EndRun();
        return;
    }
    SensorTestOrder.fill(0);
    for (size_t i = 0; i < order.size() && i < SensorTestOrder.size(); ++i)
        SensorTestOrder[i] = static_cast<uint8_t>(order[i]);
    if (mode_ == Mode::Automatic)
        SetUpAutomatic();
    else
        SetUpManual();
}

void EolSensorTestLogic::SetUpAutomatic()
{
    state_.orderEnabled = true;
    state_.remarkShown = false;
    state_.instructionShown = true;
    if (FourSensorForm(SystemForm)) {
        state_.orderShown = true;
        state_.instruction = Text(kFourSensorInstructionRow);
        ShowSensorPreview();
        return; // the operator picks a wheel order
    }
    state_.instruction = Text(kTwoSensorInstructionRow);
    ShowSensorPreview();
    RunSensorChain(true);
}

void EolSensorTestLogic::SetUpManual()
{
    state_.remark.clear();
    const int steps = FourSensorForm(SystemForm) ? 4 : 2;
    for (int k = 0; k < steps; ++k) {
        state_.stepShown[static_cast<size_t>(k)] = true;
        const int sensor = SensorOfItem(SensorTestOrder[static_cast<size_t>(k)]);
        state_.stepCaption[static_cast<size_t>(k)] = Text(kFirstStepCaptionRow + sensor - 1);
    }
    ShowSensorPreview();
    state_.instruction = Text(kManualInstructionRow);
    state_.instructionShown = true;
    state_.remarkShown = true;
    state_.promptShown = false;
    state_.answerShown = false;
    Changed();
}

void EolSensorTestLogic::ExitTest()
{
    const int32_t third = EolModulator3Result;
    Exit();
    // Only a three-modulator trailer's Exit forgets the third modulator.
    if (SystemForm != "4S3M")
        EolModulator3Result = third;
    Changed();
}

void EolSensorTestLogic::OnExitTest()
{
    SensorTestActive = 0;
    SensorTestAwaitingAnswer = 0;
    HideStepControls();
    // A remark goes with its result: a sensor back to not tested carries no
    // failure text into the report. The pictures stay as they are.
    for (int r = 1; r <= 6; ++r)
        *Remark(r) = EolNoRemark;
    if (SystemForm == "4S3M")
        EolSensorRemark7 = EolNoRemark;
}

void EolSensorTestLogic::OnDisconnected()
{
    SensorTestActive = 0;
    SensorTestAwaitingAnswer = 0;
    if (Running())
        HideStepControls();
    EolPageLogic::OnDisconnected();
}

// ---- Form choice ----

void EolSensorTestLogic::ChooseForm(const std::string& form)
{
    if (EcuConnected.load() != 1) {
        Box(kNotConnectedTextRow, kTipsCaptionRow);
        return;
    }
    if (Running())
        return;
    const std::shared_ptr<bool> alive = alive_;
    tarvel::DelayPumpingMessages(kFormChoiceWaitMs);
    if (!*alive)
        return;
    state_.formChoiceShown = false;
    if (!KnownForm(SystemForm)) {
        SystemForm = form;
        ShowLayout(form);
        ResetSensorTestResults();
        ShowSensorPreview();
        return;
    }
    const std::string blanks = form == "2S2M" ? " " : "  ";
    tarvel::ShowMessage("It has been detected that the system form is" + blanks + SystemForm +
                            "  ，and will be tested according to this system form",
                        "Tips", MsgIcon::Exclamation);
    if (!*alive)
        return;
    Prepare();
}

// ---- Steps ----

bool EolSensorTestLogic::GoesOn()
{
    return *alive_ && StillRunning() && !StopRequested() && EcuConnected.load() == 1;
}

bool EolSensorTestLogic::StepWait(uint32_t ms)
{
    const std::shared_ptr<bool> alive = alive_;
    tarvel::DelayPumpingMessages(ms);
    return *alive && GoesOn();
}

bool EolSensorTestLogic::EnterSessionAndUnlock()
{
    const std::shared_ptr<bool> alive = alive_;
    tarvel::TestRunning = 1;
    if (tarvel::UdsDiagnosticSessionControl(3) != 1) {
        tarvel::TestRunning = 0;
        if (*alive && StillRunning())
            Box(kSessionRefusedTextRow, kErrorCaptionRow, MsgIcon::None);
        return false;
    }
    if (!*alive || !GoesOn())
        return false;
    tarvel::DelayPumpingMessages(10);
    if (!*alive || !GoesOn())
        return false;
    if (tarvel::UdsSecurityAccess() != 1) {
        tarvel::TestRunning = 0;
        if (*alive && StillRunning())
            Box(kSecurityRefusedTextRow, kErrorCaptionRow, MsgIcon::None);
        return false;
    }
    return *alive && GoesOn();
}

int EolSensorTestLogic::PulseModulator(uint8_t channel)
{
    tarvel::TestRunning = 1;
    const std::shared_ptr<bool> alive = alive_;
    if (tarvel::UdsIoControlById6(kPulseDid, channel, 0xFF, 0x00, 3) == 1) {
        if (*alive && GoesOn())
            tarvel::UdsTesterPresent();
        return 1;
    }
    if (*alive && GoesOn())
        Box(kPulseRefusedRow, kErrorCaptionRow, MsgIcon::None);
    return 0;
}

std::optional<uint8_t> EolSensorTestLogic::RunDetection(int sensors, bool manual)
{
    const std::shared_ptr<bool> alive = alive_;
    tarvel::TestRunning = 1;
    TurningWheelDetection detection(sensors, manual, SystemForm, DerivedSystemVariant);
    WheelWork work = LoadWheelWork();
    DetectionStep step = detection.Begin(work);
    StoreWheelWork(work);
    while (step != DetectionStep::Done) {
        switch (step) {
        case DetectionStep::ReadSpeeds: {
            std::vector<double> speeds;
            bool failed = false;
            for (int s = 0; s < sensors; ++s) {
                std::vector<uint8_t> data;
                const int ok = tarvel::UdsReadById(static_cast<uint16_t>(kFirstSpeedDid + s), data);
                if (!*alive || !GoesOn())
                    return std::nullopt;
                // Only what the ECU sent counts, not the padding of its last frame.
                const uint32_t length = tarvel::UdsResponseLength();
                const size_t size = std::min<size_t>(data.size(), length >= 3 ? length - 3 : 0);
                double speed = 0.0;
                if (ok != 1 || !WheelSpeedFromRecord(data.data(), size, speed)) {
                    failed = true;
                    break;
                }
                speeds.push_back(speed);
            }
            work = LoadWheelWork();
            step = detection.Sampled(speeds, failed, work);
            StoreWheelWork(work);
            break;
        }
        case DetectionStep::Wait:
            if (!StepWait(detection.WaitMs()))
                return std::nullopt;
            work = LoadWheelWork();
            step = detection.Continue(work);
            StoreWheelWork(work);
            break;
        case DetectionStep::Pulse:
            PulseModulator(static_cast<uint8_t>(SensorTestChannel));
            if (!*alive || !GoesOn())
                return std::nullopt;
            work = LoadWheelWork();
            step = detection.Continue(work);
            StoreWheelWork(work);
            break;
        case DetectionStep::Done:
            break;
        }
    }
    const DetectionOutcome& outcome = detection.Outcome();
    if (manual) {
        SensorTestAwaitingAnswer = 0;
        if (outcome.askOperator) {
            ShowPrompt(Text(kOperatorQuestionRow), kValueColour);
            state_.answerShown = true;
            SensorTestAwaitingAnswer = 1;
            Changed();
        }
    }
    for (int row : outcome.boxes) {
        Box(row, kErrorCaptionRow, MsgIcon::Exclamation);
        if (!*alive || !StillRunning())
            return std::nullopt;
    }
    return outcome.result;
}

void EolSensorTestLogic::ApplyEvaluation(const WheelEvaluation& evaluation, bool manual)
{
    for (size_t i = 0; i < evaluation.pictures.size(); ++i) {
        if (evaluation.pictures[i] == WheelPicture::Passed)
            SetPicture(static_cast<int>(i), EolPicture::Passed);
        else if (evaluation.pictures[i] == WheelPicture::Failed)
            SetPicture(static_cast<int>(i), EolPicture::Failed);
    }
    for (size_t i = 0; i < evaluation.remarkRows.size(); ++i)
        if (evaluation.remarkRows[i] != 0)
            *Remark(static_cast<int>(i) + 1) = Text(evaluation.remarkRows[i]);
    state_.remark = evaluation.remarkLineRow != 0 ? Text(evaluation.remarkLineRow) : std::string();
    if (evaluation.verdict)
        SensorTestActive = 0;
    Changed();
    if (evaluation.writeMarker)
        WriteFailureMarker();
    if (!manual || !*alive_ || !StillRunning())
        return;
    if (evaluation.end == WheelTestEnd::Passed) {
        SensorTestActive = 0;
        HideStepControls();
        FinishTest(true);
    } else if (evaluation.end == WheelTestEnd::Idle) {
        // Every wheel has its verdict: the run is over, its results stand.
        SensorTestActive = 0;
        HideStepControls();
        EndRun();
    }
}

bool EolSensorTestLogic::RunSensorStep(int step, bool manual)
{
    if (EcuConnected.load() != 1) {
        Box(kNotConnectedTextRow, kTipsCaptionRow);
        return false;
    }
    if (step < 0 || step > 3 || stepRunning_ || !Running())
        return false;
    const std::shared_ptr<bool> alive = alive_;
    struct Guard {
        bool& flag;
        std::shared_ptr<bool> alive;
        ~Guard()
        {
            if (*alive)
                flag = false;
        }
    } guard{stepRunning_, alive};
    stepRunning_ = true;

    SensorTestActive = 1;
    SensorTestAwaitingAnswer = 0;
    EolStopRequested = 0;
    state_.promptShown = false;
    if (manual) {
        state_.answerShown = false;
        state_.remark.clear();
    }
    Changed();
    SensorTestItem = SensorTestOrder[static_cast<size_t>(step)];
    if (!EnterSessionAndUnlock()) {
        if (*alive) {
            state_.promptShown = false;
            Changed();
        }
        return *alive && GoesOn();
    }
    ResetSensorTestItem(SensorTestItem);
    SensorTestChannel = ModulatorChannelForItem(SystemForm, SensorTestItem);
    ShowPrompt(WheelPrompt(Context().texts, step), kPromptColour);

    const int sensors = SystemForm == "2S2M" && step < 2 ? 2 : 4;
    while (SensorTestActive == 1) {
        if (!StepWait(kStepWaitMs))
            return false;
        const std::optional<uint8_t> result = RunDetection(sensors, manual);
        if (!result)
            return false;
        tarvel::TestRunning = 0;
        if (*result != 1) {
            SensorTestActive = 0;
            SensorTestAwaitingAnswer = 0;
            state_.answerShown = false;
            state_.remark = Text(kReadFailedRow);
            state_.remarkShown = true;
            Changed();
            break;
        }
        if (manual) {
            while (SensorTestAwaitingAnswer == 1)
                if (!StepWait(kAnswerWaitMs))
                    return false;
        }
        WheelWork work = LoadWheelWork();
        WheelResults results = LoadWheelResults();
        const WheelEvaluation evaluation =
            EvaluateWheelItem(WheelItemInput{sensors, manual, SystemForm, DerivedSystemVariant, SensorTestItem}, work,
                              results);
        StoreWheelWork(work);
        StoreWheelResults(results);
        ApplyEvaluation(evaluation, manual);
        if (!*alive || !StillRunning())
            return false;
    }
    state_.promptShown = false;
    Changed();
    return true;
}

void EolSensorTestLogic::RunManualSensorStep(int step)
{
    if (mode_ != Mode::Manual && EcuConnected.load() == 1)
        return;
    RunSensorStep(step, true);
}

void EolSensorTestLogic::AnswerTurn(bool canTurn)
{
    if (!state_.answerShown)
        return;
    if (int32_t* modulator = ModState(ModulatorOfItem(SystemForm, DerivedSystemVariant, SensorTestItem)))
        *modulator = canTurn ? 1 : 0;
    state_.promptShown = false;
    state_.answerShown = false;
    state_.remark.clear();
    SensorTestAwaitingAnswer = 0;
    Changed();
}

void EolSensorTestLogic::RunSensorChain(bool clockwise)
{
    if (EcuConnected.load() != 1) {
        Box(kNotConnectedTextRow, kTipsCaptionRow);
        return;
    }
    if (!Running() || mode_ != Mode::Automatic || stepRunning_ || !state_.orderEnabled)
        return;
    const std::shared_ptr<bool> alive = alive_;
    state_.orderEnabled = false;
    Changed();
    for (const SensorChainRow& row : SensorChainRows(SystemForm, DerivedSystemVariant, clockwise)) {
        if (!GoesOn())
            return; // stopped between rows: nothing recorded
        if (!RunSensorStep(row.sensor - 1, false))
            if (!*alive || !GoesOn())
                return; // stopped during the row: nothing recorded
        if (!*alive || !GoesOn())
            return;
        if (*TurnFlag(row.sensor) == 1 && *ModState(row.modulator) == 1)
            continue;
        *SensorResult(row.sensor) = EolFailed;
        *ModulatorResult(row.modulator) = EolFailed;
        SetPicture(row.sensor - 1, EolPicture::Failed);
        SetPicture(kModulatorPicture + row.modulator - 1, EolPicture::Failed);
        WriteFailureMarker();
        if (!*alive)
            return;
        EolStopRequested = 1;
        SensorTestActive = 0;
        HideStepControls();
        Box(kChainRowFailedRow, kErrorCaptionRow, MsgIcon::Exclamation);
        if (!*alive)
            return;
        EndRun();
        return;
    }
    SensorTestActive = 0;
    HideStepControls();
    FinishTest(FormResultsAllPassed(SystemForm, LoadWheelResults()));
}
