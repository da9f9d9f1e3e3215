// The braking-system plate drawn on a recording canvas: the axle block, the
// axle rows, the diagram's boxes, letters and marks, the pictures, the two
// documents' differences and the text-object discipline.
#include "SystemTagPlate.h"

#include "ReportBrand.h"
#include "ReportGlobals.h"
#include "ReportTextTable.h"

#include "LanguageTable.h"
#include "ProgramPaths.h"
#include "TextCodec.h"

#include "PageBench.h"
#include "RecordingPdfCanvas.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using tarvel::report::DrawAxleBlock;
using tarvel::report::DrawSystemTagPlate;
using tarvel::report::PlateVariant;
using tarvel::report::SystemTagPlateInputs;
namespace report = tarvel::report;

constexpr float kH = 595.276f;

// A text as placed: x, distance from the top, text.
struct At {
    float x;
    float v;
    std::string text;
    bool operator==(const At& o) const
    {
        return std::fabs(x - o.x) < 0.01f && std::fabs(v - o.v) < 0.01f && text == o.text;
    }
};
std::ostream& operator<<(std::ostream& os, const At& a) { return os << "(" << a.x << ", " << a.v << ", " << a.text << ")"; }

class SystemTagPlate : public ::testing::Test {
protected:
    void SetUp() override { Language(1); }
    void Language(int language)
    {
        LanguageIndex = language;
        ASSERT_TRUE(LoadPdfLanguageConfig());
        in.language = language;
    }
    static SystemTagPlateInputs Numbered()
    {
        SystemTagPlateInputs in;
        for (int n = 1; n <= report::kPlateTextCount; ++n)
            in.Text(n) = "T" + std::to_string(n);
        return in;
    }
    // Texts of one size, in drawing order.
    static std::vector<At> TextsOfSize(const pdfkit::RecordingPdfCanvas& canvas, float size)
    {
        std::vector<At> out;
        for (const auto& t : canvas.Texts())
            if (t.size == size)
                out.push_back({t.x, kH - t.y, t.text});
        return out;
    }
    static bool Has(const std::vector<At>& texts, const At& at)
    {
        return std::find(texts.begin(), texts.end(), at) != texts.end();
    }
    // Pictures drawn, by file name (without folder), with their place.
    static std::vector<At> Pictures(const pdfkit::RecordingPdfCanvas& canvas)
    {
        std::vector<At> out;
        for (const auto& p : canvas.DrawnImages()) {
            const size_t slash = p.source.find_last_of("/\\");
            out.push_back({p.x, kH - p.y, slash == std::string::npos ? p.source : p.source.substr(slash + 1)});
        }
        return out;
    }
    static int Count(const std::vector<At>& list, const std::string& text)
    {
        return static_cast<int>(std::count_if(list.begin(), list.end(), [&](const At& a) { return a.text == text; }));
    }
    pdfkit::RecordingPdfCanvas Draw(PlateVariant variant = PlateVariant::SystemTag)
    {
        pdfkit::RecordingPdfCanvas canvas;
        DrawSystemTagPlate(canvas, in, variant);
        return canvas;
    }

    tarvel::ScopedProgramFolder useData{tarvel_test::DataFolder()};
    SystemTagPlateInputs in = Numbered();
};

