#include "CEOLBrakeLampTest.h"

#include "EolGlobals.h"

CEOLBrakeLampTest::CEOLBrakeLampTest() : CTarvelPage(18) {}

CEOLBrakeLampTest::~CEOLBrakeLampTest()
{
    EolStopRequested = 1;
}
