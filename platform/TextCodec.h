// Text conversions. Inside the program every string is UTF-8 in a
// std::string; wide text (std::u16string, or std::wstring where an interface
// needs it) appears only at the edges. Decoding never fails: a malformed UTF-8
// sequence becomes U+FFFD, a lone surrogate too. Encoding into a legacy code
// page (the PDF fonts need GBK and Windows-1252) writes '?' for every
// character the page lacks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarvel {

// UTF-8 -> UTF-16. Each maximal malformed subpart becomes one U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
// UTF-16 -> UTF-8. Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// The same for the platform's wchar_t (UTF-16 on Windows, UTF-32 elsewhere).
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// Returns the text unchanged when it is valid UTF-8, else with every
// malformed sequence replaced by U+FFFD (so the GUI edge never drops it).
std::string SanitizeUtf8(std::string_view utf8);
bool IsValidUtf8(std::string_view utf8);
// Keeps the valid characters and puts `replacement` for each malformed
// sequence.
std::string ReplaceMalformedUtf8(std::string_view utf8, std::string_view replacement);
// The text as a window can show it: every byte of a malformed sequence, and
// every control character but tab, line feed and carriage return, written out
// as \xHH (upper-case hex, e.g. \xFF); everything else unchanged. A text
// read from a binary file is shown with its readable words and its raw
// bytes, instead of not at all.
std::string EscapeUnshowableBytes(std::string_view utf8);
// Reads `utf8` a character at a time and calls visit(codePoint, valid,
// offset) with the byte offset each starts at (a malformed sequence comes as
// U+FFFD with valid == false), until visit returns false.
void ScanUtf8(std::string_view utf8, const std::function<bool(char32_t, bool, size_t)>& visit);

// Code pages the reports draw with.
constexpr int kCodePageGbk = 936;
constexpr int kCodePageWestern = 1252;

// Encodes UTF-8 text into the given Windows code page (936 or 1252; other
// numbers are passed to the platform converter as they are). Characters the
// page cannot represent, and malformed input, become '?'. Returns an empty
// text when the platform has no converter for the page.
std::string Utf8ToCodePage(std::string_view utf8, int codePage);

} // namespace tarvel
