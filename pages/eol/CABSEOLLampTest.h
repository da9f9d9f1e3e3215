// The page at tab TabEolLamp. It exists with its window, tab, caption and messages;
// its working is built on this base by the page's own code.
#pragma once

#include "PageHostPage.h"

class CABSEOLLampTest : public CTarvelPage {
public:
    CABSEOLLampTest();
    // Asks a running end-of-line step to stop: the page is going away.
    ~CABSEOLLampTest() override;
};
