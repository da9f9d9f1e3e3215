#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "NavigationModel.h"
#include "ShellGlobals.h"
#include "WindowRegistry.h"

#include "Prompter.h"

#include <gtest/gtest.h>

#if TARVEL_HAVE_UDS
#include "UdsEngine.h"
#endif

#include <string>
#include <vector>

using namespace tarvel;

namespace {

std::vector<int> Rows(const std::vector<NavItem>& items)
{
    std::vector<int> rows;
    for (const auto& item : items)
        rows.push_back(item.textRow);
    return rows;
}

struct EolCase {
    const char* name;
    NavEquipment equipment;
    std::vector<int> rows;
};

class EolItemsTest : public ::testing::TestWithParam<EolCase> {};

TEST_P(EolItemsTest, ShowsOptionalItemsOnlyForFlagsExactlyOne)
{
    const EolCase& c = GetParam();
    auto tree = BuildNavTree(c.equipment);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[1].root.textRow, 21);
    EXPECT_EQ(tree[1].root.page, NoPage);
    EXPECT_EQ(Rows(tree[1].items), c.rows);
}

const std::vector<int> kBase = {13, 14, 15, 16, 17, 18, 19};

INSTANTIATE_TEST_SUITE_P(
    Flags, EolItemsTest,
    ::testing::Values(
        EolCase{"none", {0, 0, 0, 0, 0}, kBase},
        EolCase{"all", {1, 1, 1, 1, 1}, {13, 14, 448, 15, 16, 17, 24, 488, 276, 580, 18, 19}},
        EolCase{"brakeLampOnly", {1, 0, 0, 0, 0}, {13, 14, 448, 15, 16, 17, 18, 19}},
        EolCase{"brakeLampTwo", {2, 0, 0, 0, 0}, kBase},
        EolCase{"liftingAxleTest", {0, 1, 0, 0, 0}, {13, 14, 15, 16, 17, 24, 18, 19}},
        EolCase{"liftingSensor", {0, 0, 1, 0, 0}, {13, 14, 15, 16, 17, 488, 18, 19}},
        EolCase{"heightSensor", {0, 0, 0, 1, 0}, {13, 14, 15, 16, 17, 276, 18, 19}},
        EolCase{"underwaterValve", {0, 0, 0, 0, 1}, {13, 14, 15, 16, 17, 580, 18, 19}},
        EolCase{"minusOneEverywhere", {-1, -1, -1, -1, -1}, kBase},
        EolCase{"otherValues", {257, 2, -1, 3, 0x7fffffff}, kBase},
        EolCase{"mixed", {1, 2, 1, 0, 1}, {13, 14, 448, 15, 16, 17, 488, 580, 18, 19}}),
    [](const ::testing::TestParamInfo<EolCase>& info) { return std::string(info.param.name); });

TEST(NavigationTree, EveryItemCarriesItsOwnPage)
{
    auto tree = BuildNavTree({1, 1, 1, 1, 1});
    EXPECT_EQ(tree[0].root.textRow, 20);
    EXPECT_EQ(Rows(tree[0].items), (std::vector<int>{8, 9, 10, 11, 22, 298}));
    std::vector<int> diagPages, eolPages;
    for (const auto& item : tree[0].items)
        diagPages.push_back(item.page);
    for (const auto& item : tree[1].items)
        eolPages.push_back(item.page);
    EXPECT_EQ(diagPages, (std::vector<int>{0, 1, 2, 3, 12, 16}));
    EXPECT_EQ(eolPages, (std::vector<int>{5, 6, 18, 7, 8, 9, 14, 19, 15, 21, 10, 11}));
}

TEST(NavigationTree, ReadsTheEquipmentGlobals)
{
    BrakeLampTestEnabled = 1;
    UnderwaterValveTestEnabled = 2;
    NavEquipment eq = CurrentNavEquipment();
    EXPECT_EQ(eq.brakeLampTest, 1);
    EXPECT_EQ(eq.underwaterValveTest, 2);
}

