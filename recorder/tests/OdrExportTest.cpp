// The recorder export: the document builder over a fixed state (golden
// file), the trip leaves and the two counter reads, and the Export command
// on the page bench against the simulated ECU.
#include "ODR_InfoLogic.h"
#include "OdrExportDocument.h"
#include "RecorderGlobals.h"

#include "DiagnosisGlobals.h"
#include "SettingsFiles.h"

#include "SimEcu.h"

#include "FailingFileSystem.h"
#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::Bytes;

const OdrExportTime kInstant{2026, 12, 9, 7, 36, 37};

// Answers from a table; records the identifiers asked for.
class TableReader : public OdrExportReader {
public:
    std::map<uint16_t, std::vector<uint8_t>> answers;
    std::vector<uint16_t> asked;
    int ReadById(uint16_t did, std::vector<uint8_t>& data) override
    {
        asked.push_back(did);
        auto it = answers.find(did);
        if (it == answers.end())
            return 0;
        data = it->second;
        return 1;
    }
    OdrExportTime LocalNow() override { return kInstant; }
};

OdrTrip TripOf(const std::map<size_t, std::string>& values, size_t rows = 22)
{
    OdrTrip trip(rows);
    for (size_t j = 0; j < rows; ++j)
        trip[j].No = std::to_string(j + 1);
    for (const auto& v : values)
        if (v.first < rows)
            trip[v.first].Value = v.second;
    return trip;
}

// The fixed state of the golden file: three trips (time source 0, time
// source 1 with a J1939 time, and a short one of 6 rows).
OdrExportSnapshot GoldenState()
{
    OdrExportSnapshot s;
    s.ecuSoftwareVersion = "V2.15.003";
    s.mileageAdjusted = "123444.3";
    s.workingHours = "51:43";
    s.mileage = "123456.7";
    s.maxAxleLoad = "9000";
    s.rssFunction = "1";
    s.numberOfAxles = "3";
    s.numberOfAxlesL = "1";
    s.typeOfVehicle = "2";
    s.newestTripText = "2";
    s.tripCount = 3;
    s.trips.push_back(TripOf({{2, "1520.4"}, {3, "84.25"}, {4, "0"}, {5, "5"}, {6, "7"}, {8, "3"}, {9, "12"},
                              {10, "88"}, {12, "1.234"}, {13, "41"}, {15, "23500"}, {16, "18000.5"}, {17, "27000"},
                              {18, "2"}, {19, "1"}, {20, "0"}, {21, "0.29"}}));
    s.trips.push_back(TripOf({{2, "1604.9"}, {3, "3.5"}, {4, "1"}, {7, "2026-12-08 14:05:00"}, {8, "45"},
                              {9, "0"}, {10, "62"}, {12, "0.8"}, {13, "7"}, {15, "12000"}, {16, "11000"},
                              {17, "13500"}, {18, "0"}, {19, "0"}, {20, "0"}, {21, "-0.347"}}));
    s.trips.push_back(TripOf({{2, "1608.0"}, {3, "0.4"}, {4, "0"}, {5, "9"}}, 6));
    s.value434 = "3";
    s.value435 = "41200";
    s.value437 = "2543.75";
    s.value439 = "812";
    s.value440 = "905";
    s.value442 = "14";
    s.value443 = "3";
    s.value444 = "1";
    return s;
}

