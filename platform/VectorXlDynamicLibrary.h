// Loads a shared library by name at run time and looks up its entry points
// (dlopen/dlsym on Linux, LoadLibrary/GetProcAddress on Windows). Used for
// the vendor driver libraries that are optional at run time: the XL driver
// and the Dravix adapter library. A plain name is looked for first in the
// program folder, then where the system looks; a name with a folder is
// loaded as given.
#pragma once

#include <string>
#include <vector>

namespace tarvel {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // `name` is the library's base name ("vxlapi" → libvxlapi.so / vxlapi.dll)
    // or a path to the file. False when it cannot be loaded.
    bool Open(const std::string& name);
    // Tries each exact file name in turn ("libcanlib.so.1", "canlib32.dll"),
    // each first in the program folder, then where the system looks (a name
    // with a folder is loaded as given). False when none loads.
    bool OpenFirstOf(const std::vector<std::string>& fileNames);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    // Null when the library is not open or lacks the name.
    void* Symbol(const char* name) const;
    // Why the last Open failed (empty after success).
    const std::string& Error() const { return error_; }
    // The file the open library was loaded from (empty when not open).
    std::string Path() const;

    static std::string FileNameFor(const std::string& baseName);
    // The folder of the running executable, without a trailing separator.
    static std::string ProgramFolder();

private:
    bool OpenCandidates(const std::vector<std::string>& paths);

    void* handle_ = nullptr;
    std::string error_;
};

} // namespace tarvel
