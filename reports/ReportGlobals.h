// State shared by the report pages and the PDF writers.
#pragma once

#include <string>
#include <vector>

#include "LanguageTable.h"

// Texts of LanguagePDFConfig.xml in the current language, read by position
// (row N is the N-th record, whatever its Item says). Empty at start.
extern std::vector<_tagSAVELANGUAGEdesc_> PdfTextTable;

// Restores every value above to its load-time value.
void ResetReportGlobals();
