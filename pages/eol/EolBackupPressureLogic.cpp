#include "EolBackupPressureLogic.h"

#include "DiagnosisGlobals.h"
#include "PageHostTable.h"

#include "UdsEngine.h"
#include "UdsServices.h"

#include <cmath>
#include <vector>

using tarvel::MsgIcon;

namespace {

constexpr double kPairTolerance = 0.7;
constexpr float kNoPressure = 0.2f;
constexpr float kDesiredPressure = 5.0f;

} // namespace

EolBackupPressureLogic::EolBackupPressureLogic(const tarvel::PageContext& context)
    : EolPageLogic(tarvel::TabEolBackupPressure,
                   EolPageTraits{EolPage::BackupPressure, 1, /*startClearsStop*/ true, /*exitSetsStop*/ true,
                                 /*hasExit*/ true},
                   context)
{
    // As the page is created: "0.00" in the three main labels.
    for (int channel = 0; channel < 3; ++channel)
        state_.labels[static_cast<size_t>(channel)] = "0.00";
}

// ---- Tables ----

std::string EolBackupPressureLogic::BuildPressureText(const tarvel::TextTable& texts)
{
    return texts.Text(kBuildPressureTextRow, "Build up the backup pressure, then press OK");
}

BackupPressureVerdict EolBackupPressureLogic::EvaluateBackupChannels(const float* channels, bool fiveChannels)
{
    const int count = fiveChannels ? 5 : 3;
    auto allBelow = [&](float limit) {
        for (int i = 0; i < count; ++i)
            if (!(channels[i] < limit))
                return false;
        return true;
    };
    if (allBelow(kNoPressure))
        return {false, 61, 213};
    if (allBelow(kDesiredPressure))
        return {false, 62, 214};
    struct Pair {
        int a, b;
        int threeRemark, fiveRemark, textRow;
    };
    static const Pair kPairs[] = {
        {0, 1, 63, 66, 215}, {0, 2, 64, 67, 216}, {1, 2, 65, 68, 217},
        {0, 3, 0, 69, 478},  {0, 4, 0, 70, 479},  {3, 4, 0, 71, 480},
    };
    for (const Pair& pair : kPairs) {
        if (pair.b >= count)
            continue;
        const float difference = std::fabs(channels[pair.a] - channels[pair.b]);
        if (static_cast<double>(difference) > kPairTolerance)
            return {false, fiveChannels ? pair.fiveRemark : pair.threeRemark, pair.textRow};
    }
    return {true, 0, 0};
}

bool EolBackupPressureLogic::BackupPressureReleased(const float* channels, bool fiveChannels)
{
    for (int i = 0; i < (fiveChannels ? 5 : 3); ++i)
        if (channels[i] > kReleasedLimit)
            return false;
    return true;
}

PressureReadPass EolBackupPressureLogic::BackupReading(bool fiveChannels, int32_t variant)
{
    const auto take = PressureUpdate::Take;
    PressureReadPass pass;
    pass.variant = variant;
    if (!fiveChannels) {
        // A sub-field may come from either identifier.
        pass.dids = {kDesiredDid, kMainDid};
        pass.routes = {{0, kPressureDesiredNameRow, PressureVariant::Any, 0, take},
                       {0, kPressureLeftNameRow, PressureVariant::Any, 1, take},
                       {0, kPressureRightNameRow, PressureVariant::Any, 2, take}};
        return pass;
    }
    // Variant 0: 0x0053 carries the main pressures and 0x0052 the EBS-D ones.
    pass.dids = {kDesiredDid, kMainDid, kEbsdDid};
    pass.routes = {
        {kDesiredDid, kPressureDesiredNameRow, PressureVariant::Any, 0, take},
        {kMainDid, kPressureLeftNameRow, PressureVariant::Zero, 3, take},
        {kMainDid, kPressureRightNameRow, PressureVariant::Zero, 4, take},
        {kMainDid, kPressureLeftNameRow, PressureVariant::NotZero, 1, take},
        {kMainDid, kPressureRightNameRow, PressureVariant::NotZero, 2, take},
        {kEbsdDid, kPressureLeftNameRow, PressureVariant::Zero, 1, take},
        {kEbsdDid, kPressureRightNameRow, PressureVariant::Zero, 2, take},
        {kEbsdDid, kPressureLeftNameRow, PressureVariant::NotZero, 3, take},
        {kEbsdDid, kPressureRightNameRow, PressureVariant::NotZero, 4, take},
    };
    return pass;
}

