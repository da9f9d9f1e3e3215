#include "TextCodec.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace tarvel {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes UTF-8 and calls emit(codePoint, valid, bytes) for every character,
// `bytes` being the part of `s` it was read from. Every maximal subpart of a
// malformed sequence is reported once as U+FFFD with valid == false, the way
// the Unicode standard recommends, so one bad byte never swallows the good
// characters after it.
template <typename Emit>
void DecodeUtf8Spans(std::string_view s, Emit emit)
{
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            emit(static_cast<char32_t>(b), true, s.substr(i, 1));
            ++i;
            continue;
        }
        int need = 0;
        unsigned char lower = 0x80;
        unsigned char upper = 0xBF;
        char32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            cp = b & 0x0F;
            if (b == 0xE0) lower = 0xA0;       // no overlong forms
            if (b == 0xED) upper = 0x9F;       // no surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            cp = b & 0x07;
            if (b == 0xF0) lower = 0x90;       // no overlong forms
            if (b == 0xF4) upper = 0x8F;       // nothing above U+10FFFF
        } else {
            emit(kReplacement, false, s.substr(i, 1));
            ++i;
            continue;
        }
        size_t k = 1;
        bool ok = true;
        for (; k <= static_cast<size_t>(need); ++k) {
            if (i + k >= n) {
                ok = false;
                break;
            }
            const unsigned char c = static_cast<unsigned char>(s[i + k]);
            if (c < lower || c > upper) {
                ok = false;
                break;
            }
            lower = 0x80;
            upper = 0xBF;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) {
            emit(kReplacement, false, s.substr(i, k));
            i += k; // the lead byte and the continuation bytes that fitted
            continue;
        }
        emit(cp, true, s.substr(i, static_cast<size_t>(need) + 1));
        i += static_cast<size_t>(need) + 1;
    }
}

// The same without the bytes: emit(codePoint, valid).
template <typename Emit>
void DecodeUtf8(std::string_view s, Emit emit)
{
    DecodeUtf8Spans(s, [&emit](char32_t cp, bool valid, std::string_view) { emit(cp, valid); });
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Calls emit(codePoint) for every character of UTF-16 text; unpaired
// surrogates give U+FFFD.
template <typename Emit>
void DecodeUtf16(std::u16string_view s, Emit emit)
{
    for (size_t i = 0; i < s.size(); ++i) {
        const char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            emit(0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(s[i + 1]) - 0xDC00));
            ++i;
        } else if (IsSurrogate(c)) {
            emit(kReplacement);
        } else {
            emit(c);
        }
    }
}

#ifndef _WIN32
// Encodes one character (given as UTF-8) with an open converter; false when
// the code page lacks it.
bool EncodeOne(iconv_t cd, const std::string& utf8Char, std::string& out)
{
    char inBuf[8];
    char outBuf[16];
    const size_t inLen = utf8Char.size();
    for (size_t i = 0; i < inLen; ++i) inBuf[i] = utf8Char[i];
    char* in = inBuf;
    size_t inLeft = inLen;
    char* o = outBuf;
    size_t outLeft = sizeof(outBuf);
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // reset shift state
    const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    if (r == static_cast<size_t>(-1) || inLeft != 0) return false;
    // glibc counts irreversible (approximated) conversions in r; we want
    // exact characters only.
    if (r != 0) return false;
    out.append(outBuf, sizeof(outBuf) - outLeft);
    return true;
}

iconv_t OpenConverter(int codePage)
{
    std::vector<std::string> names;
    if (codePage == kCodePageGbk) {
        names = {"CP936", "GBK"};
    } else {
        names = {"CP" + std::to_string(codePage), "WINDOWS-" + std::to_string(codePage)};
    }
    for (const auto& name : names) {
        iconv_t cd = iconv_open(name.c_str(), "UTF-8");
        if (cd != reinterpret_cast<iconv_t>(-1)) return cd;
    }
    return reinterpret_cast<iconv_t>(-1);
}
#endif

} // namespace

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    DecodeUtf8(utf8, [&](char32_t cp, bool) { AppendUtf16(out, cp); });
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size() * 3);
    DecodeUtf16(utf16, [&](char32_t cp) { AppendUtf8(out, cp); });
    return out;
}

