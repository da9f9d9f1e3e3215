// Small text helpers of the PDF writers.
#pragma once

#include <string>

// A newly allocated, zero-terminated UTF-8 copy of the zero-terminated UTF-16
// `text`, with one more zero byte after the terminator (an empty text gives
// two zero bytes). The caller releases it with free(). nullptr for a null
// text or when memory runs out.
char* Utf16ToUtf8Alloc(const char16_t* text);

// Splits a one-line label or remark into two lines at a blank near its middle.
// With n = half the text's length in characters (rounded down), the split is
// at the last blank among the first n characters, or at the middle character
// itself when the length is odd and that character is a blank; the blank
// belongs to neither line. Without such a blank `first` is empty and `second`
// is the whole text.
void SplitTextAtMiddleSpace(std::string text, std::string& first, std::string& second);
