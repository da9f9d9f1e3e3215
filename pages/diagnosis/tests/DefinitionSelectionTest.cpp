// Choosing the parameter fault-code file and the basic-parameter file for the
// identified ECU, and loading what was chosen.
#include "DefinitionSelection.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "LanguageTable.h"
#include "ProgramPaths.h"
#include "Prompter.h"
#include "WindowRegistry.h"
#include "XmlHelpers.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;

const std::string kFaultFolder = "VADE_ParameterFaultCodeConfig/";
const std::string kFallback = "VADE_ParameterFaultCodeConfig/VADE_ParameterFaultCode_1.1.xml";

// Collects the messages the parameters page window receives.
class RecordingWindow : public tarvel::MessageTarget {
public:
    bool HandleAppMessage(int message) override
    {
        messages.push_back(message);
        tablesAtMessage.push_back(ParameterDidTable.size());
        return true;
    }
    std::vector<int> messages;
    std::vector<size_t> tablesAtMessage;
};

// ---- The fault-code choice, as a table ----

struct Row {
    const char* software;
    int calibration;
    int level;
    const char* file;
};

struct ChoiceCase {
    const char* name;
    std::vector<Row> rows;
    const char* software;
    const char* calibration;
    std::string expected;
};

_tagParaFaultCodeMappingdesc_Sub_ Rows(const std::vector<Row>& rows)
{
    _tagParaFaultCodeMappingdesc_Sub_ m;
    for (const Row& r : rows) {
        m.ECU_SW_VERSION.push_back(r.software);
        m.CalibrationVersion.push_back(r.calibration);
        m.Level.push_back(r.level);
        m.FileName.push_back(r.file);
    }
    return m;
}

class FaultCodeChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(FaultCodeChoice, PicksTheFileForTheEcu)
{
    const ChoiceCase& c = GetParam();
    EXPECT_EQ(ChooseParameterFaultCodeFile(Rows(c.rows), c.software, c.calibration), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FaultCodeChoice,
    ::testing::Values(
        ChoiceCase{"SoftwareMatchLaterRowWinsWhateverTheCalibration",
                   {{"V1", 5, 9, "a.xml"}, {"V1", 8, 1, "b.xml"}, {"V2", 5, 9, "c.xml"}},
                   "V1",
                   "5",
                   kFaultFolder + "b.xml"},
        ChoiceCase{"SoftwareComparedExactly", {{"v1", 5, 1, "a.xml"}}, "V1", "9", kFallback},
        ChoiceCase{"CalibrationLevels133TakeTheLastLevel3",
                   {{"X", 5, 1, "a.xml"}, {"X", 5, 3, "b.xml"}, {"X", 5, 3, "c.xml"}, {"X", 6, 9, "d.xml"}},
                   "V9",
                   "5",
                   kFaultFolder + "c.xml"},
        ChoiceCase{"HighestLevelFirstStillWins",
                   {{"X", 5, 4, "a.xml"}, {"X", 5, 1, "b.xml"}},
                   "V9",
                   "5",
                   kFaultFolder + "a.xml"},
        ChoiceCase{"OneCalibrationRow", {{"X", 3, 0, "a.xml"}, {"X", 4, 0, "b.xml"}}, "V9", "4", kFaultFolder + "b.xml"},
        ChoiceCase{"NothingGivesTheFallback", {{"X", 3, 0, "a.xml"}}, "V9", "4", kFallback},
        ChoiceCase{"NoRowsGiveTheFallback", {}, "V9", "4", kFallback},
        ChoiceCase{"LeadingZeroMatchesNumerically", {{"X", 7, 0, "seven.xml"}}, "V9", "07", kFaultFolder + "seven.xml"},
        ChoiceCase{"DecimalTextReadsItsLeadingDigits", {{"X", 1, 0, "one.xml"}}, "V9", "1.1", kFaultFolder + "one.xml"},
        ChoiceCase{"NoDigitsReadAsZero", {{"X", 0, 0, "zero.xml"}}, "V9", "", kFaultFolder + "zero.xml"}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

// ---- Selections over files ----

// A program folder of the test's own, with the shipped language texts loaded.
class SelectionFiles : public ::testing::Test {
protected:
    SelectionFiles()
    {
        LanguageIndex = 1;
        {
            tarvel::ScopedProgramFolder data(tarvel_test::DataFolder());
            EXPECT_TRUE(LoadLanguageConfig());
        }
        static int serial = 0;
        root = fs::temp_directory_path() /
               ("tarvel_selection_" + std::to_string(std::random_device{}()) + "_" + std::to_string(++serial));
        fs::remove_all(root);
        fs::create_directories(root / "VADE_ParameterFaultCodeConfig");
        fs::create_directories(root / "VADE_BasicParameterConfig");
        folder = std::make_unique<tarvel::ScopedProgramFolder>(root.string());
        tarvel::RegisterWindow(tarvel::WindowSlot::ParameterPage, &parameters);
    }
    ~SelectionFiles() override
    {
        tarvel::ForgetWindow(&parameters);
        folder.reset();
        fs::remove_all(root);
        LanguageTable.clear();
    }

    void Write(const std::string& relative, const std::string& text)
    {
        std::ofstream(root / relative, std::ios::binary) << text;
    }
    static std::string Mapping(const std::string& rows)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PARAMETER-CONFIGURATION><DID-DEF>" + rows +
               "</DID-DEF></PARAMETER-CONFIGURATION>\n";
    }
    static std::string FaultCodes(const std::string& code, const std::string& english)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<USER-CONFIGURATION><USER-DEF>"
               "<DID FaultCodeNum=\"" + code + "\" English=\"" + english + "\" EnglishDesc=\"" + english +
               " explained\" Chinese=\"中文\" ChineseDesc=\"说明\"/>"
               "<!-- a note among the codes -->"
               "<DID FaultCodeNum=\"0A\"/>"
               "</USER-DEF></USER-CONFIGURATION>\n";
    }
    // A basic-parameter file with one record of the given name.
    static std::string Parameters(const std::string& name)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PARAMETER-CONFIGURATION><DID-DEF>"
               "<DID DidNumber=\"00A0\" name=\"" + name + "\" RWType=\"RW\">"
               "<SUB-DATA SubDataName=\"Axles\" ByteIndex=\"0\" StartBit=\"0\" BitLenth=\"8\" Conversion=\"1\" "
               "Offset=\"0\" DataType=\"Unsigned\" SecurityLeve=\"0\" Unit=\"\" DecimalValid=\"0\" "
               "Description=\"\"/></DID></DID-DEF></PARAMETER-CONFIGURATION>\n";
    }
    static std::string BasicRow(const std::string& calibration, const std::string& tag)
    {
        return "<DID CalibrationVersion=\"" + calibration + "\" FileName_zh=\"" + tag + "_zh.xml\" FileName_en=\"" +
               tag + "_en.xml\" FileName_russian=\"" + tag + "_russian.xml\" FileName_spanish=\"" + tag +
               "_spanish.xml\" FileName_portug=\"" + tag + "_portug.xml\"/>";
    }
    std::vector<std::string> RecordNames() const
    {
        std::vector<std::string> names;
        for (const auto& r : ParameterDidTable)
            names.push_back(r.name);
        return names;
    }

    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter usePrompter{prompter};
    fs::path root;
    std::unique_ptr<tarvel::ScopedProgramFolder> folder;
    RecordingWindow parameters;
};

