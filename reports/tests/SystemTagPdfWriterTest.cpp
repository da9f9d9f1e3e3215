// The system tag's PDF: the save with the file chooser on a recording canvas,
// real files in every language checked with the PDF test kit, test pictures
// of sizes of their own that show which picture is drawn where, missing and
// damaged pictures, and the page's print command.
#include "SystemTagPdfWriter.h"

#include "HaruPdfCanvas.h"

#include "PrintSystemTagLogic.h"
#include "ReportBrand.h"
#include "ReportFonts.h"
#include "ReportGlobals.h"
#include "ReportTextTable.h"
#include "SystemTagPlate.h"

#include "DiagnosisGlobals.h"
#include "LanguageTable.h"
#include "LocalTime.h"
#include "ProgramPaths.h"
#include "SettingsFiles.h"

#include "FailingFileSystem.h"
#include "Matchers.h"
#include "PageBench.h"
#include "PdfKit.h"
#include "RecordingPdfCanvas.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <png.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;
namespace report = tarvel::report;

tarvel::LocalDateTime Time(int year, int month, int day, int hour, int minute, int second)
{
    return {year, month, day, hour, minute, second};
}

// A folder of its own for each test, removed afterwards.
class TempFolder {
public:
    explicit TempFolder(const std::string& name)
        : path_(fs::temp_directory_path() / (name + "-" + std::to_string(::getpid())))
    {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::string Path() const { return path_.string(); }

private:
    fs::path path_;
};

class SystemTagSave : public ::testing::Test {
protected:
    tarvel_test::PageBench bench;
    TempFolder temp{"systemtag-save"};
    const tarvel::LocalDateTime when = Time(2026, 12, 10, 18, 5, 9);
};

TEST_F(SystemTagSave, TheChooserOffersTheDatedNameInTheLastFolder)
{
    EXPECT_EQ(report::SystemTagDefaultFileName(when), "SystemTag-2026-12-10  18-05-09.pdf");
    {
        // The writer's own time is the program's time of day.
        const tarvel::ScopedLocalTime fixed({2027, 1, 31, 23, 59, 58});
        EXPECT_EQ(report::SystemTagDefaultFileName(tarvel::LocalNow()), "SystemTag-2027-01-31  23-59-58.pdf");
    }
    PrintSystemFilePath = "C:\\"; // the setting's default: no such folder here
    pdfkit::RecordingPdfCanvas canvas;
    bench.files.QueueAnswer(std::nullopt);
    EXPECT_EQ(report::SystemTagPdfWriter(0, bench.Context(), canvas, when), 0);
    PrintSystemFilePath = temp.Path();
    bench.files.QueueAnswer(std::nullopt);
    EXPECT_EQ(report::SystemTagPdfWriter(0, bench.Context(), canvas, when), 0);
    const auto requests = bench.files.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].fileName, "SystemTag-2026-12-10  18-05-09.pdf");
    EXPECT_EQ(requests[0].filter, "文件 (*.pdf;)|*.pdf");
    EXPECT_EQ(requests[0].folder, std::getenv("HOME") ? std::string(std::getenv("HOME")) : std::string());
    EXPECT_EQ(requests[1].folder, temp.Path());
}

TEST_F(SystemTagSave, CancelSavesNothingAndSaysNothing)
{
    SystemTagPdfPath = "earlier.pdf";
    PrintSystemFilePath = "C:\\";
    pdfkit::RecordingPdfCanvas canvas;
    EXPECT_EQ(report::SystemTagPdfWriter(0, bench.Context(), canvas, when), 0);
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    EXPECT_EQ(bench.files.Requests().at(0).defaultExtension, "pdf");
    EXPECT_EQ(SystemTagPdfPath, "earlier.pdf");
    EXPECT_EQ(PrintSystemFilePath, "C:\\");
    for (const auto& call : canvas.Calls())
        EXPECT_NE(call.kind, pdfkit::CallKind::Save);
}

