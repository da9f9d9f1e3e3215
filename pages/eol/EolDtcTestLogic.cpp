#include "EolDtcTestLogic.h"

#include "DiagnosisGlobals.h"
#include "EolPassRule.h"
#include "FailureTable.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"

#include "DelayPumping.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>

EolDtcTestLogic::EolDtcTestLogic(const tarvel::PageContext& context)
    : EolPageLogic(tarvel::TabEolDtc,
                   EolPageTraits{EolPage::Dtc, 1, /*startClearsStop*/ true, /*exitSetsStop*/ true, /*hasExit*/ true},
                   context)
{
    series_ = Context().timers.Create([this] { OnSeriesTick(); });
    startRetry_ = Context().timers.Create([this] { OnStartRetryTick(); });
}

EolDtcTestLogic::~EolDtcTestLogic()
{
    series_.reset();
    startRetry_.reset();
    DtcNumbers.clear();
    DtcDisplays.clear();
    DtcMeanings.clear();
}

bool EolDtcTestLogic::SeriesActive() const
{
    return series_->IsRunning() || startRetry_->IsRunning();
}

EolDtcJudgement EolDtcTestLogic::Judge(int count, bool gateCode, bool toleratedCode)
{
    if (count == 0)
        return EolDtcJudgement::Pass;
    if (count == 1) {
        if (toleratedCode && !gateCode)
            return EolDtcJudgement::Pass;
        if (gateCode && !toleratedCode)
            return EolDtcJudgement::FinalGate;
        return EolDtcJudgement::Fail;
    }
    if (count == 2 && gateCode && toleratedCode)
        return EolDtcJudgement::FinalGate;
    // Two codes that are not both tolerated, three or more, or no count.
    return EolDtcJudgement::Fail;
}

// ---- Start and the series ----

void EolDtcTestLogic::RunTest()
{
    // A second series still under way from an earlier gate ends here.
    ++stops_;
    series_->Stop();
    startRetry_->Stop();
    SetPicture(0, EolPicture::Idle);
    EolDtcReadCounter = 0;
    EolDtcReadPending = 1;
    EolStopRequested = 0;
    Changed();
    BeginSeries();
}

void EolDtcTestLogic::BeginSeries()
{
    // One transaction at a time: when Start came in while another request
    // waits for its answer, the clear follows once that one is done.
    if (tarvel::UdsRequestInFlight()) {
        startRetry_->Start(kStartRetryMs);
        return;
    }
    const uint64_t epoch = stops_;
    ClearEolDtcs();
    if (stops_ != epoch || SeriesStopped())
        return;
    series_->Start(kReadPeriodMs);
}

void EolDtcTestLogic::OnStartRetryTick()
{
    if (tarvel::UdsRequestInFlight())
        return;
    startRetry_->Stop();
    if (SeriesStopped())
        return;
    BeginSeries();
}

void EolDtcTestLogic::ClearEolDtcs()
{
    tarvel::TestRunning = 0;
    if (tarvel::UdsClearDtc() != 1 && !SeriesStopped())
        AddLine(kClearFailedLine);
}

bool EolDtcTestLogic::SeriesStopped() const
{
    return EolDtcReadPending != 1 || EolStopRequested.load() != 0;
}

void EolDtcTestLogic::OnSeriesTick()
{
    // A tick while a request waits for its answer, or while the last tick's
    // reading and judgement still run, is skipped and not counted.
    if (ticking_ || tarvel::UdsRequestInFlight())
        return;
    if (SeriesStopped()) {
        series_->Stop();
        if (StillRunning())
            Exit();
        return;
    }
    ticking_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{ticking_};

    const uint64_t epoch = stops_;
    if (!ReadEolDtcs() || stops_ != epoch)
        return;
    ++EolDtcReadCounter;
    SetCountdown(std::to_string(kReadingsPerSeries - EolDtcReadCounter));
    if (EolDtcReadCounter >= kReadingsPerSeries) {
        series_->Stop();
        EolDtcReadPending = 0;
        EolStopRequested = 1;
        SelectEolFinalGate();
    }
}

bool EolDtcTestLogic::ReadEolDtcs()
{
    state_.lines.clear();
    EolDtcCount = 0;
    // The judgement looks at the codes of the last reading only.
    EolSeenCodeFD0E.clear();
    EolSeenCodeDB08.clear();
    tarvel::TestRunning = 1;
    Changed();

    const int count = tarvel::UdsReadDtcCount(kStatusMask);
    if (SeriesStopped())
        return false;
    EolDtcCount = count;
    if (count == tarvel::kUdsNoDtcCount) {
        AddLine(kCountUnreadableLine);
        return true;
    }

    const std::string text = tarvel::UdsReadDtcByStatus(kStatusMask);
    if (SeriesStopped())
        return false;
    int record = 0;
    for (const std::vector<std::string>& fields : SplitDtcFaultText(text)) {
        ++record; // a record without a status word still takes its number
        if (fields.empty())
            continue;
        if (fields[0] == kGateCode)
            EolSeenCodeFD0E = kGateCode;
        if (fields[0] == kToleratedCode)
            EolSeenCodeDB08 = kToleratedCode;
        if (fields.size() < 2)
            continue;
        if (fields[1] == "No Fault")
            AddLine(kNoFaultLine);
        else
            AddLine(std::to_string(record) + ". " + FormatDtcText(fields[0], fields[1]));
    }
    Changed();
    return true;
}

