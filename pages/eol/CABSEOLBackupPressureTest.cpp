#include "CABSEOLBackupPressureTest.h"

CABSEOLBackupPressureTest::CABSEOLBackupPressureTest() : CTarvelPage(9) {}
