#include "EolUnderwaterValveLogic.h"

#include "Log.h"
#include "PageHostTable.h"
#include "ProgramPaths.h"
#include "UdsServices.h"

#include <fstream>

using tarvel::MsgIcon;

namespace {

// Without a window: the file is a readable PNG (its signature).
int CheckPngFile(const std::string& path)
{
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::ifstream file(path, std::ios::binary);
    unsigned char head[8] = {};
    if (!file.read(reinterpret_cast<char*>(head), sizeof head))
        return 0;
    for (size_t i = 0; i < sizeof head; ++i)
        if (head[i] != kSignature[i])
            return 0;
    return 1;
}

} // namespace

EolUnderwaterValveLogic::EolUnderwaterValveLogic(const tarvel::PageContext& context)
    : EolPageLogic(tarvel::TabEolUnderwaterValve,
                   EolPageTraits{EolPage::UnderwaterValve, 2, /*startClearsStop*/ true, /*exitSetsStop*/ false,
                                 /*hasExit*/ true},
                   context),
      order_(context.timers)
{
}

EolUnderwaterValveLogic::~EolUnderwaterValveLogic() = default;

// ---- Events in order ----

void EolUnderwaterValveLogic::StartClicked()
{
    order_.Run([this] { Start(); });
}

void EolUnderwaterValveLogic::ExitClicked()
{
    order_.Run([this] { ExitUnderwaterValveTest(); });
}

void EolUnderwaterValveLogic::Answer(ValveQuestion question, bool yes)
{
    order_.Run([this, question, yes] { AnswerNow(question, yes); });
}

// ---- Lifecycle ----

void EolUnderwaterValveLogic::OnDisconnected()
{
    EolStopRequested = 1;
    if (Running()) {
        EolEventOrder::Step step(order_);
        ExitUnderwaterValveTest();
    }
}

void EolUnderwaterValveLogic::OnPageLanguageChanged()
{
    state_.yesCaption = Text(kYesTextRow);
    state_.noCaption = Text(kNoTextRow);
    state_.openCaption = Text(kOpenCaptionRow);
    state_.closeCaption = Text(kCloseCaptionRow);
}

// ---- The test ----

std::string EolUnderwaterValveLogic::PicturePath(const char* relative) const
{
    const std::string name = tarvel::ToForwardSlashes(relative);
    const std::string& folder = Context().dataFolder;
    return folder.empty() ? tarvel::ProgramDataPath(name) : folder + "/" + name;
}

void EolUnderwaterValveLogic::LoadValvePicture(const char* relative, ValvePicture picture)
{
    const std::string path = PicturePath(relative);
    const int loaded =
        target_ ? target_->LoadPngIntoPicture(path, kPictureWidth, kPictureHeight) : CheckPngFile(path);
    if (loaded == 1) {
        state_.picture = picture;
        Changed();
        return;
    }
    // The picture keeps what it showed; the test goes on.
    tarvel::TraceLog("Valve picture could not be loaded: " + path + "\n");
    tarvel::ShowMessage(kPictureFailedText, kPictureFailedCaption, MsgIcon::Exclamation);
}

void EolUnderwaterValveLogic::ClearPrompt()
{
    MutableCommon().question = " ";
    Changed();
}

void EolUnderwaterValveLogic::OpenQuestion(ValveQuestion question, int row)
{
    state_.open = question;
    Ask(Text(row));
}

void EolUnderwaterValveLogic::RunTest()
{
    // The common Start has cleared results and remarks, set the idle
    // pictures and EolStopRequested to 0; nothing is sent to the ECU.
    ClearPrompt();
    ResetUnderwaterValvePage();
}

void EolUnderwaterValveLogic::ResetUnderwaterValvePage()
{
    EolValveOpenResult = EolNotTested;
    EolValveCloseResult = EolNotTested;
    EolValveOpenRemark = EolNoRemark;
    EolValveCloseRemark = EolNoRemark;
    SetPicture(kOpenPictureIndex, EolPicture::Idle);
    SetPicture(kClosePictureIndex, EolPicture::Idle);
    LoadValvePicture(kOpenPicture, ValvePicture::Open);
    if (!StillRunning())
        return;
    OpenQuestion(ValveQuestion::Open, kOpenQuestionRow);
}

