#include "FileReplace.h"

#include "Log.h"

namespace tarvel {
namespace {

// After a failed replacement: the older file back under the target's name
// when only the backup holds it.
void PutTheOlderFileBack(const std::string& target, const std::string& backup, const ReplaceCalls& calls)
{
    if (calls.exists(target) || !calls.exists(backup)) return;
    if (const uint32_t error = calls.move(backup, target))
        TraceLog("could not put " + backup + " back as " + target + " (error " + std::to_string(error) + ")");
}

void RemoveTheBackup(const std::string& backup, const ReplaceCalls& calls)
{
    if (!calls.exists(backup)) return;
    if (const uint32_t error = calls.remove(backup))
        TraceLog("could not remove " + backup + " (error " + std::to_string(error) + ")");
}

} // namespace

ReplaceOutcome ReplaceWithBackup(const std::string& replacement, const std::string& target, const std::string& backup,
                                 const ReplaceCalls& calls)
{
    if (!calls.exists(target)) return {calls.move(replacement, target), false};
    const uint32_t error = calls.replace(target, replacement, backup);
    if (error == 0) {
        RemoveTheBackup(backup, calls);
        return {};
    }
    if (error == kWinErrorFileNotFound && !calls.exists(target)) return {calls.move(replacement, target), false};
    if (error == kWinErrorUnableToMoveReplacement) {
        if (calls.move(replacement, target) == 0) {
            RemoveTheBackup(backup, calls);
            return {};
        }
        PutTheOlderFileBack(target, backup, calls);
        return {error, true};
    }
    PutTheOlderFileBack(target, backup, calls);
    if (error == kWinErrorUnableToMoveReplacement2) return {error, true};
    // Nothing is known to have moved; the replacement is removed unless the
    // target is gone (then it is all that is left).
    return {error, !calls.exists(target) && calls.exists(replacement)};
}

} // namespace tarvel
