#include "DigiChar.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarvel {

const uint16_t kDigi7SegmentMasks[12] = {0x00, 0x77, 0x24, 0x5D, 0x6D, 0x2E, 0x6B, 0x7B, 0x25, 0x7F, 0x6F, 0x08};

const uint16_t kDigi14SegmentMasks[38] = {
    0x0000, 0x3F00, 0x1800, 0x36C0, 0x3CC0, 0x19C0, 0x2DC0, 0x2FC0, 0x3800, 0x3FC0, 0x3DC0, 0x00C0, 0x3BC0,
    0x3CA1, 0x2700, 0x3C21, 0x27C0, 0x23C0, 0x2F80, 0x1BC0, 0x2421, 0x1E00, 0x0354, 0x0700, 0x1B06, 0x1B12,
    0x3F00, 0x33C0, 0x3F10, 0x33D0, 0x2DC0, 0x2021, 0x1F00, 0x030C, 0x1B18, 0x001E, 0x11E0, 0x240C};

namespace {

constexpr DigiPointKind S = DigiPointKind::Start;
constexpr DigiPointKind L = DigiPointKind::Line;
constexpr DigiPointKind C = DigiPointKind::Curve;

struct Shape {
    std::vector<DigiPoint> points;
    std::vector<DigiPointKind> kinds;
};

// The mirror lines of a 49 x 83 cell: x = 24 and y = 41.
constexpr int kCentreX = 24;
constexpr int kCentreY = 41;

enum class Transform { None, MirrorX, MirrorY, Reflect };

DigiSegment Place(const Shape& shape, Transform transform)
{
    DigiSegment segment;
    segment.kinds = shape.kinds;
    segment.points.reserve(shape.points.size());
    for (const DigiPoint& p : shape.points) {
        DigiPoint q = p;
        if (transform == Transform::MirrorX || transform == Transform::Reflect)
            q.x = 2 * kCentreX - p.x;
        if (transform == Transform::MirrorY || transform == Transform::Reflect)
            q.y = 2 * kCentreY - p.y;
        segment.points.push_back(q);
    }
    return segment;
}

// 7-segment shapes.
const Shape kTop7{{{5, 4}, {12, 11}, {36, 11}, {43, 4}}, {S, L, L, L}};
const Shape kLeft7{{{4, 6}, {4, 40}, {11, 36}, {11, 13}}, {S, L, L, L}};
const Shape kMiddle7{{{6, 41}, {14, 45}, {34, 45}, {42, 41}, {34, 37}, {14, 37}}, {S, L, L, L, L, L}};
const Shape kSmoothTop7{{{6, 4}, {5, 5}, {5, 6}, {8, 9}, {12, 11}, {36, 11}, {39, 4}}, {S, C, C, C, L, L, L}};
const Shape kSmoothLeft7{{{4, 9}, {4, 39}, {6, 40}, {7, 40}, {9, 38}, {11, 36}, {11, 12}}, {S, L, C, C, C, L, L}};
const Shape kSmoothRight7{{{37, 36}, {39, 38}, {41, 40}, {42, 40}, {44, 39}, {44, 6}, {42, 4}, {41, 4}, {39, 8}, {37, 12}},
                          {S, C, C, L, L, L, C, C, C, L}};
const Shape kSmoothMiddle7{{{8, 41}, {12, 45}, {36, 45}, {40, 41}, {36, 37}, {12, 37}}, {S, L, L, L, L, L}};

// 14-segment shapes.
const Shape kCentreBar{{{20, 13}, {20, 36}, {24, 40}, {28, 36}, {28, 13}}, {S, L, L, L, L}};
const Shape kSmoothCentreBar{{{20, 12}, {20, 25}, {22, 36}, {23, 39}, {24, 40}, {25, 39}, {26, 36}, {28, 25}, {28, 12},
                              {26, 10}, {24, 9}, {22, 10}, {20, 12}},
                             {S, L, C, C, C, C, C, L, L, C, C, C, L}};
const Shape kDiagonal{{{5, 5}, {15, 35}, {20, 37}, {18, 25}}, {S, L, L, L}};
const Shape kSmoothDiagonal{{{10, 10}, {10, 13}, {11, 20}, {13, 28}, {21, 38}, {21, 37}, {19, 26}, {15, 16}, {11, 10},
                             {10, 10}},
                            {S, C, C, C, L, L, C, C, C, L}};
const Shape kHalfBar{{{6, 41}, {14, 45}, {18, 45}, {22, 41}, {18, 37}, {14, 37}}, {S, L, L, L, L, L}};
const Shape kSmoothHalfBar{{{8, 41}, {12, 45}, {16, 45}, {23, 41}, {16, 37}, {12, 37}}, {S, L, L, L, L, L}};
const Shape kSideBar{{{4, 7}, {4, 40}, {11, 36}, {11, 26}}, {S, L, L, L}};
const Shape kSmoothSideBar{{{4, 7}, {4, 39}, {5, 40}, {6, 40}, {9, 37}, {11, 33}, {11, 25}, {9, 14}, {5, 6}, {4, 7}},
                           {S, L, C, C, C, C, L, C, C, L}};
const Shape kTopBar{{{6, 4}, {11, 11}, {37, 11}, {42, 4}}, {S, L, L, L}};
const Shape kSmoothTopBar{{{8, 4}, {7, 5}, {7, 6}, {9, 8}, {12, 9}, {14, 11}, {19, 11}, {21, 9}, {24, 7}, {27, 9},
                           {29, 11}, {34, 11}, {36, 9}, {39, 8}, {41, 6}, {41, 5}, {40, 4}},
                          {S, C, C, C, C, L, L, C, C, C, L, L, C, C, C, C, L}};

// Colon and dot: three squares, top to bottom.
const Shape kSquares[3] = {
    {{{4, 23}, {4, 32}, {13, 32}, {13, 23}}, {S, L, L, L}},
    {{{4, 50}, {4, 59}, {13, 59}, {13, 50}}, {S, L, L, L}},
    {{{4, 68}, {4, 77}, {13, 77}, {13, 68}}, {S, L, L, L}},
};

} // namespace

