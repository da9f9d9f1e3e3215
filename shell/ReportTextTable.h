// The report text table: every text the PDF reports print, and the result
// words and remarks the test pages prepare for them, in the user-interface
// language. It is read from VADE_PDFUsedStringConfig/LanguagePDFConfig.xml
// beside the program, which has the layout of LanguageConfig.xml.
#pragma once

#include "LanguageTable.h"

#include <string>
#include <vector>

// Texts of LanguagePDFConfig.xml in the current language, read by position
// (row N is the N-th record, whatever its Item says). Empty at start.
extern std::vector<_tagSAVELANGUAGEdesc_> PdfTextTable;

extern const char* const kPdfLanguageConfigFileName; // "VADE_PDFUsedStringConfig/LanguagePDFConfig.xml"

// Fills PdfTextTable in the language LanguageIndex chooses (any value outside
// 0..4 reads English). Elements without "Item" are left out. A missing or
// malformed file shows "LanguageConfig.xml File Not Found！" (caption
// "Warning", OK and Cancel) and leaves the table as it was; returns false
// then. A file without USER-DEF or DID leaves the table empty, without a box.
bool LoadPdfLanguageConfig();

// Row `row` of PdfTextTable; empty for a negative row or one past the end.
std::string PdfText(int row);
