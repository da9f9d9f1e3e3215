#include "EquipmentTestSupport.h"

#include "FailingFileSystem.h"
#include "FileChooser.h"
#include "FileSystem.h"
#include "ParameterTextFile.h"
#include "Prompter.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace tarvel;
using equipment_test::T;

namespace {

using Lines = std::vector<std::string>;

std::string MakeTempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvel-paramfile-XXXXXX").string();
    char* made = mkdtemp(&pattern[0]);
    if (!made) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class ParameterFile : public equipment_test::EquipmentTest {
protected:
    ParameterFile() : folder_(MakeTempFolder()), scopedPrompter_(prompter_) { SetFileChooser(&chooser_); }
    ~ParameterFile() override
    {
        SetFileChooser(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    // Three parameter rows and two lifting-axle rows.
    static ParameterFileGrids Grids(Lines basic, Lines liftingAxle)
    {
        ParameterFileGrids grids;
        grids.basicNames = {"Brake Mode", "Tyre Size", "Comment"};
        grids.basicValues = std::move(basic);
        grids.liftingAxleCount = 2;
        grids.liftingAxleValues = std::move(liftingAxle);
        return grids;
    }

    void ExpectOneBox(int text, int caption)
    {
        auto boxes = prompter_.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, T(text));
        EXPECT_EQ(boxes[0].caption, T(caption));
        EXPECT_EQ(boxes[0].buttons, MsgButtons::Ok);
        prompter_.Clear();
    }

    std::string folder_;
    RecordingPrompter prompter_;
    ScopedPrompter scopedPrompter_;
    RecordingFileChooser chooser_;
};

TEST_F(ParameterFile, RoundTripWithoutTheLiftingAxleBlock)
{
    LiftingAxleCalibrationEnabled = 0;
    chooser_.QueueAnswer(Path("trailer.ini"));
    ASSERT_TRUE(SaveParameterFile(Grids({"1", "25", "Größe 5"}, {"7", "8"})));
    ExpectOneBox(179, 74);
    EXPECT_EQ(ReadBytes(Path("trailer.ini")), "Basic_Parameters\r\n1\r\n25\r\nGröße 5\r\n");
    EXPECT_EQ(CalibParamFilePath, folder_);

    auto requests = chooser_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].folder, "C:\\");
    EXPECT_EQ(requests[0].fileName, "test.ini");
    EXPECT_EQ(requests[0].filter, "文件 (*.ini;)|*.ini");

    chooser_.QueueAnswer(Path("trailer.ini"));
    ParameterFileGrids loaded = Grids({"0", "0", "0"}, {"a", "b"});
    ASSERT_TRUE(LoadParameterFile(loaded));
    ExpectOneBox(222, 74);
    EXPECT_EQ(loaded.basicValues, (Lines{"1", "25", "Größe 5"}));
    EXPECT_EQ(loaded.liftingAxleValues, (Lines{"a", "b"}));

    requests = chooser_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[1].save);
    EXPECT_EQ(requests[1].folder, folder_);
    EXPECT_EQ(requests[1].fileName, "*.ini");
    EXPECT_EQ(requests[1].filter, "ini Files(*.ini)|*.ini|All Files (*.*)|*.*");
}

TEST_F(ParameterFile, RoundTripWithTheLiftingAxleBlock)
{
    LiftingAxleCalibrationEnabled = 1;
    chooser_.QueueAnswer(Path("lift.ini"));
    ASSERT_TRUE(SaveParameterFile(Grids({"1", "2", "3"}, {"40", "41"})));
    EXPECT_EQ(ReadBytes(Path("lift.ini")),
              "Basic_Parameters\r\n1\r\n2\r\n3\r\nLiftingAxle_Parameters\r\n40\r\n41\r\n");

    // The lifting-axle rows are taken whatever the flag is when loading.
    LiftingAxleCalibrationEnabled = 0;
    chooser_.QueueAnswer(Path("lift.ini"));
    ParameterFileGrids loaded = Grids({"", "", ""}, {"", ""});
    ASSERT_TRUE(LoadParameterFile(loaded));
    EXPECT_EQ(loaded.basicValues, (Lines{"1", "2", "3"}));
    EXPECT_EQ(loaded.liftingAxleValues, (Lines{"40", "41"}));
}

