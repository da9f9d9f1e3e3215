#include "CABSEOLSensorValueTest.h"

#include "EolGlobals.h"

CABSEOLSensorValueTest::CABSEOLSensorValueTest() : CTarvelPage(tarvel::TabEolSensor) {}

CABSEOLSensorValueTest::~CABSEOLSensorValueTest()
{
    EolStopRequested = 1;
}
