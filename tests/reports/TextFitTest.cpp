// The fitting rule of the report texts and the measure it stands on: the
// runs Chinese text is drawn in, the widths and heights of drawn text, and
// where and in which size a text in a room is drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RecordingPdfCanvas.h"
#include "ReportFonts.h"
#include "TextFit.h"
#include "TextMeasure.h"

using namespace tarvel::report;

namespace {

const ReportFont kLatin = WesternReportFont();
const ReportFont kChinese = ReportFontForLanguage(0);

// The runs as letters: H Helvetica, S SimSun, R the Cyrillic font in its
// code page, L the same file in the Western code page, U the Unicode font.
std::string Runs(const ReportFont& font, const std::string& text)
{
    std::string out;
    for (const FontRun& run : FontRuns(font, text)) {
        const char* letter = run.font.name == "Helvetica"  ? "H["
                             : run.font.name == "SimSun"   ? "S["
                             : run.font == UnicodeReportFont() ? "U["
                             : run.font == ReportFontForLanguage(2) ? "R["
                             : run.font.encoding == "CP1252" && run.font.source == FontSource::TrueType ? "L["
                                                                                                         : "?[";
        out += letter + run.text + "]";
    }
    return out;
}

TEST(FontRuns, ChineseTextDrawsItsLatinRunsInHelvetica)
{
    struct Case {
        std::string text;
        std::string runs;
    };
    const Case cases[] = {
        {"\xE8\xBD\xA6\xE8\xBE\x86", "S[\xE8\xBD\xA6\xE8\xBE\x86]"},                    // 车辆
        {"WTR4S2M0N0K012345", "H[WTR4S2M0N0K012345]"},                                   // the VIN
        {"\xE9\x80\x9A\xE9\x81\x93" "1\xE9\x87\x8A", "S[\xE9\x80\x9A\xE9\x81\x93]H[1]S[\xE9\x87\x8A]"}, // 通道1释
        {"\xE4\xBC\xA0 c", "S[\xE4\xBC\xA0]H[ c]"},                                      // 传 c
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Runs(kChinese, c.text), c.runs) << c.text;
    // Every other font draws a text as one run, in itself.
    EXPECT_EQ(Runs(kLatin, "S\xC3\xA3o 1"), "H[S\xC3\xA3o 1]");
    const std::vector<FontRun> russian = FontRuns(ReportFontForLanguage(2), "\xD0\x9E\xD1\x81\xD1\x8C 1");
    ASSERT_EQ(russian.size(), 1u);
    EXPECT_EQ(russian[0].font, ReportFontForLanguage(2));
}

TEST(FontRuns, WhatTheLanguagesFontCannotHoldIsDrawnInAFontThatCan)
{
    ASSERT_FALSE(CyrillicFontFile().empty()) << "DejaVu Sans (fonts-dejavu-core) is needed for the reports";
    ASSERT_EQ(UnicodeReportFont().encoding, "UTF-8");
    struct Case {
        int language;
        std::string text;
        std::string runs;
        bool held = true; // every character drawn as itself
    };
    const Case cases[] = {
        // A Cyrillic, Chinese and accented name in a Western report: the
        // code page keeps what it holds, Cyrillic goes to the Cyrillic font,
        // what no single-byte page of it holds to the Unicode font.
        {1, "Иван Петров 王小明 Müller", "R[Иван]H[ ]R[Петров]H[ ]S[王小明]H[ Müller]"},
        {3, "JOB-Ж测-0001", "H[JOB-]R[Ж]S[测]H[-0001]"},
        {4, "São Ωő €", "H[São ]U[Ωő]H[ €]"},
        // Russian: its own code page for Cyrillic and ASCII, Chinese in the
        // Chinese font, a Latin letter of no Cyrillic page in the same file's
        // Western page.
        {2, "Иван Петров 王小明 Müller", "R[Иван Петров ]S[王小明]R[ M]L[ü]R[ller]"},
        {2, "JOB-Ж测-0001", "R[JOB-Ж]S[测]R[-0001]"},
        // Chinese: GBK holds Cyrillic and ü; what it does not hold goes to
        // the Cyrillic font's file (Ő: in UTF-8).
        {0, "JOB-Ж测-0001", "H[JOB-]S[Ж测]H[-0001]"},
        {0, "Őz 王", "U[Ő]H[z ]S[王]"},
        // What no font can hold stays in the language's font ('?'): bytes
        // that are not UTF-8, characters beyond U+FFFF.
        {1, "a\xFF" "b", "H[a\xFF" "b]", false},
        {1, "x\xF0\x9F\x98\x80", "H[x\xF0\x9F\x98\x80]", false},
        {1, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Runs(ReportFontForLanguage(c.language), c.text), c.runs);
        // Every run's font holds its text: nothing becomes "?".
        if (!c.held)
            continue;
        for (const FontRun& run : FontRuns(ReportFontForLanguage(c.language), c.text))
            EXPECT_EQ(EncodeForFont(run.text, run.font).find('?'), std::string::npos) << run.text;
    }
}

TEST(MeasureText, TakesTheFontsWidthsAndHeights)
{
    // Helvetica's own widths: "WTR4S2M0N0K012345" is 10726 thousandths.
    const TextExtent vin = MeasureText(kLatin, 9, "WTR4S2M0N0K012345");
    EXPECT_NEAR(vin.width, 10.726 * 9, 0.01);
    EXPECT_NEAR(vin.ascent, 0.718 * 9, 0.01);
    EXPECT_NEAR(vin.descent, 0.207 * 9, 0.01);
    // In a Chinese text the same VIN takes Helvetica's room, not SimSun's
    // half-width cells; a Chinese character takes a full em.
    EXPECT_NEAR(MeasureText(kChinese, 9, "WTR4S2M0N0K012345").width, vin.width, 0.01);
    EXPECT_NEAR(MeasureText(kChinese, 10, "\xE9\x80\x9A\xE9\x81\x93").width, 20, 0.01);
    EXPECT_NEAR(MeasureText(kChinese, 10, "\xE9\x80\x9A" "1").width,
                10 + MeasureText(kLatin, 10, "1").width, 0.01);
    // Sizes scale; an empty text has no width but the font's height.
    EXPECT_NEAR(MeasureText(kLatin, 18, "Sensor").width, 2 * MeasureText(kLatin, 9, "Sensor").width, 0.01);
    const TextExtent empty = MeasureText(kLatin, 10, "");
    EXPECT_EQ(empty.width, 0);
    EXPECT_NEAR(empty.ascent, 7.18, 0.01);
}

// A table row of the report: 20 high, its baseline 12 below the rule above.
TextFit InRow(const std::string& text, float x, float left, float right)
{
    TextFit fit;
    fit.text = text;
    fit.x = x;
    fit.depth = 400;
    fit.room = {left, 388, right, 408};
    fit.size = 9;
    return fit;
}

float Width(const FittedLine& line, const ReportFont& font = kLatin)
{
    return MeasureText(font, line.size, line.text).width;
}

// Every line inside the room: 2 from its left rule (or where the layout put
// it), 3 from its right, 1 from the rules above and below, lines apart.
void ExpectInside(const std::vector<FittedLine>& lines, const TextFit& fit, const ReportFont& font = kLatin)
{
    float above = fit.room.top;
    for (const FittedLine& line : lines) {
        const TextExtent e = MeasureText(font, line.size, line.text);
        EXPECT_GT(line.x, fit.room.left) << line.text;
        EXPECT_LE(line.x + e.width, fit.room.right - 3 + 0.01f) << line.text;
        EXPECT_GE(line.depth - e.ascent, above + 0.99f) << line.text;
        EXPECT_LE(line.depth + e.descent, fit.room.bottom - 1 + 0.01f) << line.text;
        above = line.depth + e.descent - 1;
    }
}

TEST(TextFit, AFittingTextStandsWhereTheLayoutPutsIt)
{
    const TextFit fit = InRow("Lamp on", 175, 140, 225);
    const auto lines = FitText(kLatin, fit);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].x, 175);
    EXPECT_EQ(lines[0].depth, 400);
    EXPECT_EQ(lines[0].size, 9);
    EXPECT_EQ(lines[0].text, "Lamp on");
    // An empty text is drawn as an empty text at its place.
    const auto empty = FitText(kLatin, InRow("", 175, 140, 225));
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].x, 175);
    EXPECT_EQ(empty[0].text, "");
}

