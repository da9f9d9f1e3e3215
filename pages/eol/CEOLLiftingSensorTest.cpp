#include "CEOLLiftingSensorTest.h"

#include "PageHostTable.h"

CEOLLiftingSensorTest::CEOLLiftingSensorTest()
    : CEolLiftingTestPage(tarvel::TabEolLiftingSensor,
                          {kStartId, kExitId, kResultFrameId, kPictureId, kPromptId, kYesIds, kNoIds, kPreviewId,
                           kFirstCellId, kArrowId})
{
}
