// The warning-lamp and brake-lamp tests against the simulated trailer and its
// operator on the virtual clock: the answers, the requests and their times,
// the failures, Exit and a lost link, and events that arrive while the page
// or the link is busy.
#include "LampBench.h"

#include "NavigationModel.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace {

using eoltest::LampBenchTest;
using eoltest::LampPageCase;
using eoltest::LampPages;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using tarvel_test::Bytes;

using LampQuestionTest = LampBenchTest;

struct NavEnv : tarvel::NavigationEnvironment {
    int selected = -2;
    void SelectPage(int page) override { selected = page; }
};

size_t CountOf(const std::vector<std::vector<uint8_t>>& sent, const std::vector<uint8_t>& request)
{
    return static_cast<size_t>(std::count(sent.begin(), sent.end(), request));
}

TEST_F(LampQuestionTest, TheOperatorsAnswersDecideFlagsRemarksPicturesAndTheMarker)
{
    struct Case {
        const char* name;
        sim::OutputDefect defect;
        bool wrongOnDark; // the operator calls a dark lamp lit
        bool onYes, offYes;
    };
    const Case cases[] = {
        {"YES/YES", sim::OutputDefect::None, false, true, true},
        {"NO/YES", sim::OutputDefect::StuckOff, false, false, true},
        {"YES/NO", sim::OutputDefect::StuckOn, false, true, false},
        {"NO/NO", sim::OutputDefect::StuckOff, true, false, false},
    };
    ASSERT_TRUE(bench.Connect());
    for (const LampPageCase& p : LampPages()) {
        EolLampQuestionLogic& page = Page(p);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(p.name) + " " + c.name);
            trailer.ClearDefects();
            trailer.SetOutputDefect(p.output, c.defect);
            person.AnswerWrongly(p.dark, c.wrongOnDark);
            *p.onRemark = "stale";
            *p.offRemark = "stale";
            bench.prompter.Clear();
            bench.ClearRequests();

            page.StartClicked();
            ASSERT_EQ(page.Lamp().open, LampQuestion::LampOn);
            EXPECT_EQ(page.Common().question, UiText(p.onPrompt));
            EXPECT_EQ(*p.onRemark, "-");
            EXPECT_EQ(*p.offRemark, "-");
            EXPECT_EQ(tarvel::TestRunning.load(), 1u);
            EXPECT_EQ(EolTestIdle.load(), 0);
            auto sent = Sent();
            ASSERT_EQ(sent.size(), 5u);
            EXPECT_EQ(sent[0], Bytes("22 F1 90"));
            ExpectUnlockAt(sent, 1);
            EXPECT_EQ(sent[4], Lamp(p, true));

            // The command is re-sent every 2000 ms from the moment it was accepted.
            bench.ClearRequests();
            bench.Advance(1999);
            EXPECT_THAT(Sent(), IsEmpty());
            bench.Advance(1);
            EXPECT_THAT(Sent(), ElementsAre(Lamp(p, true)));
            bench.Advance(2000);
            EXPECT_THAT(Sent(), ElementsAre(Lamp(p, true), Lamp(p, true)));

            const bool lit = person.Answer(p.lit);
            ASSERT_EQ(lit, c.onYes);
            bench.ClearRequests();
            page.Answer(LampQuestion::LampOn, lit);
            EXPECT_EQ(*p.onResult, c.onYes ? EolPassed : EolFailed);
            EXPECT_EQ(*p.offResult, EolNotTested);
            EXPECT_EQ(page.Common().pictures[0], c.onYes ? EolPicture::Passed : EolPicture::Failed);
            sent = Sent();
            size_t at = 0;
            if (!c.onYes) {
                ExpectUnlockAt(sent, 0);
                ASSERT_GE(sent.size(), 4u);
                EXPECT_EQ(sent[3], Marker0());
                at = 4;
            }
            ExpectUnlockAt(sent, at);
            ASSERT_EQ(sent.size(), at + 4);
            EXPECT_EQ(sent[at + 3], Lamp(p, false));
            ASSERT_EQ(page.Lamp().open, LampQuestion::LampOff);
            EXPECT_EQ(page.Common().question, UiText(p.offPrompt));
            EXPECT_FALSE(page.ResendTimerRunning(LampQuestion::LampOn));

            bench.ClearRequests();
            bench.Advance(2000);
            EXPECT_THAT(Sent(), ElementsAre(Lamp(p, false)));

            const bool dark = person.Answer(p.dark);
            ASSERT_EQ(dark, c.offYes);
            bench.ClearRequests();
            page.Answer(LampQuestion::LampOff, dark);
            sent = Sent();
            if (c.offYes) {
                EXPECT_THAT(sent, IsEmpty());
            } else {
                ExpectUnlockAt(sent, 0);
                EXPECT_EQ(sent.size(), 4u);
                EXPECT_EQ(sent.back(), Marker0());
            }

            EXPECT_EQ(*p.onResult, c.onYes ? EolPassed : EolFailed);
            EXPECT_EQ(*p.offResult, c.offYes ? EolPassed : EolFailed);
            EXPECT_EQ(*p.onRemark, c.onYes ? "-" : "Lamp did not light");
            EXPECT_EQ(*p.offRemark, c.offYes ? "-" : "Lamp did not go out");
            EXPECT_EQ(page.Common().pictures,
                      (std::vector<EolPicture>{c.onYes ? EolPicture::Passed : EolPicture::Failed,
                                               c.offYes ? EolPicture::Passed : EolPicture::Failed}));
            const bool passed = c.onYes && c.offYes;
            ASSERT_EQ(bench.prompter.Boxes().size(), 1u);
            EXPECT_EQ(bench.prompter.Boxes()[0].text, UiText(passed ? 184 : 189));
            EXPECT_EQ(bench.prompter.Boxes()[0].caption, UiText(passed ? 74 : 76));
            EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::None);
            EXPECT_EQ(page.Lamp().open, LampQuestion::None);
            EXPECT_FALSE(page.Running());
            EXPECT_TRUE(page.Common().startEnabled);
            EXPECT_FALSE(page.Common().exitEnabled);
            EXPECT_EQ(EolTestIdle.load(), 1);
            EXPECT_EQ(tarvel::TestRunning.load(), 0u);
            EXPECT_FALSE(page.ResendTimerRunning(LampQuestion::LampOff));

            // Nothing more goes out, and the output is never handed back.
            bench.ClearRequests();
            bench.Advance(4100);
            EXPECT_THAT(Sent(), IsEmpty());
            EXPECT_THAT(bench.ecu->Requests(), Not(Contains(Bytes("2F 00 04 00"))));
        }
        person.AnswerWrongly(p.dark, false);
    }
}

