#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "HaruPdfCanvas.h"
#include "PdfKit.h"
#include "RecordingPdfCanvas.h"
#include "ReportFonts.h"
#include "ReportPictures.h"
#include "ReportTextTable.h"
#include "ReportsTestSupport.h"

using namespace reports_test;
using namespace tarvel::report;

namespace {

bool Near(double a, double b, double tolerance = 0.01) { return std::fabs(a - b) <= tolerance; }

std::vector<std::string> TrimmedLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        const auto first = line.find_first_not_of(" \f\r");
        if (first != std::string::npos) lines.push_back(line.substr(first, line.find_last_not_of(" \f\r") - first + 1));
        start = end + 1;
    }
    return lines;
}

// Points the temporary folder at a folder of the test's own while it lives,
// so a test can see every temporary file the code under test leaves.
class ScopedTempDir {
public:
    explicit ScopedTempDir(const std::string& folder)
    {
        if (const char* old = std::getenv("TMPDIR")) previous_ = old, hadPrevious_ = true;
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~ScopedTempDir()
    {
        if (hadPrevious_) {
            setenv("TMPDIR", previous_.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }

private:
    std::string previous_;
    bool hadPrevious_ = false;
};

} // namespace

TEST(ReportFonts, EachLanguageHasItsFontEncodingAndCodePage)
{
    const ReportFont chinese = ReportFontForLanguage(0);
    EXPECT_EQ(chinese.source, FontSource::Cns);
    EXPECT_EQ(chinese.name, "SimSun");
    EXPECT_EQ(chinese.encoding, "GBK-EUC-H");
    EXPECT_EQ(chinese.codePage, 936);
    for (int language : {1, 3, 4, 7, -1}) {
        SCOPED_TRACE(language);
        EXPECT_EQ(ReportFontForLanguage(language), WesternReportFont());
    }
    EXPECT_EQ(WesternReportFont().name, "Helvetica");
    EXPECT_EQ(WesternReportFont().encoding, "WinAnsiEncoding");
    EXPECT_EQ(WesternReportFont().codePage, 1252);
    const ReportFont russian = ReportFontForLanguage(2);
    ASSERT_FALSE(CyrillicFontFile().empty()) << "DejaVu Sans (fonts-dejavu-core) is needed for Russian reports";
    EXPECT_EQ(russian.source, FontSource::TrueType);
    EXPECT_EQ(russian.name, CyrillicFontFile());
    EXPECT_EQ(russian.encoding, "CP1251");
    EXPECT_EQ(russian.codePage, 1251);
}

TEST(ReportFonts, TextIsEncodedForTheFontWithQuestionMarksForTheRest)
{
    const ReportFont chinese = ReportFontForLanguage(0);
    const ReportFont western = WesternReportFont();
    const ReportFont russian{FontSource::TrueType, "any.ttf", "CP1251", 1251};
    EXPECT_EQ(EncodeForFont("São Año 2.0", western), "S\xE3o A\xF1o 2.0");
    EXPECT_EQ(EncodeForFont("Ж √ 中", western), "? ? ?");
    EXPECT_EQ(EncodeForFont("√ 中", chinese), "\xA1\xCC \xD6\xD0");
    EXPECT_EQ(EncodeForFont("Жё São", russian), "\xC6\xB8 S?o");
    EXPECT_EQ(EncodeForFont("bad \xFF byte", western), "bad ? byte");
}

TEST(RecordingPdfCanvas, RecordsPlacesFontsPicturesAndStrokedLines)
{
    pdfkit::RecordingPdfCanvas canvas;
    canvas.AddPage(PdfPageSize::A4, PdfOrientation::Landscape);
    EXPECT_TRUE(Near(canvas.PageWidth(), 841.89));
    EXPECT_TRUE(Near(canvas.PageHeight(), 595.276));
    canvas.SetFont(ReportFontForLanguage(0), 9);
    canvas.BeginText();
    canvas.MoveTextPos(220, canvas.PageHeight() - 58);
    canvas.ShowText("title");
    canvas.EndText();
    canvas.BeginText();
    TextOutFromTop(canvas, 82, 100, "制造商");
    canvas.EndText();
    EXPECT_TRUE(canvas.TextBlocksBalanced());
    EXPECT_EQ(canvas.TextsAt(82, 595.276f - 100), std::vector<std::string>{"制造商"});
    EXPECT_EQ(canvas.TextsAt(220, 595.276f - 58), std::vector<std::string>{"title"});
    EXPECT_EQ(canvas.Texts()[1].font.name, "SimSun");
    EXPECT_EQ(canvas.Texts()[1].size, 9);

    DrawImageFromTop(canvas, BitmapResourceToTempJpeg(canvas, kBuiltinLogoResource), 30, 75, 90, 50);
    EXPECT_FALSE(DrawReportPicture(canvas, "ReportImage\\not_there.png", 1, 2, 3, 4));
    ASSERT_EQ(canvas.DrawnImages().size(), 1u);
    EXPECT_EQ(canvas.DrawnImages()[0].source, "built-in");
    EXPECT_TRUE(Near(canvas.DrawnImages()[0].y, 595.276 - 75));

    canvas.SetLineWidth(0.5);
    canvas.MoveTo(20, 20);
    canvas.LineTo(100, 20);
    canvas.Stroke();
    canvas.MoveTo(0, 0);
    canvas.LineTo(5, 5); // never stroked
    ASSERT_EQ(canvas.StrokedSegments().size(), 1u);
    EXPECT_EQ(canvas.StrokedSegments()[0].x2, 100);
    EXPECT_EQ(canvas.StrokedSegments()[0].lineWidth, 0.5f);

    canvas.BeginText();
    canvas.BeginText();
    EXPECT_FALSE(canvas.TextBlocksBalanced());
}

TEST(BitmapResource, OnlyTheBuiltInLogoExists)
{
    pdfkit::RecordingPdfCanvas canvas;
    EXPECT_TRUE(BitmapResourceToTempJpeg(canvas, kBuiltinLogoResource));
    EXPECT_FALSE(BitmapResourceToTempJpeg(canvas, 536));
    EXPECT_FALSE(BitmapResourceToTempJpeg(canvas, 0));
    pdfkit::RecordingPdfCanvas noDocument(false);
    EXPECT_FALSE(BitmapResourceToTempJpeg(noDocument, kBuiltinLogoResource));
}

// A one-page sample per language, written through the canvas with texts of
// the shipped table and checked with the command-line tools.
class SamplePdf : public ReportFolderTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        if (!pdfkit::ToolsAvailable()) GTEST_SKIP() << "poppler-utils and qpdf are needed";
    }
};

