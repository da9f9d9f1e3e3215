// The page at tab TabEolDtc. It exists with its window, tab, caption and messages;
// its working is built on this base by the page's own code.
#pragma once

#include "PageHostPage.h"

class CABSEOLDtcTest : public CTarvelPage {
public:
    CABSEOLDtcTest();
};
