// A file system that fails as real ones do: a disk that runs out of room
// part-way through a write, a folder the program may not write in, a flush,
// close or rename that reports an error, files that are read-only. Everything
// else is done on the real file system, so what a save leaves behind can be
// looked at on disk afterwards. (The tests run as the superuser, for whom a
// real read-only file looks writable: only this file system can show one.)
//
//   tarvel_test::FailingFileSystem fs(tarvel_test::FileFault::NoRoom, 100);
//   tarvel::ScopedFileSystem use(fs);
//   ... save ...
//   EXPECT_EQ(tarvel_test::FolderEntries(folder), (std::vector<std::string>{"old.ini"}));
#pragma once

#include "FileSystem.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace tarvel_test {

enum class FileFault {
    None,
    NoRoom,       // writes fail with ENOSPC once `room` bytes were written (in all files together)
    NoPermission, // files cannot be created: EACCES
    FailingClose, // the data is written, but closing reports EIO
    FailingFlush, // pushing the data to the disk reports EIO (nothing is pushed)
    FailingRename, // every rename reports EBUSY, as when another program holds the target open
    ReadOnlyFile, // existing files are read-only (EACCES, as a user other than the superuser sees them);
                  // new files can be created and renamed over them
    ReadOnly,     // everything is on a read-only file system (EROFS): nothing can be created, renamed or removed
};

// "no room", "no permission", "failing close" (for test output).
const char* FaultName(FileFault fault);
// The error the fault gives.
std::error_code FaultError(FileFault fault);

class FailingFileSystem : public tarvel::FileSystem {
public:
    explicit FailingFileSystem(FileFault fault = FileFault::None, uint64_t room = 0);

    std::unique_ptr<tarvel::WritableFile> CreateNew(const std::string& path, std::error_code& error) override;
    std::error_code Rename(const std::string& from, const std::string& to) override;
    std::error_code Remove(const std::string& path) override;
    tarvel::PathStatus Status(const std::string& path) override;
    std::optional<std::string> ReadLink(const std::string& path) override;

    // Files created so far (temporary files included).
    std::vector<std::string> Created() const;
    // Bytes written so far, in all files.
    uint64_t Written() const;
    // The calls that finish a file, in order: "flush <path>", "close <path>",
    // "rename <from> <to>" (failed ones too).
    std::vector<std::string> Calls() const;

private:
    friend class FailingFile;
    // The part of a write of `size` bytes that still fits (all of it without NoRoom).
    size_t Reserve(size_t size);
    void Note(const std::string& call);

    const FileFault fault_;
    const uint64_t room_;
    mutable std::mutex mutex_;
    uint64_t written_ = 0;
    std::vector<std::string> created_;
    std::vector<std::string> calls_;
};

// A new empty folder under the temporary folder.
std::string MakeTempFolder(const std::string& prefix);
// The names in `folder`, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace tarvel_test
