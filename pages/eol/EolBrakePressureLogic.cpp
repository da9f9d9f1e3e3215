#include "EolBrakePressureLogic.h"

#include "DiagnosisGlobals.h"
#include "PageHostTable.h"

#include "UdsEngine.h"
#include "UdsServices.h"

#include <cmath>
#include <vector>

using tarvel::MsgIcon;

namespace {

// The two-channel phases, in order: item k is judged after phase k.
struct TwoChannelPhase {
    uint8_t channel;
    bool apply;
};
constexpr TwoChannelPhase kTwoChannelPhases[4] = {
    {EolBrakePressureLogic::kLeftChannel, true},
    {EolBrakePressureLogic::kLeftChannel, false},
    {EolBrakePressureLogic::kRightChannel, true},
    {EolBrakePressureLogic::kRightChannel, false},
};

// Item k (0..3): its flag, remark, text and target.
struct PressureItem {
    int32_t* flag;
    std::string* remark;
    int textRow;
    float target;
};
PressureItem Item(int item)
{
    switch (item) {
    case 0: return {&EolPressure1Result, &EolPressureRemark1, 203, EolBrakePressureLogic::kAppliedTarget};
    case 1: return {&EolPressure2Result, &EolPressureRemark2, 204, EolBrakePressureLogic::kReleasedTarget};
    case 2: return {&EolPressure3Result, &EolPressureRemark3, 205, EolBrakePressureLogic::kAppliedTarget};
    default: return {&EolPressure4Result, &EolPressureRemark4, 206, EolBrakePressureLogic::kReleasedTarget};
    }
}

// The slot item k judges.
constexpr int kItemSlot[4] = {kLeftBrakeSlot, kLeftReleaseSlot, kRightBrakeSlot, kRightReleaseSlot};

// The failure text of a command: apply or release of 0x10, 0x01, 0x90.
int CommandFailureRow(uint8_t channel, bool apply)
{
    switch (channel) {
    case EolBrakePressureLogic::kLeftChannel: return apply ? 199 : 201;
    case EolBrakePressureLogic::kRightChannel: return apply ? 200 : 202;
    default: return apply ? 190 : 191;
    }
}

} // namespace

EolBrakePressureLogic::EolBrakePressureLogic(const tarvel::PageContext& context)
    : EolPageLogic(tarvel::TabEolPressure,
                   EolPageTraits{EolPage::Pressure, 1, /*startClearsStop*/ true, /*exitSetsStop*/ true,
                                 /*hasExit*/ true},
                   context)
{
    state_.labels.fill("0.00");
}

// ---- Tables ----

bool EolBrakePressureLogic::PressureWithinTolerance(std::optional<float> value, float target)
{
    if (!value)
        return false; // nothing was read for the item
    const float deviation = std::fabs(*value - target);
    return static_cast<double>(deviation) <= kTolerance;
}

PressureReadPass EolBrakePressureLogic::TimerReading(bool leftApplyPassed, bool rightApplyPassed)
{
    PressureReadPass pass;
    pass.dids = {kMainDid};
    pass.routes = {
        leftApplyPassed
            ? PressureRoute{kMainDid, kPressureLeftNameRow, PressureVariant::Any, kLeftReleaseSlot, PressureUpdate::KeepLowest}
            : PressureRoute{kMainDid, kPressureLeftNameRow, PressureVariant::Any, kLeftBrakeSlot, PressureUpdate::KeepHighest},
        rightApplyPassed
            ? PressureRoute{kMainDid, kPressureRightNameRow, PressureVariant::Any, kRightReleaseSlot, PressureUpdate::KeepLowest}
            : PressureRoute{kMainDid, kPressureRightNameRow, PressureVariant::Any, kRightBrakeSlot, PressureUpdate::KeepHighest},
    };
    return pass;
}

