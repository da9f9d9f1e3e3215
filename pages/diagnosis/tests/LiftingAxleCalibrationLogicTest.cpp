// The lifting-axle calibration page's logic against the simulated ECU on the
// page bench: definition choice, read, derivation, write, refusals, editing
// and export.
#include "LiftingAxleCalibrationLogic.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "DidDefinitions.h"
#include "LanguageTable.h"
#include "ShellGlobals.h"
#include "WindowRegistry.h"

#include "ProgramPaths.h"
#include "SimEcu.h"
#include "SimEcuProfile.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;
using Bytes_t = std::vector<uint8_t>;

// Counts what reaches the navigation dialog.
struct NavigationProbe : tarvel::MessageTarget {
    bool HandleAppMessage(int message) override
    {
        messages.push_back(message);
        return true;
    }
    std::vector<int> messages;
};

std::vector<std::string> Values()
{
    std::vector<std::string> v;
    for (const auto& row : LiftingAxleGrid)
        v.push_back(row.Value);
    return v;
}

std::vector<std::string> Names()
{
    std::vector<std::string> v;
    for (const auto& did : LiftingAxleDidTable)
        for (const auto& sub : did.SubFields)
            v.push_back(sub.SubDataName);
    return v;
}

_tagLiftingAxleDIDdesc_Sub_ Sub(const std::string& name, int byteIndex, int bits, const std::string& type = "Unsigned",
                                int startBit = 0)
{
    _tagLiftingAxleDIDdesc_Sub_ s;
    s.SubDataName = name;
    s.ByteIndex = byteIndex;
    s.StartBit = startBit;
    s.BitLenth = bits;
    s.Conversion = 1.0f;
    s.DataType = type;
    return s;
}

// A definition of the test's own in place of the loaded one.
void UseDefinition(std::vector<_tagLiftingAxleDIDdesc_Sub_> subs)
{
    _tagLiftingAxleDIDdesc_ did;
    did.DidNumber = "00A1";
    did.SubFields = std::move(subs);
    LiftingAxleDidTable = {did};
    LiftingAxleDidList = LiftingAxleDidTable;
}

class LiftingAxleCalibrationLogicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tarvel::RegisterWindow(tarvel::WindowSlot::Navigation, &nav);
        logic.SetChangedObserver([this] { ++renders; });
    }

    // Connects and loads the definition the ECU's version selects.
    void ConnectAndLoad()
    {
        ASSERT_TRUE(bench.Connect());
        logic.HandleMessage(WM_LIFTAXLE_RELOAD_CONFIG);
        logic.HandleMessage(WM_LIFTAXLE_REFILL);
        bench.ClearRequests();
        bench.prompter.Clear();
    }

    // The ECU takes any block of its own length and stores it.
    void AcceptEveryBlock(const Bytes_t& initial)
    {
        bench.ecu->RegisterDid(0x00A1, initial, true, true);
        bench.ecu->SetDidWriteCheck(0x00A1, [](const Bytes_t&, sim::SimEcuContext&) -> uint8_t { return 0; });
    }

    tarvel_test::PageBench bench;
    NavigationProbe nav;
    LiftingAxleCalibrationLogic logic{bench.Context()};
    int renders = 0;
};

// ---- Definition choice ----