TEST_F(LampQuestionTest, APassingRunWritesNoMarker)
{
    ASSERT_TRUE(bench.Connect());
    for (const LampPageCase& p : LampPages()) {
        SCOPED_TRACE(p.name);
        EolLampQuestionLogic& page = Page(p);
        bench.ClearRequests();
        page.StartClicked();
        page.Answer(LampQuestion::LampOn, person.Answer(p.lit));
        ASSERT_TRUE(person.Answer(p.dark));
        page.AnswerYes(); // the common YES answers the open question
        EXPECT_EQ(*p.onResult, EolPassed);
        EXPECT_EQ(*p.offResult, EolPassed);
        EXPECT_EQ(page.Common().pictures, (std::vector<EolPicture>{EolPicture::Passed, EolPicture::Passed}));
        EXPECT_THAT(Sent(), Not(Contains(Marker0())));
    }
}

TEST_F(LampQuestionTest, ARefusedSessionOrUnlockReturnsThePageToIdleInEitherPhase)
{
    struct Case {
        const char* name;
        uint8_t sid;
        int row;
        bool inLampOffPhase;
    };
    const Case cases[] = {
        {"10 03 at lamp on", 0x10, 185, false},
        {"SecurityAccess at lamp on", 0x27, 186, false},
        {"10 03 at lamp off", 0x10, 185, true},
        {"SecurityAccess at lamp off", 0x27, 186, true},
    };
    ASSERT_TRUE(bench.Connect());
    for (const LampPageCase& p : LampPages()) {
        EolLampQuestionLogic& page = Page(p);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(p.name) + " " + c.name);
            bench.ecu->ClearFaults();
            bench.prompter.Clear();
            if (c.inLampOffPhase) {
                page.StartClicked();
                ASSERT_EQ(page.Lamp().open, LampQuestion::LampOn);
                ASSERT_EQ(tarvel::TestRunning.load(), 1u);
            }
            bench.ecu->SetNegativeResponse(c.sid, 0x22);
            bench.ClearRequests();
            if (c.inLampOffPhase)
                page.Answer(LampQuestion::LampOn, true);
            else
                page.StartClicked();

            EXPECT_THAT(PageBoxes(), ElementsAre(UiText(c.row)));
            EXPECT_EQ(bench.prompter.Boxes().back().caption, UiText(76));
            EXPECT_EQ(bench.prompter.Boxes().back().icon, tarvel::MsgIcon::None);
            EXPECT_FALSE(page.Running());
            EXPECT_EQ(EolTestIdle.load(), 1);
            EXPECT_EQ(tarvel::TestRunning.load(), 0u) << "the keep-alive must not stay silenced";
            EXPECT_TRUE(page.Common().startEnabled);
            EXPECT_FALSE(page.Common().exitEnabled);
            EXPECT_EQ(page.Lamp().open, LampQuestion::None);
            EXPECT_FALSE(page.ResendTimerRunning(LampQuestion::LampOn));
            EXPECT_FALSE(page.ResendTimerRunning(LampQuestion::LampOff));
            EXPECT_EQ(*p.onResult, c.inLampOffPhase ? EolPassed : EolNotTested);
            EXPECT_EQ(*p.offResult, EolNotTested);
            EXPECT_THAT(Sent(), Not(Contains(Lamp(p, !c.inLampOffPhase))));
        }
        bench.ecu->ClearFaults();
    }
}