TEST_F(SystemTagPlate, TheAxleBlockChoosesItsFieldsByFlagAndOptions)
{
    // T19..T26: 421..428; T33..36: 508..511; T37 369, T38 371, T39 368, T40 370.
    const std::vector<At> setRow = {{171, 500, "T33"}, {300, 500, "T34"}, {340, 500, "T35"}, {420, 500, "T36"}};
    const std::vector<At> otherRow = {{171, 500, "T23"}, {300, 500, "T24"}, {340, 500, "T25"}, {420, 500, "T26"}};
    struct Case {
        const char* flag;
        int a;
        int h;
        std::vector<At> head;
        bool set;
    };
    const Case cases[] = {
        {"1", 1, 1, {{130, 500, "0"}, {260, 500, "T37"}, {462, 500, "T38"}}, true},
        {"1", 1, 0, {}, true},
        {"1", 0, 1, {{130, 500, "T20"}, {260, 500, "T22"}}, true},
        {"1", 0, 0, {{130, 500, "T20"}, {260, 500, "T22"}}, true},
    };
    for (const Case& c : cases) {
        for (const char* flag : {c.flag, " 1", "01", ""}) {
            const bool set = std::string(flag) == "1";
            in.heightSensorMode = c.a;
            in.heightSensorAxle2Present = c.h;
            pdfkit::RecordingPdfCanvas canvas;
            canvas.AddPage(report::PdfPageSize::A4, report::PdfOrientation::Landscape);
            canvas.SetFont(report::WesternReportFont(), 11);
            canvas.BeginText();
            DrawAxleBlock(canvas, in, 500, flag);
            canvas.EndText();
            std::vector<At> want;
            if (set) {
                want = c.head;
            } else if (c.a == 1) {
                want = {{130, 500, "0"}, {260, 500, "T39"}, {462, 500, "T40"}};
            } else {
                want = {{130, 500, "T19"}, {260, 500, "T21"}};
            }
            const auto& tail = set ? setRow : otherRow;
            want.insert(want.end(), tail.begin(), tail.end());
            EXPECT_THAT(TextsOfSize(canvas, 11), ElementsAreArray(want))
                << "flag \"" << flag << "\" A " << c.a << " H " << c.h;
            EXPECT_TRUE(canvas.TextBlocksBalanced());
        }
    }
}

TEST_F(SystemTagPlate, AxleRowsFollowTheLeadingNumberAndPicturesTheExactText)
{
    struct Case {
        const char* count;
        int rows;
        const char* pair;
    };
    const Case cases[] = {{"", 0, "1"}, {"x", 0, "1"}, {"0", 0, "1"}, {"3", 3, "3"}, {"7", 5, "1"},
                          {" 2", 2, "1"}, {"5", 5, "5"}, {"-2", 0, "1"}};
    const float rowV[5] = {478, 499, 519, 539, 559};
    for (const Case& c : cases) {
        in.Text(report::kPlateAxleCount) = c.count;
        const auto canvas = Draw();
        const auto values = TextsOfSize(canvas, 11);
        for (int k = 1; k <= 5; ++k) {
            const bool drawn = k <= c.rows;
            EXPECT_EQ(Has(values, {82, rowV[k - 1], "T" + std::to_string(8 + k)}), drawn) << c.count << " row " << k;
            EXPECT_EQ(Has(values, {209, rowV[k - 1], "T" + std::to_string(13 + k)}), drawn) << c.count << " row " << k;
        }
        const auto pictures = Pictures(canvas);
        EXPECT_TRUE(Has(pictures, {105, 405, std::string("unladen_axle_") + c.pair + ".png"})) << c.count;
        EXPECT_TRUE(Has(pictures, {300, 405, std::string("laden_axle_") + c.pair + ".png"})) << c.count;
    }
}

TEST_F(SystemTagPlate, SensorLettersFollowTheChoiceAxlesAndFlags)
{
    struct Case {
        int choice;
        int axles;
        std::vector<int> flags; // indexes of AxleFeatureFlags set to 1
        std::vector<At> want;
    };
    const Case cases[] = {
        {1, 3, {3}, {{597, 338, "e"}, {597, 276, "f"}}},
        {2, 3, {3}, {{597, 338, "f"}, {597, 276, "e"}}},
        {1, 1, {}, {{597, 338, "c"}, {597, 276, "d"}}},
        {2, 1, {1}, {{597, 338, "d"}, {597, 276, "c"}}},
        {1, 3, {0, 4, 5}, {{572, 338, "c"}, {572, 276, "d"}, {622, 338, "c"}, {622, 276, "d"},
                           {622, 338, "e"}, {622, 276, "f"}}},
        {0, 3, {0, 1, 2, 3}, {}},
        {3, 1, {0}, {}},
        {1, 7, {0}, {}},
        {1, 0, {0}, {}},
    };
    for (const Case& c : cases) {
        in.parameterChoice = c.choice;
        in.axleCount = c.axles;
        in.axleFeatureFlags = {};
        for (int i : c.flags)
            in.axleFeatureFlags[static_cast<size_t>(i)] = 1;
        EXPECT_THAT(TextsOfSize(Draw(), 13), ElementsAreArray(c.want)) << "choice " << c.choice << " axles " << c.axles;
    }
}

