// The page core: what reaches a page's logic, in which order, and work handed
// to the UI thread.
#include "AppMessages.h"
#include "NavigationModel.h"
#include "PageHostTable.h"
#include "PageLogic.h"
#include "PageLogicSet.h"
#include "PageSwitch.h"
#include "ShellGlobals.h"
#include "UiDispatcher.h"

#include "CanAdapterGlobals.h"
#include "LanguageTable.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using ::testing::ElementsAreArray;
using Lines = std::vector<std::string>;

// A page logic that writes down each hook it gets, with the link state it saw.
class RecordingLogic : public tarvel::PageLogic {
public:
    RecordingLogic(int tab, const tarvel::PageContext& context, Lines& log) : PageLogic(tab, context), log_(log) {}
    void OnActivate(int message) override { Note("activate " + std::to_string(message)); }
    void OnLanguageChanged() override { Note("language"); }
    void OnResetForNewRun() override { Note("reset"); }
    void OnConnected() override { Note(EcuConnected.load() == 1 ? "connected" : "connected while down"); }
    void OnDisconnected() override { Note(EcuConnected.load() == 0 ? "disconnected" : "disconnected while up"); }
    void OnStopWork() override { Note("stop"); }

private:
    void Note(const std::string& what) { log_.push_back(what + " " + std::to_string(Tab())); }
    Lines& log_;
};

// The recording page host of the bench, with recording logic on every tab.
class HookedPages : public conntest::RecordingPages {
public:
    explicit HookedPages(tarvel::TimerFactory* timers) : RecordingPages(timers)
    {
        for (int tab = 0; tab < tarvel::PageCount; ++tab)
            logics[static_cast<size_t>(tab)] = std::make_unique<RecordingLogic>(tab, Context(), hooks);
    }
    tarvel::PageLogic* Logic(int tab) override { return logics[static_cast<size_t>(tab)].get(); }

    Lines hooks;
    std::array<std::unique_ptr<RecordingLogic>, tarvel::PageCount> logics;
};

Lines EveryTab(const std::string& what)
{
    Lines lines;
    for (int tab : tarvel::PageHookOrder())
        lines.push_back(what + " " + std::to_string(tab));
    return lines;
}

TEST(PageHooks, ShellTellsEveryPageOfConnectAndDisconnectInTabOrderAfterTheStateChanged)
{
    tarvel_test::PageBench bench;
    HookedPages pages(&bench.timers);
    tarvel::ConnectionController controller(pages, bench.timers);
    tarvel::SelectedCanAdapter = 0;
    tarvel::SelectedCanBaud = 0;

    controller.OnConnectCan();
    ASSERT_EQ(EcuConnected.load(), 1);
    EXPECT_THAT(pages.hooks, ElementsAreArray(EveryTab("connected")));

    pages.hooks.clear();
    controller.OnDisconnectCan();
    EXPECT_THAT(pages.hooks, ElementsAreArray(EveryTab("disconnected")));

    pages.hooks.clear();
    tarvel::ResetPagesForNewRun(pages);
    EXPECT_THAT(pages.hooks, ElementsAreArray(EveryTab("reset")));
}

TEST(PageHooks, StoppingPageWorkReachesEveryPageThroughTheInstalledHandler)
{
    tarvel_test::PageBench bench;
    HookedPages pages(&bench.timers);
    tarvel::StopRunningPageWork();
    EXPECT_TRUE(pages.hooks.empty());

    tarvel::SetPageWorkStopHandler([&pages] { tarvel::StopPageWork(pages); });
    tarvel::StopRunningPageWork();
    EXPECT_THAT(pages.hooks, ElementsAreArray(EveryTab("stop")));
}

// Every page's activate and language messages reach its logic as hooks;
// anything else is not one of them.
TEST(PageMessages, ActivateAndLanguageMessagesOfEachPageBecomeItsHooks)
{
    tarvel_test::PageBench bench;
    for (const tarvel::PageSpec& spec : tarvel::PageTable()) {
        SCOPED_TRACE(spec.className);
        Lines log;
        RecordingLogic logic(spec.tab, bench.Context(), log);
        Lines expected;
        for (int message : spec.activate) {
            if (message == 0)
                continue;
            EXPECT_TRUE(tarvel::DeliverPageMessage(logic, message));
            expected.push_back("activate " + std::to_string(message) + " " + std::to_string(spec.tab));
        }
        if (spec.languageMessage != 0) {
            EXPECT_TRUE(tarvel::DeliverPageMessage(logic, spec.languageMessage));
            expected.push_back("language " + std::to_string(spec.tab));
        }
        EXPECT_FALSE(tarvel::DeliverPageMessage(logic, WM_ECU_CONNECTION_CHANGED));
        EXPECT_FALSE(tarvel::DeliverPageMessage(logic, 0));
        EXPECT_EQ(log, expected);
    }
}

TEST(UiDispatcher, WorkPostedFromAWorkerRunsOnlyWhenDrainedInOrder)
{
    tarvel::QueuedUiDispatcher ui;
    std::vector<int> ran;
    std::thread worker([&ui, &ran] {
        for (int i = 0; i < 3; ++i)
            ui.Post([&ran, i] { ran.push_back(i); });
    });
    worker.join();
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(ui.Pending(), 3u);
    // Work posted while draining runs in the same drain.
    ui.Post([&ui, &ran] { ui.Post([&ran] { ran.push_back(9); }); });
    EXPECT_EQ(ui.RunPending(), 5u);
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 9}));
    EXPECT_EQ(ui.Pending(), 0u);
}

TEST(PageContext, BoxesDialogsAndTextsFollowWhatIsInstalled)
{
    tarvel_test::PageBench bench;
    const tarvel::PageContext& context = bench.Context();
    context.prompter.Show("text", "caption", tarvel::MsgIcon::Information, tarvel::MsgButtons::Ok);
    EXPECT_THAT(bench.prompter.Boxes(), ::testing::ElementsAre(tarvel_test::BoxIs("text", "caption")));

    bench.files.QueueAnswer(std::string("/tmp/x.txt"));
    EXPECT_EQ(context.files.Choose(tarvel::FileRequest{}), std::string("/tmp/x.txt"));

    EXPECT_EQ(context.texts.Language(), 1);
    EXPECT_EQ(context.texts.Text(tarvel::kRowNotConnectedCaption), "Tips");
    EXPECT_EQ(context.texts.Text(1000000, "fallback"), "fallback");
    // Without a language table the pages and the shell show one and the same
    // not-connected box.
    const auto table = LanguageTable;
    LanguageTable.clear();
    EXPECT_EQ(context.texts.Text(tarvel::kRowNotConnectedText), tarvel::kNotConnectedFallbackText);
    EXPECT_EQ(context.texts.Text(tarvel::kRowNotConnectedCaption), tarvel::kNotConnectedFallbackCaption);
    tarvel::ShowNotConnectedBox();
    EXPECT_THAT(bench.prompter.Boxes().back(),
                tarvel_test::BoxIs(tarvel::kNotConnectedFallbackText, tarvel::kNotConnectedFallbackCaption));
    LanguageTable = table;
    EXPECT_EQ(context.dataFolder, tarvel_test::DataFolder());

    const uint64_t before = context.clock.NowMs();
    context.clock.SleepMs(250);
    EXPECT_EQ(bench.clock.NowUs() / 1000, before + 250);
}

} // namespace
