// The drawing surface of the PDF reports: one document, its pages, fonts,
// text, pictures and lines. HaruPdfCanvas writes a real PDF through libharu;
// tests record the calls with a fake to check the layout.
//
// Coordinates are PDF points with the origin at the bottom-left corner of the
// page. Text is passed as UTF-8 and converted at the canvas into the code page
// of the current font; what that page cannot hold is drawn in a font that can
// (FontRuns).
#pragma once

#include <cstddef>
#include <string>

#include "FileSave.h"
#include "ReportFonts.h"

namespace tarvel::report {

enum class PdfPageSize { A4 };
enum class PdfOrientation { Portrait, Landscape };

// A picture loaded into the document; id 0 means "no picture".
struct PdfImage {
    int id = 0;
    int width = 0;  // pixels
    int height = 0; // pixels
    explicit operator bool() const { return id != 0; }
};

class PdfCanvas {
public:
    virtual ~PdfCanvas() = default;

    // False when the document could not be created; every call is then a no-op.
    virtual bool Valid() const = 0;

    // Adds a page and makes it the current one.
    virtual void AddPage(PdfPageSize size, PdfOrientation orientation) = 0;
    // Size of the current page in points (0 without a page).
    virtual float PageWidth() const = 0;
    virtual float PageHeight() const = 0;

    // Font and size of the following text; SetFontSize keeps the font.
    virtual void SetFont(const ReportFont& font, float size) = 0;
    virtual void SetFontSize(float size) = 0;
    // The font and size in force (after a fallback, the font actually used).
    virtual ReportFont Font() const = 0;
    virtual float FontSize() const = 0;

    // Text is placed between BeginText and EndText.
    virtual void BeginText() = 0;
    virtual void EndText() = 0;
    virtual void TextOut(float x, float y, const std::string& utf8) = 0;
    // Moves the text position by (dx, dy) from the start of the current line
    // (from the origin at the start of a text block), then shows text there.
    virtual void MoveTextPos(float dx, float dy) = 0;
    virtual void ShowText(const std::string& utf8) = 0;

    // Pictures. A failed load gives PdfImage{} and leaves the document valid.
    // `path` is a UTF-8 file name.
    virtual PdfImage LoadPngFile(const std::string& path) = 0;
    virtual PdfImage LoadJpegFile(const std::string& path) = 0;
    virtual PdfImage LoadJpegMemory(const unsigned char* data, size_t size) = 0;
    // Draws with the lower-left corner at (x, y), scaled to width x height
    // points. An empty image draws nothing.
    virtual void DrawImage(PdfImage image, float x, float y, float width, float height) = 0;

    // Lines: segments are collected into one path and drawn by Stroke.
    virtual void SetLineWidth(float width) = 0;
    virtual void MoveTo(float x, float y) = 0;
    virtual void LineTo(float x, float y) = 0;
    virtual void Stroke() = 0;

    // Writes the document to `path` (UTF-8) through SaveFileReplacing: a
    // failure leaves an older file as it was and says why.
    virtual tarvel::SaveResult SaveToFile(const std::string& path) = 0;
};

// Layout helpers for the writers, which measure from the top of the page:
// y = page height - v.
void TextOutFromTop(PdfCanvas& canvas, float x, float v, const std::string& utf8);
void DrawImageFromTop(PdfCanvas& canvas, PdfImage image, float x, float v, float width, float height);

} // namespace tarvel::report