TEST_F(LampQuestionTest, ARefusedLampCommandAtAPhasesStartStallsThePageUntilExit)
{
    ASSERT_TRUE(bench.Connect());
    for (const LampPageCase& p : LampPages()) {
        EolLampQuestionLogic& page = Page(p);
        for (bool offPhase : {false, true}) {
            SCOPED_TRACE(std::string(p.name) + (offPhase ? " lamp off" : " lamp on"));
            bench.ecu->ClearFaults();
            page.StartClicked();
            if (offPhase) {
                ASSERT_EQ(page.Lamp().open, LampQuestion::LampOn);
                bench.ecu->SetNegativeResponse(0x2F, 0x22);
                bench.prompter.Clear();
                page.Answer(LampQuestion::LampOn, true);
            } else {
                page.ExitClicked();
                bench.ecu->SetNegativeResponse(0x2F, 0x22);
                bench.prompter.Clear();
                page.StartClicked();
            }
            EXPECT_THAT(PageBoxes(), ElementsAre(UiText(offPhase ? p.offRefused : p.onRefused)));
            EXPECT_EQ(bench.prompter.Boxes().back().icon, tarvel::MsgIcon::None);
            // Stalled: still running, Exit the only way on, nothing re-sent.
            EXPECT_TRUE(page.Running());
            EXPECT_FALSE(page.Common().startEnabled);
            EXPECT_TRUE(page.Common().exitEnabled);
            EXPECT_EQ(EolTestIdle.load(), 0);
            EXPECT_EQ(page.Lamp().open, LampQuestion::None);
            EXPECT_FALSE(page.ResendTimerRunning(LampQuestion::LampOn));
            EXPECT_FALSE(page.ResendTimerRunning(LampQuestion::LampOff));
            EXPECT_EQ(*p.onResult, offPhase ? EolPassed : EolNotTested);
            bench.ClearRequests();
            bench.Advance(4100);
            EXPECT_THAT(Sent(), IsEmpty());

            page.ExitClicked();
            EXPECT_FALSE(page.Running());
            EXPECT_EQ(EolTestIdle.load(), 1);
            EXPECT_EQ(tarvel::TestRunning.load(), 0u);
            EXPECT_EQ(*p.onResult, EolNotTested);
            EXPECT_EQ(*p.offResult, EolNotTested);
        }
        bench.ecu->ClearFaults();
    }
}

