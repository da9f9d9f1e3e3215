#include "CABSEOLVoltageTest.h"

CABSEOLVoltageTest::CABSEOLVoltageTest() : CTarvelPage(5) {}
