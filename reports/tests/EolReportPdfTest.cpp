// The end-of-line report: the results page's layout for every equipment and
// form, its rules, its fonts per language, the plate page first when asked,
// the save dialog and the logo.
#include "EolReportPdf.h"

#include "FailingFileSystem.h"
#include "LanguageTable.h"
#include "Matchers.h"
#include "LocalTime.h"
#include "PageBench.h"
#include "PdfKit.h"
#include "RecordingPdfCanvas.h"
#include "ReportGlobals.h"
#include "ReportTextTable.h"
#include "SettingsFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

using namespace tarvel::report;
using pdfkit::RecordingPdfCanvas;
using testing::ElementsAre;
using testing::HasSubstr;
using tarvel_test::BoxIs;

namespace {

// A 64 x 24 JPEG, so the logo from the file is told apart from the built-in
// 90 x 50 one.
const unsigned char kLogo64x24[] = {
  0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01,
  0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43,
  0x00, 0x10, 0x0b, 0x0c, 0x0e, 0x0c, 0x0a, 0x10, 0x0e, 0x0d, 0x0e, 0x12,
  0x11, 0x10, 0x13, 0x18, 0x28, 0x1a, 0x18, 0x16, 0x16, 0x18, 0x31, 0x23,
  0x25, 0x1d, 0x28, 0x3a, 0x33, 0x3d, 0x3c, 0x39, 0x33, 0x38, 0x37, 0x40,
  0x48, 0x5c, 0x4e, 0x40, 0x44, 0x57, 0x45, 0x37, 0x38, 0x50, 0x6d, 0x51,
  0x57, 0x5f, 0x62, 0x67, 0x68, 0x67, 0x3e, 0x4d, 0x71, 0x79, 0x70, 0x64,
  0x78, 0x5c, 0x65, 0x67, 0x63, 0xff, 0xdb, 0x00, 0x43, 0x01, 0x11, 0x12,
  0x12, 0x18, 0x15, 0x18, 0x2f, 0x1a, 0x1a, 0x2f, 0x63, 0x42, 0x38, 0x42,
  0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63,
  0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63,
  0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63,
  0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63,
  0x63, 0x63, 0xff, 0xc0, 0x00, 0x11, 0x08, 0x00, 0x18, 0x00, 0x40, 0x03,
  0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xff, 0xc4, 0x00,
  0x15, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0xff, 0xc4, 0x00, 0x14,
  0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xc4, 0x00, 0x15, 0x01, 0x01,
  0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x05, 0xff, 0xc4, 0x00, 0x14, 0x11, 0x01, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0xff, 0xda, 0x00, 0x0c, 0x03, 0x01, 0x00, 0x02, 0x11,
  0x03, 0x11, 0x00, 0x3f, 0x00, 0x90, 0x0a, 0x09, 0xe0, 0x00, 0x00, 0x00,
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xd9
};

std::string MakeTempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvel-eolreport-XXXXXX").string();
    if (!mkdtemp(&pattern[0])) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

void WriteBytes(const std::string& path, const unsigned char* data, size_t size)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Report text N reads "RT<N>".
void FillNumberedReportTexts()
{
    PdfTextTable.clear();
    for (int n = 0; n <= 115; ++n)
        PdfTextTable.push_back({n, "RT" + std::to_string(n)});
}

struct TableSource : EolReportInputSource {
    EolReportInputs inputs;
    int refreshes = 0;
    EolReportInputs RefreshEolReportInputs() override
    {
        ++refreshes;
        return inputs;
    }
};

// Every item with remark "RM<i>" and word "WD<i>".
EolReportInputs NumberedInputs(const std::string& form)
{
    EolReportInputs in;
    in.vin = "LTV1234567890ABCD";
    in.verdictWord = "VERDICT";
    in.supplierId = "SUP";
    in.systemForm = form;
    in.hardwareVersion = "HW";
    in.softwareVersion = "SW";
    in.identF1F4 = "F1F4";
    in.calibrationVersion = "CAL";
    for (size_t i = 0; i < kEolReportItemCount; ++i) {
        in.remarks[i] = "RM" + std::to_string(i);
        in.words[i] = "WD" + std::to_string(i);
    }
    in.brakeLampOnResult = 1;
    in.brakeLampOffResult = 1;
    in.testerName = "Tess";
    in.jobNumber = "J42";
    return in;
}

enum class Brake { Printed, OneSkipped, TestOff };

struct Combo {
    std::string form;
    int liftingAxle, liftingSensor, height;
    Brake brake;
    int valve;
};

EolReportInputs InputsFor(const Combo& c)
{
    EolReportInputs in = NumberedInputs(c.form);
    in.liftingAxleTestEnabled = c.liftingAxle;
    in.liftingSensorCalibrationEnabled = c.liftingSensor;
    in.heightSensorCalibrationEnabled = c.height;
    in.brakeLampTestEnabled = c.brake == Brake::TestOff ? 0 : 1;
    if (c.brake == Brake::OneSkipped) in.brakeLampOffResult = 2;
    in.underwaterValveTestEnabled = c.valve;
    return in;
}

std::vector<Combo> AllCombos()
{
    std::vector<Combo> combos;
    for (const char* form : {"2S2M", "4S2M", "4S3M"})
        for (int la : {0, 1})
            for (int ls : {0, 1})
                for (int h : {0, 1})
                    for (Brake b : {Brake::Printed, Brake::OneSkipped, Brake::TestOff})
                        for (int v : {0, 1}) combos.push_back({form, la, ls, h, b, v});
    return combos;
}

std::string Name(const Combo& c)
{
    return c.form + " lift " + std::to_string(c.liftingAxle) + " sensor " + std::to_string(c.liftingSensor) +
           " height " + std::to_string(c.height) + " brake " + std::to_string(static_cast<int>(c.brake)) + " valve " +
           std::to_string(c.valve);
}

const float kH = 841.89f;
const float kW = 595.276f;

bool Near(float a, float b) { return std::fabs(a - b) < 0.01f; }

int Count(const std::vector<pdfkit::PlacedText>& texts, const std::string& text)
{
    return static_cast<int>(std::count_if(texts.begin(), texts.end(), [&](const auto& t) { return t.text == text; }));
}
const pdfkit::PlacedText* Find(const std::vector<pdfkit::PlacedText>& texts, const std::string& text)
{
    for (const auto& t : texts)
        if (t.text == text) return &t;
    return nullptr;
}

// A segment as (x1, depth1, x2, depth2), depths below the page top, rounded.
using Seg = std::tuple<long, long, long, long>;
std::vector<Seg> Segments(const RecordingPdfCanvas& canvas)
{
    std::vector<Seg> out;
    for (const auto& s : canvas.StrokedSegments())
        out.emplace_back(std::lround(s.x1), std::lround(kH - s.y1), std::lround(s.x2), std::lround(kH - s.y2));
    return out;
}
const long kRight = std::lround(kW - 50);

// The horizontal rules of the table (below the header), by depth -> from x.
std::map<long, long> TableRules(const std::vector<Seg>& segs, long footerTop)
{
    std::map<long, long> rules;
    for (const auto& [x1, d1, x2, d2] : segs)
        if (d1 == d2 && d1 > 320 && x2 == kRight && !(footerTop == 775 && d1 == 775) && d1 != footerTop + 25) {
            rules[d1] = x1;
        }
    return rules;
}

bool Has(const std::vector<Seg>& segs, const Seg& seg) { return std::find(segs.begin(), segs.end(), seg) != segs.end(); }

class EolReportLayout : public ::testing::Test {
protected:
    EolReportLayout() { FillNumberedReportTexts(); }
    RecordingPdfCanvas Draw(const EolReportInputs& in, int language = 1, int brand = 0)
    {
        RecordingPdfCanvas canvas;
        DrawEolResultsPage(canvas, in, language, brand, "2024-05-03", "14:05:09");
        return canvas;
    }
};

TEST_F(EolReportLayout, RowsFollowTheFormAndTheEquipmentAndStayOnThePage)
{
    for (const Combo& c : AllCombos()) {
        SCOPED_TRACE(Name(c));
        const EolReportInputs in = InputsFor(c);
        const RecordingPdfCanvas canvas = Draw(in);
        const auto texts = canvas.Texts();
        const bool f4S3M = c.form == "4S3M";
        const bool brake = c.brake == Brake::Printed;
        EXPECT_EQ(Count(texts, "RT55"), f4S3M ? 2 : 0);
        EXPECT_EQ(Count(texts, "RT100"), brake ? 1 : 0);
        EXPECT_EQ(Count(texts, "RT44"), brake ? 2 : 1);
        for (const char* valveText : {"RT111", "RT112", "RT113"}) EXPECT_EQ(Count(texts, valveText), c.valve);
        EXPECT_EQ(Count(texts, "RT75"), c.liftingAxle);
        EXPECT_EQ(Count(texts, "RT81"), c.liftingAxle != 1 && c.liftingSensor == 1 ? 1 : 0);
        EXPECT_EQ(Count(texts, "RT96"), c.height);
        // Words of the rows printed, each once.
        EXPECT_EQ(Count(texts, "WD11"), f4S3M ? 1 : 0); // modulator 3
        EXPECT_EQ(Count(texts, "WD3"), brake ? 1 : 0);  // brake lamp on
        EXPECT_EQ(Count(texts, "WD24"), c.valve);       // valve close
        // Backup pressure: 60 higher on forms without the third channel.
        const auto* backup = Find(texts, "RT60");
        ASSERT_NE(backup, nullptr);
        EXPECT_NEAR(backup->y, kH - (f4S3M ? 652 : 592), 0.01);
        const auto* pressure1 = Find(texts, "WD12");
        ASSERT_NE(pressure1, nullptr);
        EXPECT_NEAR(pressure1->y, kH - (f4S3M ? 532 : 512), 0.01);
        // Rows 20 apart, each below the one before, the last 8 above the
        // table's end.
        std::vector<float> wordRows;
        for (const auto& t : texts)
            if (Near(t.x, 480) && t.text.rfind("WD", 0) == 0) wordRows.push_back(t.y);
        for (size_t i = 1; i < wordRows.size(); ++i) EXPECT_NEAR(wordRows[i - 1] - wordRows[i], 20, 0.01);
        const int bottom = EolReportTableBottom(in, 1);
        EXPECT_NEAR(wordRows.back(), kH - (bottom - 8), 0.01);
        for (const auto& t : texts) {
            EXPECT_GE(t.x, 0);
            EXPECT_LE(t.x, kW);
            EXPECT_GT(t.y, 4);
            EXPECT_LT(t.y, kH);
        }
        // The footer row never shares a line with a table row.
        const auto* tester = Find(texts, "Tess");
        ASSERT_NE(tester, nullptr);
        EXPECT_LT(tester->y, wordRows.back() - 9);
        EXPECT_TRUE(canvas.TextBlocksBalanced());
    }
}

TEST_F(EolReportLayout, HeaderAndFooterStandWhereTheyBelong)
{
    const RecordingPdfCanvas canvas = Draw(InputsFor({"2S2M", 0, 0, 0, Brake::Printed, 0}));
    const auto texts = canvas.Texts();
    const auto at = [&](float x, float depth) { return canvas.TextsAt(x, kH - depth); };
    EXPECT_THAT(at(220, 50), ElementsAre("RT25"));
    EXPECT_EQ(Find(texts, "RT25")->size, 22);
    EXPECT_THAT(at(250, 822), ElementsAre("2024-05-03 14:05:09"));
    EXPECT_EQ(Find(texts, "2024-05-03 14:05:09")->size, 11);
    EXPECT_THAT(at(100, 120), ElementsAre("RT5"));
    EXPECT_THAT(at(230, 120), ElementsAre("LTV1234567890ABCD"));
    EXPECT_THAT(at(470, 170), ElementsAre("VERDICT"));
    EXPECT_THAT(at(260, 145), ElementsAre("SUP"));
    EXPECT_THAT(at(260, 270), ElementsAre("CAL"));
    EXPECT_THAT(at(60, 792), ElementsAre("RT104"));
    EXPECT_THAT(at(200, 792), ElementsAre("Tess"));
    EXPECT_THAT(at(360, 792), ElementsAre("RT103"));
    EXPECT_THAT(at(465, 792), ElementsAre("J42"));
    EXPECT_EQ(Find(texts, "RT34")->size, 9);
    // Brake-lamp label 12 below its first row.
    EXPECT_NEAR(Find(texts, "RT100")->y, Find(texts, "WD3")->y - 12, 0.01);
    // The built-in logo at (55, H - 70), 90 x 50.
    const auto images = canvas.DrawnImages();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].source, "built-in");
    EXPECT_NEAR(images[0].x, 55, 0.01);
    EXPECT_NEAR(images[0].y, kH - 70, 0.01);
    EXPECT_NEAR(images[0].width, 90, 0.01);
    EXPECT_NEAR(images[0].height, 50, 0.01);
}

