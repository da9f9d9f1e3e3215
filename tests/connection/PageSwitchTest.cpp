// The page switch, the ribbon page commands and the language broadcast, with
// the shipped language table loaded in two languages.
#include "RecordingPages.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "NavigationModel.h"
#include "PageHostTable.h"
#include "PageSwitch.h"
#include "ShellGlobals.h"

#include "UdsEngine.h"

#include "LanguageTable.h"
#include "ProgramPaths.h"
#include "Prompter.h"

#include <gtest/gtest.h>

namespace {

using conntest::PageMsg;
using conntest::Show;
using conntest::Unshow;
using conntest::WindowMsg;
using tarvel::NoPage;
using tarvel::WindowSlot;
using Lines = std::vector<std::string>;

// Runs a tree click the way the navigation does, into the page switch.
class SwitchEnvironment : public tarvel::NavigationEnvironment {
public:
    explicit SwitchEnvironment(tarvel::PageSwitcher& switcher) : switcher_(switcher) {}
    void SelectPage(int page) override { switcher_.OnSelectPage(page); }

private:
    tarvel::PageSwitcher& switcher_;
};

class PageSwitchTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        LanguageIndex = GetParam();
        ASSERT_TRUE(LoadLanguageConfig());
        tarvel::ResetShellServices();
        EcuConnected = 1;
        EolTestIdle = 1;
        DownloadIdle = 1;
        EcuIdentified = -1;
        BrakeLampTestEnabled = 1;
        LiftingAxleCalibrationEnabled = 0;
        ParameterListStale = 0;
        EolStopRequested = 0;
        MonitorRunning = 1;
        DtcReadPending = 1;
        DeviceInfoAutoRead = 1;
        tarvel::TestRunning = 1;
        EolDtcReadPending = 1;
        tarvel::SetMonitorStopHandler([this] { pages.log.push_back("monitor stopped"); });
        tarvel::SetParameterListClearHandler([this] { pages.log.push_back("parameters cleared"); });
    }

    bool PageWorkRunsOn() const
    {
        return EolStopRequested == 0 && MonitorRunning == 1 && DtcReadPending == 1 && DeviceInfoAutoRead == 1 &&
               tarvel::TestRunning == 1 && EolDtcReadPending == 1;
    }
    bool PageWorkStopped() const
    {
        return EolStopRequested == 1 && MonitorRunning == 0 && DtcReadPending == 0 && DeviceInfoAutoRead == 0 &&
               tarvel::TestRunning == 0 && EolDtcReadPending == 0;
    }

    tarvel::ScopedProgramFolder useData{TARVEL_DATA_DIR};
    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter usePrompter{prompter};
    conntest::RecordingPages pages;
    tarvel::PageSwitcher switcher{pages};
};

struct Dispatch {
    int page;
    Lines expected; // after the leading "hide"
};

// Every page a navigation item, the ribbon or a root stands for.
const std::vector<Dispatch>& DispatchTable()
{
    static const std::vector<Dispatch> table = {
        {0, {Show(0), PageMsg(0, WM_ACTIVATE_DEVICEINFO)}},
        {1, {Show(1), Unshow(13)}},
        {2, {Show(2)}},
        {3, {Show(3)}},
        {4, {Show(4)}},
        {5, {Show(5), PageMsg(5, WM_ACTIVATE_EOLVOLTAGE)}},
        {6, {Show(6), PageMsg(6, WM_ACTIVATE_EOLLAMP)}},
        {7, {Show(7), PageMsg(7, WM_ACTIVATE_EOLSENSOR_PREPARE), PageMsg(7, WM_ACTIVATE_EOLSENSOR)}},
        {8, {Show(8), PageMsg(8, WM_ACTIVATE_EOLPRESSURE)}},
        {9, {Show(9), PageMsg(9, WM_ACTIVATE_EOLBACKUPPRESSURE)}},
        {10, {Show(10), PageMsg(10, WM_ACTIVATE_EOLDTC)}},
        {11, {PageMsg(18, WM_RESET_EOLBRAKELAMP), Show(11), PageMsg(11, WM_ACTIVATE_EOLREPORTS)}},
        {12, {Show(12)}},
        {13, {}},
        {14, {Show(14), PageMsg(14, WM_ACTIVATE_EOLLIFTAXLE)}},
        {15, {Show(15), PageMsg(15, WM_ACTIVATE_EOLHEIGHTSENSOR)}},
        {16, {Show(16), PageMsg(16, WM_ACTIVATE_ODRINFO)}},
        {17, {}},
        {18, {Show(18), PageMsg(18, WM_ACTIVATE_EOLBRAKELAMP)}},
        {19, {Show(19), PageMsg(19, WM_ACTIVATE_EOLLIFTSENSOR)}},
        {20, {Show(20)}},
        {21, {Show(21), PageMsg(21, WM_ACTIVATE_EOLBRAKELAMP)}},
        {22, {}},
        {NoPage, {}},
    };
    return table;
}

