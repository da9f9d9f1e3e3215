#include "HaruPdfCanvas.h"

#include <hpdf.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "HaruFonts.h"
#include "Log.h"

namespace tarvel::report {

namespace {

std::string Hex(unsigned long value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04lX", value);
    return text;
}

// The whole file, or nothing when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes)
{
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// libharu hands a PNG to libpng without a way back from libpng's errors: a
// damaged file ends the program. So every PNG is decoded once here first, with
// libpng's own guarded reader, and only a file that decodes is passed on.
bool PngDecodes(const std::vector<unsigned char>& bytes, std::string& why)
{
    constexpr size_t kLargestPicture = 64u * 1024u * 1024u; // bytes of decoded pixels
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        why = image.message;
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    const size_t size = PNG_IMAGE_SIZE(image);
    if (size == 0 || size > kLargestPicture) {
        why = "picture too large";
        png_image_free(&image);
        return false;
    }
    std::vector<unsigned char> pixels(size);
    const bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    if (!ok) why = image.message;
    png_image_free(&image);
    return ok;
}

} // namespace

struct HaruPdfCanvas::Impl {
    HPDF_Doc doc = nullptr;
    HPDF_Page page = nullptr;
    HPDF_Font font = nullptr;
    ReportFont fontSpec;
    float fontSize = 0;
    std::vector<HPDF_Image> images; // id N is images[N - 1]
    unsigned long lastError = 0;
    HaruFonts fonts{nullptr};

    Impl()
    {
        doc = HPDF_New(OnError, this);
        fonts = HaruFonts(doc);
        if (!doc) {
            TraceLog("report: libharu could not create a document");
            return;
        }
        HPDF_SetCompressionMode(doc, HPDF_COMP_ALL);
        HPDF_SetPageMode(doc, HPDF_PAGE_MODE_USE_OUTLINE);
        HPDF_UseCNSFonts(doc);
        HPDF_UseCNSEncodings(doc);
        HPDF_UseUTFEncodings(doc); // the Unicode font's
    }

    static void HPDF_STDCALL OnError(HPDF_STATUS errorNo, HPDF_STATUS detailNo, void* userData)
    {
        static_cast<Impl*>(userData)->lastError = errorNo;
        TraceLog("report: libharu error " + Hex(errorNo) + " detail " + std::to_string(detailNo));
    }

    ~Impl()
    {
        if (doc) HPDF_Free(doc);
    }

    // A failed load leaves an error in the document, and libharu then refuses
    // to save it: forget that error, the picture is simply not drawn.
    PdfImage Keep(HPDF_Image image, const std::string& what)
    {
        if (!image) {
            TraceLog("report: picture not loaded, skipped: " + what + " (libharu error " + Hex(lastError) + ")");
            HPDF_ResetError(doc);
            return {};
        }
        images.push_back(image);
        return {static_cast<int>(images.size()), static_cast<int>(HPDF_Image_GetWidth(image)),
                static_cast<int>(HPDF_Image_GetHeight(image))};
    }

    // Draws `utf8` in the current font at (x, y), or, without a position,
    // where the last text ended. Runs in another font (the Latin runs of
    // Chinese text) switch the font for their part and back afterwards.
    void Show(const float* x, const float* y, const std::string& utf8)
    {
        const std::vector<FontRun> runs = FontRuns(fontSpec, utf8);
        if (runs.empty() || (runs.size() == 1 && runs[0].font == fontSpec)) {
            const std::string bytes = EncodeForFont(utf8, fontSpec);
            if (x)
                HPDF_Page_TextOut(page, *x, *y, bytes.c_str());
            else
                HPDF_Page_ShowText(page, bytes.c_str());
            return;
        }
        bool first = true;
        for (const FontRun& run : runs) {
            ReportFont spec = run.font;
            HPDF_Font f = spec == fontSpec ? font : fonts.Get(spec);
            if (!f)
                continue;
            HPDF_Page_SetFontAndSize(page, f, fontSize);
            const std::string bytes = EncodeForFont(run.text, spec);
            if (first && x)
                HPDF_Page_TextOut(page, *x, *y, bytes.c_str());
            else
                HPDF_Page_ShowText(page, bytes.c_str());
            first = false;
        }
        HPDF_Page_SetFontAndSize(page, font, fontSize);
    }
};

HaruPdfCanvas::HaruPdfCanvas() : impl_(std::make_unique<Impl>()) {}
HaruPdfCanvas::~HaruPdfCanvas() = default;

bool HaruPdfCanvas::Valid() const { return impl_->doc != nullptr; }
unsigned long HaruPdfCanvas::LastError() const { return impl_->lastError; }

void HaruPdfCanvas::AddPage(PdfPageSize, PdfOrientation orientation)
{
    if (!impl_->doc) return;
    impl_->page = HPDF_AddPage(impl_->doc);
    if (!impl_->page) return;
    HPDF_Page_SetSize(impl_->page, HPDF_PAGE_SIZE_A4,
                      orientation == PdfOrientation::Landscape ? HPDF_PAGE_LANDSCAPE : HPDF_PAGE_PORTRAIT);
    impl_->font = nullptr;
}

float HaruPdfCanvas::PageWidth() const { return impl_->page ? HPDF_Page_GetWidth(impl_->page) : 0.0f; }
float HaruPdfCanvas::PageHeight() const { return impl_->page ? HPDF_Page_GetHeight(impl_->page) : 0.0f; }

void HaruPdfCanvas::SetFont(const ReportFont& font, float size)
{
    if (!impl_->page) return;
    ReportFont spec = font;
    HPDF_Font f = impl_->fonts.Get(spec);
    if (!f) return;
    impl_->font = f;
    impl_->fontSpec = spec;
    impl_->fontSize = size;
    HPDF_Page_SetFontAndSize(impl_->page, f, size);
}

void HaruPdfCanvas::SetFontSize(float size)
{
    if (!impl_->page || !impl_->font) return;
    impl_->fontSize = size;
    HPDF_Page_SetFontAndSize(impl_->page, impl_->font, size);
}

ReportFont HaruPdfCanvas::Font() const { return impl_->fontSpec; }
float HaruPdfCanvas::FontSize() const { return impl_->fontSize; }

void HaruPdfCanvas::BeginText()
{
    if (impl_->page) HPDF_Page_BeginText(impl_->page);
}

void HaruPdfCanvas::EndText()
{
    if (impl_->page) HPDF_Page_EndText(impl_->page);
}

void HaruPdfCanvas::TextOut(float x, float y, const std::string& utf8)
{
    if (!impl_->page || !impl_->font) return;
    impl_->Show(&x, &y, utf8);
}

void HaruPdfCanvas::MoveTextPos(float dx, float dy)
{
    if (impl_->page) HPDF_Page_MoveTextPos(impl_->page, dx, dy);
}

void HaruPdfCanvas::ShowText(const std::string& utf8)
{
    if (!impl_->page || !impl_->font) return;
    impl_->Show(nullptr, nullptr, utf8);
}

PdfImage HaruPdfCanvas::LoadPngFile(const std::string& path)
{
    if (!impl_->doc) return {};
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, bytes) || bytes.empty()) {
        TraceLog("report: picture missing or unreadable, skipped: " + path);
        return {};
    }
    std::string why;
    if (!PngDecodes(bytes, why)) {
        TraceLog("report: picture damaged, skipped: " + path + " (" + why + ")");
        return {};
    }
    return impl_->Keep(HPDF_LoadPngImageFromMem(impl_->doc, bytes.data(), static_cast<HPDF_UINT>(bytes.size())), path);
}