std::wstring Utf8ToWide(std::string_view utf8)
{
    std::wstring out;
    out.reserve(utf8.size());
    DecodeUtf8(utf8, [&](char32_t cp, bool) {
        if constexpr (sizeof(wchar_t) == 2) {
            std::u16string tmp;
            AppendUtf16(tmp, cp);
            for (char16_t c : tmp) out.push_back(static_cast<wchar_t>(c));
        } else {
            out.push_back(static_cast<wchar_t>(cp));
        }
    });
    return out;
}

std::string WideToUtf8(std::wstring_view wide)
{
    if constexpr (sizeof(wchar_t) == 2) {
        std::u16string tmp(wide.begin(), wide.end());
        return Utf16ToUtf8(tmp);
    } else {
        std::string out;
        out.reserve(wide.size() * 3);
        for (wchar_t w : wide) {
            char32_t cp = static_cast<char32_t>(w);
            if (cp > 0x10FFFF || IsSurrogate(cp)) cp = kReplacement;
            AppendUtf8(out, cp);
        }
        return out;
    }
}

void ScanUtf8(std::string_view utf8, const std::function<bool(char32_t, bool, size_t)>& visit)
{
    bool going = true;
    DecodeUtf8Spans(utf8, [&](char32_t cp, bool ok, std::string_view bytes) {
        if (going)
            going = visit(cp, ok, static_cast<size_t>(bytes.data() - utf8.data()));
    });
}

bool IsValidUtf8(std::string_view utf8)
{
    bool valid = true;
    DecodeUtf8(utf8, [&](char32_t, bool ok) { valid = valid && ok; });
    return valid;
}

std::string ReplaceMalformedUtf8(std::string_view utf8, std::string_view replacement)
{
    std::string out;
    out.reserve(utf8.size() + 8);
    DecodeUtf8(utf8, [&](char32_t cp, bool ok) {
        if (ok) {
            AppendUtf8(out, cp);
        } else {
            out.append(replacement);
        }
    });
    return out;
}

std::string EscapeUnshowableBytes(std::string_view utf8)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size() + 8);
    auto escape = [&out](unsigned char byte) {
        out += "\\x";
        out.push_back(kHex[byte >> 4]);
        out.push_back(kHex[byte & 0x0F]);
    };
    DecodeUtf8Spans(utf8, [&](char32_t cp, bool ok, std::string_view bytes) {
        const bool control = cp < 0x20 ? cp != '\t' && cp != '\n' && cp != '\r' : cp == 0x7F;
        if (ok && !control) {
            out.append(bytes);
            return;
        }
        for (const char byte : bytes)
            escape(static_cast<unsigned char>(byte));
    });
    return out;
}

std::string SanitizeUtf8(std::string_view utf8)
{
    if (IsValidUtf8(utf8)) return std::string(utf8);
    return ReplaceMalformedUtf8(utf8, "\xEF\xBF\xBD");
}

std::string Utf8ToCodePage(std::string_view utf8, int codePage)
{
    std::string out;
    out.reserve(utf8.size());
#ifdef _WIN32
    std::u16string wide;
    DecodeUtf8(utf8, [&](char32_t cp, bool ok) { AppendUtf16(wide, ok ? cp : U'?'); });
    if (wide.empty()) return out;
    BOOL usedDefault = FALSE;
    const wchar_t* src = reinterpret_cast<const wchar_t*>(wide.data());
    const int len = static_cast<int>(wide.size());
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    int need = WideCharToMultiByte(static_cast<UINT>(codePage), flags, src, len, nullptr, 0, "?", &usedDefault);
    if (need <= 0) return out;
    out.resize(static_cast<size_t>(need));
    WideCharToMultiByte(static_cast<UINT>(codePage), flags, src, len, &out[0], need, "?", &usedDefault);
    return out;
#else
    iconv_t cd = OpenConverter(codePage);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    std::string one;
    DecodeUtf8(utf8, [&](char32_t cp, bool ok) {
        if (!ok) {
            out.push_back('?');
        } else if (cp < 0x80) {
            out.push_back(static_cast<char>(cp)); // both pages keep ASCII as it is
        } else {
            one.clear();
            AppendUtf8(one, cp);
            if (!EncodeOne(cd, one, out)) out.push_back('?');
        }
    });
    iconv_close(cd);
    return out;
#endif
}

} // namespace tarvel
