#include "CEOLLiftingSensorTest.h"

CEOLLiftingSensorTest::CEOLLiftingSensorTest() : CTarvelPage(19) {}