TEST_F(EolReportLayout, OnAFull4S3MTheFooterBoxStartsWhereTheTableEnds)
{
    const EolReportInputs in = InputsFor({"4S3M", 1, 0, 1, Brake::Printed, 1});
    ASSERT_EQ(EolReportTableBottom(in, 1), 800);
    const RecordingPdfCanvas canvas = Draw(in);
    const auto texts = canvas.Texts();
    EXPECT_NEAR(Find(texts, "WD24")->y, kH - 792, 0.01); // valve close, the last row
    EXPECT_NEAR(Find(texts, "RT104")->y, kH - 817, 0.01);
    EXPECT_NEAR(Find(texts, "J42")->y, kH - 817, 0.01);
    EXPECT_NEAR(Find(texts, "2024-05-03 14:05:09")->y, kH - 837, 0.01);
    const auto segs = Segments(canvas);
    for (long x : {170, 350, 450}) EXPECT_TRUE(Has(segs, Seg{x, 800, x, 825})) << x;
    EXPECT_TRUE(Has(segs, Seg{50, 825, kRight, 825}));
    // Without the valve the table ends at 760 and the usual places hold.
    const RecordingPdfCanvas shorter = Draw(InputsFor({"4S3M", 1, 0, 1, Brake::Printed, 0}));
    EXPECT_NEAR(Find(shorter.Texts(), "RT104")->y, kH - 792, 0.01);
    EXPECT_NEAR(Find(shorter.Texts(), "2024-05-03 14:05:09")->y, kH - 822, 0.01);
    EXPECT_TRUE(Has(Segments(shorter), Seg{170, 775, 170, 800}));
}

