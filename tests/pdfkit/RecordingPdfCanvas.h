// A PdfCanvas that writes nothing and records every call, for layout tests:
// which text stands where, in which font and size, which picture is drawn
// where, which lines are stroked. Pages are A4 with libharu's sizes
// (595.276 x 841.89 points, landscape swapped).
#pragma once

#include <set>
#include <string>
#include <vector>

#include "PdfCanvas.h"

namespace pdfkit {

using tarvel::report::PdfCanvas;
using tarvel::report::PdfImage;
using tarvel::report::PdfOrientation;
using tarvel::report::PdfPageSize;
using tarvel::report::ReportFont;

enum class CallKind {
    AddPage, SetFont, SetFontSize, BeginText, EndText, TextOut, MoveTextPos, ShowText,
    LoadImage, DrawImage, SetLineWidth, MoveTo, LineTo, Stroke, Save,
};

struct RecordedCall {
    CallKind kind = CallKind::AddPage;
    int page = 0;          // 1-based page the call was made on (0 before the first page)
    float x = 0, y = 0;    // position, or move (MoveTextPos)
    float width = 0, height = 0; // DrawImage; LineWidth in width
    std::string text;      // UTF-8 text as passed (TextOut, ShowText), file (LoadImage, Save)
    ReportFont font;       // the font in force
    float size = 0;        // the font size in force
    int image = 0;         // image id (LoadImage result, DrawImage argument)
};

// The box a drawn text covers, in page coordinates (origin bottom left):
// from its start to its advance width, from the font's descent below the
// baseline to its ascent above, measured as the canvas draws it.
struct TextBox {
    float left = 0, bottom = 0, right = 0, top = 0;
};

// A placed text: TextOut, or ShowText at the position MoveTextPos set.
struct PlacedText {
    int page = 0;
    float x = 0, y = 0;
    std::string text;
    ReportFont font;
    float size = 0;
    TextBox box;
};

struct PlacedImage {
    int page = 0;
    std::string source; // the file name, or "built-in" for a picture from memory
    float x = 0, y = 0, width = 0, height = 0;
};

struct Segment {
    int page = 0;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    float lineWidth = 0;
};

class RecordingPdfCanvas : public PdfCanvas {
public:
    // `valid` false stands for a document that could not be created.
    explicit RecordingPdfCanvas(bool valid = true) : valid_(valid) {}

    // Picture files whose load fails although they exist (a file that does not
    // exist or is empty always fails).
    void FailPicture(const std::string& path) { failing_.insert(path); }
    // Result of SaveToFile (saved by default; false: an input/output
    // error); nothing is ever written.
    void SetSaveResult(bool ok) { saveResult_ = ok; }

    const std::vector<RecordedCall>& Calls() const { return calls_; }
    std::vector<PlacedText> Texts() const;
    std::vector<PlacedImage> DrawnImages() const;
    // Segments of every stroked path (segments of a path not stroked are left out).
    std::vector<Segment> StrokedSegments() const;
    int PageCount() const { return pages_; }
    // The texts placed at (x, y) within 0.01 points, on any page.
    std::vector<std::string> TextsAt(float x, float y) const;
    // True while every BeginText has had its EndText and no text was placed
    // outside a text block.
    bool TextBlocksBalanced() const { return balanced_ && !inText_; }

    bool Valid() const override { return valid_; }
    void AddPage(PdfPageSize size, PdfOrientation orientation) override;
    float PageWidth() const override;
    float PageHeight() const override;
    void SetFont(const ReportFont& font, float size) override;
    void SetFontSize(float size) override;
    ReportFont Font() const override { return font_; }
    float FontSize() const override { return size_; }
    void BeginText() override;
    void EndText() override;
    void TextOut(float x, float y, const std::string& utf8) override;
    void MoveTextPos(float dx, float dy) override;
    void ShowText(const std::string& utf8) override;
    PdfImage LoadPngFile(const std::string& path) override;
    PdfImage LoadJpegFile(const std::string& path) override;
    PdfImage LoadJpegMemory(const unsigned char* data, size_t size) override;
    void DrawImage(PdfImage image, float x, float y, float width, float height) override;
    void SetLineWidth(float width) override;
    void MoveTo(float x, float y) override;
    void LineTo(float x, float y) override;
    void Stroke() override;
    tarvel::SaveResult SaveToFile(const std::string& path) override;

private:
    RecordedCall Make(CallKind kind) const;
    PdfImage LoadFile(const std::string& path);

    bool valid_;
    bool saveResult_ = true;
    std::set<std::string> failing_;
    std::vector<RecordedCall> calls_;
    std::vector<std::string> imageSources_; // id N is imageSources_[N - 1]
    int pages_ = 0;
    bool landscape_ = false;
    ReportFont font_;
    float size_ = 0;
    bool inText_ = false;
    bool balanced_ = true;
    float lineX_ = 0, lineY_ = 0; // start of the current text line
};

} // namespace pdfkit
