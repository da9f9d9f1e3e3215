#include "VectorXlDynamicLibrary.h"

#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>
#include <limits.h>
#include <unistd.h>
#endif

namespace tarvel {

namespace {
bool HasFolder(const std::string& name)
{
    return name.find('/') != std::string::npos || name.find('\\') != std::string::npos;
}
} // namespace

DynamicLibrary::~DynamicLibrary() { Close(); }

std::string DynamicLibrary::FileNameFor(const std::string& baseName)
{
    if (HasFolder(baseName))
        return baseName;
#if defined(_WIN32)
    return baseName + ".dll";
#elif defined(__APPLE__)
    return "lib" + baseName + ".dylib";
#else
    return "lib" + baseName + ".so";
#endif
}

std::string DynamicLibrary::ProgramFolder()
{
#if defined(_WIN32)
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return ".";
    std::string s(path, n);
    const auto pos = s.find_last_of("\\/");
    return pos == std::string::npos ? std::string(".") : s.substr(0, pos);
#else
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string s(path, static_cast<size_t>(n));
    const auto pos = s.find_last_of('/');
    return pos == std::string::npos ? std::string(".") : s.substr(0, pos);
#endif
}

bool DynamicLibrary::Open(const std::string& name)
{
    Close();
    error_.clear();
    if (name.empty()) {
        error_ = "no library name";
        return false;
    }
    const std::string file = FileNameFor(name);
    std::vector<std::string> candidates;
    if (HasFolder(file)) {
        candidates.push_back(file);
    } else {
        candidates.push_back(ProgramFolder() + "/" + file);
        candidates.push_back(file);
    }
    return OpenCandidates(candidates);
}

bool DynamicLibrary::OpenFirstOf(const std::vector<std::string>& fileNames)
{
    Close();
    error_.clear();
    std::vector<std::string> candidates;
    for (const auto& file : fileNames) {
        if (file.empty())
            continue;
        if (!HasFolder(file))
            candidates.push_back(ProgramFolder() + "/" + file);
        candidates.push_back(file);
    }
    if (candidates.empty()) {
        error_ = "no library name";
        return false;
    }
    return OpenCandidates(candidates);
}

bool DynamicLibrary::OpenCandidates(const std::vector<std::string>& candidates)
{
    for (const auto& path : candidates) {
#if defined(_WIN32)
        HMODULE h = LoadLibraryA(path.c_str());
        if (h) {
            handle_ = reinterpret_cast<void*>(h);
            error_.clear();
            return true;
        }
        error_ = "cannot load " + path;
#else
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_) {
            error_.clear();
            return true;
        }
        const char* why = dlerror();
        error_ = why ? why : ("cannot load " + path);
#endif
    }
    return false;
}

std::string DynamicLibrary::Path() const
{
    if (!handle_)
        return std::string();
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(reinterpret_cast<HMODULE>(handle_), path, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::string() : std::string(path, n);
#else
    struct link_map* map = nullptr;
    if (dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name)
        return std::string();
    return map->l_name;
#endif
}

void DynamicLibrary::Close()
{
    if (!handle_)
        return;
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const
{
    if (!handle_ || !name)
        return nullptr;
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

} // namespace tarvel
