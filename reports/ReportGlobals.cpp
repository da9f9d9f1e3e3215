#include "ReportGlobals.h"

std::vector<_tagSAVELANGUAGEdesc_> PdfTextTable;