PressureReadPass EolBrakePressureLogic::EbsdReading(uint16_t did, bool applied, int32_t variant)
{
    // Variant 0: 0x0053 feeds the main labels and 0x0052 the EBS-D ones;
    // any other variant the other way round.
    const bool main = (variant == 0) == (did == kEbsdDid);
    const PressureUpdate update = applied ? PressureUpdate::KeepHighest : PressureUpdate::KeepLowest;
    int left, right;
    if (main) {
        left = applied ? kLeftBrakeSlot : kLeftReleaseSlot;
        right = applied ? kRightBrakeSlot : kRightReleaseSlot;
    } else {
        left = applied ? kEbsdLeftBrakeSlot : kEbsdLeftReleaseSlot;
        right = applied ? kEbsdRightBrakeSlot : kEbsdRightReleaseSlot;
    }
    PressureReadPass pass;
    pass.dids = {did};
    pass.variant = variant;
    pass.routes = {{did, kPressureLeftNameRow, PressureVariant::Any, left, update},
                   {did, kPressureRightNameRow, PressureVariant::Any, right, update}};
    return pass;
}

// ---- Lifecycle ----

void EolBrakePressureLogic::OnActivate(int)
{
    // ResetBrakePressurePage: nothing is sent.
    if (EolPressure1Result == EolNotTested && EolPressure2Result == EolNotTested &&
        EolPressure3Result == EolNotTested && EolPressure4Result == EolNotTested) {
        SetPicture(0, EolPicture::Idle);
        for (int slot = kLeftBrakeSlot; slot <= kRightReleaseSlot; ++slot)
            state_.labels[static_cast<size_t>(slot)].clear();
    }
    state_.ebsdShown = SystemForm == "4S3M";
    if (state_.ebsdShown) {
        state_.frameCaptions[kEbsdLeftBrakeSlot] = Text(482);
        state_.frameCaptions[kEbsdRightBrakeSlot] = Text(483);
        state_.frameCaptions[kEbsdLeftReleaseSlot] = Text(484);
        state_.frameCaptions[kEbsdRightReleaseSlot] = Text(485);
        for (int slot = kEbsdLeftBrakeSlot; slot < kBrakePressureSlots; ++slot)
            state_.labels[static_cast<size_t>(slot)].clear();
    }
    Changed();
}

void EolBrakePressureLogic::OnPageLanguageChanged()
{
    // RefreshBrakePressureLanguage.
    state_.frameCaptions[kLeftBrakeSlot] = Text(58);
    state_.frameCaptions[kRightBrakeSlot] = Text(59);
    state_.frameCaptions[kLeftReleaseSlot] = Text(60);
    state_.frameCaptions[kRightReleaseSlot] = Text(61);
}

void EolBrakePressureLogic::OnDisconnected()
{
    // Nothing can be sent any more; the ECU ends its IO control itself.
    phase_.reset();
    holdsChannel_ = false;
    releaseOwed_ = false;
    PressurePhaseElapsed = 0.0f;
    EolPageLogic::OnDisconnected();
}

// ---- The run ----

void EolBrakePressureLogic::RunTest()
{
    // The operator applies the full brake demand first.
    Box(kInstructionTextRow, kTipsCaptionRow, MsgIcon::None);
    if (!StillRunning())
        return;
    if (!EnterExtendedSessionAndUnlock(MsgIcon::None))
        return;
    for (uint8_t& step : PressureStepPassed)
        step = 0;
    ClosePhase();
    PressurePhaseElapsed = 0.0f;
    SetPicture(0, EolPicture::Idle);
    if (StopRequested()) {
        StopRun();
        return;
    }
    if (SystemForm == "4S3M")
        RunEbsdSequence();
    else
        RunTwoChannelSequence();
    // Exit came while a request of the run was in flight: the channel it
    // held goes back to the ECU now.
    if (releaseOwed_)
        ReleaseHeldChannel();
    if (StillRunning())
        EndRun();
}

