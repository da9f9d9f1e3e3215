// The page at tab TabLiftingAxleCalibration. It exists with its window, tab, caption and messages;
// its working is built on this base by the page's own code.
#pragma once

#include "PageHostPage.h"

class CLiftingAxleCalibration : public CTarvelPage {
public:
    CLiftingAxleCalibration();
};
