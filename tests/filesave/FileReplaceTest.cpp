// What a replacement leaves behind when the system cannot finish it: the
// Windows steps after ReplaceFileW fails (run here on a model of the disk),
// a save whose new content is left under its temporary name, the group rights
// of a file whose group cannot be copied, and a read-only file system.
#include "FailingFileSystem.h"
#include "FileReplace.h"
#include "FileSave.h"
#include "FileSystem.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using tarvel_test::FolderEntries;
using tarvel_test::ReadFileBytes;
using tarvel_test::WriteFileBytes;
using Names = std::vector<std::string>;

// ---- The Windows steps, on a model of the disk ----------------------------

// How ReplaceFileW behaves in a case, as its documentation describes it.
enum class Replace {
    Works,              // the older file goes to the backup, the new one takes its name
    FailsKeepingNames,  // 1176 with a backup name: both files keep their names
    FailsAfterBackup,   // 1176, the older file already under the backup name
    FailsMovingBack,    // 1177: the older file under the backup name, the new one under its own
    NothingChanged,     // 1175 (ERROR_UNABLE_TO_REMOVE_REPLACED), 5 (access denied): neither file moved
    TargetGone,         // 2: the target went away before the call
};

struct Disk {
    std::map<std::string, std::string> files;
    Replace replace = Replace::Works;
    uint32_t error = 0;        // returned by a failing ReplaceFileW
    bool movesFail = false;    // MoveFileExW of the new file fails (the target is held open)
    bool restoreFails = false; // MoveFileExW of the backup fails

    bool Has(const std::string& name) const { return files.count(name) != 0; }
    std::string At(const std::string& name) const { return Has(name) ? files.at(name) : "<none>"; }
    void Move(const std::string& from, const std::string& to)
    {
        files[to] = files.at(from);
        files.erase(from);
    }

    tarvel::ReplaceCalls Calls()
    {
        tarvel::ReplaceCalls calls;
        calls.replace = [this](const std::string& target, const std::string& replacement,
                               const std::string& backup) -> uint32_t {
            switch (replace) {
            case Replace::Works:
                Move(target, backup);
                Move(replacement, target);
                return 0;
            case Replace::FailsKeepingNames: return error;
            case Replace::FailsAfterBackup:
            case Replace::FailsMovingBack: Move(target, backup); return error;
            case Replace::NothingChanged: return error;
            case Replace::TargetGone: files.erase(target); return error;
            }
            return error;
        };
        calls.move = [this](const std::string& from, const std::string& to) -> uint32_t {
            if (!Has(from)) return tarvel::kWinErrorFileNotFound;
            const bool isBackup = from == "set.ini.old";
            if ((isBackup && restoreFails) || (!isBackup && movesFail)) return 32; // ERROR_SHARING_VIOLATION
            Move(from, to);
            return 0;
        };
        calls.remove = [this](const std::string& path) -> uint32_t {
            return files.erase(path) ? 0 : tarvel::kWinErrorFileNotFound;
        };
        calls.exists = [this](const std::string& path) { return Has(path); };
        return calls;
    }
};

