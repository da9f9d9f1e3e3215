#include "CODR_Trip_Info.h"

#include "ODR_Trip_InfoLogic.h"

#include "NILike.h"

#include <wx/button.h>
#include <wx/font.h>
#include <wx/fontenum.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

namespace {

// The count label's font: 25 pixels high in "黑体", or in the system's swiss
// face where that one is not installed.
wxFont LabelFont()
{
    const wxString face = wxString::FromUTF8("黑体");
    wxFontInfo info(wxSize(0, CODR_Trip_Info::kLabelFontHeight));
    info.Family(wxFONTFAMILY_SWISS);
    if (wxFontEnumerator::IsValidFacename(face))
        info.FaceName(face);
    return wxFont(info);
}

} // namespace

CODR_Trip_Info::CODR_Trip_Info() : COdrListPage(tarvel::TabOdrTrip) {}

bool CODR_Trip_Info::Create(wxWindow* parent)
{
    if (!COdrListPage::Create(parent))
        return false;
    oldest_ = new wxButton(this, kOldestId, "Oldest");
    previous_ = new wxButton(this, kPreviousId, "Previous");
    next_ = new wxButton(this, kNextId, "Next");
    latest_ = new wxButton(this, kLatestId, "Latest");
    edit_ = new wxTextCtrl(this, kNumberEditId, wxString(), wxDefaultPosition, wxSize(60, -1), wxTE_CENTRE);
    count_ = new CNILikeStatic(this, kCountLabelId, wxString(), wxDefaultPosition, wxSize(70, 30));
    count_->SetBkColour(ColorRefFromColour(GetBackgroundColour()));
    go_ = new wxButton(this, kGoId, "Next");
    wxListCtrl* list = CreateList(kListId);

    for (wxButton* b : {oldest_, previous_, next_, latest_, go_})
        b->Bind(wxEVT_BUTTON, &CODR_Trip_Info::OnButton, this);

    // The trip number and its button run on to a second line where the page
    // is too narrow for the whole row.
    auto* top = new CWrapRow;
    for (wxButton* b : {oldest_, previous_, next_, latest_})
        top->Add(b, 0, wxRIGHT | wxTOP | wxBOTTOM | wxALIGN_CENTER_VERTICAL, 2);
    auto* jump = new wxBoxSizer(wxHORIZONTAL);
    jump->Add(edit_, 0, wxALIGN_CENTER_VERTICAL);
    jump->Add(count_, 0, wxLEFT | wxRIGHT | wxALIGN_CENTER_VERTICAL, 2);
    jump->Add(go_, 0, wxALIGN_CENTER_VERTICAL);
    top->Add(jump, 0, wxLEFT | wxTOP | wxBOTTOM | wxALIGN_CENTER_VERTICAL, 2);
    wxSizer* sizer = GetSizer();
    sizer->Add(top, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 12);
    FillWithList(list);
    sizer->Add(list, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    RenderState();
    return true;
}

void CODR_Trip_Info::OnButton(wxCommandEvent& event)
{
    auto* logic = LogicAs<ODR_Trip_InfoLogic>();
    if (!logic)
        return;
    switch (event.GetId()) {
    case kOldestId: logic->ShowOldestTrip(); break;
    case kPreviousId: logic->ShowPreviousTrip(); break;
    case kNextId: logic->ShowNextTrip(); break;
    case kLatestId: logic->ShowLatestTrip(); break;
    case kGoId: logic->GoToTrip(edit_->GetValue().utf8_string()); break;
    default: break;
    }
}

void CODR_Trip_Info::RenderState()
{
    const ODR_Trip_InfoLogic* logic = LogicAs<ODR_Trip_InfoLogic>();
    if (!List() || !logic)
        return;
    const ODR_Trip_InfoState& state = logic->State();
    oldest_->SetLabel(wxString::FromUTF8(state.oldestCaption));
    previous_->SetLabel(wxString::FromUTF8(state.previousCaption));
    next_->SetLabel(wxString::FromUTF8(state.nextCaption));
    latest_->SetLabel(wxString::FromUTF8(state.latestCaption));
    go_->SetLabel(wxString::FromUTF8(state.goCaption));

    ShowList(state.headers, state.rows);

    // The field is written after each navigation only; what the user typed
    // stays until then.
    if (editWritesApplied_ != state.editWrites) {
        editWritesApplied_ = state.editWrites;
        edit_->ChangeValue(wxString::FromUTF8(state.editText));
    }

    if (shownCount_ != state.countText || count_->TextColour() != state.countColour) {
        shownCount_ = state.countText;
        count_->SetGreenText(state.countText);
        count_->SetTextColour(state.countColour);
        count_->SetFont(LabelFont());
        count_->Refresh();
    }
}