TEST(TextFit, TooWideItMovesLeftThenStepsDownThenSplitsAtABlank)
{
    // Moves left so that it ends 3 before the right rule.
    const TextFit moved = InRow("Channel 1 release", 175, 140, 225);
    auto lines = FitText(kLatin, moved);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size, 9);
    EXPECT_NEAR(lines[0].x + Width(lines[0]), 222, 0.01);
    EXPECT_LT(lines[0].x, 175);

    // Wider than the room at 9, not at 8: one line in 8.
    const float at9 = MeasureText(kLatin, 9, "Supply voltage below 18 V").width;
    TextFit smaller = InRow("Supply voltage below 18 V", 260, 225, 225 + 5 + at9 * 8.5f / 9 + 0.5f);
    lines = FitText(kLatin, smaller);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size, 8.5f);
    EXPECT_EQ(lines[0].depth, 400);
    ExpectInside(lines, smaller);

    // Too wide even at the floor (7): two lines at a blank, 4 above and 5
    // below the baseline, as even as the blanks allow, in the largest size.
    const TextFit split = InRow("Wheel sensors and modulators", 70, 50, 140);
    lines = FitText(kLatin, split);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "Wheel sensors");
    EXPECT_EQ(lines[1].text, "and modulators");
    EXPECT_EQ(lines[0].depth, 396);
    EXPECT_EQ(lines[1].depth, 405);
    EXPECT_EQ(lines[0].size, 9);
    EXPECT_EQ(lines[1].size, 9);
    ExpectInside(lines, split);
    EXPECT_EQ(DefaultFloor(9), 7);
}

