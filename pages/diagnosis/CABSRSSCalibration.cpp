#include "CABSRSSCalibration.h"

CABSRSSCalibration::CABSRSSCalibration() : CTarvelPage(20) {}
