// Where the program lives. Every data file that ships with the program
// (settings, language and definition files, report pictures) is found beside
// the executable, whatever the working folder is when it is started.
#pragma once

#include <string>

namespace tarvel {

// Full path of the running executable, with '/' separators (UTF-8). Empty
// when the platform cannot tell.
std::string ExecutablePath();

// The folder holding the executable, without a trailing separator; the
// override when one is set.
std::string ProgramFolder();

// Tests point the program at a folder of their own; an empty text goes back
// to the executable's folder.
void SetProgramFolder(const std::string& folder);

class ScopedProgramFolder {
public:
    explicit ScopedProgramFolder(const std::string& folder);
    ~ScopedProgramFolder();
    ScopedProgramFolder(const ScopedProgramFolder&) = delete;
    ScopedProgramFolder& operator=(const ScopedProgramFolder&) = delete;

private:
    std::string previous_;
};

// Turns every '\' into '/'. The data files name their sub-folders the
// Windows way ("ReportImage\logo.jpg"); '/' works on every platform.
std::string ToForwardSlashes(std::string path);

// Joins a data file's relative name to the program folder:
// ProgramDataPath("ReportImage\\logo.jpg") -> "<folder>/ReportImage/logo.jpg".
// An absolute name is returned as it is (with '/' separators).
std::string ProgramDataPath(const std::string& relative);

} // namespace tarvel
