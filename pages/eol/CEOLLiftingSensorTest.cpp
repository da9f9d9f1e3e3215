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
    std::vector<std::pair<int, int>> ids;
    for (size_t k = 0; k < 5; ++k)
        ids.emplace_back(kYesIds[k], kNoIds[k]);
    pairs_ = AddAnswerPairs(this, answers, ids, [this](int pair, bool yes) {
        if (auto* logic = LogicAs<EolLiftingSensorTestLogic>())
            logic->Answer(pair, yes);
    });
    page->Add(answers, 0, wxLEFT | wxRIGHT, 6);

    auto* lower = new wxBoxSizer(wxHORIZONTAL);
    wxStaticBoxSizer* result = AddResultFrame(lower);
    result->GetStaticBox()->SetId(kResultFrameId);
    AddResultPicture(result->GetStaticBox(), result, kPictureId);

    // Rows top to bottom: upper wheels, lower wheels, labels.
    AddPreviewFrame(lower, kPreviewId,
                    {{5, 0, 10}, [](size_t i) { return kFirstCellId + static_cast<int>(i); }, wxSize(32, 22),
                     wxBORDER_STATIC, kArrowId},
                    cells_);
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
    RenderAnswerPairs(pairs_, state.pairShown, state.yesCaption, state.noCaption);
    RenderPreview(state.previewCaption, cells_, state.preview.data());
}
