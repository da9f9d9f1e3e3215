// Putting a finished file in place of an older one on Windows, where the
// replacement goes through ReplaceFileW so the older file's attributes and
// security carry over. ReplaceFileW can fail half-way; what is left on disk
// then depends on its error, and the steps after it decide whether the new
// content survives. Those steps are plain code that every build compiles and
// tests; the system calls sit behind ReplaceCalls.
//
// The older file is moved to a backup name during the replacement, so that
// it is always known where it is: ReplaceFileW without a backup name loses it
// under a name of its own choosing when it fails with 1177.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tarvel {

// The Windows errors the steps tell apart (their winerror.h values).
constexpr uint32_t kWinErrorFileNotFound = 2;               // ERROR_FILE_NOT_FOUND
constexpr uint32_t kWinErrorUnableToMoveReplacement = 1176;  // ERROR_UNABLE_TO_MOVE_REPLACEMENT
constexpr uint32_t kWinErrorUnableToMoveReplacement2 = 1177; // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2

// The system calls of a replacement; each returns 0 or the system's error.
struct ReplaceCalls {
    // ReplaceFileW(target, replacement, backup): the replacement takes the
    // target's name and the older file goes to `backup`.
    std::function<uint32_t(const std::string& target, const std::string& replacement, const std::string& backup)>
        replace;
    // MoveFileExW(from, to) replacing a file at `to`.
    std::function<uint32_t(const std::string& from, const std::string& to)> move;
    std::function<uint32_t(const std::string& path)> remove;
    std::function<bool(const std::string& path)> exists;
};

struct ReplaceOutcome {
    uint32_t error = 0; // 0: the target holds the new content
    // The replacement could not take the target's name and holds the only
    // copy of the new content: it must stay on disk, and the user be told
    // where it is.
    bool keepReplacement = false;
};

// Puts `replacement` in place of `target`, the older file going through
// `backup` (removed again afterwards):
//   - no file at the target: the replacement is moved there;
//   - replaced: done;
//   - 2, the target went away meanwhile: the replacement is moved there;
//   - 1176, the replacement could not be moved: the move is tried once more
//     with MoveFileExW; when that fails too the replacement is kept;
//   - 1177, the replacement could not be moved and the older file is under
//     the backup name: the older file is put back in place and the
//     replacement is kept;
//   - any other error: the older file is put back where it is missing; the
//     replacement is kept only when the target is still missing after that.
ReplaceOutcome ReplaceWithBackup(const std::string& replacement, const std::string& target, const std::string& backup,
                                 const ReplaceCalls& calls);

} // namespace tarvel