// ---- The judgement ----

void EolDtcTestLogic::SelectEolFinalGate()
{
    const uint64_t epoch = stops_;
    switch (Judge(EolDtcCount, EolSeenCodeFD0E == kGateCode, EolSeenCodeDB08 == kToleratedCode)) {
    case EolDtcJudgement::Pass:
        EolDtcTestPassed();
        break;
    case EolDtcJudgement::Fail:
        EolDtcTestFailed();
        break;
    case EolDtcJudgement::FinalGate:
        EolFinalGate();
        break;
    }
    // A new Start made while the gate waited owns the page now.
    if (stops_ != epoch)
        return;
    AfterSelection();
}

void EolDtcTestLogic::EolFinalGate()
{
    const EolRuleOutcome outcome =
        EvaluateEolPassRule(EolResultValuesNow(), SystemForm, EolEquipmentNow(), EolRuleScope::FinalGate);
    if (outcome == EolRuleOutcome::NoRule)
        return; // a form the rule does not know: no verdict, no message
    if (outcome != EolRuleOutcome::Pass) {
        Box(kGateRefusedTextRow, kErrorCaptionRow);
        return;
    }
    const uint64_t epoch = stops_;
    const bool marked = tarvel::WriteDid0094Byte(1);
    if (stops_ != epoch)
        return;
    if (!marked) {
        // The ECU did not take the passed marker: the run is not passed, the
        // ECU is not restarted, and no second series follows (it would find
        // 0xFD0E again and come back here).
        Box(kMarkerRefusedTextRow, kErrorCaptionRow);
        return;
    }
    EolPassedFlag = 1;
    if (tarvel::UdsEcuReset() != 1 || stops_ != epoch)
        return; // the ECU did not restart: the series ends here
    tarvel::DelayPumpingMessages(kRestartWaitMs);
    if (stops_ != epoch)
        return;
    // The second series reads the restarted ECU: one that takes longer than
    // the fixed wait is asked until it answers, within the allowance.
    if (!EcuBackAfterReset([this, epoch] { return stops_ != epoch; }, kRestartWaitMs) || stops_ != epoch)
        return;
    EolDtcReadPending = 1;
    EolStopRequested = 0;
    ClearEolDtcs();
    if (stops_ != epoch || SeriesStopped())
        return;
    EolDtcReadCounter = 0;
    series_->Start(kReadPeriodMs);
}

void EolDtcTestLogic::EolDtcTestPassed()
{
    SetPicture(0, EolPicture::Passed);
    EolDtcResult = EolPassed;
    Box(kPassedTextRow, kTipsCaptionRow);
}

void EolDtcTestLogic::EolDtcTestFailed()
{
    WriteFailureMarker();
    SetPicture(0, EolPicture::Failed);
    EolDtcResult = EolFailed;
    Box(kFailedTextRow, kErrorCaptionRow);
}

void EolDtcTestLogic::AfterSelection()
{
    SetCountdown("");
    EolSeenCodeFD0E.clear();
    EolSeenCodeDB08.clear();
    EndRun();
}

// ---- Stops ----

void EolDtcTestLogic::StopSeries()
{
    ++stops_;
    const bool active = SeriesActive();
    series_->Stop();
    startRetry_->Stop();
    EolDtcReadPending = 0;
    if (active)
        tarvel::TestRunning = 0;
}

void EolDtcTestLogic::OnExitTest()
{
    StopSeries();
    tarvel::TestRunning = 0;
    keepListOnExit_ = true;
}

void EolDtcTestLogic::OnDisconnected()
{
    EolPageLogic::OnDisconnected();
    StopSeries();
    tarvel::TestRunning = 0;
    Changed();
}

void EolDtcTestLogic::OnStopWork()
{
    // Also ends a gate that waits for the ECU's restart.
    StopSeries();
}

// ---- Display ----

void EolDtcTestLogic::ClearContents()
{
    state_.lines.clear();
    Changed();
}

void EolDtcTestLogic::OnClearDisplay()
{
    // Exit shows the idle picture but leaves the list as it is.
    if (keepListOnExit_) {
        keepListOnExit_ = false;
        return;
    }
    state_.lines.clear();
    Changed();
}

void EolDtcTestLogic::OnPageLanguageChanged()
{
    state_.clearContentsCaption = Text(kClearContentsTextRow);
}

void EolDtcTestLogic::SetCountdown(const std::string& text)
{
    state_.countdown = text;
    Changed();
}

void EolDtcTestLogic::AddLine(const std::string& line)
{
    if (line.empty())
        return;
    // The list box keeps its lines sorted.
    state_.lines.insert(std::upper_bound(state_.lines.begin(), state_.lines.end(), line), line);
    Changed();
}