TableReader GoldenReader()
{
    TableReader r;
    r.answers[0xF190] = {'W', 'T', 'R', '4', 'S', '2', 'M', '0', 'N', '0', 'K', '0', '1', '2', '3', '4', '5'};
    r.answers[0x0046] = {0x00, 0x00, 0x04, 0xD2};
    r.answers[0x004B] = {0x00, 0x00, 0x01, 0x2C};
    return r;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool XmllintAccepts(const std::string& bytes)
{
    const fs::path file = fs::temp_directory_path() / ("odr_export_check_" + std::to_string(::getpid()) + ".TSO");
    std::ofstream(file, std::ios::binary) << bytes;
    const std::string command = "xmllint --noout '" + file.string() + "' 2>/dev/null";
    const int rc = std::system(command.c_str());
    fs::remove(file);
    return rc == 0;
}

TEST(OdrExportDocument, FixedStateGivesTheGoldenFile)
{
    TableReader reader = GoldenReader();
    const OdrExportDocument doc = BuildOdrExportDocument(GoldenState(), reader);
    EXPECT_THAT(reader.asked, ElementsAre(0xF190, 0x0046, 0x004B)) << "exactly these reads, in this order";
    EXPECT_EQ(doc.date, "2026-12-09");
    EXPECT_EQ(doc.time, "07:36:37");
    EXPECT_EQ(doc.vinText, "WTR4S2M0N0K012345");
    EXPECT_EQ(doc.fileName, "WTR4S2M0N0K012345ODR_Data 2026-12-09 07-36-37.TSO");
    const fs::path golden = fs::path(TARVEL_RECORDER_TEST_DATA) / "odr_export_golden.TSO";
    if (std::getenv("TARVEL_WRITE_GOLDEN"))
        std::ofstream(golden, std::ios::binary) << doc.xml;
    EXPECT_EQ(doc.xml, ReadFile(golden));
    EXPECT_TRUE(XmllintAccepts(doc.xml));
}

TEST(OdrExportDocument, TripLeavesFollowTheRowPositions)
{
    // 12.7 read as an integer, a word as every number, grams as tonnes.
    const OdrTripLeaves a = OdrTripLeafTexts(TripOf({{2, "word"}, {3, ""}, {4, "0"}, {5, "5"}, {6, "7"}, {8, "3"},
                                                    {9, "12"}, {10, "12.7"}, {12, "x"}, {13, "word"}, {15, "23500"},
                                                    {21, "0.25"}}));
    EXPECT_EQ(a.vMax, "12");
    EXPECT_EQ(a.brakes, "0");
    EXPECT_EQ(a.odo, "0.0");
    EXPECT_EQ(a.dst, "0.0");
    EXPECT_EQ(a.pmMean, "0.00");
    EXPECT_EQ(a.m, "23.5");
    EXPECT_EQ(a.time, "7:05");
    EXPECT_EQ(a.t, "12:03");
    EXPECT_EQ(a.alMean, "25");
    EXPECT_EQ(a.WB, " ");

    const std::map<std::string, std::string> alMean{{"0.25", "25"}, {"-0.347", "34"}, {"0.29", "29"}, {"0.57", "57"}};
    for (const auto& c : alMean)
        EXPECT_EQ(OdrTripLeafTexts(TripOf({{21, c.first}})).alMean, c.second) << c.first;

    // Time source 1: row 7's text unchanged.
    EXPECT_EQ(OdrTripLeafTexts(TripOf({{4, "1"}, {7, "2026-12-08 14:05:00"}})).time, "2026-12-08 14:05:00");
    // A row the trip lacks gives a blank.
    const OdrTripLeaves shortTrip = OdrTripLeafTexts(TripOf({{2, "5.55"}, {4, "0"}, {5, "9"}, {6, "0"}}, 7));
    EXPECT_EQ(shortTrip.odo, "5.5");
    EXPECT_EQ(shortTrip.time, "0:09");
    EXPECT_EQ(OdrTripLeafTexts(TripOf({{4, "0"}, {5, "9"}}, 6)).time, " ") << "row 6 missing";
    EXPECT_EQ(shortTrip.vMax, " ");
    EXPECT_EQ(shortTrip.t, " ");
    EXPECT_EQ(shortTrip.alMean, " ");
}

TEST(OdrExportDocument, TripItemsNeverGoPastWhatIsHeld)
{
    const auto itemsFor = [](int32_t count, size_t held) {
        OdrExportSnapshot s;
        s.tripCount = count;
        for (size_t i = 0; i < held; ++i)
            s.trips.push_back(TripOf({{2, std::to_string(i)}}));
        TableReader reader;
        const std::string xml = BuildOdrExportDocument(s, reader).xml;
        size_t n = 0;
        for (size_t at = xml.find("<start>"); at != std::string::npos; at = xml.find("<start>", at + 1))
            ++n;
        const bool blank = xml.find("<Trips> </Trips>") != std::string::npos;
        const bool legend = xml.find("Mean Lateral Accleration") != std::string::npos;
        return std::make_tuple(n, blank, legend);
    };
    EXPECT_EQ(itemsFor(0, 2), std::make_tuple(size_t{0}, true, true));
    EXPECT_EQ(itemsFor(-1, 2), std::make_tuple(size_t{0}, true, true));
    EXPECT_EQ(itemsFor(3, 5), std::make_tuple(size_t{3}, false, true));
    EXPECT_EQ(itemsFor(5, 3), std::make_tuple(size_t{3}, false, true));
    EXPECT_EQ(itemsFor(2, 0), std::make_tuple(size_t{0}, true, true));
}

TEST(OdrExportDocument, CounterReads)
{
    using V = std::vector<uint8_t>;
    EXPECT_EQ(OdrDid0046Text(1, V{0x00, 0x00, 0x04, 0xD2}), "123");
    EXPECT_EQ(OdrDid0046Text(1, V{0xFF, 0xFF, 0xFF, 0xF1}), "-1");
    EXPECT_EQ(OdrDid0046Text(1, V{0x00, 0x00, 0x00, 0x09}), "0");
    EXPECT_EQ(OdrDid004BText(1, V{0x00, 0x01, 0x00, 0x00}), "65536");
    EXPECT_EQ(OdrDid004BText(1, V{0xFF, 0xFF, 0xFF, 0xFF}), "-1");
    EXPECT_EQ(OdrDid004BText(1, V{0x00, 0x01, 0x00}), "0") << "under four bytes";
    EXPECT_EQ(OdrDid0046Text(1, V{0x00, 0x01, 0x00}), "0");
    EXPECT_EQ(OdrDid0046Text(0, V{}), "0");
    EXPECT_EQ(OdrDid004BText(0, V{0x00, 0x00, 0x00, 0x05}), "0");
}

TEST(OdrExportDocument, TextsThatAreNoUtf8StayWellFormed)
{
    OdrExportSnapshot s;
    s.ecuSoftwareVersion = "V\xD0\x96 1\x01";
    TableReader reader;
    reader.answers[0xF190] = std::vector<uint8_t>(17, 0xFF);
    const OdrExportDocument doc = BuildOdrExportDocument(s, reader);
    EXPECT_NE(doc.xml.find("<ECUSoftwareVersion>V\xD0\x96 1?</ECUSoftwareVersion>"), std::string::npos);
    EXPECT_NE(doc.xml.find("<VIN>" + std::string(17, '?') + "</VIN>"), std::string::npos);
    EXPECT_EQ(doc.fileName, "_________________ODR_Data 2026-12-09 07-36-37.TSO");
    EXPECT_TRUE(XmllintAccepts(doc.xml));

    EXPECT_EQ(OdrExportText("ABC-123 ok"), "ABC-123 ok") << "ASCII unchanged";
    EXPECT_EQ(OdrExportNameText("A/B:C*D?E\"F<G>H|I\\J"), "A_B_C_D_E_F_G_H_I_J");
    const std::string longText = std::string(254, 'a') + "\xD0\x96";
    EXPECT_EQ(OdrExportText(longText), std::string(254, 'a')) << "cut at a character boundary";
    EXPECT_EQ(OdrExportText(std::string(300, 'b')).size(), 255u);
}

// The Export command on the page bench.
class OdrExportCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bench.Connect());
        tarvel::SetLocalTimeSource([] { return kInstant; });
        folder = fs::temp_directory_path() / ("odr_export_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        logic.ReadOdrInformation();
        bench.ClearRequests();
        bench.prompter.Clear();
    }
    void TearDown() override
    {
        tarvel::SetLocalTimeSource({});
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    tarvel_test::PageBench bench;
    ODR_InfoLogic logic{bench.Context()};
    fs::path folder;
};

