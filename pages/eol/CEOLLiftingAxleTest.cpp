#include "CEOLLiftingAxleTest.h"

#include "EolLiftingAxleTestLogic.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CEOLLiftingAxleTest::CEOLLiftingAxleTest() : CEolTestPage(tarvel::TabEolLiftingAxle) {}

bool CEOLLiftingAxleTest::Create(wxWindow* parent)
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
    std::vector<std::pair<int, int>> ids;
    for (int r = 0; r < 5; ++r)
        ids.emplace_back(kFirstAnswerId + 2 * r, kFirstAnswerId + 2 * r + 1);
    rows_ = AddAnswerPairs(this, answers, ids, [this](int row, bool yes) {
        if (auto* logic = LogicAs<EolLiftingAxleTestLogic>())
            logic->Answer(row, yes);
    });
    page->Add(answers, 0, wxLEFT | wxRIGHT, 6);

    auto* lower = new wxBoxSizer(wxHORIZONTAL);
    wxStaticBoxSizer* result = AddResultFrame(lower);
    result->GetStaticBox()->SetId(kResultFrameId);
    AddResultPicture(result->GetStaticBox(), result, kPictureId);

    // Rows top to bottom: upper wheel cells, lower wheel cells, label cells.
    AddPreviewFrame(lower, kPreviewId,
                    {{5, 0, 10}, [](size_t i) { return kFirstCellId + static_cast<int>(i); }, wxSize(32, 22),
                     wxBORDER_STATIC},
                    cells_);
    page->Add(lower, 0);

    RenderState();
    return true;
}

void CEOLLiftingAxleTest::RenderPage()
{
    const auto* logic = LogicAs<EolLiftingAxleTestLogic>();
    if (!logic)
        return;
    const LiftingAxleTestState& state = logic->State();
    RenderAnswerPairs(rows_, state.rowShown, state.yesCaption, state.noCaption);
    RenderPreview(state.previewCaption, cells_, state.preview.data());
}
