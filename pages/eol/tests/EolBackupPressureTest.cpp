// The backup-pressure test on the trailer bench: the evaluation's rules and
// pairs, the hold renewed while the operator builds the pressure, the hand
// back, and runs that are stopped, refused or find the circuit not released.
#include "PressureBench.h"

#include "ConnectionLife.h"
#include "ReportTextTable.h"
#include "UdsEngine.h"

#include <gmock/gmock.h>

namespace {

using eoltest::PressureBenchTest;
using sim::trailerdata::TrailerForm;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using tarvel_test::Bytes;

using BackupPressureTest = PressureBenchTest;

const std::vector<uint8_t> kHold = {0x2F, 0x00, 0x06, 0x03, 0xFF, 0xFF, 0xFF};
const std::vector<uint8_t> kHandBack = {0x2F, 0x00, 0x06, 0x00};
const std::vector<uint8_t> kMarker = {0x2E, 0x00, 0x94, 0x00};

TEST(BackupPressureJudge, RulesThenPairsDecideTheFirstFailure)
{
    struct Case {
        std::vector<float> channels;
        bool passed;
        int remarkRow, textRow;
    };
    const Case three[] = {
        {{5.0f, 4.9f, 5.5f}, true, 0, 0},
        {{5.0f, 5.0f, 4.2f}, false, 64, 216},
        {{5.0f, 4.3f, 5.0f}, true, 0, 0}, // 0.7 apart still passes
        {{5.0f, 5.8f, 5.0f}, false, 63, 215},
        {{5.0f, 5.4f, 4.6f}, false, 65, 217},
        {{0.19f, 0.0f, 0.1f}, false, 61, 213},
        {{0.2f, 0.0f, 0.0f}, false, 62, 214},
        {{4.99f, 4.9f, 4.95f}, false, 62, 214},
        {{0.0f, 0.0f, 0.0f}, false, 61, 213},
        {{12.5f, 12.4f, 12.3f}, true, 0, 0}, // shown "-", judged as read
    };
    for (const Case& c : three) {
        const BackupPressureVerdict v = EolBackupPressureLogic::EvaluateBackupChannels(c.channels.data(), false);
        EXPECT_EQ(v.passed, c.passed) << c.channels[0] << " " << c.channels[1] << " " << c.channels[2];
        EXPECT_EQ(v.remarkRow, c.remarkRow) << c.channels[0] << " " << c.channels[1] << " " << c.channels[2];
        EXPECT_EQ(v.textRow, c.textRow);
    }
    const Case five[] = {
        {{5.0f, 5.0f, 5.0f, 5.0f, 5.0f}, true, 0, 0},
        {{5.0f, 5.0f, 5.0f, 5.8f, 5.0f}, false, 69, 478},
        {{5.0f, 5.0f, 5.0f, 5.0f, 4.2f}, false, 70, 479},
        {{5.0f, 5.0f, 5.0f, 5.6f, 4.6f}, false, 71, 480},
        {{5.0f, 5.6f, 4.6f, 5.0f, 5.0f}, false, 68, 217},
        {{5.0f, 5.0f, 4.2f, 5.0f, 5.0f}, false, 67, 216},
        {{5.0f, 5.6f, 5.0f, 4.4f, 5.0f}, true, 0, 0}, // channels 2 and 4 are never compared
        {{0.1f, 0.1f, 0.1f, 0.1f, 0.3f}, false, 62, 214},
        {{0.1f, 0.1f, 0.1f, 0.1f, 0.1f}, false, 61, 213},
    };
    for (const Case& c : five) {
        const BackupPressureVerdict v = EolBackupPressureLogic::EvaluateBackupChannels(c.channels.data(), true);
        EXPECT_EQ(v.passed, c.passed) << c.remarkRow;
        EXPECT_EQ(v.remarkRow, c.remarkRow);
        EXPECT_EQ(v.textRow, c.textRow);
    }
    // The pre-check: nothing above 0.25 bar.
    const float released[5] = {0.25f, 0.0f, 0.25f, 0.0f, 0.0f};
    const float residual[5] = {0.0f, 0.26f, 0.0f, 0.0f, 0.0f};
    const float ebsdResidual[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.26f};
    EXPECT_TRUE(EolBackupPressureLogic::BackupPressureReleased(released, false));
    EXPECT_FALSE(EolBackupPressureLogic::BackupPressureReleased(residual, false));
    EXPECT_TRUE(EolBackupPressureLogic::BackupPressureReleased(ebsdResidual, false));
    EXPECT_FALSE(EolBackupPressureLogic::BackupPressureReleased(ebsdResidual, true));
}

TEST_F(BackupPressureTest, TheHoldIsRenewedWhileTheOperatorBuildsThePressureThenHandedBack)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    size_t holdsBeforeBox = 0, holdsInBox = 0;
    boxes.On(UiText(208), [&] {
        holdsBeforeBox = Count(Sent(), kHold);
        Pump(6100); // the box stays open a while
        holdsInBox = Count(Sent(), kHold) - holdsBeforeBox;
        op.BuildControlPressure();
    });

