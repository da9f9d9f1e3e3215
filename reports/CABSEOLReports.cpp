#include "CABSEOLReports.h"

#include "EolReportsLogic.h"
#include "LanguageTable.h"
#include "TextWrap.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

wxString Ui(int row, const char* fallback)
{
    const std::string text = LanguageText(row);
    return wxString::FromUTF8(text.empty() ? fallback : text);
}

} // namespace

CABSEOLReports::CABSEOLReports() : CTarvelPage(tarvel::TabEolReports) {}

bool CABSEOLReports::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;

    auto* frame = new wxStaticBoxSizer(wxHORIZONTAL, this);
    systemTag_ = new CWrapCheckBox(frame->GetStaticBox(), kSystemTagBoxId, "Print System Tag as well");
    save_ = new wxButton(frame->GetStaticBox(), kSaveId, "Save");
    frame->Add(systemTag_, 1, wxALIGN_CENTER_VERTICAL | wxALL, 6);
    frame->Add(save_, 0, wxALL, 6);

    resultsLabel_ = new wxStaticText(this, kResultsLabelId, wxString::FromUTF8("Test Results："));
    list_ = new wxListBox(this, kResultListId, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                          wxLB_SINGLE | wxLB_NEEDED_SB);
    // The results take the room the rest leaves, beside the names.
    FillWithList(list_);
    list_->SetBackgroundColour(wxColour(240, 240, 240));

    testerLabel_ = new wxStaticText(this, kTesterLabelId, wxString::FromUTF8("Tester Name："));
    tester_ = new wxTextCtrl(this, kTesterEditId, wxString(), wxDefaultPosition, wxSize(140, -1));
    jobLabel_ = new wxStaticText(this, kJobLabelId, wxString::FromUTF8("Job Number："));
    job_ = new wxTextCtrl(this, kJobEditId, wxString(), wxDefaultPosition, wxSize(140, -1));
    tester_->SetMaxLength(ABSEOLReportsLogic::kTesterNameMaxLength);
    job_->SetMaxLength(ABSEOLReportsLogic::kJobNumberMaxLength);

    auto* side = new wxBoxSizer(wxVERTICAL);
    side->Add(testerLabel_, 0, wxBOTTOM, 4);
    side->Add(tester_, 0, wxBOTTOM, 10);
    side->Add(jobLabel_, 0, wxBOTTOM, 4);
    side->Add(job_, 0);

    auto* left = new wxBoxSizer(wxVERTICAL);
    left->Add(resultsLabel_, 0, wxBOTTOM, 4);
    left->Add(list_, 1, wxEXPAND);

    auto* body = new wxBoxSizer(wxHORIZONTAL);
    body->Add(left, 1, wxEXPAND | wxRIGHT, 12);
    body->Add(side, 0, wxTOP, 16);

    wxSizer* sizer = GetSizer();
    sizer->Add(frame, 0, wxLEFT | wxRIGHT | wxBOTTOM, 12);
    sizer->Add(body, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);

    systemTag_->Bind(wxEVT_CHECKBOX, &CABSEOLReports::OnSystemTag, this);
    save_->Bind(wxEVT_BUTTON, &CABSEOLReports::OnSave, this);
    Bind(wxEVT_CHAR_HOOK, &CABSEOLReports::OnCharHook, this);
    OnRefreshLanguage();
    RenderState();
    return true;
}

void CABSEOLReports::OnSave(wxCommandEvent&)
{
    if (auto* logic = LogicAs<ABSEOLReportsLogic>())
        logic->Save(tester_->GetValue().utf8_string(), job_->GetValue().utf8_string());
}

void CABSEOLReports::OnSystemTag(wxCommandEvent&)
{
    if (auto* logic = LogicAs<ABSEOLReportsLogic>())
        logic->SystemTagChoice(systemTag_->GetValue());
}

void CABSEOLReports::OnCharHook(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_ESCAPE:
        return; // swallowed: the page does not close
    default:
        event.Skip();
    }
}

void CABSEOLReports::OnRefreshLanguage()
{
    CTarvelPage::OnRefreshLanguage();
    if (!save_)
        return;
    save_->SetLabel(Ui(ABSEOLReportsLogic::kSaveTextRow, "Save"));
    resultsLabel_->SetLabel(Ui(ABSEOLReportsLogic::kResultsLabelRow, "Test Results："));
    testerLabel_->SetLabel(Ui(ABSEOLReportsLogic::kTesterLabelRow, "Tester Name："));
    jobLabel_->SetLabel(Ui(ABSEOLReportsLogic::kJobLabelRow, "Job Number："));
    systemTag_->SetLabel(Ui(ABSEOLReportsLogic::kSystemTagTextRow, "Print System Tag as well"));
    Layout();
}

void CABSEOLReports::RenderState()
{
    const ABSEOLReportsLogic* logic = LogicAs<ABSEOLReportsLogic>();
    if (!list_ || !logic)
        return;
    const EolReportsState& state = logic->State();
    if (systemTag_->GetValue() != state.systemTagTicked)
        systemTag_->SetValue(state.systemTagTicked);
    if (state.resultLines != linesShown_) {
        list_->Clear();
        for (const std::string& line : state.resultLines)
            list_->Append(wxString::FromUTF8(line));
        linesShown_ = state.resultLines;
        ShowFirstRow();
    }
}

void CABSEOLReports::OnActivatePage(int message)
{
    CTarvelPage::OnActivatePage(message);
    ShowFirstRow();
}

void CABSEOLReports::ShowFirstRow()
{
    // The toolkit keeps the list's scroll offset over a refill and while the
    // page is hidden; the results are read from their first row.
    if (list_ && list_->GetCount() > 0)
        list_->SetFirstItem(0);
}