TEST_F(ParameterFile, ReadingTheThreeForms)
{
    struct {
        const char* name;
        std::string text;
        Lines basic;
        Lines liftingAxle;
        bool header;
        size_t filled; // values taken from the file
        size_t rows;   // of the rows it is meant to fill
    } cases[] = {
        {"header-less list", "5\r\n6\r\n7\r\n8\r\n", {"5", "6", "7"}, {"p", "q"}, false, 3, 3},
        {"written on Linux", "Basic_Parameters\n5\n6\n7\nLiftingAxle_Parameters\n9\n10\n", {"5", "6", "7"},
         {"9", "10"}, true, 5, 5},
        {"written on Windows", "Basic_Parameters\r\n5\r\n6\r\n7\r\nLiftingAxle_Parameters\r\n9\r\n10\r\n",
         {"5", "6", "7"}, {"9", "10"}, true, 5, 5},
        {"no line end at the end", "Basic_Parameters\r\n5\r\n6\r\n7\r\nX\r\n9\r\n10", {"5", "6", "7"}, {"9", "10"},
         true, 5, 5},
        {"header inside the first line", "\xEF\xBB\xBF[Basic_Parameters] v2\r\n5\r\n\r\n7\r\n", {"5", "", "7"},
         {"p", "q"}, true, 3, 3},
        {"byte-order mark before a bare list", "\xEF\xBB\xBF" "5\r\n6\r\n7\r\n", {"5", "6", "7"}, {"p", "q"}, false,
         3, 3},
        {"short file", "Basic_Parameters\r\n5\r\n", {"5", "b", "c"}, {"p", "q"}, true, 1, 3},
        {"short bare list", "5\r\n6\r\n", {"5", "6", "c"}, {"p", "q"}, false, 2, 3},
        {"lifting-axle block cut short", "Basic_Parameters\r\n5\r\n6\r\n7\r\nLiftingAxle_Parameters\r\n9\r\n",
         {"5", "6", "7"}, {"9", "q"}, true, 4, 5},
        {"lifting-axle header without values", "Basic_Parameters\r\n5\r\n6\r\n7\r\nLiftingAxle_Parameters\r\n",
         {"5", "6", "7"}, {"p", "q"}, true, 3, 5},
        {"long file", "Basic_Parameters\r\n5\r\n6\r\n7\r\nLiftingAxle_Parameters\r\n9\r\n10\r\n11\r\n12\r\n",
         {"5", "6", "7"}, {"9", "10"}, true, 5, 5},
        {"empty file", "", {"a", "b", "c"}, {"p", "q"}, false, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Lines basic{"a", "b", "c"};
        Lines liftingAxle{"p", "q"};
        ParameterFileReadResult result = ReadParameterFileText(c.text, 3, basic, 2, liftingAxle);
        EXPECT_EQ(basic, c.basic);
        EXPECT_EQ(liftingAxle, c.liftingAxle);
        EXPECT_EQ(result.header, c.header);
        EXPECT_EQ(result.Filled(), c.filled);
        EXPECT_EQ(result.rows, c.rows);
        EXPECT_EQ(result.Short(), c.filled < c.rows);
    }
}

TEST_F(ParameterFile, OnlyUtf8TextWithoutControlCharactersIsAParameterFile)
{
    using R = NotTextReason;
    struct {
        const char* name;
        std::string bytes;
        R reason;
        size_t offset;
    } cases[] = {
        {"empty", "", R::None, 0},
        {"lines, tabs, CR LF", "Basic_Parameters\r\n1\t2\r\n3\n", R::None, 0},
        {"byte-order mark and letters of every language",
         "\xEF\xBB\xBF" "Gr\xC3\xB6\xC3\x9F" "e \xE7\x8E\x8B \xD0\x96 \xE2\x82\xAC \xF0\x9F\x98\x80 \xC2\xA0", R::None, 0},
        {"byte-order mark alone", "\xEF\xBB\xBF", R::None, 0},
        {"no-break mark inside a line", "a\xEF\xBB\xBF", R::None, 0},
        {"NUL", std::string("12\0" "3", 4), R::ControlCharacter, 2},
        {"NUL first", std::string(1, '\0'), R::ControlCharacter, 0},
        {"end-of-file mark", "1\r\n\x1A", R::ControlCharacter, 3},
        {"escape", "\x1B[0m", R::ControlCharacter, 0},
        {"form feed", "1\f2", R::ControlCharacter, 1},
        {"DEL", "ab\x7F", R::ControlCharacter, 2},
        {"C1 control (next line)", "ab\xC2\x85", R::ControlCharacter, 2},
        {"code page 1252", "Gr\xF6\xDF" "e", R::NotUtf8, 2},
        {"UTF-16 byte-order mark", "\xFF\xFE" "1", R::NotUtf8, 0},
        {"stray continuation byte", "1\x80", R::NotUtf8, 1},
        {"overlong slash", "x\xC0\xAF", R::NotUtf8, 1},
        {"overlong three bytes", "\xE0\x80\xAF", R::NotUtf8, 0},
        {"surrogate", "12\xED\xA0\x80", R::NotUtf8, 2},
        {"above U+10FFFF", "\xF4\x90\x80\x80", R::NotUtf8, 0},
        {"five-byte lead", "\xF8\x88\x80\x80\x80", R::NotUtf8, 0},
        {"sequence cut by the end", "abc\xE4\xB8", R::NotUtf8, 3},
        {"sequence cut by a line end", "\xE4\xB8\r\n", R::NotUtf8, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ParameterFileTextCheck check = CheckParameterFileText(c.bytes);
        EXPECT_EQ(check.reason, c.reason);
        EXPECT_EQ(check.IsText(), c.reason == R::None);
        if (c.reason != R::None) {
            EXPECT_EQ(check.offset, c.offset);
        }
    }
}

TEST_F(ParameterFile, AFileThatIsNotTextIsRefusedAndNothingChanges)
{
    ParameterFileGrids grids;
    grids.basicNames = {T(322), T(323), T(172), T(318), T(317)};
    grids.basicValues = {"0", "1", "2", "4", "1"};
    grids.liftingAxleCount = 2;
    grids.liftingAxleValues = {"7", "8"};
    LiftingAxleCalibrationEnabled = 1;
    BrakeLampTestEnabled = 1;
    AxleCount = 4;
    LiftingAxleRowValues = {"0", "1"};

    WriteBytes(Path("picture.ini"), std::string("Basic_Parameters\r\n0\r\n\x89PNG\r\n\x1A\n\0\0", 31));
    chooser_.QueueAnswer(Path("picture.ini"));
    EXPECT_FALSE(LoadParameterFile(grids, [](const ParameterFileGrids&) { ADD_FAILURE() << "shown"; }));
    ASSERT_EQ(prompter_.Count(), 1u);
    EXPECT_EQ(prompter_.Boxes()[0].text, T(677) + "\n" + Path("picture.ini") + "\n" + T(679) + " 22");
    EXPECT_EQ(prompter_.Boxes()[0].caption, T(76));
    EXPECT_EQ(prompter_.Boxes()[0].buttons, MsgButtons::Ok);
    prompter_.Clear();
    EXPECT_EQ(grids.basicValues, (Lines{"0", "1", "2", "4", "1"}));
    EXPECT_EQ(grids.liftingAxleValues, (Lines{"7", "8"}));
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 1);
    EXPECT_EQ(BrakeLampTestEnabled, 1);
    EXPECT_EQ(AxleCount, 4);
    EXPECT_EQ(LiftingAxleRowValues, (Lines{"0", "1"}));

    // A text with a value the row cannot take loads as it stands.
    WriteBytes(Path("text.ini"), "Basic_Parameters\r\n0\r\n1\r\n2\r\nvier\r\n1\r\n");
    chooser_.QueueAnswer(Path("text.ini"));
    EXPECT_TRUE(LoadParameterFile(grids));
    ExpectOneBox(222, 74);
    EXPECT_EQ(grids.basicValues, (Lines{"0", "1", "2", "vier", "1"}));
}

TEST_F(ParameterFile, GridsShorterOrLongerThanTheRecordAreBounded)
{
    // Writing: missing cells become empty lines, extra cells are not written.
    EXPECT_EQ(FormatParameterFile({"1"}, 3, true, {"4", "5", "6"}, 2),
              "Basic_Parameters\r\n1\r\n\r\n\r\nLiftingAxle_Parameters\r\n4\r\n5\r\n");
    EXPECT_EQ(FormatParameterFile({"1", "2", "3", "4"}, 2, false, {}, 0), "Basic_Parameters\r\n1\r\n2\r\n");
    // A value never breaks the line order.
    EXPECT_EQ(FormatParameterFile({"a\r\nb", "c\n"}, 2, false, {}, 5), "Basic_Parameters\r\na  b\r\nc \r\n");

    // Reading: a list shorter than the record takes only what fits.
    const std::string text = "Basic_Parameters\r\n5\r\n6\r\n7\r\nLiftingAxle_Parameters\r\n9\r\n10\r\n";
    Lines basic{"a"};
    Lines liftingAxle;
    ParameterFileReadResult result = ReadParameterFileText(text, 3, basic, 2, liftingAxle);
    EXPECT_EQ(basic, (Lines{"5"}));
    EXPECT_TRUE(liftingAxle.empty());
    EXPECT_EQ(result.basicFilled, 1u);
    EXPECT_EQ(result.liftingAxleFilled, 0u);

    // A list longer than the record keeps its rows past the record.
    basic = {"a", "b", "c", "d"};
    liftingAxle = {"p", "q", "r"};
    result = ReadParameterFileText(text, 3, basic, 2, liftingAxle);
    EXPECT_EQ(basic, (Lines{"5", "6", "7", "d"}));
    EXPECT_EQ(liftingAxle, (Lines{"9", "10", "r"}));
    EXPECT_EQ(result.basicFilled, 3u);
    EXPECT_EQ(result.liftingAxleFilled, 2u);
}

TEST_F(ParameterFile, ShortAndLongFilesThroughTheDialog)
{
    WriteBytes(Path("short.ini"), "Basic_Parameters\r\n9\r\n");
    chooser_.QueueAnswer(Path("short.ini"));
    ParameterFileGrids grids = Grids({"1", "2", "3"}, {"40", "41"});
    ASSERT_TRUE(LoadParameterFile(grids));
    EXPECT_EQ(grids.basicValues, (Lines{"9", "2", "3"}));
    EXPECT_EQ(grids.liftingAxleValues, (Lines{"40", "41"}));
    // The loaded box says how many values the file held.
    ASSERT_EQ(prompter_.Boxes().size(), 1u);
    EXPECT_EQ(prompter_.Boxes()[0].text, T(222) + "\n" + T(674) + " 1 / 3\n" + T(675));
    EXPECT_EQ(prompter_.Boxes()[0].caption, T(74));
    prompter_.Clear();

    WriteBytes(Path("long.ini"), "Basic_Parameters\r\n7\r\n8\r\n9\r\nL\r\n50\r\n51\r\n52\r\n53\r\n");
    chooser_.QueueAnswer(Path("long.ini"));
    grids.basicValues = {"1"}; // the grid shows fewer rows than the record has
    ASSERT_TRUE(LoadParameterFile(grids));
    EXPECT_EQ(grids.basicValues, (Lines{"7"}));
    EXPECT_EQ(grids.liftingAxleValues, (Lines{"50", "51"}));
    ExpectOneBox(222, 74);
}

TEST_F(ParameterFile, LoadingRederivesTheEquipmentFlags)
{
    ParameterFileGrids grids;
    grids.basicNames = {T(322), T(323), T(172), T(318), T(317)};
    grids.basicValues = {"0", "0", "0", "0", "0"};
    WriteBytes(Path("flags.ini"), "Basic_Parameters\r\n0\r\n1\r\n2\r\n4\r\n1\r\n");
    LiftingAxleRowValues = {"1", "1"}; // left from an earlier pass
    chooser_.QueueAnswer(Path("flags.ini"));
    ASSERT_TRUE(LoadParameterFile(grids));
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 1);
    EXPECT_EQ(LiftingAxleRowValues, (Lines{"0", "1"}));
    EXPECT_EQ(BrakeLampTestEnabled, 1);
    EXPECT_EQ(AxleCount, 4);
    // A file load is no grid fill: the height-sensor flag stays as it was.
    EXPECT_EQ(HeightSensorCalibrationEnabled, 0);

    WriteBytes(Path("none.ini"), "Basic_Parameters\r\n0\r\n0\r\n1\r\n4\r\n1\r\n");
    LiftingAxleTestEnabled = 1;
    chooser_.QueueAnswer(Path("none.ini"));
    ASSERT_TRUE(LoadParameterFile(grids));
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 0);
    EXPECT_EQ(LiftingAxleTestEnabled, 0);
    EXPECT_EQ(BrakeLampTestEnabled, 0);
}

