// State shared by the report pages and the PDF writers.
#pragma once

#include <string>
#include <vector>

// Texts of LanguagePDFConfig.xml in the current language, read by position.
extern std::vector<std::string> PdfTextTable;

// Restores every value above to its load-time value.
void ResetReportGlobals();