void EolBrakePressureLogic::RunTwoChannelSequence()
{
    for (int item = 0; item < 4; ++item) {
        if (item > 0 && PressureStepPassed[item - 1] != 1)
            break;
        if (StopRequested()) {
            StopRun();
            return;
        }
        // Each phase judges only what it read itself: the values its
        // readings feed start with nothing read.
        for (const PressureRoute& route : TimerReading(PressureStepPassed[0] == 1, PressureStepPassed[2] == 1).routes)
            ClearSlots(route.slot, route.slot);
        BeginPhase(Phase{kTwoChannelPhases[item].channel, kTwoChannelPhases[item].apply, true});
        if (!PumpedWait(kPhaseWaitMs))
            return;
        ClosePhase();
        if (!StillRunning())
            return;
        if (StopRequested()) {
            StopRun();
            return;
        }
        EvaluatePressureItem(item);
        if (!StillRunning())
            return;
    }
    const bool passed = EolPressure1Result == EolPassed && EolPressure2Result == EolPassed &&
                        EolPressure3Result == EolPassed && EolPressure4Result == EolPassed;
    if (!passed && StopRequested()) {
        StopRun();
        return;
    }
    ShowBrakePressureVerdict(passed);
}

void EolBrakePressureLogic::RunEbsdSequence()
{
    const int32_t variant = DerivedSystemVariant;
    // Every value of the run starts with nothing read.
    ClearSlots(kLeftBrakeSlot, kEbsdRightReleaseSlot);

    // Applied: channel 0x90 held, both identifiers read after 1.5 s.
    BeginPhase(Phase{kAllChannels, true, false});
    if (!PumpedWaitUnlessStopped(1500))
        return StopRun();
    for (uint16_t did : {kMainDid, kEbsdDid})
        if (!ReadPressures(EbsdReading(did, true, variant)))
            return;
    if (!PumpedWaitUnlessStopped(1000) || !PumpedWaitUnlessStopped(1000))
        return StopRun();
    ClosePhase();
    if (!StillRunning())
        return;

    // Released.
    BeginPhase(Phase{kAllChannels, false, false});
    if (!PumpedWaitUnlessStopped(1500))
        return StopRun();
    for (uint16_t did : {kMainDid, kEbsdDid})
        if (!ReadPressures(EbsdReading(did, false, variant)))
            return;
    if (!PumpedWaitUnlessStopped(2000))
        return StopRun();
    ClosePhase();
    if (!StillRunning())
        return;
    if (StopRequested())
        return StopRun();
    EvaluateBrakePressures();
    if (!StillRunning())
        return;
    const bool passed = EolPressure1Result == EolPassed && EolPressure2Result == EolPassed &&
                        EolPressure3Result == EolPassed && EolPressure4Result == EolPassed &&
                        EolPressure5Result == EolPassed && EolPressure6Result == EolPassed;
    if (!passed && StopRequested())
        return StopRun();
    ShowBrakePressureVerdict(passed);
}

void EolBrakePressureLogic::EndNotRead()
{
    phase_.reset();
    PressurePhaseElapsed = 0.0f;
    // A channel still held goes back to the ECU, should it answer again;
    // quietly, for the box has said what there is to say.
    if (EndRunAfterBox(kReadFailedTextRow))
        ReleaseHeldChannel(/*quiet*/ true);
}

void EolBrakePressureLogic::OnProgramClosing()
{
    // As after a silent link: a channel still held goes back quietly.
    phase_.reset();
    PressurePhaseElapsed = 0.0f;
    ReleaseHeldChannel(/*quiet*/ true);
}

void EolBrakePressureLogic::StopRun()
{
    ReleaseHeldChannel();
    phase_.reset();
    PressurePhaseElapsed = 0.0f;
    if (StillRunning())
        EndRun();
}

// ---- Phases ----

void EolBrakePressureLogic::BeginPhase(const Phase& phase)
{
    phase_ = phase;
    ticks_ = 0;
    PressurePhaseElapsed = 0.0f;
    StartTicks(kTickMs);
}

void EolBrakePressureLogic::ClosePhase()
{
    StopTicks();
    ReleaseHeldChannel();
    phase_.reset();
    PressurePhaseElapsed = 0.0f;
}