TEST_F(SelectionFiles, FaultCodeMappingRowsSkipWhatIsNotARowAndAreRebuiltEachTime)
{
    Write("VADE_ParameterFaultCodeConfig/Mapping.xml",
          Mapping("<DID ECU_SW_VERSION=\"V1\" CalibrationVersion=\"5\" Level=\"1\" FileName=\"f1.xml\"/>"
                  "<!-- comment between rows -->"
                  "<DID ECU_SW_VERSION=\"V2\" CalibrationVersion=\"5\" FileName=\"nolevel.xml\"/>"
                  "<DID ECU_SW_VERSION=\"V3\" Level=\"2\" FileName=\"nocal.xml\"/>"
                  "<DID ECU_SW_VERSION=\"V4\" CalibrationVersion=\"x5\" Level=\"2\" FileName=\"bad.xml\"/>"
                  "<DID CalibrationVersion=\" 6 \" Level=\"3\" FileName=\"f6.xml\"/>"));
    Write("VADE_ParameterFaultCodeConfig/f6.xml", FaultCodes("05", "Checksum"));
    EcuSoftwareVersion = "V9";
    EcuCalibrationVersion = "6";

    for (int run = 0; run < 2; ++run) {
        EXPECT_TRUE(SelectParameterFaultCodeFile());
        ASSERT_EQ(FaultCodeMapping.size(), 1u);
        const auto& m = FaultCodeMapping.front();
        EXPECT_THAT(m.ECU_SW_VERSION, ElementsAre("V1", ""));
        EXPECT_THAT(m.CalibrationVersion, ElementsAre(5, 6));
        EXPECT_THAT(m.Level, ElementsAre(1, 3));
        EXPECT_THAT(m.FileName, ElementsAre("f1.xml", "f6.xml"));
    }
    EXPECT_EQ(ParameterFaultCodeFile, "VADE_ParameterFaultCodeConfig/f6.xml");
    ASSERT_EQ(ParameterFaultCodeTable.size(), 2u);
    EXPECT_EQ(ParameterFaultCodeTable[0].FaultCodeNum, "05");
    EXPECT_EQ(ParameterFaultCodeTable[0].Title, "Checksum");
    EXPECT_EQ(ParameterFaultCodeTable[0].Description, "Checksum explained");
    EXPECT_EQ(ParameterFaultCodeTable[1].FaultCodeNum, "0A");
    EXPECT_THAT(ParameterFaultCodeTable[1].Title, IsEmpty());
    EXPECT_EQ(prompter.Count(), 0u);

    // A second ECU of the run with other rows: the new rows count, not the first run's.
    Write("VADE_ParameterFaultCodeConfig/Mapping.xml",
          Mapping("<DID ECU_SW_VERSION=\"V9\" CalibrationVersion=\"1\" Level=\"1\" FileName=\"f9.xml\"/>"));
    Write("VADE_ParameterFaultCodeConfig/f9.xml", FaultCodes("07", "Axles"));
    EXPECT_TRUE(SelectParameterFaultCodeFile());
    EXPECT_EQ(ParameterFaultCodeFile, "VADE_ParameterFaultCodeConfig/f9.xml");
    ASSERT_EQ(FaultCodeMapping.size(), 1u);
    EXPECT_THAT(FaultCodeMapping.front().FileName, ElementsAre("f9.xml"));
    EXPECT_EQ(ParameterFaultCodeTable[0].Title, "Axles");
}

TEST_F(SelectionFiles, MissingFaultCodeSelectorWarnsAndFallsBack)
{
    Write("VADE_ParameterFaultCodeConfig/VADE_ParameterFaultCode_1.1.xml", FaultCodes("01", "Fallback"));
    EcuSoftwareVersion = "V2.7.1";
    EcuCalibrationVersion = "05";
    EXPECT_TRUE(SelectParameterFaultCodeFile());
    ASSERT_EQ(prompter.Count(), 1u);
    const auto box = prompter.Boxes()[0];
    EXPECT_THAT(box, BoxIs("Mapping.xml File Not Found！", "Warning"));
    EXPECT_EQ(box.buttons, tarvel::MsgButtons::OkCancel);
    EXPECT_EQ(ParameterFaultCodeFile, kFallback);
    ASSERT_EQ(ParameterFaultCodeTable.size(), 2u);
    EXPECT_EQ(ParameterFaultCodeTable[0].Title, "Fallback");
}

TEST_F(SelectionFiles, UnloadableFaultCodeFileShowsItsBoxAndKeepsTheCodes)
{
    Write("VADE_ParameterFaultCodeConfig/Mapping.xml",
          Mapping("<DID ECU_SW_VERSION=\"V1\" CalibrationVersion=\"5\" Level=\"1\" FileName=\"broken.xml\"/>"));
    Write("VADE_ParameterFaultCodeConfig/broken.xml", "<USER-CONFIGURATION><USER-DEF>");
    ParameterFaultCodeTable = {{"01", "Kept", "kept"}};
    EcuSoftwareVersion = "V1";
    EXPECT_FALSE(SelectParameterFaultCodeFile());
    EXPECT_EQ(ParameterFaultCodeFile, "VADE_ParameterFaultCodeConfig/broken.xml");
    EXPECT_THAT(prompter.Boxes(), ElementsAre(BoxIs(LanguageText(456), LanguageText(76))));
    EXPECT_EQ(prompter.Boxes()[0].buttons, tarvel::MsgButtons::Ok);
    ASSERT_EQ(ParameterFaultCodeTable.size(), 1u);
    EXPECT_EQ(ParameterFaultCodeTable[0].Title, "Kept");

    // The loader on its own: the missing file's warning, the table kept.
    prompter.Clear();
    ParameterFaultCodeFile = "VADE_ParameterFaultCodeConfig/none.xml";
    EXPECT_FALSE(LoadParameterFaultCodes());
    EXPECT_THAT(prompter.Boxes(), ElementsAre(BoxIs("VADE_ParameterFaultCode.xml File Not Found！", "Warning")));
    EXPECT_EQ(ParameterFaultCodeTable.size(), 1u);
}

