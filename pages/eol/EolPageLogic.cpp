#include "EolPageLogic.h"

#include "ReportTextTable.h"
#include "ShellGlobals.h"
#include "ValueCodec.h"

#include "DelayPumping.h"
#include "EcuRestart.h"
#include "Pump.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>
#include <vector>

using tarvel::MsgIcon;

std::string EolVinText(const std::vector<uint8_t>& data, size_t size)
{
    ValueField field;
    field.DataType = "ASCII";
    field.BitLenth = kVinWidth * 8;
    field.DidNumber = "F190";
    return DecodeValue(data.data(), std::min(size, data.size()), field, DeviceInfoCodecOptions()).text;
}

void ApplyEolResultsVin(const std::string& vin, const std::string& caption)
{
    if (vin.empty())
        return;
    if (!EolResultsVin.empty() && vin != EolResultsVin && !EolAllResultsNotTested()) {
        const std::string previous = EolResultsVin;
        ResetAllEolResults();
        tarvel::ShowMessage("The end-of-line results held were earned on another ECU (VIN " + previous +
                                "). This ECU has VIN " + vin + ": all end-of-line results were reset.",
                            caption, MsgIcon::Exclamation);
    }
    EolResultsVin = vin;
}

EolPageLogic::EolPageLogic(int tab, const EolPageTraits& traits, const tarvel::PageContext& context)
    : PageLogic(tab, context), traits_(traits)
{
    common_.pictures.assign(static_cast<size_t>(traits_.pictureCount > 0 ? traits_.pictureCount : 0),
                            EolPicture::Idle);
    common_.exitEnabled = false;
}

EolPageLogic::~EolPageLogic() = default;

// ---- The view's events ----

void EolPageLogic::Start()
{
    if (running_)
        return;
    if (!BeginRun())
        return;
    RunTest();
}

bool EolPageLogic::BeginRun()
{
    if (EcuConnected.load() != 1) {
        Box(kNotConnectedTextRow, kTipsCaptionRow);
        return false;
    }
    // Running from here on: a second Start, re-entered through the pumped
    // VIN read, is refused.
    running_ = true;
    EolTestIdle = 0;
    common_.startEnabled = false;
    common_.exitEnabled = traits_.hasExit;
    common_.answerShown = false;
    Changed();

    ClaimResultsForConnectedEcu();
    if (!StillRunning())
        return false; // the link was lost while the VIN was read

    ResetEolPageResults(traits_.page);
    ResetEolPageRemarks(traits_.page);
    if (traits_.startClearsStop)
        EolStopRequested = 0;
    for (EolPicture& picture : common_.pictures)
        picture = EolPicture::Idle;
    Changed();
    return true;
}

void EolPageLogic::ClaimResultsForConnectedEcu()
{
    std::vector<uint8_t> data;
    if (tarvel::UdsReadByIdQuiet(kVinDid, data) != 1)
        return; // unknown ECU: the results stay as they are
    const uint32_t length = tarvel::UdsResponseLength();
    ApplyEolResultsVin(EolVinText(data, length >= 3 ? length - 3 : 0), Text(kTipsCaptionRow));
}

void EolPageLogic::Exit()
{
    if (!running_)
        return;
    ExitEvenWhenIdle();
}

void EolPageLogic::ExitEvenWhenIdle()
{
    OnExitTest();
    if (traits_.exitSetsStop)
        EolStopRequested = 1;
    ResetEolPageResults(traits_.page);
    EndRun();
    ShowIdleLook(!traits_.exitKeepsPictures);
    Changed();
}

void EolPageLogic::AnswerYes()
{
    if (!common_.answerShown || !running_)
        return;
    common_.answerShown = false;
    Changed();
    OnAnswer(true);
}

void EolPageLogic::AnswerNo()
{
    if (!common_.answerShown || !running_)
        return;
    common_.answerShown = false;
    Changed();
    OnAnswer(false);
}

// ---- Lifecycle ----

void EolPageLogic::OnActivate(int)
{
    if (EolPageResultsNotTested(traits_.page))
        ShowIdleLook();
    Changed();
}

void EolPageLogic::OnLanguageChanged()
{
    common_.startCaption = Text(kStartTextRow);
    common_.exitCaption = Text(kExitTextRow);
    common_.resultCaption = Text(kTestResultTextRow);
    OnPageLanguageChanged();
    Changed();
}

void EolPageLogic::OnDisconnected()
{
    EolStopRequested = 1;
    if (running_)
        EndRun();
}

// ---- Steps ----

