// A temporary program folder with the settings globals reset, and helpers to
// write and read its files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "LanguageTable.h"
#include "Prompter.h"
#include "ProgramPaths.h"
#include "SettingsFiles.h"

namespace settings_test {

inline std::string MakeTempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvel-settings-XXXXXX").string();
    char* made = mkdtemp(&pattern[0]);
    if (!made) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Builds a USER-CONFIGURATION/USER-DEF file from DID element texts.
inline std::string UserConfig(const std::string& dids)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<USER-CONFIGURATION>\n<USER-DEF>\n" + dids +
           "</USER-DEF>\n</USER-CONFIGURATION>\n";
}

class ProgramFolderTest : public ::testing::Test {
protected:
    ProgramFolderTest() : folder_(MakeTempFolder()), scopedFolder_(folder_), scopedPrompter_(prompter_)
    {
        ResetSettingsGlobals();
    }
    ~ProgramFolderTest() override
    {
        ResetSettingsGlobals();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    std::string folder_;
    tarvel::ScopedProgramFolder scopedFolder_;
    tarvel::RecordingPrompter prompter_;
    tarvel::ScopedPrompter scopedPrompter_;
};

} // namespace settings_test