TEST(WindowsReplacement, TheNewContentIsNeverLostAndTheOlderFileStaysInPlace)
{
    struct Case {
        const char* name;
        bool older;        // a file at the target before
        Replace replace;
        uint32_t error;
        bool movesFail;
        bool restoreFails;
        uint32_t outcome;  // the error returned; 0 when the target holds the new content
        bool keep;         // the new file must stay on disk
        const char* target;
        bool newKept;      // the new file still under its temporary name
        bool backupLeft;
    };
    const Case cases[] = {
        {"replaced", true, Replace::Works, 0, false, false, 0, false, "new", false, false},
        {"no older file: moved", false, Replace::Works, 0, false, false, 0, false, "new", false, false},
        {"1176, the move tried again works", true, Replace::FailsKeepingNames, 1176, false, false, 0, false, "new",
         false, false},
        {"1176, the move tried again fails", true, Replace::FailsKeepingNames, 1176, true, false, 1176, true, "old",
         true, false},
        {"1176 after the backup, the move works", true, Replace::FailsAfterBackup, 1176, false, false, 0, false, "new",
         false, false},
        {"1176 after the backup, the move fails", true, Replace::FailsAfterBackup, 1176, true, false, 1176, true,
         "old", true, false},
        {"1177", true, Replace::FailsMovingBack, 1177, false, false, 1177, true, "old", true, false},
        {"1177, the older file cannot go back", true, Replace::FailsMovingBack, 1177, false, true, 1177, true,
         "<none>", true, true},
        {"1175, nothing changed", true, Replace::NothingChanged, 1175, false, false, 1175, false, "old", true, false},
        {"access denied", true, Replace::NothingChanged, 5, false, false, 5, false, "old", true, false},
        {"the target went away", true, Replace::TargetGone, 2, false, false, 0, false, "new", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Disk disk;
        if (c.older) disk.files["set.ini"] = "old";
        disk.files["set.ini.tmp"] = "new";
        disk.replace = c.replace;
        disk.error = c.error;
        disk.movesFail = c.movesFail;
        disk.restoreFails = c.restoreFails;
        const tarvel::ReplaceOutcome outcome =
            tarvel::ReplaceWithBackup("set.ini.tmp", "set.ini", "set.ini.old", disk.Calls());
        EXPECT_EQ(outcome.error, c.outcome);
        EXPECT_EQ(outcome.keepReplacement, c.keep);
        EXPECT_EQ(disk.At("set.ini"), c.target);
        EXPECT_EQ(disk.Has("set.ini.tmp"), c.newKept);
        if (c.newKept) {
            EXPECT_EQ(disk.At("set.ini.tmp"), "new");
        }
        EXPECT_EQ(disk.Has("set.ini.old"), c.backupLeft);
        if (c.backupLeft) {
            EXPECT_EQ(disk.At("set.ini.old"), "old");
        }
        // Whatever happened, the new content is somewhere unless the caller
        // may remove it, and the older one is somewhere until replaced.
        if (c.outcome != 0 && !c.keep) {
            EXPECT_EQ(disk.At("set.ini"), "old");
        }
    }
}

// A file system whose rename fails as a Windows replacement that cannot
// finish does: the source is kept and the error says so.
class HalfReplacingFileSystem : public tarvel_test::FailingFileSystem {
public:
    std::error_code Rename(const std::string& from, const std::string&) override
    {
        renamed = from;
        return tarvel::KeptSourceError(tarvel::kWinErrorUnableToMoveReplacement);
    }
    std::string renamed;
};

class FileReplaceTest : public ::testing::Test {
protected:
    FileReplaceTest() : folder_(tarvel_test::MakeTempFolder("tarvel-filereplace")) {}
    ~FileReplaceTest() override
    {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    std::string folder_;
};

TEST_F(FileReplaceTest, ANewContentThatCouldNotTakeTheNameIsKeptAndNamed)
{
    WriteFileBytes(Path("set.ini"), "older");
    for (const tarvel::IfCommitFails ifFails :
         {tarvel::IfCommitFails::RemoveTemporary, tarvel::IfCommitFails::KeepTemporary}) {
        HalfReplacingFileSystem fs;
        tarvel::ReplacingFile file(Path("set.ini"), fs);
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write("newer"));
        const tarvel::SaveResult saved = file.Commit(ifFails);
        EXPECT_FALSE(saved);
        EXPECT_TRUE(tarvel::IsKeptSource(saved.Error()));
        EXPECT_EQ(saved.Error().value(), 1176);
        ASSERT_FALSE(fs.renamed.empty());
        EXPECT_EQ(saved.KeptPath(), fs.renamed);
        EXPECT_EQ(file.KeptPath(), fs.renamed);
        EXPECT_EQ(ReadFileBytes(saved.KeptPath()), "newer");
        EXPECT_EQ(ReadFileBytes(Path("set.ini")), "older");
        EXPECT_EQ(tarvel::NotSavedText("Not saved", Path("set.ini"), saved, "Kept in:"),
                  "Not saved\n" + Path("set.ini") + "\n" + saved.Reason() + "\n\nKept in:\n" + saved.KeptPath());
        std::filesystem::remove(saved.KeptPath());
    }
    // Through the one save call as well.
    HalfReplacingFileSystem fs;
    const tarvel::SaveResult saved = tarvel::SaveFileReplacing(Path("set.ini"), "newest", fs);
    EXPECT_EQ(saved.KeptPath(), fs.renamed);
    EXPECT_EQ(ReadFileBytes(saved.KeptPath()), "newest");
    EXPECT_EQ(FolderEntries(folder_), (Names{"set.ini", tarvel::PathName(fs.renamed)}));
    // An ordinary failure keeps nothing and names nothing.
    tarvel_test::FailingFileSystem failing(tarvel_test::FileFault::FailingRename);
    const tarvel::SaveResult refused = tarvel::SaveFileReplacing(Path("set.ini"), "newest", failing);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.KeptPath(), "");
    EXPECT_EQ(tarvel::NotSavedText("Not saved", Path("set.ini"), refused, "Kept in:"),
              "Not saved\n" + Path("set.ini") + "\n" + refused.Reason());
}

