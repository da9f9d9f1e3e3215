#include "CABSEOLReports.h"

#include "ReportTextTable.h"

CABSEOLReports::CABSEOLReports() : CTarvelPage(11) {}

void CABSEOLReports::LoadPdfLanguageConfig()
{
    ::LoadPdfLanguageConfig();
}
