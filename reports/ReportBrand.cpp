#include "ReportBrand.h"

namespace tarvel::report {

std::string BrandWord(int brandIndex)
{
    switch (brandIndex) {
    case 1: return "Calvreth ";
    case 2: return "Tessaline ";
    default: return "Morvane ";
    }
}

} // namespace tarvel::report
