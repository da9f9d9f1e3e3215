// Helpers every XML reader of the program uses: the element-path lookup, the
// record walk, integer attributes and the text converters. Texts are UTF-8
// inside the program; the "ANSI" page of the converters is UTF-8 too, so
// ASCII data stays byte for byte what it was.
#pragma once

#include <string>

#include <tinyxml.h>

#include "FileSave.h"

// Splits `path` at '/' (empty pieces are dropped) and walks it from the
// document's root element. The first piece stands for the root and its name
// is not compared; each further piece goes to the first child element of that
// name (case-sensitive). Returns nullptr when there is no path, no root or no
// such child.
TiXmlElement* FindXmlElementByPath(TiXmlDocument* doc, const char* path);
const TiXmlElement* FindXmlElementByPath(const TiXmlDocument* doc, const char* path);
TiXmlElement* FindXmlElementByPath(TiXmlDocument& doc, const std::string& path);
const TiXmlElement* FindXmlElementByPath(const TiXmlDocument& doc, const std::string& path);

// The C library's decimal reading (leading blanks, optional sign, digits up to
// the first non-digit, no digits give 0), clamped to the int range instead of
// overflowing.
int ParseDecimalInt(const char* text);
// An attribute read that way; a missing attribute gives `missing`.
int ReadIntAttribute(const TiXmlElement* element, const char* name, int missing = 0);
// An attribute's text as UTF-8 (malformed bytes become U+FFFD); a missing
// attribute gives an empty text.
std::string ReadTextAttribute(const TiXmlElement* element, const char* name);

// Loads an XML file with TinyXML's encoding detection; false when it is
// missing, not well-formed, or cut off inside a UTF-8 character. The parser
// reads from a copy of the file with zeros after its text, so it never reads
// past the file's bytes.
bool LoadXmlFile(TiXmlDocument& doc, const std::string& path);
// The same for bytes already read (`name` only names the document).
bool ParseXmlBytes(TiXmlDocument& doc, std::string bytes, const std::string& name = std::string());
// True when the last bytes of `bytes` begin a UTF-8 character that the end
// cuts off.
bool EndsInsideUtf8Character(const std::string& bytes);
// Saves in TinyXML's layout through SaveFileReplacing (FileSave.h): a failure
// leaves the older file as it was and says why.
tarvel::SaveResult SaveXmlFileReplacing(const TiXmlDocument& doc, const std::string& path);

// UTF-8 -> wide text. Malformed sequences become U+FFFD; empty gives empty.
std::wstring Utf8ToCString(const std::string& utf8);
std::wstring Utf8ToCString(const char* utf8);
// Wide text -> a newly malloc'ed, zero-terminated "ANSI" (UTF-8) text; the
// caller releases it with free(). An empty text gives a one-byte zero text.
// Returns nullptr only when memory runs out.
char* WideToAnsiAlloc(const std::wstring& wide);
char* WideToAnsiAlloc(const wchar_t* wide);
// Rewrites the zero-terminated text in `buffer` as "ANSI" (UTF-8) text. The
// result is never longer than the input, so it always fits where the input
// was: valid text stays as it is, and each malformed sequence becomes one
// '?'. Everything after the new text up to the old terminator is zeroed.
void Utf8ToAnsiInPlace(char* buffer);