TEST(TextFit, LinesOfItsOwnAreKeptOnePerLine)
{
    const TextFit fit = InRow("Second lifting axle did not lower\nLifting axle did not rise\nSecond lifting axle did not rise\n",
                              260, 225, 470);
    TextFit low = fit;
    low.floor = 3.5f;
    const auto lines = FitText(kLatin, low);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "Second lifting axle did not lower");
    EXPECT_EQ(lines[1].text, "Lifting axle did not rise");
    EXPECT_EQ(lines[2].text, "Second lifting axle did not rise");
    EXPECT_LT(lines[0].size, 9);
    ExpectInside(lines, low);
}

TEST(TextFit, ChineseBreaksBetweenItsCharactersButNotBeforeItsPunctuation)
{
    // 提升传感器：未读取标定结果 in a narrow cell
    const std::string text = "\xE6\x8F\x90\xE5\x8D\x87\xE4\xBC\xA0\xE6\x84\x9F\xE5\x99\xA8\xEF\xBC\x9A\xE6\x9C\xAA"
                             "\xE8\xAF\xBB\xE5\x8F\x96\xE6\xA0\x87\xE5\xAE\x9A\xE7\xBB\x93\xE6\x9E\x9C";
    const TextFit fit = InRow(text, 60, 50, 140);
    const auto lines = FitText(kChinese, fit);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text + lines[1].text, text);
    EXPECT_NE(lines[1].text.rfind("\xEF\xBC\x9A", 0), 0u); // no line starts with the colon
    ExpectInside(lines, fit, kChinese);
}

// Code points of a UTF-8 text; false when a byte sequence is cut or malformed.
bool WholeCharacters(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > text.size())
            return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

