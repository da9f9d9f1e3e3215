#include "CABSEOLReports.h"

CABSEOLReports::CABSEOLReports() : CTarvelPage(11) {}

void CABSEOLReports::LoadPdfLanguageConfig()
{
    // The definition files and their table belong to this page's own code,
    // which is not part of this build yet.
}
