// The one way to save: the name settled before the question about replacing
// a file, the temporary file beside the target, and what a failing file
// system leaves behind (the older file as it was, no temporary or empty file).
#include "FailingFileSystem.h"
#include "FileSave.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using tarvel_test::FaultError;
using tarvel_test::FaultName;
using tarvel_test::FileFault;
using tarvel_test::FolderEntries;
using tarvel_test::ReadFileBytes;
using tarvel_test::WriteFileBytes;
using Names = std::vector<std::string>;

class FileSaveTest : public ::testing::Test {
protected:
    FileSaveTest() : folder_(tarvel_test::MakeTempFolder("tarvel-filesave")) {}
    ~FileSaveTest() override
    {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    std::string folder_;
};

// An older report of 4,809 bytes, and a new one that is larger.
const std::string kOlder = std::string(4809, 'o');
const std::string kNewer = std::string(17382, 'n');

TEST_F(FileSaveTest, ANewFileReplacesTheOlderOneAndNothingElseIsLeft)
{
    WriteFileBytes(Path("report.pdf"), kOlder);
    const tarvel::SaveResult saved = tarvel::SaveFileReplacing(Path("report.pdf"), kNewer);
    ASSERT_TRUE(saved) << saved.Reason();
    EXPECT_EQ(ReadFileBytes(Path("report.pdf")), kNewer);
    EXPECT_EQ(FolderEntries(folder_), Names{"report.pdf"});

    ASSERT_TRUE(tarvel::SaveFileReplacing(Path("new.ini"), "a\r\n"));
    EXPECT_EQ(ReadFileBytes(Path("new.ini")), "a\r\n");
    EXPECT_EQ(FolderEntries(folder_), (Names{"new.ini", "report.pdf"}));
}

TEST_F(FileSaveTest, OnAFailingFileSystemTheOlderFileStaysAndNoTemporaryIsLeft)
{
    // "No room" leaves room for part of the new file, as a nearly full disk does.
    for (const FileFault fault : {FileFault::NoRoom, FileFault::NoPermission, FileFault::FailingClose}) {
        SCOPED_TRACE(FaultName(fault));
        WriteFileBytes(Path("report.pdf"), kOlder);
        tarvel_test::FailingFileSystem fs(fault, 4096);
        const tarvel::SaveResult saved = tarvel::SaveFileReplacing(Path("report.pdf"), kNewer, fs);
        EXPECT_FALSE(saved);
        EXPECT_EQ(saved.Error(), FaultError(fault));
        EXPECT_EQ(saved.Reason(), FaultError(fault).message());
        EXPECT_EQ(ReadFileBytes(Path("report.pdf")), kOlder);
        EXPECT_EQ(FolderEntries(folder_), Names{"report.pdf"});

        // Without an older file nothing at all is left, not even an empty one.
        std::filesystem::remove(Path("report.pdf"));
        tarvel_test::FailingFileSystem again(fault, 4096);
        EXPECT_FALSE(tarvel::SaveFileReplacing(Path("report.pdf"), kNewer, again));
        EXPECT_EQ(FolderEntries(folder_), Names{});
        if (fault != FileFault::NoPermission) {
            // The bytes went to a file of its own beside the target, never to the target.
            ASSERT_EQ(again.Created().size(), 1u);
            EXPECT_EQ(tarvel::PathFolder(again.Created()[0]), folder_);
            EXPECT_NE(again.Created()[0], Path("report.pdf"));
        }
    }
}

TEST_F(FileSaveTest, AFolderOrAMissingFolderIsNoTarget)
{
    std::filesystem::create_directory(Path("sub"));
    const tarvel::SaveResult folder = tarvel::SaveFileReplacing(Path("sub"), "x");
    EXPECT_EQ(folder.Error(), std::errc::is_a_directory);
    EXPECT_TRUE(std::filesystem::is_directory(Path("sub")));
    const tarvel::SaveResult missing = tarvel::SaveFileReplacing(Path("none/x.ini"), "x");
    EXPECT_EQ(missing.Error(), std::errc::no_such_file_or_directory);
    EXPECT_EQ(FolderEntries(folder_), Names{"sub"});
    EXPECT_EQ(tarvel::NotSavedText("The file was not saved", Path("none/x.ini"), missing),
              "The file was not saved\n" + Path("none/x.ini") + "\nNo such file or directory");
}

TEST_F(FileSaveTest, RecordsAreWrittenWholeOrNotAtAll)
{
    WriteFileBytes(Path("rec.csv"), kOlder);
    // Room for the mark, the header and one and a half value lines.
    const std::string mark = "\xEF\xBB\xBF", header = "bar-Demand Pressure,\n", line = "2.00,\n";
    tarvel_test::FailingFileSystem fs(FileFault::NoRoom, mark.size() + header.size() + line.size() + 3);
    tarvel::ReplacingFile file(Path("rec.csv"), fs);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.AppendRecord(mark));
    ASSERT_TRUE(file.AppendRecord(header));
    ASSERT_TRUE(file.AppendRecord(line));
    const tarvel::SaveResult full = file.AppendRecord(line);
    EXPECT_EQ(full.Error(), std::errc::no_space_on_device);
    EXPECT_EQ(file.Failure().Error(), std::errc::no_space_on_device);
    // Nothing more is taken once the disk was full.
    EXPECT_FALSE(file.AppendRecord(line));
    EXPECT_EQ(file.Size(), mark.size() + header.size() + line.size());
    // Until the commit the older file is untouched; then it holds whole lines.
    EXPECT_EQ(ReadFileBytes(Path("rec.csv")), kOlder);
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadFileBytes(Path("rec.csv")), mark + header + line);
    EXPECT_EQ(FolderEntries(folder_), Names{"rec.csv"});
}

