// The program as the language test starts it, in its own process:
//   TARVEL_RESTART_FOLDER=<program folder> language_restart_phases [program arguments...]
// Everything after the executable's name is the program's command line. The
// instance a language change starts is this executable again, with the
// arguments the program hands its restarter, and finds the folder in the
// environment it inherits:
// - an instance that starts in English chooses Russian in the ribbon; the
//   program's own restarter starts the next instance and closes this one;
// - an instance that starts after that is the restarted one: it connects
//   and writes its language and what its output pane says into
//   <program folder>/restarted.txt.
// The exit code is the number of failed checks.
#include "MainFrame.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"

#include "LanguageTable.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/choice.h>
#include <wx/listbox.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::filesystem::path g_folder;
std::vector<std::string> g_arguments;

constexpr int kRussian = 2;

TEST(LanguageRestartPhase, Run)
{
    namespace fs = std::filesystem;
    tarvel_test::ProgramUnderTest program;
    program.arguments = g_arguments;
    const bool restarted = [] {
        std::ifstream in(g_folder / "restart-asked");
        return in.good();
    }();
    if (restarted)
        std::ofstream(g_folder / "restarted.pid") << ::getpid();
    ASSERT_TRUE(program.StartIn("language_restart", g_folder));
    guidriver::PumpUntil([] { return false; }, 5);
    const RibbonControls& rc = program.app->MainFrame()->Ribbon();
    if (!restarted) {
        EXPECT_NE(LanguageIndex, kRussian);
        std::ofstream(g_folder / "restart-asked") << "1";
        guidriver::Choose(rc.language, kRussian);
        ASSERT_EQ(program.prompter->Count(), 1u) << "the notice before the restart";
        // The program closes itself once the choice's handler has returned.
        EXPECT_TRUE(guidriver::PumpUntil([] { return wxTheApp->GetTopWindow() == nullptr; }, 2000));
        program.Stop();
        return;
    }
    EXPECT_TRUE(guidriver::Connect(program.app));
    std::string seen = "language " + std::to_string(LanguageIndex) + "\n";
    wxListBox* output = program.app->MainFrame()->OutputList();
    for (unsigned i = 0; output && i < output->GetCount(); ++i)
        seen += output->GetString(i).utf8_string() + "\n";
    program.Stop();
    // Written whole, then named, so the test never reads half of it.
    std::ofstream(g_folder / "restarted.tmp") << seen;
    fs::rename(g_folder / "restarted.tmp", g_folder / "restarted.txt");
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const char* folder = std::getenv("TARVEL_RESTART_FOLDER");
    if (!folder || !*folder) {
        std::fprintf(stderr, "usage: TARVEL_RESTART_FOLDER=<program folder> %s [program arguments...]\n", argv[0]);
        return 100;
    }
    g_folder = folder;
    for (int i = 1; i < argc; ++i)
        g_arguments.push_back(argv[i]);
    return RUN_ALL_TESTS();
}
