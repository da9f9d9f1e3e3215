// The shape every end-of-line page shares, on the supply-voltage page and on
// a small lamp-like page that holds an output, ticks and asks the operator.
#include "EolBench.h"

#include "AppMessages.h"
#include "NavigationModel.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include "SimEcuData.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace {

using eoltest::EolBenchTest;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;

// Commands nothing real: it unlocks, then re-reads the voltage on each tick
// while it asks whether the lamp is lit.
class LampLikeLogic : public EolPageLogic {
public:
    explicit LampLikeLogic(const tarvel::PageContext& context)
        : EolPageLogic(tarvel::TabEolLamp, EolPageTraits{EolPage::WarningLamp, 2, true, false, true}, context)
    {
    }
    int ticks = 0;
    int exits = 0;
    bool markOnFailure = true;
    using EolPageLogic::Ticking;

protected:
    void RunTest() override
    {
        if (!EnterExtendedSessionAndUnlock())
            return;
        tarvel::TestRunning = 1;
        StartTicks(2000);
        Ask("Is the lamp lit?");
    }
    void OnTick() override
    {
        ++ticks;
        std::vector<uint8_t> data;
        tarvel::UdsReadById(0x0029, data);
    }
    void OnAnswer(bool yes) override
    {
        if (yes)
            RecordPass(0, EolWarningLampOnResult);
        else
            RecordFail(0, EolWarningLampOnResult, EolWarningLampOnRemark, "lamp stays dark", markOnFailure);
        FinishTest(yes);
    }
    void OnExitTest() override { ++exits; }
};

struct NavEnv : tarvel::NavigationEnvironment {
    int selected = -2;
    void SelectPage(int page) override { selected = page; }
};

class EolFrameworkTest : public EolBenchTest {
protected:
    LampLikeLogic lamp{bench.Context()};
    tarvel::NavItem lampItem{14, tarvel::TabEolLamp};
};

TEST_F(EolFrameworkTest, StartWithoutTheEcuShowsTheBoxAndChangesNothing)
{
    EolVoltageResult = EolFailed;
    EolVoltageRemark = "kept";
    EolWarningLampOnResult = EolPassed;
    Voltage().Start();
    lamp.Start();
    EXPECT_THAT(bench.prompter.Boxes(),
                ElementsAre(BoxIs(UiText(75), UiText(74)), BoxIs(UiText(75), UiText(74))));
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
    EXPECT_THAT(bench.ecu->Requests(), IsEmpty());
    EXPECT_EQ(EolVoltageResult, EolFailed);
    EXPECT_EQ(EolVoltageRemark, "kept");
    EXPECT_EQ(EolWarningLampOnResult, EolPassed);
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_TRUE(Voltage().Common().startEnabled);
}

TEST_F(EolFrameworkTest, ARunningTestHoldsTheNavigationUntilItsAnswer)
{
    ASSERT_TRUE(bench.Connect());
    EolWarningLampOffResult = EolFailed;
    EolWarningLampOffRemark = "old";
    lamp.Start();
    ASSERT_TRUE(lamp.Running());
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 F1 90"), Bytes("10 03"), Bytes("27 01"), ::testing::_));
    // Start reset the page's own results.
    EXPECT_EQ(EolWarningLampOffResult, EolNotTested);
    EXPECT_EQ(EolWarningLampOffRemark, "-");
    EXPECT_EQ(EolTestIdle.load(), 0);
    EXPECT_FALSE(lamp.Common().startEnabled);
    EXPECT_TRUE(lamp.Common().exitEnabled);
    EXPECT_TRUE(lamp.Common().answerShown);
    EXPECT_EQ(lamp.Common().question, "Is the lamp lit?");

    NavEnv env;
    EXPECT_EQ(tarvel::OnNavTreeClick(env, &lampItem), tarvel::NavClickOutcome::TestRunning);
    EXPECT_EQ(env.selected, -2);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(tarvel::TestRunningText, "Warning")));

    // The held output is re-sent every 2000 ms.
    bench.ClearRequests();
    bench.Advance(4100);
    EXPECT_EQ(lamp.ticks, 2);
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 29"), Bytes("22 00 29")));

    lamp.AnswerYes();
    EXPECT_EQ(EolWarningLampOnResult, EolPassed);
    EXPECT_EQ(lamp.Common().pictures, (std::vector<EolPicture>{EolPicture::Passed, EolPicture::Idle}));
    EXPECT_THAT(bench.prompter.Boxes().back(), BoxIs(UiText(184), UiText(74)));
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_FALSE(lamp.Ticking());
    EXPECT_FALSE(lamp.Common().answerShown);
    EXPECT_EQ(tarvel::OnNavTreeClick(env, &lampItem), tarvel::NavClickOutcome::Selected);
    EXPECT_EQ(env.selected, tarvel::TabEolLamp);
}

