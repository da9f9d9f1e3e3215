// The lifting-sensor test page: Start, Exit Test, the prompt label (also
// the countdown), five YES/NO pairs (one shown at a time), the result
// picture and the axle preview. Everything it shows comes from
// EolLiftingSensorTestLogic.
#pragma once

#include "EolLiftingTestPage.h"

class CEOLLiftingSensorTest : public CEolLiftingTestPage {
public:
    static constexpr int kStartId = 1621;
    static constexpr int kExitId = 1622;
    static constexpr int kResultFrameId = 1650;
    static constexpr int kPictureId = 1631;
    static constexpr int kPromptId = 1632;
    static constexpr int kPreviewId = 1649;
    static constexpr int kFirstCellId = 1633; // 1633..1647
    static constexpr int kArrowId = 1648;
    // YES and NO of pairs A..E.
    static constexpr int kYesIds[kPairCount] = {1671, 1624, 1623, 1626, 1625};
    static constexpr int kNoIds[kPairCount] = {1207, 1628, 1627, 1630, 1629};

    CEOLLiftingSensorTest();
};