TEST_P(SamplePdf, ShowsTheTextsInTheLanguagesFontWithTheLogo)
{
    const int language = GetParam();
    LanguageIndex = language;
    {
        tarvel::ScopedProgramFolder data(TARVEL_DATA_DIR);
        ASSERT_TRUE(LoadPdfLanguageConfig());
    }
    // The rows printed: title, subtitle, a plate label, the result words and
    // the check mark.
    const int rows[] = {25, 26, 6, 38, 39, 40, 41, 42, 110};
    const std::string pdf = Path("sample.pdf");
    {
        HaruPdfCanvas canvas;
        ASSERT_TRUE(canvas.Valid());
        canvas.AddPage(PdfPageSize::A4, PdfOrientation::Portrait);
        canvas.SetFont(ReportFontForLanguage(language), 12);
        canvas.BeginText();
        float v = 120;
        for (int row : rows) {
            TextOutFromTop(canvas, 60, v, PdfText(row));
            v += 24;
        }
        canvas.EndText();
        DrawImageFromTop(canvas, BitmapResourceToTempJpeg(canvas, kBuiltinLogoResource), 55, 70, 90, 50);
        // A picture that is not there is skipped; the document stays valid.
        tarvel::ScopedProgramFolder here(folder_);
        EXPECT_FALSE(DrawReportPicture(canvas, "ReportImage\\missing.png", 300, 300, 35, 30));
        canvas.SetLineWidth(0.5);
        canvas.MoveTo(50, canvas.PageHeight() - 20);
        canvas.LineTo(canvas.PageWidth() - 50, canvas.PageHeight() - 20);
        canvas.Stroke();
        ASSERT_TRUE(canvas.SaveToFile(pdf));
    }

    const auto check = pdfkit::Check(pdf);
    EXPECT_TRUE(check.clean) << check.output;
    EXPECT_LT(std::filesystem::file_size(pdf), 1024u * 1024u);

    const auto info = pdfkit::Info(pdf);
    ASSERT_TRUE(info.ok) << info.raw;
    EXPECT_EQ(info.pages, 1);
    ASSERT_EQ(info.pageSizes.size(), 1u);
    EXPECT_TRUE(Near(info.pageSizes[0].width, 595.276) && Near(info.pageSizes[0].height, 841.89)) << info.raw;

    const auto fonts = pdfkit::Fonts(pdf);
    ASSERT_EQ(fonts.size(), 1u);
    if (language == 0) {
        EXPECT_EQ(fonts[0].name, "SimSun");
        EXPECT_EQ(fonts[0].encoding, "GBK-EUC-H");
    } else if (language == 2) {
        EXPECT_EQ(pdfkit::BaseFontName(fonts[0].name).rfind("DejaVuSans", 0), 0u) << fonts[0].name;
        EXPECT_EQ(fonts[0].type, "TrueType");
        EXPECT_EQ(fonts[0].encoding, "Custom"); // CP1251 as differences over WinAnsi
        EXPECT_TRUE(fonts[0].embedded);
        EXPECT_TRUE(fonts[0].subset);
    } else {
        EXPECT_EQ(fonts[0].name, "Helvetica");
        EXPECT_EQ(fonts[0].encoding, "WinAnsi");
    }

    // Every text comes back exactly, one per line, in the order drawn.
    std::vector<std::string> expected;
    for (int row : rows) expected.push_back(PdfText(row));
    EXPECT_EQ(TrimmedLines(pdfkit::Text(pdf)), expected);

    // The title stands where it was put: x 60, baseline 120 points below the top.
    const auto title = pdfkit::FindPhrase(pdfkit::Words(pdf), PdfText(25));
    ASSERT_FALSE(title.empty());
    EXPECT_TRUE(Near(title[0].xMin, 60, 0.5)) << title[0].xMin;
    EXPECT_LT(title[0].yMin, 120);
    EXPECT_GT(title[0].yMax, 115);

    const auto images = pdfkit::Images(pdf);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, 90);
    EXPECT_EQ(images[0].height, 50);
    EXPECT_EQ(images[0].encoding, "jpeg");
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, SamplePdf, ::testing::Values(0, 1, 2, 3, 4));

