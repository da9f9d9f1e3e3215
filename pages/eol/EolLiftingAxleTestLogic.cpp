#include "EolLiftingAxleTestLogic.h"

#include "DiagnosisGlobals.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"

#include "UdsEngine.h"
#include "UdsServices.h"

using tarvel::MsgIcon;

EolLiftingAxleTestLogic::EolLiftingAxleTestLogic(const tarvel::PageContext& context)
    : EolLiftingPageLogic(tarvel::TabEolLiftingAxle, EolPage::LiftingAxle, EolLiftingAxleResult, context)
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
    Lifting().pairShown = row;
    Changed();
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
    if (!ReadLiftingAxleParameters(kReadWaitMs))
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
    Lifting().step = step;
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
    const int step = State().step;
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
    const StatusRead read = ReadStatus(step, LiftingAxleStatusBytes);
    if (read == StatusRead::Failed && rules.readFailedRow != 0)
        Box(rules.readFailedRow, kErrorCaptionRow, MsgIcon::Exclamation);
    if (read != StatusRead::Read)
        return;
    if (LiftingAxleStepReached(step, type, LiftingAxleStatusBytes[0])) {
        StopTicks();
        ShowPrompt(rules.promptRow);
        ShowRow(rules.answerRow);
    }
}

void EolLiftingAxleTestLogic::Answer(int row, bool yes)
{
    if (row < 1 || row > 5 || State().pairShown != row || !Running())
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
    Lifting().pairShown = 0;
    Lifting().step = 0;
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

void EolLiftingAxleTestLogic::OnExitTest()
{
    LiftingAxleStepTicks = 0;
    LiftingAxleRowAnswers.fill(-1);
    Lifting().pairShown = 0;
    Lifting().step = 0;
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