// ---- Lifecycle ----

void EolBackupPressureLogic::OnActivate(int)
{
    if (EolBackupPressureResult == EolNotTested) {
        for (int channel = 0; channel < 3; ++channel)
            ShowChannel(channel, "");
        SetPicture(0, EolPicture::Idle);
    }
    state_.ebsdShown = SystemForm == "4S3M";
    if (state_.ebsdShown) {
        state_.frameCaptions[3] = Text(482);
        state_.frameCaptions[4] = Text(483);
        ShowChannel(3, "");
        ShowChannel(4, "");
    }
    Changed();
}

void EolBackupPressureLogic::OnPageLanguageChanged()
{
    state_.frameCaptions[0] = Text(62);
    state_.frameCaptions[1] = Text(58);
    state_.frameCaptions[2] = Text(59);
}

void EolBackupPressureLogic::ShowChannel(int channel, const std::string& text)
{
    state_.labels[static_cast<size_t>(channel)] = text;
    BackupPressureTexts[channel] = text;
}

// ---- The run ----

void EolBackupPressureLogic::RunTest()
{
    RunBackupPressureTest();
    // Exit came while a request of the run was in flight: the valves go back
    // to the ECU now.
    if (controlOwed_)
        ReturnIoControlToEcu();
}

void EolBackupPressureLogic::RunBackupPressureTest()
{
    tarvel::TestRunning = 0;
    BackupPressurePassed = 0;
    renewalRefused_ = false;
    fiveChannels_ = SystemForm == "4S3M";
    // Every run judges only what it read itself.
    for (float& value : BackupPressureValues)
        value = 0.0f;
    SetPicture(0, EolPicture::Idle);
    if (!EnterExtendedSessionAndUnlock(MsgIcon::None))
        return;

    StartTicks(kRenewMs);
    if (HoldBackupPressureValves()) {
        if (!PumpedWait(1000) || !ReadBackupPressures())
            return;
    }
    if (!StillRunning() || !PumpedWait(800))
        return;
    if (StopRequested())
        return Exit();
    if (!BackupPressureReleased(BackupPressureValues, fiveChannels_)) {
        BackupPressurePassed = 0;
        Box(kNotReleasedTextRow, kErrorCaptionRow, MsgIcon::None);
        if (StillRunning())
            Exit();
        return;
    }

    // The operator builds the backup pressure and closes the box.
    tarvel::ShowMessage(BuildPressureText(Context().texts), Text(kErrorCaptionRow), MsgIcon::Exclamation);
    if (!StillRunning() || !PumpedWait(1500) || !ReadBackupPressures())
        return;
    if (StopRequested())
        return Exit();

    const BackupPressureVerdict verdict = EvaluateBackupChannels(BackupPressureValues, fiveChannels_);
    if (verdict.passed) {
        BackupPressurePassed = 1;
    } else {
        BackupPressurePassed = 0;
        WriteFailureMarker();
        EolBackupPressureRemark = ReportText(verdict.remarkRow);
        // The renewal goes on while the operator reads the failure: it keeps
        // the valves held and the session open for the hand back.
        if (StillRunning())
            Box(verdict.textRow, kErrorCaptionRow, MsgIcon::None);
    }
    // Every evaluation ends the renewal and hands the valves back, before
    // the verdict box.
    if (!StillRunning())
        return;
    EolStopRequested = 1;
    StopTicks();
    ReturnIoControlToEcu();
    if (!StillRunning())
        return;
    if (BackupPressurePassed == 1) {
        SetPicture(0, EolPicture::Passed);
        EolBackupPressureResult = EolPassed;
        Box(kPassedTextRow, kTipsCaptionRow, MsgIcon::Exclamation);
    } else {
        SetPicture(0, EolPicture::Failed);
        EolBackupPressureResult = EolFailed;
        Box(kFailedTextRow2, kErrorCaptionRow, MsgIcon::Exclamation);
    }
    if (StillRunning())
        EndRun();
}