TEST_F(LampQuestionTest, ARefusedResendStopsItsTimerSilentlyAndTheAnswerStillCounts)
{
    ASSERT_TRUE(bench.Connect());
    for (const LampPageCase& p : LampPages()) {
        SCOPED_TRACE(p.name);
        EolLampQuestionLogic& page = Page(p);
        page.StartClicked();
        ASSERT_EQ(page.Lamp().open, LampQuestion::LampOn);
        bench.ecu->SetNegativeResponse(0x2F, 0x22, 1);
        bench.prompter.Clear();
        bench.ClearRequests();
        bench.Advance(2000);
        EXPECT_THAT(Sent(), ElementsAre(Lamp(p, true)));
        EXPECT_FALSE(page.ResendTimerRunning(LampQuestion::LampOn));
        EXPECT_THAT(PageBoxes(), IsEmpty());
        EXPECT_EQ(page.Lamp().open, LampQuestion::LampOn) << "the question stays open";
        bench.ClearRequests();
        bench.Advance(6000);
        EXPECT_THAT(Sent(), IsEmpty());

        page.Answer(LampQuestion::LampOn, true);
        EXPECT_EQ(*p.onResult, EolPassed);
        EXPECT_EQ(page.Lamp().open, LampQuestion::LampOff);
        EXPECT_TRUE(page.ResendTimerRunning(LampQuestion::LampOff));
        page.ExitClicked();
    }
}

TEST_F(LampQuestionTest, AfterTheLampOnNoARefusedUnlockSkipsTheMarkerOnlyOnTheWarningLamp)
{
    ASSERT_TRUE(bench.Connect());
    for (const LampPageCase& p : LampPages()) {
        SCOPED_TRACE(p.name);
        EolLampQuestionLogic& page = Page(p);
        page.StartClicked();
        bench.ecu->SetNegativeResponse(0x27, 0x35, 1);
        bench.ClearRequests();
        page.Answer(LampQuestion::LampOn, false);
        const auto sent = Sent();
        ASSERT_GE(sent.size(), 2u);
        EXPECT_EQ(sent[0], Bytes("10 03"));
        EXPECT_EQ(sent[1], Bytes("27 01"));
        EXPECT_EQ(CountOf(sent, Marker0()), p.markerWithoutUnlock ? 1u : 0u);
        // The lamp-off phase follows either way.
        EXPECT_EQ(sent.back(), Lamp(p, false));
        EXPECT_EQ(*p.onResult, EolFailed);
        EXPECT_EQ(page.Lamp().open, LampQuestion::LampOff);
        page.ExitClicked();
    }
}

TEST_F(LampQuestionTest, ExitOrALostLinkInAQuestionEndsTheTestAndKeepsTheRemarks)
{
    struct Case {
        const char* name;
        bool disconnect;
        bool resendRefused; // the re-send timer was already stopped
    };
    const Case cases[] = {
        {"Exit", false, false},
        {"disconnect", true, false},
        {"disconnect after a refused re-send", true, true},
    };
    tarvel::NavItem item{14, tarvel::TabEolLamp};
    for (const LampPageCase& p : LampPages()) {
        EolLampQuestionLogic& page = Page(p);
        item.page = p.tab;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(p.name) + " " + c.name);
            ASSERT_TRUE(bench.Connect());
            trailer.SetOutputDefect(p.output, sim::OutputDefect::StuckOff);
            page.StartClicked();
            page.Answer(LampQuestion::LampOn, person.Answer(p.lit)); // NO: remark set, marker written
            trailer.ClearDefects();
            ASSERT_EQ(page.Lamp().open, LampQuestion::LampOff);
            if (c.resendRefused) {
                bench.ecu->SetNegativeResponse(0x2F, 0x22, 1);
                bench.Advance(2000);
                ASSERT_FALSE(page.ResendTimerRunning(LampQuestion::LampOff));
            }
            bench.prompter.Clear();
            bench.ClearRequests();
            if (c.disconnect)
                bench.Disconnect();
            else
                page.ExitClicked();

            EXPECT_FALSE(page.Running());
            EXPECT_EQ(*p.onResult, EolNotTested);
            EXPECT_EQ(*p.offResult, EolNotTested);
            EXPECT_EQ(*p.onRemark, "Lamp did not light");
            EXPECT_EQ(*p.offRemark, "-");
            EXPECT_EQ(page.Common().pictures, (std::vector<EolPicture>{EolPicture::Idle, EolPicture::Idle}));
            EXPECT_EQ(page.Lamp().open, LampQuestion::None);
            EXPECT_EQ(EolTestIdle.load(), 1);
            EXPECT_EQ(tarvel::TestRunning.load(), 0u);
            EXPECT_TRUE(page.Common().startEnabled);
            EXPECT_THAT(PageBoxes(), IsEmpty());
            bench.Advance(6000);
            EXPECT_THAT(Sent(), Not(Contains(Lamp(p, false))));
            EXPECT_THAT(Sent(), Not(Contains(Bytes("10 03"))));
            EXPECT_EQ(trailer.EolMarker(), 0) << "the marker written stays in the ECU";

            if (c.disconnect) {
                ASSERT_TRUE(bench.Connect());
            }
            NavEnv env;
            EXPECT_EQ(tarvel::OnNavTreeClick(env, &item), tarvel::NavClickOutcome::Selected);
            bench.Disconnect();
            bench.ecu->ClearFaults();
        }
    }
}