TEST_F(SystemTagSave, AConfirmedPathIsKeptWithItsFolder)
{
    struct Case {
        std::string chosen;
        std::string path;
        std::string folder;
        bool saves;
    };
    const Case cases[] = {
        {temp / "plate", temp / "plate.pdf", temp.Path() + "/", true},
        {temp / "plate.PDF", temp / "plate.PDF", temp.Path() + "/", true},
        {"plate.pdf", "plate.pdf", "", true},
        {"C:\\tags\\plate.pdf", "C:\\tags\\plate.pdf", "C:\\tags\\", true},
        {"/no/such/folder/plate.pdf", "/no/such/folder/plate.pdf", "/no/such/folder/", false},
    };
    for (const Case& c : cases) {
        bench.prompter.Clear();
        pdfkit::RecordingPdfCanvas canvas;
        canvas.SetSaveResult(c.saves);
        bench.files.QueueAnswer(c.chosen);
        EXPECT_EQ(report::SystemTagPdfWriter(1, bench.Context(), canvas, when), 1) << c.chosen;
        EXPECT_EQ(SystemTagPdfPath, c.path);
        EXPECT_EQ(PrintSystemFilePath, c.folder);
        ASSERT_FALSE(canvas.Calls().empty());
        EXPECT_EQ(canvas.Calls().back().kind, pdfkit::CallKind::Save);
        EXPECT_EQ(canvas.Calls().back().text, c.path);
        if (c.saves) {
            EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("File saved successfully", "Tips"))) << c.chosen;
        } else {
            EXPECT_THAT(bench.prompter.Boxes(),
                        ElementsAre(BoxIs("The file was not saved\n" + c.path + "\nInput/output error", "Error")))
                << c.chosen;
        }
        EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
    }
}

TEST_F(SystemTagSave, OnAFailingDiskTheOlderTagSurvivesAndTheBoxSaysWhy)
{
    using tarvel_test::FileFault;
    PrintSystemFilePath = temp.Path();
    const std::string older(4809, '%');
    for (const FileFault fault : {FileFault::NoRoom, FileFault::NoPermission, FileFault::FailingClose}) {
        SCOPED_TRACE(tarvel_test::FaultName(fault));
        tarvel_test::WriteFileBytes(temp / "plate.pdf", older);
        tarvel_test::FailingFileSystem failing(fault, 1000);
        tarvel::ScopedFileSystem use(failing);
        bench.prompter.Clear();
        report::HaruPdfCanvas canvas;
        bench.files.QueueAnswer(temp / "plate"); // typed without ".pdf"
        bench.prompter.QueueAnswer(tarvel::MsgAnswer::Yes);
        EXPECT_EQ(report::SystemTagPdfWriter(0, bench.Context(), canvas, when), 1);
        EXPECT_THAT(bench.prompter.Boxes(),
                    ElementsAre(BoxIs(temp / "plate.pdf" + "\n\nA file of this name already exists. Do you want to "
                                                           "replace it?",
                                      "Confirm Save"),
                                BoxIs("The file was not saved\n" + temp / "plate.pdf" + "\n" +
                                          tarvel_test::FaultError(fault).message(),
                                      "Error")));
        // The older file is neither deleted nor cut.
        EXPECT_EQ(tarvel_test::ReadFileBytes(temp / "plate.pdf"), older);
        EXPECT_EQ(tarvel_test::FolderEntries(temp.Path()), std::vector<std::string>{"plate.pdf"});
    }
}

TEST_F(SystemTagSave, WithoutADocumentNothingIsAsked)
{
    ASSERT_TRUE(LoadPdfLanguageConfig());
    pdfkit::RecordingPdfCanvas noDocument(false);
    EXPECT_EQ(report::SystemTagPdfWriter(0, bench.Context(), noDocument, when), 0);
    EXPECT_THAT(bench.files.Requests(), IsEmpty());
    ASSERT_EQ(bench.prompter.Count(), 1u);
    EXPECT_EQ(bench.prompter.Boxes()[0].text, PdfText(0));
}

