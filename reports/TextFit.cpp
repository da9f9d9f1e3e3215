#include "TextFit.h"

#include "TextMeasure.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarvel::report {

namespace {

constexpr float kLeftInset = 2.0f;  // from a rule left of the text
constexpr float kRightInset = 3.0f; // from a rule right of it
constexpr float kTouch = 0.5f;      // the least a text the layout puts near a rule keeps from it
constexpr float kEdgeInset = 1.0f; // from a rule above or below
constexpr float kStep = 0.5f;
constexpr float kSplitAbove = 4.0f; // the layout's two-line form: 4 above the baseline, 5 below
constexpr float kSplitBelow = 5.0f;
constexpr size_t kMostPieces = 400; // longer texts are not balanced, they are cut
const char* const kEllipsis = "\xE2\x80\xA6";

// Sizes from `size` down to `floor` in half points (just `size` when it is
// below the floor already).
std::vector<float> Sizes(float size, float floor)
{
    std::vector<float> sizes{size};
    for (float s = size - kStep; s >= floor - 0.001f; s -= kStep)
        sizes.push_back(s);
    return sizes;
}

// A text cut into pieces where a line may break, and what joins each piece
// to the next when they stay on one line (a blank, or nothing between two
// Chinese characters).
struct Pieces {
    std::vector<std::string> text;
    std::vector<std::string> joiner; // joiner[i] stands between text[i] and text[i + 1]

    std::string Line(size_t from, size_t to) const // pieces from..to-1
    {
        std::string line;
        for (size_t i = from; i < to; ++i) {
            line += text[i];
            if (i + 1 < to)
                line += joiner[i];
        }
        return line;
    }
};

uint32_t DecodeAt(const std::string& s, size_t i, size_t& next)
{
    const auto b = static_cast<unsigned char>(s[i]);
    size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
    if (i + len > s.size())
        len = 1;
    uint32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < len; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    next = i + len;
    return cp;
}

// Punctuation that never ends a line: opening marks.
bool OpensALine(uint32_t cp)
{
    switch (cp) {
    case '(': case '[': case '{':
    case 0x00AB: // «
    case 0x2018: // ‘
    case 0x201C: // “
    case 0x3008: case 0x300A: case 0x300C: case 0x300E: case 0x3010: // 〈 《 「 『 【
    case 0x3014: case 0x3016: case 0x3018: case 0x301A: case 0x301D: // 〔 〖 〘 〚 〝
    case 0xFF08: case 0xFF3B: case 0xFF5B: case 0xFF5F: case 0xFF62: // （ ［ ｛ ｟ ｢
        return true;
    default: return false;
    }
}

// Punctuation that never starts a line: closing marks of every script the
// reports print (Latin, Cyrillic, Chinese full-width and ideographic).
bool ClosesALine(uint32_t cp)
{
    switch (cp) {
    case '!': case ')': case ',': case '.': case ':': case ';': case '?': case ']': case '}': case '%':
    case 0x00BB: // »
    case 0x2019: // ’
    case 0x201D: // ”
    case 0x2026: // …
        return true;
    default: break;
    }
    return (cp >= 0x3000 && cp <= 0x303F && !OpensALine(cp)) ||
           (cp >= 0xFF01 && cp <= 0xFF0F && cp != 0xFF08) || (cp >= 0xFF1A && cp <= 0xFF1F) || cp == 0xFF09 ||
           cp == 0xFF3D || cp == 0xFF5D;
}

// A mark that belongs to the character before it.
bool Combines(uint32_t cp) { return (cp >= 0x0300 && cp <= 0x036F) || cp == 0x200D || (cp >= 0xFE00 && cp <= 0xFE0F); }

// Where a text may break besides its blanks.
enum class BreakAt {
    Blanks,     // only at blanks
    Ideographs, // also beside a Chinese character (or any non-ASCII one)
    Characters, // also between any two characters: a text with no blank
    Anywhere,   // between any two characters, marks and punctuation too: the
                // last resort before a cut (a run of closing or combining marks)
};

bool MayBreakBetween(uint32_t previous, uint32_t cp)
{
    return !ClosesALine(cp) && !OpensALine(previous) && !Combines(cp);
}

Pieces BreakPieces(const std::string& text, BreakAt at)
{
    Pieces pieces;
    std::string current;
    uint32_t previous = 0;
    for (size_t i = 0; i < text.size();) {
        size_t next = i;
        const uint32_t cp = DecodeAt(text, i, next);
        if (cp == ' ') {
            if (!current.empty()) {
                pieces.text.push_back(current);
                pieces.joiner.push_back(" ");
                current.clear();
            }
            previous = cp;
            i = next;
            continue;
        }
        const bool anywhere = at == BreakAt::Anywhere;
        const bool here = anywhere || at == BreakAt::Characters ||
                          (at == BreakAt::Ideographs && (cp >= 0x80 || previous >= 0x80));
        if (here && !current.empty() && (anywhere || MayBreakBetween(previous, cp))) {
            pieces.text.push_back(current);
            pieces.joiner.push_back(std::string());
            current.clear();
        }
        current.append(text, i, next - i);
        previous = cp;
        i = next;
    }
    if (!current.empty()) {
        pieces.text.push_back(current);
        pieces.joiner.push_back(std::string());
    } else if (!pieces.joiner.empty()) {
        pieces.joiner.back().clear();
    }
    return pieces;
}

// The pieces in `lines` lines, each line as narrow as the widest must be.
// The canvas neither kerns nor spaces, so a line is as wide as its pieces
// and joiners together: each is measured once, at size 1.
std::vector<std::string> Balanced(const ReportFont& font, const Pieces& pieces, size_t lines)
{
    const size_t m = pieces.text.size();
    // start[i]: the width of pieces 0..i-1 with the joiners after each.
    std::vector<float> start(m + 1, 0), joiner(m, 0);
    for (size_t i = 0; i < m; ++i) {
        joiner[i] = pieces.joiner[i].empty() ? 0.f : MeasureText(font, 1, pieces.joiner[i]).width;
        start[i + 1] = start[i] + MeasureText(font, 1, pieces.text[i]).width + joiner[i];
    }
    const auto width = [&](size_t from, size_t to) { return start[to] - start[from] - joiner[to - 1]; };
    const float inf = std::numeric_limits<float>::infinity();
    // best[k][j]: the widest line when the first j pieces make k lines.
    std::vector<std::vector<float>> best(lines + 1, std::vector<float>(m + 1, inf));
    std::vector<std::vector<size_t>> cut(lines + 1, std::vector<size_t>(m + 1, 0));
    best[0][0] = 0;
    for (size_t k = 1; k <= lines; ++k)
        for (size_t j = k; j <= m; ++j)
            for (size_t i = k - 1; i < j; ++i) {
                const float widest = std::max(best[k - 1][i], width(i, j));
                if (widest < best[k][j]) {
                    best[k][j] = widest;
                    cut[k][j] = i;
                }
            }
    std::vector<std::string> out(lines);
    size_t j = m;
    for (size_t k = lines; k >= 1; --k) {
        const size_t i = cut[k][j];
        out[k - 1] = pieces.Line(i, j);
        j = i;
    }
    return out;
}

class Fitter {
public:
    Fitter(const ReportFont& font, const TextFit& fit) : font_(font), fit_(fit) {}

