#include "EolLiftingTestPage.h"

#include "EolLiftingPageLogic.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CEolLiftingTestPage::CEolLiftingTestPage(int tab, const LiftingIds& ids) : CEolTestPage(tab), ids_(ids) {}

bool CEolLiftingTestPage::Create(wxWindow* parent)
{
    if (!CEolTestPage::Create(parent))
        return false;
    SetPageFont(PageFont(kEolLiftingFont));
    wxSizer* page = GetSizer();

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    AddStartButton(this, row, ids_.start);
    AddExitButton(this, row, ids_.exit);
    page->Add(row, 0, wxLEFT | wxRIGHT, 6);

    AddQuestionLabel(this, page, ids_.prompt, wxSize(520, 40));
    auto* answers = new wxBoxSizer(wxHORIZONTAL);
    std::vector<std::pair<int, int>> ids;
    for (int k = 0; k < kPairCount; ++k)
        ids.emplace_back(ids_.yes[k], ids_.no[k]);
    pairs_ = AddAnswerPairs(this, answers, ids, [this](int pair, bool yes) {
        if (auto* logic = LogicAs<EolLiftingPageLogic>())
            logic->Answer(pair, yes);
    });
    page->Add(answers, 0, wxLEFT | wxRIGHT, 6);

    auto* lower = new wxBoxSizer(wxHORIZONTAL);
    wxStaticBoxSizer* result = AddResultFrame(lower);
    result->GetStaticBox()->SetId(ids_.resultFrame);
    AddResultPicture(result->GetStaticBox(), result, ids_.picture);

    // Rows top to bottom: upper wheels, lower wheels, lifting-axle labels.
    const int firstCell = ids_.firstCell;
    AddPreviewFrame(lower, ids_.preview,
                    {{5, 0, 10},
                     [firstCell](size_t i) { return firstCell + static_cast<int>(i); },
                     wxSize(32, 22),
                     wxBORDER_STATIC,
                     ids_.arrow},
                    cells_);
    page->Add(lower, 0);

    RenderState();
    return true;
}

void CEolLiftingTestPage::RenderPage()
{
    const auto* logic = LogicAs<EolLiftingPageLogic>();
    if (!logic)
        return;
    const LiftingPageState& state = logic->State();
    RenderAnswerPairs(pairs_, state.pairShown, state.yesCaption, state.noCaption);
    RenderPreview(state.previewCaption, cells_, state.preview.data());
}