    Backup().Start();
    Pump(5000); // no renewal after the run

    const auto sent = Sent();
    std::vector<std::vector<uint8_t>> withoutRenewals;
    for (const auto& r : sent)
        if (r != kHold)
            withoutRenewals.push_back(r);
    EXPECT_THAT(withoutRenewals, ElementsAre(Bytes("22 F1 90"), Bytes("10 03"), Bytes("27 01"), ::testing::_,
                                             Bytes("22 00 51"), Bytes("22 00 52"), Bytes("22 00 51"),
                                             Bytes("22 00 52"), kHandBack));
    EXPECT_EQ(holdsBeforeBox, 1u) << "the hold before the first reading";
    EXPECT_EQ(holdsInBox, 3u) << "every 2000 ms while the box is open";
    EXPECT_EQ(sent.back(), kHandBack) << "nothing renews the hold after the hand back";
    EXPECT_EQ(EolBackupPressureResult, EolPassed);
    EXPECT_EQ(BackupPressurePassed, 1);
    EXPECT_EQ(EolBackupPressureRemark, "-");
    EXPECT_NEAR(BackupPressureValues[0], 6.0, 0.1);
    EXPECT_NEAR(BackupPressureValues[1], 6.0, 0.1);
    EXPECT_NEAR(BackupPressureValues[2], 6.0, 0.1);
    EXPECT_EQ(Backup().State().labels[1], BackupPressureTexts[1]);
    EXPECT_EQ(BackupPressureTexts[1].substr(0, 2), "5.");
    EXPECT_EQ(Backup().Common().pictures, std::vector<EolPicture>{EolPicture::Passed});
    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({208, 209})));
    EXPECT_EQ(PageBoxes()[0].icon, tarvel::MsgIcon::Exclamation);
    EXPECT_EQ(PageBoxes()[1].caption, UiText(74));
    EXPECT_EQ(tarvel::TestRunning.load(), 0u) << "the valves are the ECU's again";
    EXPECT_FALSE(trailer.BackupValvesHeld());
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(Count(sent, kMarker), 0u);

    // A rerun whose brake pressures cannot be read judges nothing of the last run.
    op.ReleaseControlPressure();
    Pump(3000);
    trailer.SetPressureReadRefused(0x0052);
    boxes.On(UiText(208), [&] { op.BuildControlPressure(); });
    bench.prompter.Clear();
    bench.ClearRequests();
    Backup().Start();
    EXPECT_EQ(EolBackupPressureResult, EolFailed);
    EXPECT_NE(BackupPressurePassed, 1);
    EXPECT_EQ(BackupPressureValues[1], 0.0f);
    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({207, 208, 207, 215, 210})));
    EXPECT_EQ(EolBackupPressureRemark, PdfText(63));
    EXPECT_EQ(Count(Sent(), kMarker), 1u);
    EXPECT_EQ(Backup().Common().pictures, std::vector<EolPicture>{EolPicture::Failed});
}