TEST_F(ParameterFile, FolderOfAChosenPath)
{
    struct {
        const char* path;
        const char* folder;
    } cases[] = {{"C:\\data\\trailer.ini", "C:\\data"},
                 {"/home/u/x.ini", "/home/u"},
                 {"C:\\data/sub\\x.ini", "C:\\data/sub"},
                 {"/x.ini", "/"},
                 {"x.ini", "x.ini"}};
    for (const auto& c : cases) EXPECT_EQ(ParameterFileFolder(c.path), c.folder) << c.path;

    // Through the dialog the folder is remembered and offered next time.
    chooser_.QueueAnswer(Path("one.ini"));
    ASSERT_TRUE(SaveParameterFile(Grids({"1", "2", "3"}, {})));
    EXPECT_EQ(CalibParamFilePath, folder_);
    chooser_.QueueAnswer(Path("two.ini"));
    ASSERT_TRUE(SaveParameterFile(Grids({"1", "2", "3"}, {})));
    EXPECT_EQ(chooser_.Requests().at(1).folder, folder_);
}

TEST_F(ParameterFile, CancelledDialogsChangeNothing)
{
    CalibParamFilePath = "C:\\kept";
    LiftingAxleCalibrationEnabled = 1;
    BrakeLampTestEnabled = 1;
    chooser_.QueueAnswer(std::nullopt);
    EXPECT_FALSE(SaveParameterFile(Grids({"1", "2", "3"}, {"4", "5"})));
    EXPECT_EQ(prompter_.Count(), 0u); // a cancelled save says nothing
    EXPECT_EQ(CalibParamFilePath, "C:\\kept");
    EXPECT_TRUE(std::filesystem::is_empty(folder_));

    chooser_.QueueAnswer(std::nullopt);
    ParameterFileGrids grids = Grids({"1", "2", "3"}, {"4", "5"});
    grids.basicNames = {T(322), T(172), T(318)};
    EXPECT_FALSE(LoadParameterFile(grids));
    ExpectOneBox(221, 76);
    EXPECT_EQ(CalibParamFilePath, "C:\\kept");
    EXPECT_EQ(grids.basicValues, (Lines{"1", "2", "3"}));
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 1);
    EXPECT_EQ(BrakeLampTestEnabled, 1);
}

