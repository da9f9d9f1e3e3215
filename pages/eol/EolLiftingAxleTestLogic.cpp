#include "EolLiftingAxleTestLogic.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "WindowRegistry.h"

#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>

using tarvel::MsgIcon;

EolLiftingAxleTestLogic::EolLiftingAxleTestLogic(const tarvel::PageContext& context)
    : EolPageLogic(tarvel::TabEolLiftingAxle,
                   EolPageTraits{EolPage::LiftingAxle, 1, /*startClearsStop*/ true, /*exitSetsStop*/ false,
                                 /*hasExit*/ true},
                   context)
{
}

void EolLiftingAxleTestLogic::ShowPrompt(int row)
{
    LiftingAxlePromptText = row != 0 ? Text(row) : std::string();
    MutableCommon().question = LiftingAxlePromptText;
    Changed();
}

void EolLiftingAxleTestLogic::ShowRow(int row)
{
    state_.rowShown = row;
    Changed();
}

void EolLiftingAxleTestLogic::ShowPreview()
{
    state_.preview = LiftingAxlePreviewCells(AxleCount, ParameterChoice, AxleFeatureFlags, LiftingAxleFlags);
    Changed();
}

void EolLiftingAxleTestLogic::OnActivate(int)
{
    if (EolLiftingAxleResult == EolNotTested)
        SetPicture(0, EolPicture::Idle);
    ShowPreview();
}

void EolLiftingAxleTestLogic::OnPageLanguageChanged()
{
    state_.previewCaption = Text(51);
    state_.yesCaption = Text(237);
    state_.noCaption = Text(238);
}

void EolLiftingAxleTestLogic::OnClearDisplay()
{
    ShowPrompt(0);
}

void EolLiftingAxleTestLogic::RunTest()
{
    EolLiftingAxleRemark.clear();
    // Answers of an earlier run must not reach this run's verdict or remark.
    LiftingAxleRowAnswers.fill(-1);
    state_.rowShown = 0;
    state_.step = 0;
    Changed();
    // The calibration page reads the lifting-axle parameters from the ECU.
    tarvel::SendToRegisteredWindow(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_READ);
    if (!PumpedWait(kReadWaitMs))
        return;
    const int32_t type = LiftingAxleType;
    if (LiftingSensorVariant == 0) {
        if (type == 2 || type == 1) {
            tarvel::TestRunning = 1;
            StartStep(1, type == 2 ? 553 : 543, type == 2 ? 3 : 1, 0x00);
            return;
        }
        LiftingAxleStepTicks = 0;
        EndRun();
        Box(kUnknownTypeRow, kErrorCaptionRow, MsgIcon::None);
        return;
    }
    if (type == 2 || type == 1) {
        ShowPrompt(554);
        ShowRow(2);
        return;
    }
    ExitTest();
    Box(kUnknownTypeRow, kErrorCaptionRow, MsgIcon::None);
}

void EolLiftingAxleTestLogic::StartStep(int step, int promptRow, uint8_t output, uint8_t state)
{
    ShowPrompt(promptRow);
    LiftingAxleStepTicks = 0;
    state_.step = step;
    StartTicks(kTickMs);
    LiftingAxleCommand(output, state);
}

bool EolLiftingAxleTestLogic::LiftingAxleCommand(uint8_t output, uint8_t state)
{
    int failedRow = 0;
    if (tarvel::UdsDiagnosticSessionControl(3) != 1)
        failedRow = kSessionFailedRow;
    else if (!StillRunning())
        return false;
    else if (tarvel::UdsSecurityAccess() != 1)
        failedRow = kUnlockFailedRow;
    else if (!StillRunning())
        return false;
    else if (tarvel::UdsIoControlById5(kControlDid, output, state, 3) != 1)
        failedRow = LiftingAxleCommandFailedRow(output, state);
    if (failedRow == 0)
        return StillRunning();
    if (!StillRunning())
        return false;
    ExitTest();
    Box(failedRow, kErrorCaptionRow, MsgIcon::None);
    return false;
}

