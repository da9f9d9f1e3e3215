#include "CABSEOLReports.h"

CABSEOLReports::CABSEOLReports() : CTarvelPage(tarvel::TabEolReports) {}