TEST_F(ParameterFile, FilesThatCannotBeOpened)
{
    CalibParamFilePath = "C:\\kept";
    chooser_.QueueAnswer(Path("missing.ini"));
    ParameterFileGrids grids = Grids({"1", "2", "3"}, {"4", "5"});
    EXPECT_FALSE(LoadParameterFile(grids));
    ExpectOneBox(221, 76);
    EXPECT_EQ(CalibParamFilePath, "C:\\kept");
    EXPECT_EQ(grids.basicValues, (Lines{"1", "2", "3"}));

    chooser_.QueueAnswer(folder_); // a folder is no file
    EXPECT_FALSE(LoadParameterFile(grids));
    ExpectOneBox(221, 76);

    // Saving into a folder that does not exist: the folder is remembered as
    // chosen, nothing is written, the box says which file and why.
    chooser_.QueueAnswer(Path("no-such-folder/x.ini"));
    EXPECT_FALSE(SaveParameterFile(grids));
    ASSERT_EQ(prompter_.Count(), 1u);
    EXPECT_EQ(prompter_.Boxes()[0].text, T(221) + "\n" + Path("no-such-folder/x.ini") + "\n" +
                                             std::make_error_code(std::errc::no_such_file_or_directory).message());
    EXPECT_EQ(prompter_.Boxes()[0].caption, T(76));
    EXPECT_EQ(CalibParamFilePath, Path("no-such-folder"));
    EXPECT_FALSE(std::filesystem::exists(Path("no-such-folder")));
}

