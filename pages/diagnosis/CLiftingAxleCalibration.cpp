#include "CLiftingAxleCalibration.h"

CLiftingAxleCalibration::CLiftingAxleCalibration() : CTarvelPage(tarvel::TabLiftingAxleCalibration, tarvel::WindowSlot::LiftingAxlePage) {}
