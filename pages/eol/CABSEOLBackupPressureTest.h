// The page at tab TabEolBackupPressure. It exists with its window, tab, caption and messages;
// its working is built on this base by the page's own code.
#pragma once

#include "PageHostPage.h"

class CABSEOLBackupPressureTest : public CTarvelPage {
public:
    CABSEOLBackupPressureTest();
};
