#include "DigiChar.h"

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

namespace tarvel {
namespace {

enum Kind { Seven, Fourteen, ColonDot };

struct Expected {
    Kind kind;
    uint16_t mask;
};

Kind KindOf(const CDigiChar& c)
{
    if (dynamic_cast<const CDigi7Segment*>(&c))
        return Seven;
    if (dynamic_cast<const CDigi14Segment*>(&c))
        return Fourteen;
    EXPECT_NE(dynamic_cast<const CDigiColonDotChar*>(&c), nullptr);
    return ColonDot;
}

TEST(DigiCharacterList, CharactersMapToTheirDisplayCharacter)
{
    const struct {
        const char* text;
        uint32_t style;
        std::vector<Expected> expected;
    } cases[] = {
        {"8.8", DS_SZ_PROP, {{Seven, 0x7F}, {ColonDot, 0x04}, {Seven, 0x7F}}},
        {"A", 0, {{Fourteen, 0x3BC0}}},
        {"Z", 0, {{Fourteen, 0x240C}}},
        {"0", DS_STYLE14, {{Fourteen, 0x3F00}}},
        {"0", 0, {{Seven, 0x77}}},
        {" -9", 0, {{Seven, 0x00}, {Seven, 0x08}, {Seven, 0x6F}}},
        {" -9", DS_STYLE14, {{Fourteen, 0x0000}, {Fourteen, 0x00C0}, {Fourteen, 0x3DC0}}},
        {":", 0, {{ColonDot, 0x03}}},
        {"*", 0, {{Fourteen, 0x00FF}}},
        {"+", 0, {{Fourteen, 0x00E1}}},
        // Lower-case letters and other characters have no shape and are skipped.
        {"a1b,?\xC3\xA9", 0, {{Seven, 0x24}}},
        {"", 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\" style " + std::to_string(c.style));
        const auto list = BuildDigiCharacters(c.text, c.style);
        ASSERT_EQ(list.size(), c.expected.size());
        for (size_t i = 0; i < list.size(); ++i) {
            const Kind kind = KindOf(*list[i]);
            EXPECT_EQ(kind, c.expected[i].kind) << i;
            EXPECT_EQ(list[i]->Mask(), c.expected[i].mask) << i;
            EXPECT_EQ(list[i]->Width(), kind == ColonDot ? 18 : 49) << i;
            EXPECT_EQ(list[i]->SegmentCount(), kind == Seven ? 7u : kind == Fourteen ? 14u : 3u) << i;
        }
    }
}

TEST(DigiCharacterList, MaskTablesCoverEveryLetterAndDigit)
{
    // Every digit and letter lights something; a table slip to zero would
    // show a blank character.
    for (char c = '0'; c <= '9'; ++c) {
        EXPECT_NE(MakeDigiChar(c, 0)->Mask(), 0) << c;
        EXPECT_NE(MakeDigiChar(c, DS_STYLE14)->Mask(), 0) << c;
    }
    for (char c = 'A'; c <= 'Z'; ++c)
        EXPECT_NE(MakeDigiChar(c, 0)->Mask(), 0) << c;
    EXPECT_EQ(kDigi14SegmentMasks[37], 0x240C);
    EXPECT_EQ(kDigi7SegmentMasks[11], 0x08);
}

TEST(DigiCharacterList, MaskTablesHoldEverySegmentOfEveryCharacter)
{
    // The whole tables: a single wrong segment anywhere shows a wrong glyph.
    const std::vector<uint16_t> seven = {0x00, 0x77, 0x24, 0x5D, 0x6D, 0x2E, 0x6B, 0x7B, 0x25, 0x7F, 0x6F, 0x08};
    const std::vector<uint16_t> fourteen = {
        0x0000, 0x3F00, 0x1800, 0x36C0, 0x3CC0, 0x19C0, 0x2DC0, 0x2FC0, 0x3800, 0x3FC0, 0x3DC0, 0x00C0, 0x3BC0,
        0x3CA1, 0x2700, 0x3C21, 0x27C0, 0x23C0, 0x2F80, 0x1BC0, 0x2421, 0x1E00, 0x0354, 0x0700, 0x1B06, 0x1B12,
        0x3F00, 0x33C0, 0x3F10, 0x33D0, 0x2DC0, 0x2021, 0x1F00, 0x030C, 0x1B18, 0x001E, 0x11E0, 0x240C};
    EXPECT_EQ(std::vector<uint16_t>(std::begin(kDigi7SegmentMasks), std::end(kDigi7SegmentMasks)), seven);
    EXPECT_EQ(std::vector<uint16_t>(std::begin(kDigi14SegmentMasks), std::end(kDigi14SegmentMasks)), fourteen);
    // And the characters take their rows: space 0, digits 1..10, "-" 11, letters 12..37.
    EXPECT_EQ(MakeDigiChar(' ', DS_STYLE14)->Mask(), fourteen[0]);
    EXPECT_EQ(MakeDigiChar('-', DS_STYLE14)->Mask(), fourteen[11]);
    EXPECT_EQ(MakeDigiChar('-', 0)->Mask(), seven[11]);
    for (char c = '0'; c <= '9'; ++c) {
        EXPECT_EQ(MakeDigiChar(c, 0)->Mask(), seven[static_cast<size_t>(c - '0' + 1)]) << c;
        EXPECT_EQ(MakeDigiChar(c, DS_STYLE14)->Mask(), fourteen[static_cast<size_t>(c - '0' + 1)]) << c;
    }
    for (char c = 'A'; c <= 'Z'; ++c)
        EXPECT_EQ(MakeDigiChar(c, 0)->Mask(), fourteen[static_cast<size_t>(c - 'A' + 12)]) << c;
}

using Points = std::vector<DigiPoint>;

TEST(DigiOutlines, SegmentsArePlacedByTheirMirrors)
{
    CDigi7Segment seven;
    seven.SetCharacterMask(0x7F, 0);
    // Upper right: the left shape mirrored at x = 24; lower right: reflected.
    EXPECT_EQ(seven.Segments()[2].points, (Points{{44, 6}, {44, 40}, {37, 36}, {37, 13}}));
    EXPECT_EQ(seven.Segments()[5].points, (Points{{44, 76}, {44, 42}, {37, 46}, {37, 69}}));
    EXPECT_EQ(seven.Segments()[6].points, (Points{{5, 78}, {12, 71}, {36, 71}, {43, 78}}));
    EXPECT_EQ(seven.Segments()[3].points.size(), 6u);

    seven.SetCharacterMask(0x7F, DS_SMOOTH);
    // Smooth lower right: the smooth right shape mirrored at y = 41, with its kinds.
    EXPECT_EQ(seven.Segments()[5].points.front(), (DigiPoint{37, 46}));
    EXPECT_EQ(seven.Segments()[5].points.back(), (DigiPoint{37, 70}));
    const std::vector<DigiPointKind> rightKinds = {
        DigiPointKind::Start, DigiPointKind::Curve, DigiPointKind::Curve, DigiPointKind::Line, DigiPointKind::Line,
        DigiPointKind::Line,  DigiPointKind::Curve, DigiPointKind::Curve, DigiPointKind::Curve, DigiPointKind::Line};
    EXPECT_EQ(seven.Segments()[5].kinds, rightKinds);

    CDigi14Segment fourteen;
    fourteen.SetCharacterMask(0, 0);
    EXPECT_EQ(fourteen.Segments()[4].points, (Points{{43, 77}, {33, 47}, {28, 45}, {30, 57}}));  // reflect
    EXPECT_EQ(fourteen.Segments()[10].points, (Points{{6, 78}, {11, 71}, {37, 71}, {42, 78}})); // bottom
    EXPECT_EQ(fourteen.Segments()[12].points, (Points{{44, 7}, {44, 40}, {37, 36}, {37, 26}})); // upper right
    fourteen.SetCharacterMask(0, DS_SMOOTH);
    EXPECT_EQ(fourteen.Segments()[13].points.size(), 17u);
    EXPECT_EQ(fourteen.Segments()[0].points.size(), 13u);
    for (const DigiSegment& s : fourteen.Segments())
        EXPECT_EQ(s.points.size(), s.kinds.size());

    CDigiColonDotChar dot;
    dot.SetCharacterMask(0x04, DS_SMOOTH);
    EXPECT_EQ(dot.Segments()[2].points, (Points{{4, 68}, {4, 77}, {13, 77}, {13, 68}}));
    EXPECT_TRUE(dot.IsLit(2));
    EXPECT_FALSE(dot.IsLit(0));
    EXPECT_FALSE(dot.IsLit(99));
}

TEST(DigiLayout, ProportionalCentresAndStretchedFills)
{
    const auto list = BuildDigiCharacters("8.8", 0); // 49 + 18 + 49 = 116 units
    const struct {
        int width, height;
        uint32_t style;
        std::vector<DigiRect> rects;
    } cases[] = {
        // Wide area: the height limits the scale to 1, the text is centred.
        {232, 83, DS_SZ_PROP, {{58, 0, 49, 83}, {107, 0, 18, 83}, {125, 0, 49, 83}}},
        // Tall area: the width limits, the text is centred vertically.
        {116, 166, DS_SZ_PROP, {{0, 41.5, 49, 83}, {49, 41.5, 18, 83}, {67, 41.5, 49, 83}}},
        // Without the proportional style the text fills the whole area.
        {232, 83, 0, {{0, 0, 98, 83}, {98, 0, 36, 83}, {134, 0, 98, 83}}},
        {116, 166, 0, {{0, 0, 49, 166}, {49, 0, 18, 166}, {67, 0, 49, 166}}},
        {0, 83, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " style " + std::to_string(c.style));
        const auto rects = LayoutDigiCharacters(list, c.width, c.height, c.style);
        ASSERT_EQ(rects.size(), c.rects.size());
        for (size_t i = 0; i < rects.size(); ++i) {
            EXPECT_DOUBLE_EQ(rects[i].left, c.rects[i].left) << i;
            EXPECT_DOUBLE_EQ(rects[i].top, c.rects[i].top) << i;
            EXPECT_DOUBLE_EQ(rects[i].width, c.rects[i].width) << i;
            EXPECT_DOUBLE_EQ(rects[i].height, c.rects[i].height) << i;
        }
    }
    // An empty text has nothing to place (and no division by a zero width).
    EXPECT_TRUE(LayoutDigiCharacters(BuildDigiCharacters("abc", 0), 100, 100, DS_SZ_PROP).empty());
}

TEST(DigiLayout, PointsMapIntoTheCharacterRectangle)
{
    const DigiRect rect{58, 10, 98, 166}; // twice the cell size
    EXPECT_EQ(MapDigiPoint({24, 41}, rect, 49), (DigiPoint{106, 92}));
    EXPECT_EQ(MapDigiPoint({0, 0}, rect, 49), (DigiPoint{58, 10}));
    EXPECT_EQ(MapDigiPoint({13, 77}, DigiRect{0, 0, 9, 41.5}, 18), (DigiPoint{7, 39}));
}

TEST(DigiColours, PenBlendsThreeQuartersSegmentWithBackground)
{
    EXPECT_EQ(BlendDigiPen(0x00FF00, 0x000000), 0x00BF00u);
    EXPECT_EQ(BlendDigiPen(0x003400, 0x0000FF), 0x00273Fu);
    EXPECT_EQ(BlendDigiPen(0xFFFFFF, 0xFFFFFF), 0xFFFFFFu);
}

TEST(DigiPath, CurveRunsBecomeOneFittedBezier)
{
    // The smooth top of a 7-segment digit: S C C C L L L.
    const std::vector<DigiPoint> points = {{6, 4}, {5, 5}, {5, 6}, {8, 9}, {12, 11}, {36, 11}, {39, 4}};
    const std::vector<DigiPointKind> kinds = {DigiPointKind::Start, DigiPointKind::Curve, DigiPointKind::Curve,
                                              DigiPointKind::Curve, DigiPointKind::Line,  DigiPointKind::Line,
                                              DigiPointKind::Line};
    const auto path = BuildDigiPath(points, kinds);
    ASSERT_EQ(path.size(), 4u);
    EXPECT_EQ(path[0].kind, DigiPathCommand::Move);
    EXPECT_EQ(path[1].kind, DigiPathCommand::Curve);
    EXPECT_DOUBLE_EQ(path[1].to.x, 12);
    EXPECT_DOUBLE_EQ(path[1].to.y, 11);
    EXPECT_EQ(path[2].kind, DigiPathCommand::Line);
    EXPECT_DOUBLE_EQ(path[3].to.x, 39);

    // The fitted curve runs closer to the run than the starting guess.
    const std::vector<DigiPointF> run = {{6, 4}, {5, 5}, {5, 6}, {8, 9}, {12, 11}};
    const DigiPointF guess1{4, 6}, guess2{4, 7};
    EXPECT_LT(DigiBezierError(run, path[1].c1, path[1].c2), DigiBezierError(run, guess1, guess2));
    EXPECT_LT(DigiBezierError(run, path[1].c1, path[1].c2), 1.0);
}

TEST(DigiPath, MalformedOutlinesStayInBounds)
{
    // More kinds than points, a trailing curve run, a leading curve point.
    const std::vector<DigiPoint> points = {{0, 0}, {1, 1}, {2, 1}};
    const auto path = BuildDigiPath(points, {DigiPointKind::Curve, DigiPointKind::Curve, DigiPointKind::Curve,
                                             DigiPointKind::Line});
    ASSERT_EQ(path.size(), 2u);
    EXPECT_EQ(path[0].kind, DigiPathCommand::Move);
    EXPECT_EQ(path[1].kind, DigiPathCommand::Curve);
    EXPECT_DOUBLE_EQ(path[1].to.x, 2);
    EXPECT_TRUE(BuildDigiPath({}, {}).empty());
}

TEST(DigiDisplayModelTest, StyleChangesAndRepaintAnswers)
{
    DigiDisplayModel model;
    EXPECT_EQ(model.Text(), "EMPTY");
    EXPECT_EQ(model.Style(), uint32_t(DS_SZ_PROP));
    EXPECT_EQ(model.UnlitColour(), 0x003400u);
    EXPECT_EQ(model.LitColour(), 0x00FF00u);
    EXPECT_EQ(model.Characters().size(), 5u);
    EXPECT_FALSE(model.Modified());

    EXPECT_TRUE(model.SetDisplayText("0"));
    EXPECT_FALSE(model.SetDisplayText("0"));
    EXPECT_EQ(KindOf(*model.Characters()[0]), Seven);

    // Removing and adding the same bit is refused and changes nothing.
    EXPECT_EQ(model.ChangeDisplayStyle(DS_SMOOTH, DS_SMOOTH | DS_STYLE14), 0);
    EXPECT_EQ(model.Style(), uint32_t(DS_SZ_PROP));
    EXPECT_FALSE(model.Modified());

    EXPECT_EQ(model.ChangeDisplayStyle(DS_SZ_PROP, DS_STYLE14), 1);
    EXPECT_EQ(model.Style(), uint32_t(DS_STYLE14));
    EXPECT_TRUE(model.Modified());
    EXPECT_EQ(KindOf(*model.Characters()[0]), Fourteen);

    EXPECT_FALSE(model.SetSegmentColours(0x003400, 0x00FF00));
    EXPECT_TRUE(model.SetSegmentColours(0x003400, 0x0000FF));
    EXPECT_FALSE(model.SetBackgroundColour(0));
    EXPECT_TRUE(model.SetBackgroundColour(0xFFFFFF));
    EXPECT_FALSE(model.Modified()); // colours need a repaint, not a new character list
}

} // namespace
} // namespace tarvel