// ---- Group rights ---------------------------------------------------------

// Runs `work` in a child process as user 4321 (group 4321, no other groups)
// and returns its exit status.
int RunAsAnotherUser(const std::function<int()>& work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(4321, 4321, 4321) != 0 || ::setresuid(4321, 4321, 4321) != 0)
            ::_exit(90);
        ::_exit(work());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

// The older file's group cannot be given to the new file (its user is not
// in it): the new file gets no group rights at all, so no one can read it who
// could not read the older one.
TEST_F(FileReplaceTest, AGroupThatCannotBeCopiedLeavesTheNewFileWithoutGroupRights)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "setting up another user's file in a group of someone else needs the superuser";
    constexpr uid_t kUser = 4321;
    constexpr gid_t kUserGroup = 4321, kOtherGroup = 8765;
    ASSERT_EQ(::chown(folder_.c_str(), kUser, kUserGroup), 0);
    struct {
        const char* name;
        gid_t group;
        mode_t older;
        gid_t savedGroup;
        mode_t saved;
    } cases[] = {
        {"group-readable.ini", kOtherGroup, 0640, kUserGroup, 0600},
        {"group-writable.ini", kOtherGroup, 0664, kUserGroup, 0604},
        {"group-all.ini", kOtherGroup, 0670, kUserGroup, 0600},
        {"setgid.ini", kOtherGroup, 02660, kUserGroup, 0600},
        // The user's own group is copied, and its rights with it.
        {"own-group.ini", kUserGroup, 0640, kUserGroup, 0640},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Path(c.name);
        WriteFileBytes(path, "older");
        ASSERT_EQ(::chown(path.c_str(), kUser, c.group), 0);
        ASSERT_EQ(::chmod(path.c_str(), c.older), 0);
        const int status = RunAsAnotherUser([&] {
            ::umask(022);
            return tarvel::SaveFileReplacing(path, "newer", tarvel::RealFileSystem()) ? 0 : 1;
        });
        ASSERT_NE(status, 90) << "could not become user 4321";
        ASSERT_EQ(status, 0);
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, kUser);
        EXPECT_EQ(info.st_gid, c.savedGroup);
        EXPECT_EQ(info.st_mode & 07777, c.saved) << std::oct << (info.st_mode & 07777);
        EXPECT_EQ(ReadFileBytes(path), "newer");
    }
    EXPECT_EQ(FolderEntries(folder_).size(), std::size(cases));
}

// ---- A read-only file system ----------------------------------------------

// What a child process saw on a read-only file system of its own.
struct ReadOnlySeen {
    bool made = false;
    std::string why; // when no read-only file system could be made
    std::string status, replace, create, olderAfter;
};