void EolBrakePressureLogic::ReleaseHeldChannel(bool quiet)
{
    if (!holdsChannel_)
        return;
    if (tarvel::UdsRequestInFlight()) {
        // The request under way answers first; its caller releases then.
        releaseOwed_ = true;
        return;
    }
    holdsChannel_ = false;
    releaseOwed_ = false;
    // ReturnIoControlToEcu(0x0005): 2F 00 05 00; the answer is not used.
    if (quiet)
        tarvel::UdsIoControlById3Quiet(kControlDid, 0);
    else
        tarvel::UdsIoControlById3(kControlDid, 0);
}

void EolBrakePressureLogic::OnTick()
{
    OnBrakePressureTimer();
}

void EolBrakePressureLogic::OnBrakePressureTimer()
{
    // A tick that finds the previous one still under way (a box it shows is
    // open) is skipped.
    if (inTick_ || !phase_) {
        if (!phase_)
            StopTicks();
        return;
    }
    inTick_ = true;
    const Phase phase = *phase_;
    auto ended = [this] {
        inTick_ = false;
        if (releaseOwed_)
            ReleaseHeldChannel();
    };
    if (phase.readsPressures) {
        if (!ReadPressures(TimerReading(PressureStepPassed[0] == 1, PressureStepPassed[2] == 1)))
            return ended();
    }
    if (!StillRunning() || !phase_)
        return ended();
    CommandPressureChannel(phase.channel, phase.apply);
    if (!StillRunning() || !phase_)
        return ended();
    ++ticks_;
    PressurePhaseElapsed = static_cast<float>(static_cast<double>(PressurePhaseElapsed) + 0.5);
    if (ticks_ >= kTicksPerPhase) {
        // The phase ends with control handed back.
        StopTicks();
        ReleaseHeldChannel();
        phase_.reset();
        PressurePhaseElapsed = 0.0f;
    }
    inTick_ = false;
}

bool EolBrakePressureLogic::CommandPressureChannel(uint8_t channel, bool apply)
{
    tarvel::TestRunning = 1;
    holdsChannel_ = true;
    const int result =
        tarvel::UdsIoControlById6(kControlDid, channel, apply ? kApplyLevel : kReleaseLevel, 0xFF, 3);
    if (result == 1)
        return true;
    if (!StillRunning())
        return false;
    if (LastRequestUnanswered()) {
        // The ECU or the adapter has fallen silent: nothing more of this run
        // can be read.
        EndNotRead();
        return false;
    }
    Box(CommandFailureRow(channel, apply), kErrorCaptionRow, MsgIcon::None);
    return false;
}

bool EolBrakePressureLogic::ReadPressures(const PressureReadPass& pass)
{
    std::vector<PressureSlot> slots(slots_.begin(), slots_.end());
    const PressureReadOutcome outcome = ReadPressurePass(
        pass, [this](int row) { return Text(row); }, [this] { return StillRunning(); }, slots);
    if (outcome == PressureReadOutcome::Ended)
        return false;
    // Every reading is shown; only the value judged follows the update rule.
    for (size_t i = 0; i < slots_.size(); ++i) {
        slots_[i] = slots[i];
        if (slots_[i].read)
            state_.labels[i] = slots_[i].lastReading;
    }
    PublishValues();
    if (outcome == PressureReadOutcome::NoAnswer) {
        // The ECU or the adapter has fallen silent: the run ends now, not
        // after every later request has waited for its own time-out.
        EndNotRead();
        return false;
    }
    if (outcome == PressureReadOutcome::ReadFailed) {
        Box(kReadFailedTextRow, kErrorCaptionRow, MsgIcon::None);
        return StillRunning();
    }
    return true;
}

void EolBrakePressureLogic::ClearSlots(int first, int last)
{
    for (int slot = first; slot <= last; ++slot)
        slots_[static_cast<size_t>(slot)] = PressureSlot{};
    PublishValues();
}

void EolBrakePressureLogic::PublishValues()
{
    float* const globals[kBrakePressureSlots] = {
        &LeftBrakePressure,     &LeftReleasePressure,     &RightBrakePressure,     &RightReleasePressure,
        &EbsdLeftBrakePressure, &EbsdLeftReleasePressure, &EbsdRightBrakePressure, &EbsdRightReleasePressure};
    for (size_t i = 0; i < slots_.size(); ++i)
        *globals[i] = slots_[i].has ? slots_[i].value : 0.0f;
    Changed();
}

