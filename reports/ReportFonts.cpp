#include "ReportFonts.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "Log.h"
#include "ProgramPaths.h"
#include "TextCodec.h"

namespace tarvel::report {

namespace {

constexpr int kChinese = 0;
constexpr int kRussian = 2;
constexpr int kCodePageCyrillic = 1251;

bool IsFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(std::filesystem::u8path(path), ec);
}

} // namespace

ReportFont WesternReportFont() { return {FontSource::Base14, "Helvetica", "WinAnsiEncoding", kCodePageWestern}; }

ReportFont ReportFontForLanguage(int languageIndex)
{
    if (languageIndex == kChinese) return {FontSource::Cns, "SimSun", "GBK-EUC-H", kCodePageGbk};
    if (languageIndex == kRussian) {
        const std::string file = CyrillicFontFile();
        if (!file.empty()) return {FontSource::TrueType, file, "CP1251", kCodePageCyrillic};
        TraceLog("report: no Cyrillic TrueType font found; Russian text falls back to Helvetica");
    }
    return WesternReportFont();
}

std::string EncodeForFont(std::string_view utf8, const ReportFont& font)
{
    return Utf8ToCodePage(utf8, font.codePage);
}

std::vector<FontRun> FontRuns(const ReportFont& font, std::string_view utf8)
{
    std::vector<FontRun> runs;
    if (utf8.empty())
        return runs;
    if (font.source != FontSource::Cns) {
        runs.push_back({font, std::string(utf8)});
        return runs;
    }
    const ReportFont latin = WesternReportFont();
    for (size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const bool ascii = byte >= 0x20 && byte < 0x7F;
        size_t end = i + 1;
        while (end < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[end]);
            const bool nextAscii = next >= 0x20 && next < 0x7F;
            if (nextAscii != ascii)
                break;
            ++end;
        }
        runs.push_back({ascii ? latin : font, std::string(utf8.substr(i, end - i))});
        i = end;
    }
    return runs;
}

std::string CyrillicFontFile()
{
    if (const char* env = std::getenv("TARVEL_CYRILLIC_FONT"); env && IsFile(env)) return env;
    const std::string candidates[] = {
        ProgramDataPath("fonts/DejaVuSans.ttf"),
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "/usr/share/fonts/dejavu/DejaVuSans.ttf",
        "C:/Windows/Fonts/DejaVuSans.ttf",
        "C:/Windows/Fonts/arial.ttf",
    };
    for (const auto& path : candidates) {
        if (IsFile(path)) return path;
    }
    return std::string();
}

} // namespace tarvel::report
