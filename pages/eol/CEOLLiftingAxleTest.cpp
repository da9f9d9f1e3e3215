#include "CEOLLiftingAxleTest.h"

CEOLLiftingAxleTest::CEOLLiftingAxleTest() : CTarvelPage(14) {}
