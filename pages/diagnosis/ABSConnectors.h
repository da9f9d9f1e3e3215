// The page at tab TabConnectors. It exists with its window, tab, caption and messages;
// its working is built on this base by the page's own code.
#pragma once

#include "PageHostPage.h"

class ABSConnectors : public CTarvelPage {
public:
    ABSConnectors();
};
