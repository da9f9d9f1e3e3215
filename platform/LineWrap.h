// Breaking a text into lines that fit a width, for every window that shows a
// long text: the measuring is left to the caller (a font, a device context).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvel {

// `text` (UTF-8) broken into lines no wider than `width` as `measure` tells:
// at blanks where there are any, else between any two characters of a script
// written without blanks (Chinese); a word wider than `width` alone is broken
// between characters. Blanks at the end of a line are dropped; the text's own
// line breaks stay. `width` <= 0 keeps the text's lines. Never empty.
std::vector<std::string> WrapTextLines(std::string_view text, int width,
                                       const std::function<int(const std::string&)>& measure);

} // namespace tarvel
