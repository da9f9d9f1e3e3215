#include <gtest/gtest.h>

#include "FailingFileSystem.h"
#include "FileSystem.h"
#include "SettingsTestSupport.h"
#include "XmlHelpers.h"

#include <cerrno>

using namespace settings_test;

namespace {

std::string FolderRecords(const std::string& prefix)
{
    std::string dids;
    const char* names[] = {"DownLoadFilePath", "CalibParamFilePath", "EOLReportsFilePath", "PrintSystemFilePath",
                           "ODRInfoFilePath"};
    for (int i = 0; i < 5; ++i) {
        dids += "<DID ItemName=\"" + std::string(names[i]) + "\" nIndex=\"" + prefix + std::to_string(i) + "\" />\n";
    }
    return UserConfig(dids);
}

std::vector<std::string> Folders()
{
    return {DownLoadFilePath, CalibParamFilePath, EOLReportsFilePath, PrintSystemFilePath, ODRInfoFilePath};
}

std::vector<std::string> FoldersWithPrefix(const std::string& prefix)
{
    std::vector<std::string> v;
    for (int i = 0; i < 5; ++i) v.push_back(prefix + std::to_string(i));
    return v;
}

const std::vector<std::string> kDefaultFolders(5, "C:\\");

struct Records {
    std::vector<std::string> names;
    std::vector<std::string> values;
    std::vector<std::string> notes;
    int comments = 0;
};

Records ReadRecords(const std::string& path)
{
    Records r;
    TiXmlDocument doc;
    EXPECT_TRUE(doc.LoadFile(path.c_str())) << path;
    const TiXmlElement* first = FindXmlElementByPath(&doc, "USER-CONFIGURATION/USER-DEF/DID");
    for (const TiXmlElement* e = first; e; e = e->NextSiblingElement()) {
        r.names.push_back(e->Attribute("ItemName") ? e->Attribute("ItemName") : "");
        r.values.push_back(e->Attribute("nIndex") ? e->Attribute("nIndex") : "");
        r.notes.push_back(e->Attribute("Note") ? e->Attribute("Note") : "");
    }
    if (first) {
        for (const TiXmlNode* n = first->Parent()->FirstChild(); n; n = n->NextSibling()) {
            if (n->Type() == TiXmlNode::TINYXML_COMMENT) ++r.comments;
        }
    }
    return r;
}

const char* kMinimalLanguageConfig =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?><USER-CONFIGURATION><USER-DEF>"
    "<DID Item=\"0\" Chinese=\"\xE4\xB8\xBB\xE9\xA1\xB5\" English=\"Test Result\xEF\xBC\x9A\" Russian=\"R\" "
    "Spanish=\"S\" Portug=\"P\"/>"
    "</USER-DEF></USER-CONFIGURATION>";

} // namespace

// ---- LastStringConfig.xml recovery chain -----------------------------------

enum class FileState { Valid, Missing, Malformed };

struct ChainCase {
    const char* name;
    FileState config;
    FileState backup;
    std::vector<std::string> folders;  // expected afterwards
    bool defaultsWarning;              // "Use defaults." shown
    const char* configAfterFrom;       // "config", "backup" or "default": content of both files afterwards
};

class RecoveryChain : public ProgramFolderTest, public ::testing::WithParamInterface<ChainCase> {};

TEST_P(RecoveryChain, LoadsTheFirstReadableFileAndRefreshesTheOther)
{
    const ChainCase& c = GetParam();
    const std::string configText = FolderRecords("/cfg/");
    const std::string backupText = FolderRecords("/bak/");
    const std::string broken = "<USER-CONFIGURATION><USER-DEF><DID ItemName=\"x\"";
    auto place = [&](const std::string& file, FileState state, const std::string& valid) {
        if (state == FileState::Valid) WriteFile(Path(file), valid);
        if (state == FileState::Malformed) WriteFile(Path(file), broken);
    };
    place("LastStringConfig.xml", c.config, configText);
    place("LastStringBackup.xml", c.backup, backupText);

    EXPECT_TRUE(LoadLastStringConfig());
    EXPECT_EQ(Folders(), c.folders);

    const std::string expected = std::string(c.configAfterFrom) == "config"   ? configText
                                 : std::string(c.configAfterFrom) == "backup" ? backupText
                                                                              : DefaultLastStringConfigText();
    EXPECT_EQ(ReadFile(Path("LastStringConfig.xml")), expected);
    EXPECT_EQ(ReadFile(Path("LastStringBackup.xml")), expected);

    if (c.defaultsWarning) {
        ASSERT_EQ(prompter_.Count(), 1u);
        const auto box = prompter_.Boxes()[0];
        EXPECT_EQ(box.text, "Can't find LastStringConfig.xml file! Use defaults.");
        EXPECT_EQ(box.caption, "Warning");
        EXPECT_EQ(box.buttons, tarvel::MsgButtons::OkCancel);
    } else {
        EXPECT_EQ(prompter_.Count(), 0u);
    }
    EXPECT_FALSE(Exists(Path("LastStringConfig.xml.tmp")));
}

