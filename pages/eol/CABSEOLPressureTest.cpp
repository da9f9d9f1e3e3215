#include "CABSEOLPressureTest.h"

CABSEOLPressureTest::CABSEOLPressureTest() : CTarvelPage(8) {}
