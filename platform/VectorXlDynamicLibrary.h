// Loads a shared library by name at run time and looks up its entry points
// (dlopen/dlsym on Linux, LoadLibrary/GetProcAddress on Windows). Used for
// the vendor driver libraries that are optional at run time: the XL driver
// and the Dravix adapter library. A plain name is looked for first in the
// program folder, then where the system looks; a name with a folder is
// loaded as given.
#pragma once

#include <string>

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
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    // Null when the library is not open or lacks the name.
    void* Symbol(const char* name) const;
    // Why the last Open failed (empty after success).
    const std::string& Error() const { return error_; }

    static std::string FileNameFor(const std::string& baseName);
    // The folder of the running executable, without a trailing separator.
    static std::string ProgramFolder();

private:
    void* handle_ = nullptr;
    std::string error_;
};

} // namespace tarvel