INSTANTIATE_TEST_SUITE_P(
    LastStringConfig, RecoveryChain,
    ::testing::Values(
        ChainCase{"ConfigValidBackupValid", FileState::Valid, FileState::Valid, FoldersWithPrefix("/cfg/"), false, "config"},
        ChainCase{"ConfigValidBackupMissing", FileState::Valid, FileState::Missing, FoldersWithPrefix("/cfg/"), false, "config"},
        ChainCase{"ConfigValidBackupMalformed", FileState::Valid, FileState::Malformed, FoldersWithPrefix("/cfg/"), false, "config"},
        ChainCase{"ConfigMissingBackupValid", FileState::Missing, FileState::Valid, FoldersWithPrefix("/bak/"), false, "backup"},
        ChainCase{"ConfigMalformedBackupValid", FileState::Malformed, FileState::Valid, FoldersWithPrefix("/bak/"), false, "backup"},
        ChainCase{"BothMissing", FileState::Missing, FileState::Missing, kDefaultFolders, true, "default"},
        ChainCase{"ConfigMissingBackupMalformed", FileState::Missing, FileState::Malformed, kDefaultFolders, true, "default"},
        ChainCase{"BothMalformed", FileState::Malformed, FileState::Malformed, kDefaultFolders, true, "default"}),
    [](const ::testing::TestParamInfo<ChainCase>& info) { return std::string(info.param.name); });

