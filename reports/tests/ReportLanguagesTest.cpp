// The EOL report and the braking-system plate in each of the five languages,
// with the texts that ship: every text stays inside its room (crosses no
// rule, overlaps no other text, stays on the page) in readable type, the
// lifting-axle remark keeps one row per line (four rows too, its row taller),
// a one-word remark stays on its row, a tester's name and a job number typed
// without a blank at the longest the edits take print whole in their cells,
// and the saved files give back every item name, result word and the VIN (in
// plain ASCII for Chinese too). Each page is also kept as a picture for a person to look
// at, in the build tree's artefacts/reports folder.
#include "EolReportPdf.h"
#include "EolReportsLogic.h"
#include "HaruPdfCanvas.h"
#include "PrintSystemTagLogic.h"
#include "ReportFonts.h"
#include "ReportGlobals.h"
#include "ReportTextTable.h"
#include "SystemTagPdfWriter.h"
#include "SystemTagPlate.h"
#include "TextFit.h"
#include "TextMeasure.h"

#include "DiagnosisGlobals.h"
#include "EolBrakePressureLogic.h"
#include "EolGlobals.h"
#include "LanguageTable.h"
#include "LiftingAxleTestRules.h"
#include "LocalTime.h"
#include "ParameterDefinitions.h"
#include "WheelTurnDetection.h"

#include "PageBench.h"
#include "PdfKit.h"
#include "RecordingPdfCanvas.h"
#include "SimEcuData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace report = tarvel::report;
using pdfkit::PlacedText;
using pdfkit::RecordingPdfCanvas;

const char* const kLanguageNames[5] = {"zh", "en", "ru", "es", "pt"};
const char* const kDate = "2026-03-14";
const char* const kClock = "09:26:53";

// ---- The inputs of a run, as the pages compose them ----

// Of the shipped texts `candidates`, the widest in the report's font.
std::string Widest(int language, const std::vector<std::string>& candidates)
{
    const report::ReportFont font = report::ReportFontForLanguage(language);
    std::string widest;
    float width = -1;
    for (const std::string& text : candidates) {
        const float w = report::MeasureText(font, 9, text).width;
        if (w > width) {
            width = w;
            widest = text;
        }
    }
    return widest;
}

std::vector<std::string> PdfRows(std::initializer_list<int> rows)
{
    std::vector<std::string> texts;
    for (int row : rows)
        texts.push_back(PdfText(row));
    return texts;
}
std::vector<std::string> PdfRowRange(int first, int last)
{
    std::vector<std::string> texts;
    for (int row = first; row <= last; ++row)
        texts.push_back(PdfText(row));
    return texts;
}

// The remark of a wheel sensor as the sensor test writes it (UI texts).
std::string WidestSensorRemark(int language, int sensor)
{
    std::vector<std::string> texts;
    for (int other = 0; other <= 4; ++other)
        if (const int row = WheelRemarkRow(sensor, other))
            texts.push_back(LanguageText(row));
    return Widest(language, texts);
}

// The lifting-axle remark as the page writes it from the answer rows.
std::string LiftingAxleRemark(const std::array<int32_t, 5>& answers)
{
    const LiftingAxleVerdict verdict = EvaluateLiftingAxleRows(2, 0, answers);
    std::string remark;
    for (int row : verdict.remarkRows)
        remark += PdfText(row) + "\n";
    return remark;
}

// A full end-of-line run on a "4S3M" trailer with every optional test, each
// remark the widest its test can write, the lifting axle with three rows.
void FullRun(int language)
{
    SystemForm = "4S3M";
    LiftingAxleTestEnabled = 1;
    LiftingAxleCalibrationEnabled = 1;
    LiftingSensorCalibrationEnabled = 0;
    HeightSensorCalibrationEnabled = 1;
    BrakeLampTestEnabled = 1;
    UnderwaterValveTestEnabled = 1;
    // A run not finished: every result word appears.
    const int32_t results[] = {1, 0, -1};
    for (int i = 0; i < EolResultFlagCount; ++i)
        *EolResultFlags()[i] = results[i % 3];
    EolBrakeLampOnResult = 0;
    EolBrakeLampOffResult = 1;
    EolLiftingAxleResult = 0;

    EolVoltageRemark = Widest(language, PdfRows({73, 74}));
    EolWarningLampOnRemark = EolBrakeLampOnRemark = PdfText(101);
    EolWarningLampOffRemark = EolBrakeLampOffRemark = PdfText(102);
    EolDtcRemark = EolNoRemark;
    std::string* sensors[4] = {&EolSensorRemark1, &EolSensorRemark2, &EolSensorRemark3, &EolSensorRemark4};
    for (int s = 1; s <= 4; ++s)
        *sensors[s - 1] = WidestSensorRemark(language, s);
    EolSensorRemark5 = EolSensorRemark6 = LanguageText(kModulatorFailedRemarkRow);
    EolPressureRemark1 = EolPressureRemark3 = PdfText(53);
    EolPressureRemark2 = EolPressureRemark4 = EolSensorRemark7 = EolNoRemark; // the passed ones
    EolPressureRemark5 = EolPressureRemark6 = EolBrakePressureLogic::kEbsdRemark;
    EolBackupPressureRemark = Widest(language, PdfRowRange(61, 71));
    EolLiftingAxleRemark = LiftingAxleRemark({1, 1, 0, 0, 0}); // three rows: 77, 78, 79
    EolHeightSensorRemark = Widest(language, PdfRows({97, 98, 99, 105, 106, 107, 108, 109}));
    EolValveOpenRemark = PdfText(114);
    EolValveCloseRemark = PdfText(115);
}