// A data folder of the test's own, with a mapping and definition files whose
// single sub-field names the file it came from.
class DefinitionChoice : public LiftingAxleCalibrationLogicTest {
protected:
    void SetUp() override
    {
        LiftingAxleCalibrationLogicTest::SetUp();
        folder = fs::temp_directory_path() / ("lift-defs-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "VADE_LiftingAxleParameterConfig");
        for (const char* name : {"A07", "B12", "C05", "D05"})
            for (const char* lang : {"zh", "en"})
                Definition(std::string(name) + "_" + lang + ".xml", std::string(name) + " " + lang);
        Definition("VADE_Lifting_Axle_ParameterConfig_default_en.xml", "default en");
        Definition("VADE_Lifting_Axle_ParameterConfig_default_zh.xml", "default zh");
        Mapping({{"07", "A07"}, {"12", "B12"}, {"05", "C05"}, {"05", "D05"}, {"09", "missing"}});
        useFolder = std::make_unique<tarvel::ScopedProgramFolder>(folder.string());
    }
    void TearDown() override
    {
        useFolder.reset();
        fs::remove_all(folder);
    }

    void Definition(const std::string& file, const std::string& subName)
    {
        std::ofstream(folder / "VADE_LiftingAxleParameterConfig" / file)
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PARAMETER-CONFIGURATION><DID-DEF>"
               "<DID DidNumber=\"00A1\" name=\"x\" RWType=\"RW\"><SUB SubDataName=\""
            << subName
            << "\" ByteIndex=\"0\" StartBit=\"0\" BitLenth=\"8\" Conversion=\"1\" Offset=\"0\" "
               "DataType=\"Unsigned\" SecurityLeve=\"0\" Unit=\"\" DecimalValid=\"0\" Description=\"\"/>"
               "</DID></DID-DEF></PARAMETER-CONFIGURATION>\n";
    }
    void Mapping(const std::vector<std::pair<std::string, std::string>>& rows)
    {
        std::ofstream out(folder / "VADE_LiftingAxleParameterConfig" / "Mapping.xml");
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PARAMETER-CONFIGURATION><DID-DEF>";
        for (const auto& [version, name] : rows)
            out << "<DID CalibrationVersion=\"" << version << "\" FileName_zh=\"" << name << "_zh.xml\" FileName_en=\""
                << name << "_en.xml\"/>";
        out << "</DID-DEF></PARAMETER-CONFIGURATION>\n";
    }

    fs::path folder;
    std::unique_ptr<tarvel::ScopedProgramFolder> useFolder;
};

TEST_F(DefinitionChoice, TheEcuVersionPicksTheMappingRowTheLastMatchWinsOtherwiseTheDefault)
{
    ASSERT_TRUE(bench.Connect());
    struct Case {
        uint8_t version;
        int language;
        std::string loaded;
    } cases[] = {
        {7, 1, "A07 en"},      // "%02d": "07"
        {12, 1, "B12 en"},     // plain decimal
        {5, 1, "D05 en"},      // two rows match: the later one
        {5, 0, "D05 zh"},      // the language's attribute
        {42, 1, "default en"}, // no row
        {42, 0, "default zh"},
        {7, -1, "default en"}, // no language: English default, no mapped name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.loaded + " for version " + std::to_string(c.version));
        LanguageIndex = c.language;
        bench.ecu->RegisterDid(0x00F0, {c.version});
        bench.ClearRequests();
        logic.LoadLiftingAxleParameterConfig();
        EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 F0")));
        EXPECT_THAT(Names(), ElementsAre(c.loaded));
        EXPECT_EQ(LiftingAxleDidList.size(), 1u);
    }
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(DefinitionChoice, FailuresKeepOrEmptyTheTablesAsTheyShould)
{
    ASSERT_TRUE(bench.Connect());
    bench.ecu->RegisterDid(0x00F0, {7});
    logic.LoadLiftingAxleParameterConfig();
    ASSERT_THAT(Names(), ElementsAre("A07 en"));

    // The version cannot be read: the old definition stays.
    bench.ecu->SetNegativeResponse(0x22, 0x31, 1);
    bench.prompter.Clear();
    logic.LoadLiftingAxleParameterConfig();
    EXPECT_THAT(Names(), ElementsAre("A07 en"));
    ASSERT_FALSE(bench.prompter.Boxes().empty());
    EXPECT_THAT(bench.prompter.Boxes().back(), BoxIs("Failed To Read The Lift Axle Version Number！", "Warning"));

    // No mapping: box, the old definition stays.
    fs::remove(folder / "VADE_LiftingAxleParameterConfig" / "Mapping.xml");
    bench.prompter.Clear();
    logic.LoadLiftingAxleParameterConfig();
    EXPECT_THAT(Names(), ElementsAre("A07 en"));
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Mapping.xml File Not Found！", "Warning")));

    // The mapped file is missing: box 458, the tables are empty.
    Mapping({{"09", "missing"}});
    bench.ecu->RegisterDid(0x00F0, {9});
    bench.prompter.Clear();
    logic.LoadLiftingAxleParameterConfig();
    EXPECT_THAT(LiftingAxleDidTable, IsEmpty());
    EXPECT_THAT(LiftingAxleDidList, IsEmpty());
    EXPECT_THAT(bench.prompter.Boxes(),
                ElementsAre(BoxIs("The lifting axle definition file could not be loaded", "Error")));
}

// ---- Read and derivation against the shipped data ----

TEST_F(LiftingAxleCalibrationLogicTest, ConnectShowsPlaceholdersAndAReadFillsTheGridAndDerives)
{
    ConnectAndLoad();
    ASSERT_EQ(LiftingAxleGrid.size(), 12u); // the mapped file of version 2
    EXPECT_EQ(Values(), std::vector<std::string>(12, "0"));
    EXPECT_EQ(LiftingAxleGrid[3].No, "4");
    EXPECT_EQ(LiftingAxleGrid[3].ParameterName, "Lift Pressure Threshold (bar)");
    EXPECT_EQ(LiftingAxleGrid[3].Unit, "bar");
    EXPECT_EQ(LiftingAxleType, -1); // placeholders derive nothing
    EXPECT_THAT(nav.messages, IsEmpty());

    logic.HandleMessage(WM_LIFTAXLE_READ);
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 A1")));
    EXPECT_THAT(Values(),
                ElementsAre("1", "1", "0", "2.50", "3.50", "1", "0", "0", "0", "30", "50", "172"));
    EXPECT_EQ(LiftingAxleReadBytes, sim::ecudata::LiftingAxleBlock(sim::ecudata::EcuProfile::Standard));
    EXPECT_EQ(LiftingAxleType, 1);
    EXPECT_EQ(LiftingAxleTestEnabled, 1);
    EXPECT_EQ(LiftingSensorCalibrationEnabled, 0);
    EXPECT_EQ(LiftingSensorVariant, 0);
    EXPECT_THAT(nav.messages, ElementsAre(WM_NAV_REFRESH_TEXTS));
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(LiftingAxleCalibrationLogicTest, AnEcuWithoutAMappedVersionGetsTheDefaultDefinition)
{
    sim::ecudata::InstallProfile(*bench.ecu, sim::ecudata::EcuProfile::Alternate);
    ConnectAndLoad();
    logic.ReadLiftingAxleParameters();
    EXPECT_THAT(Values(), ElementsAre("1", "0", "0", "2.20", "3.00", "0", "0", "1", "1", "30", "42"));
    EXPECT_EQ(LiftingAxleType, 2);
    EXPECT_EQ(LiftingAxleTestEnabled, 0);
    EXPECT_EQ(LiftingSensorCalibrationEnabled, 1);
    EXPECT_EQ(LiftingSensorVariant, 1);
}

TEST_F(LiftingAxleCalibrationLogicTest, AFailedReadKeepsTheGridButForgetsTheBytes)
{
    ConnectAndLoad();
    logic.ReadLiftingAxleParameters();
    const auto before = Values();
    ASSERT_FALSE(LiftingAxleReadBytes.empty());
    nav.messages.clear();
    bench.prompter.Clear();

    bench.ecu->SetNegativeResponse(0x22, 0x22, 1);
    logic.ReadLiftingAxleParameters();
    EXPECT_EQ(Values(), before);
    EXPECT_THAT(LiftingAxleReadBytes, IsEmpty());
    ASSERT_FALSE(bench.prompter.Boxes().empty());
    EXPECT_THAT(bench.prompter.Boxes().back(), BoxIs("Read failed", "Error"));
    EXPECT_THAT(nav.messages, IsEmpty());
}

TEST_F(LiftingAxleCalibrationLogicTest, NotConnectedReadAndWriteSendNothing)
{
    LiftingAxleWriteOk = 1;
    logic.ReadLiftingAxleParameters();
    logic.WriteLiftingAxleParameters();
    EXPECT_THAT(bench.ecu->Requests(), IsEmpty());
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Please connect the ECU first", "Tips"),
                                                    BoxIs("Please connect the ECU first", "Tips")));
    EXPECT_EQ(LiftingAxleWriteOk, 1);
}

TEST_F(LiftingAxleCalibrationLogicTest, AShortAnswerDecodesOnlyWhatTheEcuSent)
{
    ConnectAndLoad();
    // Three bytes where the definition wants thirteen.
    bench.ecu->RegisterDid(0x00A1, {0x02, 0x00, 0x01});
    logic.ReadLiftingAxleParameters();
    ASSERT_EQ(LiftingAxleGrid.size(), 12u);
    EXPECT_EQ(LiftingAxleGrid[0].Value, "2");
    EXPECT_EQ(LiftingAxleGrid[2].Value, "1");
    EXPECT_EQ(LiftingAxleGrid[3].Value, "");
    EXPECT_EQ(LiftingAxleGrid[11].Value, "");
    EXPECT_EQ(LiftingAxleReadBytes, Bytes("02 00 01"));
}

// ---- Derivation ----

TEST(LiftingAxleDerivation, FourCellsDecideTheLiftingAxleEquipment)
{
    struct Case {
        const char* name;
        std::vector<std::string> values; // rows 0.. ; only 1, 2, 7, 8 matter
        int previousVariant;
        int type, test, sensor, variant;
    } cases[] = {
        {"one driven axle, sensor group ignored", {"x", "1", "0", "", "", "", "", "1", "0"}, 1, 1, 1, 0, 0},
        {"two driven axles", {"x", "1", "1", "", "", "", "", "0", "0"}, 0, 2, 1, 0, 0},
        {"second driven axle only", {"x", "0", "1", "", "", "", "", "1", "1"}, 0, 1, 1, 0, 0},
        {"two sensors", {"x", "0", "0", "", "", "", "", "1", "1"}, 0, 2, 0, 1, 1},
        {"one sensor", {"x", "0", "0", "", "", "", "", "0", "1"}, 0, 1, 0, 1, 1},
        {"sensor value 2 counts for the flag only", {"x", "0", "0", "", "", "", "", "2", "0"}, 0, 0, 0, 1, 1},
        {"nothing fitted keeps the variant", {"x", "0", "0", "", "", "", "", "0", "0"}, 1, 0, 0, 0, 1},
        {"\" 1\" is not \"1\"", {"x", " 1", "0", "", "", "", "", "0", "0"}, 0, 0, 0, 0, 0},
        {"\"01\" is not \"1\" but is not \"0\"", {"x", "0", "0", "", "", "", "", "01", "0"}, 0, 0, 0, 1, 1},
        {"short grid: missing rows count as 0", {"x", "0", "0", "0"}, 0, 0, 0, 0, 0},
        {"short grid with a driven axle", {"x", "1"}, 0, 1, 1, 0, 0},
        {"empty grid", {}, 1, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<_tagLiftingAxleFilldesc_> rows;
        for (const auto& v : c.values)
            rows.push_back({"", "", v, "", ""});
        LiftingSensorVariant = c.previousVariant;
        LiftingAxleTestEnabled = 7;
        LiftingSensorCalibrationEnabled = 7;
        DeriveLiftingAxleConfig(rows);
        EXPECT_EQ(LiftingAxleType, c.type);
        EXPECT_EQ(LiftingAxleTestEnabled, c.test);
        EXPECT_EQ(LiftingSensorCalibrationEnabled, c.sensor);
        EXPECT_EQ(LiftingSensorVariant, c.variant);
    }
}

TEST_F(LiftingAxleCalibrationLogicTest, EachDerivationTellsTheNavigationOnceAndResetClearsTheFlags)
{
    ConnectAndLoad();
    logic.ReadLiftingAxleParameters();
    ASSERT_EQ(LiftingAxleTestEnabled, 1);
    logic.ResetLiftingAxleValues();
    EXPECT_EQ(Values(), std::vector<std::string>(12, "0"));
    EXPECT_EQ(LiftingAxleType, 0);
    EXPECT_EQ(LiftingAxleTestEnabled, 0);
    EXPECT_EQ(LiftingSensorCalibrationEnabled, 0);
    EXPECT_THAT(nav.messages, ElementsAre(WM_NAV_REFRESH_TEXTS, WM_NAV_REFRESH_TEXTS));
    // Placeholders after a connect derive nothing.
    logic.FillLiftingAxleRows();
    EXPECT_EQ(nav.messages.size(), 2u);
}

// ---- Write ----

TEST_F(LiftingAxleCalibrationLogicTest, WriteSendsTheBlockWithItsChecksumAndTheEcuStoresIt)
{
    ConnectAndLoad();
    logic.ReadLiftingAxleParameters();
    bench.ClearRequests();
    logic.OnCellDoubleClick(9, 2);
    logic.CommitEditor("40");

    logic.HandleMessage(WM_LIFTAXLE_WRITE);
    const auto requests = bench.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0], Bytes("10 03"));
    EXPECT_EQ(requests[1], Bytes("27 01"));
    ASSERT_EQ(requests[2].size(), 6u); // the key
    EXPECT_EQ(Bytes_t(requests[2].begin(), requests[2].begin() + 2), Bytes("27 02"));
    EXPECT_EQ(requests[3], Bytes("2E 00 A1 01 01 00 FA 00 5E 01 01 00 00 28 32 B6"));
    EXPECT_EQ(LiftingAxleWrittenBytes, Bytes("01 01 00 FA 00 5E 01 01 00 00 28 32 B6"));
    EXPECT_EQ(bench.ecu->Did(0x00A1), LiftingAxleWrittenBytes);
    EXPECT_EQ(LiftingAxleWriteOk, 1);
    EXPECT_EQ(LiftingAxleGrid.back().Value, "182");
    EXPECT_EQ(LiftingAxleEncodedValue, Bytes("AC")); // the checksum row's "172" was encoded last
    EXPECT_EQ(bench.prompter.Count(), 0u);

