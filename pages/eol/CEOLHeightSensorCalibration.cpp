#include "CEOLHeightSensorCalibration.h"

CEOLHeightSensorCalibration::CEOLHeightSensorCalibration() : CTarvelPage(tarvel::TabEolHeightSensor) {}
