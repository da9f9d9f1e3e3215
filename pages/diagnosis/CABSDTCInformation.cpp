#include "CABSDTCInformation.h"

#include "FittedColumns.h"
#include "TextWrap.h"
#include "ABSDTCInformationLogic.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

CABSDTCInformation::CABSDTCInformation() : CTarvelPage(ABSDTCInformationLogic::kTab) {}

bool CABSDTCInformation::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    // A line too long for the list ends in an ellipsis and shows whole under
    // the mouse; the list never scrolls sideways.
    list_ = CreateLineList(this, kFaultListId);
    // The list takes what the buttons leave and scrolls its lines itself.
    FillWithList(list_);
    read_ = new wxButton(this, kReadDtcId, wxString());
    clear_ = new wxButton(this, kClearDtcId, wxString());
    clearContents_ = new wxButton(this, kClearContentsId, wxString());
    read_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (auto* logic = LogicAs<ABSDTCInformationLogic>())
            logic->OnReadDtc();
    });
    clear_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (auto* logic = LogicAs<ABSDTCInformationLogic>())
            logic->OnClearDtc();
    });
    clearContents_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (auto* logic = LogicAs<ABSDTCInformationLogic>())
            logic->OnClearContents();
    });

    // Enter and Escape stop at the page: they neither close nor press anything.
    Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        if (key != WXK_RETURN && key != WXK_NUMPAD_ENTER && key != WXK_ESCAPE)
            event.Skip();
    });
    auto* buttons = new CWrapRow;
    buttons->Add(read_, 0, wxRIGHT | wxTOP, 8);
    buttons->Add(clear_, 0, wxRIGHT | wxTOP, 8);
    buttons->Add(clearContents_, 0, wxTOP, 8);
    GetSizer()->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT, 12);
    GetSizer()->Add(buttons, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 12);
    RenderState();
    return true;
}

void CABSDTCInformation::RenderState()
{
    const ABSDTCInformationLogic* logic = LogicAs<ABSDTCInformationLogic>();
    if (!list_ || !logic)
        return;
    const ABSDTCInformationState& state = logic->State();
    read_->SetLabel(wxString::FromUTF8(state.readDtcCaption));
    clear_->SetLabel(wxString::FromUTF8(state.clearDtcCaption));
    clearContents_->SetLabel(wxString::FromUTF8(state.clearContentsCaption));
    std::vector<wxString> lines;
    for (const std::string& line : state.lines)
        lines.push_back(wxString::FromUTF8(line));
    ShowLines(list_, lines);
}
