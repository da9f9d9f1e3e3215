#include "FileSystem.h"

#include "FileReplace.h"

#include <atomic>
#include <cerrno>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarvel {
namespace {

std::error_code Errno(int value) { return std::error_code(value, std::generic_category()); }

std::optional<std::string> ReadLinkOf(const std::string& path)
{
    if (path.empty()) return std::nullopt;
    std::error_code error;
    const std::filesystem::path where = std::filesystem::u8path(path);
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(where, error))) return std::nullopt;
    const std::filesystem::path stored = std::filesystem::read_symlink(where, error);
    if (error || stored.empty()) return std::nullopt;
    return stored.u8string();
}

#ifdef _WIN32

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
    return wide;
}

std::error_code LastWindowsError() { return std::error_code(static_cast<int>(GetLastError()), std::system_category()); }

class DescriptorFile : public WritableFile {
public:
    explicit DescriptorFile(int fd) : fd_(fd) {}
    ~DescriptorFile() override { Close(); }

    std::error_code Write(const void* data, size_t size) override
    {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const unsigned chunk = size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
            const int n = _write(fd_, p, chunk);
            if (n < 0) return Errno(errno);
            if (n == 0) return Errno(ENOSPC);
            p += n;
            size -= static_cast<size_t>(n);
        }
        return {};
    }
    std::error_code Truncate(uint64_t size) override
    {
        const errno_t e = _chsize_s(fd_, static_cast<__int64>(size));
        return e == 0 ? std::error_code() : Errno(e);
    }
    std::error_code Flush() override { return _commit(fd_) == 0 ? std::error_code() : Errno(errno); }
    // ReplaceFileW in Rename keeps the replaced file's attributes and security.
    std::error_code CopyAccessFrom(const std::string&) override { return {}; }
    std::error_code Close() override
    {
        if (fd_ < 0) return {};
        const int fd = fd_;
        fd_ = -1;
        return _close(fd) == 0 ? std::error_code() : Errno(errno);
    }

private:
    int fd_;
};

