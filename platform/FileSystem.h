// The few file-system calls a save makes (create, write, cut back, flush,
// close, rename, remove, look at a path, follow a link), behind one interface. The program
// uses the real file system; tests install one that runs out of room, is
// refused permission or fails to close, to show what a save does then.
//
// Every call reports the system's error; nothing is thrown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

namespace tarvel {

// A file opened for writing by FileSystem::CreateNew.
class WritableFile {
public:
    virtual ~WritableFile() = default; // closes a file still open, ignoring the result
    // Writes all `size` bytes or fails; after a failure part of them may
    // have been written.
    virtual std::error_code Write(const void* data, size_t size) = 0;
    // Cuts the file to `size` bytes.
    virtual std::error_code Truncate(uint64_t size) = 0;
    // Pushes what was written through to the disk.
    virtual std::error_code Flush() = 0;
    // Closes the file; a second call does nothing.
    virtual std::error_code Close() = 0;
    // Gives the file the access rights of the existing file at `path`, so
    // that a file written in its place is no more readable than it was: its
    // permission bits, and its owner and group as far as the system lets the
    // program change them. When the group cannot be copied the new file gets
    // no group rights at all (and the result says why the group stayed). On
    // Windows there is nothing to do here: Rename
    // carries the replaced file's attributes and security over.
    virtual std::error_code CopyAccessFrom(const std::string& path) = 0;
};

struct PathStatus {
    bool exists = false;
    bool folder = false;
    bool writable = false; // an existing entry the program may change
    // Why an existing entry may not be changed, in the system's words
    // ("Read-only file system", "Permission denied"); clear when writable.
    std::error_code refusal;
};

// The error of a rename that failed and left its source file in place on
// purpose, because that file holds the only copy of the new content (a
// Windows replacement that could not finish): the value is the system's
// error, and so is its message. A save keeps such a file and names it.
const std::error_category& KeptSourceCategory();
inline std::error_code KeptSourceError(int systemError) { return std::error_code(systemError, KeptSourceCategory()); }
inline bool IsKeptSource(const std::error_code& error) { return error && error.category() == KeptSourceCategory(); }

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Creates a file that must not exist yet (UTF-8 path).
    virtual std::unique_ptr<WritableFile> CreateNew(const std::string& path, std::error_code& error) = 0;
    // Moves `from` to `to`, replacing a file at `to` in one step. A failure
    // in KeptSourceCategory leaves `from` holding what was to be at `to`.
    virtual std::error_code Rename(const std::string& from, const std::string& to) = 0;
    virtual std::error_code Remove(const std::string& path) = 0;
    // What is at `path`, following symbolic links.
    virtual PathStatus Status(const std::string& path) = 0;
    // When `path` itself is a symbolic link, the path stored in it (relative
    // to the link's folder unless absolute); otherwise nothing.
    virtual std::optional<std::string> ReadLink(const std::string& path) = 0;
};

// The file system in use: the real one unless a test installed another.
FileSystem& GetFileSystem();
// Not owned; nullptr goes back to the real one.
void SetFileSystem(FileSystem* fileSystem);
FileSystem& RealFileSystem();

// Installs a file system for the lifetime of the guard (tests).
class ScopedFileSystem {
public:
    explicit ScopedFileSystem(FileSystem& fileSystem);
    ~ScopedFileSystem();
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

private:
    FileSystem* previous_;
};

} // namespace tarvel