TEST_F(OdrExportCommand, SavesTheFileAndKeepsItsFolder)
{
    ASSERT_EQ(OdrReadPosition, OdrNewestTrip);
    const std::string path = (folder / "export.TSO").string();
    bench.files.QueueAnswer(path);
    logic.ExportOdrData();
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 F1 90"), Bytes("22 00 46"), Bytes("22 00 4B")));
    ASSERT_EQ(bench.prompter.Boxes().size(), 1u);
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::None);
    EXPECT_EQ(bench.prompter.Boxes()[0].text, bench.Context().texts.Text(179));
    EXPECT_EQ(ODRInfoFilePath, folder.string() + "/");
    const auto requests = bench.files.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].folder, "") << "\"C:\\\" is no folder here: the dialog's own default";
    EXPECT_EQ(requests[0].filter, "文件 (*.TSO;)|*.TSO");
    EXPECT_EQ(requests[0].defaultExtension, "TSO");
    EXPECT_EQ(requests[0].fileName, OdrVinText + "ODR_Data 2026-12-09 07-36-37.TSO");
    EXPECT_FALSE(OdrVinText.empty());

    const std::string bytes = ReadFile(path);
    EXPECT_NE(bytes.find("<Date>2026-12-09</Date>"), std::string::npos);
    EXPECT_NE(bytes.find("<Time>07:36:37</Time>"), std::string::npos);
    EXPECT_NE(bytes.find("<CntOverload>123</CntOverload>"), std::string::npos);
    EXPECT_TRUE(XmllintAccepts(bytes));
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename(), "export.TSO") << "no temporary left";

    // The next export offers the folder kept.
    bench.files.QueueAnswer(std::nullopt);
    logic.ExportOdrData();
    EXPECT_EQ(bench.files.Requests().back().folder, folder.string() + "/");
}