TEST_F(SelectionFiles, BasicFileByExactCalibrationTextLastMatchWinsThenTheParametersPageIsTold)
{
    Write("VADE_BasicParameterConfig/Mapping.xml",
          Mapping(BasicRow("07", "A") + "<!-- note -->" + BasicRow("7", "Seven") + BasicRow("07", "B")));
    Write("VADE_BasicParameterConfig/A_en.xml", Parameters("From A"));
    Write("VADE_BasicParameterConfig/B_en.xml", Parameters("From B"));
    Write("VADE_BasicParameterConfig/Seven_en.xml", Parameters("From Seven"));
    Write("VADE_BasicParameterConfig/VADE_ParameterConfig_default_en.xml", Parameters("Default"));

    EcuCalibrationVersion = "07";
    EXPECT_TRUE(SelectBasicParameterFile());
    EXPECT_EQ(BasicParameterFileNames[1], "VADE_BasicParameterConfig/B_en.xml");
    EXPECT_THAT(RecordNames(), ElementsAre("From B"));
    ASSERT_EQ(ParameterDidList.size(), 1u);
    EXPECT_EQ(ParameterDidList[0].SubFields.size(), 1u);
    // Told once the definitions are in place.
    EXPECT_THAT(parameters.messages, ElementsAre(WM_RWDID_DEFINITIONS_LOADED));
    EXPECT_THAT(parameters.tablesAtMessage, ElementsAre(1u));

    // The next ECU of the run has no row of its own: the default, not B.
    EcuCalibrationVersion = "08";
    EXPECT_TRUE(SelectBasicParameterFile());
    EXPECT_EQ(BasicParameterFileNames[1], "VADE_BasicParameterConfig/VADE_ParameterConfig_default_en.xml");
    EXPECT_THAT(RecordNames(), ElementsAre("Default"));
    EXPECT_EQ(prompter.Count(), 0u);
    // Other languages' paths are left alone.
    EXPECT_EQ(BasicParameterFileNames[0], "VADE_BasicParameterConfig/VADE_ParameterConfig_default_zh.xml");
}

TEST_F(SelectionFiles, LanguageOutsideTheTableCountsAsEnglish)
{
    Write("VADE_BasicParameterConfig/Mapping.xml", Mapping(BasicRow("05", "C")));
    Write("VADE_BasicParameterConfig/C_en.xml", Parameters("English C"));
    LanguageIndex = -1;
    EcuCalibrationVersion = "05";
    EXPECT_TRUE(SelectBasicParameterFile());
    EXPECT_EQ(BasicParameterFileNames[1], "VADE_BasicParameterConfig/C_en.xml");
    EXPECT_THAT(RecordNames(), ElementsAre("English C"));

    LanguageIndex = 0;
    Write("VADE_BasicParameterConfig/C_zh.xml", Parameters("中文 C"));
    EXPECT_TRUE(SelectBasicParameterFile());
    EXPECT_EQ(BasicParameterFileNames[0], "VADE_BasicParameterConfig/C_zh.xml");
    EXPECT_THAT(RecordNames(), ElementsAre("中文 C"));
}

TEST_F(SelectionFiles, UnloadableBasicFileShowsItsBoxAndKeepsTheDefinitions)
{
    Write("VADE_BasicParameterConfig/Mapping.xml", Mapping(BasicRow("05", "Missing")));
    ParameterDidTable.resize(2);
    ParameterDidList.resize(2);
    EcuCalibrationVersion = "05";
    EXPECT_FALSE(SelectBasicParameterFile());
    EXPECT_THAT(prompter.Boxes(), ElementsAre(BoxIs(LanguageText(457), LanguageText(76))));
    EXPECT_EQ(ParameterDidTable.size(), 2u);
    EXPECT_EQ(ParameterDidList.size(), 2u);
    EXPECT_THAT(parameters.messages, IsEmpty());
}