TEST_F(ParameterFile, ANameTypedWithoutItsExtensionIsAskedAboutBeforeItReplacesAFile)
{
    LiftingAxleCalibrationEnabled = 0;
    WriteBytes(Path("trailer.ini"), "Basic_Parameters\r\nold\r\n");
    chooser_.QueueAnswer(Path("trailer"));
    prompter_.QueueAnswer(MsgAnswer::No); // not that one
    chooser_.QueueAnswer(std::nullopt);   // and the dialog shown again is cancelled
    EXPECT_FALSE(SaveParameterFile(Grids({"1", "2", "3"}, {})));
    ASSERT_EQ(prompter_.Count(), 1u);
    EXPECT_EQ(prompter_.Boxes()[0].text, Path("trailer.ini") + "\n\n" + T(178));
    EXPECT_EQ(prompter_.Boxes()[0].caption, T(175));
    EXPECT_EQ(prompter_.Boxes()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ReadBytes(Path("trailer.ini")), "Basic_Parameters\r\nold\r\n");
    EXPECT_EQ(chooser_.Requests().at(0).defaultExtension, "ini");
    prompter_.Clear();

    // Yes: the file is replaced, and the Load dialog's *.ini filter shows it.
    chooser_.QueueAnswer(Path("trailer"));
    prompter_.QueueAnswer(MsgAnswer::Yes);
    EXPECT_TRUE(SaveParameterFile(Grids({"1", "2", "3"}, {})));
    EXPECT_EQ(ReadBytes(Path("trailer.ini")), "Basic_Parameters\r\n1\r\n2\r\n3\r\n");
    EXPECT_EQ(tarvel_test::FolderEntries(folder_), Lines{"trailer.ini"});
}