bool EolPageLogic::EnterExtendedSessionAndUnlock(MsgIcon icon)
{
    if (tarvel::UdsDiagnosticSessionControl(3) != 1) {
        if (StillRunning()) {
            Box(kSessionRefusedTextRow, kErrorCaptionRow, icon);
            EndRun();
        }
        return false;
    }
    if (!StillRunning())
        return false;
    if (tarvel::UdsSecurityAccess() != 1) {
        if (StillRunning()) {
            Box(kSecurityRefusedTextRow, kErrorCaptionRow, icon);
            EndRun();
        }
        return false;
    }
    return StillRunning();
}

bool EolPageLogic::PumpedWait(uint32_t ms)
{
    tarvel::DelayPumpingMessages(ms);
    return StillRunning();
}

bool EolPageLogic::ProgramClosing()
{
    return tarvel::GetPump().QuitRequested();
}

bool EolPageLogic::StillRunning()
{
    if (running_ && ProgramClosing()) {
        // Ended first, so that nothing the hand back pumps goes on with it.
        EndRun();
        OnProgramClosing();
    }
    return running_;
}

void EolPageLogic::StartTicks(uint32_t periodMs)
{
    if (!ticks_)
        ticks_ = Context().timers.Create([this] { Tick(); });
    ticks_->Start(periodMs);
}

void EolPageLogic::StopTicks()
{
    if (ticks_)
        ticks_->Stop();
}

bool EolPageLogic::Ticking() const
{
    return ticks_ && ticks_->IsRunning();
}

void EolPageLogic::Tick()
{
    if (!running_) {
        StopTicks();
        return;
    }
    // One transaction at a time: the request in flight answers first.
    if (tarvel::UdsRequestInFlight())
        return;
    if (!StillRunning())
        return; // the program is closing: the run ended quietly
    if (StopRequested()) {
        Exit();
        return;
    }
    OnTick();
}

void EolPageLogic::Ask(const std::string& question)
{
    common_.question = question;
    common_.answerShown = true;
    Changed();
    Context().prompter.Instruct(question);
}

void EolPageLogic::SetPicture(int picture, EolPicture look)
{
    if (picture >= 0 && static_cast<size_t>(picture) < common_.pictures.size())
        common_.pictures[static_cast<size_t>(picture)] = look;
    Changed();
}

void EolPageLogic::RecordPass(int picture, int32_t& flag)
{
    flag = EolPassed;
    SetPicture(picture, EolPicture::Passed);
}

void EolPageLogic::RecordFail(int picture, int32_t& flag, std::string& remarkGlobal, const std::string& remark,
                              bool writeMarker)
{
    SetPicture(picture, EolPicture::Failed);
    flag = EolFailed;
    remarkGlobal = remark;
    if (writeMarker)
        WriteFailureMarker();
}

void EolPageLogic::WriteFailureMarker()
{
    tarvel::WriteDid0094Byte(0);
}

void EolPageLogic::FinishTest(bool passed)
{
    if (passed)
        Box(kPassedTextRow, kTipsCaptionRow);
    else
        Box(kFailedTextRow, kErrorCaptionRow);
    EndRun();
}

void EolPageLogic::EndRun()
{
    running_ = false;
    EolTestIdle = 1;
    tarvel::TestRunning = 0;
    StopTicks();
    common_.startEnabled = true;
    common_.exitEnabled = false;
    common_.answerShown = false;
    Changed();
    Context().prompter.Instruct(std::string());
}

void EolPageLogic::ShowIdleLook(bool pictures)
{
    if (pictures)
        for (EolPicture& picture : common_.pictures)
            picture = EolPicture::Idle;
    common_.question.clear();
    OnClearDisplay();
}

bool EolPageLogic::EndRunAfterBox(int textRow)
{
    StopTicks();
    if (!StillRunning())
        return false;
    Box(textRow, kErrorCaptionRow, MsgIcon::None);
    if (!StillRunning())
        return false;
    EndRun();
    return true;
}

void EolPageLogic::Box(int textRow, int captionRow, MsgIcon icon) const
{
    // Nobody is left to read it, and the close would wait for its OK.
    if (ProgramClosing())
        return;
    tarvel::ShowMessage(Text(textRow), Text(captionRow), icon);
}

bool EolPageLogic::EcuBackAfterReset(const std::function<bool()>& stopped, uint32_t fixedMs)
{
    const tarvel::EcuRestartEnd end = tarvel::WaitForEcuRestart(stopped, fixedMs);
    if (end == tarvel::EcuRestartEnd::Answered)
        return true;
    if (end == tarvel::EcuRestartEnd::NoAnswer) {
        Box(kSilentAfterRestartTextRow, kErrorCaptionRow);
        tarvel::CloseLinkToLostEcu();
    }
    return false;
}

std::string EolPageLogic::Text(int row) const
{
    return Context().texts.Text(row, std::string());
}

std::string EolPageLogic::ReportText(int row)
{
    return PdfText(row);
}