TEST_F(EolReportLayout, OtherFormsDrawTheListedRules)
{
    // "2S2M" with every optional row: the listed rules moved up by the three
    // missing "4S3M" rows.
    const RecordingPdfCanvas canvas = Draw(InputsFor({"2S2M", 1, 0, 1, Brake::Printed, 1}));
    std::vector<Seg> expected;
    for (long d : {20, 70, 105, 130}) expected.emplace_back(50, d, kRight, d);
    for (long d : {155, 180}) expected.emplace_back(50, d, 450, d);
    for (long d : {205, 230, 255, 280, 300, 320}) expected.emplace_back(50, d, kRight, d);
    const std::vector<std::pair<long, long>> table = {
        {340, 140}, {360, 50}, {380, 50}, {400, 140}, {420, 140}, {440, 140}, {460, 140}, {480, 140}, {500, 50},
        {520, 140}, {540, 140}, {560, 140}, {580, 50}, {600, 50}, {620, 50}, {640, 50}, {660, 50}, {680, 140},
        {700, 50}, {720, 140}, {740, 50}};
    for (const auto& [d, x] : table) expected.emplace_back(x, d, kRight, d);
    expected.emplace_back(50, 775, kRight, 775);
    expected.emplace_back(50, 800, kRight, 800);
    expected.emplace_back(kRight, 20, kRight, 740);
    expected.emplace_back(50, 20, 50, 740);
    expected.emplace_back(150, 20, 150, 70);
    expected.emplace_back(170, 105, 170, 280);
    expected.emplace_back(450, 105, 450, 205);
    expected.emplace_back(140, 320, 140, 740);
    expected.emplace_back(225, 300, 225, 740);
    expected.emplace_back(470, 300, 470, 740);
    for (long x : {170, 350, 450}) expected.emplace_back(x, 775, x, 800);
    EXPECT_EQ(Segments(canvas), expected);
    int strokes = 0;
    for (const auto& call : canvas.Calls()) {
        if (call.kind == pdfkit::CallKind::Stroke) ++strokes;
        if (call.kind == pdfkit::CallKind::SetLineWidth) {
            EXPECT_EQ(call.width, 0.5f);
        }
    }
    EXPECT_EQ(strokes, 1);
}

