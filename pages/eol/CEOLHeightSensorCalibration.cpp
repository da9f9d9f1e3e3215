#include "CEOLHeightSensorCalibration.h"

CEOLHeightSensorCalibration::CEOLHeightSensorCalibration() : CTarvelPage(15) {}