TEST_F(EolFrameworkTest, NoRecordsTheFailureAndMarksTheEcu)
{
    ASSERT_TRUE(bench.Connect());
    lamp.Start();
    bench.ClearRequests();
    lamp.AnswerNo();
    EXPECT_EQ(EolWarningLampOnResult, EolFailed);
    EXPECT_EQ(EolWarningLampOnRemark, "lamp stays dark");
    EXPECT_EQ(lamp.Common().pictures[0], EolPicture::Failed);
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("10 03"), Bytes("27 01"), ::testing::_, Marker0()));
    EXPECT_EQ(trailer.EolMarker(), 0);
    EXPECT_THAT(bench.prompter.Boxes().back(), BoxIs(UiText(189), UiText(76)));
    // A second answer without a question does nothing.
    lamp.AnswerYes();
    EXPECT_EQ(EolWarningLampOnResult, EolFailed);

    // A page that marks only under its own conditions leaves the ECU alone.
    lamp.markOnFailure = false;
    lamp.Start();
    bench.ClearRequests();
    lamp.AnswerNo();
    EXPECT_EQ(EolWarningLampOnResult, EolFailed);
    EXPECT_THAT(bench.Requests(), IsEmpty());
}

TEST_F(EolFrameworkTest, ARefusedSessionOrUnlockEndsTheTestWithItsBox)
{
    ASSERT_TRUE(bench.Connect());
    struct Case {
        uint8_t sid;
        int row;
    };
    for (const Case c : {Case{0x10, 185}, Case{0x27, 186}}) {
        SCOPED_TRACE(c.row);
        bench.ecu->ClearFaults();
        bench.ecu->SetNegativeResponse(c.sid, 0x22);
        bench.prompter.Clear();
        lamp.Start();
        EXPECT_THAT(bench.prompter.Boxes().back(), BoxIs(UiText(c.row), UiText(76)));
        EXPECT_FALSE(lamp.Running());
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_TRUE(lamp.Common().startEnabled);
        EXPECT_FALSE(lamp.Common().exitEnabled);
        EXPECT_FALSE(lamp.Ticking());
        EXPECT_EQ(EolWarningLampOnResult, EolNotTested);
    }
}

TEST_F(EolFrameworkTest, ExitAndAStopRequestOnATickReturnThePageToIdle)
{
    ASSERT_TRUE(bench.Connect());
    for (bool byTick : {false, true}) {
        SCOPED_TRACE(byTick ? "stop request seen by a tick" : "Exit button");
        lamp.Start();
        EolWarningLampOffResult = EolFailed; // as if the page had judged one item
        lamp.Exit();
        if (byTick) {
            // undo: restart and let the tick see the stop request instead
            lamp.Start();
            EolWarningLampOffResult = EolFailed;
            EolStopRequested = 1;
            bench.Advance(2100);
        }
        EXPECT_FALSE(lamp.Running());
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_FALSE(lamp.Ticking());
        EXPECT_EQ(EolWarningLampOffResult, EolNotTested);
        EXPECT_EQ(lamp.Common().pictures, (std::vector<EolPicture>{EolPicture::Idle, EolPicture::Idle}));
        EXPECT_TRUE(lamp.Common().startEnabled);
        EXPECT_FALSE(lamp.Common().exitEnabled);
        EXPECT_FALSE(lamp.Common().answerShown);
    }
    EXPECT_EQ(lamp.exits, 3);
    EXPECT_EQ(lamp.ticks, 0) << "the tick that saw the stop request sent nothing";
}

