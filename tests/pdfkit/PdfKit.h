// Looks into a produced PDF file with the poppler and qpdf command-line tools
// and returns what they print in a form tests can assert on.
//
//   pdfinfo            -> PdfInfo      (page count, every page's size)
//   pdffonts           -> PdfFont rows (name, type, encoding, embedded, subset)
//   pdftotext -layout  -> the page text as UTF-8
//   pdftotext -bbox    -> PdfWord rows (each word with its box, top-left origin)
//   pdfimages -list    -> PdfImageRow rows (page, pixel size, colour, encoding)
//   pdftoppm -png      -> the pages as pictures for a person to look at
//   qpdf --check       -> PdfCheck (clean or not, with qpdf's words)
#pragma once

#include <string>
#include <vector>

namespace pdfkit {

struct CommandResult {
    int exitCode = -1;  // -1 when the command could not be run
    std::string output; // standard output (with standard error when asked)
};

// Runs argv[0] with the other arguments (no shell expansion of the arguments).
CommandResult RunCommand(const std::vector<std::string>& argv, bool withStandardError = false);

// True when pdfinfo, pdffonts, pdftotext, pdfimages, pdftoppm and qpdf can all be run.
bool ToolsAvailable();

struct PdfPageBox {
    double width = 0;  // points
    double height = 0; // points
};

struct PdfInfo {
    bool ok = false; // pdfinfo read the file
    int pages = 0;
    std::vector<PdfPageBox> pageSizes; // one per page, in order
    std::string raw;                   // pdfinfo's own text
};
PdfInfo Info(const std::string& pdfPath);

struct PdfFont {
    std::string name;     // as pdffonts prints it, subset prefix included ("ABCDEF+DejaVuSans")
    std::string type;     // "Type 1", "CID Type 0", "TrueType", ...
    std::string encoding; // "WinAnsi", "GBK-EUC-H", "Custom", ...
    bool embedded = false;
    bool subset = false;
    bool toUnicode = false;
};
std::vector<PdfFont> Fonts(const std::string& pdfPath);
// The font name without a subset prefix ("ABCDEF+DejaVuSans" -> "DejaVuSans").
std::string BaseFontName(const std::string& name);

// pdftotext -layout -enc UTF-8 of one page (1-based) or, with 0, of all pages.
std::string Text(const std::string& pdfPath, int page = 0);

struct PdfWord {
    int page = 0; // 1-based
    std::string text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0; // points, origin at the top-left corner
};
std::vector<PdfWord> Words(const std::string& pdfPath);
// The words of `text` (split at blanks) found one after the other on one
// line of one page; the box of each. Empty when they are not there.
std::vector<PdfWord> FindPhrase(const std::vector<PdfWord>& words, const std::string& text);

struct PdfImageRow {
    int page = 0;
    std::string type; // "image", "smask", ...
    int width = 0;    // pixels
    int height = 0;   // pixels
    std::string color; // "rgb", "gray", ...
    int components = 0;
    int bitsPerComponent = 0;
    std::string encoding; // "jpeg", "image" (flate), ...
};
std::vector<PdfImageRow> Images(const std::string& pdfPath);

// pdftoppm: every page as a PNG picture "<prefix>-<page>.png" at `dpi`
// (pdftoppm pads the page number with zeros for documents of ten pages or
// more). Returns the files written, in page order.
std::vector<std::string> RenderPages(const std::string& pdfPath, const std::string& prefix, int dpi = 72);

struct PdfCheck {
    bool clean = false; // qpdf exited 0 and printed no warning
    int exitCode = -1;
    std::string output;
};
PdfCheck Check(const std::string& pdfPath);

} // namespace pdfkit
