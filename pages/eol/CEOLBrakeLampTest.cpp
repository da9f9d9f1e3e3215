#include "CEOLBrakeLampTest.h"

#include "AppMessages.h"
#include "AppMessagesEvent.h"
#include "EolBrakeLampLogic.h"
#include "EolGlobals.h"
#include "EolLampPageParts.h"
#include "TextWrap.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CEOLBrakeLampTest::CEOLBrakeLampTest() : CEolLampTestPage(tarvel::TabEolBrakeLamp) {}

CEOLBrakeLampTest::~CEOLBrakeLampTest()
{
    EolStopRequested = 1;
}

EolBrakeLampLogic* CEOLBrakeLampTest::Lamp() const
{
    return LogicAs<EolBrakeLampLogic>();
}

bool CEOLBrakeLampTest::Create(wxWindow* parent)
{
    if (!CEolLampTestPage::Create(parent))
        return false;
    SetPageFont(PageFont(kEolLampFont));
    Bind(EVT_APP_MESSAGE, &CEOLBrakeLampTest::OnReset, this, WM_RESET_EOLBRAKELAMP);
    wxSizer* page = GetSizer();

    auto* row = new CWrapRow;
    start_ = eolpage::AddButton(this, row, kStartId, "Start", [this] { if (Lamp()) Lamp()->StartClicked(); });
    exit_ = eolpage::AddButton(this, row, kExitId, "Exit Test", [this] { if (Lamp()) Lamp()->ExitClicked(); });
    exit_->Disable();
    skip_ = eolpage::AddButton(this, row, kSkipId, "Skip Test", [this] { if (Lamp()) Lamp()->SkipClicked(); });
    neverTest_ = new CWrapCheckBox(this, kNeverTestId, "Never Test");
    neverTest_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) {
        if (Lamp())
            Lamp()->NeverTestClicked(event.IsChecked());
    });
    row->Add(neverTest_, 0, wxALL | wxALIGN_CENTER_VERTICAL, 6);
    page->Add(row, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);

    AddLampQuestionAndResult(page, {kPromptId, wxSize(442, 64), kLampOnYesId, kLampOnNoId, kLampOffYesId, kLampOffNoId,
                                    kLampOnCaptionId, kLampOnPictureId, kLampOffCaptionId, kLampOffPictureId});

    RenderState();
    return true;
}

void CEOLBrakeLampTest::OnReset(AppMessageEvent&)
{
    if (Lamp())
        Lamp()->ApplyBrakeLampNeverTest();
}

void CEOLBrakeLampTest::RenderPage()
{
    const EolBrakeLampLogic* logic = Lamp();
    if (!logic)
        return;
    eolpage::RenderLampControls(*logic, {start_, exit_, onYes_, onNo_, offYes_, offNo_, onCaption_, offCaption_});
    const EolBrakeLampState& state = logic->State();
    if (!state.skipCaption.empty())
        skip_->SetLabel(wxString::FromUTF8(state.skipCaption));
    if (!state.neverTestCaption.empty())
        neverTest_->SetLabel(wxString::FromUTF8(state.neverTestCaption));
    skip_->Enable(state.skipEnabled);
    neverTest_->SetValue(state.neverTestTicked);
    neverTest_->Enable(state.neverTestEnabled);
}
