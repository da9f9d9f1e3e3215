// The brands a report can be printed under: the maker's own (0) and two
// further brands (1, 2) that use the logo file beside the program. Both PDF
// writers take their title word from here.
#pragma once

#include <string>

namespace tarvel::report {

// The brand word that starts a report title, ending in a blank: "Morvane "
// for 0 and any index other than 1 and 2.
std::string BrandWord(int brandIndex);

} // namespace tarvel::report