void CDigi7Segment::SetCharacterMask(uint16_t mask, uint32_t style)
{
    mask_ = mask;
    segments_.clear();
    if (style & DS_SMOOTH) {
        segments_.push_back(Place(kSmoothTop7, Transform::None));
        segments_.push_back(Place(kSmoothLeft7, Transform::None));
        segments_.push_back(Place(kSmoothRight7, Transform::None));
        segments_.push_back(Place(kSmoothMiddle7, Transform::None));
        segments_.push_back(Place(kSmoothLeft7, Transform::MirrorY));
        segments_.push_back(Place(kSmoothRight7, Transform::MirrorY));
        segments_.push_back(Place(kSmoothTop7, Transform::MirrorY));
    } else {
        segments_.push_back(Place(kTop7, Transform::None));
        segments_.push_back(Place(kLeft7, Transform::None));
        segments_.push_back(Place(kLeft7, Transform::MirrorX));
        segments_.push_back(Place(kMiddle7, Transform::None));
        segments_.push_back(Place(kLeft7, Transform::MirrorY));
        segments_.push_back(Place(kLeft7, Transform::Reflect));
        segments_.push_back(Place(kTop7, Transform::MirrorY));
    }
}

void CDigi14Segment::SetCharacterMask(uint16_t mask, uint32_t style)
{
    mask_ = mask;
    segments_.clear();
    const bool smooth = (style & DS_SMOOTH) != 0;
    const Shape& centre = smooth ? kSmoothCentreBar : kCentreBar;
    const Shape& diagonal = smooth ? kSmoothDiagonal : kDiagonal;
    const Shape& half = smooth ? kSmoothHalfBar : kHalfBar;
    const Shape& side = smooth ? kSmoothSideBar : kSideBar;
    const Shape& top = smooth ? kSmoothTopBar : kTopBar;
    segments_.push_back(Place(centre, Transform::None));    // 0 centre upper
    segments_.push_back(Place(diagonal, Transform::None));  // 1 upper left diagonal
    segments_.push_back(Place(diagonal, Transform::MirrorX)); // 2 upper right diagonal
    segments_.push_back(Place(diagonal, Transform::MirrorY)); // 3 lower left diagonal
    segments_.push_back(Place(diagonal, Transform::Reflect)); // 4 lower right diagonal
    segments_.push_back(Place(centre, Transform::MirrorY));  // 5 centre lower
    segments_.push_back(Place(half, Transform::None));       // 6 middle left half
    segments_.push_back(Place(half, Transform::MirrorX));    // 7 middle right half
    segments_.push_back(Place(side, Transform::None));       // 8 upper left
    segments_.push_back(Place(side, Transform::MirrorY));    // 9 lower left
    segments_.push_back(Place(top, Transform::MirrorY));     // 10 bottom
    segments_.push_back(Place(side, Transform::Reflect));    // 11 lower right
    segments_.push_back(Place(side, Transform::MirrorX));    // 12 upper right
    segments_.push_back(Place(top, Transform::None));        // 13 top
}