// Mounts a small file system on `folder` in a mount namespace of a child
// process, puts an older file on it, makes it read-only and saves there.
ReadOnlySeen SaveOnAReadOnlyFileSystem(const std::string& folder)
{
    int pipe[2];
    if (::pipe(pipe) != 0) return {false, "no pipe", {}, {}, {}, {}};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        auto say = [&](const std::string& text) {
            const std::string line = text + "\n";
            (void)!::write(pipe[1], line.data(), line.size());
        };
        const std::string older = folder + "/report.pdf";
        const bool ownNamespace = ::unshare(CLONE_NEWNS) == 0;
        if (!ownNamespace) {
            say(std::string("MADE-NOT no mount namespace: ") + std::strerror(errno));
            ::_exit(0);
        }
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        if (::mount("tarvel-test", folder.c_str(), "tmpfs", 0, "size=64k") != 0) {
            say(std::string("MADE-NOT no mount: ") + std::strerror(errno));
            ::_exit(0);
        }
        WriteFileBytes(older, "older");
        if (::mount("tarvel-test", folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            say(std::string("MADE-NOT no read-only remount: ") + std::strerror(errno));
            ::_exit(0);
        }
        say("MADE");
        say(tarvel::RealFileSystem().Status(older).refusal.message());
        say(tarvel::SaveFileReplacing(older, "newer", tarvel::RealFileSystem()).Reason());
        say(tarvel::SaveFileReplacing(folder + "/new.pdf", "newer", tarvel::RealFileSystem()).Reason());
        say(ReadFileBytes(older));
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::istringstream lines(out);
    ReadOnlySeen seen;
    std::string first;
    std::getline(lines, first);
    if (first != "MADE") {
        seen.why = first.empty() ? "the child said nothing" : first;
        return seen;
    }
    seen.made = true;
    std::getline(lines, seen.status);
    std::getline(lines, seen.replace);
    std::getline(lines, seen.create);
    std::getline(lines, seen.olderAfter);
    return seen;
}

// A folder mounted read-only, from the mount table; empty when none is.
std::string AReadOnlyMount()
{
    std::ifstream table("/proc/self/mountinfo");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point, options;
        fields >> id >> parent >> device >> root >> point >> options;
        if ((options == "ro" || options.rfind("ro,", 0) == 0) && std::filesystem::is_directory(point)) return point;
    }
    return std::string();
}

// A save on a read-only file system names the system's reason, "Read-only
// file system", never a "Permission denied" of the program's own: the
// program's look at the file, and the save through it.
TEST_F(FileReplaceTest, AReadOnlyFileSystemIsNamedAsTheSystemNamesIt)
{
    const std::string readOnly = std::error_code(EROFS, std::generic_category()).message();
    ASSERT_NE(readOnly, std::error_code(EACCES, std::generic_category()).message());

    // Through the seam, always: the save shows the reason it is given.
    WriteFileBytes(Path("report.pdf"), "older");
    tarvel_test::FailingFileSystem seam(tarvel_test::FileFault::ReadOnly);
    EXPECT_EQ(tarvel::SaveFileReplacing(Path("report.pdf"), "newer", seam).Reason(), readOnly);
    EXPECT_EQ(tarvel::SaveFileReplacing(Path("new.pdf"), "newer", seam).Reason(), readOnly);

    // On a real read-only file system, where the system allows one to be made.
    std::filesystem::create_directory(Path("ro"));
    const ReadOnlySeen seen = SaveOnAReadOnlyFileSystem(Path("ro"));
    if (!seen.made) {
        // Where no file system can be made, one that is mounted read-only
        // already (a container's /sys or /proc/sys) shows the look at it.
        const std::string mount = AReadOnlyMount();
        if (mount.empty())
            GTEST_SKIP() << "no read-only file system could be made or found here (" << seen.why << ")";
        EXPECT_EQ(tarvel::RealFileSystem().Status(mount).refusal.message(), readOnly) << mount;
        return;
    }
    EXPECT_EQ(seen.status, readOnly);
    EXPECT_EQ(seen.replace, readOnly);
    EXPECT_EQ(seen.create, readOnly);
    EXPECT_EQ(seen.olderAfter, "older");
    EXPECT_EQ(FolderEntries(Path("ro")), Names{}); // the mount was the child's alone
}

} // namespace