TEST_F(LampQuestionTest, AnAnswerDuringAResendRunsAfterItsResponse)
{
    ASSERT_TRUE(bench.Connect());
    for (const LampPageCase& p : LampPages()) {
        SCOPED_TRACE(p.name);
        EolLampQuestionLogic& page = Page(p);
        page.StartClicked();
        ASSERT_EQ(page.Lamp().open, LampQuestion::LampOn);
        bench.ClearRequests();
        bench.prompter.Clear();
        // The ECU takes its time with the re-send, so the wait pumps.
        bench.ecu->SetResponsePending(0x2F, 1, 50, 1);
        size_t waitingInside = 0;
        bool fired = false;
        pump.Once([&] { return tarvel::UdsRequestInFlight(); },
                  [&] {
                      fired = true;
                      page.Answer(LampQuestion::LampOn, true);
                      waitingInside = page.WaitingEvents();
                  });
        bench.Advance(2000);
        ASSERT_TRUE(fired);
        EXPECT_EQ(waitingInside, 1u) << "the answer waited for the re-send's response";
        EXPECT_THAT(PageBoxes(), IsEmpty()) << "no refused 10 03";
        const auto sent = Sent();
        ASSERT_EQ(sent.size(), 5u);
        EXPECT_EQ(sent[0], Lamp(p, true));
        ExpectUnlockAt(sent, 1);
        EXPECT_EQ(sent[4], Lamp(p, false));
        EXPECT_EQ(*p.onResult, EolPassed);
        EXPECT_EQ(page.Lamp().open, LampQuestion::LampOff);
        EXPECT_EQ(page.WaitingEvents(), 0u);
        page.ExitClicked();
    }
}

TEST_F(LampQuestionTest, EventsWaitingForTheLinkRunInOrderAndStaleAnswersAreDropped)
{
    ASSERT_TRUE(bench.Connect());
    for (const LampPageCase& p : LampPages()) {
        SCOPED_TRACE(p.name);
        EolLampQuestionLogic& page = Page(p);

        // Start pressed while another request holds the link starts once the
        // link is free, without a false "session refused".
        bench.prompter.Clear();
        bool fired = false;
        pump.Once([&] { return tarvel::UdsRequestInFlight(); },
                  [&] {
                      fired = true;
                      page.StartClicked();
                  });
        bench.ecu->SetResponsePending(0x3E, 1, 50, 1);
        tarvel::UdsTesterPresent();
        ASSERT_TRUE(fired);
        EXPECT_EQ(page.WaitingEvents(), 1u);
        EXPECT_FALSE(page.Running());
        bench.Advance(EolLampQuestionLogic::kRetryMs);
        EXPECT_EQ(page.WaitingEvents(), 0u);
        EXPECT_EQ(page.Lamp().open, LampQuestion::LampOn);
        EXPECT_THAT(PageBoxes(), IsEmpty());

        // Exit then YES during a re-send: Exit runs after the response and
        // the YES finds no open question.
        bench.ClearRequests();
        fired = false;
        bench.ecu->SetResponsePending(0x2F, 1, 50, 1);
        pump.Once([&] { return tarvel::UdsRequestInFlight(); },
                  [&] {
                      fired = true;
                      page.ExitClicked();
                      page.Answer(LampQuestion::LampOn, true);
                  });
        bench.Advance(2000);
        ASSERT_TRUE(fired);
        EXPECT_FALSE(page.Running());
        EXPECT_EQ(*p.onResult, EolNotTested);
        EXPECT_THAT(Sent(), ElementsAre(Lamp(p, true)));
        EXPECT_EQ(page.WaitingEvents(), 0u);
    }
}

