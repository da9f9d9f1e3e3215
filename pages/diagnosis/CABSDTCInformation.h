// The page at tab 3. It exists with its window, tab, caption and messages;
// its working is built on this base by the page's own code.
#pragma once

#include "PageHostPage.h"

class CABSDTCInformation : public CTarvelPage {
public:
    CABSDTCInformation();
    // Called by the view's page reset; reloads the page's definition table.
    void LoadFailureTable();
};
