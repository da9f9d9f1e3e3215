// Which font and encoding the report text of each language is drawn with, and
// the conversion of UTF-8 text into that encoding.
//
//   Chinese (0):                       CNS font "SimSun", "GBK-EUC-H", code page 936
//   English, Spanish, Portuguese, any
//   other value:                       "Helvetica", "WinAnsiEncoding", code page 1252
//   Russian (2):                       DejaVu Sans (TrueType file, embedded), "CP1251",
//                                      code page 1251
//
// Helvetica cannot show Cyrillic, and ISO8859-2 turns "São" into "Săo";
// GB-EUC-H lacks part of code page 936, GBK-EUC-H holds all of it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvel::report {

enum class FontSource {
    Cns,       // the library's built-in simplified-Chinese fonts
    Base14,    // a standard PDF font every viewer has
    TrueType,  // a TrueType file loaded and embedded into the document
};

struct ReportFont {
    FontSource source = FontSource::Base14;
    std::string name;     // the font name the library knows ("SimSun", "Helvetica"; for TrueType its file)
    std::string encoding; // "GBK-EUC-H", "WinAnsiEncoding", "CP1251"
    int codePage = 1252;  // the Windows code page of that encoding

    bool operator==(const ReportFont& other) const
    {
        return source == other.source && name == other.name && encoding == other.encoding &&
               codePage == other.codePage;
    }
};

// The font of a language's report text. Russian needs a Cyrillic TrueType
// file (see CyrillicFontFile); without one it falls back to Helvetica, where
// Cyrillic letters print as '?'.
ReportFont ReportFontForLanguage(int languageIndex);

// The Western font (Helvetica, WinAnsiEncoding), for texts that are ASCII in
// every language (digits, units).
ReportFont WesternReportFont();

// UTF-8 text in the font's code page; '?' for each character the page cannot
// hold (and for malformed input).
std::string EncodeForFont(std::string_view utf8, const ReportFont& font);

// A piece of a text and the font it is drawn with.
struct FontRun {
    ReportFont font;
    std::string text; // UTF-8
};

// The runs a text is drawn in. With the Chinese font, every stretch of
// printable ASCII (Latin letters, digits, blanks, units, versions, the VIN) is
// drawn in the Western font: SimSun is not embedded, and its Latin glyphs
// would come out of a text extraction as full-width letters and would overlap
// where a viewer substitutes another font. Every other font draws the text as
// one run. An empty text gives no run.
std::vector<FontRun> FontRuns(const ReportFont& font, std::string_view utf8);

// The Cyrillic TrueType file: $TARVEL_CYRILLIC_FONT when it names a file, else
// fonts/DejaVuSans.ttf beside the program, else DejaVu Sans where Debian's
// fonts-dejavu-core puts it, else (Windows) Arial. Empty when none exists.
std::string CyrillicFontFile();

} // namespace tarvel::report