    // Read back: what was written is what was read.
    logic.ReadLiftingAxleParameters();
    EXPECT_EQ(LiftingAxleReadBytes, LiftingAxleWrittenBytes);
    EXPECT_EQ(LiftingAxleGrid[9].Value, "40");
}

TEST_F(LiftingAxleCalibrationLogicTest, ARefusedWriteShowsTheEcusReasonNeverAStaleOne)
{
    ConnectAndLoad();
    logic.ReadLiftingAxleParameters();
    bench.ecu->SetDidWriteCheck(0x00A1, [](const Bytes_t&, sim::SimEcuContext& ecu) -> uint8_t {
        ecu.SetDid(0x0095, {0xFB});
        return 0x31;
    });
    LiftingAxleWriteOk = 1;
    bench.ClearRequests();
    bench.prompter.Clear();
    logic.WriteLiftingAxleParameters();
    EXPECT_EQ(LiftingAxleWriteOk, 0);
    ASSERT_FALSE(bench.Requests().empty());
    EXPECT_EQ(bench.Requests().back(), Bytes("22 00 95"));
    ASSERT_FALSE(bench.prompter.Boxes().empty());
    EXPECT_THAT(bench.prompter.Boxes().back(),
                BoxIs("Lifting axle data rejected: wrong checksum", "Lifting Axle Write Fault"));

    // The reason cannot be read: a plain failure, not the last answer's text.
    bench.prompter.Clear();
    bench.ecu->SetNegativeResponse(0x22, 0x22, 1);
    logic.WriteLiftingAxleParameters();
    EXPECT_EQ(LiftingAxleWriteOk, 0);
    ASSERT_FALSE(bench.prompter.Boxes().empty());
    EXPECT_THAT(bench.prompter.Boxes().back(), BoxIs("Lifting Axle Write Fault", "Error"));
}