    // Places `lines` in `size`, `xs` the x each line prefers. Empty when
    // they do not fit.
    // The layout's own lines, where each fits (moved left at most) and none
    // reaches into the next. Empty when they do not.
    std::vector<FittedLine> Preset(const std::vector<FittedLine>& preset) const
    {
        const TextRoom& room = fit_.room;
        std::vector<FittedLine> placed;
        float above = -std::numeric_limits<float>::infinity();
        for (const FittedLine& line : preset) {
            if (line.text.empty())
                return {};
            const TextExtent e = MeasureText(font_, fit_.size, line.text);
            const float top = line.depth - e.ascent;
            if (top < room.top + kEdgeInset - 0.001f || line.depth + e.descent > room.bottom - kEdgeInset + 0.001f ||
                top < above - 0.001f)
                return {};
            above = line.depth + e.descent;
            const float x = Across(line.x, e.width);
            if (x + e.width > room.right - kRightInset + 0.001f)
                return {};
            placed.push_back({x, line.depth, fit_.size, line.text});
        }
        return placed;
    }

    std::vector<FittedLine> Place(const std::vector<std::string>& lines, const std::vector<float>& xs, float size,
                                  float firstDepth) const
    {
        const TextRoom& room = fit_.room;
        float ascent = 0, descent = 0;
        std::vector<float> widths;
        for (const std::string& line : lines) {
            const TextExtent e = MeasureText(font_, size, line);
            widths.push_back(e.width);
            ascent = std::max(ascent, e.ascent);
            descent = std::max(descent, e.descent);
        }
        const float pitch = Pitch(size, ascent, descent);
        const size_t n = lines.size();
        float first = firstDepth;
        const float top = first - ascent;
        const float bottom = first + pitch * static_cast<float>(n - 1) + descent;
        if (top < room.top + kEdgeInset)
            first += room.top + kEdgeInset - top;
        else if (bottom > room.bottom - kEdgeInset)
            first -= bottom - (room.bottom - kEdgeInset);
        if (first - ascent < room.top + kEdgeInset - 0.001f ||
            first + pitch * static_cast<float>(n - 1) + descent > room.bottom - kEdgeInset + 0.001f)
            return {};
        std::vector<FittedLine> placed;
        for (size_t i = 0; i < n; ++i) {
            const float x = Across(xs[std::min(i, xs.size() - 1)], widths[i]);
            if (x + widths[i] > room.right - kRightInset + 0.001f)
                return {};
            placed.push_back({x, first + pitch * static_cast<float>(i), size, lines[i]});
        }
        return placed;
    }