TEST_F(ParameterFile, OnAFailingDiskTheOlderFileSurvivesAndTheBoxSaysWhy)
{
    using tarvel_test::FileFault;
    LiftingAxleCalibrationEnabled = 0;
    // An older set of 1000 values; the new one is as long, so a full disk
    // cuts it part-way (after 4,096 bytes).
    std::vector<std::string> older(1000, "12345"), newer(1000, "67890");
    ParameterFileGrids grids = Grids(newer, {});
    grids.basicNames.assign(1000, "p");
    const std::string olderText = FormatParameterFile(older, 1000, false, {}, 0);
    for (const FileFault fault : {FileFault::NoRoom, FileFault::NoPermission, FileFault::FailingClose}) {
        SCOPED_TRACE(tarvel_test::FaultName(fault));
        WriteBytes(Path("set.ini"), olderText);
        tarvel_test::FailingFileSystem fs(fault, 4096);
        ScopedFileSystem use(fs);
        chooser_.QueueAnswer(Path("set.ini"));
        prompter_.QueueAnswer(MsgAnswer::Yes); // replace it
        EXPECT_FALSE(SaveParameterFile(grids));
        auto boxes = prompter_.Boxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[1].text, T(221) + "\n" + Path("set.ini") + "\n" + tarvel_test::FaultError(fault).message());
        EXPECT_EQ(boxes[1].caption, T(76));
        prompter_.Clear();
        EXPECT_EQ(ReadBytes(Path("set.ini")), olderText);
        EXPECT_EQ(tarvel_test::FolderEntries(folder_), Lines{"set.ini"});
    }
}

// A file system whose replacement stops half-way, as ReplaceFileW can: the
// new file holds the only copy of the values and stays under its own name.
class HalfReplacingFileSystem : public tarvel_test::FailingFileSystem {
public:
    std::error_code Rename(const std::string& from, const std::string&) override
    {
        kept = from;
        return KeptSourceError(1176);
    }
    std::string kept;
};

TEST_F(ParameterFile, ASaveThatCannotTakeTheNameKeepsTheValuesAndSaysWhere)
{
    LiftingAxleCalibrationEnabled = 0;
    WriteBytes(Path("set.ini"), "Basic_Parameters\r\nold\r\n");
    HalfReplacingFileSystem fs;
    ScopedFileSystem use(fs);
    chooser_.QueueAnswer(Path("set.ini"));
    prompter_.QueueAnswer(MsgAnswer::Yes); // replace it
    EXPECT_FALSE(SaveParameterFile(Grids({"1", "2", "3"}, {})));
    ASSERT_FALSE(fs.kept.empty());
    const auto boxes = prompter_.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, T(221) + "\n" + Path("set.ini") + "\n" + KeptSourceError(1176).message() + "\n\n" +
                                 T(681) + "\n" + fs.kept);
    EXPECT_EQ(boxes[1].caption, T(76));
    EXPECT_EQ(ReadBytes(fs.kept), "Basic_Parameters\r\n1\r\n2\r\n3\r\n");
    EXPECT_EQ(ReadBytes(Path("set.ini")), "Basic_Parameters\r\nold\r\n");
}

} // namespace