// One rule under each row drawn: from x 140 when the next row is under the
// same group label, else from x 50. Rows are found by their word.
std::map<long, long> RulesUnderRows(const RecordingPdfCanvas& canvas)
{
    std::vector<std::pair<long, int>> rows; // depth, item
    for (const auto& t : canvas.Texts())
        if (Near(t.x, 480) && t.text.rfind("WD", 0) == 0) rows.emplace_back(std::lround(kH - t.y), std::stoi(t.text.substr(2)));
    const auto groupOf = [](int item) {
        if (item == 1 || item == 2) return 1;   // warning lamp
        if (item >= 5 && item <= 11) return 2;  // sensors and modulators
        if (item >= 12 && item <= 17) return 3; // pressures
        if (item == 3 || item == 4) return 4;   // brake lamp
        if (item == 23 || item == 24) return 5; // underwater valve
        return 0;
    };
    std::map<long, long> rules;
    for (size_t i = 0; i < rows.size(); ++i) {
        const int g = groupOf(rows[i].second);
        const bool same = i + 1 < rows.size() && g != 0 && groupOf(rows[i + 1].second) == g;
        rules[rows[i].first + 8] = same ? 140 : 50;
    }
    return rules;
}

TEST_F(EolReportLayout, RulesFollowThePrintedRowsForEveryCombination)
{
    for (const Combo& c : AllCombos()) {
        SCOPED_TRACE(Name(c));
        const EolReportInputs in = InputsFor(c);
        const RecordingPdfCanvas canvas = Draw(in);
        const long bottom = EolReportTableBottom(in, 1);
        const long footerTop = bottom > 775 ? bottom : 775;
        const auto segs = Segments(canvas);
        // The listed rules of the other forms and the row rules of "4S3M"
        // both come out as one rule under each row.
        EXPECT_EQ(TableRules(segs, footerTop), RulesUnderRows(canvas));
        for (const auto& [x1, d1, x2, d2] : segs) {
            const bool footerBox = (d1 == d2 && (d1 == footerTop || d1 == footerTop + 25)) ||
                                   (d1 == footerTop && d2 == footerTop + 25);
            if (!footerBox) {
                EXPECT_LE(std::max(d1, d2), bottom) << x1 << "," << d1 << " " << x2 << "," << d2;
            }
        }
        for (long x : {50L, kRight}) EXPECT_TRUE(Has(segs, Seg{x, 20, x, bottom}));
        for (long x : {225, 470}) EXPECT_TRUE(Has(segs, Seg{x, 300, x, bottom}));
        EXPECT_TRUE(Has(segs, Seg{140, 320, 140, bottom}));
    }
}

TEST_F(EolReportLayout, AFull4S3MClosesItsGroupsWhereTheRowsEnd)
{
    const RecordingPdfCanvas canvas = Draw(InputsFor({"4S3M", 1, 0, 1, Brake::Printed, 1}));
    const auto rules = TableRules(Segments(canvas), 800);
    EXPECT_EQ(rules.at(540), 140);   // under pressure 1, inside its group
    EXPECT_EQ(rules.at(640), 50);    // under pressure 6, closing the group
    EXPECT_EQ(rules.at(740), 140);   // under the first brake-lamp row, through its label
    EXPECT_EQ(rules.count(820), 0u); // nothing below the table, over the date line
    EXPECT_EQ(rules.count(840), 0u);
    EXPECT_EQ(rules.rbegin()->first, 800);
}

