#include "CEOLUnderwaterValveTest.h"

#include "EolGlobals.h"

CEOLUnderwaterValveTest::CEOLUnderwaterValveTest() : CTarvelPage(21) {}

CEOLUnderwaterValveTest::~CEOLUnderwaterValveTest()
{
    EolStopRequested = 1;
}
