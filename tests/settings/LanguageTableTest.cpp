#include <gtest/gtest.h>

#include "LanguageChange.h"
#include "Restarter.h"
#include "SettingsTestSupport.h"

using namespace settings_test;

namespace {

const char* kZh = "软件将关闭，语言设置将在重新打开软件后生效";
const char* kEn = "Software will close and the language setting will take effect after reopening the software";
const char* kRu = "Программное обеспечение закроется, и языковые настройки вступят в силу после повторного "
                  "открытия программного обеспечения";
const char* kEs = "El software se cerrará y la configuración de idioma entrará en vigor después de volver a abrir "
                  "el software";
const char* kPt = "O software será fechado e as configurações de idioma entrarão em vigor após a reabertura do "
                  "software";

std::string Did(int item, const std::string& suffix)
{
    return "<DID Item=\"" + std::to_string(item) + "\" Chinese=\"测试" + suffix + "\" English=\"Test Result：" +
           suffix + "\" Russian=\"Результат" + suffix + "\" Spanish=\"Resultado ñ" + suffix +
           "\" Portug=\"Resultado ç" + suffix + "\" />\n";
}

// Items deliberately out of order: rows are positions, not Items.
std::string LanguageConfig()
{
    return UserConfig(Did(5, "0") + "<!-- comment between rows -->\n" + Did(3, "1") + Did(900, "2") + Did(0, "3") +
                      Did(1, "4") + Did(2, "5"));
}

class LanguageTableTest : public ProgramFolderTest {
protected:
    LanguageTableTest() { WriteFile(Path("LanguageConfig.xml"), LanguageConfig()); }
};

} // namespace

TEST_F(LanguageTableTest, RowsArePositionsWhateverTheirItems)
{
    LanguageIndex = 1;
    ASSERT_TRUE(LoadLanguageConfig());
    ASSERT_EQ(LanguageTable.size(), 6u);
    EXPECT_EQ(LanguageTable[0].Item, 5);
    EXPECT_EQ(LanguageTable[2].Item, 900);
    EXPECT_EQ(LanguageText(5), "Test Result：5");
    EXPECT_EQ(LanguageText(3), "Test Result：3");
    EXPECT_EQ(LanguageText(6), "");
    EXPECT_EQ(LanguageText(1000), "");
    EXPECT_EQ(LanguageText(-1), "");
    EXPECT_EQ(prompter_.Count(), 0u);
}

TEST_F(LanguageTableTest, EveryLanguageIndexSelectsItsAttributeAndFiles)
{
    struct Case {
        int index;
        const char* attribute;
        const char* suffix;
        const char* mapping;
        const char* row1;
    };
    const Case cases[] = {
        {0, "Chinese", "_zh", "FileName_zh", "测试1"},
        {1, "English", "_en", "FileName_en", "Test Result：1"},
        {2, "Russian", "_russian", "FileName_russian", "Результат1"},
        {3, "Spanish", "_spanish", "FileName_spanish", "Resultado ñ1"},
        {4, "Portug", "_portug", "FileName_portug", "Resultado ç1"},
        {-1, "English", "_en", "FileName_en", "Test Result：1"},
        {7, "English", "_en", "FileName_en", "Test Result：1"},
    };
    for (const Case& c : cases) {
        LanguageIndex = c.index;
        EXPECT_STREQ(LanguageTextAttribute(c.index), c.attribute) << c.index;
        EXPECT_STREQ(LanguageFileSuffix(), c.suffix) << c.index;
        EXPECT_STREQ(LanguageMappingAttribute(), c.mapping) << c.index;
        EXPECT_EQ(LanguageFileName("VADE_FaultTable/VADE_FailureTable"),
                  std::string("VADE_FaultTable/VADE_FailureTable") + c.suffix + ".xml")
            << c.index;
        ASSERT_TRUE(LoadLanguageConfig());
        EXPECT_EQ(LanguageTable.size(), 6u) << "the table is emptied before each load";
        EXPECT_EQ(LanguageText(1), c.row1) << c.index;
    }
}

TEST_F(LanguageTableTest, MissingOrMalformedFileWarnsAndKeepsTheTable)
{
    LanguageIndex = 1;
    ASSERT_TRUE(LoadLanguageConfig());
    for (const char* content : {"", "<USER-CONFIGURATION><USER-DEF><DID Item=\"1\""}) {
        prompter_.Clear();
        if (*content) {
            WriteFile(Path("LanguageConfig.xml"), content);
        } else {
            std::filesystem::remove(Path("LanguageConfig.xml"));
        }
        EXPECT_FALSE(LoadLanguageConfig());
        ASSERT_EQ(prompter_.Count(), 1u);
        const auto box = prompter_.Boxes()[0];
        EXPECT_EQ(box.text, "LanguageConfig.xml File Not Found！");
        EXPECT_EQ(box.caption, "Warning");
        EXPECT_EQ(box.buttons, tarvel::MsgButtons::OkCancel);
        EXPECT_EQ(LanguageTable.size(), 6u);
        EXPECT_EQ(LanguageText(5), "Test Result：5");
    }
}

TEST_F(LanguageTableTest, RowsWithoutTheirAttributesDoNotStopTheLoad)
{
    WriteFile(Path("LanguageConfig.xml"),
              UserConfig("<DID Chinese=\"only chinese\" />\n<DID Item=\"x\" English=\"bad \xFF byte\" />\n" +
                         Did(8, "z")));
    LanguageIndex = 1;
    ASSERT_TRUE(LoadLanguageConfig());
    ASSERT_EQ(LanguageTable.size(), 3u);
    EXPECT_EQ(LanguageTable[0].Item, 0);
    EXPECT_EQ(LanguageText(0), "");
    EXPECT_EQ(LanguageText(1), "bad \xEF\xBF\xBD byte");
    EXPECT_EQ(LanguageText(2), "Test Result：z");
}