TEST_F(BackupPressureTest, FaultsOfTheCircuitFailWithTheirRemark)
{
    struct Case {
        const char* name;
        TrailerForm form;
        std::function<void(sim::SimTrailer&)> fault;
        int remarkRow, textRow;
    };
    const Case cases[] = {
        {"no pressure at all", TrailerForm::k4S2M, [](sim::SimTrailer&) {}, 61, 213},
        {"right valve passes nothing", TrailerForm::k4S2M,
         [](sim::SimTrailer& t) { t.SetPressureDefect(sim::trailerdata::kMainRight, sim::PressureDefect::NoBackup); }, 64, 216},
        {"left 0.8 bar off", TrailerForm::k2S2M,
         [](sim::SimTrailer& t) { t.SetPressureBias(sim::trailerdata::kMainLeft, -0.8); }, 63, 215},
        {"EBS-D right passes nothing", TrailerForm::k4S3M,
         [](sim::SimTrailer& t) { t.SetPressureDefect(sim::trailerdata::kEbsdRight, sim::PressureDefect::NoBackup); }, 70, 479},
    };
    ASSERT_TRUE(bench.Connect());
    DerivedSystemVariant = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        trailer.ClearDefects();
        op.ReleaseControlPressure();
        UseForm(c.form);
        Pump(3000);
        c.fault(trailer);
        const bool builds = std::string(c.name) != "no pressure at all";
        boxes.On(UiText(208), [&] {
            if (builds)
                op.BuildControlPressure();
        });
        bench.prompter.Clear();
        bench.ClearRequests();

        Backup().Start();

        EXPECT_EQ(EolBackupPressureResult, EolFailed);
        EXPECT_EQ(EolBackupPressureRemark, PdfText(c.remarkRow));
        EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({208, c.textRow, 210})));
        EXPECT_EQ(Count(Sent(), kMarker), 1u);
        EXPECT_EQ(Sent().back(), kHandBack);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    }
}

// The operator takes a while over the failure box: the hold is renewed
// meanwhile, so the session stays open and the valves are handed back, before
// the verdict box, with an answer that is not refused.
TEST_F(BackupPressureTest, TheHoldIsRenewedWhileTheFailureBoxIsOpenThenHandedBack)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    trailer.SetPressureDefect(sim::trailerdata::kMainRight, sim::PressureDefect::NoBackup);
    boxes.On(UiText(208), [&] { op.BuildControlPressure(); });
    size_t holdsBefore = 0, holdsInBox = 0;
    boxes.On(UiText(216), [&] {
        holdsBefore = Count(Sent(), kHold);
        Pump(7000); // the box stays open 7 s, then OK
        holdsInBox = Count(Sent(), kHold) - holdsBefore;
    });
    std::vector<std::vector<uint8_t>> sentAtVerdict;
    boxes.On(UiText(210), [&] { sentAtVerdict = Sent(); });
    const uint64_t s3Before = bench.ecu->Stats().s3Timeouts;

    Backup().Start();

    EXPECT_EQ(EolBackupPressureResult, EolFailed);
    EXPECT_EQ(EolBackupPressureRemark, PdfText(64));
    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({208, 216, 210})));
    EXPECT_EQ(bench.prompter.Count(), 3u) << "no negative-response box";
    EXPECT_GE(holdsInBox, 3u) << "every 2000 ms while the failure box is open";
    EXPECT_EQ(bench.ecu->Stats().s3Timeouts, s3Before) << "the session never lapsed";
    ASSERT_FALSE(sentAtVerdict.empty());
    EXPECT_EQ(sentAtVerdict.back(), kHandBack) << "handed back before the verdict box";
    EXPECT_FALSE(trailer.BackupValvesHeld()) << "the ECU took the hand back";
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_EQ(EolTestIdle.load(), 1);
    const size_t handBacks = Count(Sent(), kHandBack);
    Pump(5000);
    EXPECT_EQ(Count(Sent(), kHold), holdsBefore + holdsInBox) << "no renewal after the hand back";
    EXPECT_EQ(Count(Sent(), kHandBack), handBacks);
}

