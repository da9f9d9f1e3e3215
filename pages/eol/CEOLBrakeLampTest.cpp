#include "CEOLBrakeLampTest.h"

#include "EolGlobals.h"

CEOLBrakeLampTest::CEOLBrakeLampTest() : CTarvelPage(tarvel::TabEolBrakeLamp) {}

CEOLBrakeLampTest::~CEOLBrakeLampTest()
{
    EolStopRequested = 1;
}
