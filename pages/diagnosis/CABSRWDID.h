// The page at tab TabParameters. It exists with its window, tab, caption and messages;
// its working is built on this base by the page's own code.
#pragma once

#include "PageHostPage.h"

class CABSRWDID : public CTarvelPage {
public:
    CABSRWDID();
};