void CDigiColonDotChar::SetCharacterMask(uint16_t mask, uint32_t)
{
    mask_ = mask;
    segments_.clear();
    for (const Shape& square : kSquares)
        segments_.push_back(Place(square, Transform::None));
}

std::unique_ptr<CDigiChar> MakeDigiChar(char c, uint32_t style)
{
    std::unique_ptr<CDigiChar> character;
    uint16_t mask = 0;
    int index = -1;
    if (c >= '0' && c <= '9')
        index = c - '0' + 1;
    else if (c == ' ')
        index = 0;
    else if (c == '-')
        index = 11;

    if (index >= 0) {
        if (style & DS_STYLE14) {
            character = std::make_unique<CDigi14Segment>();
            mask = kDigi14SegmentMasks[index];
        } else {
            character = std::make_unique<CDigi7Segment>();
            mask = kDigi7SegmentMasks[index];
        }
    } else if (c >= 'A' && c <= 'Z') {
        character = std::make_unique<CDigi14Segment>();
        mask = kDigi14SegmentMasks[c - 'A' + 12];
    } else if (c == '*') {
        character = std::make_unique<CDigi14Segment>();
        mask = 0x00FF;
    } else if (c == '+') {
        character = std::make_unique<CDigi14Segment>();
        mask = 0x00E1;
    } else if (c == ':') {
        character = std::make_unique<CDigiColonDotChar>();
        mask = 0x03;
    } else if (c == '.') {
        character = std::make_unique<CDigiColonDotChar>();
        mask = 0x04;
    } else {
        return nullptr;
    }
    character->SetCharacterMask(mask, style);
    return character;
}

std::vector<std::unique_ptr<CDigiChar>> BuildDigiCharacters(const std::string& text, uint32_t style)
{
    std::vector<std::unique_ptr<CDigiChar>> characters;
    for (char c : text) {
        if (auto character = MakeDigiChar(c, style))
            characters.push_back(std::move(character));
    }
    return characters;
}

std::vector<DigiRect> LayoutDigiCharacters(const std::vector<std::unique_ptr<CDigiChar>>& characters, int width,
                                           int height, uint32_t style)
{
    std::vector<DigiRect> rects;
    int total = 0;
    for (const auto& character : characters)
        total += character->Width();
    // Nothing to place, or nowhere to place it.
    if (total <= 0 || width <= 0 || height <= 0)
        return rects;

    double sx = double(width) / total;
    double sy = double(height) / kDigiCellHeight;
    double left = 0.0;
    double top = 0.0;
    if (style & DS_SZ_PROP) {
        const double scale = std::min(sx, sy);
        sx = sy = scale;
        left = (width - total * scale) / 2.0;
        top = (height - kDigiCellHeight * scale) / 2.0;
    }
    double x = left;
    rects.reserve(characters.size());
    for (const auto& character : characters) {
        const double w = character->Width() * sx;
        rects.push_back({x, top, w, kDigiCellHeight * sy});
        x += w;
    }
    return rects;
}

DigiPoint MapDigiPoint(const DigiPoint& p, const DigiRect& rect, int cellWidth)
{
    const double x = p.x * (rect.width / cellWidth) + rect.left + 0.5;
    const double y = p.y * (rect.height / kDigiCellHeight) + rect.top + 0.5;
    return {int(x), int(y)};
}

DigiColour BlendDigiPen(DigiColour segment, DigiColour background)
{
    DigiColour result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const unsigned s = (segment >> shift) & 0xFF;
        const unsigned b = (background >> shift) & 0xFF;
        const unsigned mixed = unsigned(0.75 * s + 0.25 * b);
        result |= DigiColour(mixed & 0xFF) << shift;
    }
    return result;
}

namespace {

DigiPointF BezierAt(const DigiPointF& p0, const DigiPointF& c1, const DigiPointF& c2, const DigiPointF& p3, double t)
{
    const double u = 1.0 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {a * p0.x + b * c1.x + c * c2.x + d * p3.x, a * p0.y + b * c1.y + c * c2.y + d * p3.y};
}

} // namespace

