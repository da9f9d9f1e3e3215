#include "CABSEOLBackupPressureTest.h"

CABSEOLBackupPressureTest::CABSEOLBackupPressureTest() : CTarvelPage(tarvel::TabEolBackupPressure) {}