// The plate of one trailer in each language, as real files.
class SystemTagFile : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        if (!pdfkit::ToolsAvailable())
            GTEST_SKIP() << "poppler-utils and qpdf are needed";
    }
    // Fills the plate as a read and the user would.
    static void FillPlate(int language)
    {
        const char* makers[] = {"制动器公司", "Trailer Works", "Прицеп Завод", "Remolques Peña", "Reboques São Paulo"};
        PlateManufacturer = makers[language];
        PlateType = "TX-3";
        PlateVin = "WTR4S2M0N0K012345";
        PlateField586 = "2";
        PlateField356 = "1";
        PlateField357 = "2";
        PlateAbsConfiguration = "4S2M";
        PlateField361 = "1";
        PlateAxleCount = "3";
        PlateField411 = PlateField412 = PlateField413 = "24";
        PlateField416 = PlateField417 = PlateField418 = "9";
        PlateField421 = "6.50";
        PlateField422 = "1.20";
        PlateField425 = "250";
        PlateAxleFlag2 = "1";
        PlateField508 = "3250";
        AxleCount = 3;
        ParameterChoice = 1;
        AxleFeatureFlags = {1, 0, 1, 1, 0, 0};
        LiftingAxleFlags = {0, 0, 0, 0, 1, 0};
        LiftingAxleCalibrationEnabled = 1;
        SystemTagValues[0] = 1;
    }
    TempFolder temp{"systemtag-file"};
};

TEST_P(SystemTagFile, OnePageWithTheValuesLabelsFontsAndPictures)
{
    const int language = GetParam();
    tarvel_test::PageBench bench(language);
    ASSERT_TRUE(LoadPdfLanguageConfig());
    FillPlate(language);
    const std::string pdf = temp / "tag.pdf";
    bench.files.QueueAnswer(pdf);
    report::HaruPdfCanvas canvas;
    ASSERT_EQ(report::SystemTagPdfWriter(0, bench.Context(), canvas, Time(2026, 1, 2, 3, 4, 5)), 1);
    ASSERT_EQ(bench.prompter.Count(), 1u);
    EXPECT_EQ(bench.prompter.Boxes()[0].text, LanguageText(179));

    const auto check = pdfkit::Check(pdf);
    EXPECT_TRUE(check.clean) << check.output;
    EXPECT_LT(fs::file_size(pdf), 1024u * 1024u);
    const auto info = pdfkit::Info(pdf);
    ASSERT_TRUE(info.ok) << info.raw;
    ASSERT_EQ(info.pages, 1);
    EXPECT_NEAR(info.pageSizes[0].width, 841.89, 0.01);
    EXPECT_NEAR(info.pageSizes[0].height, 595.276, 0.01);

    // Chinese text draws its Latin runs (the VIN, numbers, units) in Helvetica.
    const auto fonts = pdfkit::Fonts(pdf);
    ASSERT_EQ(fonts.size(), language == 0 ? 2u : 1u);
    if (language == 0) {
        EXPECT_EQ(fonts[0].name, "SimSun");
        EXPECT_EQ(fonts[0].encoding, "GBK-EUC-H");
        EXPECT_EQ(fonts[1].name, "Helvetica");
        EXPECT_EQ(fonts[1].encoding, "WinAnsi");
    } else if (language == 2) {
        EXPECT_EQ(pdfkit::BaseFontName(fonts[0].name).rfind("DejaVuSans", 0), 0u) << fonts[0].name;
        EXPECT_TRUE(fonts[0].embedded);
    } else {
        EXPECT_EQ(fonts[0].name, "Helvetica");
        EXPECT_EQ(fonts[0].encoding, "WinAnsi");
    }

    // Latin text comes back as plain ASCII in every language; a label may
    // stand on two lines of its cell.
    const std::string text = pdfkit::Text(pdf);
    for (const std::string& value : {PlateManufacturer, PlateType, PlateVin, PlateAbsConfiguration, std::string("250"),
                                     std::string("3250"), std::string("GIO")})
        EXPECT_THAT(text, HasSubstr(value)) << value;
    for (int row : {3, 9, 17, 22, 23}) {
        std::istringstream words(PdfText(row));
        for (std::string word; words >> word;)
            EXPECT_THAT(text, HasSubstr(word)) << "report row " << row;
    }
    EXPECT_THAT(text, HasSubstr(language == 0 ? std::string("\xE2\x88\x9A") : PdfText(110)));
    EXPECT_THAT(text, HasSubstr(report::BrandWord(0) + PdfText(2).substr(0, PdfText(2).find(' '))));

    // The shipped pictures: the logo, both trailers, the symbols, the boxes.
    std::set<std::pair<int, int>> sizes;
    int boxes = 0;
    for (const auto& image : pdfkit::Images(pdf)) {
        if (image.type != "image")
            continue;
        sizes.insert({image.width, image.height});
        if (image.width == 40 && image.height == 30)
            ++boxes;
    }
    for (const auto& size : {std::make_pair(90, 50), std::make_pair(120, 60), std::make_pair(70, 60),
                                           std::make_pair(70, 50), std::make_pair(100, 50), std::make_pair(100, 70),
                                           std::make_pair(320, 90)})
        EXPECT_TRUE(sizes.count(size)) << size.first << " x " << size.second;
    EXPECT_EQ(boxes, 9); // three axles, three rows
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, SystemTagFile, ::testing::Values(0, 1, 2, 3, 4));