TEST_F(LampQuestionTest, ATickFallingDueWhileTheLastReSendWaitsIsSkipped)
{
    ASSERT_TRUE(bench.Connect());
    for (const LampPageCase& p : LampPages()) {
        SCOPED_TRACE(p.name);
        EolLampQuestionLogic& page = Page(p);
        page.StartClicked();
        ASSERT_EQ(page.Lamp().open, LampQuestion::LampOn);
        // The ECU asks three times for more time: the re-send takes about
        // 4 s, across the next tick.
        bench.ecu->SetResponsePending(0x2F, 3, 1000, 1);
        bench.ClearRequests();
        bench.Advance(2000);
        EXPECT_THAT(Sent(), ElementsAre(Lamp(p, true)));
        EXPECT_TRUE(page.ResendTimerRunning(LampQuestion::LampOn)) << "the slow answer was positive";
        bench.ClearRequests();
        bench.Advance(2000);
        EXPECT_THAT(Sent(), ElementsAre(Lamp(p, true))) << "re-sending goes on";
        page.ExitClicked();
    }
}

TEST_F(LampQuestionTest, AStopRequestSeenByATickEndsTheTest)
{
    ASSERT_TRUE(bench.Connect());
    for (const LampPageCase& p : LampPages()) {
        SCOPED_TRACE(p.name);
        EolLampQuestionLogic& page = Page(p);
        page.StartClicked();
        page.Answer(LampQuestion::LampOn, true);
        ASSERT_EQ(page.Lamp().open, LampQuestion::LampOff);
        EolStopRequested = 1; // a click in the navigation tree while the test runs
        bench.ClearRequests();
        bench.Advance(2000);
        EXPECT_THAT(Sent(), ElementsAre(Lamp(p, false))) << "the tick sends, then sees the request";
        EXPECT_FALSE(page.Running());
        EXPECT_EQ(*p.onResult, EolNotTested);
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(EolStopRequested.load(), 1) << "Exit leaves the request as it is";
    }
}

TEST_F(LampQuestionTest, ActivationRepaintsOnlyAnUntestedPageAndLanguageCaptionsThePairs)
{
    ASSERT_TRUE(bench.Connect());
    for (const LampPageCase& p : LampPages()) {
        SCOPED_TRACE(p.name);
        EolLampQuestionLogic& page = Page(p);
        page.OnLanguageChanged();
        EXPECT_EQ(page.Lamp().yesCaption, "YES");
        EXPECT_EQ(page.Lamp().noCaption, "NO");
        EXPECT_EQ(page.Lamp().lampOnCaption, UiText(47));
        EXPECT_EQ(page.Lamp().lampOffCaption, UiText(48));
        EXPECT_EQ(page.Common().startCaption, UiText(43));

        page.StartClicked();
        page.Answer(LampQuestion::LampOn, true);
        page.Answer(LampQuestion::LampOff, true);
        bench.ClearRequests();
        page.OnActivate(0);
        EXPECT_EQ(page.Common().pictures, (std::vector<EolPicture>{EolPicture::Passed, EolPicture::Passed}));
        ResetEolPageResults(p.tab == tarvel::TabEolLamp ? EolPage::WarningLamp : EolPage::BrakeLamp);
        page.OnActivate(0);
        EXPECT_EQ(page.Common().pictures, (std::vector<EolPicture>{EolPicture::Idle, EolPicture::Idle}));
        EXPECT_EQ(page.Common().question, "");
        EXPECT_THAT(bench.Requests(), IsEmpty());
    }
}

TEST_F(LampQuestionTest, StartWithoutTheEcuShowsOnlyTheWarning)
{
    for (const LampPageCase& p : LampPages()) {
        SCOPED_TRACE(p.name);
        EolLampQuestionLogic& page = Page(p);
        *p.onResult = EolFailed;
        *p.onRemark = "kept";
        bench.prompter.Clear();
        page.StartClicked();
        ASSERT_EQ(bench.prompter.Boxes().size(), 1u);
        EXPECT_EQ(bench.prompter.Boxes()[0].text, UiText(75));
        EXPECT_EQ(bench.prompter.Boxes()[0].caption, UiText(74));
        EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
        EXPECT_EQ(*p.onResult, EolFailed);
        EXPECT_EQ(*p.onRemark, "kept");
        EXPECT_FALSE(page.Running());
        EXPECT_THAT(bench.ecu->Requests(), IsEmpty());
    }
}

} // namespace
