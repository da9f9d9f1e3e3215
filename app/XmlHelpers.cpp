#include "XmlHelpers.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ProgramPaths.h"
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

bool LoadXmlFile(TiXmlDocument& doc, const std::string& path)
{
    doc.Clear();
    return doc.LoadFile(path.c_str());
}

bool SaveXmlFileReplacing(const TiXmlDocument& doc, const std::string& path)
{
    const std::string tmp = path + ".tmp";
    if (!doc.SaveFile(tmp.c_str())) {
        std::remove(tmp.c_str());
        return false;
    }
    return tarvel::ReplaceFileWith(tmp, path);
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