    // Where a line of `width` that the layout starts at `x` stands: there,
    // unless it would run past the room's right edge; then as far left as
    // needed, but not nearer the left rule than the layout's place or the
    // inset, whichever is nearer (and never on it).
    float Across(float x, float width) const
    {
        const TextRoom& room = fit_.room;
        const float leftmost = std::max(room.left + kTouch, std::min(x, room.left + kLeftInset));
        if (x + width > room.right - kRightInset)
            x = room.right - kRightInset - width;
        return std::max(x, leftmost);
    }

    // The first baseline of n lines around the layout's baseline.
    float FirstDepth(size_t n, float size) const
    {
        if (n <= 1)
            return fit_.depth;
        const TextExtent e = MeasureText(font_, size, std::string());
        const float pitch = Pitch(size, e.ascent, e.descent);
        return fit_.depth + 0.5f - pitch * static_cast<float>(n - 1) / 2;
    }

    std::vector<FittedLine> Lines(const std::vector<std::string>& lines, float size) const
    {
        return Place(lines, {fit_.x}, size, FirstDepth(lines.size(), size));
    }

    // How many lines of `size` the room's height holds.
    size_t MostLines(float size) const
    {
        const TextExtent e = MeasureText(font_, size, std::string());
        const float pitch = Pitch(size, e.ascent, e.descent);
        const float height = fit_.room.bottom - fit_.room.top - 2 * kEdgeInset - e.ascent - e.descent;
        if (height < 0)
            return 0;
        return 1 + static_cast<size_t>(std::floor(height / pitch + 0.001f));
    }

    // The last resort: at `size`, as many lines as the room holds, the last
    // one that had to be shortened ending in "…".
    std::vector<FittedLine> Cut(const std::vector<std::string>& given, float size) const
    {
        const size_t most = std::max<size_t>(1, std::min(given.size(), MostLines(size)));
        std::vector<std::string> lines(given.begin(), given.begin() + static_cast<long>(most));
        const float room = fit_.room.right - fit_.room.left - kLeftInset - kRightInset;
        for (size_t i = 0; i < lines.size(); ++i) {
            const bool dropped = i + 1 == lines.size() && most < given.size();
            std::string line = lines[i];
            bool shortened = dropped;
            while (!line.empty() && MeasureText(font_, size, line + (shortened ? kEllipsis : "")).width > room) {
                size_t cut = line.size() - 1;
                while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
                    --cut;
                line.erase(cut);
                shortened = true;
            }
            lines[i] = shortened ? line + kEllipsis : line;
        }
        std::vector<FittedLine> placed = Lines(lines, size);
        if (placed.empty()) // a room lower than one line: the first line alone, at its baseline
            placed.push_back({fit_.room.left + kLeftInset, fit_.depth, size, lines.front()});
        return placed;
    }

private:
    static float Pitch(float size, float ascent, float descent) { return std::max(size, ascent + descent); }

    const ReportFont& font_;
    const TextFit& fit_;
};

std::vector<std::string> HardLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

} // namespace

float DefaultFloor(float size) { return std::max(kLeastTextSize, std::floor(size * 0.78f / kStep) * kStep); }

