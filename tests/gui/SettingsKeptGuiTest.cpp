// The choices a user makes survive a rebuild: start, choose an adapter, a bit
// rate and a language, close, run the build's data copy over the program
// folder, start again. And the program a language change starts anew is the
// one the user started, with its command line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

int RunCommand(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What the data target of the build runs, aimed at `folder`.
int CopyData(const fs::path& folder)
{
    return RunCommand(std::string("\"") + TARVEL_CMAKE + "\" -DSOURCE=" + TARVEL_SHIPPED_DATA + " -DDEST=" +
               folder.string() + " -P " + TARVEL_COPY_DATA_SCRIPT);
}

TEST(SettingsKept, ChoicesSurviveARebuild)
{
    const fs::path folder = fs::temp_directory_path() / ("settings-kept-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    ASSERT_EQ(CopyData(folder), 0); // the first build
    const std::string shipped = ReadFile(folder / "LastConfig.xml");

    ASSERT_EQ(RunCommand(std::string(TARVEL_PHASES) + " choose " + folder.string()), 0);
    const std::string chosen = ReadFile(folder / "LastConfig.xml");
    EXPECT_NE(chosen, shipped);
    // The user widened the navigation pane before closing (wider than its
    // Russian captions need, which it never is narrower than).
    const fs::path profile = folder / "profile.ini";
    std::string settings = ReadFile(profile);
    ASSERT_TRUE(std::regex_search(settings, std::regex("NavigationPaneWidth=[0-9]+")));
    settings = std::regex_replace(settings, std::regex("NavigationPaneWidth=[0-9]+"), "NavigationPaneWidth=457");
    std::ofstream(profile, std::ios::binary | std::ios::trunc) << settings;

    ASSERT_EQ(CopyData(folder), 0); // the rebuild
    EXPECT_EQ(ReadFile(folder / "LastConfig.xml"), chosen);
    EXPECT_TRUE(fs::exists(folder / "LanguageConfig.xml"));

    EXPECT_EQ(RunCommand(std::string(TARVEL_PHASES) + " check " + folder.string()), 0);
    fs::remove_all(folder);
}

int ReadWidth(const fs::path& folder)
{
    int width = 0;
    std::ifstream(folder / "pane-width") >> width;
    return width;
}

// The language the program starts in next.
void ChooseLanguage(const fs::path& folder, int language)
{
    const fs::path file = folder / "LastConfig.xml";
    const std::string changed = std::regex_replace(ReadFile(file), std::regex("(ItemName=\"Language\" nIndex=)\"-?[0-9]+\""),
                                                   "$1\"" + std::to_string(language) + "\"");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << changed;
}

fs::path NewProgramFolder(const char* name)
{
    const fs::path folder = fs::temp_directory_path() / (name + std::string("-") + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    EXPECT_EQ(CopyData(folder), 0);
    return folder;
}

// The user narrows the navigation pane to give the page room; connecting and
// reading rebuild the tree, and the next start comes back, and neither widens
// the pane again.
TEST(SettingsKept, TheNavigationPaneKeepsTheUsersWidth)
{
    const fs::path folder = NewProgramFolder("pane-narrowed");
    ChooseLanguage(folder, 2); // Russian: its captions widen the pane
    ASSERT_EQ(RunCommand(std::string(TARVEL_PHASES) + " narrow " + folder.string()), 0);
    EXPECT_GT(ReadWidth(folder), 0);
    EXPECT_EQ(RunCommand(std::string(TARVEL_PHASES) + " narrowed " + folder.string()), 0);
    fs::remove_all(folder);
}

// A width the program fitted to Portuguese captions is not kept for an
// English start: the pane is as wide as on a first English start.
TEST(SettingsKept, AFittedPaneWidthIsFittedAnewInAnotherLanguage)
{
    const fs::path fresh = NewProgramFolder("pane-english");
    ChooseLanguage(fresh, 1);
    ASSERT_EQ(RunCommand(std::string(TARVEL_PHASES) + " fit " + fresh.string()), 0);
    const int english = ReadWidth(fresh);
    fs::remove_all(fresh);

    const fs::path folder = NewProgramFolder("pane-portuguese");
    ChooseLanguage(folder, 4);
    ASSERT_EQ(RunCommand(std::string(TARVEL_PHASES) + " fit " + folder.string()), 0);
    const int portuguese = ReadWidth(folder);
    ChooseLanguage(folder, 1);
    ASSERT_EQ(RunCommand(std::string(TARVEL_PHASES) + " fit " + folder.string()), 0);
    EXPECT_LT(english, portuguese);
    EXPECT_EQ(ReadWidth(folder), english);
    fs::remove_all(folder);
}

TEST(SettingsKept, DataCopyRestoresWhatIsMissingAndRenewsTheRest)
{
    const fs::path folder = fs::temp_directory_path() / ("data-copy-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    ASSERT_EQ(CopyData(folder), 0);
    const std::string language = ReadFile(folder / "LanguageConfig.xml");
    std::ofstream(folder / "LastStringConfig.xml", std::ios::binary | std::ios::trunc) << "mine";
    std::ofstream(folder / "LastStringBackup.xml", std::ios::binary | std::ios::trunc) << "backup";
    std::ofstream(folder / "LanguageConfig.xml", std::ios::binary | std::ios::trunc) << "damaged";
    fs::remove(folder / "LastConfig.xml");
    ASSERT_EQ(CopyData(folder), 0);
    EXPECT_EQ(ReadFile(folder / "LastStringConfig.xml"), "mine");
    EXPECT_EQ(ReadFile(folder / "LastStringBackup.xml"), "backup");
    EXPECT_EQ(ReadFile(folder / "LanguageConfig.xml"), language);
    EXPECT_EQ(ReadFile(folder / "LastConfig.xml"), ReadFile(fs::path(TARVEL_SHIPPED_DATA) / "LastConfig.xml"));
    fs::remove_all(folder);
}

// A process that has ended (a zombie nobody reaps counts as ended).
bool ProcessEnded(pid_t pid)
{
    if (pid <= 0 || ::kill(pid, 0) != 0)
        return true;
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    return close == std::string::npos || (close + 2 < stat.size() && stat[close + 2] == 'Z');
}

// Started with --simulate (a demonstration: the simulated ECU even when an
// adapter is plugged in), the program changes its language; the instance
// the change starts comes up in the new language, still in simulation: its
// output pane says so when it connects. That instance runs on its own, so
// this waits for what it wrote, then for its end.
TEST(SettingsKept, ALanguageChangeRestartsWithTheSameArguments)
{
    using namespace std::chrono_literals;
    const fs::path folder = fs::temp_directory_path() / ("language-restart-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    // Gone however the test ends.
    struct RemoveFolder {
        fs::path folder;
        ~RemoveFolder()
        {
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        }
    } removeFolder{folder};
    ASSERT_EQ(CopyData(folder), 0);
    const fs::path log = folder / "instances.log";

    ASSERT_EQ(RunCommand("TARVEL_RESTART_FOLDER=" + folder.string() + " " + TARVEL_RESTART_PHASES + " --simulate >" +
                         log.string() + " 2>&1"),
              0)
        << ReadFile(log);

    const fs::path seen = folder / "restarted.txt";
    for (auto until = std::chrono::steady_clock::now() + 60s;
         !fs::exists(seen) && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(100ms);
    pid_t restarted = 0;
    std::istringstream(ReadFile(folder / "restarted.pid")) >> restarted;
    for (auto until = std::chrono::steady_clock::now() + 20s;
         !ProcessEnded(restarted) && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(100ms);
    if (!ProcessEnded(restarted)) {
        ADD_FAILURE() << "the restarted instance did not end";
        ::kill(restarted, SIGKILL);
    }
    ASSERT_TRUE(fs::exists(seen)) << "no instance came up after the restart\n" << ReadFile(log);
    const std::string text = ReadFile(seen);
    EXPECT_THAT(text, testing::HasSubstr("language 2\n")) << "the new instance is in Russian";
    EXPECT_THAT(text, testing::HasSubstr(": simulation chosen at start-up, using the built-in simulated ECU\n"));
}

} // namespace
