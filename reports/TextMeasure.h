// How much room a text takes when it is drawn: its advance width and the
// height of its font above and below the baseline, from the same font
// metrics the PDF canvas draws with (libharu's). The measure knows the Latin
// runs of Chinese text (FontRuns).
#pragma once

#include <string_view>

#include "ReportFonts.h"

namespace tarvel::report {

struct TextExtent {
    float width = 0;   // points
    float ascent = 0;  // points above the baseline
    float descent = 0; // points below the baseline (positive)
};

// `utf8` in `font` at `size` points. A text of several runs takes the sum of
// their widths and the largest ascent and descent of the fonts it uses; an
// empty text has width 0 and the font's ascent and descent.
TextExtent MeasureText(const ReportFont& font, float size, std::string_view utf8);

} // namespace tarvel::report
