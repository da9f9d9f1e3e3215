// A temporary folder per test, the report globals reset, and a recording
// prompter installed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "LanguageTable.h"
#include "ProgramPaths.h"
#include "Prompter.h"
#include "ReportGlobals.h"

namespace reports_test {

inline std::string MakeTempFolder(const char* stem)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(stem) + "-XXXXXX")).string();
    char* made = mkdtemp(&pattern[0]);
    if (!made) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::u8path(path).parent_path());
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class ReportFolderTest : public ::testing::Test {
protected:
    ReportFolderTest() : folder_(MakeTempFolder("tarvel-reports")), scopedPrompter_(prompter_)
    {
        PdfTextTable.clear();
        LanguageIndex = -1;
    }
    ~ReportFolderTest() override
    {
        PdfTextTable.clear();
        LanguageIndex = -1;
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    std::string folder_;
    tarvel::RecordingPrompter prompter_;
    tarvel::ScopedPrompter scopedPrompter_;
};

} // namespace reports_test