int EolUnderwaterValveLogic::UnderwaterValveCommand()
{
    return tarvel::UdsIoControlById6NoCheck(kValveDid, kValveOutput, 0xFF, 0x01, kShortTermAdjustment) == 1 ? 1 : 0;
}

void EolUnderwaterValveLogic::ShowUnderwaterValveClose()
{
    if (!EnterExtendedSessionAndUnlock(MsgIcon::None)) {
        // Refused (box 185/186 shown, page idle) or the test ended meanwhile:
        // the open question is not left on screen.
        state_.open = ValveQuestion::None;
        ClearPrompt();
        return;
    }
    const int accepted = UnderwaterValveCommand();
    if (!StillRunning())
        return;
    if (accepted != 1) {
        Box(kCommandRefusedRow, kErrorCaptionRow, MsgIcon::None);
        if (StillRunning())
            OpenQuestion(ValveQuestion::Open, kOpenQuestionRow); // YES repeats the command
        return;
    }
    state_.open = ValveQuestion::None;
    LoadValvePicture(kClosePicture, ValvePicture::Close);
    if (!StillRunning())
        return;
    OpenQuestion(ValveQuestion::Close, kCloseQuestionRow);
}

void EolUnderwaterValveLogic::RecordValveFailure(int picture, int32_t& flag, std::string& remark, int remarkRow)
{
    flag = EolFailed;
    remark = ReportText(remarkRow);
    Changed();
    tarvel::UdsDiagnosticSessionControl(3);
    if (StillRunning() && tarvel::UdsSecurityAccess() == 1 && StillRunning())
        tarvel::UdsWriteById(kMarkerDid, {0x00});
    if (StillRunning())
        SetPicture(picture, EolPicture::Failed);
}

void EolUnderwaterValveLogic::AnswerNow(ValveQuestion question, bool yes)
{
    if (!Running() || question == ValveQuestion::None || state_.open != question)
        return; // the question was closed while the answer waited
    state_.open = ValveQuestion::None;
    MutableCommon().answerShown = false;
    Changed();
    if (question == ValveQuestion::Open) {
        if (yes) {
            RecordPass(kOpenPictureIndex, EolValveOpenResult);
            ShowUnderwaterValveClose();
            return;
        }
        RecordValveFailure(kOpenPictureIndex, EolValveOpenResult, EolValveOpenRemark, kOpenRemarkRow);
        if (!StillRunning())
            return; // the link went while the marker was written
        ClearPrompt();
        FinishUnderwaterValveTest();
        return;
    }
    if (yes)
        RecordPass(kClosePictureIndex, EolValveCloseResult);
    else
        RecordValveFailure(kClosePictureIndex, EolValveCloseResult, EolValveCloseRemark, kCloseRemarkRow);
    if (!StillRunning())
        return;
    FinishUnderwaterValveTest();
}

void EolUnderwaterValveLogic::FinishUnderwaterValveTest()
{
    const bool failed = EolValveOpenResult == EolFailed || EolValveCloseResult == EolFailed;
    state_.open = ValveQuestion::None;
    // The page is idle before the verdict shows: nothing that happens while
    // the box is open can take the results back.
    EndRun();
    if (failed)
        Box(kFailedTextRow, kErrorCaptionRow, MsgIcon::None);
    else
        Box(kPassedTextRow, kTipsCaptionRow, MsgIcon::None);
}

void EolUnderwaterValveLogic::ExitUnderwaterValveTest()
{
    // Nothing is sent: the valve output is not handed back.
    EndRun();
    state_.open = ValveQuestion::None;
    state_.picture = ValvePicture::None;
    SetPicture(kOpenPictureIndex, EolPicture::Idle);
    SetPicture(kClosePictureIndex, EolPicture::Idle);
    ClearPrompt();
    EolValveOpenResult = EolNotTested;
    EolValveCloseResult = EolNotTested;
    Changed();
}
