#include "CEOLLiftingSensorTest.h"

CEOLLiftingSensorTest::CEOLLiftingSensorTest() : CTarvelPage(tarvel::TabEolLiftingSensor) {}
