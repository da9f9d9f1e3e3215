#include "EolBrakeLampLogic.h"

#include "PageHostTable.h"
#include "SettingsFiles.h"
#include "ShellGlobals.h"

using tarvel::MsgIcon;

EolBrakeLampLogic::EolBrakeLampLogic(const tarvel::PageContext& context)
    : EolLampQuestionLogic(
          tarvel::TabEolBrakeLamp,
          EolLampPageSpec{EolPage::BrakeLamp,
                          kBrakeLampOutput,
                          {&EolBrakeLampOnResult, &EolBrakeLampOnRemark, kLampOnPromptRow, kLampOnRefusedRow},
                          {&EolBrakeLampOffResult, &EolBrakeLampOffRemark, kLampOffPromptRow, kLampOffRefusedRow},
                          /*onMarkerNeedsUnlock*/ false},
          context)
{
}

const EolBrakeLampState& EolBrakeLampLogic::State() const
{
    state_.skipEnabled = Running() || !state_.neverTestTicked;
    state_.neverTestEnabled = !Running();
    return state_;
}

void EolBrakeLampLogic::OnPageLanguageChanged()
{
    EolLampQuestionLogic::OnPageLanguageChanged();
    state_.skipCaption = Text(kSkipTextRow);
    state_.neverTestCaption = Text(kNeverTestTextRow);
}

// ---- Events ----

void EolBrakeLampLogic::SkipClicked()
{
    RunInOrder([this] { SkipBrakeLampTest(); });
}

void EolBrakeLampLogic::NeverTestClicked(bool ticked)
{
    // The box shows the click at once; what it does waits its turn.
    state_.neverTestTicked = ticked;
    Changed();
    RunInOrder([this, ticked] {
        SetNeverTest(ticked);
        if (ticked)
            SkipBrakeLampTest();
        else
            ExitBrakeLampTest();
    });
}

void EolBrakeLampLogic::SetNeverTest(bool ticked)
{
    state_.neverTestTicked = ticked;
    BrakeLampNeverTest = ticked ? 1 : 0;
    Changed();
}

void EolBrakeLampLogic::ApplyBrakeLampNeverTest()
{
    // Only a stored 1 ticks the box; anything else (0, or -1 without an
    // entry in LastConfig.xml) leaves it unticked and is stored as 0.
    if (BrakeLampNeverTest != 1) {
        SetNeverTest(false);
        return;
    }
    SetNeverTest(true);
    if (Running())
        ExitBrakeLampTest();
    EolBrakeLampOnResult = EolSkipped;
    EolBrakeLampOffResult = EolSkipped;
    BlankPage();
}

// ---- Start, Exit, Skip ----

void EolBrakeLampLogic::DoStart()
{
    if (Running())
        return;
    if (EcuConnected.load() != 1) {
        Box(kNotConnectedTextRow, kTipsCaptionRow, MsgIcon::Exclamation);
        return;
    }
    // Start tests the lamp even when it was marked "Never Test".
    SetNeverTest(false);
    ExitBrakeLampTest();
    Start();
}

void EolBrakeLampLogic::ExitBrakeLampTest()
{
    if (Running()) {
        Exit();
    } else {
        CloseQuestions();
        ResetEolPageResults(EolPage::BrakeLamp);
        EndRun();
    }
    BlankPage();
}

void EolBrakeLampLogic::SkipBrakeLampTest()
{
    ExitBrakeLampTest();
    EolBrakeLampOnResult = EolSkipped;
    EolBrakeLampOffResult = EolSkipped;
    Changed();
    Box(kSkipTextRow, kTipsCaptionRow, MsgIcon::None);
    BlankPage();
}

void EolBrakeLampLogic::BlankPage()
{
    SetPicture(kOnPicture, EolPicture::Idle);
    SetPicture(kOffPicture, EolPicture::Idle);
    MutableCommon().question = " ";
    CloseQuestions();
}