// Closing punctuation a line must not begin with.
bool BeginsWithClosingPunctuation(const std::string& line)
{
    // ，。：）、 » and the Latin closing marks
    for (const char* mark : {"\xEF\xBC\x8C", "\xE3\x80\x82", "\xEF\xBC\x9A", "\xEF\xBC\x89", "\xE3\x80\x81",
                             "\xC2\xBB", ")", ".", ",", ":", ";"})
        if (line.rfind(mark, 0) == 0)
            return true;
    return false;
}

TEST(TextFit, ATextWithoutABlankSplitsBetweenItsCharactersBeforeAnythingIsCut)
{
    struct Case {
        const char* what;
        ReportFont font;
        std::string text;
        float x, left, right; // the footer row's job-number cell, or the tester's
    };
    const Case cases[] = {
        {"job number", kLatin, "JOB-2026-12-11-000123456789-SR3", 465, 450, 545},
        {"Russian job number", ReportFontForLanguage(2),
         "\xD0\x97\xD0\x90\xD0\x9A\xD0\x90\xD0\x97-2026/12-000123456789", 465, 450, 545}, // ЗАКАЗ-...
        {"Chinese job number", kChinese,
         "\xE5\xB7\xA5\xE5\x8D\x95\xEF\xBC\x9A" "2026\xE5\xB9\xB4\xE7\xAC\xAC" "000123456789\xE5\x8F\xB7\xEF\xBC\x8C"
         "\xE4\xB8\x89\xE7\xBA\xBF\xE3\x80\x82",
         465, 450, 545}, // 工单：2026年第000123456789号，三线。
        {"punctuated", kLatin, "ORDER(2026).SERIAL:000123456789,LINE;3", 465, 450, 545},
        {"name", kLatin, "Jean-BaptisteMaximilianWolfgangSchwarzen", 200, 170, 350},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TextFit fit;
        fit.text = c.text;
        fit.x = c.x;
        fit.depth = 792;
        fit.room = {c.left, 775, c.right, 800};
        fit.size = 9;
        const auto lines = FitText(c.font, fit);
        std::string joined;
        for (const FittedLine& line : lines) {
            EXPECT_TRUE(WholeCharacters(line.text)) << line.text;
            EXPECT_FALSE(BeginsWithClosingPunctuation(line.text)) << line.text;
            EXPECT_GE(line.size, kLeastTextSize);
            joined += line.text;
        }
        EXPECT_EQ(joined, c.text);
        ExpectInside(lines, fit, c.font);
    }
}

TEST(TextFit, NoLineBeginsWithChinesePunctuation)
{
    // Five characters, the third a closing mark: two lines of three and two
    // characters are as even either way, and the mark stays with the
    // character before it.
    const char* marks[] = {"\xEF\xBC\x8C", "\xE3\x80\x82", "\xEF\xBC\x9A", "\xEF\xBC\x89", "\xE3\x80\x81"};
    const std::string left = "\xE5\xB7\xA6\xE8\xBD\xAE";  // 左轮
    const std::string right = "\xE5\x8F\xB3\xE8\xBD\xAE"; // 右轮
    for (const char* mark : marks) {
        const std::string text = left + mark + right;
        SCOPED_TRACE(text);
        TextFit fit = InRow(text, 52, 50, 85); // room for three characters in 9, not five in 7
        const auto lines = FitText(kChinese, fit);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].text, left + mark);
        EXPECT_EQ(lines[1].text, right);
        ExpectInside(lines, fit, kChinese);
    }
}