TEST_F(SystemTagPlate, LiftingMarksAndTheDiagramBoxes)
{
    in.axleCount = 2;
    in.liftingAxleFlags = {1, 1, 0, 1};
    in.liftingAxleCalibrationEnabled = 1;
    for (PlateVariant variant : {PlateVariant::SystemTag, PlateVariant::EolReport}) {
        const auto canvas = Draw(variant);
        const float size = variant == PlateVariant::SystemTag ? 11 : 9;
        std::vector<At> marks;
        for (const auto& t : TextsOfSize(canvas, size))
            if (t.v == 356)
                marks.push_back(t);
        EXPECT_THAT(marks, ElementsAre(At{568, 356, PdfText(20)}, At{568, 356, PdfText(21)},
                                       At{618, 356, PdfText(21)}));
        std::vector<At> boxes;
        for (const auto& p : Pictures(canvas))
            if (p.text == "gray_bg2.png")
                boxes.push_back(p);
        EXPECT_THAT(boxes, ElementsAre(At{565, 341, "gray_bg2.png"}, At{565, 279, "gray_bg2.png"},
                                       At{565, 358, "gray_bg2.png"}, At{615, 341, "gray_bg2.png"},
                                       At{615, 279, "gray_bg2.png"}, At{615, 358, "gray_bg2.png"}));
    }
    // Without the lifting calibration: two rows of boxes.
    in.liftingAxleCalibrationEnabled = 0;
    EXPECT_EQ(Count(Pictures(Draw()), "gray_bg2.png"), 4);
    // A count outside 1..5: the system tag keeps one column of two boxes, the
    // EOL report none; no letters, no marks either way.
    in.axleCount = 7;
    in.liftingAxleCalibrationEnabled = 1;
    in.parameterChoice = 1;
    std::vector<At> boxes;
    for (const auto& p : Pictures(Draw()))
        if (p.text == "gray_bg2.png")
            boxes.push_back(p);
    EXPECT_THAT(boxes, ElementsAre(At{590, 341, "gray_bg2.png"}, At{590, 279, "gray_bg2.png"}));
    EXPECT_EQ(Count(Pictures(Draw(PlateVariant::EolReport)), "gray_bg2.png"), 0);
    EXPECT_THAT(TextsOfSize(Draw(), 13), IsEmpty());
    for (const auto& t : TextsOfSize(Draw(), 11))
        EXPECT_NE(t.v, 356.0f) << t;
}

TEST_F(SystemTagPlate, TheHeightSensorModeChoosesItsPictures)
{
    const std::vector<std::string> always = {"load.png", "breakPressure.png", "row11.png", "row12.png", "row13.png",
                                             "gray_bg.png"};
    struct Case {
        int mode;
        std::vector<At> want;
    };
    const Case cases[] = {
        {2, {{124, 462, "loadPressure.png"}, {254, 462, "loadPressure.png"}, {452, 405, "liftingBridge.png"}}},
        {1, {{124, 462, "heightSensorZero.png"}, {254, 462, "heightSensorDistance.png"},
             {452, 405, "heightSensorLength.png"}}},
        {0, {}},
        {255, {}},
    };
    for (const Case& c : cases) {
        in.heightSensorMode = c.mode;
        const auto pictures = Pictures(Draw());
        std::vector<At> modePictures;
        for (const auto& p : pictures)
            if (p.text.rfind("loadPressure", 0) == 0 || p.text.rfind("lifting", 0) == 0 ||
                p.text.rfind("heightSensor", 0) == 0)
                modePictures.push_back(p);
        EXPECT_THAT(modePictures, ElementsAreArray(c.want)) << c.mode;
        for (const auto& name : always)
            EXPECT_GE(Count(pictures, name), 1) << name;
        EXPECT_EQ(Count(pictures, "breakPressure.png"), 3);
        EXPECT_TRUE(Has(pictures, {712, 405, "breakPressure.png"}));
        EXPECT_TRUE(Has(pictures, {80, 461, "load.png"}) && Has(pictures, {209, 461, "load.png"}));
    }
}

