#include "XmlHelpers.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "TextCodec.h"

namespace {

std::vector<std::string> SplitPath(const char* path)
{
    std::vector<std::string> pieces;
    std::string piece;
    for (const char* p = path; *p; ++p) {
        if (*p == '/') {
            if (!piece.empty()) pieces.push_back(piece);
            piece.clear();
        } else {
            piece.push_back(*p);
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

// Zeros after a text given to the parser: more than the longest character
// (four bytes) it may step over.
constexpr size_t kParsePadding = 8;

bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    if (path.empty()) return false;
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::u8path(path);
    if (std::filesystem::is_directory(file, ec)) return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

const TiXmlElement* FindXmlElementByPath(const TiXmlDocument* doc, const char* path)
{
    if (!doc || !path) return nullptr;
    const std::vector<std::string> pieces = SplitPath(path);
    if (pieces.empty()) return nullptr;
    const TiXmlElement* current = doc->RootElement();
    for (size_t i = 1; current && i < pieces.size(); ++i) {
        current = current->FirstChildElement(pieces[i].c_str());
    }
    return current;
}

TiXmlElement* FindXmlElementByPath(TiXmlDocument* doc, const char* path)
{
    return const_cast<TiXmlElement*>(FindXmlElementByPath(static_cast<const TiXmlDocument*>(doc), path));
}

TiXmlElement* FindXmlElementByPath(TiXmlDocument& doc, const std::string& path)
{
    return FindXmlElementByPath(&doc, path.c_str());
}

const TiXmlElement* FindXmlElementByPath(const TiXmlDocument& doc, const std::string& path)
{
    return FindXmlElementByPath(&doc, path.c_str());
}

int ParseDecimalInt(const char* text)
{
    if (!text) return 0;
    const char* p = text;
    while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (*p - '0');
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int ReadIntAttribute(const TiXmlElement* element, const char* name, int missing)
{
    if (!element || !name) return missing;
    const char* v = element->Attribute(name);
    return v ? ParseDecimalInt(v) : missing;
}

std::string ReadTextAttribute(const TiXmlElement* element, const char* name)
{
    if (!element || !name) return std::string();
    const char* v = element->Attribute(name);
    return v ? tarvel::SanitizeUtf8(v) : std::string();
}

bool EndsInsideUtf8Character(const std::string& bytes)
{
    const size_t n = bytes.size();
    for (size_t i = n > 3 ? n - 3 : 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const size_t length = c >= 0xF0 && c <= 0xF7 ? 4 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xC0 && c <= 0xDF ? 2 : 1;
        if (i + length > n) return true;
    }
    return false;
}

bool ParseXmlBytes(TiXmlDocument& doc, std::string bytes, const std::string& name)
{
    doc.Clear();
    doc.SetValue(name);
    // Line ends as TinyXML's own loader reads them: CR LF and a lone CR give LF.
    std::string text;
    text.reserve(bytes.size() + kParsePadding);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            text.push_back('\n');
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            text.push_back(bytes[i]);
        }
    }
    // A text cut off inside a character would make the parser step over its
    // end (it skips a character's bytes without looking at them). Checked on
    // the text the parser gets: a cut character before a CR LF still ends it.
    if (EndsInsideUtf8Character(text)) return false;
    // Zeros after the text: whatever the parser skips, it stops inside the buffer.
    text.append(kParsePadding, '\0');
    doc.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    return !doc.Error();
}

bool LoadXmlFile(TiXmlDocument& doc, const std::string& path)
{
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        doc.Clear();
        return false;
    }
    return ParseXmlBytes(doc, std::move(bytes), path);
}

tarvel::SaveResult SaveXmlFileReplacing(const TiXmlDocument& doc, const std::string& path)
{
    // TinyXML's printed layout (that of TiXmlDocument::SaveFile for element
    // and attribute files): four blanks a level, LF line ends.
    TiXmlPrinter printer;
    doc.Accept(&printer);
    return tarvel::SaveFileReplacing(path, std::string_view(printer.CStr(), printer.Size()));
}

std::wstring Utf8ToCString(const std::string& utf8) { return tarvel::Utf8ToWide(utf8); }

std::wstring Utf8ToCString(const char* utf8) { return utf8 ? tarvel::Utf8ToWide(utf8) : std::wstring(); }

char* WideToAnsiAlloc(const std::wstring& wide)
{
    const std::string utf8 = tarvel::WideToUtf8(wide);
    char* buffer = static_cast<char*>(std::calloc(utf8.size() + 1, 1));
    if (!buffer) return nullptr;
    std::memcpy(buffer, utf8.data(), utf8.size());
    Utf8ToAnsiInPlace(buffer);
    return buffer;
}

char* WideToAnsiAlloc(const wchar_t* wide) { return WideToAnsiAlloc(std::wstring(wide ? wide : L"")); }

void Utf8ToAnsiInPlace(char* buffer)
{
    if (!buffer) return;
    const size_t length = std::strlen(buffer);
    // U+FFFD takes three bytes and would not fit where one bad byte was; the
    // code page's default character '?' always does.
    const std::string fixed = tarvel::ReplaceMalformedUtf8(std::string_view(buffer, length), "?");
    std::memset(buffer, 0, length + 1);
    std::memcpy(buffer, fixed.data(), fixed.size());
}