TEST(SystemTagFileTexts, PortugueseAndRussianKeepTheirLetters)
{
    if (!pdfkit::ToolsAvailable())
        GTEST_SKIP() << "poppler-utils and qpdf are needed";
    TempFolder temp("systemtag-letters");
    for (const auto& c : {std::make_pair(4, std::string("Não")), std::make_pair(2, std::string("Прицеп"))}) {
        tarvel_test::PageBench bench(c.first);
        ASSERT_TRUE(LoadPdfLanguageConfig());
        PlateType = c.second;
        const std::string pdf = temp / ("letters" + std::to_string(c.first) + ".pdf");
        bench.files.QueueAnswer(pdf);
        report::HaruPdfCanvas canvas;
        ASSERT_EQ(report::SystemTagPdfWriter(0, bench.Context(), canvas, Time(2026, 1, 2, 3, 4, 5)), 1);
        EXPECT_THAT(pdfkit::Text(pdf), HasSubstr(c.second));
    }
}

TEST(SystemTagFileMissingPicture, IsSkippedAndThePlateSaved)
{
    if (!pdfkit::ToolsAvailable())
        GTEST_SKIP() << "poppler-utils and qpdf are needed";
    TempFolder program("systemtag-program");
    fs::copy(tarvel_test::DataFolder(), program.Path(), fs::copy_options::recursive);
    fs::remove(program / "ReportImage/load.png");
    fs::remove(program / "ReportImage/logo.jpg");
    SystemTagValues[0] = 0; // no height-sensor pictures
    tarvel_test::PageBench bench;
    tarvel::ScopedProgramFolder folder(program.Path());
    ASSERT_TRUE(LoadPdfLanguageConfig());
    const std::string pdf = program / "tag.pdf";
    bench.files.QueueAnswer(pdf);
    report::HaruPdfCanvas canvas;
    ASSERT_EQ(report::SystemTagPdfWriter(2, bench.Context(), canvas, Time(2026, 1, 2, 3, 4, 5)), 1);
    EXPECT_EQ(bench.prompter.Boxes().at(0).text, LanguageText(179));
    EXPECT_TRUE(pdfkit::Check(pdf).clean);
    // Of the 70 x 60 pictures only the pressure gauge's are left; no logo.
    int gauges = 0;
    for (const auto& image : pdfkit::Images(pdf)) {
        if (image.type != "image")
            continue;
        gauges += image.width == 70 && image.height == 60;
        EXPECT_FALSE(image.width == 90 && image.height == 50) << "the logo file is gone";
    }
    EXPECT_EQ(gauges, 3); // the three pressure gauges; the load symbol's two are gone
}

