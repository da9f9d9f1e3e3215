#include "EolLampPageParts.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "TextWrap.h"

namespace eolpage {

wxButton* AddButton(wxWindow* parent, wxSizer* sizer, int id, const char* label, std::function<void()> onClick)
{
    auto* button = new wxButton(parent, id, wxString::FromUTF8(label));
    button->Bind(wxEVT_BUTTON, [onClick](wxCommandEvent&) { onClick(); });
    sizer->Add(button, 0, wxALL, 6);
    return button;
}

wxStaticText* AddCaption(wxWindow* parent, wxSizer* sizer, int id, const char* label)
{
    // As wide as its text, which differs by language.
    auto* caption = new CWrapText(parent, id, wxString::FromUTF8(label), wxDefaultPosition, wxDefaultSize,
                                  wxALIGN_RIGHT);
    sizer->Add(caption, 0, wxALL | wxALIGN_CENTER_VERTICAL, 6);
    return caption;
}

namespace {

void Caption(wxWindow* control, const std::string& text)
{
    if (control && !text.empty())
        control->SetLabel(wxString::FromUTF8(text));
}

} // namespace

void RenderLampControls(const EolLampQuestionLogic& logic, const LampControls& c)
{
    const EolPageState& common = logic.Common();
    const EolLampQuestionState& lamp = logic.Lamp();
    Caption(c.start, common.startCaption);
    Caption(c.exit, common.exitCaption);
    if (c.start)
        c.start->Enable(common.startEnabled);
    if (c.exit)
        c.exit->Enable(common.exitEnabled);
    for (wxButton* yes : {c.onYes, c.offYes})
        Caption(yes, lamp.yesCaption);
    for (wxButton* no : {c.onNo, c.offNo})
        Caption(no, lamp.noCaption);
    Caption(c.onCaption, lamp.lampOnCaption);
    Caption(c.offCaption, lamp.lampOffCaption);
    const bool on = lamp.open == LampQuestion::LampOn;
    const bool off = lamp.open == LampQuestion::LampOff;
    if (c.onYes && c.onNo && c.offYes && c.offNo) {
        c.onYes->Show(on);
        c.onNo->Show(on);
        c.offYes->Show(off);
        c.offNo->Show(off);
    }
}

} // namespace eolpage

void CEolLampTestPage::AddLampQuestionAndResult(wxSizer* page, const LampIds& ids)
{
    auto* question = new wxStaticBoxSizer(wxVERTICAL, this, wxString());
    wxWindow* box = question->GetStaticBox();
    AddQuestionLabel(box, question, ids.question, ids.questionSize);
    auto* answers = new CWrapRow;
    auto answer = [this](LampQuestion q, bool yes) {
        return [this, q, yes] { if (LampLogic()) LampLogic()->Answer(q, yes); };
    };
    onYes_ = eolpage::AddButton(box, answers, ids.onYes, "YES", answer(LampQuestion::LampOn, true));
    offYes_ = eolpage::AddButton(box, answers, ids.offYes, "YES", answer(LampQuestion::LampOff, true));
    onNo_ = eolpage::AddButton(box, answers, ids.onNo, "NO", answer(LampQuestion::LampOn, false));
    offNo_ = eolpage::AddButton(box, answers, ids.offNo, "NO", answer(LampQuestion::LampOff, false));
    for (wxButton* b : {onYes_, offYes_, onNo_, offNo_})
        b->Hide();
    question->Add(answers, 0, wxALIGN_CENTER_HORIZONTAL);
    page->Add(question, 0, wxALL | wxEXPAND, 6);

    wxStaticBoxSizer* result = AddResultFrame(page);
    wxWindow* frame = result->GetStaticBox();
    auto* pictures = new wxBoxSizer(wxHORIZONTAL);
    onCaption_ = eolpage::AddCaption(frame, pictures, ids.onCaption, "Lamp On：");
    AddResultPicture(frame, pictures, ids.onPicture);
    offCaption_ = eolpage::AddCaption(frame, pictures, ids.offCaption, "Lamp Off：");
    AddResultPicture(frame, pictures, ids.offPicture);
    result->Add(pictures, 0, wxALL, 6);
}
