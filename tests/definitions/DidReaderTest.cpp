#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DefinitionsTestSupport.h"
#include "DidDefinitions.h"
#include "ProgramPaths.h"
#include "StoredParameters.h"
#include "XmlHelpers.h"

using namespace definitions_test;

namespace {

class DidReaderTest : public BoxTest {
protected:
    ~DidReaderTest() override { ResetStoredParameterGlobals(); }

    template <class Did>
    std::vector<Did> Read(const std::string& fixture)
    {
        TiXmlDocument doc;
        EXPECT_TRUE(LoadXmlFile(doc, Fixture(fixture))) << fixture;
        std::vector<Did> table;
        ReadDidDefinitions(doc, table);
        return table;
    }
};

std::vector<std::string> Numbers(const std::vector<_tagStoredDIDdesc_>& table)
{
    std::vector<std::string> numbers;
    for (const auto& did : table) numbers.push_back(did.DidNumber);
    return numbers;
}

using Strings = std::vector<std::string>;

} // namespace

TEST_F(DidReaderTest, CommentBetweenDidsShowsOneBox79AndBothLoad)
{
    const auto table = Read<_tagStoredDIDdesc_>("comment_between.xml");
    EXPECT_EQ(Numbers(table), (Strings{"F18A", "F18C"}));
    EXPECT_EQ(BoxRows(), std::vector<int>{79});
    ASSERT_EQ(table[1].SubFields.size(), 1u);
    EXPECT_EQ(table[1].SubFields[0].BitLenth, 96);
    EXPECT_EQ(table[1].name, "Serial");
}

TEST_F(DidReaderTest, CommentInsideDidDropsThatDidWithBox80AndLaterOnesLoad)
{
    const auto table = Read<_tagStoredDIDdesc_>("comment_inside.xml");
    EXPECT_EQ(Numbers(table), (Strings{"0002"}));
    EXPECT_EQ(BoxRows(), std::vector<int>{80});
    EXPECT_EQ(table[0].RWType, "RW");
}

TEST_F(DidReaderTest, DidWithoutSubFieldsLoadsEmpty)
{
    const auto table = Read<_tagStoredDIDdesc_>("no_subfields.xml");
    EXPECT_EQ(Numbers(table), (Strings{"0100", "0101"}));
    EXPECT_TRUE(table[0].SubFields.empty());
    EXPECT_EQ(table[1].SubFields.size(), 1u);
    EXPECT_TRUE(BoxRows().empty());
}

TEST_F(DidReaderTest, MissingAttributeOrBadNumberDropsTheDidWithBox80)
{
    const auto table = Read<_tagStoredDIDdesc_>("bad_attributes.xml");
    // No BitLenth, Conversion "abc", ByteIndex "1x", DID without name: each dropped.
    EXPECT_EQ(Numbers(table), (Strings{"0005"}));
    EXPECT_EQ(BoxRows(), (std::vector<int>{80, 80, 80, 80}));
    const auto& sub = table[0].SubFields.at(0);
    EXPECT_EQ(sub.ByteIndex, 3);
    EXPECT_EQ(sub.StartBit, 0);
    EXPECT_EQ(sub.BitLenth, 16);
    EXPECT_FLOAT_EQ(sub.Conversion, 0.1f);
    EXPECT_FLOAT_EQ(sub.Offset, -40.5f);
    EXPECT_EQ(sub.Unit, "bar");
}

TEST_F(DidReaderTest, NodesThatAreNotDidsAndNullNodes)
{
    std::vector<_tagStoredDIDdesc_> table;
    EXPECT_EQ(ReadDidElement(nullptr, table), DidNodeResult::NoNode);
    TiXmlText text("stray");
    TiXmlComment comment("note");
    EXPECT_EQ(ReadDidElement(&text, table), DidNodeResult::NotElement);
    EXPECT_EQ(ReadStoredDidElement(&comment), DidNodeResult::NotElement);
    EXPECT_TRUE(table.empty());
    EXPECT_TRUE(StoredDidTable.empty());
    EXPECT_EQ(BoxRows(), (std::vector<int>{79, 79}));
}

TEST_F(DidReaderTest, NamesAreCutAt255BytesOnACharacterBoundary)
{
    std::string longName;
    for (int i = 0; i < 100; ++i) longName += "名"; // 300 bytes
    const std::string xml = "<PARAMETER-CONFIGURATION><DID-DEF><DID DidNumber=\"0001\" name=\"" + longName +
                            "\" RWType=\"R\"><SUB SubDataName=\"" + std::string(300, 'a') +
                            "\" ByteIndex=\"0\" StartBit=\"0\" BitLenth=\"8\" Conversion=\"1\" Offset=\"0\" "
                            "DataType=\"Unsigned\" SecurityLeve=\"0\" Unit=\"\"/></DID></DID-DEF>"
                            "</PARAMETER-CONFIGURATION>";
    TiXmlDocument doc;
    doc.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
    ASSERT_FALSE(doc.Error());
    std::vector<_tagStoredDIDdesc_> table;
    ASSERT_EQ(ReadDidDefinitions(doc, table), 1u);
    EXPECT_EQ(table[0].name, longName.substr(0, 255)); // 85 whole characters
    EXPECT_EQ(table[0].SubFields[0].SubDataName, std::string(255, 'a'));
}

