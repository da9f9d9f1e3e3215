#include "ReportTextAids.h"

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "TextCodec.h"

char* Utf16ToUtf8Alloc(const char16_t* text)
{
    if (!text) return nullptr;
    std::u16string_view view(text);
    const std::string utf8 = tarvel::Utf16ToUtf8(view);
    const size_t size = utf8.size() + 2; // the terminator and one spare zero
    char* out = static_cast<char*>(std::calloc(size, 1));
    if (!out) return nullptr;
    std::memcpy(out, utf8.data(), utf8.size());
    return out;
}

void SplitTextAtMiddleSpace(std::string text, std::string& first, std::string& second)
{
    // Byte offset of every character (UTF-8 lead bytes), so lengths and the
    // middle count characters, not bytes.
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    const size_t count = starts.size();
    size_t half = count / 2;
    // The middle character of an odd-length text belongs to the search too:
    // a blank standing exactly in the middle is the best place to split.
    size_t searched = (count % 2 == 1) ? half + 1 : half;
    if (searched > count) searched = count;
    for (size_t c = searched; c-- > 0;) {
        const size_t at = starts[c];
        if (text[at] == ' ') {
            first = text.substr(0, at);
            second = text.substr(at + 1);
            return;
        }
    }
    first.clear();
    second = std::move(text);
}
