#include "CEOLUnderwaterValveTest.h"

#include "EolGlobals.h"

CEOLUnderwaterValveTest::CEOLUnderwaterValveTest() : CTarvelPage(tarvel::TabEolUnderwaterValve) {}

CEOLUnderwaterValveTest::~CEOLUnderwaterValveTest()
{
    EolStopRequested = 1;
}