// Test pictures: every picture the plate can draw, each of a pixel size no
// other has (nor the built-in logo's 90 x 50), so the image list of a file
// tells which picture was drawn at each place.
struct FixturePicture {
    const char* name; // under ReportImage/
    int width;
    int height;
};
// clang-format off
const FixturePicture kFixturePictures[] = {
    {"logo.jpg", 33, 11},
    {"unladen_axle_1.png", 12, 41},     {"unladen_axle_2.png", 13, 42},   {"unladen_axle_3.png", 14, 43},
    {"unladen_axle_4.png", 15, 44},     {"unladen_axle_5.png", 16, 45},   {"laden_axle_1.png", 17, 46},
    {"laden_axle_2.png", 18, 47},       {"laden_axle_3.png", 19, 48},     {"laden_axle_4.png", 20, 49},
    {"laden_axle_5.png", 21, 50},       {"load.png", 22, 31},             {"loadPressure.png", 23, 32},
    {"liftingBridge.png", 24, 33},      {"heightSensorZero.png", 25, 34}, {"heightSensorDistance.png", 26, 35},
    {"heightSensorLength.png", 27, 36}, {"breakPressure.png", 28, 37},    {"row11.png", 29, 38},
    {"row12.png", 30, 39},              {"row13.png", 31, 40},            {"gray_bg.png", 32, 21},
    {"gray_bg2.png", 9, 7},
};
// clang-format on
const char* const kBuiltinLogo = "built-in logo";

// An opaque RGB PNG of width x height pixels.
bool WriteFixturePng(const std::string& path, int width, int height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(static_cast<size_t>(width * height * 3));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<png_byte>(i * 7);
    return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

// A baseline grey JPEG of width x height pixels, all mid-grey: every 8 x 8
// block is a zero DC difference and an end of block, one one-bit code each
// in Huffman tables of a single code.
bool WriteFixtureJpeg(const std::string& path, int width, int height)
{
    std::vector<unsigned char> j = {0xFF, 0xD8};
    auto segment = [&j](unsigned char marker, const std::vector<unsigned char>& body) {
        const size_t length = body.size() + 2;
        j.insert(j.end(), {0xFF, marker, static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)});
        j.insert(j.end(), body.begin(), body.end());
    };
    std::vector<unsigned char> quant(65, 1);
    quant[0] = 0x00; // 8-bit table 0
    segment(0xDB, quant);
    segment(0xC0,
            {8, static_cast<unsigned char>(height >> 8), static_cast<unsigned char>(height),
             static_cast<unsigned char>(width >> 8), static_cast<unsigned char>(width), 1, 1, 0x11, 0});
    for (unsigned char table : {0x00, 0x10}) { // DC 0: category 0; AC 0: end of block
        std::vector<unsigned char> huffman(18, 0);
        huffman[0] = table;
        huffman[1] = 1; // one code of length 1
        segment(0xC4, huffman);
    }
    segment(0xDA, {1, 1, 0x00, 0, 63, 0});
    const size_t blocks = static_cast<size_t>((width + 7) / 8) * static_cast<size_t>((height + 7) / 8);
    const size_t bits = blocks * 2;
    j.insert(j.end(), bits / 8, 0x00);
    if (bits % 8)
        j.push_back(static_cast<unsigned char>(0xFF >> (bits % 8))); // padded with ones
    j.insert(j.end(), {0xFF, 0xD9});
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(j.data()), static_cast<std::streamsize>(j.size()));
    return static_cast<bool>(out);
}

