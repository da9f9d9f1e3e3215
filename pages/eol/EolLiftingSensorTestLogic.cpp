#include "EolLiftingSensorTestLogic.h"

#include "DiagnosisGlobals.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"

#include "UdsEngine.h"

using tarvel::MsgIcon;

EolLiftingSensorTestLogic::EolLiftingSensorTestLogic(const tarvel::PageContext& context)
    : EolLiftingPageLogic(tarvel::TabEolLiftingSensor, EolPage::LiftingSensor, EolLiftingSensorResult, context)
{
}

void EolLiftingSensorTestLogic::ShowText(const std::string& text)
{
    MutableCommon().question = text;
    Changed();
}

void EolLiftingSensorTestLogic::ShowPair(int promptRow, int pair)
{
    ShowText(Text(promptRow));
    Lifting().pairShown = pair;
    Changed();
}

void EolLiftingSensorTestLogic::OnClearDisplay()
{
    ShowText(std::string());
}

void EolLiftingSensorTestLogic::RunTest()
{
    if (!ReadLiftingAxleParameters(kReadWaitMs))
        return;
    // From this run's flags, not a run before.
    SecondLiftingAxleFitted = 0;
    for (int axle = 0; axle < 5; ++axle)
        if (LiftingAxleFlags[static_cast<size_t>(2 * axle + 1)] != 0)
            SecondLiftingAxleFitted = 1;
    if (LiftingSensorVariant != 1)
        return; // stays running until Exit Test
    tarvel::TestRunning = 1;
    if (LiftingAxleType == 1 || LiftingAxleType == 2) {
        ShowPair(kFirstPromptRow, 1);
        return;
    }
    ExitTest();
    tarvel::ShowMessage("Can't get Lifting Sensor Info", "Warning", MsgIcon::None);
}

void EolLiftingSensorTestLogic::Answer(int pair, bool yes)
{
    if (pair < 1 || pair > 5 || State().pairShown != pair || !Running())
        return;
    Lifting().pairShown = 0;
    Changed();
    const LiftingSensorPair rules = LiftingSensorPairRules(pair, LiftingAxleType);
    if (!yes) {
        Conclude(false, rules.noRow);
        return;
    }
    if (LiftingSensorVariant != 1) {
        ExitTest();
        return;
    }
    if (!rules.allowed)
        return;
    StartStep(rules.step);
}

void EolLiftingSensorTestLogic::StartStep(int step)
{
    // A mismatch seen in an earlier step or run does not judge this one.
    LiftingSensorFailText = 0;
    ticks_ = 0;
    Lifting().step = step;
    StartTicks(kTickMs);
}

void EolLiftingSensorTestLogic::OnTick()
{
    const int step = State().step;
    const LiftingSensorStep rules = LiftingSensorStepRules(step, LiftingAxleType);
    ++ticks_;
    ShowText(std::to_string(kTimeOutTicks - ticks_));
    const StatusRead read = ReadStatus(step, LiftingSensorStatusBytes);
    if (read == StatusRead::Failed)
        tarvel::ShowMessage(rules.readFailedText, "Warning", MsgIcon::Exclamation);
    if (read != StatusRead::Read)
        return;
    const LiftingSensorCheck check =
        LiftingSensorStatusCheck(LiftingAxleType, SecondLiftingAxleFitted, rules.phase, LiftingSensorStatusBytes[0]);
    if (check.failText != 0)
        LiftingSensorFailText = check.failText;
    const bool timedOut = ticks_ > kTimeOutTicks;
    if (check.result == -1 || timedOut) {
        // A verdict ends the tick; a match in the time-out tick opens no pair.
        const int text = LiftingSensorFailText != 0 ? LiftingSensorFailText : rules.timeOutRow;
        Conclude(false, text);
        return;
    }
    if (check.result == 1) {
        StopTicks();
        Lifting().step = 0;
        if (rules.pair == 0)
            Conclude(true, 0);
        else
            ShowPair(rules.promptRow, rules.pair);
    }
}

void EolLiftingSensorTestLogic::Conclude(bool passed, int failRow)
{
    StopTicks();
    Lifting().pairShown = 0;
    Lifting().step = 0;
    ticks_ = 0;
    EndRun();
    if (passed) {
        EolLiftingSensorResult = EolPassed;
        SetPicture(0, EolPicture::Passed);
        tarvel::ShowMessage("Test Passed", "Tips", MsgIcon::Exclamation);
        EolLiftingSensorRemark = EolNoRemark;
        return;
    }
    EolLiftingSensorResult = EolFailed;
    ShowText(Text(failRow));
    SetPicture(0, EolPicture::Failed);
    tarvel::ShowMessage(Text(failRow), "Warning", MsgIcon::Exclamation);
    if (const int remark = LiftingSensorRemarkRow(failRow))
        EolLiftingSensorRemark = ReportText(remark);
}

void EolLiftingSensorTestLogic::OnExitTest()
{
    ticks_ = 0;
    Lifting().pairShown = 0;
    Lifting().step = 0;
    SecondLiftingAxleFitted = 0;
    EolLiftingSensorRemark = EolNoRemark;
    ShowText(std::string());
}

void EolLiftingSensorTestLogic::OnDisconnected()
{
    // A lost link is Exit Test in any state: a finished run's result and
    // remark go back to not tested as well.
    ExitEvenWhenIdle();
    EolPageLogic::OnDisconnected();
}