class SystemFileSystem : public FileSystem {
public:
    std::unique_ptr<WritableFile> CreateNew(const std::string& path, std::error_code& error) override
    {
        const int fd = _wopen(Wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                              _S_IREAD | _S_IWRITE);
        if (fd < 0) {
            error = Errno(errno);
            return nullptr;
        }
        error.clear();
        return std::make_unique<DescriptorFile>(fd);
    }
    std::error_code Rename(const std::string& from, const std::string& to) override
    {
        // An existing file is replaced so that it keeps its attributes and
        // its security (who may read it); what happens when that fails
        // half-way is decided in FileReplace.
        auto result = [](BOOL done) { return done ? 0u : static_cast<uint32_t>(GetLastError()); };
        ReplaceCalls calls;
        calls.replace = [&](const std::string& target, const std::string& replacement, const std::string& backup) {
            return result(ReplaceFileW(Wide(target).c_str(), Wide(replacement).c_str(), Wide(backup).c_str(),
                                       REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr));
        };
        calls.move = [&](const std::string& source, const std::string& target) {
            return result(MoveFileExW(Wide(source).c_str(), Wide(target).c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
        };
        calls.remove = [&](const std::string& path) { return result(DeleteFileW(Wide(path).c_str())); };
        calls.exists = [](const std::string& path) {
            return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
        };
        const ReplaceOutcome outcome = ReplaceWithBackup(from, to, from + ".old", calls);
        if (outcome.error == 0) return {};
        if (outcome.keepReplacement) return KeptSourceError(static_cast<int>(outcome.error));
        return std::error_code(static_cast<int>(outcome.error), std::system_category());
    }
    std::error_code Remove(const std::string& path) override
    {
        return DeleteFileW(Wide(path).c_str()) ? std::error_code() : LastWindowsError();
    }
    PathStatus Status(const std::string& path) override
    {
        PathStatus status;
        const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return status;
        status.exists = true;
        status.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        status.writable = (attributes & FILE_ATTRIBUTE_READONLY) == 0;
        if (!status.writable) status.refusal = std::error_code(static_cast<int>(ERROR_ACCESS_DENIED), std::system_category());
        return status;
    }
    std::optional<std::string> ReadLink(const std::string& path) override { return ReadLinkOf(path); }
};

#else

class DescriptorFile : public WritableFile {
public:
    explicit DescriptorFile(int fd) : fd_(fd) {}
    ~DescriptorFile() override { Close(); }

    std::error_code Write(const void* data, size_t size) override
    {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t n = ::write(fd_, p, size);
            if (n < 0) {
                if (errno == EINTR) continue;
                return Errno(errno);
            }
            if (n == 0) return Errno(ENOSPC);
            p += n;
            size -= static_cast<size_t>(n);
        }
        return {};
    }
    std::error_code Truncate(uint64_t size) override
    {
        while (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
            if (errno != EINTR) return Errno(errno);
        }
        // Later writes go on at the new end.
        if (::lseek(fd_, static_cast<off_t>(size), SEEK_SET) < 0) return Errno(errno);
        return {};
    }
    std::error_code Flush() override
    {
        while (::fsync(fd_) != 0) {
            if (errno != EINTR) return Errno(errno);
        }
        return {};
    }
    std::error_code CopyAccessFrom(const std::string& path) override
    {
        struct stat info;
        if (::stat(path.c_str(), &info) != 0) return Errno(errno);
        // Owner and group first (changing them may clear permission bits).
        // Only the superuser may give the file away, and only to a group the
        // user belongs to otherwise: what is refused stays the user's.
        if (::fchown(fd_, info.st_uid, info.st_gid) != 0) (void)::fchown(fd_, static_cast<uid_t>(-1), info.st_gid);
        struct stat now;
        if (::fstat(fd_, &now) != 0) return Errno(errno);
        // A group that could not be copied: the older file's group rights
        // would go to another group (the user's own), so the new file gets
        // none, and is readable by no one who could not read the older one.
        const bool groupCopied = now.st_gid == info.st_gid;
        mode_t mode = info.st_mode & 07777;
        if (!groupCopied) mode &= ~static_cast<mode_t>(S_IRWXG | S_ISGID);
        if (::fchmod(fd_, mode) != 0) return Errno(errno);
        return groupCopied ? std::error_code() : Errno(EPERM);
    }
    std::error_code Close() override
    {
        if (fd_ < 0) return {};
        const int fd = fd_;
        fd_ = -1;
        // The descriptor is gone after close whatever it returns; EINTR does
        // not mean the data was lost.
        if (::close(fd) != 0 && errno != EINTR) return Errno(errno);
        return {};
    }

private:
    int fd_;
};

class SystemFileSystem : public FileSystem {
public:
    std::unique_ptr<WritableFile> CreateNew(const std::string& path, std::error_code& error) override
    {
        int fd;
        do {
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            error = Errno(errno);
            return nullptr;
        }
        error.clear();
        return std::make_unique<DescriptorFile>(fd);
    }
    std::error_code Rename(const std::string& from, const std::string& to) override
    {
        return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : Errno(errno);
    }
    std::error_code Remove(const std::string& path) override
    {
        return ::unlink(path.c_str()) == 0 ? std::error_code() : Errno(errno);
    }
    PathStatus Status(const std::string& path) override
    {
        PathStatus status;
        struct stat info;
        if (path.empty() || ::stat(path.c_str(), &info) != 0) return status;
        status.exists = true;
        status.folder = S_ISDIR(info.st_mode);
        status.writable = ::access(path.c_str(), W_OK) == 0;
        if (!status.writable) status.refusal = Errno(errno);
        return status;
    }
    std::optional<std::string> ReadLink(const std::string& path) override { return ReadLinkOf(path); }
};

#endif

// Errors of a rename whose source is kept: the system's errors and texts.
class KeptSourceErrors : public std::error_category {
public:
    const char* name() const noexcept override { return "kept source"; }
    std::string message(int value) const override { return std::system_category().message(value); }
};

SystemFileSystem systemFileSystem;
std::atomic<FileSystem*> installed{nullptr};

} // namespace

const std::error_category& KeptSourceCategory()
{
    static const KeptSourceErrors category;
    return category;
}

FileSystem& RealFileSystem() { return systemFileSystem; }
FileSystem& GetFileSystem()
{
    FileSystem* fs = installed.load();
    return fs ? *fs : systemFileSystem;
}
void SetFileSystem(FileSystem* fileSystem) { installed = fileSystem; }

ScopedFileSystem::ScopedFileSystem(FileSystem& fileSystem) : previous_(installed.exchange(&fileSystem)) {}
ScopedFileSystem::~ScopedFileSystem() { installed = previous_; }

} // namespace tarvel
