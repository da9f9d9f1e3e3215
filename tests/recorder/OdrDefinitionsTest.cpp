#include <filesystem>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>

#include "OdrDefinitions.h"
#include "ProgramPaths.h"
#include "RecorderTestSupport.h"

namespace {

using Strings = std::vector<std::string>;
using recorder_test::RecorderBoxTest;

// One sub-field element with every attribute.
std::string Sub(const std::string& name, const std::string& byteIndex = "0", const std::string& conversion = "1")
{
    return "<SUB SubDataName=\"" + name + "\" ByteIndex=\"" + byteIndex +
           "\" StartBit=\"0\" BitLenth=\"8\" Conversion=\"" + conversion +
           "\" Offset=\"0\" DataType=\"Unsigned\" SecurityLeve=\"0\" Unit=\"km\" DecimalValid=\"1\" "
           "Description=\"d\"/>";
}

std::string Did(const std::string& number, const std::string& children, const std::string& element = "DID")
{
    return "<" + element + " DidNumber=\"" + number + "\" name=\"n" + number + "\" RWType=\"R\">" + children +
           "</" + element + ">";
}

std::string File(const std::string& body, const std::string& root = "PARAMETER-CONFIGURATION")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + ">" + body + "</" + root + ">\n";
}

template <class Did>
Strings Numbers(const std::vector<Did>& table)
{
    Strings numbers;
    for (const auto& d : table) numbers.push_back(d.DidNumber);
    return numbers;
}

class OdrDefinitionsTest : public RecorderBoxTest {
protected:
    OdrDefinitionsTest()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvel-recorder-XXXXXX").string();
        folder_ = mkdtemp(&pattern[0]);
        tarvel::SetProgramFolder(folder_);
        std::filesystem::create_directories(folder_ + "/VADE_ODR_ParameterConfig");
    }
    ~OdrDefinitionsTest() override
    {
        tarvel::SetProgramFolder("");
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    void Write(const std::string& relative, const std::string& text)
    {
        std::ofstream(folder_ + "/" + relative, std::ios::binary) << text;
    }
    void Remove(const std::string& relative) { std::filesystem::remove(folder_ + "/" + relative); }
    void WriteInfo(const std::string& text) { Write(OdrInfoFileName(LanguageIndex), text); }

    std::string folder_;
};

struct LoaderCase {
    const char* what;
    std::string file;
    Strings numbers;
    std::vector<int> boxes;
};

