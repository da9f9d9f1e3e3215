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
//
// A character the language's code page cannot hold (a Cyrillic name in an
// English report, a Chinese one in a Russian report) is drawn in a font that
// can: Chinese characters in the Chinese font, every other one in the
// Cyrillic font's TrueType file (embedded), in code page 1252 or 1251 where
// one of them holds it, else in UTF-8.
#pragma once

#include <cstdint>
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
    bool operator!=(const ReportFont& other) const { return !(*this == other); }
};

// The font of a language's report text. Russian needs a Cyrillic TrueType
// file (see CyrillicFontFile); without one it falls back to Helvetica, and
// its Cyrillic letters are drawn in the Chinese font (whose code page holds
// them).
ReportFont ReportFontForLanguage(int languageIndex);

// The Western font (Helvetica, WinAnsiEncoding), for texts that are ASCII in
// every language (digits, units).
ReportFont WesternReportFont();

// The Chinese font (SimSun, GBK-EUC-H), also for the Chinese characters of
// the other languages' texts.
ReportFont ChineseReportFont();

// The font of the characters no code page of the report fonts holds: the
// Cyrillic font's TrueType file (CyrillicFontFile) in UTF-8. Without that
// file there is none: `source` is Base14 and `name` empty.
ReportFont UnicodeReportFont();

// The Windows code page number that stands for UTF-8.
constexpr int kCodePageUtf8 = 65001;

// UTF-8 text in the font's code page; '?' for each character the page cannot
// hold (and for malformed input). A UTF-8 font takes the text as it is, but
// for characters beyond U+FFFF, which it cannot address.
std::string EncodeForFont(std::string_view utf8, const ReportFont& font);

// True when the code page of `font` holds the character `cp`.
bool FontHolds(const ReportFont& font, uint32_t cp);

// A piece of a text and the font it is drawn with.
struct FontRun {
    ReportFont font;
    std::string text; // UTF-8
};

// The runs a text is drawn in. With the Chinese font, every stretch of
// printable ASCII (Latin letters, digits, blanks, units, versions, the VIN) is
// drawn in the Western font: SimSun is not embedded, and its Latin glyphs
// would come out of a text extraction as full-width letters and would overlap
// where a viewer substitutes another font. Every character the font's code
// page holds stays in the font; the others are drawn in a font that holds
// them: a Chinese character (one of the Chinese code page) in the Chinese
// font, any other in the Cyrillic font's file (CP1252, CP1251, else the
// Unicode font); '?' only where there is no such font (or the character lies
// beyond U+FFFF, or the text is not UTF-8). Adjacent characters of one font
// make one run. An empty text gives no run.
std::vector<FontRun> FontRuns(const ReportFont& font, std::string_view utf8);

// The Cyrillic TrueType file: $TARVEL_CYRILLIC_FONT when it names a file, else
// fonts/DejaVuSans.ttf beside the program, else DejaVu Sans where Debian's
// fonts-dejavu-core puts it, else (Windows) Arial. Empty when none exists.
std::string CyrillicFontFile();

} // namespace tarvel::report