TEST_F(EolFrameworkTest, ATickSkipsWhileARequestIsInFlight)
{
    ASSERT_TRUE(bench.Connect());
    lamp.Start();
    // The ECU stays silent: the tick's own read holds the link for 3500 ms,
    // during which the next tick falls due and must not send.
    bench.ecu->SetNoAnswer(0x22);
    bench.ClearRequests();
    bench.Advance(2000);
    EXPECT_EQ(lamp.ticks, 1);
    EXPECT_EQ(bench.Requests().size(), 1u);
    bench.ecu->ClearFaults();
    lamp.Exit();
}

TEST_F(EolFrameworkTest, DisconnectKeepsFailuresButResetsAfterAPass)
{
    for (int passed : {0, 1}) {
        SCOPED_TRACE(passed);
        ASSERT_TRUE(bench.Connect());
        for (int i = 0; i < EolResultFlagCount; ++i)
            *EolResultFlags()[i] = EolFailed;
        EolPassedFlag = passed;
        bench.Disconnect();
        for (int i = 0; i < EolResultFlagCount; ++i) {
            // The height-sensor and lifting-sensor pages run their Exit on a
            // lost link, which resets their results in any case.
            const bool exitOnDisconnect =
                EolResultFlags()[i] == &EolHeightSensorResult || EolResultFlags()[i] == &EolLiftingSensorResult;
            const bool kept = !exitOnDisconnect && (passed == 0 || EolResultFlags()[i] == &EolPressure5Result ||
                                                    EolResultFlags()[i] == &EolPressure6Result);
            EXPECT_EQ(*EolResultFlags()[i], kept ? EolFailed : EolNotTested) << EolResultTable()[i].name;
        }
        EXPECT_EQ(EolPassedFlag, passed);
    }
}

TEST_F(EolFrameworkTest, ActivationShowsAHeldResultAndTheIdleLookAfterAReset)
{
    ASSERT_TRUE(bench.Connect());
    SetRawVoltage(160);
    EolVoltageTestLogic& page = Voltage();
    page.Start();
    ASSERT_EQ(EolVoltageResult, EolPassed);
    bench.ClearRequests();

    page.OnActivate(WM_ACTIVATE_EOLVOLTAGE);
    EXPECT_EQ(page.State().voltageText, "24.00V");
    EXPECT_EQ(page.Common().pictures[0], EolPicture::Passed);

    ResetEolResults();
    page.OnActivate(WM_ACTIVATE_EOLVOLTAGE);
    EXPECT_EQ(page.State().voltageText, "---");
    EXPECT_EQ(page.Common().pictures[0], EolPicture::Idle);
    EXPECT_THAT(bench.Requests(), IsEmpty()) << "activation sends nothing";
}

TEST_F(EolFrameworkTest, LanguageRefreshCaptionsTheCommonControls)
{
    lamp.OnLanguageChanged();
    Voltage().OnLanguageChanged();
    EXPECT_EQ(lamp.Common().startCaption, "Start");
    EXPECT_EQ(lamp.Common().exitCaption, "Exit Test");
    EXPECT_EQ(lamp.Common().resultCaption, UiText(45));
    EXPECT_EQ(Voltage().State().groupCaption, "Supply Voltage");
}

