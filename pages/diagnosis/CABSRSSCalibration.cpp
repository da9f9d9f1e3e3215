#include "CABSRSSCalibration.h"

CABSRSSCalibration::CABSRSSCalibration() : CTarvelPage(tarvel::TabRssCalibration) {}