TEST(LiftingAxleWriteFaults, EveryFaultByteHasItsText)
{
    EXPECT_EQ(LiftingAxleWriteFaultRow(1), 223);
    EXPECT_EQ(LiftingAxleWriteFaultRow(10), 232);
    EXPECT_EQ(LiftingAxleWriteFaultRow(11), 533);
    EXPECT_EQ(LiftingAxleWriteFaultRow(0xFB), 233);
    EXPECT_EQ(LiftingAxleWriteFaultRow(0xFC), 234);
    EXPECT_EQ(LiftingAxleWriteFaultRow(0), 0);
    EXPECT_EQ(LiftingAxleWriteFaultRow(12), 0);
}

TEST_F(LiftingAxleCalibrationLogicTest, AFailedSessionOrUnlockStopsBeforeTheWrite)
{
    ConnectAndLoad();
    logic.ReadLiftingAxleParameters();
    struct Case {
        uint8_t sid;
        const char* box;
    } cases[] = {{0x10, "Failed to enter the extended diagnostic session"}, {0x27, "Security access failed"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        LiftingAxleWriteOk = 1; // the last write's success must not survive
        LiftingAxleWrittenBytes = {0x55};
        bench.ecu->SetNegativeResponse(c.sid, 0x22, 1);
        bench.ClearRequests();
        bench.prompter.Clear();
        logic.WriteLiftingAxleParameters();
        for (const auto& request : bench.Requests())
            EXPECT_NE(request[0], 0x2E);
        ASSERT_FALSE(bench.prompter.Boxes().empty());
        EXPECT_THAT(bench.prompter.Boxes().back(), BoxIs(c.box, "Error"));
        EXPECT_EQ(LiftingAxleWriteOk, 0);
        EXPECT_EQ(LiftingAxleWrittenBytes, Bytes("55"));
    }
}

TEST_F(LiftingAxleCalibrationLogicTest, ValuesTheFieldCannotHoldAreRefusedAndNothingIsWritten)
{
    ConnectAndLoad();
    logic.ReadLiftingAxleParameters();
    struct Case {
        int row;
        const char* text;
    } cases[] = {
        {9, "300"},   // one byte
        {9, "abc"},   // not a number
        {9, ""},      // empty
        {9, "-1"},    // negative
        {3, "-0.5"},  // negative raw before truncation
        {5, "2"},     // one bit
        {3, "655.36"} // two bytes after scaling
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        logic.ReadLiftingAxleParameters();
        LiftingAxleGrid[static_cast<size_t>(c.row)].Value = c.text;
        bench.ClearRequests();
        bench.prompter.Clear();
        logic.WriteLiftingAxleParameters();
        for (const auto& request : bench.Requests())
            EXPECT_NE(request[0], 0x2E);
        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Unsupported data type in the definition file", "Error")));
        EXPECT_THAT(LiftingAxleEncodedValue, IsEmpty());
        EXPECT_EQ(LiftingAxleWriteOk, 0);
    }
    // A zero Conversion is refused too, instead of writing a division by zero.
    logic.ReadLiftingAxleParameters();
    LiftingAxleDidTable.front().SubFields[3].Conversion = 0.0f;
    bench.prompter.Clear();
    logic.WriteLiftingAxleParameters();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Unsupported data type in the definition file", "Error")));
}

TEST_F(LiftingAxleCalibrationLogicTest, SmallBlocksReservedFieldsAndBitFields)
{
    ConnectAndLoad();
    // Three one-byte numbers and their checksum: "9" is replaced by the sum.
    UseDefinition({Sub("a", 0, 8), Sub("b", 1, 8), Sub("sum", 2, 8)});
    AcceptEveryBlock(Bytes("00 00 00"));
    LiftingAxleGrid = {{"1", "a", "1", "", ""}, {"2", "b", "2", "", ""}, {"3", "sum", "9", "", ""}};
    bench.ClearRequests();
    logic.WriteLiftingAxleParameters();
    EXPECT_EQ(bench.Requests().back(), Bytes("2E 00 A1 01 02 03"));
    EXPECT_EQ(LiftingAxleGrid.back().Value, "3");

    // Reserved rows are zeros whatever they hold; bit fields share their byte.
    UseDefinition({Sub("保留", 0, 8), Sub("---", 1, 8), Sub("low", 2, 4, "Unsigned", 0),
                   Sub("high", 2, 3, "Unsigned", 4), Sub("sum", 3, 8)});
    AcceptEveryBlock(Bytes("00 00 00 00"));
    LiftingAxleGrid = {{"1", "保留", "77", "", ""},
                       {"2", "---", "junk", "", ""},
                       {"3", "low", "5", "", ""},
                       {"4", "high", "3", "", ""},
                       {"5", "sum", "0", "", ""}};
    bench.ClearRequests();
    logic.WriteLiftingAxleParameters();
    EXPECT_EQ(bench.Requests().back(), Bytes("2E 00 A1 00 00 35 35"));

    // Reading a bit field takes its bits only.
    bench.ecu->RegisterDid(0x00A1, Bytes("00 00 B5 00"));
    logic.ReadLiftingAxleParameters();
    EXPECT_EQ(LiftingAxleGrid[2].Value, "5");
    EXPECT_EQ(LiftingAxleGrid[3].Value, "3");
}

TEST_F(LiftingAxleCalibrationLogicTest, TextAndBcdFieldsReadBackAsTheyWereWritten)
{
    ConnectAndLoad();
    UseDefinition({Sub("code", 0, 32, "BCD"), Sub("tag", 4, 24, "ASCII"), Sub("sum", 7, 8)});
    AcceptEveryBlock(Bytes_t(8, 0));
    LiftingAxleGrid = {{"1", "code", "12345678", "", ""}, {"2", "tag", "ABC", "", ""}, {"3", "sum", "0", "", ""}};
    logic.WriteLiftingAxleParameters();
    ASSERT_EQ(LiftingAxleWriteOk, 1);
    logic.ReadLiftingAxleParameters();
    EXPECT_EQ(LiftingAxleGrid[0].Value, "12345678");
    EXPECT_EQ(LiftingAxleGrid[1].Value, "ABC");
    EXPECT_EQ(LiftingAxleReadBytes, LiftingAxleWrittenBytes);
}

TEST_F(LiftingAxleCalibrationLogicTest, WithoutADefinitionNothingIsSentOrIndexed)
{
    ASSERT_TRUE(bench.Connect());
    LiftingAxleDidTable.clear();
    logic.ReadLiftingAxleParameters();
    logic.WriteLiftingAxleParameters();
    logic.FillLiftingAxleRows();
    EXPECT_THAT(bench.Requests(), IsEmpty());
    EXPECT_THAT(LiftingAxleGrid, IsEmpty());
    EXPECT_EQ(bench.prompter.Count(), 2u);
}

TEST_F(LiftingAxleCalibrationLogicTest, TheMessagesReachTheLogicThroughTheStoredHandle)
{
    LiftingAxleMessageBridge bridge(logic);
    tarvel::RegisterWindow(tarvel::WindowSlot::LiftingAxlePage, &bridge);
    ASSERT_TRUE(bench.Connect());
    EXPECT_TRUE(tarvel::SendToRegisteredWindow(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_RELOAD_CONFIG));
    EXPECT_TRUE(tarvel::SendToRegisteredWindow(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_REFILL));
    EXPECT_TRUE(tarvel::SendToRegisteredWindow(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_READ));
    EXPECT_TRUE(tarvel::SendToRegisteredWindow(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_WRITE));
    EXPECT_FALSE(tarvel::SendToRegisteredWindow(tarvel::WindowSlot::LiftingAxlePage, WM_NAV_REFRESH_TEXTS));
    const auto requests = bench.Requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[0], Bytes("22 00 F0"));
    EXPECT_EQ(requests[1], Bytes("22 00 A1"));
    EXPECT_EQ(requests[2], Bytes("10 03"));
    EXPECT_EQ(LiftingAxleWriteOk, 1);
    EXPECT_EQ(LiftingAxleWrittenBytes, LiftingAxleReadBytes);
}