TEST_F(EolReportLayout, ALiftingRemarkOfSeveralRowsMakesItsRowTallerAndMovesWhatFollows)
{
    for (const Combo& c : AllCombos()) {
        if (c.liftingAxle != 1) continue;
        SCOPED_TRACE(Name(c));
        EolReportInputs in = InputsFor(c);
        const int shortBottom = EolReportTableBottom(in, 1);
        const RecordingPdfCanvas before = Draw(in);
        in.Remark(EolReportItem::LiftingAxle) = "RMa\nRMb\nRMc\nRMd\n";
        const int bottom = EolReportTableBottom(in, 1);
        const int extra = bottom - shortBottom;
        EXPECT_GT(extra, 0);
        const RecordingPdfCanvas canvas = Draw(in);
        const auto texts = canvas.Texts();
        const auto segs = Segments(canvas);

        // The rows above keep their places, the rows below move down by the
        // row's extra height.
        const auto textsBefore = before.Texts();
        const auto* liftingBefore = Find(textsBefore, "WD19");
        const auto* lifting = Find(texts, "WD19");
        ASSERT_NE(lifting, nullptr);
        for (const auto& t : textsBefore) {
            if (!Near(t.x, 480) || t.text.rfind("WD", 0) != 0 || t.text == "WD19") continue;
            const auto* now = Find(texts, t.text);
            ASSERT_NE(now, nullptr) << t.text;
            EXPECT_NEAR(now->y, t.y - (t.y < liftingBefore->y ? extra : 0), 0.01) << t.text;
        }
        // The row's rules: 20 + extra apart, its word in their middle, its
        // four lines between them, none smaller than readable.
        const long top = std::lround(kH - liftingBefore->y) - 12;
        EXPECT_TRUE(Has(segs, Seg{50, top, kRight, top}));
        EXPECT_TRUE(Has(segs, Seg{50, top + 20 + extra, kRight, top + 20 + extra}));
        for (long d = top + 1; d < top + 20 + extra; ++d)
            for (const auto& [x1, d1, x2, d2] : segs) EXPECT_FALSE(d1 == d2 && d1 == d && x1 < 300 && x2 > 300) << d;
        EXPECT_NEAR(lifting->y, kH - (top + (20 + extra) / 2.0f + 2), 0.01);
        for (const char* line : {"RMa", "RMb", "RMc", "RMd"}) {
            const auto* t = Find(texts, line);
            ASSERT_NE(t, nullptr) << line;
            EXPECT_GE(t->size, 6) << line;
            EXPECT_LE(t->box.top, kH - top);
            EXPECT_GE(t->box.bottom, kH - (top + 20 + extra));
        }
        // The frame closes where the table ends, with the footer box below
        // it on the page, and the table's rules end there too.
        for (long x : {50L, kRight}) EXPECT_TRUE(Has(segs, Seg{x, 20, x, bottom})) << x;
        for (long x : {225, 470}) EXPECT_TRUE(Has(segs, Seg{x, 300, x, bottom})) << x;
        EXPECT_TRUE(Has(segs, Seg{140, 320, 140, bottom}));
        const long footerTop = bottom > 775 ? bottom : 775;
        EXPECT_TRUE(Has(segs, Seg{350, footerTop, 350, footerTop + 25}));
        EXPECT_LE(footerTop + 25, kH);
        for (const auto& [x1, d1, x2, d2] : segs)
            if (!(d1 == d2 && (d1 == footerTop || d1 == footerTop + 25)) &&
                !(d1 == footerTop && d2 == footerTop + 25)) {
                EXPECT_LE(std::max(d1, d2), bottom);
            }
        for (const auto& t : texts) EXPECT_GT(t.y, 0) << t.text;
    }
}

TEST_F(EolReportLayout, PortugueseUsesItsTitleAndSplits)
{
    EolReportInputs in = InputsFor({"4S3M", 1, 0, 0, Brake::Printed, 0});
    PdfTextTable[48].text = "Sensor da roda c";
    PdfTextTable[60].text = "Pressao de reserva";
    in.Remark(EolReportItem::LiftingAxle) = "O eixo nao desceu";
    in.Remark(EolReportItem::Modulator1) = "Desvio de pressao";
    const RecordingPdfCanvas canvas = Draw(in, 4);
    const auto texts = canvas.Texts();
    const auto* title = Find(texts, "RT25");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->size, 19);
    EXPECT_NEAR(title->x, 185, 0.01);
    EXPECT_NEAR(title->y, kH - 50, 0.01);
    const auto expectAt = [&](const std::string& text, float x, float depth, float size) {
        const auto* t = Find(texts, text);
        ASSERT_NE(t, nullptr) << text;
        EXPECT_NEAR(t->x, x, 0.01) << text;
        EXPECT_NEAR(t->y, kH - depth, 0.01) << text;
        EXPECT_EQ(t->size, size) << text;
    };
    expectAt("Sensor", 150, 392 - 4, 9);
    expectAt("da roda c", 145, 392 + 5, 9);
    expectAt("Pressao", 60, 652 - 4, 9);
    expectAt("de reserva", 60, 652 + 5, 9);
    expectAt("Desvio", 250, 472 - 4, 9);
    expectAt("de pressao", 240, 472 + 5, 9);
    // The lifting-axle remark in the table's size, like every other one: on
    // one line where it fits.
    expectAt("O eixo nao desceu", 230, 692, 9);
    expectAt("WD19", 480, 692, 9);
    expectAt("RT5", 60, 120, 9);
    expectAt("RT56", 65, 580, 9);
}

// ---- The whole writer, on a real document ----

