// The page at tab 11. It exists with its window, tab, caption and messages;
// its working is built on this base by the page's own code.
#pragma once

#include "PageHostPage.h"

class CABSEOLReports : public CTarvelPage {
public:
    CABSEOLReports();
    // Called by the view's page reset; reloads the page's definition table.
    void LoadPdfLanguageConfig();
};
