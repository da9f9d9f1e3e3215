// The brake-lamp page's ways of leaving the lamp untested: Skip Test for this
// run, and the "Never Test" box kept in BrakeLampNeverTest and applied by the
// view's reset message.
#include "LampBench.h"

#include "SettingsFiles.h"
#include "UdsEngine.h"

#include <gmock/gmock.h>

namespace {

using eoltest::LampBenchTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;

using BrakeLampTest = LampBenchTest;

const std::vector<EolPicture> kIdlePictures{EolPicture::Idle, EolPicture::Idle};

TEST_F(BrakeLampTest, TickingNeverTestSkipsTheLampAndUntickingMakesItUntestedAgain)
{
    EolBrakeLampLogic& page = BrakeLamp();
    page.OnLanguageChanged();
    EXPECT_EQ(page.State().skipCaption, "Skip Test");
    EXPECT_EQ(page.State().neverTestCaption, "Never Test");
    BrakeLampNeverTest = 0;

    page.NeverTestClicked(true);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(486), UiText(74))));
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::None);
    EXPECT_EQ(EolBrakeLampOnResult, EolSkipped);
    EXPECT_EQ(EolBrakeLampOffResult, EolSkipped);
    EXPECT_EQ(BrakeLampNeverTest, 1);
    EXPECT_TRUE(page.State().neverTestTicked);
    EXPECT_FALSE(page.State().skipEnabled);
    EXPECT_TRUE(page.State().neverTestEnabled);
    EXPECT_TRUE(page.Common().startEnabled);
    EXPECT_EQ(page.Common().pictures, kIdlePictures);

    bench.prompter.Clear();
    page.NeverTestClicked(false);
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    EXPECT_EQ(EolBrakeLampOnResult, EolNotTested);
    EXPECT_EQ(EolBrakeLampOffResult, EolNotTested);
    EXPECT_EQ(BrakeLampNeverTest, 0);
    EXPECT_TRUE(page.State().skipEnabled);
    EXPECT_THAT(bench.ecu->Requests(), IsEmpty()) << "neither sends anything";
}

TEST_F(BrakeLampTest, TheResetMessageAppliesOnlyAStoredOne)
{
    struct Case {
        int stored;
        int32_t onBefore, offBefore;
        bool ticked;
        int storedAfter;
        int32_t onAfter, offAfter;
    };
    const Case cases[] = {
        {1, EolNotTested, EolNotTested, true, 1, EolSkipped, EolSkipped}, // a page never opened
        {1, EolPassed, EolFailed, true, 1, EolSkipped, EolSkipped},
        {0, EolPassed, EolFailed, false, 0, EolPassed, EolFailed},         // nothing changes
        {-1, EolPassed, EolNotTested, false, 0, EolPassed, EolNotTested}, // no LastConfig.xml entry
        {7, EolNotTested, EolNotTested, false, 0, EolNotTested, EolNotTested},
    };
    EolBrakeLampLogic& page = BrakeLamp();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        BrakeLampNeverTest = c.stored;
        EolBrakeLampOnResult = c.onBefore;
        EolBrakeLampOffResult = c.offBefore;
        bench.prompter.Clear();
        page.ApplyBrakeLampNeverTest();
        EXPECT_EQ(page.State().neverTestTicked, c.ticked);
        EXPECT_EQ(page.State().skipEnabled, !c.ticked);
        EXPECT_EQ(BrakeLampNeverTest, c.storedAfter);
        EXPECT_EQ(EolBrakeLampOnResult, c.onAfter);
        EXPECT_EQ(EolBrakeLampOffResult, c.offAfter);
        EXPECT_THAT(bench.prompter.Boxes(), IsEmpty()) << "the reset shows no box";
    }
}