// A download page stand-in that records the messages it receives.
class RecordingTarget : public MessageTarget {
public:
    bool HandleAppMessage(int message) override
    {
        messages.push_back(message);
        return true;
    }
    std::vector<int> messages;
};

class RecordingEnvironment : public NavigationEnvironment {
public:
    void SelectPage(int page) override { selected.push_back(page); }
    std::vector<int> selected;
};

class NavClickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Services().text = [](int row) {
            if (row == 74)
                return std::string("Not connected");
            if (row == 75)
                return std::string("Please connect the ECU first");
            return "row " + std::to_string(row);
        };
        EcuConnected = 1;
        EolTestIdle = 1;
        DownloadIdle = 1;
        SetRunFlags();
        SelectedNavItemText = "previous";
        RegisterWindow(WindowSlot::DownloadPage, &download);
    }
    static void SetRunFlags()
    {
        EolStopRequested = 0;
        MonitorRunning = 1;
        DtcReadPending = 1;
        DeviceInfoAutoRead = 1;
        EolDtcReadPending = 1;
    }
    static bool RunFlagsUntouched()
    {
        return EolStopRequested == 0 && MonitorRunning == 1 && DtcReadPending == 1 &&
               DeviceInfoAutoRead == 1 && EolDtcReadPending == 1;
    }
    static bool RunFlagsStopped()
    {
        return EolStopRequested == 1 && MonitorRunning == 0 && DtcReadPending == 0 &&
               DeviceInfoAutoRead == 0 && EolDtcReadPending == 0;
    }

    RecordingPrompter prompter;
    ScopedPrompter scoped{prompter};
    RecordingTarget download;
    RecordingEnvironment env;
    NavItem item{15, 7};
    NavItem root{21, NoPage};
};

TEST_F(NavClickTest, NotConnectedShowsTheWarningAndChangesNothing)
{
    for (int connected : {0, 2, -1}) {
        EcuConnected = connected;
        for (const NavItem* hit : std::vector<const NavItem*>{&item, &root, nullptr}) {
            prompter.Clear();
            EXPECT_EQ(OnNavTreeClick(env, hit), NavClickOutcome::NotConnected);
            auto boxes = prompter.Boxes();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, "Please connect the ECU first");
            EXPECT_EQ(boxes[0].caption, "Not connected");
            EXPECT_EQ(boxes[0].icon, MsgIcon::Exclamation);
        }
    }
    EXPECT_TRUE(env.selected.empty());
    EXPECT_TRUE(download.messages.empty());
    EXPECT_TRUE(RunFlagsUntouched());
    EXPECT_EQ(SelectedNavItemText, "previous");
}

TEST_F(NavClickTest, NotConnectedBoxIsNeverBlankWithoutLanguageRows)
{
    EcuConnected = 0;
    Services().text = [](int) { return std::string(); };
    OnNavTreeClick(env, &item);
    auto boxes = prompter.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(boxes[0].text.empty());
    EXPECT_FALSE(boxes[0].caption.empty());
}

TEST_F(NavClickTest, RunningTestRefusesThePageChange)
{
    EolTestIdle = 0;
    EXPECT_EQ(OnNavTreeClick(env, &item), NavClickOutcome::TestRunning);
    auto boxes = prompter.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Test is running. Please exit test first or wait for the test complete");
    EXPECT_EQ(boxes[0].caption, "Warning");
    EXPECT_EQ(boxes[0].icon, MsgIcon::None);
    EXPECT_EQ(boxes[0].buttons, MsgButtons::Ok);
    EXPECT_TRUE(env.selected.empty());
    EXPECT_TRUE(RunFlagsUntouched());
    EXPECT_EQ(SelectedNavItemText, "previous");
}

