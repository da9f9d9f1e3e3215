#include "CABSEOLSensorValueTest.h"

#include "EolGlobals.h"

CABSEOLSensorValueTest::CABSEOLSensorValueTest() : CTarvelPage(7) {}

CABSEOLSensorValueTest::~CABSEOLSensorValueTest()
{
    EolStopRequested = 1;
}