TEST(LastStringConfigDefault, IsTheShippedFileByteForByte)
{
    const std::string& text = DefaultLastStringConfigText();
    EXPECT_EQ(text.size(), 413u);
    EXPECT_EQ(text.substr(0, 41), "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n");
    EXPECT_NE(text.find("        <DID ItemName=\"ODRInfoFilePath\" nIndex=\"C:\\\" />\r\n    </USER-DEF>\r\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 21), "</USER-CONFIGURATION>");
    const std::string source = ReadFile(std::string(TARVEL_DATA_DIR) + "/LastStringConfig.xml");
    EXPECT_EQ(source, text);
}

TEST(LastStringConfigUnwritable, AllFilesInvalidWhenTheFolderCannotBeWritten)
{
    // A folder below a regular file can be neither read nor created, for
    // root as well.
    const std::string base = MakeTempFolder();
    WriteFile(base + "/plainfile", "x");
    ResetSettingsGlobals();
    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter scopedPrompter(prompter);
    tarvel::ScopedProgramFolder folder(base + "/plainfile/sub");

    EXPECT_FALSE(LoadLastStringConfig());
    EXPECT_EQ(Folders(), kDefaultFolders);
    const auto boxes = prompter.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Can't find LastStringConfig.xml file! Use defaults.");
    EXPECT_EQ(boxes[1].text, "All files are invalid and cannot be created.");
    EXPECT_EQ(boxes[1].caption, "Warning");
    EXPECT_EQ(boxes[1].buttons, tarvel::MsgButtons::OkCancel);
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
    ResetSettingsGlobals();
}

TEST_F(ProgramFolderTest, FoldersRoundTripByteForByteThroughSaveAndLoad)
{
    WriteFile(Path("LastStringConfig.xml"), DefaultLastStringConfigText());
    ASSERT_TRUE(LoadLastStringConfig());
    DownLoadFilePath = "/home/\xE7\x94\xA8\xE6\x88\xB7/download";
    CalibParamFilePath = "C:\\Params & \"quotes\"";
    EOLReportsFilePath = "/reports";
    PrintSystemFilePath = "/tags";
    ODRInfoFilePath = "/odr";
    ASSERT_TRUE(SaveLastStringConfig());
    const std::vector<std::string> saved = Folders();

    ResetSettingsGlobals();
    ASSERT_TRUE(LoadLastStringConfig());
    EXPECT_EQ(Folders(), saved);
    EXPECT_EQ(prompter_.Count(), 0u);
}

TEST_F(ProgramFolderTest, ShortLastStringConfigIsNeitherOverreadNorOverwritten)
{
    WriteFile(Path("LastStringConfig.xml"),
              UserConfig("<DID ItemName=\"DownLoadFilePath\" nIndex=\"/dl\" />\n"
                         "<DID ItemName=\"CalibParamFilePath\" nIndex=\"/calib\" />\n"));
    ASSERT_TRUE(LoadLastStringConfig());
    EXPECT_EQ(Folders(), (std::vector<std::string>{"/dl", "/calib", "C:\\", "C:\\", "C:\\"}));
    EXPECT_EQ(LastStringItems.size(), 2u);

    ODRInfoFilePath = "/odr";
    ASSERT_TRUE(SaveLastStringConfig());
    const Records r = ReadRecords(Path("LastStringConfig.xml"));
    EXPECT_EQ(r.names, (std::vector<std::string>{"DownLoadFilePath", "CalibParamFilePath", "EOLReportsFilePath",
                                                 "PrintSystemFilePath", "ODRInfoFilePath"}));
    EXPECT_EQ(r.values, (std::vector<std::string>{"/dl", "/calib", "C:\\", "C:\\", "/odr"}));
}

TEST_F(ProgramFolderTest, SavingWithoutLastStringConfigWarnsAndCreatesItWithTheFolders)
{
    CalibParamFilePath = "/calib";
    ODRInfoFilePath = "/odr";
    EXPECT_TRUE(SaveLastStringConfig());
    ASSERT_EQ(prompter_.Count(), 1u);
    EXPECT_EQ(prompter_.Boxes()[0].text, "Can't find LastStringConfig.xml file");
    EXPECT_EQ(prompter_.Boxes()[0].caption, "Warning");
    EXPECT_EQ(prompter_.Boxes()[0].buttons, tarvel::MsgButtons::OkCancel);
    const Records r = ReadRecords(Path("LastStringConfig.xml"));
    EXPECT_EQ(r.names, (std::vector<std::string>{"DownLoadFilePath", "CalibParamFilePath", "EOLReportsFilePath",
                                                 "PrintSystemFilePath", "ODRInfoFilePath"}));
    EXPECT_EQ(r.values, (std::vector<std::string>{"C:\\", "/calib", "C:\\", "C:\\", "/odr"}));
}

// A settings file that cannot be created is named with the system's reason,
// as every other save names its file.
TEST(LastStringConfigUnwritable, ASaveThatCannotCreateTheFileGivesTheSystemsReason)
{
    const std::string base = MakeTempFolder();
    WriteFile(base + "/plainfile", "x");
    ResetSettingsGlobals();
    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter scopedPrompter(prompter);
    struct {
        const char* name;
        std::string folder;
        tarvel_test::FileFault fault;
        std::error_code reason;
    } cases[] = {
        // A folder below a regular file cannot be created, for root as well.
        {"below a file", base + "/plainfile/sub", tarvel_test::FileFault::None,
         std::make_error_code(std::errc::not_a_directory)},
        {"read-only file system", base, tarvel_test::FileFault::ReadOnly,
         std::error_code(EROFS, std::generic_category())},
        {"no permission", base, tarvel_test::FileFault::NoPermission,
         std::error_code(EACCES, std::generic_category())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tarvel::ScopedProgramFolder folder(c.folder);
        tarvel_test::FailingFileSystem fs(c.fault);
        tarvel::ScopedFileSystem use(fs);
        prompter.Clear();
        CalibParamFilePath = "/calib";
        EXPECT_FALSE(SaveLastStringConfig());
        const auto boxes = prompter.Boxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].text, "Can't find LastStringConfig.xml file");
        EXPECT_EQ(boxes[1].text, "The settings file was not saved:\n" + c.folder + "/LastStringConfig.xml\n" +
                                     c.reason.message());
        EXPECT_EQ(boxes[1].caption, "Warning");
        EXPECT_EQ(tarvel_test::FolderEntries(base), std::vector<std::string>{"plainfile"});
    }
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
    ResetSettingsGlobals();
}

// ---- LastConfig.xml ---------------------------------------------------------

class LastConfigTest : public ProgramFolderTest {
protected:
    LastConfigTest() { WriteFile(Path("LanguageConfig.xml"), kMinimalLanguageConfig); }
};

TEST_F(LastConfigTest, RoundTripChangesOnlyTheFirstSixValues)
{
    WriteFile(Path("LastConfig.xml"),
              UserConfig("<!-- remembered selections -->\n"
                         "<DID ItemName=\"A\" nIndex=\"1\" Note=\"keep me\" />\n"
                         "<DID ItemName=\"B\" nIndex=\"1\" />\n"
                         "<DID ItemName=\"C\" nIndex=\"0\" />\n"
                         "<DID ItemName=\"D\" nIndex=\"2\" />\n"
                         "<!-- second comment -->\n"
                         "<DID ItemName=\"E\" nIndex=\"1\" />\n"
                         "<DID ItemName=\"F\" nIndex=\"abc\" />\n"
                         "<DID ItemName=\"G\" nIndex=\"77\" Note=\"extra\" />\n"
                         "<DID ItemName=\"H\" nIndex=\"text stays\" />\n"));
    ASSERT_TRUE(LoadLastConfig());
    EXPECT_EQ(LanguageIndex, 0);
    EXPECT_EQ(ReportLogoMode, 2);
    EXPECT_EQ(PrintSystemTagToo, 1);
    EXPECT_EQ(BrakeLampNeverTest, 0); // "abc" reads 0
    EXPECT_EQ(LastConfigItems.size(), 8u);
    EXPECT_EQ(LanguageText(0), "\xE4\xB8\xBB\xE9\xA1\xB5"); // loaded in Chinese

    ReportLogoMode = 1;
    PrintSystemTagToo = 0;
    BrakeLampNeverTest = 1;
    ASSERT_TRUE(SaveLastConfig(ComboSelections{3, 0, 4}));

    const Records r = ReadRecords(Path("LastConfig.xml"));
    EXPECT_EQ(r.names, (std::vector<std::string>{"A", "B", "C", "D", "E", "F", "G", "H"}));
    EXPECT_EQ(r.values, (std::vector<std::string>{"3", "0", "4", "1", "0", "1", "77", "text stays"}));
    EXPECT_EQ(r.notes[0], "keep me");
    EXPECT_EQ(r.notes[6], "extra");
    EXPECT_EQ(r.comments, 2);
    EXPECT_EQ(prompter_.Count(), 0u);
}

TEST_F(LastConfigTest, WithoutAComboSourceTheLoadedRowsAndLanguageAreSaved)
{
    WriteFile(Path("LastConfig.xml"), ReadFile(std::string(TARVEL_DATA_DIR) + "/LastConfig.xml"));
    ASSERT_TRUE(LoadLastConfig());
    EXPECT_EQ(LanguageIndex, 1);
    LanguageIndex = 3;
    ASSERT_TRUE(SaveLastConfig());
    EXPECT_EQ(ReadRecords(Path("LastConfig.xml")).values,
              (std::vector<std::string>{"0", "0", "3", "0", "0", "0"}));

    SetComboSelectionSource([] { return ComboSelections{2, 1, 0}; });
    ASSERT_TRUE(SaveLastConfig());
    EXPECT_EQ(ReadRecords(Path("LastConfig.xml")).values,
              (std::vector<std::string>{"2", "1", "0", "0", "0", "0"}));
}

TEST_F(LastConfigTest, ShortFileLeavesMissingGlobalsAndSaveAppendsRecords)
{
    WriteFile(Path("LastConfig.xml"), UserConfig("<DID ItemName=\"A\" nIndex=\"1\" />\n"
                                                 "<DID ItemName=\"B\" nIndex=\"1\" />\n"
                                                 "<DID ItemName=\"C\" nIndex=\"2\" />\n"));
    ASSERT_TRUE(LoadLastConfig());
    EXPECT_EQ(LanguageIndex, 2);
    EXPECT_EQ(ReportLogoMode, -1);
    EXPECT_EQ(PrintSystemTagToo, -1);
    EXPECT_EQ(BrakeLampNeverTest, -1);

    ReportLogoMode = 1;
    ASSERT_TRUE(SaveLastConfig(ComboSelections{1, 1, 2}));
    const Records r = ReadRecords(Path("LastConfig.xml"));
    EXPECT_EQ(r.names, (std::vector<std::string>{"A", "B", "C", "ReportLogo", "PrintSystemTag", "BrakeLampNeverTest"}));
    EXPECT_EQ(r.values, (std::vector<std::string>{"1", "1", "2", "1", "-1", "-1"}));
}

TEST_F(LastConfigTest, MissingFileWarnsLoadsEnglishAndSaveCreatesIt)
{
    EXPECT_FALSE(LoadLastConfig());
    ASSERT_EQ(prompter_.Count(), 1u);
    EXPECT_EQ(prompter_.Boxes()[0].text, "Can't find LastConfig.xml file");
    EXPECT_EQ(prompter_.Boxes()[0].caption, "Warning");
    EXPECT_EQ(prompter_.Boxes()[0].buttons, tarvel::MsgButtons::OkCancel);
    EXPECT_EQ(LanguageIndex, -1);
    EXPECT_EQ(ReportLogoMode, -1);
    EXPECT_EQ(LanguageText(0), "Test Result\xEF\xBC\x9A");

    ASSERT_TRUE(SaveLastConfig(ComboSelections{1, 0, 1}));
    // The save warns as the load did, and writes the file all the same.
    ASSERT_EQ(prompter_.Count(), 2u);
    EXPECT_EQ(prompter_.Boxes()[1].text, "Can't find LastConfig.xml file");
    EXPECT_EQ(prompter_.Boxes()[1].caption, "Warning");
    EXPECT_EQ(prompter_.Boxes()[1].buttons, tarvel::MsgButtons::OkCancel);
    const Records r = ReadRecords(Path("LastConfig.xml"));
    EXPECT_EQ(r.names, (std::vector<std::string>{"CanDevice", "CanBaudRate", "Language", "ReportLogo",
                                                 "PrintSystemTag", "BrakeLampNeverTest"}));
    EXPECT_EQ(r.values, (std::vector<std::string>{"1", "0", "1", "-1", "-1", "-1"}));

    ResetSettingsGlobals();
    EXPECT_TRUE(LoadLastConfig());
    EXPECT_EQ(LanguageIndex, 1);
}

TEST_F(LastConfigTest, MalformedFileIsTreatedAsMissing)
{
    WriteFile(Path("LastConfig.xml"), "<USER-CONFIGURATION><USER-DEF>");
    EXPECT_FALSE(LoadLastConfig());
    ASSERT_EQ(prompter_.Count(), 1u);
    EXPECT_EQ(prompter_.Boxes()[0].text, "Can't find LastConfig.xml file");
    EXPECT_TRUE(LastConfigItems.empty());
    EXPECT_EQ(LanguageTable.size(), 1u);
}

// ---- Saving on a failing disk ----------------------------------------------

TEST_F(LastConfigTest, OnAFailingDiskBothSettingsFilesSurviveAndTheBoxSaysWhy)
{
    using tarvel_test::FileFault;
    const std::string lastConfig = ReadFile(std::string(TARVEL_DATA_DIR) + "/LastConfig.xml");
    const std::string lastString = DefaultLastStringConfigText();
    WriteFile(Path("LastConfig.xml"), lastConfig);
    WriteFile(Path("LastStringConfig.xml"), lastString);
    ASSERT_TRUE(LoadLastConfig());
    ASSERT_TRUE(LoadLastStringConfig());
    const std::vector<std::string> files = tarvel_test::FolderEntries(folder_);
    ODRInfoFilePath = "/odr";
    for (const FileFault fault : {FileFault::NoRoom, FileFault::NoPermission, FileFault::FailingClose}) {
        SCOPED_TRACE(tarvel_test::FaultName(fault));
        tarvel_test::FailingFileSystem fs(fault, 100);
        tarvel::ScopedFileSystem use(fs);
        prompter_.Clear();
        EXPECT_FALSE(SaveLastConfig(ComboSelections{3, 1, 4}));
        EXPECT_FALSE(SaveLastStringConfig());
        const std::string reason = tarvel_test::FaultError(fault).message();
        const auto boxes = prompter_.Boxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].text, "The settings file was not saved:\n" + Path("LastConfig.xml") + "\n" + reason);
        EXPECT_EQ(boxes[1].text, "The settings file was not saved:\n" + Path("LastStringConfig.xml") + "\n" + reason);
        EXPECT_EQ(boxes[1].caption, "Warning");
        EXPECT_EQ(ReadFile(Path("LastConfig.xml")), lastConfig);
        EXPECT_EQ(ReadFile(Path("LastStringConfig.xml")), lastString);
        EXPECT_EQ(tarvel_test::FolderEntries(folder_), files);
    }
}
