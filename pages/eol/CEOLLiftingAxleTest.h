// The lifting-axle test page: Start, Exit Test, the prompt label, five
// YES/NO rows (one shown at a time), the result picture and the axle
// preview. Everything it shows comes from EolLiftingAxleTestLogic.
#pragma once

#include "EolLiftingTestPage.h"

class CEOLLiftingAxleTest : public CEolLiftingTestPage {
public:
    static constexpr int kStartId = 1546;
    static constexpr int kExitId = 1548;
    static constexpr int kResultFrameId = 1248;
    static constexpr int kPictureId = 1547;
    static constexpr int kPromptId = 1549;
    // YES and NO of rows 1..5.
    static constexpr int kYesIds[kPairCount] = {1550, 1552, 1554, 1556, 1558};
    static constexpr int kNoIds[kPairCount] = {1551, 1553, 1555, 1557, 1559};
    static constexpr int kPreviewId = 1247;
    static constexpr int kFirstCellId = 1561; // 1561..1575

    CEOLLiftingAxleTest();
};
