// The libharu fonts of one document, for the canvas that draws with them and
// for the measuring of text: each font is fetched (a TrueType file loaded and
// embedded) once, and a font that cannot be had falls back to Helvetica.
#pragma once

#include <hpdf.h>

#include <map>
#include <string>

#include "ReportFonts.h"

namespace tarvel::report {

class HaruFonts {
public:
    explicit HaruFonts(HPDF_Doc doc) : doc_(doc) {}

    // The library's font for `spec`; `spec` becomes the font actually used
    // (Helvetica when the one asked for is not available). Null only when
    // the document has failed.
    HPDF_Font Get(ReportFont& spec);

private:
    HPDF_Doc doc_;
    std::map<std::string, std::string> trueTypeNames_; // file -> name libharu gave it ("" when it failed)
};

} // namespace tarvel::report
