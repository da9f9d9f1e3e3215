#include "TextMeasure.h"

#include "HaruFonts.h"

#include <algorithm>
#include <mutex>

namespace tarvel::report {

namespace {

void HPDF_STDCALL IgnoreError(HPDF_STATUS, HPDF_STATUS, void*) {}

// One document, never saved, that holds the fonts for measuring. Drawing
// threads are not expected, but the lock keeps a second one safe.
class Metrics {
public:
    Metrics() : doc_(HPDF_New(IgnoreError, nullptr)), fonts_(doc_)
    {
        if (doc_) {
            HPDF_UseCNSFonts(doc_);
            HPDF_UseCNSEncodings(doc_);
            HPDF_UseUTFEncodings(doc_);
        }
    }
    ~Metrics()
    {
        if (doc_)
            HPDF_Free(doc_);
    }
    Metrics(const Metrics&) = delete;
    Metrics& operator=(const Metrics&) = delete;

    TextExtent Measure(const ReportFont& font, float size, std::string_view utf8)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        TextExtent extent;
        const auto addFont = [&](HPDF_Font f) {
            extent.ascent = std::max(extent.ascent, static_cast<float>(HPDF_Font_GetAscent(f)) * size / 1000.0f);
            extent.descent = std::max(extent.descent, -static_cast<float>(HPDF_Font_GetDescent(f)) * size / 1000.0f);
        };
        if (utf8.empty()) {
            ReportFont spec = font;
            if (HPDF_Font f = fonts_.Get(spec))
                addFont(f);
            return extent;
        }
        for (const FontRun& run : FontRuns(font, utf8)) {
            ReportFont spec = run.font;
            HPDF_Font f = fonts_.Get(spec);
            if (!f)
                continue;
            addFont(f);
            const std::string bytes = EncodeForFont(run.text, spec);
            const HPDF_TextWidth w =
                HPDF_Font_TextWidth(f, reinterpret_cast<const HPDF_BYTE*>(bytes.data()), static_cast<HPDF_UINT>(bytes.size()));
            extent.width += static_cast<float>(w.width) * size / 1000.0f;
        }
        return extent;
    }

private:
    std::mutex mutex_;
    HPDF_Doc doc_;
    HaruFonts fonts_;
};

} // namespace

TextExtent MeasureText(const ReportFont& font, float size, std::string_view utf8)
{
    static Metrics metrics;
    return metrics.Measure(font, size, utf8);
}

} // namespace tarvel::report