double DigiBezierError(const std::vector<DigiPointF>& run, const DigiPointF& c1, const DigiPointF& c2)
{
    constexpr int kSamples = 64;
    DigiPointF samples[kSamples + 1];
    for (int i = 0; i <= kSamples; ++i)
        samples[i] = BezierAt(run.front(), c1, c2, run.back(), double(i) / kSamples);
    double error = 0.0;
    for (size_t k = 1; k + 1 < run.size(); ++k) {
        double best = std::numeric_limits<double>::max();
        for (const DigiPointF& s : samples) {
            const double dx = s.x - run[k].x, dy = s.y - run[k].y;
            best = std::min(best, dx * dx + dy * dy);
        }
        error += best;
    }
    return error;
}

void FitDigiBezier(const std::vector<DigiPointF>& run, DigiPointF& c1, DigiPointF& c2)
{
    const size_t n = run.size();
    if (n < 3) {
        c1 = run.front();
        c2 = run.back();
        return;
    }
    // Start with the tangents at both ends: the first inner control point
    // continues from p0 through p1, the second from p(n-1) through p(n-2).
    c1 = {2 * run[1].x - run[0].x, 2 * run[1].y - run[0].y};
    c2 = {2 * run[n - 2].x - run[n - 1].x, 2 * run[n - 2].y - run[n - 1].y};

    // Then each control coordinate in turn is nudged while that lowers the
    // error, the step reversing and shrinking whenever it does not.
    double* coords[4] = {&c1.x, &c1.y, &c2.x, &c2.y};
    const double anchors[4] = {run[0].x, run[0].y, run[n - 1].x, run[n - 1].y};
    double error = DigiBezierError(run, c1, c2);
    for (int round = 0; round < 2; ++round) {
        for (int k = 0; k < 4; ++k) {
            double step = 0.5 * (*coords[k] - anchors[k]);
            while (std::fabs(step) >= 0.01) {
                const double saved = *coords[k];
                *coords[k] = saved + step;
                const double tried = DigiBezierError(run, c1, c2);
                if (tried < error) {
                    error = tried;
                } else {
                    *coords[k] = saved;
                    step /= -3.0;
                }
            }
        }
    }
}

std::vector<DigiPathCommand> BuildDigiPath(const std::vector<DigiPoint>& points,
                                           const std::vector<DigiPointKind>& kinds)
{
    std::vector<DigiPathCommand> path;
    const size_t count = std::min(points.size(), kinds.size());
    auto toF = [](const DigiPoint& p) { return DigiPointF{double(p.x), double(p.y)}; };
    size_t i = 0;
    while (i < count) {
        const DigiPointF here = toF(points[i]);
        if (kinds[i] == DigiPointKind::Start || path.empty()) {
            path.push_back({DigiPathCommand::Move, here, here, here});
            ++i;
        } else if (kinds[i] == DigiPointKind::Line) {
            path.push_back({DigiPathCommand::Line, here, here, here});
            ++i;
        } else {
            // A run of curve points from the point before it to the point
            // after it; a run that ends the outline ends at its last point.
            std::vector<DigiPointF> run{toF(points[i - 1])};
            size_t j = i;
            while (j < count && kinds[j] == DigiPointKind::Curve)
                run.push_back(toF(points[j++]));
            if (j < count)
                run.push_back(toF(points[j++]));
            DigiPathCommand curve{DigiPathCommand::Curve, {}, {}, run.back()};
            FitDigiBezier(run, curve.c1, curve.c2);
            path.push_back(curve);
            i = j;
        }
    }
    return path;
}

bool DigiDisplayModel::SetDisplayText(const std::string& text)
{
    if (text == text_)
        return false;
    text_ = text;
    modified_ = true;
    return true;
}

bool DigiDisplayModel::SetSegmentColours(DigiColour unlit, DigiColour lit)
{
    if (unlit == unlit_ && lit == lit_)
        return false;
    unlit_ = unlit;
    lit_ = lit;
    return true;
}

bool DigiDisplayModel::SetBackgroundColour(DigiColour colour)
{
    if (colour == background_)
        return false;
    background_ = colour;
    return true;
}

int DigiDisplayModel::ChangeDisplayStyle(uint32_t remove, uint32_t add)
{
    if (remove & add)
        return 0;
    style_ |= add;
    style_ &= ~remove;
    modified_ = true;
    return 1;
}

const std::vector<std::unique_ptr<CDigiChar>>& DigiDisplayModel::Characters()
{
    if (modified_) {
        characters_ = BuildDigiCharacters(text_, style_);
        modified_ = false;
    }
    return characters_;
}

} // namespace tarvel