TEST_F(EolFrameworkTest, ResultsOfAnotherEcuAreResetAndTheOperatorIsTold)
{
    ASSERT_TRUE(bench.Connect());
    SetRawVoltage(160);
    Voltage().Start();
    ASSERT_EQ(EolVoltageResult, EolPassed);
    EXPECT_EQ(EolResultsVin, sim::ecudata::kVin);
    EolDtcResult = EolPassed;
    EolPressureRemark2 = "earlier failure";
    bench.Disconnect();

    // The same trailer again: its results stay.
    ASSERT_TRUE(bench.Connect());
    bench.prompter.Clear();
    lamp.Start();
    lamp.Exit();
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    EXPECT_EQ(EolVoltageResult, EolPassed);
    EXPECT_EQ(EolDtcResult, EolPassed);
    EXPECT_EQ(EolPressureRemark2, "earlier failure");
    bench.Disconnect();

    // Another ECU: everything earned on the first is reset before the test.
    const std::string otherVin = "WTARVEL0000000002";
    bench.ecu->RegisterDid(0xF190, std::vector<uint8_t>(otherVin.begin(), otherVin.end()));
    ASSERT_TRUE(bench.Connect());
    bench.prompter.Clear();
    SetRawVoltage(100);
    Voltage().Start();
    ASSERT_EQ(bench.prompter.Boxes().size(), 2u);
    EXPECT_EQ(bench.prompter.Boxes()[0].caption, UiText(74));
    EXPECT_THAT(bench.prompter.Boxes()[0].text, ::testing::HasSubstr(otherVin));
    EXPECT_THAT(bench.prompter.Boxes()[0].text, ::testing::HasSubstr(sim::ecudata::kVin));
    EXPECT_EQ(EolDtcResult, EolNotTested);
    EXPECT_EQ(EolPressureRemark2, "-");
    EXPECT_EQ(EolVoltageResult, EolFailed) << "the new trailer's own result";
    EXPECT_EQ(EolResultsVin, otherVin);
}

TEST_F(EolFrameworkTest, ADisconnectDuringATestFreesTheNavigationForTheNextLink)
{
    ASSERT_TRUE(bench.Connect());
    EolVoltageTestLogic& page = Voltage();
    // The link goes while the reading settles.
    pump.Once([&] { return page.State().voltageText != "---"; }, [&] { bench.Disconnect(); });
    page.Start();
    ASSERT_TRUE(pump.Fired());
    EXPECT_FALSE(page.Running());
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(EolVoltageResult, EolNotTested) << "an interrupted test judges nothing";
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    EXPECT_TRUE(page.Common().startEnabled);

    // A page holding an output with its ticks running.
    ASSERT_TRUE(bench.Connect());
    lamp.Start();
    ASSERT_TRUE(lamp.Ticking());
    lamp.OnDisconnected(); // as the shell tells every page
    EXPECT_FALSE(lamp.Ticking());
    EXPECT_FALSE(lamp.Running());
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(EolStopRequested.load(), 1);
    NavEnv env;
    EXPECT_EQ(tarvel::OnNavTreeClick(env, &lampItem), tarvel::NavClickOutcome::Selected);
}

TEST_F(EolFrameworkTest, StartIsRefusedWhileItsOwnTestRuns)
{
    ASSERT_TRUE(bench.Connect());
    SetRawVoltage(160);
    EolVoltageTestLogic& page = Voltage();
    bool startEnabledDuringRun = true;
    pump.Once([&] { return page.State().voltageText != "---"; },
              [&] {
                  startEnabledDuringRun = page.Common().startEnabled;
                  page.Start(); // a second click while the reading settles
              });
    page.Start();
    ASSERT_TRUE(pump.Fired());
    EXPECT_FALSE(startEnabledDuringRun);
    const auto requests = bench.Requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), Bytes("22 00 29")), 1);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(184), UiText(74))));
}

} // namespace