// A program folder with the shipped data files but the test pictures in
// ReportImage/.
class FixtureProgramFolder {
public:
    explicit FixtureProgramFolder(const std::string& name) : temp_(name)
    {
        for (const auto& entry : fs::directory_iterator(tarvel_test::DataFolder())) {
            if (entry.path().filename() != "ReportImage")
                fs::copy(entry.path(), fs::path(temp_.Path()) / entry.path().filename(), fs::copy_options::recursive);
        }
        fs::create_directories(temp_ / "ReportImage");
        for (const FixturePicture& p : kFixturePictures) {
            const std::string path = temp_ / (std::string("ReportImage/") + p.name);
            const bool jpeg = fs::path(path).extension() == ".jpg";
            if (!(jpeg ? WriteFixtureJpeg(path, p.width, p.height) : WriteFixturePng(path, p.width, p.height)))
                written_ = false;
        }
    }
    bool Written() const { return written_; }
    std::string Path() const { return temp_.Path(); }
    std::string Picture(const std::string& name) const { return temp_ / ("ReportImage/" + name); }

private:
    TempFolder temp_;
    bool written_ = true;
};

// The names of the pictures in a file's image list, in drawing order; a size
// no picture has shows as "? W x H".
std::vector<std::string> PicturesDrawn(const std::string& pdf)
{
    std::map<std::pair<int, int>, std::string> bySize{{{90, 50}, kBuiltinLogo}};
    for (const FixturePicture& p : kFixturePictures)
        bySize[{p.width, p.height}] = p.name;
    std::vector<std::string> names;
    for (const auto& image : pdfkit::Images(pdf)) {
        if (image.type != "image")
            continue;
        const auto found = bySize.find({image.width, image.height});
        names.push_back(found != bySize.end()
                            ? found->second
                            : "? " + std::to_string(image.width) + " x " + std::to_string(image.height));
    }
    return names;
}

