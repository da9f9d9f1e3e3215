#include "FailingFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tarvel_test {

const char* FaultName(FileFault fault)
{
    switch (fault) {
    case FileFault::None: return "no fault";
    case FileFault::NoRoom: return "no room";
    case FileFault::NoPermission: return "no permission";
    case FileFault::FailingClose: return "failing close";
    case FileFault::FailingFlush: return "failing flush";
    case FileFault::FailingRename: return "failing rename";
    case FileFault::ReadOnlyFile: return "read-only file";
    case FileFault::ReadOnly: return "read-only file system";
    }
    return "?";
}

std::error_code FaultError(FileFault fault)
{
    switch (fault) {
    case FileFault::None: return {};
    case FileFault::NoRoom: return std::error_code(ENOSPC, std::generic_category());
    case FileFault::NoPermission: return std::error_code(EACCES, std::generic_category());
    case FileFault::FailingClose: return std::error_code(EIO, std::generic_category());
    case FileFault::FailingFlush: return std::error_code(EIO, std::generic_category());
    case FileFault::FailingRename: return std::error_code(EBUSY, std::generic_category());
    case FileFault::ReadOnlyFile: return std::error_code(EACCES, std::generic_category());
    case FileFault::ReadOnly: return std::error_code(EROFS, std::generic_category());
    }
    return {};
}

class FailingFile : public tarvel::WritableFile {
public:
    FailingFile(FailingFileSystem& owner, std::unique_ptr<tarvel::WritableFile> real, FileFault fault,
                std::string path)
        : owner_(owner), real_(std::move(real)), fault_(fault), path_(std::move(path))
    {
    }

    std::error_code Write(const void* data, size_t size) override
    {
        const size_t fits = owner_.Reserve(size);
        if (fits > 0) {
            if (const std::error_code error = real_->Write(data, fits)) return error;
        }
        return fits < size ? FaultError(FileFault::NoRoom) : std::error_code();
    }
    std::error_code Truncate(uint64_t size) override { return real_->Truncate(size); }
    std::error_code Flush() override
    {
        owner_.Note("flush " + path_);
        if (fault_ == FileFault::FailingFlush) return FaultError(fault_);
        return real_->Flush();
    }
    std::error_code Close() override
    {
        if (!closed_) owner_.Note("close " + path_);
        const std::error_code error = real_->Close();
        if (error) return error;
        const bool first = !closed_;
        closed_ = true;
        if (fault_ == FileFault::FailingClose && first) return FaultError(fault_);
        return {};
    }
    std::error_code CopyAccessFrom(const std::string& path) override { return real_->CopyAccessFrom(path); }

private:
    FailingFileSystem& owner_;
    std::unique_ptr<tarvel::WritableFile> real_;
    FileFault fault_;
    std::string path_;
    bool closed_ = false;
};

FailingFileSystem::FailingFileSystem(FileFault fault, uint64_t room) : fault_(fault), room_(room) {}

std::unique_ptr<tarvel::WritableFile> FailingFileSystem::CreateNew(const std::string& path, std::error_code& error)
{
    if (fault_ == FileFault::NoPermission || fault_ == FileFault::ReadOnly) {
        error = FaultError(fault_);
        return nullptr;
    }
    std::unique_ptr<tarvel::WritableFile> real = tarvel::RealFileSystem().CreateNew(path, error);
    if (!real) return nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        created_.push_back(path);
    }
    return std::make_unique<FailingFile>(*this, std::move(real), fault_, path);
}

std::error_code FailingFileSystem::Rename(const std::string& from, const std::string& to)
{
    Note("rename " + from + " " + to);
    if (fault_ == FileFault::FailingRename || fault_ == FileFault::ReadOnly) return FaultError(fault_);
    return tarvel::RealFileSystem().Rename(from, to);
}

std::error_code FailingFileSystem::Remove(const std::string& path)
{
    if (fault_ == FileFault::ReadOnly) return FaultError(fault_);
    return tarvel::RealFileSystem().Remove(path);
}

tarvel::PathStatus FailingFileSystem::Status(const std::string& path)
{
    tarvel::PathStatus status = tarvel::RealFileSystem().Status(path);
    if ((fault_ == FileFault::ReadOnly || (fault_ == FileFault::ReadOnlyFile && !status.folder)) && status.exists) {
        status.writable = false;
        status.refusal = FaultError(fault_);
    }
    return status;
}

std::optional<std::string> FailingFileSystem::ReadLink(const std::string& path)
{
    return tarvel::RealFileSystem().ReadLink(path);
}

std::vector<std::string> FailingFileSystem::Created() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return created_;
}

uint64_t FailingFileSystem::Written() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return written_;
}

std::vector<std::string> FailingFileSystem::Calls() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

void FailingFileSystem::Note(const std::string& call)
{
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
}

size_t FailingFileSystem::Reserve(size_t size)
{
    std::lock_guard<std::mutex> lock(mutex_);
    size_t fits = size;
    if (fault_ == FileFault::NoRoom)
        fits = static_cast<size_t>(std::min<uint64_t>(size, room_ > written_ ? room_ - written_ : 0));
    written_ += fits;
    return fits;
}

std::string MakeTempFolder(const std::string& prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!mkdtemp(&pattern[0])) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace tarvel_test
