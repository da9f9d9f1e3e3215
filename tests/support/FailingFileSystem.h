// A file system that fails as real ones do: a disk that runs out of room
// part-way through a write, a folder the program may not write in, a close
// that reports an error. Everything else is done on the real file system, so
// what a save leaves behind can be looked at on disk afterwards.
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
#include <string>
#include <system_error>
#include <vector>

namespace tarvel_test {

enum class FileFault {
    None,
    NoRoom,       // writes fail with ENOSPC once `room` bytes were written (in all files together)
    NoPermission, // files cannot be created: EACCES
    FailingClose, // the data is written, but closing reports EIO
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

    // Files created so far (temporary files included).
    std::vector<std::string> Created() const;
    // Bytes written so far, in all files.
    uint64_t Written() const;

private:
    friend class FailingFile;
    // The part of a write of `size` bytes that still fits (all of it without NoRoom).
    size_t Reserve(size_t size);

    const FileFault fault_;
    const uint64_t room_;
    mutable std::mutex mutex_;
    uint64_t written_ = 0;
    std::vector<std::string> created_;
};

// A new empty folder under the temporary folder.
std::string MakeTempFolder(const std::string& prefix);
// The names in `folder`, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace tarvel_test
