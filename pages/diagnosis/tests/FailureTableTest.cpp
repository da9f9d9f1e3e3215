// The fault table shared by the fault memory page and the end-of-line fault
// check: its files in every language, its loader's edge cases, the line text
// of one fault and the splitting of the ECU's fault text.
#include "FailureTable.h"

#include "DiagnosisGlobals.h"
#include "LanguageTable.h"
#include "ProgramPaths.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;

using Records = std::vector<std::vector<std::string>>;

TEST(FailureTableFile, NamedByLanguageWithEnglishForAnyOtherIndex)
{
    EXPECT_EQ(FailureTableFileName(0), "VADE_FaultTable/VADE_FailureTable_zh.xml");
    EXPECT_EQ(FailureTableFileName(1), "VADE_FaultTable/VADE_FailureTable_en.xml");
    EXPECT_EQ(FailureTableFileName(2), "VADE_FaultTable/VADE_FailureTable_russian.xml");
    EXPECT_EQ(FailureTableFileName(3), "VADE_FaultTable/VADE_FailureTable_spanish.xml");
    EXPECT_EQ(FailureTableFileName(4), "VADE_FaultTable/VADE_FailureTable_portug.xml");
    EXPECT_EQ(FailureTableFileName(5), "VADE_FaultTable/VADE_FailureTable_en.xml");
    EXPECT_EQ(FailureTableFileName(-1), "VADE_FaultTable/VADE_FailureTable_en.xml");
}

// A program folder of the test's own holding the English fault table as given.
class FailureTableLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tarvel-faulttable-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        fs::create_directories(folder_ / "VADE_FaultTable");
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    void WriteEnglishTable(const std::string& rows)
    {
        std::ofstream(folder_ / "VADE_FaultTable" / "VADE_FailureTable_en.xml")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<USER-CONFIGURATION>\n  <USER-DEF>\n" << rows
            << "  </USER-DEF>\n</USER-CONFIGURATION>\n";
    }
    bool LoadFromOwnFolder()
    {
        tarvel::ScopedProgramFolder own(folder_.string());
        return LoadFailureTable();
    }

    // English texts for the boxes.
    tarvel_test::PageBench bench;
    fs::path folder_;
};

TEST_F(FailureTableLoad, EveryShippedLanguageLoadsTheSameCodes)
{
    LanguageIndex = 1;
    ASSERT_TRUE(LoadFailureTable());
    const std::vector<std::string> english = DtcNumbers;
    ASSERT_FALSE(english.empty());
    EXPECT_EQ(DtcDisplays[0], "C0113");
    EXPECT_EQ(DtcMeanings[0], "Sensor c wheel speed signal implausible");

    for (int language : {0, 2, 3, 4}) {
        SCOPED_TRACE(language);
        LanguageIndex = language;
        ASSERT_TRUE(LoadFailureTable());
        EXPECT_EQ(DtcNumbers, english);
        EXPECT_EQ(DtcDisplays.size(), english.size());
        ASSERT_EQ(DtcMeanings.size(), english.size());
        EXPECT_NE(DtcMeanings[0], "Sensor c wheel speed signal implausible");
    }
    LanguageIndex = 0;
    ASSERT_TRUE(LoadFailureTable());
    EXPECT_EQ(DtcMeanings[0], "c轮速信号不可信");
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(FailureTableLoad, MissingFileShowsItsBoxAndLeavesEveryCodeUndefined)
{
    ASSERT_TRUE(LoadFailureTable());
    ASSERT_FALSE(DtcNumbers.empty());

    EXPECT_FALSE(LoadFromOwnFolder());
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("The fault table file could not be loaded", "Error")));
    EXPECT_THAT(DtcNumbers, IsEmpty());
    EXPECT_THAT(DtcDisplays, IsEmpty());
    EXPECT_THAT(DtcMeanings, IsEmpty());
    EXPECT_EQ(LookupDtcText("0x5A0113", "Current Fault"), "Current Fault :  0x5A0113  Trouble Code Undefined");
}

TEST_F(FailureTableLoad, MalformedFileIsRefusedLikeAMissingOne)
{
    std::ofstream(folder_ / "VADE_FaultTable" / "VADE_FailureTable_en.xml") << "<USER-CONFIGURATION><USER-DEF>";
    EXPECT_FALSE(LoadFromOwnFolder());
    EXPECT_EQ(bench.prompter.Count(), 1u);
    EXPECT_THAT(DtcNumbers, IsEmpty());
}

TEST_F(FailureTableLoad, CommentsArePassedOverAndMissingAttributesReadEmpty)
{
    WriteEnglishTable("    <DID DTCNumber=\"0x1\" DTCDisplay=\"A1\" DTCMeaning=\"first\"/>\n"
                      "    <!-- retired: 0x2 -->\n"
                      "    <DID DTCNumber=\"0x3\" DTCMeaning=\"no display\"/>\n");
    ASSERT_TRUE(LoadFromOwnFolder());
    EXPECT_THAT(DtcNumbers, ElementsAre("0x1", "0x3"));
    EXPECT_THAT(DtcDisplays, ElementsAre("A1", ""));
    EXPECT_THAT(DtcMeanings, ElementsAre("first", "no display"));
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(FailureTableLoad, TheLaterOfTwoRowsWithOneCodeWins)
{
    WriteEnglishTable("    <DID DTCNumber=\"0x5A0113\" DTCDisplay=\"OLD\" DTCMeaning=\"old meaning\"/>\n"
                      "    <DID DTCNumber=\"0x004811\" DTCDisplay=\"Z4811\" DTCMeaning=\"written with zeros\"/>\n"
                      "    <DID DTCNumber=\"0x5A0113\" DTCDisplay=\"NEW\" DTCMeaning=\"new meaning\"/>\n");
    ASSERT_TRUE(LoadFromOwnFolder());
    EXPECT_EQ(LookupDtcText("0x5A0113", "Current Fault"), "Current Fault :  NEW -- new meaning");
    // The ECU's reply renders no leading zeros; a row that writes them does
    // not match, and codes compare case-sensitively.
    EXPECT_EQ(LookupDtcText("0x4811", "History Fault"), "History Fault :  0x4811  Trouble Code Undefined");
    EXPECT_EQ(LookupDtcText("0x5a0113", "History Fault"), "History Fault :  0x5a0113  Trouble Code Undefined");
}

TEST(DtcFaultText, SplitIntoRecordsAndFields)
{
    struct Case {
        const char* text;
        Records records;
    };
    const Case cases[] = {
        {" ；No Fault", {{" ", "No Fault"}}},
        {"", {}},
        {"0x5A0113；Current Fault**0xC11087；History Fault**",
         {{"0x5A0113", "Current Fault"}, {"0xC11087", "History Fault"}}},
        // A code whose status had no word is a record of one field.
        {"0x1**0x2；History Fault**", {{"0x1"}, {"0x2", "History Fault"}}},
        // Whole characters: the Chinese words and a full-width letter sharing
        // the separator's first bytes stay whole.
        {"0x5A0113；当前故障**0x4811；历史故障**", {{"0x5A0113", "当前故障"}, {"0x4811", "历史故障"}}},
        {"0x1；Ｆａｌｈａ**", {{"0x1", "Ｆａｌｈａ"}}},
        {"0x1；Falha histórica**", {{"0x1", "Falha histórica"}}},
        // Runs of separators separate once; empty pieces are dropped.
        {"***0x1；；History Fault****", {{"0x1", "History Fault"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SplitDtcFaultText(c.text), c.records);
    }
}

} // namespace