// The characters each language's font must carry through to the page.
TEST(SamplePdfTexts, TheShippedTableHoldsTheCharactersTheSamplesCheck)
{
    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter scopedPrompter(prompter);
    tarvel::ScopedProgramFolder data(TARVEL_DATA_DIR);
    const struct {
        int language;
        int row;
        const char* part;
    } cases[] = {{0, 110, "√"}, {2, 26, "Ж"}, {3, 6, "Año"}, {4, 38, "Não"}};
    for (const auto& c : cases) {
        LanguageIndex = c.language;
        ASSERT_TRUE(LoadPdfLanguageConfig());
        EXPECT_NE(PdfText(c.row).find(c.part), std::string::npos) << c.part;
    }
    PdfTextTable.clear();
    LanguageIndex = -1;
}

class PdfPictures : public ReportFolderTest {
protected:
    void SetUp() override
    {
        if (!pdfkit::ToolsAvailable()) GTEST_SKIP() << "poppler-utils and qpdf are needed";
    }
};

// A picture file that libharu cannot read would otherwise mark the document
// broken, and the save would write nothing.
TEST_F(PdfPictures, UnreadablePicturesAreSkippedAndTheDocumentStaysValid)
{
    WriteFile(Path("ReportImage/broken.png"), "\x89PNG\r\n\x1a\nnot really a picture");
    WriteFile(Path("ReportImage/broken.jpg"), "\xFF\xD8\xFF garbage");
    WriteFile(Path("ReportImage/empty.png"), "");
    tarvel::ScopedProgramFolder here(folder_);
    const std::string pdf = Path("pictures.pdf");
    {
        HaruPdfCanvas canvas;
        canvas.AddPage(PdfPageSize::A4, PdfOrientation::Landscape);
        for (const char* name : {"ReportImage\\broken.png", "ReportImage\\broken.jpg", "ReportImage\\empty.png",
                                 "ReportImage\\missing.png", "ReportImage/missing.jpg"}) {
            EXPECT_FALSE(DrawReportPicture(canvas, name, 100, 100, 35, 30)) << name;
        }
        DrawImageFromTop(canvas, BitmapResourceToTempJpeg(canvas, kBuiltinLogoResource), 30, 75, 90, 50);
        ASSERT_TRUE(canvas.SaveToFile(pdf));
    }
    EXPECT_TRUE(pdfkit::Check(pdf).clean);
    const auto info = pdfkit::Info(pdf);
    ASSERT_EQ(info.pageSizes.size(), 1u);
    EXPECT_TRUE(Near(info.pageSizes[0].width, 841.89)); // landscape
    const auto images = pdfkit::Images(pdf);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, 90);
}

TEST_F(PdfPictures, TheLogoLeavesNoTemporaryFileBehind)
{
    const std::string temp = Path("temp");
    std::filesystem::create_directories(temp);
    const std::string pdf = Path("logo.pdf");
    {
        ScopedTempDir scopedTemp(temp);
        HaruPdfCanvas canvas;
        canvas.AddPage(PdfPageSize::A4, PdfOrientation::Portrait);
        const PdfImage first = BitmapResourceToTempJpeg(canvas, kBuiltinLogoResource);
        const PdfImage second = BitmapResourceToTempJpeg(canvas, kBuiltinLogoResource);
        ASSERT_TRUE(first && second);
        EXPECT_NE(first.id, second.id); // two calls, two pictures
        EXPECT_EQ(first.width, 90);
        EXPECT_EQ(first.height, 50);
        DrawImageFromTop(canvas, first, 55, 70, 90, 50);
        DrawImageFromTop(canvas, second, 300, 70, 90, 50);
        ASSERT_TRUE(canvas.SaveToFile(pdf));
    }
    EXPECT_TRUE(std::filesystem::is_empty(temp));
    EXPECT_EQ(pdfkit::Images(pdf).size(), 2u);
}

TEST_F(PdfPictures, ASaveThatCannotWriteReportsFailure)
{
    HaruPdfCanvas canvas;
    canvas.AddPage(PdfPageSize::A4, PdfOrientation::Portrait);
    EXPECT_FALSE(canvas.SaveToFile(Path("no/such/folder/x.pdf")));
    EXPECT_FALSE(std::filesystem::exists(Path("no/such/folder/x.pdf")));
    EXPECT_TRUE(canvas.SaveToFile(Path("x.pdf"))); // the document itself is still fine
    EXPECT_TRUE(pdfkit::Check(Path("x.pdf")).clean);
}