TEST_F(SelectionFiles, MissingBasicSelectorWarnsAndUsesTheDefault)
{
    Write("VADE_BasicParameterConfig/VADE_ParameterConfig_default_en.xml", Parameters("Default"));
    BasicParameterFileNames[1] = "VADE_BasicParameterConfig/Earlier_en.xml";
    EcuCalibrationVersion = "05";
    EXPECT_TRUE(SelectBasicParameterFile());
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_THAT(prompter.Boxes()[0], BoxIs("Mapping.xml File Not Found！", "Warning"));
    EXPECT_EQ(prompter.Boxes()[0].buttons, tarvel::MsgButtons::OkCancel);
    EXPECT_THAT(RecordNames(), ElementsAre("Default"));
    EXPECT_THAT(parameters.messages, ElementsAre(WM_RWDID_DEFINITIONS_LOADED));
}

TEST_F(SelectionFiles, BasicLoaderOnItsOwnEmptiesTheTablesWhenTheFileIsMissing)
{
    ParameterDidTable.resize(3);
    ParameterDidList.resize(3);
    BasicParameterFileNames[1] = "VADE_BasicParameterConfig/none.xml";
    EXPECT_FALSE(LoadBasicParameterConfig());
    EXPECT_THAT(prompter.Boxes(), ElementsAre(BoxIs(LanguageText(454), LanguageText(76))));
    EXPECT_THAT(ParameterDidTable, IsEmpty());
    EXPECT_THAT(ParameterDidList, IsEmpty());
}

// ---- The shipped files ----

class ShippedSelection : public ::testing::Test {
protected:
    ShippedSelection() { tarvel::RegisterWindow(tarvel::WindowSlot::ParameterPage, &parameters); }
    ~ShippedSelection() override { tarvel::ForgetWindow(&parameters); }
    tarvel_test::PageBench bench;
    RecordingWindow parameters;
};

TEST_F(ShippedSelection, StandardEcuGetsItsMappedFilesAlternateTheDefaults)
{
    EcuSoftwareVersion = "V2.7.1";
    EcuCalibrationVersion = "05";
    EXPECT_TRUE(SelectParameterFaultCodeFile());
    EXPECT_TRUE(SelectBasicParameterFile());
    EXPECT_EQ(ParameterFaultCodeFile, "VADE_ParameterFaultCodeConfig/VADE_ParameterFaultCode_2.7.xml");
    EXPECT_EQ(BasicParameterFileNames[1], "VADE_BasicParameterConfig/VADE_ParameterConfig_C05_en.xml");
    EXPECT_FALSE(ParameterFaultCodeTable.empty());
    ASSERT_EQ(ParameterDidTable.size(), 3u);
    EXPECT_EQ(ParameterDidTable[1].name, "Calibration Parameters");
    EXPECT_EQ(ParameterDidTable[1].SubFields.back().ByteIndex, 87); // the longer block of calibration 05
    EXPECT_EQ(bench.prompter.Count(), 0u);

    EcuSoftwareVersion = "V2.5.0";
    EcuCalibrationVersion = "03";
    EXPECT_TRUE(SelectParameterFaultCodeFile());
    EXPECT_TRUE(SelectBasicParameterFile());
    EXPECT_EQ(ParameterFaultCodeFile, kFallback);
    EXPECT_EQ(BasicParameterFileNames[1], "VADE_BasicParameterConfig/VADE_ParameterConfig_default_en.xml");
    ASSERT_EQ(ParameterDidTable.size(), 3u);
    EXPECT_EQ(ParameterDidTable[1].SubFields.back().ByteIndex, 83);
    EXPECT_EQ(ParameterFaultCodeTable[0].Title, "Parameter checksum error");
    EXPECT_EQ(bench.prompter.Count(), 0u);
    EXPECT_THAT(parameters.messages, ElementsAre(WM_RWDID_DEFINITIONS_LOADED, WM_RWDID_DEFINITIONS_LOADED));
}

} // namespace