// Each family reads its own attribute set into its own record type. The
// second DID of the fixture lacks Description, SubDataID and Abbreviation.
TEST_F(DidReaderTest, EachFamilyReadsItsOwnFieldSet)
{
    struct Row {
        const char* family;
        size_t loaded;
        size_t boxes;
    };
    const Row rows[] = {{"stored", 2, 0}, {"basic", 1, 1},    {"monitor", 2, 0}, {"lifting", 1, 1},
                        {"conn", 1, 1},   {"recorder", 1, 1}, {"trip", 1, 1}};

    auto common = [](const auto& s) {
        EXPECT_EQ(s.ByteIndex, 2);
        EXPECT_EQ(s.StartBit, 3);
        EXPECT_EQ(s.BitLenth, 16);
        EXPECT_FLOAT_EQ(s.Conversion, 0.5f);
        EXPECT_FLOAT_EQ(s.Offset, -40.0f);
        EXPECT_EQ(s.DataType, "Unsigned");
        EXPECT_EQ(s.SecurityLeve, "1");
        EXPECT_EQ(s.Unit, "km/h");
    };
    auto head = [](const auto& did) {
        EXPECT_EQ(did.DidNumber, "00A1");
        EXPECT_EQ(did.name, "车速");
        EXPECT_EQ(did.RWType, "RW");
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.family);
        prompter_.Clear();
        const std::string f = row.family;
        size_t loaded = 0;
        if (f == "stored") {
            auto t = Read<_tagStoredDIDdesc_>("families.xml");
            loaded = t.size();
            head(t[0]);
            common(t[0].SubFields[0]);
            EXPECT_EQ(t[0].SubFields[0].SubDataName, "速度");
        } else if (f == "basic") {
            std::vector<_tagABSDIDdesc_> t;
            TiXmlDocument doc;
            ASSERT_TRUE(LoadXmlFile(doc, Fixture("families.xml")));
            for (const TiXmlNode* n = FindXmlElementByPath(doc, kDidDefinitionPath); n; n = n->NextSibling())
                ReadBasicParameterDidElement(n, t);
            loaded = t.size();
            head(t[0]);
            common(t[0].SubFields[0]);
            EXPECT_EQ(t[0].SubFields[0].SubDataName, "速度");
            EXPECT_EQ(t[0].SubFields[0].DecimalValid, 2);
            EXPECT_EQ(t[0].SubFields[0].Description, "说明");
        } else if (f == "monitor") {
            std::vector<_tagMonitorDIDdesc_> t;
            TiXmlDocument doc;
            ASSERT_TRUE(LoadXmlFile(doc, Fixture("families.xml")));
            for (const TiXmlNode* n = FindXmlElementByPath(doc, kDidDefinitionPath); n; n = n->NextSibling())
                ReadMonitorDidElement(n, t);
            loaded = t.size();
            head(t[0]);
            common(t[0].SubFields[0]);
            EXPECT_EQ(t[0].SubFields[0].DecimalValid, 2);
            EXPECT_EQ(t[1].SubFields[0].SubDataName, "only nine");
        } else if (f == "lifting") {
            std::vector<_tagLiftingAxleDIDdesc_> t;
            TiXmlDocument doc;
            ASSERT_TRUE(LoadXmlFile(doc, Fixture("families.xml")));
            for (const TiXmlNode* n = FindXmlElementByPath(doc, kDidDefinitionPath); n; n = n->NextSibling())
                ReadLiftingAxleDidElement(n, t);
            loaded = t.size();
            head(t[0]);
            common(t[0].SubFields[0]);
            EXPECT_EQ(t[0].SubFields[0].DecimalValid, 2);
            EXPECT_EQ(t[0].SubFields[0].Description, "说明");
        } else if (f == "conn") {
            std::vector<_tagConnDIDdesc_> t;
            TiXmlDocument doc;
            ASSERT_TRUE(LoadXmlFile(doc, Fixture("families.xml")));
            for (const TiXmlNode* n = FindXmlElementByPath(doc, kDidDefinitionPath); n; n = n->NextSibling())
                ReadConnectorsDidElement(n, t);
            loaded = t.size();
            head(t[0]);
            common(t[0].SubFields[0]);
            EXPECT_EQ(t[0].SubFields[0].SubDataID, "S01");
            EXPECT_EQ(t[0].SubFields[0].Description, "说明");
            EXPECT_EQ(t[0].SubFields[0].DecimalValid, 2);
            EXPECT_EQ(t[0].SubFields[0].Abbreviation, "SPD");
        } else if (f == "recorder") {
            auto t = Read<_tagODRDIDdesc_>("families.xml");
            loaded = t.size();
            head(t[0]);
            common(t[0].SubFields[0]);
            EXPECT_EQ(t[0].SubFields[0].Description, "说明");
            EXPECT_EQ(t[0].SubFields[0].DecimalValid, 2);
        } else if (f == "trip") {
            auto t = Read<_tagODRTRIPINFODIDdesc_>("families.xml");
            loaded = t.size();
            head(t[0]);
            common(t[0].SubFields[0]);
            EXPECT_EQ(t[0].SubFields[0].SubDataName, "速度");
            EXPECT_EQ(t[0].SubFields[0].Description, "说明");
        }
        EXPECT_EQ(loaded, row.loaded);
        EXPECT_EQ(BoxRows(), std::vector<int>(row.boxes, 80));
    }
}

