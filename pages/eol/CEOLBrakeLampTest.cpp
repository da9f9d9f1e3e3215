#include "CEOLBrakeLampTest.h"

#include "AppMessages.h"
#include "AppMessagesEvent.h"
#include "EolBrakeLampLogic.h"
#include "EolGlobals.h"
#include "EolLampPageParts.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CEOLBrakeLampTest::CEOLBrakeLampTest() : CEolTestPage(tarvel::TabEolBrakeLamp) {}

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
    if (!CEolTestPage::Create(parent))
        return false;
    SetPageFont(PageFont(kEolLampFont));
    Bind(EVT_APP_MESSAGE, &CEOLBrakeLampTest::OnReset, this, WM_RESET_EOLBRAKELAMP);
    wxSizer* page = GetSizer();

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    start_ = eolpage::AddButton(this, row, kStartId, "Start", [this] { if (Lamp()) Lamp()->StartClicked(); });
    exit_ = eolpage::AddButton(this, row, kExitId, "Exit Test", [this] { if (Lamp()) Lamp()->ExitClicked(); });
    exit_->Disable();
    skip_ = eolpage::AddButton(this, row, kSkipId, "Skip Test", [this] { if (Lamp()) Lamp()->SkipClicked(); });
    neverTest_ = new wxCheckBox(this, kNeverTestId, "Never Test");
    neverTest_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) {
        if (Lamp())
            Lamp()->NeverTestClicked(event.IsChecked());
    });
    row->Add(neverTest_, 0, wxALL | wxALIGN_CENTER_VERTICAL, 6);
    page->Add(row, 0, wxLEFT | wxRIGHT, 6);

    auto* question = new wxStaticBoxSizer(wxVERTICAL, this, wxString());
    wxWindow* box = question->GetStaticBox();
    AddQuestionLabel(box, question, kPromptId, wxSize(442, 64));
    auto* answers = new wxBoxSizer(wxHORIZONTAL);
    auto answer = [this](LampQuestion q, bool yes) {
        return [this, q, yes] { if (Lamp()) Lamp()->Answer(q, yes); };
    };
    onYes_ = eolpage::AddButton(box, answers, kLampOnYesId, "YES", answer(LampQuestion::LampOn, true));
    offYes_ = eolpage::AddButton(box, answers, kLampOffYesId, "YES", answer(LampQuestion::LampOff, true));
    onNo_ = eolpage::AddButton(box, answers, kLampOnNoId, "NO", answer(LampQuestion::LampOn, false));
    offNo_ = eolpage::AddButton(box, answers, kLampOffNoId, "NO", answer(LampQuestion::LampOff, false));
    for (wxButton* b : {onYes_, offYes_, onNo_, offNo_})
        b->Hide();
    question->Add(answers, 0, wxALIGN_CENTER_HORIZONTAL);
    page->Add(question, 0, wxALL | wxEXPAND, 6);

    wxStaticBoxSizer* result = AddResultFrame(page);
    wxWindow* frame = result->GetStaticBox();
    auto* pictures = new wxBoxSizer(wxHORIZONTAL);
    onCaption_ = eolpage::AddCaption(frame, pictures, kLampOnCaptionId, "Lamp On：");
    AddResultPicture(frame, pictures, kLampOnPictureId);
    offCaption_ = eolpage::AddCaption(frame, pictures, kLampOffCaptionId, "Lamp Off：");
    AddResultPicture(frame, pictures, kLampOffPictureId);
    result->Add(pictures, 0, wxALL, 6);

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
