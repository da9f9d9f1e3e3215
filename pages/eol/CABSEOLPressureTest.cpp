#include "CABSEOLPressureTest.h"

CABSEOLPressureTest::CABSEOLPressureTest() : CTarvelPage(tarvel::TabEolPressure) {}