std::optional<float> EolBrakePressureLogic::SlotValue(int slot) const
{
    const PressureSlot& s = slots_[static_cast<size_t>(slot)];
    return s.has ? std::optional<float>(s.value) : std::nullopt;
}

// ---- Judging ----

void EolBrakePressureLogic::EvaluatePressureItem(int item)
{
    const PressureItem it = Item(item);
    if (!SlotValue(kItemSlot[item])) {
        // Nothing of the phase was read: the item is not judged.
        EndNotRead();
        return;
    }
    if (PressureWithinTolerance(SlotValue(kItemSlot[item]), it.target)) {
        PressureStepPassed[item] = 1;
        *it.flag = EolPassed;
        return;
    }
    PressureStepPassed[item] = 0;
    *it.flag = EolFailed;
    *it.remark = ReportText(kRemarkRow);
    WriteFailureMarker();
    if (StillRunning())
        Box(it.textRow, kErrorCaptionRow, MsgIcon::None);
}

void EolBrakePressureLogic::EvaluateBrakePressures()
{
    struct Check {
        int slot;
        float target;
        int32_t* flag;
        std::string* remark;
        bool fixedRemark;
        int textRow;
    };
    const Check checks[] = {
        {kLeftBrakeSlot, kAppliedTarget, &EolPressure1Result, &EolPressureRemark1, false, 472},
        {kRightBrakeSlot, kAppliedTarget, &EolPressure3Result, &EolPressureRemark3, false, 474},
        {kEbsdLeftBrakeSlot, kAppliedTarget, &EolPressure5Result, &EolPressureRemark5, true, 476},
        {kEbsdRightBrakeSlot, kAppliedTarget, &EolPressure5Result, &EolPressureRemark5, true, 476},
        {kLeftReleaseSlot, kReleasedTarget, &EolPressure2Result, &EolPressureRemark2, false, 473},
        {kRightReleaseSlot, kReleasedTarget, &EolPressure4Result, &EolPressureRemark4, false, 475},
        {kEbsdLeftReleaseSlot, kReleasedTarget, &EolPressure6Result, &EolPressureRemark6, true, 477},
        {kEbsdRightReleaseSlot, kReleasedTarget, &EolPressure6Result, &EolPressureRemark6, true, 477},
    };
    for (const Check& check : checks) {
        if (!SlotValue(check.slot)) {
            // A value the run could not read: nothing is judged.
            EndNotRead();
            return;
        }
    }
    for (const Check& check : checks) {
        if (PressureWithinTolerance(SlotValue(check.slot), check.target))
            continue;
        *check.flag = EolFailed;
        *check.remark = check.fixedRemark ? std::string(kEbsdRemark) : ReportText(kRemarkRow);
        WriteFailureMarker();
        if (StillRunning())
            Box(check.textRow, kErrorCaptionRow, MsgIcon::None);
        return; // the first failure ends the judging
    }
    for (int32_t* flag : {&EolPressure1Result, &EolPressure2Result, &EolPressure3Result, &EolPressure4Result,
                          &EolPressure5Result, &EolPressure6Result})
        *flag = EolPassed;
}

void EolBrakePressureLogic::ShowBrakePressureVerdict(bool passed)
{
    SetPicture(0, passed ? EolPicture::Passed : EolPicture::Failed);
    FinishTest(passed);
}

// ---- Exit ----

void EolBrakePressureLogic::OnExitTest()
{
    // ExitBrakePressureTest: a channel the page holds is handed back at once,
    // or the brakes would stay applied.
    StopTicks();
    ReleaseHeldChannel();
    phase_.reset();
    for (uint8_t& step : PressureStepPassed)
        step = 0;
    PressurePhaseElapsed = 0.0f;
    for (std::string* remark : {&EolPressureRemark1, &EolPressureRemark2, &EolPressureRemark3, &EolPressureRemark4})
        *remark = EolNoRemark;
}
