#include "CABSEOLVoltageTest.h"

CABSEOLVoltageTest::CABSEOLVoltageTest() : CTarvelPage(tarvel::TabEolVoltage) {}
