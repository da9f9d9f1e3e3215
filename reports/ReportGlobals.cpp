#include "ReportGlobals.h"

std::vector<std::string> PdfTextTable;
