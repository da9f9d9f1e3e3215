#include "FileSave.h"

#include "Log.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <random>

namespace tarvel {
namespace {

constexpr int kTemporaryNameTries = 16;
// Links followed before a target counts as a loop (as the systems do).
constexpr int kMostLinksFollowed = 40;

std::error_code Errno(int value) { return std::error_code(value, std::generic_category()); }

// Six letters or digits that make a temporary name unlikely to be taken.
std::string RandomTag()
{
    static std::atomic<uint64_t> counter{0};
    thread_local std::mt19937_64 generator([] {
        uint64_t seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        try {
            std::random_device device;
            seed ^= (static_cast<uint64_t>(device()) << 32) ^ device();
        } catch (...) {
        }
        return seed ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    }());
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string tag;
    for (int i = 0; i < 6; ++i)
        tag.push_back(letters[generator() % (sizeof(letters) - 1)]);
    return tag;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithNoCase(const std::string& text, const std::string& tail)
{
    if (tail.size() > text.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (Lower(text[text.size() - tail.size() + i]) != Lower(tail[i])) return false;
    return true;
}

bool IsAbsolutePath(const std::string& path)
{
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
#ifdef _WIN32
    return path.size() >= 2 && path[1] == ':'; // a drive letter
#else
    return false;
#endif
}

// The file a save to `path` replaces: `path` itself, or the file the chain
// of symbolic links starting there leads to (which need not exist yet).
std::string FileBehindLinks(FileSystem& fs, const std::string& path, std::error_code& error)
{
    std::string current = path;
    for (int hop = 0; hop < kMostLinksFollowed; ++hop) {
        const std::optional<std::string> stored = fs.ReadLink(current);
        if (!stored) return current;
        if (IsAbsolutePath(*stored)) {
            current = *stored;
            continue;
        }
        std::string folder = PathFolder(current);
        if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder.push_back('/');
        current = folder + *stored;
    }
    error = Errno(ELOOP);
    return path;
}

} // namespace

std::string SaveResult::Reason() const { return error_ ? error_.message() : std::string(); }

ReplacingFile::ReplacingFile(std::string target, FileSystem& fileSystem)
    : fs_(fileSystem), target_(std::move(target))
{
}

ReplacingFile::~ReplacingFile()
{
    if (!committed_) Abandon();
}

SaveResult ReplacingFile::Open()
{
    if (file_ || committed_) return SaveResult(Errno(EBUSY));
    const PathStatus status = fs_.Status(target_);
    if (status.exists && status.folder) return failure_ = SaveResult(Errno(EISDIR));
    // Renaming would replace a read-only file on some systems; the user
    // protected it, so it is not replaced.
    if (status.exists && !status.writable)
        return failure_ = SaveResult(status.refusal ? status.refusal : Errno(EACCES));
    std::error_code error;
    replaced_ = FileBehindLinks(fs_, target_, error);
    if (error) return failure_ = SaveResult(error);
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        temporary_ = replaced_ + "." + RandomTag() + ".tmp";
        file_ = fs_.CreateNew(temporary_, error);
        if (file_ || error != std::errc::file_exists) break;
    }
    if (!file_) {
        temporary_.clear();
        return failure_ = SaveResult(error ? error : Errno(EEXIST));
    }
    // Before any byte is written: a private file's new content is never
    // readable by more people than the old one was.
    if (status.exists) {
        if (const std::error_code refused = file_->CopyAccessFrom(replaced_))
            TraceLog("could not give " + temporary_ + " the access rights of " + replaced_ + ": " + refused.message());
    }
    size_ = 0;
    return SaveResult();
}

SaveResult ReplacingFile::Write(std::string_view bytes)
{
    if (!failure_) return failure_;
    if (!file_) return SaveResult(Errno(EBADF));
    if (const std::error_code error = file_->Write(bytes.data(), bytes.size())) {
        spoiled_ = true;
        return failure_ = SaveResult(error);
    }
    size_ += bytes.size();
    return SaveResult();
}

SaveResult ReplacingFile::AppendRecord(std::string_view bytes)
{
    if (!failure_) return failure_;
    if (!file_) return SaveResult(Errno(EBADF));
    if (const std::error_code error = file_->Write(bytes.data(), bytes.size())) {
        failure_ = SaveResult(error);
        // Part of the record may be on disk: cut it off again.
        if (file_->Truncate(size_)) spoiled_ = true;
        return failure_;
    }
    size_ += bytes.size();
    return SaveResult();
}

SaveResult ReplacingFile::Commit(IfCommitFails ifFails)
{
    if (committed_) return SaveResult();
    if (!file_) return !failure_ ? failure_ : SaveResult(Errno(EBADF));
    // What is written goes to the disk before the name changes: a crash
    // never leaves the target name on a file whose bytes are still missing.
    std::error_code error = spoiled_ ? failure_.Error() : file_->Flush();
    const std::error_code closed = file_->Close();
    if (!error) error = closed;
    file_.reset();
    if (!error) error = fs_.Rename(temporary_, replaced_);
    if (error) {
        if ((ifFails == IfCommitFails::KeepTemporary || IsKeptSource(error)) && !temporary_.empty()) {
            kept_ = temporary_;
            temporary_.clear();
            TraceLog("could not save " + target_ + " (" + error.message() + "); the bytes stay in " + kept_);
            return SaveResult(error, kept_);
        }
        Abandon();
        return SaveResult(error);
    }
    committed_ = true;
    temporary_.clear();
    return SaveResult();
}

void ReplacingFile::Abandon()
{
    if (file_) {
        file_->Close();
        file_.reset();
    }
    if (!temporary_.empty()) {
        if (const std::error_code error = fs_.Remove(temporary_))
            TraceLog("could not remove " + temporary_ + ": " + error.message());
        temporary_.clear();
    }
}

SaveResult SaveFileReplacing(const std::string& target, std::string_view bytes, FileSystem& fileSystem)
{
    ReplacingFile file(target, fileSystem);
    SaveResult result = file.Open();
    if (result) result = file.Write(bytes);
    if (result) result = file.Commit();
    if (!result) {
        file.Abandon();
        TraceLog("could not save " + target + ": " + result.Reason());
    }
    return result;
}

std::string WithExtension(const std::string& path, const std::string& extension)
{
    if (extension.empty() || path.empty()) return path;
    if (EndsWithNoCase(path, "." + extension)) return path;
    if (path.back() == '.') return path + extension;
    return path + "." + extension;
}

std::string PathFolder(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos) return std::string();
    return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

std::string PathName(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::optional<std::string> ChooseSaveFile(FileChooser& chooser, Prompter& prompter, FileRequest request,
                                          const ReplaceQuestion& question, FileSystem& fileSystem)
{
    request.save = true;
    for (;;) {
        const std::optional<std::string> chosen = chooser.Choose(request);
        if (!chosen || chosen->empty()) return std::nullopt;
        const std::string path = WithExtension(*chosen, request.defaultExtension);
        const PathStatus status = fileSystem.Status(path);
        if (!status.exists || status.folder) return path;
        if (prompter.Show(path + "\n\n" + question.text, question.caption, MsgIcon::Question, MsgButtons::YesNo) ==
            MsgAnswer::Yes)
            return path;
        // Not that one: the dialog comes back with the name that was asked about.
        request.folder = PathFolder(path);
        request.fileName = PathName(path);
    }
}

std::string NotSavedText(const std::string& text, const std::string& path, const SaveResult& result,
                         const std::string& keptLabel)
{
    std::string out = text;
    if (!path.empty()) out += "\n" + path;
    if (!result) out += "\n" + result.Reason();
    if (!result.KeptPath().empty()) {
        out += "\n";
        if (!keptLabel.empty()) out += "\n" + keptLabel;
        out += "\n" + result.KeptPath();
    }
    return out;
}

} // namespace tarvel