std::vector<std::string> Repeat(const std::string& name, int times)
{
    return std::vector<std::string>(static_cast<size_t>(times), name);
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(SystemTagFilePictures, EveryPictureHasASizeOfItsOwn)
{
    std::set<std::pair<int, int>> sizes{{90, 50}};
    for (const FixturePicture& p : kFixturePictures)
        EXPECT_TRUE(sizes.insert({p.width, p.height}).second) << p.name;
}

TEST(SystemTagFilePictures, EachPictureIsDrawnAtItsPlaceInOrder)
{
    if (!pdfkit::ToolsAvailable())
        GTEST_SKIP() << "poppler-utils and qpdf are needed";
    struct Case {
        const char* what;
        int language;
        int brand;
        std::string plateAxleCount; // picks the trailer pictures
        int axleCount; // the diagram's box columns
        int heightSensorMode; // the first SystemTagValues entry
        int liftingCalibration; // a third box row
        std::vector<std::string> removed; // pictures deleted before the write
        std::vector<std::string> damaged; // pictures overwritten with junk
        std::vector<std::string> drawn; // in drawing order
    };
    // Between the sensor pictures and the boxes every plate draws these.
    const std::vector<std::string> gauges = {"breakPressure.png", "breakPressure.png", "row11.png",  "row12.png",
                                             "row13.png",         "breakPressure.png", "gray_bg.png"};
    // clang-format off
    const Case cases[] = {
        {"brand 1, three axles, height sensor, lifting row", 1, 1, "3", 3, 1, 1, {}, {},
         Join({{"logo.jpg", "unladen_axle_3.png", "laden_axle_3.png", "load.png", "load.png",
                "heightSensorZero.png", "heightSensorDistance.png", "heightSensorLength.png"},
               gauges, Repeat("gray_bg2.png", 9)})},
        {"brand 2, five axles, lifting axle", 2, 2, "5", 5, 2, 0, {}, {},
         Join({{"logo.jpg", "unladen_axle_5.png", "laden_axle_5.png", "load.png", "load.png",
                "loadPressure.png", "loadPressure.png", "liftingBridge.png"},
               gauges, Repeat("gray_bg2.png", 10)})},
        {"own brand, count not a digit, no sensor, axle count 7", 0, 0, "x", 7, 0, 1, {}, {},
         Join({{kBuiltinLogo, "unladen_axle_1.png", "laden_axle_1.png", "load.png", "load.png"},
               gauges, Repeat("gray_bg2.png", 2)})},
        {"brand 1, two axles, height sensor", 3, 1, "2", 2, 1, 0, {}, {},
         Join({{"logo.jpg", "unladen_axle_2.png", "laden_axle_2.png", "load.png", "load.png",
                "heightSensorZero.png", "heightSensorDistance.png", "heightSensorLength.png"},
               gauges, Repeat("gray_bg2.png", 4)})},
        {"brand 2, four axles, lifting axle, lifting row", 4, 2, "4", 4, 2, 1, {}, {},
         Join({{"logo.jpg", "unladen_axle_4.png", "laden_axle_4.png", "load.png", "load.png",
                "loadPressure.png", "loadPressure.png", "liftingBridge.png"},
               gauges, Repeat("gray_bg2.png", 12)})},
        {"missing and damaged pictures are left out", 1, 1, "3", 1, 1, 0,
         {"row12.png", "laden_axle_3.png"}, {"logo.jpg", "heightSensorZero.png"},
         Join({{"unladen_axle_3.png", "load.png", "load.png", "heightSensorDistance.png",
                "heightSensorLength.png", "breakPressure.png", "breakPressure.png", "row11.png", "row13.png",
                "breakPressure.png", "gray_bg.png"},
               Repeat("gray_bg2.png", 2)})},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tarvel_test::PageBench bench(c.language);
        FixtureProgramFolder program("systemtag-pictures");
        ASSERT_TRUE(program.Written());
        for (const auto& name : c.removed)
            fs::remove(program.Picture(name));
        for (const auto& name : c.damaged)
            std::ofstream(program.Picture(name), std::ios::binary | std::ios::trunc) << "not a picture";
        tarvel::ScopedProgramFolder folder(program.Path());
        ASSERT_TRUE(LoadPdfLanguageConfig());
        PlateAxleCount = c.plateAxleCount;
        AxleCount = c.axleCount;
        SystemTagValues[0] = c.heightSensorMode;
        LiftingAxleCalibrationEnabled = c.liftingCalibration;
        const std::string pdf = program.Path() + "/tag.pdf";
        bench.files.QueueAnswer(pdf);
        report::HaruPdfCanvas canvas;
        ASSERT_EQ(report::SystemTagPdfWriter(c.brand, bench.Context(), canvas, Time(2026, 1, 2, 3, 4, 5)), 1);
        ASSERT_EQ(bench.prompter.Count(), 1u);
        EXPECT_EQ(bench.prompter.Boxes()[0].text, LanguageText(179));
        const auto check = pdfkit::Check(pdf);
        EXPECT_TRUE(check.clean) << check.output;
        EXPECT_EQ(PicturesDrawn(pdf), c.drawn);
    }
}

TEST(SystemTagPrint, TheButtonPrintsWithTheLogoSettingsBrand)
{
    if (!pdfkit::ToolsAvailable())
        GTEST_SKIP() << "poppler-utils and qpdf are needed";
    TempFolder temp("systemtag-print");
    tarvel_test::PageBench bench;
    ASSERT_TRUE(LoadPdfLanguageConfig());
    PrintSystemTagLogic logic(bench.Context());
    PlateManufacturer = "Typed maker";
    for (int mode : {2, 5}) {
        ReportLogoMode = mode;
        const std::string pdf = temp / ("print" + std::to_string(mode) + ".pdf");
        bench.files.QueueAnswer(pdf);
        EXPECT_EQ(logic.OnPrintSystemTag(), 1); // no link, no read needed
        const std::string text = pdfkit::Text(pdf);
        EXPECT_THAT(text, HasSubstr("Typed maker"));
        const std::string brand = report::BrandWord(mode == 2 ? 2 : 0);
        EXPECT_THAT(text, HasSubstr(brand.substr(0, brand.size() - 1))) << mode;
    }
    EXPECT_THAT(bench.Requests(), IsEmpty());
}

} // namespace