void EolLiftingAxleTestLogic::OnTick()
{
    const int step = state_.step;
    const int32_t type = LiftingAxleType;
    const LiftingAxleStep rules = LiftingAxleStepRules(step, type);
    if (++LiftingAxleStepTicks > kTimeOutTicks) {
        // The time-out's verdict ends the tick: nothing after it reopens a row.
        StopTicks();
        SetPicture(0, EolPicture::Failed);
        if (rules.answerRow >= 1)
            LiftingAxleRowAnswers[static_cast<size_t>(rules.answerRow - 1)] = 0;
        Evaluate();
        return;
    }
    std::vector<uint8_t> data;
    const int ok = tarvel::UdsReadById(kStatusDid, data);
    if (!StillRunning() || state_.step != step)
        return;
    // Only what the ECU sent counts: a positive answer without data fails.
    const uint32_t length = tarvel::UdsResponseLength();
    const size_t size = std::min<size_t>(data.size(), length >= 3 ? length - 3 : 0);
    if (ok != 1 || size < 1) {
        ExitTest();
        if (rules.readFailedRow != 0)
            Box(rules.readFailedRow, kErrorCaptionRow, MsgIcon::Exclamation);
        return;
    }
    LiftingAxleStatusBytes.assign(data.begin(), data.begin() + static_cast<long>(size));
    if (LiftingAxleStepReached(step, type, data[0])) {
        StopTicks();
        ShowPrompt(rules.promptRow);
        ShowRow(rules.answerRow);
    }
}

void EolLiftingAxleTestLogic::Answer(int row, bool yes)
{
    if (row < 1 || row > 5 || state_.rowShown != row || !Running())
        return;
    LiftingAxleRowAnswers[static_cast<size_t>(row - 1)] = yes ? 1 : 0;
    ShowRow(0);
    const LiftingAxleNext next = LiftingAxleAfterAnswer(row, LiftingAxleType, LiftingSensorVariant);
    switch (next.kind) {
    case LiftingAxleNext::Step:
        StartStep(next.step, next.promptRow, next.output, next.state);
        break;
    case LiftingAxleNext::Question:
        ShowPrompt(next.promptRow);
        ShowRow(next.row);
        break;
    case LiftingAxleNext::Evaluate:
        Evaluate();
        break;
    case LiftingAxleNext::Nothing:
        break;
    }
}

void EolLiftingAxleTestLogic::Evaluate()
{
    // Every verdict ends the run: no row stays open, no step timer runs.
    StopTicks();
    state_.rowShown = 0;
    state_.step = 0;
    LiftingAxleStepTicks = 0;
    EndRun();
    const LiftingAxleVerdict verdict =
        EvaluateLiftingAxleRows(LiftingAxleType, LiftingSensorVariant, LiftingAxleRowAnswers);
    if (verdict.result == 1) {
        EolLiftingAxleResult = EolPassed;
        SetPicture(0, EolPicture::Passed);
        Box(kPassedTextRow, kTipsCaptionRow, MsgIcon::Exclamation);
        return;
    }
    if (verdict.result != 0)
        return;
    EolLiftingAxleResult = EolFailed;
    std::string remark;
    for (int row : verdict.remarkRows)
        remark += ReportText(row) + "\n";
    EolLiftingAxleRemark = remark;
    MutableCommon().question = remark;
    LiftingAxlePromptText = remark;
    SetPicture(0, EolPicture::Failed);
    Changed();
    tarvel::ShowMessage(remark, Text(kErrorCaptionRow), MsgIcon::Exclamation);
}

void EolLiftingAxleTestLogic::ExitTest()
{
    Exit();
}

void EolLiftingAxleTestLogic::OnExitTest()
{
    LiftingAxleStepTicks = 0;
    LiftingAxleRowAnswers.fill(-1);
    state_.rowShown = 0;
    state_.step = 0;
    EolLiftingAxleRemark.clear();
    ShowPrompt(0);
}

void EolLiftingAxleTestLogic::OnDisconnected()
{
    // A lost link ends the test as Exit Test does, so nothing stays locked.
    if (Running())
        ExitTest();
    EolPageLogic::OnDisconnected();
}
