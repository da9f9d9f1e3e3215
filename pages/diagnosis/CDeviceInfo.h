// The page at tab 0. It exists with its window, tab, caption and messages;
// its working is built on this base by the page's own code.
#pragma once

#include "PageHostPage.h"

class CDeviceInfo : public CTarvelPage {
public:
    CDeviceInfo();
    // Called by the view's page reset; reloads the page's definition table.
    void LoadStoredParameterConfig();
};
