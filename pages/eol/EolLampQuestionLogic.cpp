#include "EolLampQuestionLogic.h"

#include "UdsServices.h"

using tarvel::MsgIcon;

EolLampQuestionLogic::EolLampQuestionLogic(int tab, const EolLampPageSpec& spec, const tarvel::PageContext& context)
    : EolPageLogic(tab, EolPageTraits{spec.page, 2, /*startClearsStop*/ true, /*exitSetsStop*/ false, /*hasExit*/ true},
                   context),
      spec_(spec),
      onTimer_(Context().timers.Create([this] { ResendTick(LampQuestion::LampOn); })),
      offTimer_(Context().timers.Create([this] { ResendTick(LampQuestion::LampOff); })),
      order_(Context().timers)
{
}

EolLampQuestionLogic::~EolLampQuestionLogic() = default;

// ---- Events in order ----

void EolLampQuestionLogic::StartClicked()
{
    RunInOrder([this] { DoStart(); });
}

void EolLampQuestionLogic::ExitClicked()
{
    RunInOrder([this] { DoExit(); });
}

void EolLampQuestionLogic::Answer(LampQuestion question, bool yes)
{
    RunInOrder([this, question, yes] { AnswerNow(question, yes); });
}

// ---- Lifecycle ----

void EolLampQuestionLogic::OnDisconnected()
{
    EolStopRequested = 1;
    if (Running()) {
        EolEventOrder::Step step(order_);
        DoExit();
    }
    CloseQuestions();
}

void EolLampQuestionLogic::OnPageLanguageChanged()
{
    lamp_.yesCaption = Text(kYesTextRow);
    lamp_.noCaption = Text(kNoTextRow);
    lamp_.lampOnCaption = Text(kLampOnTextRow);
    lamp_.lampOffCaption = Text(kLampOffTextRow);
}

void EolLampQuestionLogic::OnExitTest()
{
    CloseQuestions();
}

// ---- The test ----

void EolLampQuestionLogic::RunTest()
{
    MutableCommon().question = " ";
    Changed();
    BeginLampOnPhase();
}

bool EolLampQuestionLogic::SendLamp(bool on)
{
    return tarvel::UdsIoControlById6(kLampDid, spec_.output, on ? kLampOnState : kLampOffState, kThirdState,
                                     kShortTermAdjustment) == 1;
}

tarvel::Timer& EolLampQuestionLogic::ResendTimer(LampQuestion question)
{
    return question == LampQuestion::LampOff ? *offTimer_ : *onTimer_;
}

bool EolLampQuestionLogic::ResendTimerRunning(LampQuestion question) const
{
    const tarvel::Timer* timer = question == LampQuestion::LampOff ? offTimer_.get() : onTimer_.get();
    return question != LampQuestion::None && timer->IsRunning();
}

void EolLampQuestionLogic::OpenQuestion(LampQuestion question, int promptRow, tarvel::Timer& timer)
{
    tarvel::TestRunning = 1;
    timer.Start(kResendMs);
    lamp_.open = question;
    Ask(Text(promptRow));
}

void EolLampQuestionLogic::CloseQuestions()
{
    onTimer_->Stop();
    offTimer_->Stop();
    lamp_.open = LampQuestion::None;
    MutableCommon().answerShown = false;
    Changed();
}

void EolLampQuestionLogic::BeginLampOnPhase()
{
    if (!EnterExtendedSessionAndUnlock(MsgIcon::None)) {
        CloseQuestions();
        return;
    }
    const bool accepted = SendLamp(true);
    if (!StillRunning())
        return;
    if (accepted)
        OpenQuestion(LampQuestion::LampOn, spec_.on.promptRow, *onTimer_);
    else
        Box(spec_.on.refusedRow, kErrorCaptionRow, MsgIcon::None); // the page waits for Exit
}

void EolLampQuestionLogic::BeginLampOffPhase()
{
    if (!EnterExtendedSessionAndUnlock(MsgIcon::None)) {
        CloseQuestions();
        return;
    }
    const bool accepted = SendLamp(false);
    if (!StillRunning())
        return;
    if (accepted)
        OpenQuestion(LampQuestion::LampOff, spec_.off.promptRow, *offTimer_);
    else
        Box(spec_.off.refusedRow, kErrorCaptionRow, MsgIcon::None); // the page waits for Exit
}

void EolLampQuestionLogic::ResendTick(LampQuestion question)
{
    tarvel::Timer& timer = ResendTimer(question);
    if (!Running() || lamp_.open != question) {
        timer.Stop();
        return;
    }
    // The previous tick, an answer or another request still holds the link.
    if (Busy())
        return;
    EolEventOrder::Step step(order_);
    const bool accepted = SendLamp(question == LampQuestion::LampOn);
    if (!StillRunning())
        return;
    if (!accepted)
        timer.Stop(); // the question stays open; the answer still counts
    if (StopRequested())
        DoExit();
}

void EolLampQuestionLogic::WriteLampOnMarker()
{
    if (!spec_.onMarkerNeedsUnlock) {
        tarvel::WriteDid0094Byte(0);
        return;
    }
    tarvel::UdsDiagnosticSessionControl(3);
    if (!StillRunning())
        return;
    if (tarvel::UdsSecurityAccess() != 1 || !StillRunning())
        return;
    tarvel::UdsWriteById(kMarkerDid, {0x00});
}

void EolLampQuestionLogic::AnswerNow(LampQuestion question, bool yes)
{
    if (!Running() || lamp_.open != question)
        return; // the question was closed while the answer waited
    const bool lampOn = question == LampQuestion::LampOn;
    const EolLampPhaseSpec& phase = lampOn ? spec_.on : spec_.off;
    int32_t& flag = *phase.result;
    const int picture = lampOn ? kOnPicture : kOffPicture;
    CloseQuestions();
    if (yes) {
        RecordPass(picture, flag);
    } else {
        flag = EolFailed;
        *phase.remark = ReportText(lampOn ? kOnRemarkRow : kOffRemarkRow);
        Changed();
        if (lampOn)
            WriteLampOnMarker();
        else
            tarvel::WriteDid0094Byte(0);
        if (!StillRunning())
            return; // the link went while the marker was written
        SetPicture(picture, EolPicture::Failed);
    }
    if (lampOn)
        BeginLampOffPhase();
    else
        FinishLampTest();
}

void EolLampQuestionLogic::FinishLampTest()
{
    const bool failed = *spec_.on.result == EolFailed || *spec_.off.result == EolFailed;
    CloseQuestions();
    // The page is idle before the verdict shows: nothing that happens while
    // the box is open can take the results back.
    EndRun();
    if (failed)
        Box(kFailedTextRow, kErrorCaptionRow, MsgIcon::None);
    else
        Box(kPassedTextRow, kTipsCaptionRow, MsgIcon::None);
}
