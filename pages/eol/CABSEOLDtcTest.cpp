#include "CABSEOLDtcTest.h"

CABSEOLDtcTest::CABSEOLDtcTest() : CTarvelPage(tarvel::TabEolDtc) {}