TEST_F(OdrExportCommand, WithoutAFinishedReadNothingIsAskedOrShown)
{
    OdrReadPosition = OdrNewestTrip + 1;
    logic.ExportOdrData();
    EXPECT_THAT(bench.Requests(), IsEmpty());
    EXPECT_THAT(bench.files.Requests(), IsEmpty());
    ASSERT_EQ(bench.prompter.Boxes().size(), 1u);
    EXPECT_EQ(bench.prompter.Boxes()[0].text, bench.Context().texts.Text(402));
    EXPECT_EQ(bench.prompter.Boxes()[0].caption, bench.Context().texts.Text(76));
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
}

TEST_F(OdrExportCommand, CancelAndUnwritableFolderSaveNothing)
{
    ODRInfoFilePath = folder.string() + "/";
    logic.ExportOdrData(); // no answer queued: cancelled, and nothing is said
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    EXPECT_EQ(ODRInfoFilePath, folder.string() + "/") << "kept";
    EXPECT_TRUE(fs::is_empty(folder));

    // A folder that cannot be written (here: a file stands where the folder
    // should be): the folder is still kept, no icon, nothing left behind,
    // and the box says which file and why.
    const fs::path blocked = folder / "blocked";
    std::ofstream(blocked) << "x";
    bench.prompter.Clear();
    bench.files.QueueAnswer((blocked / "export.TSO").string());
    logic.ExportOdrData();
    ASSERT_EQ(bench.prompter.Boxes().size(), 1u);
    EXPECT_EQ(bench.prompter.Boxes()[0].text, bench.Context().texts.Text(180) + "\n" +
                                                  (blocked / "export.TSO").string() + "\n" +
                                                  std::make_error_code(std::errc::not_a_directory).message());
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::None);
    EXPECT_EQ(ODRInfoFilePath, blocked.string() + "/");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(OdrExportCommand, OnAFailingDiskTheOlderExportSurvivesAndTheBoxSaysWhy)
{
    using tarvel_test::FileFault;
    const std::string existing = (folder / "a.TSO").string();
    const std::string older = "<older export/>\n";
    for (const FileFault fault : {FileFault::NoRoom, FileFault::NoPermission, FileFault::FailingClose}) {
        SCOPED_TRACE(tarvel_test::FaultName(fault));
        tarvel_test::WriteFileBytes(existing, older);
        tarvel_test::FailingFileSystem failing(fault, 100);
        tarvel::ScopedFileSystem use(failing);
        bench.prompter.Clear();
        bench.files.QueueAnswer((folder / "a").string()); // typed without ".TSO"
        bench.prompter.QueueAnswer(tarvel::MsgAnswer::Yes);
        logic.ExportOdrData();
        const auto boxes = bench.prompter.Boxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].text, existing + "\n\n" + bench.Context().texts.Text(178));
        EXPECT_EQ(boxes[1].text, bench.Context().texts.Text(180) + "\n" + existing + "\n" +
                                     tarvel_test::FaultError(fault).message());
        EXPECT_EQ(tarvel_test::ReadFileBytes(existing), older);
        EXPECT_EQ(tarvel_test::FolderEntries(folder.string()), std::vector<std::string>{"a.TSO"});
    }
}