bool EolBackupPressureLogic::HoldBackupPressureValves(bool renewal)
{
    tarvel::TestRunning = 1;
    if (tarvel::UdsIoControlById6(kValvesDid, 0xFF, 0xFF, 0xFF, 3) == 1)
        return true;
    if (!StillRunning())
        return false;
    if (LastRequestUnanswered()) {
        EndNotRead();
        return false;
    }
    if (renewal) {
        // A renewal the ECU refuses is not tried again (before the box, so
        // no tick repeats it while the box is open).
        renewalRefused_ = true;
        StopTicks();
    }
    if (StillRunning())
        Box(kHoldRefusedTextRow, kErrorCaptionRow, MsgIcon::None);
    return false;
}

void EolBackupPressureLogic::OnTick()
{
    if (renewalRefused_) {
        StopTicks();
        return;
    }
    HoldBackupPressureValves(true);
    if (controlOwed_)
        ReturnIoControlToEcu();
}

bool EolBackupPressureLogic::ReadBackupPressures()
{
    std::vector<PressureSlot> slots(kBackupChannels);
    const PressureReadOutcome outcome =
        ReadPressurePass(BackupReading(fiveChannels_, DerivedSystemVariant), [this](int row) { return Text(row); },
                         [this] { return StillRunning(); }, slots);
    if (outcome == PressureReadOutcome::Ended)
        return false;
    for (int channel = 0; channel < kBackupChannels; ++channel) {
        const PressureSlot& slot = slots[static_cast<size_t>(channel)];
        if (!slot.has)
            continue;
        BackupPressureValues[channel] = slot.value;
        ShowChannel(channel, slot.text);
    }
    Changed();
    if (outcome == PressureReadOutcome::NoAnswer) {
        // Every later request would only wait for its own time-out.
        EndNotRead();
        return false;
    }
    if (outcome == PressureReadOutcome::ReadFailed)
        Box(kReadFailedTextRow, kErrorCaptionRow, MsgIcon::None);
    return StillRunning();
}

void EolBackupPressureLogic::OnProgramClosing()
{
    // The valves go back to the ECU as after a silent link: quietly.
    StopTicks();
    ReturnIoControlToEcu(/*quiet*/ true);
}

void EolBackupPressureLogic::EndNotRead()
{
    // The valves go back to the ECU, should it answer again.
    if (EndRunAfterBox(kReadFailedTextRow))
        ReturnIoControlToEcu(/*quiet*/ true);
}

void EolBackupPressureLogic::ReturnIoControlToEcu(bool quiet)
{
    if (tarvel::UdsRequestInFlight()) {
        controlOwed_ = true;
        return;
    }
    controlOwed_ = false;
    // 2F 00 06 00; the answer is not used.
    if (quiet)
        tarvel::UdsIoControlById3Quiet(kValvesDid, 0);
    else
        tarvel::UdsIoControlById3(kValvesDid, 0);
    // The valves are the ECU's again.
    tarvel::TestRunning = 0;
}

// ---- Exit ----

void EolBackupPressureLogic::OnExitTest()
{
    StopTicks();
    ReturnIoControlToEcu();
    for (int channel = 0; channel < kBackupChannels; ++channel)
        ShowChannel(channel, "0.00");
}