PdfImage HaruPdfCanvas::LoadJpegFile(const std::string& path)
{
    if (!impl_->doc) return {};
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, bytes) || bytes.empty()) {
        TraceLog("report: picture missing or unreadable, skipped: " + path);
        return {};
    }
    return impl_->Keep(HPDF_LoadJpegImageFromMem(impl_->doc, bytes.data(), static_cast<HPDF_UINT>(bytes.size())),
                       path);
}

PdfImage HaruPdfCanvas::LoadJpegMemory(const unsigned char* data, size_t size)
{
    if (!impl_->doc || !data || size == 0) return {};
    return impl_->Keep(HPDF_LoadJpegImageFromMem(impl_->doc, data, static_cast<HPDF_UINT>(size)), "built-in picture");
}

void HaruPdfCanvas::DrawImage(PdfImage image, float x, float y, float width, float height)
{
    if (!impl_->page || image.id <= 0 || static_cast<size_t>(image.id) > impl_->images.size()) return;
    HPDF_Page_DrawImage(impl_->page, impl_->images[static_cast<size_t>(image.id) - 1], x, y, width, height);
}

void HaruPdfCanvas::SetLineWidth(float width)
{
    if (impl_->page) HPDF_Page_SetLineWidth(impl_->page, width);
}

void HaruPdfCanvas::MoveTo(float x, float y)
{
    if (impl_->page) HPDF_Page_MoveTo(impl_->page, x, y);
}

void HaruPdfCanvas::LineTo(float x, float y)
{
    if (impl_->page) HPDF_Page_LineTo(impl_->page, x, y);
}

void HaruPdfCanvas::Stroke()
{
    if (impl_->page) HPDF_Page_Stroke(impl_->page);
}

namespace {

// libharu's own error numbers, as the reason a document could not be saved.
class HaruErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "libharu"; }
    std::string message(int code) const override
    {
        return "the PDF document could not be built (libharu error " + Hex(static_cast<unsigned long>(code)) + ")";
    }
};

const std::error_category& HaruErrors()
{
    static const HaruErrorCategory category;
    return category;
}

} // namespace

tarvel::SaveResult HaruPdfCanvas::SaveToFile(const std::string& path)
{
    const auto refused = [this] {
        TraceLog("report: the document could not be written (libharu error " + Hex(impl_->lastError) + ")");
        return tarvel::SaveResult(std::error_code(static_cast<int>(impl_->lastError ? impl_->lastError : 1),
                                                  HaruErrors()));
    };
    if (!impl_->doc) return refused();
    // Saved through the library's memory stream and written here, so a UTF-8
    // file name works on every platform and the older file is only replaced
    // by a complete one.
    if (HPDF_SaveToStream(impl_->doc) != HPDF_OK) return refused();
    const HPDF_UINT32 size = HPDF_GetStreamSize(impl_->doc);
    std::vector<unsigned char> bytes(size);
    HPDF_ResetStream(impl_->doc);
    HPDF_UINT32 done = 0;
    while (done < size) {
        HPDF_UINT32 chunk = size - done;
        HPDF_ReadFromStream(impl_->doc, bytes.data() + done, &chunk);
        if (chunk == 0) break;
        done += chunk;
    }
    if (done != size || size == 0) return refused();
    return tarvel::SaveFileReplacing(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), size));
}

} // namespace tarvel::report