TEST_F(SystemTagPlate, TheCheckMarkNeedsExactlyOneOrTwo)
{
    const std::pair<const char*, float> cases[] = {{"1", 276}, {"2", 310}, {"1 ", 0}, {"3", 0}, {"", 0}};
    for (const auto& c : cases) {
        in.Text(report::kPlate361) = c.first;
        const auto values = TextsOfSize(Draw(), 11);
        const int marks = Count(values, PdfText(110));
        EXPECT_EQ(marks, c.second > 0 ? 1 : 0) << c.first;
        if (c.second > 0) {
            EXPECT_TRUE(Has(values, {175, c.second, PdfText(110)})) << c.first;
        }
    }
    // Chinese marks with the tick.
    Language(0);
    in.Text(report::kPlate361) = "1";
    EXPECT_TRUE(Has(TextsOfSize(Draw(), 11), {175, 276, "\xE2\x88\x9A"}));
}

TEST_F(SystemTagPlate, TheTitleStandsByBrandAndLanguage)
{
    struct Case {
        int brand;
        int language;
        float x;
    };
    const Case cases[] = {{0, 1, 220}, {1, 1, 185}, {2, 1, 185}, {2, 4, 160}, {1, 4, 185}, {0, 4, 220}, {7, 1, 185}};
    const float boxRight = 841.89f / 2 + 50;
    for (const Case& c : cases) {
        Language(c.language);
        in.brandIndex = c.brand;
        // The shipped title, whole and once, inside the title box (moved
        // left or made smaller where it would not fit from its place).
        const auto canvas = Draw();
        const std::string title = report::BrandWord(c.brand) + PdfText(2);
        int found = 0;
        for (const auto& t : canvas.Texts())
            if (t.text == title) {
                ++found;
                EXPECT_GE(t.box.left, 130) << c.brand << " " << c.language;
                EXPECT_LE(t.box.right, boxRight) << c.brand << " " << c.language;
                EXPECT_LE(t.size, 22);
            }
        EXPECT_EQ(found, 1) << c.brand << " " << c.language;
        const auto pictures = Pictures(canvas);
        EXPECT_EQ(Has(pictures, {30, 75, "logo.jpg"}), c.brand == 1 || c.brand == 2);
        EXPECT_EQ(Has(pictures, {30, 75, "built-in"}), !(c.brand == 1 || c.brand == 2));
        // A title that fits from its place stands there, in size 22.
        PdfTextTable[2].text = "Plate";
        const auto titles = TextsOfSize(Draw(), 22);
        ASSERT_EQ(titles.size(), 1u);
        EXPECT_EQ(titles[0], (At{c.x, 58, report::BrandWord(c.brand) + "Plate"})) << c.brand << " " << c.language;
    }
    EXPECT_EQ(report::BrandWord(0), "Morvane ");
    EXPECT_EQ(report::BrandWord(5), "Morvane ");
    for (int brand : {1, 2}) {
        EXPECT_EQ(report::BrandWord(brand).back(), ' ');
        EXPECT_NE(report::BrandWord(brand), "Morvane ");
    }
}

