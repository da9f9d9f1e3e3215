#include "ReportFonts.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>

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

constexpr uint32_t kNotUtf8 = 0xFFFFFFFFu;

// The character at `i` and where the next one starts; kNotUtf8 for a byte
// that does not start a well-formed UTF-8 sequence (the next one then starts
// right after it).
uint32_t CharacterAt(std::string_view utf8, size_t i, size_t& next)
{
    const auto lead = static_cast<unsigned char>(utf8[i]);
    next = i + 1;
    if (lead < 0x80)
        return lead;
    const size_t length = (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > utf8.size() || !IsValidUtf8(utf8.substr(i, length)))
        return kNotUtf8;
    uint32_t cp = length == 2 ? (lead & 0x1Fu) : length == 3 ? (lead & 0x0Fu) : (lead & 0x07u);
    for (size_t k = 1; k < length; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    next = i + length;
    return cp;
}

// Chinese characters and the marks of Chinese text: radicals, CJK symbols
// and punctuation, kana, bopomofo, ideographs, compatibility ideographs and
// forms, full-width forms.
bool IsChineseScript(uint32_t cp)
{
    return (cp >= 0x2E80 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) ||
           (cp >= 0xFF00 && cp <= 0xFFEF) || (cp >= 0x20000 && cp <= 0x3FFFF);
}

// Whether the code page holds a character, asked of the converter once per
// character and page.
bool CodePageHolds(int codePage, uint32_t cp, std::string_view utf8)
{
    static std::mutex mutex;
    static std::map<std::pair<int, uint32_t>, bool> known;
    std::lock_guard<std::mutex> lock(mutex);
    const auto key = std::make_pair(codePage, cp);
    auto it = known.find(key);
    if (it == known.end())
        it = known.emplace(key, Utf8ToCodePage(utf8, codePage) != "?").first;
    return it->second;
}

// The font that draws `cp`, which the language's `font` cannot hold.
ReportFont FallbackFor(uint32_t cp, std::string_view utf8, const ReportFont& font)
{
    const ReportFont chinese = ChineseReportFont();
    if (IsChineseScript(cp) && CodePageHolds(chinese.codePage, cp, utf8))
        return chinese;
    if (cp <= 0xFFFF) {
        const ReportFont unicode = UnicodeReportFont();
        if (!unicode.name.empty()) {
            // The file in a Western or Cyrillic code page where one holds the
            // character: every reader extracts those fonts' text by their
            // glyph names, while libharu's UTF-8 fonts carry a character map
            // some readers warn about.
            const ReportFont singles[] = {{FontSource::TrueType, unicode.name, "CP1252", kCodePageWestern},
                                          {FontSource::TrueType, unicode.name, "CP1251", kCodePageCyrillic}};
            for (const ReportFont& single : singles)
                if (single != font && CodePageHolds(single.codePage, cp, utf8))
                    return single;
            return unicode;
        }
    }
    if (CodePageHolds(chinese.codePage, cp, utf8))
        return chinese;
    return font;
}

} // namespace

ReportFont ChineseReportFont() { return {FontSource::Cns, "SimSun", "GBK-EUC-H", kCodePageGbk}; }

ReportFont UnicodeReportFont()
{
    const std::string file = CyrillicFontFile();
    if (file.empty())
        return {FontSource::Base14, std::string(), std::string(), kCodePageUtf8};
    return {FontSource::TrueType, file, "UTF-8", kCodePageUtf8};
}

bool FontHolds(const ReportFont& font, uint32_t cp)
{
    if (cp == kNotUtf8)
        return false;
    if (font.codePage == kCodePageUtf8)
        return cp <= 0xFFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    if (cp < 0x80)
        return true;
    std::string utf8;
    if (cp < 0x800) {
        utf8 = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
    } else if (cp < 0x10000) {
        utf8 = {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                static_cast<char>(0x80 | (cp & 0x3F))};
    } else if (cp <= 0x10FFFF) {
        utf8 = {static_cast<char>(0xF0 | (cp >> 18)), static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
                static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
    } else {
        return false;
    }
    return CodePageHolds(font.codePage, cp, utf8);
}

ReportFont WesternReportFont() { return {FontSource::Base14, "Helvetica", "WinAnsiEncoding", kCodePageWestern}; }

ReportFont ReportFontForLanguage(int languageIndex)
{
    if (languageIndex == kChinese) return ChineseReportFont();
    if (languageIndex == kRussian) {
        const std::string file = CyrillicFontFile();
        if (!file.empty()) return {FontSource::TrueType, file, "CP1251", kCodePageCyrillic};
        TraceLog("report: no Cyrillic TrueType font found; Russian text falls back to Helvetica");
    }
    return WesternReportFont();
}

std::string EncodeForFont(std::string_view utf8, const ReportFont& font)
{
    if (font.codePage != kCodePageUtf8)
        return Utf8ToCodePage(utf8, font.codePage);
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        size_t next = i;
        const uint32_t cp = CharacterAt(utf8, i, next);
        if (FontHolds(font, cp))
            out.append(utf8.substr(i, next - i));
        else
            out.push_back('?');
        i = next;
    }
    return out;
}

std::vector<FontRun> FontRuns(const ReportFont& font, std::string_view utf8)
{
    std::vector<FontRun> runs;
    const ReportFont latin = WesternReportFont();
    for (size_t i = 0; i < utf8.size();) {
        size_t next = i;
        const uint32_t cp = CharacterAt(utf8, i, next);
        const std::string_view character = utf8.substr(i, next - i);
        const ReportFont* chosen = &font;
        ReportFont fallback;
        if (font.source == FontSource::Cns && cp >= 0x20 && cp < 0x7F) {
            chosen = &latin;
        } else if (cp != kNotUtf8 && !FontHolds(font, cp)) {
            fallback = FallbackFor(cp, character, font);
            chosen = &fallback;
        }
        if (!runs.empty() && runs.back().font == *chosen)
            runs.back().text.append(character);
        else
            runs.push_back({*chosen, std::string(character)});
        i = next;
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
