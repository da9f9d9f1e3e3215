#include <gtest/gtest.h>

#include "ReportTextTable.h"
#include "ReportsTestSupport.h"

using namespace reports_test;

namespace {

const char* kFile = "VADE_PDFUsedStringConfig/LanguagePDFConfig.xml";

std::string Did(int item, const std::string& s, const char* element = "DID")
{
    return std::string("<") + element + " Item=\"" + std::to_string(item) + "\" Chinese=\"中文" + s +
           "\" English=\"Résumé " + s + "\" Russian=\"Жёлтый " + s + "\" Spanish=\"Año " + s +
           "\" Portug=\"Não " + s + "\" />\n";
}

std::string Config(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<USER-CONFIGURATION>\n" + body + "</USER-CONFIGURATION>\n";
}

class PdfTextTableTest : public ReportFolderTest {
protected:
    PdfTextTableTest() : scopedFolder_(folder_) {}
    void Write(const std::string& body) { WriteFile(Path(kFile), Config(body)); }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& row : PdfTextTable) texts.push_back(row.text);
        return texts;
    }
    tarvel::ScopedProgramFolder scopedFolder_;
};

} // namespace

TEST_F(PdfTextTableTest, ReadsTheAttributeOfTheLanguageAsUtf8)
{
    Write("<USER-DEF>\n" + Did(7, "a") + Did(3, "b") + "</USER-DEF>\n");
    const struct {
        int language;
        std::string first;
    } cases[] = {
        {0, "中文a"},
        {1, "Résumé a"}, // English too is UTF-8, not a legacy code page
        {2, "Жёлтый a"},
        {3, "Año a"},
        {4, "Não a"},
        {7, "Résumé a"}, // any other index reads English
        {-1, "Résumé a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        LanguageIndex = c.language;
        ASSERT_TRUE(LoadPdfLanguageConfig());
        ASSERT_EQ(PdfTextTable.size(), 2u);
        EXPECT_EQ(PdfText(0), c.first);
        // Rows are positions: Items are kept but not used for lookup.
        EXPECT_EQ(PdfTextTable[0].Item, 7);
        EXPECT_EQ(PdfTextTable[1].Item, 3);
    }
    EXPECT_EQ(prompter_.Count(), 0u);
}

TEST_F(PdfTextTableTest, ReadsOnlyTheFirstUserDefAndEverySiblingElementOfItsFirstDid)
{
    Write("<USER-DEF>\n<OTHER Item=\"99\" English=\"before the first DID\" />\n" + Did(0, "a") +
          "<!-- a comment -->\n" + Did(1, "b", "ROW") + "loose text\n" +
          "<DID English=\"no item\" />\n" + "<DID Item=\"2\" Chinese=\"only Chinese\" />\n" + Did(3, "c") +
          "</USER-DEF>\n<USER-DEF>\n" + Did(4, "later") + "</USER-DEF>\n");
    LanguageIndex = 1;
    ASSERT_TRUE(LoadPdfLanguageConfig());
    // The element before the first DID is not read, the comment, the text and
    // the row without Item are skipped, the ROW sibling is read, a missing
    // attribute gives an empty text, the second USER-DEF is ignored.
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Résumé a", "Résumé b", "", "Résumé c"}));
    EXPECT_EQ(PdfTextTable[1].Item, 1);
    EXPECT_EQ(PdfTextTable[2].Item, 2);
}

TEST_F(PdfTextTableTest, AMissingOrBrokenFileShowsTheBoxAndKeepsTheTable)
{
    for (const std::string& content : {std::string(), std::string("<USER-CONFIGURATION><USER-DEF><DID Item=\"1\"")}) {
        SCOPED_TRACE(content);
        prompter_.Clear();
        std::error_code ec;
        std::filesystem::remove(Path(kFile), ec);
        if (!content.empty()) WriteFile(Path(kFile), content);
        PdfTextTable = {{5, "kept"}, {6, "rows"}};
        EXPECT_FALSE(LoadPdfLanguageConfig());
        ASSERT_EQ(prompter_.Count(), 1u);
        const auto box = prompter_.Boxes()[0];
        EXPECT_EQ(box.text, "LanguageConfig.xml File Not Found！");
        EXPECT_EQ(box.caption, "Warning");
        EXPECT_EQ(box.buttons, tarvel::MsgButtons::OkCancel);
        EXPECT_EQ(Texts(), (std::vector<std::string>{"kept", "rows"}));
    }
}

TEST_F(PdfTextTableTest, AFileWithoutRowsEmptiesTheTableQuietly)
{
    for (const std::string& body : {std::string(), std::string("<USER-DEF>\n<ROW Item=\"1\" English=\"x\" />\n</USER-DEF>\n")}) {
        PdfTextTable = {{5, "old"}};
        Write(body);
        EXPECT_TRUE(LoadPdfLanguageConfig());
        EXPECT_TRUE(PdfTextTable.empty());
    }
    EXPECT_EQ(prompter_.Count(), 0u);
}

TEST_F(PdfTextTableTest, LookupsOutsideTheTableGiveEmptyText)
{
    PdfTextTable = {{0, "zero"}, {1, "one"}};
    EXPECT_EQ(PdfText(1), "one");
    EXPECT_EQ(PdfText(2), "");
    EXPECT_EQ(PdfText(113), "");
    EXPECT_EQ(PdfText(-1), "");
}

// The shipped table: every row the reports and the test pages use has a text
// in every language, and row N carries Item N.
TEST(ShippedPdfTextTable, HasEveryRowInEveryLanguage)
{
    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter scopedPrompter(prompter);
    tarvel::ScopedProgramFolder folder(TARVEL_DATA_DIR);
    for (int language = 0; language < kLanguageCount; ++language) {
        SCOPED_TRACE(language);
        LanguageIndex = language;
        ASSERT_TRUE(LoadPdfLanguageConfig());
        ASSERT_GE(PdfTextTable.size(), 116u);
        for (int row = 0; row <= 115; ++row) {
            EXPECT_EQ(PdfTextTable[static_cast<size_t>(row)].Item, row);
            EXPECT_FALSE(PdfText(row).empty()) << "row " << row;
        }
    }
    EXPECT_EQ(prompter.Count(), 0u);
    PdfTextTable.clear();
    LanguageIndex = -1;
}