TEST_F(BrakeLampTest, StartWithNeverTestTickedUnticksItAndTests)
{
    ASSERT_TRUE(bench.Connect());
    EolBrakeLampLogic& page = BrakeLamp();
    BrakeLampNeverTest = 1;
    page.ApplyBrakeLampNeverTest();
    ASSERT_EQ(EolBrakeLampOnResult, EolSkipped);

    page.StartClicked();
    EXPECT_FALSE(page.State().neverTestTicked);
    EXPECT_EQ(BrakeLampNeverTest, 0);
    EXPECT_EQ(page.Lamp().open, LampQuestion::LampOn);
    EXPECT_EQ(EolBrakeLampOnResult, EolNotTested);
    EXPECT_EQ(EolBrakeLampOffResult, EolNotTested);
    // Running: Skip available, the box locked.
    EXPECT_TRUE(page.State().skipEnabled);
    EXPECT_FALSE(page.State().neverTestEnabled);
    page.Answer(LampQuestion::LampOn, person.Answer(sim::OperatorQuestion::BrakeLampLit));
    page.Answer(LampQuestion::LampOff, person.Answer(sim::OperatorQuestion::BrakeLampDark));
    EXPECT_EQ(EolBrakeLampOnResult, EolPassed);
    EXPECT_EQ(EolBrakeLampOffResult, EolPassed);
    EXPECT_TRUE(page.State().neverTestEnabled);
}

TEST_F(BrakeLampTest, SkipDuringARunOrAStallRecordsTwoAndStopsTheLamp)
{
    ASSERT_TRUE(bench.Connect());
    EolBrakeLampLogic& page = BrakeLamp();
    for (bool stalled : {false, true}) {
        SCOPED_TRACE(stalled ? "stalled" : "lamp-off question");
        bench.ecu->ClearFaults();
        page.StartClicked();
        if (stalled)
            bench.ecu->SetNegativeResponse(0x2F, 0x22);
        page.Answer(LampQuestion::LampOn, false);
        ASSERT_EQ(EolBrakeLampOnRemark, "Lamp did not light");
        ASSERT_EQ(page.Lamp().open, stalled ? LampQuestion::None : LampQuestion::LampOff);
        ASSERT_TRUE(page.Running());
        EXPECT_TRUE(page.State().skipEnabled);
        bench.prompter.Clear();
        bench.ClearRequests();

        page.SkipClicked();
        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(486), UiText(74))));
        EXPECT_EQ(EolBrakeLampOnResult, EolSkipped);
        EXPECT_EQ(EolBrakeLampOffResult, EolSkipped);
        EXPECT_EQ(EolBrakeLampOnRemark, "Lamp did not light") << "remarks are left as they are";
        EXPECT_EQ(page.Common().pictures, kIdlePictures);
        EXPECT_FALSE(page.Running());
        EXPECT_EQ(page.Lamp().open, LampQuestion::None);
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_TRUE(page.State().skipEnabled) << "the box is not ticked";
        bench.Advance(4100);
        EXPECT_THAT(Sent(), IsEmpty()) << "Skip sends nothing and no timer is left";
    }
    bench.ecu->ClearFaults();
}

TEST_F(BrakeLampTest, ExitWhenIdleOnlyResetsTheFlags)
{
    ASSERT_TRUE(bench.Connect());
    EolBrakeLampLogic& page = BrakeLamp();
    // A refused session returns the page to idle with Skip available.
    bench.ecu->SetNegativeResponse(0x10, 0x22);
    page.StartClicked();
    EXPECT_FALSE(page.Running());
    EXPECT_TRUE(page.State().skipEnabled);
    EXPECT_TRUE(page.State().neverTestEnabled);
    bench.ecu->ClearFaults();

    EolBrakeLampOnResult = EolPassed;
    EolBrakeLampOffResult = EolPassed;
    bench.ClearRequests();
    page.NeverTestClicked(false); // an untick on an idle page runs Exit Test
    EXPECT_EQ(EolBrakeLampOnResult, EolNotTested);
    EXPECT_EQ(EolBrakeLampOffResult, EolNotTested);
    EXPECT_THAT(Sent(), IsEmpty());
}

} // namespace
