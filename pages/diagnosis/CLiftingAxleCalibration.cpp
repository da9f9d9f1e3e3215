#include "CLiftingAxleCalibration.h"

CLiftingAxleCalibration::CLiftingAxleCalibration() : CTarvelPage(13, tarvel::WindowSlot::LiftingAxlePage) {}
