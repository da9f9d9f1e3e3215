// The lifting-axle test page: Start, Exit Test, the prompt label, five
// YES/NO rows (one shown at a time), the result picture and the axle
// preview. Everything it shows comes from EolLiftingAxleTestLogic.
#pragma once

#include "EolTestPage.h"

#include <vector>

class CEOLLiftingAxleTest : public CEolTestPage {
public:
    static constexpr int kStartId = 1546;
    static constexpr int kExitId = 1548;
    static constexpr int kResultFrameId = 1248;
    static constexpr int kPictureId = 1547;
    static constexpr int kPromptId = 1549;
    static constexpr int kFirstAnswerId = 1550; // YES of row r: 1550 + 2(r-1), NO: +1
    static constexpr int kPreviewId = 1247;
    static constexpr int kFirstCellId = 1561; // 1561..1575

    CEOLLiftingAxleTest();
    bool Create(wxWindow* parent) override;

    wxButton* YesOfRow(int row) const { return rows_[static_cast<size_t>(row - 1)].yes; }
    wxButton* NoOfRow(int row) const { return rows_[static_cast<size_t>(row - 1)].no; }
    wxStaticText* PreviewCell(int index) const { return cells_[static_cast<size_t>(index)]; }

protected:
    void RenderPage() override;

private:
    std::vector<EolAnswerPair> rows_;
    std::vector<wxStaticText*> cells_;
};