TEST_F(DidReaderTest, FileNamesFollowTheLanguage)
{
    const char* const base = "VADE_MonitorParameterConfig/VADE_MonitorParameter";
    const std::pair<int, const char*> cases[] = {{0, "_zh"},      {1, "_en"},     {2, "_russian"}, {3, "_spanish"},
                                                 {4, "_portug"}, {-1, "_en"},    {5, "_en"}};
    for (const auto& c : cases) {
        EXPECT_EQ(DefinitionFileName(base, c.first), std::string(base) + c.second + ".xml");
        LanguageIndex = c.first;
        EXPECT_EQ(DefinitionFileName(base), std::string(base) + c.second + ".xml");
    }
    LanguageIndex = -1;
}

// ---- The stored-parameter file beside the program ----

class StoredParameterTest : public DidReaderTest {
protected:
    StoredParameterTest()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvel-definitions-XXXXXX").string();
        folder_ = mkdtemp(&pattern[0]);
        tarvel::SetProgramFolder(folder_);
        std::filesystem::create_directories(folder_ + "/VADE_StoredParameterConfig");
        LanguageIndex = -1;
    }
    ~StoredParameterTest() override
    {
        tarvel::SetProgramFolder("");
        LanguageIndex = -1;
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    void Install(const std::string& fixture, const std::string& suffix)
    {
        std::filesystem::copy_file(Fixture(fixture),
                                   folder_ + "/VADE_StoredParameterConfig/VADE_StoredParameter" + suffix + ".xml",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    void PreFill()
    {
        StoredDidTable.assign(3, _tagStoredDIDdesc_{});
        StoredDidList.assign(4, _tagStoredDIDdesc_{});
    }

    std::string folder_;
};

TEST_F(StoredParameterTest, LanguageMinusOneLoadsTheEnglishFileIntoBothTables)
{
    Install("comment_between.xml", "_en");
    PreFill();
    LoadStoredParameterConfig();
    EXPECT_EQ(Numbers(StoredDidTable), (Strings{"F18A", "F18C"}));
    EXPECT_EQ(Numbers(StoredDidList), (Strings{"F18A", "F18C"}));
    EXPECT_EQ(BoxRows(), std::vector<int>{79});
}

TEST_F(StoredParameterTest, MissingOrMalformedFileShowsBox455AndLeavesBothTablesEmpty)
{
    Install("comment_between.xml", "_en");
    Install("malformed.xml", "_russian");
    for (int language : {0, 2}) { // "_zh" is missing, "_russian" is malformed
        SCOPED_TRACE(language);
        prompter_.Clear();
        LanguageIndex = language;
        PreFill();
        LoadStoredParameterConfig();
        EXPECT_TRUE(StoredDidTable.empty());
        EXPECT_TRUE(StoredDidList.empty());
        EXPECT_EQ(BoxRows(), std::vector<int>{455});
        EXPECT_EQ(prompter_.Boxes().at(0).icon, tarvel::MsgIcon::None);
    }
    // The program goes on: the next load with a good file works.
    LanguageIndex = 1;
    prompter_.Clear();
    LoadStoredParameterConfig();
    EXPECT_EQ(StoredDidList.size(), 2u);
}

TEST_F(StoredParameterTest, ShippedFilesLoadInEveryLanguage)
{
    const std::string shipped = std::string(TARVEL_DEFINITION_FIXTURES) + "/../../../data/VADE_StoredParameterConfig";
    for (int language = 0; language < 5; ++language) {
        SCOPED_TRACE(language);
        tarvel::SetProgramFolder(shipped + "/..");
        LanguageIndex = language;
        LoadStoredParameterConfig();
        EXPECT_FALSE(StoredDidTable.empty());
        EXPECT_EQ(StoredDidList.size(), StoredDidTable.size());
    }
    EXPECT_TRUE(BoxRows().empty());
}

// ---- Damaged files ----

namespace {

class DamagedDefinitionTest : public BoxTest {
protected:
    DamagedDefinitionTest()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvel-damaged-XXXXXX").string();
        if (!mkdtemp(&pattern[0])) throw std::runtime_error("mkdtemp failed");
        folder_ = pattern;
    }
    ~DamagedDefinitionTest() override
    {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string folder_;
};

std::string OneFieldDid(const std::string& number, const std::string& byteIndex, const std::string& bitLength)
{
    return "<DID DidNumber=\"" + number + "\" name=\"n\" RWType=\"R\"><SUB SubDataName=\"s\" ByteIndex=\"" + byteIndex +
           "\" StartBit=\"0\" BitLenth=\"" + bitLength +
           "\" Conversion=\"1\" Offset=\"0\" DataType=\"Unsigned\" SecurityLeve=\"0\" Unit=\"\" DecimalValid=\"0\" "
           "Description=\"\"/></DID>";
}

} // namespace

TEST_F(DamagedDefinitionTest, AFieldOutsideTheLargestRecordIsRefusedWhenTheFileLoads)
{
    struct {
        const char* byteIndex;
        const char* bitLength;
        bool loads;
    } cases[] = {
        {"2147483648", "8", false}, // 2^31: not even an int
        {"2147483647", "8", false}, // would size a block of 2 GiB
        {"4095", "8", false},       // one byte past the largest record
        {"4087", "72", false},
        {"0", "2147483647", false},
        {"-1", "8", false},
        {"4094", "8", true}, // the last byte of the largest record
        {"4087", "64", true},
        {"4094", "3", true},
    };
    std::string dids;
    std::vector<std::string> expected;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string number = "00" + std::to_string(10 + i);
        dids += OneFieldDid(number, cases[i].byteIndex, cases[i].bitLength);
        if (cases[i].loads)
            expected.push_back(number);
    }
    const std::string path = Write("fields.xml", "<PARAMETER-CONFIGURATION><DID-DEF>" + dids +
                                                     "</DID-DEF></PARAMETER-CONFIGURATION>");
    const auto numbers = [](const auto& table) {
        Strings n;
        for (const auto& did : table) n.push_back(did.DidNumber);
        return n;
    };
    // Every family, the recorder's lenient number reading included.
    std::vector<_tagABSDIDdesc_> basic;
    ASSERT_TRUE(LoadDidDefinitionFile(path, 453, basic));
    EXPECT_EQ(numbers(basic), expected);
    std::vector<_tagMonitorDIDdesc_> monitor;
    ASSERT_TRUE(LoadDidDefinitionFile(path, 453, monitor));
    EXPECT_EQ(numbers(monitor), expected);
    std::vector<_tagODRDIDdesc_> recorder;
    ASSERT_TRUE(LoadDidDefinitionFile(path, 453, recorder, RecorderDidReadRules()));
    EXPECT_EQ(numbers(recorder), expected);
    const size_t refused = std::size(cases) - expected.size();
    EXPECT_EQ(BoxRows(), std::vector<int>(3 * refused, 80));
}

TEST_F(DamagedDefinitionTest, AFileCutInsideACharacterGivesTheDefinitionFileBox)
{
    const std::string good = "<PARAMETER-CONFIGURATION><DID-DEF>" + OneFieldDid("0001", "0", "8") +
                             "</DID-DEF></PARAMETER-CONFIGURATION>\n";
    const std::string files[] = {
        std::string("<?xml><F>\xED", 10), // ten bytes that made the parser read past the file
        good + "\xE5\x90",                 // the last character cut off after its root element
        good + "\xF0",
        // Cut off before a Windows line end, which the parser gets as a lone LF.
        good + "\xE4\r\n",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<PARAMETER-CONFIGURATION><DID-DEF><DID DidNumber=\"\xE4\r\n",
    };
    for (const std::string& bytes : files) {
        prompter_.Clear();
        std::vector<_tagMonitorDIDdesc_> table;
        EXPECT_FALSE(LoadDidDefinitionFile(Write("cut.xml", bytes), 453, table));
        EXPECT_TRUE(table.empty());
        EXPECT_EQ(BoxRows(), std::vector<int>{453});
    }
    // The same file whole loads.
    prompter_.Clear();
    std::vector<_tagMonitorDIDdesc_> table;
    EXPECT_TRUE(LoadDidDefinitionFile(Write("whole.xml", good + "<!--\xE5\x90\x8D-->"), 453, table));
    EXPECT_EQ(table.size(), 1u);
    EXPECT_TRUE(BoxRows().empty());
}
