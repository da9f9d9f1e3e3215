#include "ReportGlobals.h"

std::vector<std::string> PdfTextTable;

void ResetReportGlobals()
{
    PdfTextTable.clear();
}
