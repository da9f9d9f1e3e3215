// The page at tab TabOdrInfo. It exists with its window, tab, caption and messages;
// its working is built on this base by the page's own code.
#pragma once

#include "PageHostPage.h"

class CODR_Info : public CTarvelPage {
public:
    CODR_Info();
};