class EolReportWriter : public ::testing::Test {
protected:
    EolReportWriter() : folder_(MakeTempFolder())
    {
        FillNumberedReportTexts();
        source_.inputs = InputsFor({"2S2M", 0, 0, 0, Brake::Printed, 0});
        EOLReportsFilePath = folder_ + "/";
    }
    ~EolReportWriter() override
    {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    int Write(int brand = 0)
    {
        EolReportPdfWriter writer(bench_.Context(), source_);
        if (plate_) writer.SetPlatePage(plate_);
        return writer(brand);
    }

    tarvel_test::PageBench bench_;
    tarvel::ScopedLocalTime time_{{2024, 5, 3, 14, 5, 9}};
    std::string folder_;
    TableSource source_;
    EolPlatePage plate_;
};

TEST_F(EolReportWriter, SavesUnderTheVinAndTheTimeAndTellsSo)
{
    std::filesystem::create_directories(folder_ + "/Reports");
    bench_.files.QueueAnswer(folder_ + "/Reports/x.pdf");
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(source_.refreshes, 1);
    const auto requests = bench_.files.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].fileName, "LTV1234567890ABCD-2024-05-03 14-05-09.pdf");
    EXPECT_EQ(requests[0].folder, folder_ + "/");
    EXPECT_EQ(requests[0].filter, "文件 (*.pdf;)|*.pdf");
    EXPECT_EQ(LastReportPath, folder_ + "/Reports/x.pdf");
    EXPECT_EQ(EOLReportsFilePath, folder_ + "/Reports/");
    ASSERT_EQ(bench_.prompter.Count(), 1u);
    EXPECT_THAT(bench_.prompter.Boxes()[0], BoxIs(LanguageText(179), LanguageText(74)));
    EXPECT_EQ(bench_.prompter.Boxes()[0].icon, tarvel::MsgIcon::None);
    const std::string pdf = folder_ + "/Reports/x.pdf";
    const pdfkit::PdfInfo info = pdfkit::Info(pdf);
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.pages, 1);
    EXPECT_GT(info.pageSizes[0].height, info.pageSizes[0].width); // A4 portrait
    EXPECT_THAT(pdfkit::Text(pdf), HasSubstr("2024-05-03 14:05:09"));
    const pdfkit::PdfCheck check = pdfkit::Check(pdf);
    EXPECT_TRUE(check.clean) << check.output;
}

TEST_F(EolReportWriter, TheDefaultNameMakesTheVinSafeForAFileName)
{
    EXPECT_EQ(EolReportFileName("AB/C\x01:D*?\"<>|\\\xC3\xA9", "2024-05-03", "14-05-09"),
              "AB_C__D_________-2024-05-03 14-05-09.pdf");
    EXPECT_EQ(EolReportFileName("", "2024-05-03", "14-05-09"), "-2024-05-03 14-05-09.pdf");
    source_.inputs.vin = "WX/1\x02";
    Write();
    EXPECT_EQ(bench_.files.Requests().at(0).fileName, "WX_1_-2024-05-03 14-05-09.pdf");
}

