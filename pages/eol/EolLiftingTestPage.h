// The window both lifting pages are (lifting axle, lifting sensor): Start,
// Exit Test, the prompt label, five YES/NO pairs (one shown at a time), the
// result picture and the axle preview. Everything it shows comes from the
// page's EolLiftingPageLogic; a page gives its control ids.
#pragma once

#include "EolTestPage.h"

#include <vector>

class CEolLiftingTestPage : public CEolTestPage {
public:
    bool Create(wxWindow* parent) override;

    // Pair 1..5.
    wxButton* YesOfPair(int pair) const { return pairs_[static_cast<size_t>(pair - 1)].yes; }
    wxButton* NoOfPair(int pair) const { return pairs_[static_cast<size_t>(pair - 1)].no; }
    // Cell 0..14: upper wheels, lower wheels, lifting-axle labels.
    wxStaticText* PreviewCell(int index) const { return cells_[static_cast<size_t>(index)]; }

protected:
    static constexpr int kPairCount = 5;

    // A page's control ids.
    struct LiftingIds {
        int start;
        int exit;
        int resultFrame;
        int picture;
        int prompt;
        const int* yes; // kPairCount ids, pair 1 first
        const int* no;
        int preview;
        int firstCell; // the preview's cells are numbered on from here
        int arrow; // the "<<" before the second preview row
    };

    CEolLiftingTestPage(int tab, const LiftingIds& ids);

    void RenderPage() override;

private:
    LiftingIds ids_;
    std::vector<EolAnswerPair> pairs_;
    std::vector<wxStaticText*> cells_;
};
