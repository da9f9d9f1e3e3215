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

#include <sys/stat.h>
#include <unistd.h>

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
    for (const FileFault fault : {FileFault::NoRoom, FileFault::NoPermission, FileFault::FailingClose,
                                  FileFault::FailingFlush, FileFault::FailingRename}) {
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

TEST_F(FileSaveTest, WhatIsWrittenReachesTheDiskBeforeTheNameChanges)
{
    WriteFileBytes(Path("report.pdf"), kOlder);
    tarvel_test::FailingFileSystem fs;
    ASSERT_TRUE(tarvel::SaveFileReplacing(Path("report.pdf"), kNewer, fs));
    ASSERT_EQ(fs.Created().size(), 1u);
    const std::string temporary = fs.Created()[0];
    EXPECT_EQ(fs.Calls(), (Names{"flush " + temporary, "close " + temporary,
                                 "rename " + temporary + " " + Path("report.pdf")}));
}

// A read-only file is not replaced, although the folder would let a new file
// be renamed over it; the box gives the system's reason ("Read-only file
// system" there, not a "Permission denied" of our own).
TEST_F(FileSaveTest, AReadOnlyTargetStaysAsItWasAndTheReasonIsTheSystems)
{
    struct {
        FileFault fault;
        const char* name;
    } cases[] = {
        {FileFault::ReadOnlyFile, "report.pdf"},
        {FileFault::ReadOnly, "report.pdf"},
        {FileFault::ReadOnly, "new.pdf"},
    };
    WriteFileBytes(Path("report.pdf"), kOlder);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(FaultName(c.fault)) + ", " + c.name);
        tarvel_test::FailingFileSystem fs(c.fault);
        const tarvel::SaveResult saved = tarvel::SaveFileReplacing(Path(c.name), kNewer, fs);
        EXPECT_EQ(saved.Error(), FaultError(c.fault));
        EXPECT_EQ(tarvel::NotSavedText("Not saved", Path(c.name), saved),
                  "Not saved\n" + Path(c.name) + "\n" + FaultError(c.fault).message());
        // Refused before anything was created or renamed.
        EXPECT_EQ(fs.Created(), Names{});
        EXPECT_EQ(fs.Calls(), Names{});
        EXPECT_EQ(ReadFileBytes(Path("report.pdf")), kOlder);
        EXPECT_EQ(FolderEntries(folder_), Names{"report.pdf"});
    }
}

TEST_F(FileSaveTest, AReplacedFileKeepsItsPermissionsAndANewOneGetsTheUsualOnes)
{
    const mode_t umaskBefore = ::umask(022);
    struct {
        const char* name;
        mode_t older; // 0: no older file
        mode_t saved;
    } cases[] = {
        {"private.ini", 0600, 0600},
        {"group.ini", 0640, 0640},
        {"odd.ini", 0604, 0604},
        {"new.ini", 0, 0644},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.older) {
            WriteFileBytes(Path(c.name), kOlder);
            ASSERT_EQ(::chmod(Path(c.name).c_str(), c.older), 0);
        }
        ASSERT_TRUE(tarvel::SaveFileReplacing(Path(c.name), kNewer));
        struct stat info {};
        ASSERT_EQ(::stat(Path(c.name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.saved) << std::oct << (info.st_mode & 07777);
        EXPECT_EQ(ReadFileBytes(Path(c.name)), kNewer);
    }
    ::umask(umaskBefore);

    // Another user's file stays theirs (only the superuser may give a file away).
    if (::geteuid() == 0) {
        WriteFileBytes(Path("theirs.ini"), kOlder);
        ASSERT_EQ(::chown(Path("theirs.ini").c_str(), 4321, 8765), 0);
        ASSERT_TRUE(tarvel::SaveFileReplacing(Path("theirs.ini"), kNewer));
        struct stat info {};
        ASSERT_EQ(::stat(Path("theirs.ini").c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 8765u);
    }
}

// Saving to a symbolic link replaces the file it leads to; the link stays.
TEST_F(FileSaveTest, ASaveThroughALinkReplacesTheFileItLeadsToAndKeepsTheLink)
{
    namespace fs = std::filesystem;
    fs::create_directory(Path("real"));
    struct {
        const char* link;
        std::string leadsTo; // as stored in the link
        const char* file;    // the file the save must replace
        bool older;          // the file exists before the save
    } cases[] = {
        {"relative.ini", "real/a.ini", "real/a.ini", true},
        {"absolute.ini", Path("real/b.ini"), "real/b.ini", true},
        {"chain.ini", "relative.ini", "real/a.ini", true},
        {"dangling.ini", "real/c.ini", "real/c.ini", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        if (c.older) WriteFileBytes(Path(c.file), kOlder);
        fs::create_symlink(c.leadsTo, Path(c.link));
        const std::string content = std::string("saved through ") + c.link;
        ASSERT_TRUE(tarvel::SaveFileReplacing(Path(c.link), content));
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(Path(c.link))));
        EXPECT_EQ(fs::read_symlink(Path(c.link)).string(), c.leadsTo);
        EXPECT_EQ(ReadFileBytes(Path(c.file)), content);
    }
    // No temporary file is left beside the links or the files.
    EXPECT_EQ(FolderEntries(folder_), (Names{"absolute.ini", "chain.ini", "dangling.ini", "real", "relative.ini"}));
    EXPECT_EQ(FolderEntries(Path("real")), (Names{"a.ini", "b.ini", "c.ini"}));

    // A link that leads to itself is refused as the system refuses it.
    fs::create_symlink("loop.ini", Path("loop.ini"));
    EXPECT_EQ(tarvel::SaveFileReplacing(Path("loop.ini"), kNewer).Error(), std::errc::too_many_symbolic_link_levels);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(Path("loop.ini"))));
}

// A recording's lines are on disk before the end: when the file cannot take
// the chosen name, they stay under the temporary name.
TEST_F(FileSaveTest, ACommitAskedToKeepTheBytesLeavesThemUnderTheTemporaryName)
{
    for (const FileFault fault : {FileFault::FailingFlush, FileFault::FailingClose, FileFault::FailingRename}) {
        SCOPED_TRACE(FaultName(fault));
        WriteFileBytes(Path("rec.csv"), kOlder);
        tarvel_test::FailingFileSystem fs(fault);
        std::string kept;
        {
            tarvel::ReplacingFile file(Path("rec.csv"), fs);
            ASSERT_TRUE(file.Open());
            ASSERT_TRUE(file.AppendRecord("a,\n"));
            ASSERT_TRUE(file.AppendRecord("b,\n"));
            const tarvel::SaveResult committed = file.Commit(tarvel::IfCommitFails::KeepTemporary);
            EXPECT_EQ(committed.Error(), FaultError(fault));
            EXPECT_FALSE(file.Committed());
            kept = file.KeptPath();
            ASSERT_EQ(fs.Created(), Names{kept});
        } // destroyed: the kept file stays
        EXPECT_EQ(tarvel::PathFolder(kept), folder_);
        EXPECT_EQ(ReadFileBytes(kept), "a,\nb,\n");
        EXPECT_EQ(ReadFileBytes(Path("rec.csv")), kOlder);
        EXPECT_EQ(FolderEntries(folder_), (Names{"rec.csv", tarvel::PathName(kept)}));
        std::filesystem::remove(kept);
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
