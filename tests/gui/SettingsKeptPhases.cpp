// The two runs of the program that the settings test drives, each in its own
// process (the program starts once per process):
//   settings_kept_phases choose <program folder>   the user's choices, then close
//   settings_kept_phases check <program folder>    the choices are back
// The exit code is the number of failed checks.
#include "AppMessages.h"
#include "MainFrame.h"
#include "Navigation.h"
#include "Ribbon.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"

#include "LanguageTable.h"
#include "Restarter.h"

#include "GuiDriver.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/choice.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string g_mode;
std::filesystem::path g_folder;

int RowOf(wxChoice* choice, const wxString& text)
{
    return choice->FindString(text);
}

TEST(SettingsKeptPhase, Run)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.StartIn("settings_kept", g_folder));
    // After the start, which installs the program's own restarter.
    tarvel::RecordingRestarter restarter;
    tarvel::ScopedRestarter scoped(restarter);
    guidriver::PumpUntil([] { return false; }, 5);
    const RibbonControls& rc = program.app->MainFrame()->Ribbon();
    const int holvar = RowOf(rc.adapter, "Holvar@Morvane");
    ASSERT_NE(holvar, wxNOT_FOUND);
    if (g_mode == "choose") {
        EXPECT_NE(rc.adapter->GetSelection(), holvar);
        guidriver::Choose(rc.adapter, holvar);
        guidriver::Choose(rc.baudRate, 1);
        guidriver::Choose(rc.language, 2); // Russian: the program asks for a restart
        EXPECT_EQ(restarter.Requests().size(), 1u);
    } else {
        EXPECT_EQ(rc.adapter->GetSelection(), holvar);
        EXPECT_EQ(rc.baudRate->GetSelection(), 1);
        EXPECT_EQ(rc.language->GetSelection(), 2);
        EXPECT_EQ(LanguageIndex, 2);
        EXPECT_EQ(program.app->MainFrame()->NavigationWidth(), 457);
    }
    program.Stop();
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s choose|check <program folder>\n", argv[0]);
        return 100;
    }
    g_mode = argv[1];
    g_folder = argv[2];
    return RUN_ALL_TESTS();
}
