// The PDF canvas over libharu. The document is created in the constructor
// (every kind of stream compressed, the outline pane shown, the simplified-
// Chinese fonts and encodings and UTF-8 enabled) and freed in the destructor, so no
// path leaks it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PdfCanvas.h"

namespace tarvel::report {

class HaruPdfCanvas : public PdfCanvas {
public:
    HaruPdfCanvas();
    ~HaruPdfCanvas() override;
    HaruPdfCanvas(const HaruPdfCanvas&) = delete;
    HaruPdfCanvas& operator=(const HaruPdfCanvas&) = delete;

    bool Valid() const override;
    void AddPage(PdfPageSize size, PdfOrientation orientation) override;
    float PageWidth() const override;
    float PageHeight() const override;
    void SetFont(const ReportFont& font, float size) override;
    void SetFontSize(float size) override;
    ReportFont Font() const override;
    float FontSize() const override;
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

    // The last error code libharu reported (0 when none), for diagnostics.
    unsigned long LastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tarvel::report
