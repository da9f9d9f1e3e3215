#include "CABSEOLDtcTest.h"

CABSEOLDtcTest::CABSEOLDtcTest() : CTarvelPage(10) {}
