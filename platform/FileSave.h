// The one way the program saves a file a user asked for (parameter text
// files, monitor recordings, reports, the system tag, recorder exports,
// settings):
//
//   1. ChooseSaveFile asks for the name. The extension is settled first, so
//      the question about replacing a file is asked about the name that will
//      really be written; a cancelled dialog ends the save without a word.
//   2. ReplacingFile writes under a temporary name in the target's folder,
//      checks every write, flushes and closes the file and only then renames
//      it over the target. On any failure the older file stays as it was and
//      no temporary or half-written file is left (a recording, whose lines are
//      already on disk, may ask to keep it instead). The new file has the
//      older one's access rights; a target that is a symbolic link keeps the
//      link, and the file it leads to is the one replaced.
//   3. A failure carries the system's error, which the caller's box shows.
//
// Every file operation goes through the FileSystem seam (FileSystem.h).
#pragma once

#include "FileChooser.h"
#include "FileSystem.h"
#include "Prompter.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace tarvel {

// The outcome of a file operation: true when it worked, otherwise the
// system's error.
class SaveResult {
public:
    SaveResult() = default;
    explicit SaveResult(std::error_code error, std::string keptPath = std::string())
        : error_(error), keptPath_(std::move(keptPath))
    {
    }
    explicit operator bool() const { return !error_; }
    const std::error_code& Error() const { return error_; }
    // The system's text for the error ("No space left on device"); empty
    // when there was none.
    std::string Reason() const;
    // A file that the failed save left on disk because it holds the only
    // copy of the new content; empty when none was left.
    const std::string& KeptPath() const { return keptPath_; }

private:
    std::error_code error_;
    std::string keptPath_;
};

// What Commit does with the temporary file when it cannot become the target.
enum class IfCommitFails {
    RemoveTemporary, // the save leaves nothing behind
    KeepTemporary,   // the written bytes stay on disk under the temporary name
};

// A file that replaces `target` once it is complete. Open creates a new file
// under a temporary name beside the target (beside the file it leads to, when
// the target is a symbolic link); Commit flushes, closes and renames it over
// that file. Destroying the object before Commit, or a failure of Commit,
// removes the temporary file unless the Commit was asked to keep it.
class ReplacingFile {
public:
    explicit ReplacingFile(std::string target, FileSystem& fileSystem = GetFileSystem());
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Refuses a target that is a folder or a file the program may not
    // change (with the system's reason), then creates the temporary file with
    // the access rights of the file it will replace (a new file gets the
    // usual ones).
    SaveResult Open();
    // Writes all of `bytes`. A failed write spoils the file: Commit then
    // refuses it.
    SaveResult Write(std::string_view bytes);
    // Writes one record (a line of a recording) whole or not at all: after a
    // failed write the file is cut back to where the record began, so it
    // still holds whole records and can be committed. The first failure
    // ends the writing; later records are refused with it.
    SaveResult AppendRecord(std::string_view bytes);
    // Flushes, closes and renames over the target. When any of it fails, or
    // a write spoiled the file, the temporary file is removed, or kept under
    // its name (KeptPath) with IfCommitFails::KeepTemporary. A rename that
    // failed half-way and left the temporary file as the only copy of the
    // new content (a kept-source error) keeps it whatever was asked; the
    // result then names it.
    SaveResult Commit(IfCommitFails ifFails = IfCommitFails::RemoveTemporary);
    // Closes and removes the temporary file; the target is not touched.
    void Abandon();

    bool IsOpen() const { return file_ != nullptr; }
    bool Committed() const { return committed_; }
    // The first failure of Open, Write or AppendRecord (true when none).
    SaveResult Failure() const { return failure_; }
    // Bytes that stand in the file (whole records after a failed append).
    uint64_t Size() const { return size_; }
    const std::string& Target() const { return target_; }
    const std::string& TemporaryPath() const { return temporary_; }
    // The temporary file a failed Commit left on disk; empty when none was.
    const std::string& KeptPath() const { return kept_; }

private:
    FileSystem& fs_;
    std::string target_;
    std::string replaced_; // the target, or the file a symbolic link at the target leads to
    std::string temporary_;
    std::string kept_;
    std::unique_ptr<WritableFile> file_;
    SaveResult failure_;
    bool spoiled_ = false;
    bool committed_ = false;
    uint64_t size_ = 0;
};

// Writes `bytes` as the new content of `target` through a ReplacingFile.
SaveResult SaveFileReplacing(const std::string& target, std::string_view bytes,
                             FileSystem& fileSystem = GetFileSystem());

// `path` with ".extension" added unless it already ends with it (letter case
// aside): WithExtension("a", "TSO") -> "a.TSO", WithExtension("b.tso", "TSO")
// -> "b.tso", WithExtension("v1.2", "ini") -> "v1.2.ini". An empty extension
// leaves the path as it is.
std::string WithExtension(const std::string& path, const std::string& extension);

// The folder part of a path (before its last '/' or '\'), and the name after it.
std::string PathFolder(const std::string& path);
std::string PathName(const std::string& path);

// The question asked when the chosen file exists (texts of the caller's
// language).
struct ReplaceQuestion {
    std::string text;
    std::string caption;
};

// Shows the save dialog of `request` and returns the path to write, its
// extension settled (request.defaultExtension). When a file of that name
// exists, asks `question` (Yes/No) first; No shows the dialog again with the
// settled name. Nothing when the user cancelled (no box is shown).
std::optional<std::string> ChooseSaveFile(FileChooser& chooser, Prompter& prompter, FileRequest request,
                                          const ReplaceQuestion& question, FileSystem& fileSystem = GetFileSystem());

// The text of a "not saved" box: the caller's text, the file and the reason,
// one to a line; after an empty line, the file the new content was kept in
// (KeptPath), under `keptLabel` when one is given.
std::string NotSavedText(const std::string& text, const std::string& path, const SaveResult& result,
                         const std::string& keptLabel = std::string());

} // namespace tarvel