// The other forms' run: "2S2M" (sensors 3 and 4 not applicable), the
// lifting-sensor row with its widest remark, no brake lamp, no valve.
void TwoSensorRun(int language)
{
    FullRun(language);
    SystemForm = "2S2M";
    LiftingAxleTestEnabled = 0;
    LiftingSensorCalibrationEnabled = 1;
    BrakeLampTestEnabled = 0;
    UnderwaterValveTestEnabled = 0;
    EolLiftingSensorResult = 0;
    EolLiftingSensorRemark = Widest(language, PdfRowRange(82, 95));
}

// The plate of the simulated three-axle trailer: read from the ECU as the
// system-tag page does, the manufacturer and type typed in.
void ReadPlate(tarvel_test::PageBench& bench, PrintSystemTagLogic& tagPage, int language)
{
    ASSERT_TRUE(bench.Connect());
    BasicParameterFileNames[static_cast<size_t>(language)] =
        LanguageFileName("VADE_BasicParameterConfig/VADE_ParameterConfig_C05", language);
    ASSERT_TRUE(LoadBasicParameterConfig());
    tagPage.OnReadParameter();
    ASSERT_EQ(PlateAxleCount, "3");
    ASSERT_EQ(PlateVin, sim::ecudata::kVin);
    const char* makers[] = {"莫尔万挂车制造有限公司", "Morvane Trailer Works Ltd.", "ООО «Прицепной завод Морвейн»",
                            "Remolques Morvane Peñíscola S.L.", "Reboques Morvane São João Ltda."};
    PlateManufacturer = makers[language];
    PlateType = "MTX-3 S";
    AxleCount = 3;
    ParameterChoice = 1;
    // Sensors c-d on axles 1 and 3, e-f on axle 2 (one axle with both
    // pairs prints both letters at one place), the first axle lifting.
    AxleFeatureFlags = {1, 0, 0, 1, 1, 0};
    LiftingAxleFlags = {1, 0, 0, 0, 0, 0};
    LiftingAxleCalibrationEnabled = 1;
}

void Identify()
{
    EcuSupplierId = sim::ecudata::kSupplierId;
    EcuHardwareVersion = sim::ecudata::kHardwareVersion;
    EcuSoftwareVersion = sim::ecudata::kSoftwareVersion;
    EcuIdentF1F4 = sim::ecudata::kIdentF1F4;
    EcuCalibrationVersion = sim::ecudata::kCalibrationVersion;
}

// ---- What the recording canvas tells about the drawn texts ----

// The page frame texts must stay in (page coordinates).
struct Frame {
    float left, bottom, right, top;
};

std::string Describe(const PlacedText& t)
{
    std::ostringstream out;
    out << "\"" << t.text << "\" at (" << t.x << ", " << t.y << ") size " << t.size << " box [" << t.box.left << ", "
        << t.box.bottom << ", " << t.box.right << ", " << t.box.top << "]";
    return out.str();
}

// Every drawn text of `page` lies within `frame`, crosses no stroked line
// and overlaps no other text.
void ExpectTextsInTheirRooms(const RecordingPdfCanvas& canvas, int page, const Frame& frame)
{
    std::vector<PlacedText> texts;
    for (const PlacedText& t : canvas.Texts())
        if (t.page == page && t.text.find_first_not_of(' ') != std::string::npos)
            texts.push_back(t);
    ASSERT_FALSE(texts.empty());
    std::vector<pdfkit::Segment> rules;
    for (const auto& s : canvas.StrokedSegments())
        if (s.page == page)
            rules.push_back(s);
    ASSERT_FALSE(rules.empty());
    const float half = 0.25f; // half the rules' width
    for (const PlacedText& t : texts) {
        const pdfkit::TextBox& b = t.box;
        EXPECT_TRUE(b.left >= frame.left && b.right <= frame.right && b.bottom >= frame.bottom && b.top <= frame.top)
            << "off the page frame: " << Describe(t);
        for (const auto& s : rules) {
            bool crosses = false;
            if (std::fabs(s.y1 - s.y2) < 0.01f) { // horizontal
                crosses = s.y1 > b.bottom - half && s.y1 < b.top + half &&
                          std::min(s.x1, s.x2) < b.right && std::max(s.x1, s.x2) > b.left;
            } else if (std::fabs(s.x1 - s.x2) < 0.01f) { // vertical
                crosses = s.x1 > b.left - half && s.x1 < b.right + half &&
                          std::min(s.y1, s.y2) < b.top && std::max(s.y1, s.y2) > b.bottom;
            }
            EXPECT_FALSE(crosses) << Describe(t) << " crosses the rule (" << s.x1 << ", " << s.y1 << ")-(" << s.x2
                                  << ", " << s.y2 << ")";
        }
    }
    for (size_t i = 0; i < texts.size(); ++i)
        for (size_t j = i + 1; j < texts.size(); ++j) {
            const pdfkit::TextBox& a = texts[i].box;
            const pdfkit::TextBox& b = texts[j].box;
            const float w = std::min(a.right, b.right) - std::max(a.left, b.left);
            const float h = std::min(a.top, b.top) - std::max(a.bottom, b.bottom);
            EXPECT_FALSE(w > 0.1f && h > 0.1f) << Describe(texts[i]) << " overlaps " << Describe(texts[j]);
        }
}