TEST(TextFit, ARunWithNoPlaceToBreakSplitsBetweenAnyTwoCharactersBeforeItIsCut)
{
    // At the job edit's length (32), in the footer's job-number cell: runs
    // of closing marks, which no line may begin with.
    const auto times = [](const std::string& piece, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += piece;
        return out;
    };
    struct Case {
        const char* what;
        ReportFont font;
        std::string text;
    };
    const Case cases[] = {
        {"per cent", kLatin, times("%", 32)},
        {"guillemets", ReportFontForLanguage(2), times("»", 32)},
        {"Chinese commas", kChinese, times("，", 32)},
        {"Chinese full stops and brackets", kChinese, times("。）", 16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TextFit fit;
        fit.text = c.text;
        fit.x = 465;
        fit.depth = 792;
        fit.room = {450, 775, 545, 800};
        fit.size = 9;
        fit.floor = kLeastTextSize;
        const auto lines = FitText(c.font, fit);
        std::string joined;
        for (const FittedLine& line : lines) {
            EXPECT_TRUE(WholeCharacters(line.text)) << line.text;
            EXPECT_GE(line.size, kLeastTextSize);
            joined += line.text;
        }
        EXPECT_EQ(joined, c.text) << "cut instead of split";
        ExpectInside(lines, fit, c.font);
    }
}

TEST(TextFit, NoLineEndsWithAnOpeningMark)
{
    // "左" mark "轮右" in a room two characters wide and three lines high:
    // "左" + mark on a line of its own would balance best, but the mark
    // stays with the character after it.
    const char* marks[] = {"〈", "《", "「", "『", "【", "〔", "〖", "〘", "〚", "〝", "（", "［", "｛"};
    for (const char* mark : marks) {
        const std::string text = std::string("左") + mark + "轮右";
        SCOPED_TRACE(text);
        TextFit fit;
        fit.text = text;
        fit.x = 52;
        fit.depth = 400;
        fit.room = {50, 380, 50 + 5 + 18.5f, 420};
        fit.size = 9;
        const auto lines = FitText(kChinese, fit);
        std::string joined;
        for (const FittedLine& line : lines) {
            EXPECT_FALSE(line.text.size() >= 3 && line.text.compare(line.text.size() - 3, 3, mark) == 0)
                << "the line \"" << line.text << "\" ends with the opening mark";
            EXPECT_EQ(line.text.find("…"), std::string::npos);
            joined += line.text;
        }
        EXPECT_EQ(joined, text);
        ExpectInside(lines, fit, kChinese);
    }
    // Closing marks of the same families still never begin a line.
    for (const char* mark : {"〕", "〗", "〙", "〛", "〞", "〟"}) {
        const std::string text = std::string("左轮") + mark + "右轮";
        SCOPED_TRACE(text);
        const auto lines = FitText(kChinese, InRow(text, 52, 50, 85));
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].text, std::string("左轮") + mark);
        EXPECT_EQ(lines[1].text, "右轮");
    }
}

TEST(TextFit, ARoomAsHighAsItsLinesNeedHoldsThemInTheirSize)
{
    // A row made taller for its lines (the lifting-axle remark's) holds them
    // in the size it was made for, also where the font is taller than its
    // size (DejaVu Sans: 1.16 em from ascent to descent) or a typed text
    // brings a taller font into a Western row.
    struct Case {
        const char* what;
        ReportFont font;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"Western", kLatin, {"Lifting axle did not rise", "Lifting axle did not lower"}},
        {"Chinese", kChinese, {"提升桥未升起", "提升桥未降下", "第二提升桥未升起"}},
        {"Russian", ReportFontForLanguage(2),
         {"Подъёмная ось не поднялась", "Подъёмная ось не опустилась", "Вторая ось не поднялась",
          "Вторая ось не опустилась"}},
        {"typed Cyrillic in a Western row", kLatin, {"Иван Петров", "Мария Щукина", "Юрий Жуков"}},
    };
    for (const Case& c : cases) {
        for (size_t n = 1; n <= c.lines.size(); ++n) {
            const std::vector<std::string> lines(c.lines.begin(), c.lines.begin() + static_cast<long>(n));
            SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(n) + " lines");
            std::string text;
            for (const std::string& line : lines)
                text += line + "\n";
            TextFit fit;
            fit.text = text;
            fit.x = 230;
            fit.size = 9;
            fit.floor = kLeastTextSize;
            const float height = RoomHeightForLines(c.font, 9, lines);
            fit.room = {225, 300, 470, 300 + height};
            fit.depth = 300 + height / 2 + 3;
            const auto fitted = FitText(c.font, fit);
            ASSERT_EQ(fitted.size(), n);
            for (size_t i = 0; i < n; ++i) {
                EXPECT_EQ(fitted[i].text, lines[i]);
                EXPECT_EQ(fitted[i].size, 9) << "stepped down: the room is too low for its lines";
            }
            ExpectInside(fitted, fit, c.font);
        }
    }
}