TEST_F(SystemTagPlate, TheTwoDocumentsDifferOnlyInChineseLabelsMarksAndBoxes)
{
    Language(0);
    const auto tag = TextsOfSize(Draw(PlateVariant::SystemTag), 9);
    const auto eol = TextsOfSize(Draw(PlateVariant::EolReport), 9);
    EXPECT_TRUE(Has(tag, {91, 276, PdfText(11)}));
    EXPECT_TRUE(Has(tag, {42, 345, PdfText(15)}));
    EXPECT_TRUE(Has(eol, {95, 276, PdfText(11)}));
    EXPECT_TRUE(Has(eol, {52, 345, PdfText(15)}));
    Language(1);
    EXPECT_TRUE(Has(TextsOfSize(Draw(PlateVariant::EolReport), 9), {91, 276, PdfText(11)}));
    EXPECT_TRUE(Has(TextsOfSize(Draw(PlateVariant::EolReport), 9), {42, 345, PdfText(15)}));
}

TEST_F(SystemTagPlate, LabelsMoveWithTheLanguage)
{
    Language(4);
    // The layout's three places for the words of the load-sensing label
    // hold a label of three words.
    PdfTextTable[10].text = "Tipo de carga";
    auto labels = TextsOfSize(Draw(), 9);
    EXPECT_TRUE(Has(labels, {38, 280, "Tipo"}));
    EXPECT_TRUE(Has(labels, {45, 293, "de"}));
    EXPECT_TRUE(Has(labels, {31, 303, "carga"}));
    // The shipped label has five: none is dropped, all stand in the label's
    // cell (x 30..80, v 255..325).
    ASSERT_TRUE(LoadPdfLanguageConfig());
    const auto canvas = Draw();
    std::string drawn;
    for (const auto& t : canvas.Texts())
        if (t.box.left >= 30 && t.box.right <= 80 && kH - t.box.top >= 255 && kH - t.box.bottom <= 325)
            drawn += (drawn.empty() ? "" : " ") + t.text;
    EXPECT_EQ(drawn, PdfText(10));
    labels = TextsOfSize(canvas, 9);
    const std::string six = PdfText(6);
    const size_t blank = six.find(' ');
    ASSERT_NE(blank, std::string::npos);
    EXPECT_TRUE(Has(labels, {58, 200, six.substr(0, blank)}));
    EXPECT_TRUE(Has(labels, {38, 214, six.substr(blank + 1)}));
    EXPECT_TRUE(Has(labels, {55, 170, PdfText(5)}));
    Language(1);
    const auto english = TextsOfSize(Draw(), 9);
    EXPECT_TRUE(Has(english, {38, 205, PdfText(6)}));
    EXPECT_TRUE(Has(english, {85, 170, PdfText(5)}));
    EXPECT_TRUE(Has(english, {402, 93, "GIO"}));
    EXPECT_TRUE(Has(english, {47, 559, "5"}));
    PdfTextTable[10].text = "Load";
    EXPECT_TRUE(Has(TextsOfSize(Draw(), 9), {48, 293, "Load"}));
}

TEST_F(SystemTagPlate, TheValuesStandAtTheirPlaces)
{
    in.Text(report::kPlateAbsConfiguration) = "4S2M";
    const auto values = TextsOfSize(Draw(), 11);
    for (const At& at : {At{180, 100, "T1"}, At{180, 135, "T2"}, At{180, 170, "T3"}, At{180, 205, "T4"},
                         At{165, 240, "T5"}, At{210, 240, "T6"}, At{320, 240, "4S2M"}})
        EXPECT_TRUE(Has(values, at)) << at;
}