std::vector<FittedLine> FitText(const ReportFont& font, const TextFit& fit)
{
    // No text steps below the least size (one given smaller keeps its size).
    const float floor =
        std::max(fit.floor > 0 ? fit.floor : DefaultFloor(fit.size), std::min(fit.size, kLeastTextSize));
    Fitter fitter(font, fit);

    if (!fit.preset.empty()) {
        std::vector<FittedLine> lines = fitter.Preset(fit.preset);
        if (!lines.empty())
            return lines;
    }

    const std::vector<std::string> given = HardLines(fit.text);
    if (given.empty())
        return {{fit.x, fit.depth, fit.size, std::string()}};

    if (given.size() > 1) {
        for (float size : Sizes(fit.size, floor)) {
            std::vector<FittedLine> lines = fitter.Lines(given, size);
            if (!lines.empty())
                return lines;
        }
        return fitter.Cut(given, floor);
    }

    const std::string& text = given.front();
    for (float size : Sizes(fit.size, floor)) {
        std::vector<FittedLine> lines = fitter.Lines({text}, size);
        if (!lines.empty())
            return lines;
    }
    // Split at its blanks (and beside Chinese characters); a text that still
    // does not fit, or has no blank, splits between any two characters where
    // the marks allow it, and else between any two characters at all.
    size_t tried = 1;
    for (BreakAt at : {font.source == FontSource::Cns ? BreakAt::Ideographs : BreakAt::Blanks, BreakAt::Characters,
                       BreakAt::Anywhere}) {
        const Pieces pieces = BreakPieces(text, at);
        if (pieces.text.size() <= tried || pieces.text.size() > kMostPieces)
            continue;
        tried = pieces.text.size();
        for (float size : Sizes(fit.size, floor)) {
            const size_t most = std::min(fitter.MostLines(size), pieces.text.size());
            for (size_t n = 2; n <= most; ++n) {
                std::vector<FittedLine> lines = fitter.Lines(Balanced(font, pieces, n), size);
                if (!lines.empty())
                    return lines;
            }
        }
    }
    return fitter.Cut({text}, floor);
}

float RoomHeightForLines(const ReportFont& font, float size, const std::vector<std::string>& lines)
{
    float ascent = 0, descent = 0;
    for (const std::string& line : lines) {
        const TextExtent e = MeasureText(font, size, line);
        ascent = std::max(ascent, e.ascent);
        descent = std::max(descent, e.descent);
    }
    const float pitch = std::max(size, ascent + descent);
    return pitch * static_cast<float>(lines.empty() ? 0 : lines.size() - 1) + ascent + descent + 2 * kEdgeInset;
}

void DrawFittedLines(PdfCanvas& canvas, const std::vector<FittedLine>& lines)
{
    const float before = canvas.FontSize();
    float current = before;
    for (const FittedLine& line : lines) {
        if (line.size != current) {
            canvas.SetFontSize(line.size);
            current = line.size;
        }
        TextOutFromTop(canvas, line.x, line.depth, line.text);
    }
    if (current != before)
        canvas.SetFontSize(before);
}

void ShowFittedLines(PdfCanvas& canvas, const std::vector<FittedLine>& lines)
{
    const float before = canvas.FontSize();
    float current = before;
    float x = 0, y = 0;
    for (const FittedLine& line : lines) {
        if (line.size != current) {
            canvas.SetFontSize(line.size);
            current = line.size;
        }
        const float lineY = canvas.PageHeight() - line.depth;
        canvas.MoveTextPos(line.x - x, lineY - y);
        canvas.ShowText(line.text);
        x = line.x;
        y = lineY;
    }
    if (current != before)
        canvas.SetFontSize(before);
}

void DrawTextInRoom(PdfCanvas& canvas, float x, float depth, const std::string& text, const TextRoom& room,
                    float floor)
{
    // No preset lines: the text is fitted as it stands.
    DrawPresetInRoom(canvas, {}, x, depth, text, room, floor);
}

void DrawPresetInRoom(PdfCanvas& canvas, const std::vector<FittedLine>& preset, float x, float depth,
                      const std::string& whole, const TextRoom& room, float floor)
{
    TextFit fit;
    fit.text = whole;
    fit.x = x;
    fit.depth = depth;
    fit.room = room;
    fit.size = canvas.FontSize();
    fit.floor = floor;
    fit.preset = preset;
    DrawFittedLines(canvas, FitText(canvas.Font(), fit));
}

void DrawSplitInRoom(PdfCanvas& canvas, float x, float secondX, float depth, const std::string& first,
                     const std::string& second, const std::string& whole, const TextRoom& room, float floor)
{
    DrawPresetInRoom(canvas, {{x, depth - kSplitAbove, 0, first}, {secondX, depth + kSplitBelow, 0, second}}, x, depth,
                     whole, room, floor);
}

} // namespace tarvel::report
