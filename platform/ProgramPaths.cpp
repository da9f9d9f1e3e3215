#include "ProgramPaths.h"

#include <cstdio>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#include "TextCodec.h"
#else
#include <climits>
#include <unistd.h>
#endif

namespace tarvel {
namespace {

std::mutex& OverrideMutex()
{
    static std::mutex m;
    return m;
}

std::string& OverrideFolder()
{
    static std::string folder;
    return folder;
}

bool IsAbsolute(const std::string& p)
{
    if (!p.empty() && p[0] == '/') return true;
    return p.size() >= 2 && p[1] == ':' &&
           ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

} // namespace

std::string ExecutablePath()
{
#ifdef _WIN32
    std::wstring buf(1024, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &buf[0], static_cast<DWORD>(buf.size()));
        if (n == 0) return std::string();
        if (n < buf.size()) {
            buf.resize(n);
            break;
        }
        buf.resize(buf.size() * 2); // truncated: long paths exist
    }
    return ToForwardSlashes(WideToUtf8(buf));
#else
    std::string buf(PATH_MAX, '\0');
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", &buf[0], buf.size());
        if (n < 0) return std::string();
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
#endif
}

std::string ProgramFolder()
{
    {
        std::lock_guard<std::mutex> lock(OverrideMutex());
        if (!OverrideFolder().empty()) return OverrideFolder();
    }
    const std::string exe = ExecutablePath();
    const size_t slash = exe.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return exe.substr(0, slash);
}

void SetProgramFolder(const std::string& folder)
{
    std::string f = ToForwardSlashes(folder);
    while (f.size() > 1 && f.back() == '/') f.pop_back();
    std::lock_guard<std::mutex> lock(OverrideMutex());
    OverrideFolder() = f;
}

ScopedProgramFolder::ScopedProgramFolder(const std::string& folder)
{
    {
        std::lock_guard<std::mutex> lock(OverrideMutex());
        previous_ = OverrideFolder();
    }
    SetProgramFolder(folder);
}

ScopedProgramFolder::~ScopedProgramFolder() { SetProgramFolder(previous_); }

std::string ToForwardSlashes(std::string path)
{
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

std::string ProgramDataPath(const std::string& relative)
{
    std::string rel = ToForwardSlashes(relative);
    if (IsAbsolute(rel)) return rel;
    while (rel.compare(0, 2, "./") == 0) rel.erase(0, 2);
    while (!rel.empty() && rel[0] == '/') rel.erase(0, 1);
    std::string folder = ProgramFolder();
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return folder + rel;
}

} // namespace tarvel