Lines WithHide(const Lines& lines)
{
    Lines out{"hide"};
    out.insert(out.end(), lines.begin(), lines.end());
    return out;
}

TEST_P(PageSwitchTest, EveryNavigationItemOpensItsPageInThisLanguage)
{
    // Every optional item is in the tree.
    tarvel::NavEquipment all{1, 1, 1, 1, 1};
    SwitchEnvironment env(switcher);
    int clicked = 0;
    for (const tarvel::NavRoot& group : tarvel::BuildNavTree(all)) {
        std::vector<tarvel::NavItem> items = group.items;
        items.insert(items.begin(), group.root);
        for (const tarvel::NavItem& item : items) {
            SCOPED_TRACE("row " + std::to_string(item.textRow));
            pages.log.clear();
            EXPECT_EQ(tarvel::OnNavTreeClick(env, &item), tarvel::NavClickOutcome::Selected);
            EXPECT_EQ(SelectedNavItemText, LanguageText(item.textRow));
            EXPECT_FALSE(SelectedNavItemText.empty());
            const Dispatch* want = nullptr;
            for (const Dispatch& d : DispatchTable())
                if (d.page == item.page)
                    want = &d;
            ASSERT_NE(want, nullptr);
            Lines expected{"monitor stopped"};
            for (const auto& line : WithHide(want->expected))
                expected.push_back(line);
            EXPECT_EQ(pages.log, expected);
            ++clicked;
        }
    }
    EXPECT_EQ(clicked, 2 + 6 + 12);
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_P(PageSwitchTest, DispatchTableForEveryPage)
{
    for (const Dispatch& d : DispatchTable()) {
        SCOPED_TRACE("page " + std::to_string(d.page));
        pages.log.clear();
        switcher.OnSelectPage(d.page);
        EXPECT_EQ(pages.log, WithHide(d.expected));
    }
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_P(PageSwitchTest, ParametersPageShowsCalibrationAndClearsAStaleList)
{
    LiftingAxleCalibrationEnabled = 1;
    ParameterListStale = 1;
    switcher.OnSelectPage(tarvel::TabParameters);
    EXPECT_EQ(pages.log, (Lines{"hide", "parameters cleared", Show(1), Show(13)}));
    EXPECT_EQ(ParameterListStale, 0);

    pages.log.clear();
    LiftingAxleCalibrationEnabled = 2; // only exactly 1 counts
    switcher.OnSelectPage(tarvel::TabParameters);
    EXPECT_EQ(pages.log, (Lines{"hide", Show(1), Unshow(13)}));
    LiftingAxleCalibrationEnabled = 0;
}

TEST_P(PageSwitchTest, BrakeLampPageNeedsItsEquipmentFlag)
{
    for (int flag : {0, 2, -1}) {
        BrakeLampTestEnabled = flag;
        pages.log.clear();
        switcher.OnSelectPage(tarvel::TabEolBrakeLamp);
        EXPECT_EQ(pages.log, Lines{"hide"}) << "flag " << flag;
    }
}

TEST_P(PageSwitchTest, UnidentifiedEcuOpensOnlyThreePagesAndSaysWhy)
{
    EcuIdentified = 0;
    const std::vector<Dispatch> cases = {
        {0, {Show(0), PageMsg(0, WM_ACTIVATE_DEVICEINFO)}},
        {3, {Show(3)}},
        {4, {Show(4)}},
        {1, {}},
        {5, {}},
        {11, {}},
        {NoPage, {}},
    };
    for (const Dispatch& c : cases) {
        SCOPED_TRACE("page " + std::to_string(c.page));
        pages.log.clear();
        prompter.Clear();
        switcher.OnSelectPage(c.page);
        EXPECT_EQ(pages.log, WithHide(c.expected));
        ASSERT_EQ(prompter.Count(), 1u);
        EXPECT_EQ(prompter.Boxes()[0].text, LanguageText(464));
        EXPECT_EQ(prompter.Boxes()[0].caption, LanguageText(76));
        EXPECT_EQ(prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
    }
    // Identified (1) or never read (-1): no box.
    for (int identified : {1, -1}) {
        EcuIdentified = identified;
        prompter.Clear();
        switcher.OnSelectPage(5);
        EXPECT_EQ(prompter.Count(), 0u);
    }
}

enum class Command { ProgramDownload, RssCalibration };

struct GuardCase {
    const char* name;
    int connected;
    int testIdle;
    int downloadIdle;
    tarvel::PageCommandOutcome outcome;
};

TEST_P(PageSwitchTest, RibbonPageCommandsApplyTheGuardChainInOrder)
{
    using Outcome = tarvel::PageCommandOutcome;
    const GuardCase cases[] = {
        // Earlier guards win over later ones.
        {"not connected", 0, 0, 0, Outcome::NotConnected},
        {"test running", 1, 0, 0, Outcome::TestRunning},
        {"download running", 1, 1, 0, Outcome::DownloadRunning},
        {"all clear", 1, 1, 1, Outcome::Shown},
    };
    for (Command command : {Command::ProgramDownload, Command::RssCalibration}) {
        const int tab = command == Command::ProgramDownload ? tarvel::TabProgramDownload : tarvel::TabRssCalibration;
        for (const GuardCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (command == Command::ProgramDownload ? " / download" : " / rss"));
            SetUp();
            pages.log.clear();
            prompter.Clear();
            EcuConnected = c.connected;
            EolTestIdle = c.testIdle;
            DownloadIdle = c.downloadIdle;

            const Outcome got =
                command == Command::ProgramDownload ? switcher.OnProgramDownload() : switcher.OnRssCalibration();

            EXPECT_EQ(got, c.outcome);
            switch (c.outcome) {
            case Outcome::NotConnected:
                ASSERT_EQ(prompter.Count(), 1u);
                EXPECT_EQ(prompter.Boxes()[0].text, LanguageText(75));
                EXPECT_EQ(prompter.Boxes()[0].caption, LanguageText(74));
                EXPECT_TRUE(pages.log.empty());
                EXPECT_TRUE(PageWorkRunsOn());
                break;
            case Outcome::TestRunning:
                ASSERT_EQ(prompter.Count(), 1u);
                EXPECT_EQ(prompter.Boxes()[0].text,
                          "Test is running. Please exit test first or wait for the test complete");
                EXPECT_EQ(prompter.Boxes()[0].caption, "Warning");
                EXPECT_TRUE(pages.log.empty());
                EXPECT_TRUE(PageWorkRunsOn());
                break;
            case Outcome::DownloadRunning:
                EXPECT_EQ(prompter.Count(), 0u);
                EXPECT_EQ(pages.log, Lines{WindowMsg(WindowSlot::DownloadPage, WM_ECU_CONNECTION_CHANGED)});
                EXPECT_TRUE(PageWorkRunsOn());
                break;
            case Outcome::Shown:
                EXPECT_EQ(prompter.Count(), 0u);
                EXPECT_EQ(pages.log, (Lines{"monitor stopped", "hide", Show(tab)}));
                EXPECT_TRUE(PageWorkStopped());
                break;
            }
        }
    }
}

TEST_P(PageSwitchTest, LanguageBroadcastGoesOutInItsOrder)
{
    tarvel::BroadcastLanguage(pages);
    const Lines expected = {
        WindowMsg(WindowSlot::Navigation, 0x465),
        PageMsg(0, 0x84c),  PageMsg(1, 0x84d),  PageMsg(2, 0x84e),  PageMsg(3, 0x84f),  PageMsg(12, 0x850),
        PageMsg(5, 0x851),  PageMsg(6, 0x852),  PageMsg(18, 0x85c), PageMsg(7, 0x853),  PageMsg(8, 0x854),
        PageMsg(9, 0x855),  PageMsg(14, 0x856), PageMsg(19, 0x859), PageMsg(15, 0x85b), PageMsg(10, 0x857),
        PageMsg(11, 0x858), PageMsg(16, 0x915), PageMsg(17, 0x920), PageMsg(20, 0x85d), PageMsg(21, 0x85c),
    };
    EXPECT_EQ(pages.log, expected);
}

INSTANTIATE_TEST_SUITE_P(Languages, PageSwitchTest, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "Chinese" : "English"; });

TEST(AppMessageNumbers, MatchTheProgramsMessageTable)
{
    const std::pair<int, int> table[] = {
        {WM_MONITOR_RELOAD_DEFINITIONS, 0x464}, {WM_NAV_REFRESH_TEXTS, 0x465},
        {WM_NAV_SELECT_PAGE, 0x466},            {WM_ACTIVATE_EOLSENSOR_PREPARE, 0x46d},
        {WM_ACTIVATE_EOLREPORTS, 0x474},        {WM_DEVICEINFO_RELOAD, 0x478},
        {WM_ECU_CONNECTION_CHANGED, 0x7f3},     {WM_RSSCALIB_DISCONNECTED, 0x7f4},
        {WM_LANG_DEVICEINFO, 0x84c},            {WM_LANG_RSSCALIB, 0x85d},
        {WM_EOLLIFTSENSOR_DISCONNECTED, 0x85a}, {WM_EOLHEIGHTSENSOR_DISCONNECTED, 0x85e},
        {WM_ACTIVATE_DEVICEINFO, 0x85f},        {WM_RWDID_DEFINITIONS_LOADED, 0x8be},
        {WM_LIFTAXLE_RELOAD_CONFIG, 0x8fc},     {WM_LIFTAXLE_REFILL, 0x8fd},
        {WM_LIFTAXLE_WRITE, 0x8fe},             {WM_LIFTAXLE_READ, 0x8ff},
        {WM_ACTIVATE_ODRINFO, 0x914},           {WM_LANG_ODRINFO, 0x915},
        {WM_SYSTEMTAG_UPDATE, 0x918},           {WM_ODRTRIP_RELOAD, 0x91f},
        {WM_LANG_ODRTRIP, 0x920},               {WM_ACTIVATE_EOLVOLTAGE, 0x1789},
        {WM_ACTIVATE_EOLLAMP, 0x178a},          {WM_ACTIVATE_EOLSENSOR, 0x178b},
        {WM_ACTIVATE_EOLPRESSURE, 0x178c},      {WM_ACTIVATE_EOLBACKUPPRESSURE, 0x178d},
        {WM_ACTIVATE_EOLDTC, 0x178e},           {WM_ACTIVATE_EOLBRAKELAMP, 0x1794},
        {WM_RESET_EOLBRAKELAMP, 0x1795},        {WM_ACTIVATE_EOLLIFTAXLE, 0x18fb},
        {WM_ACTIVATE_EOLLIFTSENSOR, 0x18fc},    {WM_ACTIVATE_EOLHEIGHTSENSOR, 0x2021},
    };
    for (const auto& entry : table)
        EXPECT_EQ(entry.first, entry.second) << std::hex << entry.second;
}

} // namespace
