#include <gtest/gtest.h>

#include <unistd.h>

#include "ProgramPaths.h"

using namespace tarvel;

TEST(ProgramPaths, ExecutablePathIsTheRunningProgram)
{
    const std::string exe = ExecutablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.substr(exe.find_last_of('/') + 1), "test_settings");
    EXPECT_EQ(access(exe.c_str(), X_OK), 0);
    EXPECT_EQ(ProgramFolder(), exe.substr(0, exe.find_last_of('/')));
}

TEST(ProgramPaths, DataPathsAreJoinedToTheProgramFolderWithSlashes)
{
    ScopedProgramFolder folder("/opt/tarvel\\bin\\");
    struct Case {
        const char* relative;
        const char* expected;
    };
    const Case cases[] = {
        {"LastConfig.xml", "/opt/tarvel/bin/LastConfig.xml"},
        {"ReportImage\\logo.jpg", "/opt/tarvel/bin/ReportImage/logo.jpg"},
        {".\\LastStringConfig.xml", "/opt/tarvel/bin/LastStringConfig.xml"},
        {"./res/bkGrnd.bmp", "/opt/tarvel/bin/res/bkGrnd.bmp"},
        {"VADE_FaultTable\\VADE_FailureTable_en.xml", "/opt/tarvel/bin/VADE_FaultTable/VADE_FailureTable_en.xml"},
        {"/etc/absolute.xml", "/etc/absolute.xml"},
        {"D:\\reports\\a.pdf", "D:/reports/a.pdf"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgramDataPath(c.relative), c.expected) << c.relative;
    }
}

TEST(ProgramPaths, ScopedFolderRestoresTheExecutablesFolder)
{
    const std::string before = ProgramFolder();
    {
        ScopedProgramFolder folder("/somewhere");
        EXPECT_EQ(ProgramFolder(), "/somewhere");
    }
    EXPECT_EQ(ProgramFolder(), before);
}