TEST_F(BackupPressureTest, FourS3MVariantZeroPutsTheFirstModulatorIntoTheEbsdChannels)
{
    UseForm(TrailerForm::k4S3M);
    trailer.SetPressureBias(sim::trailerdata::kMainLeft, 0.3); // 0x0052 left reads 6.3
    ASSERT_TRUE(bench.Connect());
    boxes.On(UiText(208), [&] { op.BuildControlPressure(); });
    for (int32_t variant : {0, 1}) {
        SCOPED_TRACE(variant);
        DerivedSystemVariant = variant;
        Backup().Start();
        EXPECT_EQ(Count(Sent(), Bytes("22 00 53")), 2u);
        const int left52 = variant == 0 ? 3 : 1; // channel 4 or channel 2
        const int left53 = variant == 0 ? 1 : 3;
        EXPECT_NEAR(BackupPressureValues[left52], 6.3, 0.1);
        EXPECT_NEAR(BackupPressureValues[left53], 6.0, 0.1);
        EXPECT_EQ(Backup().State().labels[static_cast<size_t>(left52)], BackupPressureTexts[left52]);
        EXPECT_EQ(EolBackupPressureResult, EolPassed);
        bench.ClearRequests();
        op.ReleaseControlPressure();
        Pump(3000);
    }
}

TEST_F(BackupPressureTest, ExitWhileTheOperatorIsAskedHandsBackAndJudgesNothing)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    boxes.On(UiText(208), [&] {
        Backup().Exit();
        op.BuildControlPressure();
    });

    Backup().Start();
    Pump(5000);

    const auto sent = Sent();
    EXPECT_EQ(Count(sent, kHandBack), 1u);
    EXPECT_EQ(sent.back(), kHandBack) << "no reading, renewal or verdict after Exit";
    EXPECT_EQ(EolBackupPressureResult, EolNotTested);
    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({208})));
    EXPECT_EQ(Count(sent, kMarker), 0u);
    EXPECT_EQ(Backup().State().labels[0], "0.00");
    EXPECT_EQ(Backup().Common().pictures, std::vector<EolPicture>{EolPicture::Idle});
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_EQ(EolTestIdle.load(), 1);
}

TEST_F(BackupPressureTest, ActivationAndLanguageCaptionTheFramesAndClearUntestedLabels)
{
    ASSERT_TRUE(bench.Connect());
    EolBackupPressureLogic& page = Backup();
    EXPECT_EQ(page.State().labels[0], "0.00");
    SystemForm = "4S3M";
    page.OnActivate(0);
    EXPECT_TRUE(page.State().ebsdShown);
    EXPECT_EQ(page.State().labels[0], "");
    EXPECT_EQ(page.State().labels[3], "");
    EXPECT_EQ(page.State().frameCaptions[3], UiText(482));
    EXPECT_EQ(page.State().frameCaptions[4], UiText(483));
    SystemForm = "2S2M";
    page.OnActivate(0);
    EXPECT_FALSE(page.State().ebsdShown);
    page.OnLanguageChanged();
    EXPECT_EQ(page.State().frameCaptions[0], UiText(62));
    EXPECT_EQ(page.State().frameCaptions[1], UiText(58));
    EXPECT_EQ(page.State().frameCaptions[2], UiText(59));
    EXPECT_EQ(page.Common().resultCaption, UiText(45));
    EXPECT_TRUE(bench.Requests().empty() || bench.Requests().front()[0] == 0x3E) << "activation sends nothing";
}

TEST_F(BackupPressureTest, ACircuitNotReleasedStopsTheTestBeforeTheOperatorIsAsked)
{
    UseForm(TrailerForm::k4S2M);
    trailer.SetResidualPressure(sim::trailerdata::kMainLeft, 0.3);
    ASSERT_TRUE(bench.Connect());
    Pump(3000);

    Backup().Start();

    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({212})));
    EXPECT_EQ(EolBackupPressureResult, EolNotTested);
    EXPECT_EQ(Sent().back(), kHandBack);
    EXPECT_EQ(Count(Sent(), kMarker), 0u);
    EXPECT_FALSE(Backup().Running());
}

TEST_F(BackupPressureTest, ARefusedRenewalIsReportedOnceAndNotTriedAgain)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    size_t holdsAfterRefusal = 0;
    boxes.On(UiText(208), [&] {
        trailer.SetIoControlRefused(0x0006);
        const size_t before = Count(Sent(), kHold);
        Pump(7000);
        holdsAfterRefusal = Count(Sent(), kHold) - before;
        trailer.SetIoControlRefused(0x0006, false);
        op.BuildControlPressure();
    });
    // The operator takes a while to close the refusal's box.
    boxes.On(UiText(211), [&] { Pump(4500); });

    Backup().Start();

    EXPECT_EQ(holdsAfterRefusal, 1u);
    const auto texts = BoxTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), UiText(211)), 1);
    EXPECT_EQ(EolBackupPressureResult, EolPassed) << "the verdict is the readings'";
}