TEST_F(NavClickTest, RunningDownloadTellsTheDownloadPageOnly)
{
    DownloadIdle = 0;
    EXPECT_EQ(OnNavTreeClick(env, &item), NavClickOutcome::DownloadRunning);
    EXPECT_EQ(download.messages, (std::vector<int>{WM_ECU_CONNECTION_CHANGED}));
    EXPECT_EQ(prompter.Count(), 0u);
    EXPECT_TRUE(env.selected.empty());
    EXPECT_TRUE(RunFlagsUntouched());
}

TEST_F(NavClickTest, RunningDownloadWithoutADownloadPageIsHarmless)
{
    DownloadIdle = 0;
    ForgetWindow(&download);
    EXPECT_EQ(OnNavTreeClick(env, &item), NavClickOutcome::DownloadRunning);
    EXPECT_TRUE(download.messages.empty());
    EXPECT_TRUE(env.selected.empty());
}

TEST_F(NavClickTest, ClickOnAnItemStopsPageWorkAndSelectsItsPage)
{
#if TARVEL_HAVE_UDS
    TestRunning = 1;
#endif
    EXPECT_EQ(OnNavTreeClick(env, &item), NavClickOutcome::Selected);
    EXPECT_TRUE(RunFlagsStopped());
#if TARVEL_HAVE_UDS
    EXPECT_EQ(TestRunning.load(), 0u);
#endif
    EXPECT_EQ(env.selected, (std::vector<int>{7}));
    EXPECT_EQ(SelectedNavItemText, "row 15");
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(NavClickTest, ClickOnARootHandsNoPageToTheView)
{
    EXPECT_EQ(OnNavTreeClick(env, &root), NavClickOutcome::Selected);
    EXPECT_EQ(env.selected, (std::vector<int>{NoPage}));
    EXPECT_EQ(SelectedNavItemText, "row 21");
}

TEST_F(NavClickTest, ClickOnEmptyAreaStillStopsPageWork)
{
    EXPECT_EQ(OnNavTreeClick(env, nullptr), NavClickOutcome::EmptyArea);
    EXPECT_TRUE(RunFlagsStopped());
    EXPECT_TRUE(SelectedNavItemText.empty());
    EXPECT_TRUE(env.selected.empty());
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(NavClickTest, RowsThatTranslateAlikeStillOpenTheirOwnPages)
{
    // Two captions equal in some language: the item's page decides.
    Services().text = [](int row) { return row == 13 || row == 14 ? "Test" : "x"; };
    NavItem voltage{13, 5};
    NavItem lamp{14, 6};
    OnNavTreeClick(env, &lamp);
    OnNavTreeClick(env, &voltage);
    EXPECT_EQ(env.selected, (std::vector<int>{6, 5}));
}

TEST(WindowRegistry, ForgetsATargetWhenItIsDestroyed)
{
    {
        RecordingTarget page;
        RegisterWindow(WindowSlot::LiftingAxlePage, &page);
        RegisterWindow(WindowSlot::SystemTagDialog, &page);
        EXPECT_EQ(LiftingAxlePageWnd(), &page);
        EXPECT_TRUE(SendToRegisteredWindow(WindowSlot::SystemTagDialog, WM_SYSTEMTAG_UPDATE));
        EXPECT_EQ(page.messages, (std::vector<int>{WM_SYSTEMTAG_UPDATE}));
    }
    EXPECT_EQ(LiftingAxlePageWnd(), nullptr);
    EXPECT_EQ(SystemTagDialogWnd(), nullptr);
    EXPECT_FALSE(SendToRegisteredWindow(WindowSlot::LiftingAxlePage, WM_LIFTAXLE_READ));
}

TEST(WindowRegistry, RejectsSlotsOutsideTheTable)
{
    RecordingTarget page;
    RegisterWindow(WindowSlot::Count, &page);
    EXPECT_EQ(FindRegisteredWindow(WindowSlot::Count), nullptr);
    EXPECT_EQ(FindRegisteredWindow(static_cast<WindowSlot>(-1)), nullptr);
    EXPECT_FALSE(SendToRegisteredWindow(static_cast<WindowSlot>(99), WM_LIFTAXLE_READ));
}

} // namespace