TEST_F(LiftingAxleCalibrationLogicTest, HeadersAreChineseOnlyForChinese)
{
    const int languages[] = {0, 1, 2, 3, 4, -1};
    for (int language : languages) {
        LanguageIndex = language;
        logic.OnResetForNewRun();
        EXPECT_EQ(logic.State().headers[2], language == 0 ? "数值" : "Value") << language;
        EXPECT_EQ(logic.State().headers[0], language == 0 ? "序号" : "No.") << language;
    }
}

// ---- Editing ----

TEST_F(LiftingAxleCalibrationLogicTest, OnlyValueCellsOpenTheEditorAndItsTextIsKept)
{
    ConnectAndLoad();
    logic.OnCellDoubleClick(1, 1); // Parameter Name: not editable
    logic.OnCellDoubleClick(99, 2); // no such row
    EXPECT_FALSE(logic.State().editorShown);

    logic.OnCellDoubleClick(4, 2);
    EXPECT_TRUE(logic.State().editorShown);
    EXPECT_EQ(logic.State().editorText, "0");
    EXPECT_EQ(LiftingAxleEditRow, 4);
    EXPECT_EQ(LiftingAxleEditColumn, 2);
    logic.CommitEditor("3.75x"); // not checked until it is written
    EXPECT_FALSE(logic.State().editorShown);
    EXPECT_EQ(LiftingAxleGrid[4].Value, "3.75x");
    // A second commit (the editor losing the focus as it hides) changes nothing.
    logic.CommitEditor("other");
    EXPECT_EQ(LiftingAxleGrid[4].Value, "3.75x");
}

// ---- Export ----

TEST_F(LiftingAxleCalibrationLogicTest, ExportWritesTheValuesOrNothingWhenCancelled)
{
    ConnectAndLoad();
    logic.ReadLiftingAxleParameters();
    const fs::path file = fs::temp_directory_path() / ("lift-export-" + std::to_string(::getpid()) + ".ini");
    fs::remove(file);

    logic.ExportLiftingAxleValues(); // cancelled
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(bench.prompter.Count(), 0u);

    bench.files.QueueAnswer(file.string());
    logic.ExportLiftingAxleValues();
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "1\n1\n0\n2.50\n3.50\n1\n0\n0\n0\n30\n50\n172\n");
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("File saved successfully", "Tips")));
    fs::remove(file);

    bench.prompter.Clear();
    const std::string missing = (fs::temp_directory_path() / "no-such-folder-lift" / "x.ini").string();
    bench.files.QueueAnswer(missing);
    logic.ExportLiftingAxleValues();
    EXPECT_THAT(bench.prompter.Boxes(),
                ElementsAre(BoxIs("No file was written\n" + missing + "\n" +
                                      std::make_error_code(std::errc::no_such_file_or_directory).message(),
                                  "Error")));
}

} // namespace
