#include "CABSEOLLampTest.h"

#include "EolGlobals.h"

CABSEOLLampTest::CABSEOLLampTest() : CTarvelPage(6) {}

CABSEOLLampTest::~CABSEOLLampTest()
{
    EolStopRequested = 1;
}
