#include "CODR_Info.h"

#include "ODR_InfoLogic.h"

#include "AppMessagesEvent.h"
#include "NILike.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

CODR_Info::CODR_Info() : COdrListPage(tarvel::TabOdrInfo) {}

bool CODR_Info::Create(wxWindow* parent)
{
    if (!COdrListPage::Create(parent))
        return false;
    read_ = new wxButton(this, kReadButtonId, wxString());
    export_ = new wxButton(this, kExportButtonId, wxString());
    export_->Disable();
    progress_ = new wxGauge(this, kProgressId, 1, wxDefaultPosition, wxSize(160, 16));
    percent_ = new CNILikeStatic(this, kPercentLabelId, "0%", wxDefaultPosition, wxSize(50, 18));
    percent_->SetBkColour(ColorRefFromColour(GetBackgroundColour()));
    wxListCtrl* list = CreateList(kListId);

    read_->Bind(wxEVT_BUTTON, &CODR_Info::OnReadButton, this);
    export_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (auto* logic = LogicAs<ODR_InfoLogic>())
            logic->ExportOdrData();
    });

    auto* buttons = new wxBoxSizer(wxVERTICAL);
    buttons->Add(read_, 0, wxEXPAND | wxBOTTOM, 4);
    buttons->Add(export_, 0, wxEXPAND);
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(buttons, 0, wxRIGHT, 8);
    top->Add(progress_, 0, wxALIGN_TOP | wxRIGHT, 6);
    top->Add(percent_, 0, wxALIGN_TOP);
    wxSizer* sizer = GetSizer();
    sizer->Add(top, 0, wxLEFT | wxRIGHT | wxBOTTOM, 12);
    sizer->Add(list, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    RenderState();
    return true;
}

void CODR_Info::OnReadButton(wxCommandEvent&)
{
    if (auto* logic = LogicAs<ODR_InfoLogic>())
        logic->ReadOdrInformation();
}

void CODR_Info::RenderState()
{
    const ODR_InfoLogic* logic = LogicAs<ODR_InfoLogic>();
    if (!List() || !logic)
        return;
    const ODR_InfoState& state = logic->State();
    read_->SetLabel(wxString::FromUTF8(state.readCaption));
    export_->SetLabel(wxString::FromUTF8(state.exportCaption));
    read_->Enable(!state.reading);
    export_->Enable(state.exportEnabled && !state.reading);

    ShowList(state.headers, state.rows);

    const int range = state.progressMax > 0 ? state.progressMax : 1;
    const int pos = std::min(state.progressPos, range);
    if (progress_->GetRange() != range || progress_->GetValue() != pos) {
        if (progress_->GetRange() != range)
            progress_->SetRange(range);
        progress_->SetValue(pos);
        // Painted now, together with the label, which redraws at once: the
        // bar must not lag behind the percentage it stands beside.
        progress_->Refresh();
        progress_->Update();
    }
    if (percent_->TextColour() != state.percentColour)
        percent_->SetTextColour(state.percentColour);
    if (percent_->GetLabel() != wxString::FromUTF8(state.percentText))
        percent_->SetText(state.percentText);
    if (progress_->IsShown() != state.progressShown) {
        progress_->Show(state.progressShown);
        percent_->Show(state.progressShown);
        Layout();
    }

    if (tabRequestsApplied_ != state.tripTabRequests) {
        tabRequestsApplied_ = state.tripTabRequests;
        // The trip browser's tab, through the page host this page lives in;
        // shown without being selected.
        AskHostToShowTab(this, tarvel::TabOdrTrip, state.tripTabShown);
    }
}
