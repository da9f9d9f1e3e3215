#include "ReportGlobals.h"

std::vector<_tagSAVELANGUAGEdesc_> PdfTextTable;

void ResetReportGlobals()
{
    PdfTextTable.clear();
}
