#include "CABSEOLLampTest.h"

#include "EolGlobals.h"
#include "EolLampPageParts.h"
#include "EolWarningLampLogic.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CABSEOLLampTest::CABSEOLLampTest() : CEolTestPage(tarvel::TabEolLamp) {}

CABSEOLLampTest::~CABSEOLLampTest()
{
    EolStopRequested = 1;
}

EolWarningLampLogic* CABSEOLLampTest::Lamp() const
{
    return LogicAs<EolWarningLampLogic>();
}

bool CABSEOLLampTest::Create(wxWindow* parent)
{
    if (!CEolTestPage::Create(parent))
        return false;
    SetPageFont(PageFont(kEolLampFont));
    wxSizer* page = GetSizer();

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    start_ = eolpage::AddButton(this, row, kStartId, "Start", [this] { if (Lamp()) Lamp()->StartClicked(); });
    exit_ = eolpage::AddButton(this, row, kExitId, "Exit Test", [this] { if (Lamp()) Lamp()->ExitClicked(); });
    exit_->Disable();
    page->Add(row, 0, wxLEFT | wxRIGHT, 6);

    auto* question = new wxStaticBoxSizer(wxVERTICAL, this, wxString());
    wxWindow* box = question->GetStaticBox();
    AddQuestionLabel(box, question, kQuestionId, wxSize(444, 64));
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

void CABSEOLLampTest::RenderPage()
{
    const EolWarningLampLogic* logic = Lamp();
    if (!logic)
        return;
    eolpage::RenderLampControls(*logic, {start_, exit_, onYes_, onNo_, offYes_, offNo_, onCaption_, offCaption_});
}