TEST(TextFit, TheLayoutsOwnLinesStayWhileTheyFit)
{
    TextFit fit = InRow("Sensor da roda c", 150, 140, 225);
    fit.preset = {{150, 396, 0, "Sensor"}, {145, 405, 0, "da roda c"}};
    auto lines = FitText(kLatin, fit);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].x, 150);
    EXPECT_EQ(lines[0].depth, 396);
    EXPECT_EQ(lines[1].x, 145);
    EXPECT_EQ(lines[1].depth, 405);
    // A split with an empty first line is no split: "-" on its baseline.
    TextFit dash = InRow("-", 260, 225, 470);
    dash.preset = {{260, 396, 0, ""}, {260, 405, 0, "-"}};
    lines = FitText(kLatin, dash);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].depth, 400);
    EXPECT_EQ(lines[0].x, 260);
}

TEST(TextFit, WhatFitsNowhereIsCutWithAnEllipsisInsideItsRoom)
{
    const TextFit fit = InRow("Umgebungsdruckabweichungsgrenzwertueberschreitungsanzeigenachrichten", 60, 50, 140);
    const auto lines = FitText(kLatin, fit);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size, 7);
    EXPECT_EQ(lines[0].text.substr(lines[0].text.size() - 3), "\xE2\x80\xA6");
    EXPECT_EQ(fit.text.rfind(lines[0].text.substr(0, lines[0].text.size() - 3), 0), 0u);
    ExpectInside(lines, fit);
}

TEST(TextFit, EveryTextOfATableStaysInsideItsRoom)
{
    const char* texts[] = {"Lamp did not light", "The difference between the actual pressure and the set pressure is too large",
                           "Lifting sensor: calibration result not read", "-", "N/A", "Incompleto",
                           "Sensor 1: signal seen on sensor 2, check the wiring", "x y z w v u t s r q p o n m l k j i"};
    const float columns[][3] = {{175, 140, 225}, {260, 225, 470}, {480, 470, 545}, {70, 50, 140}};
    for (const char* text : texts)
        for (const auto& c : columns) {
            const TextFit fit = InRow(text, c[0], c[1], c[2]);
            SCOPED_TRACE(std::string(text) + " at " + std::to_string(c[0]));
            ExpectInside(FitText(kLatin, fit), fit);
        }
}

TEST(TextFit, DrawingSetsEachLinesSizeAndRestoresTheSizeInForce)
{
    pdfkit::RecordingPdfCanvas canvas;
    canvas.AddPage(PdfPageSize::A4, PdfOrientation::Portrait);
    canvas.SetFont(kLatin, 9);
    canvas.BeginText();
    const float h = canvas.PageHeight();
    DrawTextInRoom(canvas, 480, 400, "Not run", {470, 388, 545, 408});
    const float right = 475 + MeasureText(kLatin, 8, "Incomplete").width + 0.1f; // holds it in 8, not in 8.5
    DrawTextInRoom(canvas, 472, 420, "Incomplete", {470, 408, right, 428});
    canvas.EndText();
    const auto texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].size, 9);
    EXPECT_NEAR(texts[0].y, h - 400, 0.01);
    EXPECT_EQ(texts[1].size, 8);
    EXPECT_LE(texts[1].box.right, right - 3 + 0.01f);
    EXPECT_EQ(canvas.FontSize(), 9);
}

} // namespace