TEST_F(SystemTagPlate, TextOnlyInsideTextObjectsAndPicturesAndLinesOutside)
{
    in.axleCount = 3;
    in.parameterChoice = 1;
    in.axleFeatureFlags = {1, 1, 1, 1, 1, 1};
    in.liftingAxleFlags = {1, 1};
    in.Text(report::kPlateAxleCount) = "3";
    in.Text(report::kPlateAxleFlag1) = "1";
    const auto canvas = Draw();
    EXPECT_TRUE(canvas.TextBlocksBalanced());
    bool inText = false;
    int strokes = 0;
    for (const auto& call : canvas.Calls()) {
        using pdfkit::CallKind;
        if (call.kind == CallKind::BeginText)
            inText = true;
        else if (call.kind == CallKind::EndText)
            inText = false;
        else if (call.kind == CallKind::DrawImage || call.kind == CallKind::LoadImage ||
                 call.kind == CallKind::MoveTo || call.kind == CallKind::LineTo || call.kind == CallKind::Stroke) {
            EXPECT_FALSE(inText) << static_cast<int>(call.kind);
        }
        if (call.kind == CallKind::Stroke)
            ++strokes;
    }
    EXPECT_EQ(strokes, 1);
    EXPECT_EQ(canvas.PageCount(), 1);
    // The rules: one path of half-point lines, the frame among them.
    const auto segments = canvas.StrokedSegments();
    EXPECT_GT(segments.size(), 80u);
    for (const auto& s : segments)
        EXPECT_FLOAT_EQ(s.lineWidth, 0.5f);
    const float w = 841.89f;
    EXPECT_TRUE(std::any_of(segments.begin(), segments.end(), [&](const pdfkit::Segment& s) {
        return std::fabs(s.x1 - 20) < 0.01f && std::fabs(s.y1 - (kH - 20)) < 0.01f &&
               std::fabs(s.x2 - (w - 20)) < 0.01f && std::fabs(s.y2 - (kH - 20)) < 0.01f;
    }));
}

TEST_F(SystemTagPlate, LongValuesAreCutAtACharacterBoundary)
{
    std::string longText;
    for (int i = 0; i < 200; ++i)
        longText += "\xC3\xA9"; // é: one byte in code page 1252
    for (int i = 0; i < 100; ++i)
        longText += "ab";
    in.Text(report::kPlateManufacturer) = longText;
    // Far too long for its cell: what fits of it, at a character boundary,
    // ends in an ellipsis, and stays in the cell (x 160 to the grid's edge).
    const auto canvas = Draw();
    const auto texts = canvas.Texts();
    const pdfkit::PlacedText* value = nullptr;
    for (const auto& t : texts)
        if (t.text.rfind("\xC3\xA9", 0) == 0)
            value = &t;
    ASSERT_NE(value, nullptr);
    const std::string ellipsis = "\xE2\x80\xA6";
    ASSERT_GT(value->text.size(), ellipsis.size());
    EXPECT_EQ(value->text.substr(value->text.size() - ellipsis.size()), ellipsis);
    const std::string kept = value->text.substr(0, value->text.size() - ellipsis.size());
    EXPECT_EQ(kept, longText.substr(0, kept.size()));
    EXPECT_TRUE(tarvel::IsValidUtf8(kept));
    EXPECT_GE(value->box.left, 160);
    EXPECT_LE(value->box.right, 841.89f / 3 + 100);
    // Chinese: two bytes a character; 255 leaves 127 characters.
    const std::string han = "\xE4\xB8\xAD";
    std::string chinese;
    for (int i = 0; i < 200; ++i)
        chinese += han;
    EXPECT_EQ(report::CutForFont(chinese, report::ReportFontForLanguage(0)).size(), 127u * 3u);
    EXPECT_EQ(report::CutForFont("short", report::ReportFontForLanguage(0)), "short");
}

TEST_F(SystemTagPlate, InputsNowCopyTheGlobals)
{
    PlateManufacturer = "M";
    PlateField586 = "lock";
    PlateAxleCount = "3";
    PlateField370 = "9.0";
    LanguageIndex = 4;
    const SystemTagPlateInputs now = report::SystemTagPlateInputsNow(2);
    EXPECT_EQ(now.Text(report::kPlateManufacturer), "M");
    EXPECT_EQ(now.Text(report::kPlate586), "lock");
    EXPECT_EQ(now.Text(report::kPlateAxleCount), "3");
    EXPECT_EQ(now.Text(report::kPlate370), "9.0");
    EXPECT_EQ(now.brandIndex, 2);
    EXPECT_EQ(now.language, 4);
    EXPECT_EQ(now.heightSensorMode, 0xFF); // no row gave it
}

} // namespace