TEST_F(OdrDefinitionsTest, FileStructure)
{
    const std::string one = Did("0001", Sub("a"));
    const std::string two = Did("0002", Sub("b") + Sub("c"));
    const LoaderCase cases[] = {
        {"the usual root", File("<DID-DEF>" + one + two + "</DID-DEF>"), {"0001", "0002"}, {}},
        {"a root of any name", File("<DID-DEF>" + one + "</DID-DEF>", "DEFINITIONS"), {"0001"}, {}},
        {"a second DID-DEF is ignored", File("<DID-DEF>" + one + "</DID-DEF><DID-DEF>" + two + "</DID-DEF>"),
         {"0001"}, {}},
        {"an ITEM after the first DID is a definition", File("<DID-DEF>" + one + Did("0003", Sub("x"), "ITEM") +
                                                              "</DID-DEF>"),
         {"0001", "0003"}, {}},
        {"an ITEM before the first DID is not looked at",
         File("<DID-DEF>" + Did("0003", Sub("x"), "ITEM") + one + "</DID-DEF>"), {"0001"}, {}},
        {"a comment between definitions", File("<DID-DEF>" + one + "<!-- between -->" + two + "</DID-DEF>"),
         {"0001", "0002"}, {79}},
        {"a comment inside a definition",
         File("<DID-DEF>" + Did("0001", Sub("a") + "<!-- inside -->" + Sub("b")) + two + "</DID-DEF>"), {"0002"},
         {80}},
        {"text inside a definition", File("<DID-DEF>" + Did("0001", "text" + Sub("a")) + two + "</DID-DEF>"),
         {"0002"}, {80}},
        {"no DID-DEF", File("<OTHER>" + one + "</OTHER>"), {}, {}},
        {"no DID in DID-DEF", File("<DID-DEF><ITEM/></DID-DEF>"), {}, {}},
        {"a missing sub-field attribute", File("<DID-DEF>" + Did("0001", "<SUB SubDataName=\"a\"/>") + two +
                                               "</DID-DEF>"),
         {"0002"}, {80}},
        {"a missing definition attribute", File("<DID-DEF><DID DidNumber=\"0001\" name=\"n\">" + Sub("a") +
                                                "</DID>" + two + "</DID-DEF>"),
         {"0002"}, {80}},
        {"a number attribute without a number", File("<DID-DEF>" + Did("0001", Sub("a", "abc")) + two +
                                                     "</DID-DEF>"),
         {"0002"}, {80}},
        {"an integer out of range", File("<DID-DEF>" + Did("0001", Sub("a", "2147483648")) + two + "</DID-DEF>"),
         {"0002"}, {80}},
        {"a real without a number", File("<DID-DEF>" + Did("0001", Sub("a", "0", ".e5")) + two + "</DID-DEF>"),
         {"0002"}, {80}},
        {"a real out of range", File("<DID-DEF>" + Did("0001", Sub("a", "0", "1e999")) + two + "</DID-DEF>"),
         {"0002"}, {80}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        prompter_.Clear();
        WriteInfo(c.file);
        LoadOdrParameterConfig();
        EXPECT_EQ(Numbers(OdrInfoDidTable), c.numbers);
        EXPECT_EQ(BoxRows(), c.boxes);
    }
}

TEST_F(OdrDefinitionsTest, EveryFieldIsReadAndAnEmptyDefinitionLoads)
{
    WriteInfo(File("<DID-DEF><DID DidNumber=\"0042\" name=\"Recorder\" RWType=\"RW\">"
                   "<X SubDataName=\"速度\" ByteIndex=\"3\" StartBit=\"2\" BitLenth=\"16\" Conversion=\"0.5\" "
                   "Offset=\"-40\" DataType=\"Unsigned\" SecurityLeve=\"L3\" Unit=\"°C\" DecimalValid=\"2\" "
                   "Description=\"описание\"/></DID>" +
                   Did("0043", "") + "</DID-DEF>"));
    LoadOdrParameterConfig();
    ASSERT_EQ(Numbers(OdrInfoDidTable), (Strings{"0042", "0043"}));
    const auto& d = OdrInfoDidTable[0];
    EXPECT_EQ(d.name, "Recorder");
    EXPECT_EQ(d.RWType, "RW");
    ASSERT_EQ(d.SubFields.size(), 1u);
    const auto& s = d.SubFields[0];
    EXPECT_EQ(s.SubDataName, "速度");
    EXPECT_EQ(s.ByteIndex, 3);
    EXPECT_EQ(s.StartBit, 2);
    EXPECT_EQ(s.BitLenth, 16);
    EXPECT_EQ(s.Conversion, 0.5f);
    EXPECT_EQ(s.Offset, -40.0f);
    EXPECT_EQ(s.DataType, "Unsigned");
    EXPECT_EQ(s.SecurityLeve, "L3");
    EXPECT_EQ(s.Unit, "°C");
    EXPECT_EQ(s.DecimalValid, 2);
    EXPECT_EQ(s.Description, "описание");
    EXPECT_TRUE(OdrInfoDidTable[1].SubFields.empty());
    EXPECT_TRUE(BoxRows().empty());
}

TEST_F(OdrDefinitionsTest, NumbersAreReadFromTheStartOfTheAttribute)
{
    struct IntCase {
        const char* text;
        int value;
    };
    const IntCase ints[] = {{" 7", 7}, {"3abc", 3}, {"0x10", 0}, {"12 mm", 12}, {"+5", 5}, {"\t9", 9}};
    for (const auto& c : ints) {
        SCOPED_TRACE(c.text);
        WriteInfo(File("<DID-DEF>" + Did("0001", Sub("a", c.text)) + "</DID-DEF>"));
        LoadOdrParameterConfig();
        ASSERT_EQ(OdrInfoDidTable.size(), 1u);
        EXPECT_EQ(OdrInfoDidTable[0].SubFields.at(0).ByteIndex, c.value);
    }
    // Negative numbers are read as numbers too, but a field before the start
    // of the record is no field: the DID is dropped with box 80.
    for (const char* text : {"-2", "-2147483648"}) {
        SCOPED_TRACE(text);
        WriteInfo(File("<DID-DEF>" + Did("0001", Sub("a", text)) + "</DID-DEF>"));
        LoadOdrParameterConfig();
        EXPECT_TRUE(OdrInfoDidTable.empty());
        EXPECT_EQ(BoxRows(), std::vector<int>{80});
        prompter_.Clear();
    }
    struct RealCase {
        const char* text;
        float value;
    };
    const RealCase reals[] = {{"0.05", 0.05f}, {"1e-1", 0.1f}, {"2.5mV", 2.5f}, {" .5", 0.5f},   {"1e", 1.0f},
                              {"-0.25", -0.25f}, {"3.", 3.0f},   {"1E2x", 100.0f}, {"7e+1", 70.0f}};
    for (const auto& c : reals) {
        SCOPED_TRACE(c.text);
        WriteInfo(File("<DID-DEF>" + Did("0001", Sub("a", "0", c.text)) + "</DID-DEF>"));
        LoadOdrParameterConfig();
        ASSERT_EQ(OdrInfoDidTable.size(), 1u);
        EXPECT_EQ(OdrInfoDidTable[0].SubFields.at(0).Conversion, c.value); // exactly the nearest float
    }
    EXPECT_TRUE(BoxRows().empty());
}

TEST_F(OdrDefinitionsTest, TextsLongerThan1023BytesAreCutAtACharacterBoundary)
{
    std::string longName = "aa";
    for (int i = 0; i < 600; ++i) longName += "é"; // 2 + 1200 bytes
    const std::string fits(1023, 'x');
    WriteInfo(File("<DID-DEF><DID DidNumber=\"1\" name=\"" + longName + "\" RWType=\"R\">" +
                   "<SUB SubDataName=\"" + longName +
                   "\" ByteIndex=\"0\" StartBit=\"0\" BitLenth=\"8\" Conversion=\"1\" Offset=\"0\" "
                   "DataType=\"Unsigned\" SecurityLeve=\"0\" Unit=\"\" DecimalValid=\"0\" Description=\"" +
                   longName + "\"/>" + Sub(fits) + "</DID></DID-DEF>"));
    LoadOdrParameterConfig();
    ASSERT_EQ(OdrInfoDidTable.size(), 1u);
    const std::string cut = longName.substr(0, 1022); // byte 1023 would split an "é"
    EXPECT_EQ(OdrInfoDidTable[0].name, cut);
    EXPECT_EQ(OdrInfoDidTable[0].SubFields.at(0).SubDataName, cut);
    EXPECT_EQ(OdrInfoDidTable[0].SubFields.at(0).Description, cut);
    EXPECT_EQ(OdrInfoDidTable[0].SubFields.at(1).SubDataName, fits);
}

TEST_F(OdrDefinitionsTest, FileNamesFollowLanguageAndLayoutVersion)
{
    const std::pair<int, const char*> info[] = {
        {0, "VADE_ODR_ParameterConfig/VADE_ODR_ParameterConfig_zh.xml"},
        {1, "VADE_ODR_ParameterConfig/VADE_ODR_ParameterConfig_en.xml"},
        {2, "VADE_ODR_ParameterConfig/VADE_ODR_ParameterConfig_russian.xml"},
        {3, "VADE_ODR_ParameterConfig/VADE_ODR_ParameterConfig_spanish.xml"},
        {4, "VADE_ODR_ParameterConfig/VADE_ODR_ParameterConfig_portug.xml"},
        {-1, "VADE_ODR_ParameterConfig/VADE_ODR_ParameterConfig_en.xml"},
        {7, "VADE_ODR_ParameterConfig/VADE_ODR_ParameterConfig_en.xml"},
    };
    for (const auto& c : info) EXPECT_EQ(OdrInfoFileName(c.first), c.second) << c.first;
    EXPECT_EQ(OdrTripFileName(1, 1), "VADE_ODR_ParameterConfig/VADE_ODR_Trip_Info_ParameterConfig_1_en.xml");
    EXPECT_EQ(OdrTripFileName(12, 2), "VADE_ODR_ParameterConfig/VADE_ODR_Trip_Info_ParameterConfig_12_russian.xml");
    EXPECT_EQ(OdrTripFileName(2, 0), "VADE_ODR_ParameterConfig/VADE_ODR_Trip_Info_ParameterConfig_2_zh.xml");
    EXPECT_EQ(OdrTripFileName(3, -1), "VADE_ODR_ParameterConfig/VADE_ODR_Trip_Info_ParameterConfig_3_en.xml");

    // The loaders open those files.
    const std::pair<int, const char*> loads[] = {{4, "PT"}, {-1, "EN"}, {7, "EN"}, {0, "ZH"}};
    Write(OdrInfoFileName(4), File("<DID-DEF>" + Did("PT", "") + "</DID-DEF>"));
    Write(OdrInfoFileName(1), File("<DID-DEF>" + Did("EN", "") + "</DID-DEF>"));
    Write(OdrInfoFileName(0), File("<DID-DEF>" + Did("ZH", "") + "</DID-DEF>"));
    for (const auto& c : loads) {
        LanguageIndex = c.first;
        LoadOdrParameterConfig();
        EXPECT_EQ(Numbers(OdrInfoDidTable), Strings{c.second}) << c.first;
    }
    Write(OdrTripFileName(12, 2), File("<DID-DEF>" + Did("T12RU", "") + "</DID-DEF>"));
    LanguageIndex = 2;
    OdrTripLayoutVersion = 12;
    LoadOdrTripParameterConfig();
    EXPECT_EQ(Numbers(OdrTripDidTable), Strings{"T12RU"});
    EXPECT_TRUE(BoxRows().empty());
}

TEST_F(OdrDefinitionsTest, AFailedLoadEmptiesTheTableWithItsBox)
{
    const std::string good = File("<DID-DEF>" + Did("0001", Sub("a")) + "</DID-DEF>");
    WriteInfo(good);
    LoadOdrParameterConfig();
    ASSERT_EQ(OdrInfoDidTable.size(), 1u);
    WriteInfo("<PARAMETER-CONFIGURATION><DID-DEF>"); // not well-formed
    LoadOdrParameterConfig();
    EXPECT_TRUE(OdrInfoDidTable.empty());
    WriteInfo(good);
    LoadOdrParameterConfig();
    ASSERT_EQ(OdrInfoDidTable.size(), 1u);
    Remove(OdrInfoFileName(LanguageIndex));
    LoadOdrParameterConfig();
    EXPECT_TRUE(OdrInfoDidTable.empty());
    EXPECT_EQ(BoxRows(), (std::vector<int>{459, 459}));

    prompter_.Clear();
    OdrTripLayoutVersion = 1;
    Write(OdrTripFileName(1, LanguageIndex), good);
    LoadOdrTripParameterConfig();
    ASSERT_EQ(OdrTripDidTable.size(), 1u);
    OdrTripLayoutVersion = 2; // no file for layout 2
    LoadOdrTripParameterConfig();
    EXPECT_TRUE(OdrTripDidTable.empty());
    EXPECT_EQ(BoxRows(), std::vector<int>{460});
}

TEST_F(OdrDefinitionsTest, ParseAppendsToItsTableAndKeepsTheWorkingRecords)
{
    TiXmlDocument doc;
    doc.Parse(File("<DID-DEF>" + Did("0001", Sub("a") + Sub("b")) + "<!-- c -->" +
                   Did("0002", Sub("c") + "<!-- inside -->") + "</DID-DEF>")
                  .c_str());
    const TiXmlNode* first = doc.RootElement()->FirstChildElement("DID-DEF")->FirstChild();
    const TiXmlNode* comment = first->NextSibling();
    const TiXmlNode* broken = comment->NextSibling();

    EXPECT_EQ(ParseOdrDidElement(nullptr), DidNodeResult::NoNode);
    EXPECT_EQ(ParseOdrDidElement(first), DidNodeResult::Appended);
    EXPECT_EQ(OdrInfoDidWork.DidNumber, "0001");
    EXPECT_EQ(OdrInfoDidWork.SubFields.size(), 2u);
    EXPECT_EQ(OdrInfoSubWork.SubDataName, "b");
    EXPECT_EQ(ParseOdrDidElement(comment), DidNodeResult::NotElement);
    EXPECT_TRUE(OdrInfoDidWork.SubFields.empty());
    EXPECT_EQ(ParseOdrDidElement(broken), DidNodeResult::Dropped);
    EXPECT_EQ(Numbers(OdrInfoDidTable), Strings{"0001"});

    EXPECT_EQ(ParseOdrTripDidElement(first), DidNodeResult::Appended);
    EXPECT_EQ(ParseOdrTripDidElement(first), DidNodeResult::Appended);
    EXPECT_EQ(Numbers(OdrTripDidTable), (Strings{"0001", "0001"}));
    EXPECT_EQ(OdrTripSubWork.SubDataName, "b");
    EXPECT_EQ(Numbers(OdrInfoDidTable), Strings{"0001"});
    EXPECT_EQ(BoxRows(), (std::vector<int>{79, 80}));

    ClearOdrDefinitions();
    EXPECT_TRUE(OdrInfoDidTable.empty());
    EXPECT_TRUE(OdrTripDidTable.empty());
    EXPECT_TRUE(OdrTripDidWork.SubFields.empty());
}

TEST_F(OdrDefinitionsTest, ATripReadLoadsEachLayoutFileOnce)
{
    const std::string v1 = File("<DID-DEF>" + Did("V1", Sub("a")) + "</DID-DEF>");
    const std::string v2 = File("<DID-DEF>" + Did("V2", Sub("a") + Sub("b")) + "</DID-DEF>");
    Write(OdrTripFileName(1, LanguageIndex), v1);
    Write(OdrTripFileName(2, LanguageIndex), v2);
    {
        OdrTripReadScope read;
        const std::pair<int, const char*> trips[] = {{1, "V1"}, {2, "V2"}, {1, "V1"}, {3, nullptr},
                                                     {2, "V2"}, {3, nullptr}, {1, "V1"}};
        for (size_t i = 0; i < std::size(trips); ++i) {
            OdrTripLayoutVersion = trips[i].first;
            LoadOdrTripParameterConfig();
            EXPECT_EQ(Numbers(OdrTripDidTable), trips[i].second ? Strings{trips[i].second} : Strings{}) << i;
            if (i == 1) { // both files were read once: they are not read again in this read
                Remove(OdrTripFileName(1, LanguageIndex));
                Remove(OdrTripFileName(2, LanguageIndex));
            }
        }
        // Layout 3 has no file: one box for the whole read.
        EXPECT_EQ(BoxRows(), std::vector<int>{460});
    }
    // A new read reads the files again.
    {
        OdrTripReadScope read;
        OdrTripLayoutVersion = 2;
        LoadOdrTripParameterConfig();
        EXPECT_TRUE(OdrTripDidTable.empty());
        EXPECT_EQ(BoxRows(), (std::vector<int>{460, 460}));
    }
    prompter_.Clear();
    // Outside a read every load reads its file again.
    OdrTripLayoutVersion = 1;
    LoadOdrTripParameterConfig();
    EXPECT_TRUE(OdrTripDidTable.empty());
    Write(OdrTripFileName(1, LanguageIndex), v1);
    LoadOdrTripParameterConfig();
    EXPECT_EQ(Numbers(OdrTripDidTable), Strings{"V1"});
    EXPECT_EQ(BoxRows(), std::vector<int>{460});
}

TEST_F(OdrDefinitionsTest, ResetRestoresTheStartValues)
{
    OdrTripCount = 5;
    OdrOldestTrip = 1;
    OdrNewestTrip = 4;
    OdrShownTrip = 2;
    OdrReadPosition = 4;
    OdrReadIndex = 5;
    OdrTrips.resize(5);
    OdrTripLayoutVersion = 2;
    OdrInfoDidTable.resize(1);
    OdrTripDidTable.resize(2);
    OdrInfoDidWork.DidNumber = "0042";
    OdrTripSubWork.Unit = "km";
    ResetRecorderGlobals();
    EXPECT_EQ(OdrTripCount, -1);
    EXPECT_EQ(OdrOldestTrip, -1);
    EXPECT_EQ(OdrNewestTrip, -1);
    EXPECT_EQ(OdrShownTrip, -1);
    EXPECT_EQ(OdrReadPosition, 0);
    EXPECT_EQ(OdrReadIndex, 0);
    EXPECT_TRUE(OdrTrips.empty());
    EXPECT_EQ(OdrTripLayoutVersion, 0);
    EXPECT_TRUE(OdrInfoDidTable.empty());
    EXPECT_TRUE(OdrTripDidTable.empty());
    EXPECT_EQ(OdrInfoDidWork.DidNumber, "");
    EXPECT_EQ(OdrTripSubWork.Unit, "");
}

} // namespace