TEST_F(EolReportWriter, ACancelledDialogWritesNothingSaysNothingAndKeepsTheFolder)
{
    EXPECT_EQ(Write(), 0);
    EXPECT_EQ(EOLReportsFilePath, folder_ + "/");
    EXPECT_TRUE(LastReportPath.empty());
    EXPECT_EQ(bench_.prompter.Count(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(folder_));
    EXPECT_EQ(bench_.files.Requests().at(0).defaultExtension, "pdf");
}

TEST_F(EolReportWriter, AMissingFolderOpensTheHomeFolderAndAMissingExtensionIsAdded)
{
    EOLReportsFilePath = "C:\\";
    bench_.files.QueueAnswer(folder_ + "/plain");
    EXPECT_EQ(Write(), 1);
    const char* home = std::getenv("HOME");
    EXPECT_EQ(bench_.files.Requests().at(0).folder, home ? home : "");
    EXPECT_TRUE(std::filesystem::exists(folder_ + "/plain.pdf"));
    EXPECT_EQ(LastReportPath, folder_ + "/plain.pdf");
    // A bare name has no folder.
    bench_.files.QueueAnswer(std::string("noslash.pdf"));
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    Write();
    std::filesystem::current_path(cwd);
    EXPECT_EQ(EOLReportsFilePath, "");
}

TEST_F(EolReportWriter, AFailedSaveStillStoresTheFolderAndCountsAsAttempted)
{
    bench_.files.QueueAnswer(folder_ + "/missing/sub/x.pdf");
    EXPECT_EQ(Write(), 1);
    EXPECT_EQ(EOLReportsFilePath, folder_ + "/missing/sub/");
    ASSERT_EQ(bench_.prompter.Count(), 1u);
    EXPECT_THAT(bench_.prompter.Boxes()[0],
                BoxIs(LanguageText(180) + "\n" + folder_ + "/missing/sub/x.pdf\n" +
                          std::make_error_code(std::errc::no_such_file_or_directory).message(),
                      LanguageText(76)));
}

TEST_F(EolReportWriter, OnAFailingDiskTheOlderReportSurvivesAndTheBoxSaysWhy)
{
    using tarvel_test::FileFault;
    // An older report of the name the operator types (without ".pdf").
    const std::string older(4809, '%');
    for (const FileFault fault : {FileFault::NoRoom, FileFault::NoPermission, FileFault::FailingClose}) {
        SCOPED_TRACE(tarvel_test::FaultName(fault));
        tarvel_test::WriteFileBytes(folder_ + "/a.pdf", older);
        tarvel_test::FailingFileSystem fs(fault, 1000);
        tarvel::ScopedFileSystem use(fs);
        bench_.prompter.Clear();
        bench_.files.QueueAnswer(folder_ + "/a");
        bench_.prompter.QueueAnswer(tarvel::MsgAnswer::Yes); // replace it
        EXPECT_EQ(Write(), 1);
        const auto boxes = bench_.prompter.Boxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_THAT(boxes[0], BoxIs(folder_ + "/a.pdf\n\n" + LanguageText(178), LanguageText(175)));
        EXPECT_THAT(boxes[1], BoxIs(LanguageText(180) + "\n" + folder_ + "/a.pdf\n" +
                                        tarvel_test::FaultError(fault).message(),
                                    LanguageText(76)));
        EXPECT_EQ(tarvel_test::ReadFileBytes(folder_ + "/a.pdf"), older);
        EXPECT_EQ(tarvel_test::FolderEntries(folder_), std::vector<std::string>{"a.pdf"});
    }
}

TEST_F(EolReportWriter, NoDocumentMeansNoDialog)
{
    EolReportPdfWriter writer(bench_.Context(), source_);
    writer.SetCanvasFactory([] { return std::make_unique<RecordingPdfCanvas>(false); });
    EXPECT_EQ(writer(0), 0);
    EXPECT_TRUE(bench_.files.Requests().empty());
    ASSERT_EQ(bench_.prompter.Count(), 1u);
    EXPECT_EQ(bench_.prompter.Boxes()[0].text, "RT0");
    EXPECT_EQ(bench_.prompter.Boxes()[0].icon, tarvel::MsgIcon::None);
}

TEST_F(EolReportWriter, ThePlatePageComesFirstOnlyWhenAsked)
{
    int plateCalls = 0;
    plate_ = [&plateCalls](PdfCanvas& canvas, int brand) {
        ++plateCalls;
        EXPECT_EQ(brand, 2);
        canvas.AddPage(PdfPageSize::A4, PdfOrientation::Landscape);
        canvas.SetFont(WesternReportFont(), 12);
        canvas.BeginText();
        canvas.TextOut(100, 300, "PLATE");
        canvas.EndText();
    };
    source_.inputs.printSystemTag = true;
    bench_.files.QueueAnswer(folder_ + "/two.pdf");
    Write(2);
    const pdfkit::PdfInfo two = pdfkit::Info(folder_ + "/two.pdf");
    ASSERT_EQ(two.pages, 2);
    EXPECT_GT(two.pageSizes[0].width, two.pageSizes[0].height);
    EXPECT_LT(two.pageSizes[1].width, two.pageSizes[1].height);
    EXPECT_THAT(pdfkit::Text(folder_ + "/two.pdf", 1), HasSubstr("PLATE"));
    EXPECT_THAT(pdfkit::Text(folder_ + "/two.pdf", 2), HasSubstr("RT25"));

    source_.inputs.printSystemTag = false;
    bench_.files.QueueAnswer(folder_ + "/one.pdf");
    Write(2);
    EXPECT_EQ(pdfkit::Info(folder_ + "/one.pdf").pages, 1);
    EXPECT_EQ(plateCalls, 1);
}

TEST_F(EolReportWriter, TheLogoFollowsTheBrandModeAndAMissingOneIsLeftOut)
{
    WriteBytes(folder_ + "/prog/ReportImage/logo.jpg", kLogo64x24, sizeof kLogo64x24);
    tarvel::ScopedProgramFolder program(folder_ + "/prog");
    for (int brand : {0, 1, 2, 3}) {
        SCOPED_TRACE(brand);
        const std::string pdf = folder_ + "/brand" + std::to_string(brand) + ".pdf";
        bench_.files.QueueAnswer(pdf);
        Write(brand);
        const auto images = pdfkit::Images(pdf);
        ASSERT_EQ(images.size(), 1u);
        const bool fromFile = brand == 1 || brand == 2;
        EXPECT_EQ(images[0].width, fromFile ? 64 : 90);
        EXPECT_EQ(images[0].height, fromFile ? 24 : 50);
        EXPECT_EQ(images[0].encoding, "jpeg");
    }
    std::filesystem::remove(folder_ + "/prog/ReportImage/logo.jpg");
    bench_.prompter.Clear();
    bench_.files.QueueAnswer(folder_ + "/nologo.pdf");
    EXPECT_EQ(Write(1), 1);
    ASSERT_EQ(bench_.prompter.Count(), 1u);
    EXPECT_THAT(bench_.prompter.Boxes()[0], BoxIs(LanguageText(179), LanguageText(74)));
    EXPECT_TRUE(pdfkit::Images(folder_ + "/nologo.pdf").empty());
    const pdfkit::PdfCheck check = pdfkit::Check(folder_ + "/nologo.pdf");
    EXPECT_TRUE(check.clean) << check.output;
}

// The text with every run of blanks and line ends made one blank.
std::string Squeezed(const std::string& text)
{
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\n' || c == '\f' || c == '\r') {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

// Full-width forms (U+FF01..U+FF5E) as their ASCII characters.
std::string FoldFullWidth(const std::string& utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b == 0xEF && i + 2 < utf8.size()) {
            const unsigned cp = ((b & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6) |
                                (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
            if (cp >= 0xFF01 && cp <= 0xFF5E) {
                out += static_cast<char>(cp - 0xFF01 + 0x21);
                i += 3;
                continue;
            }
        }
        out += utf8[i++];
    }
    return out;
}

// Every blank-separated word of `phrase` in `text`, each after the one before.
bool WordsInOrder(const std::string& text, const std::string& phrase)
{
    std::istringstream words(phrase);
    size_t at = 0;
    for (std::string word; words >> word;) {
        at = text.find(word, at);
        if (at == std::string::npos) return false;
        at += word.size();
    }
    return true;
}

TEST_F(EolReportWriter, EachLanguageUsesItsFontAndItsTextsComeOutAsWritten)
{
    ASSERT_TRUE(pdfkit::ToolsAvailable());
    struct Expect {
        int language;
        std::string font;
        std::string encoding;
    };
    for (const Expect& e : {Expect{0, "SimSun", "GBK-EUC-H"}, Expect{1, "Helvetica", "WinAnsi"},
                            Expect{2, "DejaVuSans", ""}, Expect{3, "Helvetica", "WinAnsi"},
                            Expect{4, "Helvetica", "WinAnsi"}}) {
        SCOPED_TRACE(e.language);
        tarvel::ScopedProgramFolder data(tarvel_test::DataFolder());
        LanguageIndex = e.language;
        ASSERT_TRUE(LoadPdfLanguageConfig());
        source_.inputs.systemForm = "4S3M";
        source_.inputs.liftingAxleTestEnabled = 1;
        source_.inputs.underwaterValveTestEnabled = 1;
        for (size_t i = 0; i < kEolReportItemCount; ++i) {
            source_.inputs.words[i] = PdfText(38);
            source_.inputs.remarks[i] = "-";
        }
        source_.inputs.Remark(EolReportItem::Pressure1) = PdfText(53);
        source_.inputs.Remark(EolReportItem::ValveClose) = PdfText(115);
        source_.inputs.verdictWord = PdfText(42);
        const std::string pdf = folder_ + "/lang" + std::to_string(e.language) + ".pdf";
        bench_.files.QueueAnswer(pdf);
        Write();
        // Chinese text draws its Latin runs (the VIN, numbers, units) in Helvetica.
        const auto fonts = pdfkit::Fonts(pdf);
        ASSERT_EQ(fonts.size(), e.language == 0 ? 2u : 1u);
        EXPECT_EQ(pdfkit::BaseFontName(fonts[0].name).rfind(e.font, 0), 0u) << fonts[0].name;
        EXPECT_THAT(fonts[0].encoding, HasSubstr(e.encoding));
        if (e.language == 0) {
            EXPECT_EQ(fonts[1].name, "Helvetica");
            EXPECT_EQ(fonts[1].encoding, "WinAnsi");
        }
        if (e.language == 2) {
            EXPECT_TRUE(fonts[0].embedded);
        }
        // A label too wide for its cell stands on two lines: its words in order.
        const std::string text = Squeezed(FoldFullWidth(pdfkit::Text(pdf)));
        for (int row : {25, 26, 34, 42, 43, 47, 56, 38, 104, 103, 111, 112, 113}) {
            EXPECT_TRUE(WordsInOrder(text, Squeezed(FoldFullWidth(PdfText(row))))) << row;
        }
        if (e.language != 4) {
            EXPECT_THAT(text, HasSubstr(Squeezed(FoldFullWidth(PdfText(53))))) << "pressure remark";
            EXPECT_THAT(text, HasSubstr(Squeezed(FoldFullWidth(PdfText(115))))) << "valve remark";
        }
        EXPECT_LT(std::filesystem::file_size(pdf), 1024u * 1024u);
    }
    // Portuguese keeps its own letters.
    EXPECT_THAT(pdfkit::Text(folder_ + "/lang4.pdf"), HasSubstr("Não realizado"));
    LanguageIndex = -1;
}

TEST_F(EolReportWriter, NoWordsOverlapOnTheFullestPages)
{
    tarvel::ScopedProgramFolder data(tarvel_test::DataFolder());
    LanguageIndex = 1;
    ASSERT_TRUE(LoadPdfLanguageConfig());
    int n = 0;
    for (const Combo& c : {Combo{"4S3M", 1, 0, 1, Brake::Printed, 1}, Combo{"2S2M", 0, 1, 1, Brake::Printed, 1},
                           Combo{"4S2M", 0, 0, 0, Brake::TestOff, 0}}) {
        SCOPED_TRACE(Name(c));
        source_.inputs = InputsFor(c);
        source_.inputs.Remark(EolReportItem::BackupPressure) = PdfText(61);
        source_.inputs.Remark(EolReportItem::Pressure2) = PdfText(53);
        source_.inputs.Remark(EolReportItem::LiftingSensor) = PdfText(95);
        const std::string pdf = folder_ + "/full" + std::to_string(n++) + ".pdf";
        bench_.files.QueueAnswer(pdf);
        Write();
        const auto words = pdfkit::Words(pdf);
        ASSERT_FALSE(words.empty());
        for (size_t i = 0; i < words.size(); ++i) {
            const auto& a = words[i];
            EXPECT_GE(a.xMin, 0) << a.text;
            EXPECT_GE(a.yMin, 0) << a.text;
            EXPECT_LE(a.xMax, kW) << a.text;
            EXPECT_LE(a.yMax, kH) << a.text;
            for (size_t j = i + 1; j < words.size(); ++j) {
                const auto& b = words[j];
                const double w = std::min(a.xMax, b.xMax) - std::max(a.xMin, b.xMin);
                const double h = std::min(a.yMax, b.yMax) - std::max(a.yMin, b.yMin);
                EXPECT_FALSE(w > 0.5 && h > 0.5) << "\"" << a.text << "\" overlaps \"" << b.text << "\"";
            }
        }
        // The backup-pressure label on its row.
        const auto backup = pdfkit::FindPhrase(words, PdfText(60));
        ASSERT_FALSE(backup.empty());
        EXPECT_NEAR(backup[0].yMax, c.form == "4S3M" ? 652 : 592, 3);
    }
    LanguageIndex = -1;
}

} // namespace