TEST(RefreshLanguage, CallsTheInstalledHandlerOnly)
{
    SetRefreshLanguageHandler({});
    RefreshLanguage(); // no handler: nothing happens
    int calls = 0;
    SetRefreshLanguageHandler([&] { ++calls; });
    RefreshLanguage();
    RefreshLanguage();
    EXPECT_EQ(calls, 2);
    SetRefreshLanguageHandler({});
}

TEST(LanguageChangeNotice, SentenceOrderPerLanguage)
{
    auto join = [](std::initializer_list<const char*> parts) {
        std::string s;
        for (const char* p : parts) s += (s.empty() ? "" : "\n\n") + std::string(p);
        return s;
    };
    EXPECT_EQ(LanguageChangeNotice(0), join({kZh, kEn, kRu, kEs, kPt}));
    EXPECT_EQ(LanguageChangeNotice(1), join({kEn, kZh, kRu, kEs, kPt}));
    EXPECT_EQ(LanguageChangeNotice(2), join({kRu, kZh, kEn, kEs, kPt}));
    EXPECT_EQ(LanguageChangeNotice(3), join({kEs, kZh, kEn, kRu, kPt}));
    EXPECT_EQ(LanguageChangeNotice(4), join({kPt, kEs, kZh, kEn, kRu}));
    EXPECT_EQ(LanguageChangeNotice(-1), "");
    EXPECT_EQ(LanguageChangeNotice(5), "");
}

// ---- the language combo ----------------------------------------------------

namespace {

// Notes what was on disk and on screen when the restart was asked for.
class CheckingRestarter : public tarvel::Restarter {
public:
    CheckingRestarter(const std::string& folder, tarvel::RecordingPrompter& prompter)
        : folder_(folder), prompter_(prompter)
    {
    }
    void Restart(const std::string& executablePath) override
    {
        requests.push_back(executablePath);
        lastConfigAtRestart = ReadFile(folder_ + "/LastConfig.xml");
        lastStringAtRestart = ReadFile(folder_ + "/LastStringConfig.xml");
        boxesAtRestart = prompter_.Count();
    }
    std::vector<std::string> requests;
    std::string lastConfigAtRestart;
    std::string lastStringAtRestart;
    size_t boxesAtRestart = 0;

private:
    std::string folder_;
    tarvel::RecordingPrompter& prompter_;
};

class LanguageChangeTest : public LanguageTableTest {
protected:
    LanguageChangeTest() : restarter_(folder_, prompter_), scopedRestarter_(restarter_)
    {
        WriteFile(Path("LastConfig.xml"), ReadFile(std::string(TARVEL_DATA_DIR) + "/LastConfig.xml"));
        WriteFile(Path("LastStringConfig.xml"), DefaultLastStringConfigText());
        EXPECT_TRUE(LoadLastConfig());
        EXPECT_TRUE(LoadLastStringConfig());
        EXPECT_EQ(LanguageIndex, 1);
        prompter_.Clear();
    }

    CheckingRestarter restarter_;
    tarvel::ScopedRestarter scopedRestarter_;
};

} // namespace

TEST_F(LanguageChangeTest, AnotherLanguageSavesBothFilesShowsTheNoticeAndRestartsThisProgram)
{
    DownLoadFilePath = "/firmware";
    EXPECT_TRUE(OnLanguageChanged(2));
    EXPECT_EQ(LanguageIndex, 2);

    ASSERT_EQ(restarter_.requests.size(), 1u);
    EXPECT_EQ(restarter_.requests[0], tarvel::ExecutablePath());
    EXPECT_NE(restarter_.requests[0].find("test_settings"), std::string::npos);

    // Both files were written before the restart was asked for.
    EXPECT_NE(restarter_.lastConfigAtRestart.find("ItemName=\"Language\" nIndex=\"2\""), std::string::npos)
        << restarter_.lastConfigAtRestart;
    EXPECT_NE(restarter_.lastStringAtRestart.find("nIndex=\"/firmware\""), std::string::npos);

    // The notice came first, in Russian first.
    EXPECT_EQ(restarter_.boxesAtRestart, 1u);
    ASSERT_EQ(prompter_.Count(), 1u);
    const auto box = prompter_.Boxes()[0];
    EXPECT_EQ(box.caption, "Tips");
    EXPECT_EQ(box.icon, tarvel::MsgIcon::Exclamation);
    EXPECT_EQ(box.text, LanguageChangeNotice(2));
    EXPECT_EQ(box.text.rfind(kRu, 0), 0u);
}

TEST_F(LanguageChangeTest, TheActiveLanguageOrNoSelectionChangesNothing)
{
    const std::string lastConfig = ReadFile(Path("LastConfig.xml"));
    const std::string lastString = ReadFile(Path("LastStringConfig.xml"));
    DownLoadFilePath = "/changed";
    for (int row : {1, -1, 5}) {
        EXPECT_FALSE(OnLanguageChanged(row)) << row;
        EXPECT_EQ(LanguageIndex, 1);
    }
    EXPECT_TRUE(restarter_.requests.empty());
    EXPECT_EQ(prompter_.Count(), 0u);
    EXPECT_EQ(ReadFile(Path("LastConfig.xml")), lastConfig);
    EXPECT_EQ(ReadFile(Path("LastStringConfig.xml")), lastString);
}
