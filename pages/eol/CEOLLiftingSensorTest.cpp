#include "CEOLLiftingSensorTest.h"

#include "EolLiftingSensorTestLogic.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CEOLLiftingSensorTest::CEOLLiftingSensorTest() : CEolTestPage(tarvel::TabEolLiftingSensor) {}

bool CEOLLiftingSensorTest::Create(wxWindow* parent)
{
    if (!CEolTestPage::Create(parent))
        return false;
    SetPageFont(PageFont(kEolLiftingFont));
    wxSizer* page = GetSizer();

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    AddStartButton(this, row, kStartId);
    AddExitButton(this, row, kExitId);
    page->Add(row, 0, wxLEFT | wxRIGHT, 6);

    AddQuestionLabel(this, page, kPromptId, wxSize(520, 40));
    auto* answers = new wxBoxSizer(wxHORIZONTAL);
    for (int pair = 1; pair <= 5; ++pair) {
        for (int yes = 1; yes >= 0; --yes) {
            auto* button = new wxButton(this, yes ? kYesIds[pair - 1] : kNoIds[pair - 1], yes ? "YES" : "NO");
            button->Bind(wxEVT_BUTTON, [this, pair, yes](wxCommandEvent&) {
                if (auto* logic = LogicAs<EolLiftingSensorTestLogic>())
                    logic->Answer(pair, yes == 1);
            });
            button->Hide();
            answers->Add(button, 0, wxALL, 4);
            (yes ? yes_ : no_)[static_cast<size_t>(pair - 1)] = button;
        }
    }
    page->Add(answers, 0, wxLEFT | wxRIGHT, 6);

    auto* lower = new wxBoxSizer(wxHORIZONTAL);
    wxStaticBoxSizer* result = AddResultFrame(lower);
    result->GetStaticBox()->SetId(kResultFrameId);
    AddResultPicture(result->GetStaticBox(), result, kPictureId);

    auto* preview = new wxStaticBoxSizer(wxVERTICAL, this, "Preview");
    preview_ = preview->GetStaticBox();
    preview_->SetId(kPreviewId);
    auto* grid = new wxFlexGridSizer(3, 6, 4, 8);
    const int rowsOfCells[3] = {5, 0, 10}; // upper wheels, lower wheels, labels
    for (int r = 0; r < 3; ++r) {
        grid->Add(new wxStaticText(preview_, r == 1 ? 1648 : wxID_ANY, r == 1 ? "<<" : ""), 0, wxALIGN_CENTER_VERTICAL);
        for (int column = 0; column < 5; ++column) {
            const size_t index = static_cast<size_t>(rowsOfCells[r] + column);
            cells_[index] = new wxStaticText(preview_, kFirstCellId + static_cast<int>(index), wxString(),
                                             wxDefaultPosition, wxSize(32, 22),
                                             wxALIGN_CENTER_HORIZONTAL | wxST_NO_AUTORESIZE | wxBORDER_STATIC);
            cells_[index]->Hide();
            grid->Add(cells_[index], 0, wxALIGN_CENTER);
        }
    }
    preview->Add(grid, 0, wxALL, 6);
    lower->Add(preview, 0, wxALL, 6);
    page->Add(lower, 0);

    RenderState();
    return true;
}

void CEOLLiftingSensorTest::RenderPage()
{
    const auto* logic = LogicAs<EolLiftingSensorTestLogic>();
    if (!logic)
        return;
    const LiftingSensorTestState& state = logic->State();
    for (int pair = 1; pair <= 5; ++pair) {
        YesOfPair(pair)->Show(state.pairShown == pair);
        NoOfPair(pair)->Show(state.pairShown == pair);
        if (!state.yesCaption.empty())
            YesOfPair(pair)->SetLabel(wxString::FromUTF8(state.yesCaption));
        if (!state.noCaption.empty())
            NoOfPair(pair)->SetLabel(wxString::FromUTF8(state.noCaption));
    }
    if (preview_ && !state.previewCaption.empty())
        preview_->SetLabel(wxString::FromUTF8(state.previewCaption));
    for (size_t i = 0; i < cells_.size(); ++i) {
        if (cells_[i]->IsShown() != state.preview[i].shown)
            cells_[i]->Show(state.preview[i].shown);
        const wxString text = wxString::FromUTF8(state.preview[i].text);
        if (cells_[i]->GetLabel() != text)
            cells_[i]->SetLabel(text);
    }
}
