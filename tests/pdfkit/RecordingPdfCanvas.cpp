#include "RecordingPdfCanvas.h"

#include "TextMeasure.h"

#include <cmath>
#include <filesystem>
#include <system_error>

namespace pdfkit {

namespace {
constexpr float kA4Short = 595.276f;
constexpr float kA4Long = 841.89f;
} // namespace

RecordedCall RecordingPdfCanvas::Make(CallKind kind) const
{
    RecordedCall call;
    call.kind = kind;
    call.page = pages_;
    call.font = font_;
    call.size = size_;
    return call;
}

void RecordingPdfCanvas::AddPage(PdfPageSize, PdfOrientation orientation)
{
    if (!valid_) return;
    ++pages_;
    landscape_ = orientation == PdfOrientation::Landscape;
    font_ = ReportFont{};
    size_ = 0;
    calls_.push_back(Make(CallKind::AddPage));
}

float RecordingPdfCanvas::PageWidth() const { return pages_ == 0 ? 0.0f : (landscape_ ? kA4Long : kA4Short); }
float RecordingPdfCanvas::PageHeight() const { return pages_ == 0 ? 0.0f : (landscape_ ? kA4Short : kA4Long); }

void RecordingPdfCanvas::SetFont(const ReportFont& font, float size)
{
    if (!valid_ || pages_ == 0) return;
    font_ = font;
    size_ = size;
    calls_.push_back(Make(CallKind::SetFont));
}

void RecordingPdfCanvas::SetFontSize(float size)
{
    if (!valid_ || pages_ == 0) return;
    size_ = size;
    calls_.push_back(Make(CallKind::SetFontSize));
}

void RecordingPdfCanvas::BeginText()
{
    if (!valid_ || pages_ == 0) return;
    if (inText_) balanced_ = false;
    inText_ = true;
    lineX_ = lineY_ = 0;
    calls_.push_back(Make(CallKind::BeginText));
}

void RecordingPdfCanvas::EndText()
{
    if (!valid_ || pages_ == 0) return;
    if (!inText_) balanced_ = false;
    inText_ = false;
    calls_.push_back(Make(CallKind::EndText));
}

void RecordingPdfCanvas::TextOut(float x, float y, const std::string& utf8)
{
    if (!valid_ || pages_ == 0) return;
    if (!inText_) balanced_ = false;
    lineX_ = x;
    lineY_ = y;
    auto call = Make(CallKind::TextOut);
    call.x = x;
    call.y = y;
    call.text = utf8;
    calls_.push_back(call);
}

void RecordingPdfCanvas::MoveTextPos(float dx, float dy)
{
    if (!valid_ || pages_ == 0) return;
    lineX_ += dx;
    lineY_ += dy;
    auto call = Make(CallKind::MoveTextPos);
    call.x = dx;
    call.y = dy;
    calls_.push_back(call);
}

void RecordingPdfCanvas::ShowText(const std::string& utf8)
{
    if (!valid_ || pages_ == 0) return;
    if (!inText_) balanced_ = false;
    auto call = Make(CallKind::ShowText);
    call.x = lineX_;
    call.y = lineY_;
    call.text = utf8;
    calls_.push_back(call);
}

PdfImage RecordingPdfCanvas::LoadFile(const std::string& path)
{
    if (!valid_) return {};
    std::error_code ec;
    const auto fsPath = std::filesystem::u8path(path);
    const bool readable = std::filesystem::is_regular_file(fsPath, ec) && std::filesystem::file_size(fsPath, ec) > 0;
    auto call = Make(CallKind::LoadImage);
    call.text = path;
    if (!readable || failing_.count(path)) {
        calls_.push_back(call);
        return {};
    }
    imageSources_.push_back(path);
    call.image = static_cast<int>(imageSources_.size());
    calls_.push_back(call);
    return {call.image, 0, 0};
}

PdfImage RecordingPdfCanvas::LoadPngFile(const std::string& path) { return LoadFile(path); }
PdfImage RecordingPdfCanvas::LoadJpegFile(const std::string& path) { return LoadFile(path); }

PdfImage RecordingPdfCanvas::LoadJpegMemory(const unsigned char* data, size_t size)
{
    if (!valid_ || !data || size == 0) return {};
    imageSources_.push_back("built-in");
    auto call = Make(CallKind::LoadImage);
    call.text = "built-in";
    call.image = static_cast<int>(imageSources_.size());
    calls_.push_back(call);
    return {call.image, 0, 0};
}

void RecordingPdfCanvas::DrawImage(PdfImage image, float x, float y, float width, float height)
{
    if (!valid_ || pages_ == 0 || image.id <= 0 || static_cast<size_t>(image.id) > imageSources_.size()) return;
    auto call = Make(CallKind::DrawImage);
    call.x = x;
    call.y = y;
    call.width = width;
    call.height = height;
    call.image = image.id;
    calls_.push_back(call);
}

void RecordingPdfCanvas::SetLineWidth(float width)
{
    if (!valid_ || pages_ == 0) return;
    auto call = Make(CallKind::SetLineWidth);
    call.width = width;
    calls_.push_back(call);
}

void RecordingPdfCanvas::MoveTo(float x, float y)
{
    if (!valid_ || pages_ == 0) return;
    auto call = Make(CallKind::MoveTo);
    call.x = x;
    call.y = y;
    calls_.push_back(call);
}

void RecordingPdfCanvas::LineTo(float x, float y)
{
    if (!valid_ || pages_ == 0) return;
    auto call = Make(CallKind::LineTo);
    call.x = x;
    call.y = y;
    calls_.push_back(call);
}

void RecordingPdfCanvas::Stroke()
{
    if (!valid_ || pages_ == 0) return;
    calls_.push_back(Make(CallKind::Stroke));
}

tarvel::SaveResult RecordingPdfCanvas::SaveToFile(const std::string& path)
{
    const tarvel::SaveResult failed(std::make_error_code(std::errc::io_error));
    if (!valid_) return failed;
    auto call = Make(CallKind::Save);
    call.text = path;
    calls_.push_back(call);
    return saveResult_ ? tarvel::SaveResult() : failed;
}

std::vector<PlacedText> RecordingPdfCanvas::Texts() const
{
    std::vector<PlacedText> texts;
    for (const auto& c : calls_) {
        if (c.kind == CallKind::TextOut || c.kind == CallKind::ShowText) {
            const tarvel::report::TextExtent extent = tarvel::report::MeasureText(c.font, c.size, c.text);
            const TextBox box{c.x, c.y - extent.descent, c.x + extent.width, c.y + extent.ascent};
            texts.push_back({c.page, c.x, c.y, c.text, c.font, c.size, box});
        }
    }
    return texts;
}

std::vector<PlacedImage> RecordingPdfCanvas::DrawnImages() const
{
    std::vector<PlacedImage> images;
    for (const auto& c : calls_) {
        if (c.kind == CallKind::DrawImage) {
            images.push_back({c.page, imageSources_[static_cast<size_t>(c.image) - 1], c.x, c.y, c.width, c.height});
        }
    }
    return images;
}

std::vector<Segment> RecordingPdfCanvas::StrokedSegments() const
{
    std::vector<Segment> stroked, path;
    float x = 0, y = 0, lineWidth = 1;
    for (const auto& c : calls_) {
        switch (c.kind) {
        case CallKind::AddPage:
            path.clear();
            lineWidth = 1;
            break;
        case CallKind::SetLineWidth:
            lineWidth = c.width;
            break;
        case CallKind::MoveTo:
            x = c.x;
            y = c.y;
            break;
        case CallKind::LineTo:
            path.push_back({c.page, x, y, c.x, c.y, lineWidth});
            x = c.x;
            y = c.y;
            break;
        case CallKind::Stroke:
            stroked.insert(stroked.end(), path.begin(), path.end());
            path.clear();
            break;
        default:
            break;
        }
    }
    return stroked;
}

std::vector<std::string> RecordingPdfCanvas::TextsAt(float x, float y) const
{
    std::vector<std::string> found;
    for (const auto& t : Texts()) {
        if (std::fabs(t.x - x) < 0.01f && std::fabs(t.y - y) < 0.01f) found.push_back(t.text);
    }
    return found;
}

} // namespace pdfkit
