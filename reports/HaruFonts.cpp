#include "HaruFonts.h"

#include "Log.h"

namespace tarvel::report {

HPDF_Font HaruFonts::Get(ReportFont& spec)
{
    if (!doc_)
        return nullptr;
    if (spec.source == FontSource::TrueType) {
        auto it = trueTypeNames_.find(spec.name);
        if (it == trueTypeNames_.end()) {
            const char* name = HPDF_LoadTTFontFromFile(doc_, spec.name.c_str(), HPDF_TRUE);
            it = trueTypeNames_.emplace(spec.name, name ? name : "").first;
            if (!name)
                HPDF_ResetError(doc_);
        }
        if (!it->second.empty()) {
            HPDF_Font f = HPDF_GetFont(doc_, it->second.c_str(), spec.encoding.c_str());
            if (f)
                return f;
            HPDF_ResetError(doc_);
        }
        TraceLog("report: font file not usable, Helvetica used instead: " + spec.name);
        spec = WesternReportFont();
    }
    HPDF_Font f = HPDF_GetFont(doc_, spec.name.c_str(), spec.encoding.c_str());
    if (!f) {
        HPDF_ResetError(doc_);
        TraceLog("report: font not available, Helvetica used instead: " + spec.name);
        spec = WesternReportFont();
        f = HPDF_GetFont(doc_, spec.name.c_str(), spec.encoding.c_str());
    }
    return f;
}

} // namespace tarvel::report
