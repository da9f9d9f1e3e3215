#include "CABSEOLLampTest.h"

#include "EolGlobals.h"

CABSEOLLampTest::CABSEOLLampTest() : CTarvelPage(tarvel::TabEolLamp) {}

CABSEOLLampTest::~CABSEOLLampTest()
{
    EolStopRequested = 1;
}