// The rules above and below the table row whose baseline is `baseline` on
// `page`: the nearest horizontal rules across the remark column (page
// coordinates, the one above first).
std::pair<float, float> RowRules(const RecordingPdfCanvas& canvas, int page, float baseline)
{
    float above = 1e9f, below = -1e9f;
    for (const auto& s : canvas.StrokedSegments()) {
        if (s.page != page || std::fabs(s.y1 - s.y2) > 0.01f || std::min(s.x1, s.x2) > 300 ||
            std::max(s.x1, s.x2) < 300)
            continue;
        if (s.y1 > baseline && s.y1 < above)
            above = s.y1;
        if (s.y1 < baseline && s.y1 > below)
            below = s.y1;
    }
    return {above, below};
}

// The texts of one page, in drawing order.
std::vector<PlacedText> PageTexts(const RecordingPdfCanvas& canvas, int page)
{
    std::vector<PlacedText> texts;
    for (const PlacedText& t : canvas.Texts())
        if (t.page == page)
            texts.push_back(t);
    return texts;
}

// ---- What pdftotext gives back ----

std::string NoBlanks(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
            out += c;
    return out;
}

// True when pdftotext found `t` where it was drawn: words on its baseline,
// starting at its left edge, that together read as its text.
bool FoundWhereDrawn(const std::vector<pdfkit::PdfWord>& words, int page, const PlacedText& t, float pageHeight)
{
    const std::string wanted = NoBlanks(t.text);
    const double top = pageHeight - t.box.top;
    const double bottom = pageHeight - t.box.bottom;
    for (size_t i = 0; i < words.size(); ++i) {
        const pdfkit::PdfWord& w = words[i];
        if (w.page != page || std::fabs(w.xMin - t.box.left) > 1.5 || w.yMax < top || w.yMin > bottom)
            continue;
        std::string read;
        for (size_t k = i; k < words.size() && read.size() < wanted.size(); ++k) {
            if (words[k].page != page || std::fabs(words[k].yMax - w.yMax) > 1.5)
                break;
            read += words[k].text;
        }
        if (read == wanted)
            return true;
    }
    return false;
}