// The ECU or the adapter falls silent during a run that starts once the
// keep-alive has run (a time-out then shows its box unless the call is
// quiet): the first request left unanswered ends the run with the not-read
// box and no other, nothing is judged, and the valves are handed back.
TEST_F(BackupPressureTest, ALinkThatFallsSilentEndsTheRunAtTheFirstUnansweredRequest)
{
    struct Case {
        int silence;
        bool whileTheOperatorBuilds; // else as soon as the valves are held
        std::vector<int> boxRows;
    };
    const Case cases[] = {{0, false, {207}}, {1, true, {208, 207}}};
    UseForm(TrailerForm::k4S2M);
    for (const Case& c : cases) {
        SCOPED_TRACE(SilenceName(c.silence));
        ASSERT_TRUE(bench.Connect());
        Pump(tarvel::kKeepAlivePeriodMs + 500);
        ASSERT_EQ(tarvel::UdsQuiet.load(), 0u) << "the keep-alive has run";
        bench.ClearRequests();
        bench.prompter.Clear();
        size_t sentAtSilence = 0;
        const auto silence = [&] {
            BeginSilence(c.silence);
            sentAtSilence = Sent().size();
        };
        boxes.On(UiText(208), [&] {
            op.BuildControlPressure();
            if (c.whileTheOperatorBuilds)
                silence();
        });
        if (!c.whileTheOperatorBuilds)
            pump.Once([&] { return Count(Sent(), kHold) == 1 && !tarvel::UdsRequestInFlight(); }, silence);

        Backup().Start();

        std::vector<std::string> expected;
        for (int row : c.boxRows)
            expected.push_back(UiText(row));
        EXPECT_THAT(BoxTexts(), ElementsAreArray(expected));
        const auto sent = Sent();
        ASSERT_GT(sentAtSilence, 0u);
        ASSERT_EQ(sent.size(), sentAtSilence + 2) << "one request unanswered, then the hand back";
        EXPECT_EQ(sent.back(), kHandBack);
        EXPECT_EQ(Count(sent, kMarker), 0u);
        EXPECT_EQ(EolBackupPressureResult, EolNotTested);
        EXPECT_EQ(Backup().Common().pictures, std::vector<EolPicture>{EolPicture::Idle});
        EXPECT_FALSE(Backup().Running());
        EXPECT_TRUE(Backup().Common().startEnabled);
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);

        EndSilence();
        op.ReleaseControlPressure();
        bench.Disconnect();
        bench.Advance(3000);
    }
}

// The not-read box stays open for as long as the operator takes to read it:
// the renewal of the hold has stopped before it opens, so nothing more goes
// to the silent link meanwhile and no second box follows it.
TEST_F(BackupPressureTest, NothingIsRenewedWhileTheNotReadBoxIsOpen)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    Pump(tarvel::kKeepAlivePeriodMs + 500);
    bench.ClearRequests();
    bench.prompter.Clear();
    boxes.On(UiText(208), [&] { op.BuildControlPressure(); });
    // Silent once the first renewal is answered: the run's own read of the
    // built pressure is the first request left unanswered, while the
    // renewal still ticks.
    pump.Once([&] { return Count(Sent(), kHold) == 2 && !tarvel::UdsRequestInFlight(); },
              [&] { BeginSilence(0); });
    bool opened = false;
    size_t sentWhenOpened = 0;
    size_t sentWhenClosed = 0;
    boxes.On(UiText(207), [&] {
        if (opened)
            return; // a second one, opened under the first
        opened = true;
        sentWhenOpened = Sent().size();
        Pump(3 * EolBackupPressureLogic::kRenewMs);
        sentWhenClosed = Sent().size();
    });

    Backup().Start();

    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({208, 207})));
    ASSERT_GT(sentWhenOpened, 0u);
    EXPECT_EQ(sentWhenClosed, sentWhenOpened) << "the hold was renewed under the box";
    EXPECT_EQ(Sent().back(), kHandBack);
    EXPECT_FALSE(Backup().Running());
    op.ReleaseControlPressure();
}

} // namespace