TEST_F(FileSaveTest, AFailedPlainWriteSpoilsTheFileAndAnUnfinishedOneIsRemoved)
{
    WriteFileBytes(Path("a.TSO"), kOlder);
    {
        tarvel_test::FailingFileSystem fs(FileFault::NoRoom, 10);
        tarvel::ReplacingFile file(Path("a.TSO"), fs);
        ASSERT_TRUE(file.Open());
        EXPECT_FALSE(file.Write(kNewer));
        EXPECT_EQ(file.Commit().Error(), std::errc::no_space_on_device);
    }
    {
        tarvel::ReplacingFile file(Path("a.TSO"));
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write(kNewer));
        EXPECT_EQ(FolderEntries(folder_).size(), 2u); // the older file and the temporary one
    } // never committed
    EXPECT_EQ(ReadFileBytes(Path("a.TSO")), kOlder);
    EXPECT_EQ(FolderEntries(folder_), Names{"a.TSO"});
}

TEST(FileSaveNames, TheExtensionIsAddedUnlessTheNameEndsWithIt)
{
    struct {
        const char* path;
        const char* extension;
        const char* settled;
    } cases[] = {
        {"/d/a", "TSO", "/d/a.TSO"},          {"/d/a.TSO", "TSO", "/d/a.TSO"},
        {"/d/a.tso", "TSO", "/d/a.tso"},      {"/d/trailer", "ini", "/d/trailer.ini"},
        {"/d/v1.2", "ini", "/d/v1.2.ini"},    {"/d/x.txt", "csv", "/d/x.txt.csv"},
        {"/d/report.", "pdf", "/d/report.pdf"}, {"/d/a", "", "/d/a"},
        {"C:\\r\\p.PDF", "pdf", "C:\\r\\p.PDF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tarvel::WithExtension(c.path, c.extension), c.settled) << c.path;
    EXPECT_EQ(tarvel::PathFolder("/d/e/f.ini"), "/d/e");
    EXPECT_EQ(tarvel::PathFolder("/f.ini"), "/");
    EXPECT_EQ(tarvel::PathFolder("f.ini"), "");
    EXPECT_EQ(tarvel::PathName("C:\\d\\f.ini"), "f.ini");
}

// ---- The save dialog ----

class SaveDialogTest : public FileSaveTest {
protected:
    std::optional<std::string> Choose()
    {
        tarvel::FileRequest request;
        request.folder = folder_;
        request.fileName = "ODR_Data 2026-12-09 07-36-37.TSO";
        request.filter = "文件 (*.TSO;)|*.TSO";
        request.defaultExtension = "TSO";
        return tarvel::ChooseSaveFile(chooser_, prompter_, request, {"Replace it?", "Confirm Save"});
    }

    tarvel::RecordingFileChooser chooser_;
    tarvel::RecordingPrompter prompter_;
};

TEST_F(SaveDialogTest, ANameTypedWithoutItsExtensionIsAskedAboutBeforeAnythingIsWritten)
{
    WriteFileBytes(Path("a.TSO"), kOlder);
    chooser_.QueueAnswer(Path("a"));
    prompter_.QueueAnswer(tarvel::MsgAnswer::No);
    chooser_.QueueAnswer(std::nullopt); // then the user cancels the dialog shown again
    EXPECT_EQ(Choose(), std::nullopt);
    ASSERT_EQ(prompter_.Count(), 1u);
    const auto box = prompter_.Boxes()[0];
    EXPECT_EQ(box.text, Path("a.TSO") + "\n\nReplace it?");
    EXPECT_EQ(box.caption, "Confirm Save");
    EXPECT_EQ(box.buttons, tarvel::MsgButtons::YesNo);
    // The dialog came back with the name that was asked about.
    const auto requests = chooser_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].fileName, "ODR_Data 2026-12-09 07-36-37.TSO");
    EXPECT_EQ(requests[1].folder, folder_);
    EXPECT_EQ(requests[1].fileName, "a.TSO");
    EXPECT_EQ(ReadFileBytes(Path("a.TSO")), kOlder);
    EXPECT_EQ(FolderEntries(folder_), Names{"a.TSO"});

    // Yes: the settled name is the one to write.
    chooser_.QueueAnswer(Path("a"));
    prompter_.QueueAnswer(tarvel::MsgAnswer::Yes);
    EXPECT_EQ(Choose(), Path("a.TSO"));
}

TEST_F(SaveDialogTest, ACancelledDialogShowsNothingAndANewNameAsksNothing)
{
    EXPECT_EQ(Choose(), std::nullopt);
    EXPECT_EQ(prompter_.Count(), 0u);

    // "b" exists, "b.TSO" does not: the file written is b.TSO, nothing is replaced.
    WriteFileBytes(Path("b"), kOlder);
    chooser_.QueueAnswer(Path("b"));
    EXPECT_EQ(Choose(), Path("b.TSO"));
    EXPECT_EQ(prompter_.Count(), 0u);
    EXPECT_EQ(FolderEntries(folder_), Names{"b"});
}

} // namespace