// Full-width digits and Latin letters (U+FF10..U+FF19, U+FF21..U+FF3A,
// U+FF41..U+FF5A), as the Chinese font's Latin glyphs extract; Chinese
// punctuation (full-width colon and comma) is Chinese text and allowed.
bool HasFullWidthLetters(const std::string& utf8)
{
    for (size_t i = 0; i + 2 < utf8.size(); ++i) {
        if (static_cast<unsigned char>(utf8[i]) != 0xEF)
            continue;
        const unsigned cp = 0xF000u | ((static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6) |
                            (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
        if ((cp >= 0xFF10 && cp <= 0xFF19) || (cp >= 0xFF21 && cp <= 0xFF3A) || (cp >= 0xFF41 && cp <= 0xFF5A))
            return true;
    }
    return false;
}

std::string ArtefactFolder()
{
    const fs::path folder = fs::path(TARVEL_REPORT_ARTEFACTS);
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder.string();
}

// ---- The operator's texts ----

size_t CodePoints(const std::string& utf8)
{
    size_t n = 0;
    for (char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// `base` repeated and ended after `count` characters.
std::string Characters(const std::string& base, size_t count)
{
    std::string out;
    for (size_t i = 0, n = 0;; i = (i + 1) % base.size()) {
        const bool starts = (static_cast<unsigned char>(base[i]) & 0xC0) != 0x80;
        if (starts && n++ == count)
            return out;
        out += base[i];
    }
}

// A tester's name and a job number as an operator types them, with no
// blank, at the longest the page's edits take.
std::pair<std::string, std::string> LongestOperatorTexts(int language)
{
    const char* names[] = {"欧阳明轩司马慧敏诸葛志远上官婉儿", "Jean-BaptisteMaximilianWolfgang-Schwarzenegger-",
                           "Константин-Александрович-Воскресенский-", "María-JoséPeñíscola-Fernández-Iñárritu-",
                           "JoãoSebastião-Conceição-Magalhães-Gonçalves-"};
    const char* jobs[] = {"工单-2026/12-000123456789-第三线-", "JOB-2026-12-11-000123456789-SR3X-",
                          "ЗАКАЗ-2026/12-000123456789-ЩЖШЮЯ-", "PEDIDO-2026/12-000123456789-AÑO-",
                          "ORDEM-2026/12-000123456789-SÃO-"};
    return {Characters(names[language], ABSEOLReportsLogic::kTesterNameMaxLength),
            Characters(jobs[language], ABSEOLReportsLogic::kJobNumberMaxLength)};
}

// The footer box of a recorded results page: its top and bottom depth.
std::pair<float, float> FooterBox(const RecordingPdfCanvas& canvas, int page, float pageHeight)
{
    for (const auto& s : canvas.StrokedSegments())
        if (s.page == page && std::fabs(s.x1 - 350) < 0.01f && std::fabs(s.x2 - 350) < 0.01f)
            return {pageHeight - std::max(s.y1, s.y2), pageHeight - std::min(s.y1, s.y2)};
    return {0, 0};
}

// ---- The tests ----

class ReportsInEveryLanguage : public ::testing::TestWithParam<int> {
protected:
    ReportsInEveryLanguage() : bench(GetParam()) {}
    void SetUp() override
    {
        ASSERT_TRUE(LoadPdfLanguageConfig());
        ASSERT_NO_FATAL_FAILURE(ReadPlate(bench, tagPage, Language()));
        Identify();
        ASSERT_TRUE(reports.ReadVinForReport());
        ASSERT_EQ(ReportVin, sim::ecudata::kVin);
    }
    int Language() const { return GetParam(); }
    std::string Name() const { return kLanguageNames[Language()]; }

    // Both pages of the report as the writer draws them, on a recording canvas.
    RecordingPdfCanvas Record()
    {
        const EolReportInputs in = reports.RefreshEolReportInputs();
        RecordingPdfCanvas canvas;
        report::DrawSystemTagPlate(canvas, report::SystemTagPlateInputsNow(0), report::PlateVariant::EolReport);
        DrawEolResultsPage(canvas, in, Language(), 0, kDate, kClock);
        return canvas;
    }

    tarvel_test::PageBench bench;
    tarvel::ScopedLocalTime time{{2026, 3, 14, 9, 26, 53}};
    PrintSystemTagLogic tagPage{bench.Context()};
    ABSEOLReportsLogic reports{bench.Context()};
};

TEST_P(ReportsInEveryLanguage, EveryTextStaysInItsRoom)
{
    const Frame plateFrame{20, 20, 841.89f - 20, 595.276f - 20};
    const Frame resultsFrame{50, 0, 595.276f - 50, 841.89f - 20};
    for (const auto& run : {std::function<void(int)>(FullRun), std::function<void(int)>(TwoSensorRun)}) {
        run(Language());
        const RecordingPdfCanvas canvas = Record();
        ASSERT_EQ(canvas.PageCount(), 2);
        SCOPED_TRACE(SystemForm);
        ExpectTextsInTheirRooms(canvas, 1, plateFrame);
        ExpectTextsInTheirRooms(canvas, 2, resultsFrame);
        // Nothing had to be cut short, nothing is smaller than readable type.
        for (const PlacedText& t : canvas.Texts()) {
            EXPECT_EQ(t.text.find("\xE2\x80\xA6"), std::string::npos) << Describe(t);
            EXPECT_GE(t.size, report::kLeastTextSize) << Describe(t);
        }
    }
    // The plate alone, as the system tag prints it.
    RecordingPdfCanvas plate;
    report::DrawSystemTagPlate(plate, report::SystemTagPlateInputsNow(0), report::PlateVariant::SystemTag);
    ExpectTextsInTheirRooms(plate, 1, plateFrame);
}

TEST_P(ReportsInEveryLanguage, TheLiftingAxleRemarkKeepsOneRowPerLineAndAOneWordRemarkItsRow)
{
    FullRun(Language());
    const RecordingPdfCanvas canvas = Record();
    const std::vector<PlacedText> texts = PageTexts(canvas, 2);
    const auto wordOf = [&](const std::string& word, float near) -> const PlacedText* {
        for (const PlacedText& t : texts)
            if (t.text == word && t.x >= 470 && std::fabs(t.y - near) < 20)
                return &t;
        return nullptr;
    };
    // The lifting row: its label, and its word on the same baseline.
    const PlacedText* label = nullptr;
    for (const PlacedText& t : texts)
        if (t.text == PdfText(75))
            label = &t;
    ASSERT_NE(label, nullptr);
    const PlacedText* word = wordOf(PdfText(39), label->y);
    ASSERT_NE(word, nullptr);
    // Each of the three rows on a line of its own, in order, between the
    // row's rules, in the remark column.
    const auto [above, below] = RowRules(canvas, 2, word->y);
    std::vector<const PlacedText*> lines;
    for (int row : {77, 78, 79})
        for (const PlacedText& t : texts)
            if (t.text == PdfText(row) && t.x >= 225 && t.box.right <= 470 && t.box.top <= above &&
                t.box.bottom >= below)
                lines.push_back(&t);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_GT(lines[0]->y, lines[1]->y);
    EXPECT_GT(lines[1]->y, lines[2]->y);
    // Lines may touch (a line pitch of the font's height), never overlap.
    EXPECT_GE(lines[0]->box.bottom + 0.01f, lines[1]->box.top);
    EXPECT_GE(lines[1]->box.bottom + 0.01f, lines[2]->box.top);

    // "-" remarks (the fault memory's) stand on their row's baseline.
    int dashes = 0;
    for (const PlacedText& t : texts)
        if (t.text == "-" && t.x >= 225 && t.x < 470) {
            ++dashes;
            bool onARow = false;
            for (const PlacedText& w : texts)
                onARow = onARow || (w.x >= 470 && std::fabs(w.y - t.y) < 0.01f);
            EXPECT_TRUE(onARow) << Describe(t);
        }
    EXPECT_GE(dashes, 1);
}

TEST_P(ReportsInEveryLanguage, AllFourLiftingRowsStillFitTheirRow)
{
    FullRun(Language());
    EolLiftingAxleRemark = LiftingAxleRemark({1, 0, 0, 0, 0});
    const RecordingPdfCanvas canvas = Record();
    ExpectTextsInTheirRooms(canvas, 2, {50, 0, 595.276f - 50, 841.89f - 20});
    for (int row : {76, 77, 78, 79}) {
        int found = 0;
        for (const PlacedText& t : PageTexts(canvas, 2))
            if (t.text == PdfText(row) && t.x >= 225 && t.x < 470) {
                ++found;
                EXPECT_GE(t.size, 6) << row;
            }
        EXPECT_EQ(found, 1) << row;
    }
}

TEST_P(ReportsInEveryLanguage, TheSavedFilesGiveBackTheirTextsAndArePictured)
{
    ASSERT_TRUE(pdfkit::ToolsAvailable());
    FullRun(Language());
    const std::string folder = ArtefactFolder();
    const std::string reportPdf = folder + "/eol-report-" + Name() + ".pdf";
    const std::string platePdf = folder + "/system-tag-" + Name() + ".pdf";
    std::error_code ec;
    fs::remove(reportPdf, ec);
    fs::remove(platePdf, ec);

    // The report as the results page saves it, the plate page first.
    reports.SystemTagChoice(true);
    bench.files.QueueAnswer(reportPdf);
    reports.Save("Li Wei", "JOB-2026-0314");
    ASSERT_TRUE(fs::exists(reportPdf));
    // The plate alone, as the system-tag page prints it.
    bench.files.QueueAnswer(platePdf);
    report::HaruPdfCanvas plateCanvas;
    ASSERT_EQ(report::SystemTagPdfWriter(0, bench.Context(), plateCanvas, tarvel::LocalNow()), 1);

    for (const std::string& pdf : {reportPdf, platePdf}) {
        SCOPED_TRACE(pdf);
        const pdfkit::PdfCheck check = pdfkit::Check(pdf);
        EXPECT_TRUE(check.clean) << check.output;
        EXPECT_LT(fs::file_size(pdf), 1024u * 1024u);
        const std::string prefix = pdf.substr(0, pdf.size() - 4);
        const std::vector<std::string> pictures = pdfkit::RenderPages(pdf, prefix, 90);
        EXPECT_EQ(pictures.size(), pdf == reportPdf ? 2u : 1u);
        for (const std::string& picture : pictures)
            EXPECT_GT(fs::file_size(picture), 10000u) << picture;
        const std::string text = pdfkit::Text(pdf);
        // The VIN as plain ASCII, in every language.
        EXPECT_NE(text.find(sim::ecudata::kVin), std::string::npos) << "the VIN is not in the text";
        EXPECT_FALSE(HasFullWidthLetters(text));
    }

    // Every line drawn comes back where it was drawn: every item name,
    // result word, remark, label and value.
    RecordingPdfCanvas recorded;
    report::DrawSystemTagPlate(recorded, report::SystemTagPlateInputsNow(0), report::PlateVariant::EolReport);
    const EolReportInputs in = reports.RefreshEolReportInputs();
    DrawEolResultsPage(recorded, in, Language(), 0, kDate, kClock);
    const std::vector<pdfkit::PdfWord> words = pdfkit::Words(reportPdf);
    for (int page : {1, 2}) {
        const float height = page == 1 ? 595.276f : 841.89f;
        for (const PlacedText& t : PageTexts(recorded, page)) {
            if (!NoBlanks(t.text).empty()) {
                EXPECT_TRUE(FoundWhereDrawn(words, page, t, height)) << "page " << page << ": " << Describe(t);
            }
        }
    }
    // The item names and the result words are among them: each of their
    // words (a name may stand on two lines); Chinese names whole.
    std::multiset<std::string> pageWords;
    for (const pdfkit::PdfWord& w : words)
        if (w.page == 2)
            pageWords.insert(w.text);
    const std::string page2 = NoBlanks(pdfkit::Text(reportPdf, 2));
    for (int row : {43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 54, 55, 56, 57, 58, 59, 60, 72, 75, 96, 100, 111, 112, 113,
                    38, 39, 40}) {
        if (Language() == 0) {
            EXPECT_THAT(page2, testing::HasSubstr(NoBlanks(PdfText(row)))) << "report row " << row;
            continue;
        }
        std::istringstream name(PdfText(row));
        for (std::string word; name >> word;)
            EXPECT_TRUE(pageWords.count(word)) << "report row " << row << ": " << word;
    }
}

// The words pdftotext found wholly inside a box of `page` (depths from the
// page top), line by line from the top, and in a line from the left.
std::vector<pdfkit::PdfWord> WordsInside(const std::vector<pdfkit::PdfWord>& words, int page, double left,
                                         double top, double right, double bottom)
{
    const double slack = 0.5;
    std::vector<pdfkit::PdfWord> inside;
    for (const pdfkit::PdfWord& w : words)
        if (w.page == page && w.xMin >= left - slack && w.xMax <= right + slack && w.yMin >= top - slack &&
            w.yMax <= bottom + slack)
            inside.push_back(w);
    std::sort(inside.begin(), inside.end(), [](const pdfkit::PdfWord& a, const pdfkit::PdfWord& b) {
        if (std::fabs(a.yMax - b.yMax) > 2)
            return a.yMax < b.yMax;
        return a.xMin < b.xMin;
    });
    return inside;
}

std::string Joined(const std::vector<pdfkit::PdfWord>& words)
{
    std::string text;
    for (const pdfkit::PdfWord& w : words)
        text += w.text;
    return text;
}

TEST_P(ReportsInEveryLanguage, TheTesterAndTheJobAtTheirLongestPrintWholeInTheirCells)
{
    ASSERT_TRUE(pdfkit::ToolsAvailable());
    FullRun(Language());
    EolLiftingAxleRemark = LiftingAxleRemark({1, 0, 0, 0, 0}); // four rows: the fullest page there is
    const auto [tester, job] = LongestOperatorTexts(Language());
    ASSERT_EQ(CodePoints(tester), static_cast<size_t>(ABSEOLReportsLogic::kTesterNameMaxLength));
    ASSERT_EQ(CodePoints(job), static_cast<size_t>(ABSEOLReportsLogic::kJobNumberMaxLength));
    ASSERT_EQ(tester.find(' '), std::string::npos);
    ASSERT_EQ(job.find(' '), std::string::npos);

    const std::string pdf = ArtefactFolder() + "/eol-report-longest-" + Name() + ".pdf";
    std::error_code ec;
    fs::remove(pdf, ec);
    reports.SystemTagChoice(false);
    bench.files.QueueAnswer(pdf);
    reports.Save(tester, job);
    ASSERT_TRUE(fs::exists(pdf));
    const pdfkit::PdfCheck check = pdfkit::Check(pdf);
    EXPECT_TRUE(check.clean) << check.output;
    // Still one page.
    const pdfkit::PdfInfo info = pdfkit::Info(pdf);
    ASSERT_EQ(info.pages, 1);
    pdfkit::RenderPages(pdf, pdf.substr(0, pdf.size() - 4), 90);

    // The cells: the footer box as drawn, between its rules at 170 and 350
    // (the tester) and at 450 and the right rule (the job).
    RecordingPdfCanvas recorded;
    DrawEolResultsPage(recorded, reports.RefreshEolReportInputs(), Language(), 0, kDate, kClock);
    const auto [top, bottom] = FooterBox(recorded, 1, 841.89f);
    ASSERT_GT(bottom, top);
    EXPECT_LE(bottom, 841.89f);
    const std::vector<pdfkit::PdfWord> words = pdfkit::Words(pdf);
    const struct {
        const std::string& text;
        double left, right;
    } cells[] = {{tester, 170, 350}, {job, 450, 595.276 - 50}};
    for (const auto& cell : cells) {
        SCOPED_TRACE(cell.text);
        const std::vector<pdfkit::PdfWord> inside = WordsInside(words, 1, cell.left, top, cell.right, bottom);
        // Every character, in order, nothing cut off, nothing added.
        EXPECT_EQ(Joined(inside), cell.text);
    }
}

TEST_P(ReportsInEveryLanguage, TheWidestCharactersAtTheEditsLengthStillPrintWhole)
{
    // Of the characters an operator may type, the widest as the report draws
    // it: in the language's font, or in the font that holds what that one
    // does not.
    const report::ReportFont font = report::ReportFontForLanguage(Language());
    std::string widest;
    float width = 0;
    for (const char* c : {"W", "M", "@", "Æ", "Œ", "—", "Ж", "Щ", "Ш", "Ю", "Ы", "国", "鑫"}) {
        const float w = report::MeasureText(font, 9, c).width;
        if (w > width) {
            width = w;
            widest = c;
        }
    }
    ASSERT_FALSE(widest.empty());
    FullRun(Language());
    EolLiftingAxleRemark = LiftingAxleRemark({1, 0, 0, 0, 0});
    std::string tester, job;
    for (int i = 0; i < ABSEOLReportsLogic::kTesterNameMaxLength; ++i)
        tester += widest;
    for (int i = 0; i < ABSEOLReportsLogic::kJobNumberMaxLength; ++i)
        job += widest;
    reports.SetReportWriter([](int) { return 0; }); // no file: the recording canvas tells
    reports.Save(tester, job);
    const RecordingPdfCanvas canvas = Record();
    const auto [top, bottom] = FooterBox(canvas, 2, 841.89f);
    ASSERT_GT(bottom, top);
    const struct {
        const std::string& text;
        float left, right;
    } cells[] = {{tester, 170, 350}, {job, 450, 595.276f - 50}};
    for (const auto& cell : cells) {
        std::string joined;
        for (const PlacedText& t : PageTexts(canvas, 2))
            if (t.box.left >= cell.left && t.box.right <= cell.right && t.box.top <= 841.89f - top &&
                t.box.bottom >= 841.89f - bottom) {
                joined += t.text;
                EXPECT_GE(t.size, report::kLeastTextSize);
            }
        EXPECT_EQ(joined, cell.text) << widest;
    }
}

TEST_P(ReportsInEveryLanguage, ATesterNameOfTheWidestLettersAtTheEditsLengthPrintsWhole)
{
    // The widest letter a name may hold, in any script, as the report draws
    // it: Latin (with the Croatian digraph letters), Cyrillic, Chinese.
    const report::ReportFont font = report::ReportFontForLanguage(Language());
    std::string widest;
    float width = 0;
    for (const char* c : {"W", "M", "Æ", "Œ", "Ǳ", "ǅ", "Ж", "Щ", "Ш", "Ю", "国", "鑫"}) {
        const float w = report::MeasureText(font, 9, c).width;
        if (w > width) {
            width = w;
            widest = c;
        }
    }
    FullRun(Language());
    EolLiftingAxleRemark = LiftingAxleRemark({1, 0, 0, 0, 0});
    std::string tester;
    for (int i = 0; i < ABSEOLReportsLogic::kTesterNameMaxLength; ++i)
        tester += widest;
    reports.SetReportWriter([](int) { return 0; }); // no file: the recording canvas tells
    reports.Save(tester, "J1");
    const RecordingPdfCanvas canvas = Record();
    const auto [top, bottom] = FooterBox(canvas, 2, 841.89f);
    ASSERT_GT(bottom, top);
    std::string joined;
    for (const PlacedText& t : PageTexts(canvas, 2))
        if (t.box.left >= 170 && t.box.right <= 350 && t.box.top <= 841.89f - top && t.box.bottom >= 841.89f - bottom) {
            joined += t.text;
            EXPECT_GE(t.size, report::kLeastTextSize) << Describe(t);
        }
    EXPECT_EQ(joined, tester) << widest;
}

TEST_P(ReportsInEveryLanguage, TypedTextsInAnyScriptPrintAsTyped)
{
    ASSERT_TRUE(pdfkit::ToolsAvailable());
    FullRun(Language());
    // The operator's texts in Cyrillic, Chinese and accented Latin, in every
    // language's report; the plate's typed rows (manufacturer, type, VIN) as
    // well, typed into the system-tag page's cells.
    const std::string tester = "Иван Петров 王小明 Müller";
    const std::string job = "JOB-Ж测-0001";
    // The type holds letters of no Western or Cyrillic page (Greek,
    // Hungarian), drawn in the Unicode font.
    const std::string typed[] = {"Иван Петров 王小明 Müller", "MTX-Ω3 Őrs Ж测", "ВИН-Ж测-Ü0001"};
    for (int row = 0; row < 3; ++row) {
        ASSERT_TRUE(tagPage.StartCellEditInColumn(row, PrintSystemTagLogic::kValueColumn));
        tagPage.CommitCellEdit(typed[row]);
    }
    ASSERT_EQ(PlateManufacturer, typed[0]);

    const std::string folder = ArtefactFolder();
    const std::string reportPdf = folder + "/eol-report-typed-" + Name() + ".pdf";
    const std::string platePdf = folder + "/system-tag-typed-" + Name() + ".pdf";
    std::error_code ec;
    fs::remove(reportPdf, ec);
    fs::remove(platePdf, ec);
    reports.SystemTagChoice(true);
    bench.files.QueueAnswer(reportPdf);
    reports.Save(tester, job);
    ASSERT_TRUE(fs::exists(reportPdf));
    bench.files.QueueAnswer(platePdf);
    report::HaruPdfCanvas plateCanvas;
    ASSERT_EQ(report::SystemTagPdfWriter(0, bench.Context(), plateCanvas, tarvel::LocalNow()), 1);
    ASSERT_TRUE(fs::exists(platePdf));

    // No text overlaps another or crosses a rule, as drawn.
    const RecordingPdfCanvas recorded = Record();
    ExpectTextsInTheirRooms(recorded, 1, {20, 20, 841.89f - 20, 595.276f - 20});
    ExpectTextsInTheirRooms(recorded, 2, {50, 0, 595.276f - 50, 841.89f - 20});
    RecordingPdfCanvas plateAlone;
    report::DrawSystemTagPlate(plateAlone, report::SystemTagPlateInputsNow(0), report::PlateVariant::SystemTag);
    ExpectTextsInTheirRooms(plateAlone, 1, {20, 20, 841.89f - 20, 595.276f - 20});

    // Each typed text comes back whole from its cell: the plate's rows on
    // the plate page of both files, the tester and the job in the footer.
    struct Cell {
        std::string pdf;
        int page;
        std::string text;
        double left, top, right, bottom; // from the page's top-left corner
    };
    const double gridRight = 841.89 / 3 + 100;
    const auto [footerTop, footerBottom] = FooterBox(recorded, 2, 841.89f);
    ASSERT_GT(footerBottom, footerTop);
    std::vector<Cell> cells;
    for (const std::string& pdf : {reportPdf, platePdf}) {
        cells.push_back({pdf, 1, typed[0], 160, 80, gridRight, 115});
        cells.push_back({pdf, 1, typed[1], 160, 115, gridRight, 150});
        cells.push_back({pdf, 1, typed[2], 160, 150, gridRight, 185});
    }
    cells.push_back({reportPdf, 2, tester, 170, footerTop, 350, footerBottom});
    cells.push_back({reportPdf, 2, job, 450, footerTop, 595.276 - 50, footerBottom});
    for (const Cell& cell : cells) {
        SCOPED_TRACE(cell.pdf + " page " + std::to_string(cell.page) + ": " + cell.text);
        const std::vector<pdfkit::PdfWord> inside =
            WordsInside(pdfkit::Words(cell.pdf), cell.page, cell.left, cell.top, cell.right, cell.bottom);
        EXPECT_EQ(Joined(inside), NoBlanks(cell.text));
    }
    for (const std::string& pdf : {reportPdf, platePdf}) {
        SCOPED_TRACE(pdf);
        const pdfkit::PdfCheck check = pdfkit::Check(pdf);
        EXPECT_TRUE(check.clean) << check.output;
        EXPECT_LT(fs::file_size(pdf), 1024u * 1024u);
        EXPECT_FALSE(HasFullWidthLetters(pdfkit::Text(pdf)));
        pdfkit::RenderPages(pdf, pdf.substr(0, pdf.size() - 4), 90);
    }
}

TEST_P(ReportsInEveryLanguage, AFourRowLiftingRemarkPrintsInReadableType)
{
    ASSERT_TRUE(pdfkit::ToolsAvailable());
    FullRun(Language());
    EolLiftingAxleRemark = LiftingAxleRemark({1, 0, 0, 0, 0});
    const std::string pdf = ArtefactFolder() + "/eol-report-lifting-" + Name() + ".pdf";
    std::error_code ec;
    fs::remove(pdf, ec);
    reports.SystemTagChoice(true);
    bench.files.QueueAnswer(pdf);
    reports.Save("Li", "J1");
    ASSERT_TRUE(fs::exists(pdf));
    // The plate and the results, as with a shorter remark.
    ASSERT_EQ(pdfkit::Info(pdf).pages, 2);

    // The lifting-axle row between its rules, as drawn.
    const RecordingPdfCanvas recorded = Record();
    const std::vector<PlacedText> texts = PageTexts(recorded, 2);
    const PlacedText* label = nullptr;
    for (const PlacedText& t : texts)
        if (t.text == PdfText(75))
            label = &t;
    ASSERT_NE(label, nullptr);
    const auto [above, below] = RowRules(recorded, 2, label->y);
    const double top = 841.89 - above;
    const double bottom = 841.89 - below;
    ASSERT_LT(top, bottom);

    const std::vector<pdfkit::PdfWord> inRow = WordsInside(pdfkit::Words(pdf), 2, 225, top, 470, bottom);
    std::string remark;
    for (int row : {76, 77, 78, 79})
        remark += NoBlanks(PdfText(row));
    EXPECT_EQ(Joined(inRow), remark);
    for (const pdfkit::PdfWord& w : inRow)
        EXPECT_GE(w.yMax - w.yMin, 6.0) << w.text << " is " << (w.yMax - w.yMin) << " high";
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, ReportsInEveryLanguage, ::testing::Values(0, 1, 2, 3, 4),
                         [](const ::testing::TestParamInfo<int>& info) { return std::string(kLanguageNames[info.param]); });

} // namespace
