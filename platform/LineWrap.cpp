#include "LineWrap.h"

namespace tarvel {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The length of the UTF-8 character that begins at `s[i]` (a stray byte
// counts as one character).
size_t CharLength(std::string_view s, size_t i)
{
    const unsigned char b = static_cast<unsigned char>(s[i]);
    size_t length = 1;
    if (b >= 0xF0)
        length = 4;
    else if (b >= 0xE0)
        length = 3;
    else if (b >= 0xC0)
        length = 2;
    if (i + length > s.size())
        return 1;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return 1;
    return length;
}

// Characters of scripts written without blanks between words (from U+2E80,
// the CJK radicals, up): a line may break before any of them. Their UTF-8
// form begins with E2 BA or anything above E2.
bool BreaksAnywhere(std::string_view character)
{
    if (character.size() < 3)
        return false;
    const unsigned char b0 = static_cast<unsigned char>(character[0]);
    const unsigned char b1 = static_cast<unsigned char>(character[1]);
    return b0 > 0xE2 || (b0 == 0xE2 && b1 >= 0xBA);
}

std::string TrimRight(std::string text)
{
    while (!text.empty() && IsBlank(text.back()))
        text.pop_back();
    return text;
}

// The pieces a line may break between: a word with the blanks after it, or
// one character of a script without blanks (with the blanks after it).
std::vector<std::string> Pieces(std::string_view paragraph)
{
    std::vector<std::string> pieces;
    std::string piece;
    bool inBlanks = false;
    for (size_t i = 0; i < paragraph.size();) {
        const std::string_view c = paragraph.substr(i, CharLength(paragraph, i));
        i += c.size();
        if (c.size() == 1 && IsBlank(c[0])) {
            piece += c;
            inBlanks = true;
            continue;
        }
        const bool anywhere = BreaksAnywhere(c);
        if (inBlanks || anywhere) {
            if (!piece.empty())
                pieces.push_back(piece);
            piece.clear();
        }
        inBlanks = false;
        piece += c;
        if (anywhere) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty()) {
        if (!pieces.empty() && TrimRight(piece).empty())
            pieces.back() += piece;
        else
            pieces.push_back(piece);
    }
    return pieces;
}

} // namespace

std::vector<std::string> WrapTextLines(std::string_view text, int width,
                                       const std::function<int(const std::string&)>& measure)
{
    std::vector<std::string> lines;
    size_t begin = 0;
    while (true) {
        const size_t end = text.find('\n', begin);
        const std::string paragraph(text.substr(begin, end == std::string_view::npos ? end : end - begin));
        if (width <= 0 || measure(TrimRight(paragraph)) <= width) {
            lines.push_back(paragraph);
        } else {
            std::string line;
            auto breakLongPiece = [&](const std::string& piece) {
                // A piece wider than the whole width: between characters.
                for (size_t i = 0; i < piece.size();) {
                    const std::string c = piece.substr(i, CharLength(piece, i));
                    i += c.size();
                    const std::string longer = line + c;
                    if (!line.empty() && measure(TrimRight(longer)) > width) {
                        lines.push_back(TrimRight(line));
                        line = c.size() == 1 && IsBlank(c[0]) ? std::string() : c;
                    } else {
                        line = longer;
                    }
                }
            };
            for (const std::string& piece : Pieces(paragraph)) {
                const std::string longer = line + piece;
                if (measure(TrimRight(longer)) <= width) {
                    line = longer;
                    continue;
                }
                if (!line.empty())
                    lines.push_back(TrimRight(line));
                line.clear();
                if (measure(TrimRight(piece)) <= width)
                    line = piece;
                else
                    breakLongPiece(piece);
            }
            lines.push_back(TrimRight(line));
        }
        if (end == std::string_view::npos)
            break;
        begin = end + 1;
    }
    return lines;
}

} // namespace tarvel
