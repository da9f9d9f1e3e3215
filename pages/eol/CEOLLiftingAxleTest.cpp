#include "CEOLLiftingAxleTest.h"

#include "PageHostTable.h"

CEOLLiftingAxleTest::CEOLLiftingAxleTest()
    : CEolLiftingTestPage(tarvel::TabEolLiftingAxle,
                          {kStartId, kExitId, kResultFrameId, kPictureId, kPromptId, kYesIds, kNoIds, kPreviewId,
                           kFirstCellId, wxID_ANY})
{
}