TEST_F(OdrExportCommand, FailedCounterReadsGiveZeroAndTheFileIsWritten)
{
    bench.ecu->SetNegativeResponse(0x22, 0x31);
    const std::string path = (folder / "silent.TSO").string();
    bench.files.QueueAnswer(path);
    logic.ExportOdrData();
    const std::string bytes = ReadFile(path);
    EXPECT_NE(bytes.find("<CntOverload>0</CntOverload>"), std::string::npos);
    EXPECT_NE(bytes.find("<CntServiceBrakeNoCAN>0</CntServiceBrakeNoCAN>"), std::string::npos);
    EXPECT_NE(bytes.find("<VIN></VIN>"), std::string::npos) << "no VIN ever read";
    ASSERT_EQ(bench.files.Requests().size(), 1u);
    EXPECT_EQ(bench.files.Requests()[0].fileName, "ODR_Data 2026-12-09 07-36-37.TSO");
    ASSERT_EQ(bench.prompter.Boxes().size(), 1u);
    EXPECT_EQ(bench.prompter.Boxes()[0].text, bench.Context().texts.Text(179));
}

// A counter answer shorter than its four bytes is a failed read, however the
// frame was padded; an ECU that stays silent gives 0 as well, and the file is
// written all the same.
TEST_F(OdrExportCommand, ShortOrMissingCounterAnswersGiveZero)
{
    bench.ecu->RegisterDid(0x0046, {0x00, 0x01, 0x02});
    bench.ecu->RegisterDid(0x004B, {0x00, 0x00, 0x01, 0x02});
    const std::string shortPath = (folder / "short.TSO").string();
    bench.files.QueueAnswer(shortPath);
    logic.ExportOdrData();
    const std::string shortBytes = ReadFile(shortPath);
    EXPECT_NE(shortBytes.find("<CntOverload>0</CntOverload>"), std::string::npos);
    EXPECT_NE(shortBytes.find("<CntServiceBrakeNoCAN>258</CntServiceBrakeNoCAN>"), std::string::npos);

    bench.ecu->SetNoAnswer(0x22);
    bench.prompter.Clear();
    const std::string silentPath = (folder / "silent.TSO").string();
    bench.files.QueueAnswer(silentPath);
    logic.ExportOdrData();
    const std::string silentBytes = ReadFile(silentPath);
    EXPECT_NE(silentBytes.find("<CntOverload>0</CntOverload>"), std::string::npos);
    EXPECT_NE(silentBytes.find("<CntServiceBrakeNoCAN>0</CntServiceBrakeNoCAN>"), std::string::npos);
    ASSERT_EQ(bench.prompter.Boxes().size(), 1u);
    EXPECT_EQ(bench.prompter.Boxes()[0].text, bench.Context().texts.Text(179));
}

} // namespace
