#include "CEOLLiftingAxleTest.h"

CEOLLiftingAxleTest::CEOLLiftingAxleTest() : CTarvelPage(tarvel::TabEolLiftingAxle) {}
