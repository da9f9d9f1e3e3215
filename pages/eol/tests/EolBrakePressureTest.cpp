// The brake-pressure test on the trailer bench: the requests of each phase,
// the judging of each item, the "4S3M" sequence with its two identifiers,
// and a stopped run that leaves no brake applied and judges nothing.
#include "PressureBench.h"

#include "ConnectionLife.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"

#include <gmock/gmock.h>

#include <optional>

namespace {

using eoltest::PressureBenchTest;
using sim::trailerdata::PressureChannel;
using sim::trailerdata::TrailerForm;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using tarvel_test::Bytes;

using BrakePressureTest = PressureBenchTest;

std::vector<uint8_t> Command(uint8_t channel, bool apply)
{
    return {0x2F, 0x00, 0x05, 0x03, channel, uint8_t(apply ? 0x64 : 0x00), 0xFF};
}
const std::vector<uint8_t> kReturnControl = {0x2F, 0x00, 0x05, 0x00};
const std::vector<uint8_t> kRead52 = {0x22, 0x00, 0x52};
const std::vector<uint8_t> kRead53 = {0x22, 0x00, 0x53};
const std::vector<uint8_t> kMarker = {0x2E, 0x00, 0x94, 0x00};

int32_t* const kFlags[6] = {&EolPressure1Result, &EolPressure2Result, &EolPressure3Result,
                            &EolPressure4Result, &EolPressure5Result, &EolPressure6Result};
std::vector<int32_t> Flags()
{
    std::vector<int32_t> out;
    for (int32_t* flag : kFlags)
        out.push_back(*flag);
    return out;
}

TEST(BrakePressureJudge, WithinSevenTenthsOfTheTargetPasses)
{
    struct Case {
        std::optional<float> value;
        float target;
        bool passes;
    };
    const Case cases[] = {
        {5.0f, 5.0f, true},   {5.7f, 5.0f, true},  {4.3f, 5.0f, true},   {5.8f, 5.0f, false},
        {4.2f, 5.0f, false},  {12.5f, 5.0f, false}, {0.0f, 0.0f, true},  {0.7f, 0.0f, true},
        {0.8f, 0.0f, false},  {std::nullopt, 5.0f, false}, {std::nullopt, 0.0f, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EolBrakePressureLogic::PressureWithinTolerance(c.value, c.target), c.passes)
            << (c.value ? std::to_string(*c.value) : "none") << " against " << c.target;
}

TEST_F(BrakePressureTest, TwoChannelRunReadsAndCommandsEachPhaseAndPasses)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    EolBrakePressureLogic& page = Brake();
    page.OnActivate(0);
    const uint64_t before = bench.clock.NowUs();

    page.Start();

    const auto sent = Sent();
    std::vector<std::vector<uint8_t>> expected;
    const struct {
        uint8_t channel;
        bool apply;
    } phases[] = {{0x10, true}, {0x10, false}, {0x01, true}, {0x01, false}};
    for (const auto& phase : phases) {
        for (int tick = 0; tick < 6; ++tick) {
            expected.push_back(kRead52);
            expected.push_back(Command(phase.channel, phase.apply));
        }
        expected.push_back(kReturnControl);
    }
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(sent[0], Bytes("22 F1 90"));
    EXPECT_EQ(sent[1], Bytes("10 03"));
    EXPECT_EQ(sent[2], Bytes("27 01"));
    EXPECT_EQ(sent[3][0], 0x27);
    EXPECT_THAT(std::vector<std::vector<uint8_t>>(sent.begin() + 4, sent.end()), ElementsAreArray(expected));
    // Four phases judged 3600 ms after each began.
    const uint64_t elapsedMs = (bench.clock.NowUs() - before) / 1000;
    EXPECT_GE(elapsedMs, 4u * 3600u);
    EXPECT_LT(elapsedMs, 4u * 3600u + 500u);

    EXPECT_THAT(Flags(), ElementsAre(1, 1, 1, 1, -1, -1));
    EXPECT_THAT(std::vector<uint8_t>(PressureStepPassed, PressureStepPassed + 4), ElementsAre(1, 1, 1, 1));
    EXPECT_NEAR(LeftBrakePressure, 5.0, 0.05);
    EXPECT_NEAR(RightBrakePressure, 5.0, 0.05);
    EXPECT_LT(LeftReleasePressure, 0.2f);
    EXPECT_LT(RightReleasePressure, 0.2f);
    EXPECT_EQ(page.State().labels[kLeftBrakeSlot], "5.00");
    EXPECT_EQ(page.Common().pictures, std::vector<EolPicture>{EolPicture::Passed});
    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({198, 184})));
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::None);
    EXPECT_EQ(bench.prompter.Boxes()[0].caption, UiText(74));
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_TRUE(page.Common().startEnabled);
    EXPECT_FALSE(page.Common().exitEnabled);
    EXPECT_EQ(trailer.EolMarker(), 0) << "a pass writes no marker";
}

TEST_F(BrakePressureTest, AFailedItemEndsTheSequenceWithItsTextOneMarkerAndTheFailBox)
{
    struct Case {
        const char* name;
        std::function<void(sim::SimTrailer&)> fault;
        int failedItem; // 0..3
    };
    const Case cases[] = {
        {"left never builds", [](sim::SimTrailer& t) { t.SetPressureDefect(sim::trailerdata::kMainLeft, sim::PressureDefect::NeverBuilds); }, 0},
        {"left does not release", [](sim::SimTrailer& t) { t.SetPressureDefect(sim::trailerdata::kMainLeft, sim::PressureDefect::NeverReleases); }, 1},
        {"right builds 0.8 too much", [](sim::SimTrailer& t) { t.SetPressureBias(sim::trailerdata::kMainRight, 0.8); }, 2},
        {"right keeps 0.8 bar", [](sim::SimTrailer& t) { t.SetResidualPressure(sim::trailerdata::kMainRight, 0.8); }, 3},
        {"right keeps 0.6 bar", [](sim::SimTrailer& t) { t.SetResidualPressure(sim::trailerdata::kMainRight, 0.6); }, -1},
    };
    UseForm(TrailerForm::k2S2M);
    ASSERT_TRUE(bench.Connect());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        trailer.ClearDefects();
        Pump(3000); // everything released
        c.fault(trailer);
        bench.ClearRequests();
        bench.prompter.Clear();

        Brake().Start();

        std::vector<int32_t> flags = {-1, -1, -1, -1, -1, -1};
        for (int item = 0; item < 4; ++item)
            if (c.failedItem < 0 || item <= c.failedItem)
                flags[static_cast<size_t>(item)] = (item == c.failedItem) ? 0 : 1;
        EXPECT_EQ(Flags(), flags);
        const auto sent = Sent();
        if (c.failedItem < 0) {
            EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({198, 184})));
            EXPECT_EQ(Count(sent, kMarker), 0u);
            continue;
        }
        // Items 2 and 3 carry the texts of the left release and the right brake pressure.
        EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({198, 203 + c.failedItem, 189})));
        EXPECT_EQ(Count(sent, kMarker), 1u);
        std::string* const remarks[4] = {&EolPressureRemark1, &EolPressureRemark2, &EolPressureRemark3,
                                         &EolPressureRemark4};
        EXPECT_EQ(*remarks[c.failedItem], PdfText(53));
        EXPECT_EQ(Count(sent, kReturnControl), static_cast<size_t>(c.failedItem + 1)) << "no later phase ran";
        EXPECT_EQ(Brake().Common().pictures, std::vector<EolPicture>{EolPicture::Failed});
        EXPECT_EQ(EolTestIdle.load(), 1);
    }
}

// Nothing read is nothing judged: the item is reported as not read (UI text
// 207), not as out of tolerance, and the ECU gets no failure marker.
TEST_F(BrakePressureTest, WithoutTheMonitorRecordNothingIsReadAndNothingIsJudged)
{
    UseForm(TrailerForm::k4S2M);
    DropMonitorRecord("0052");
    LeftBrakePressure = 5.0f; // an earlier run's value is not judged again
    ASSERT_TRUE(bench.Connect());

    Brake().Start();

    const auto sent = Sent();
    EXPECT_EQ(Count(sent, kRead52), 0u);
    EXPECT_EQ(Count(sent, Command(0x10, true)), 6u);
    EXPECT_EQ(Count(sent, Command(0x10, false)), 0u);
    EXPECT_EQ(Count(sent, kMarker), 0u);
    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({198, 207})));
    EXPECT_THAT(Flags(), ElementsAre(-1, -1, -1, -1, -1, -1));
    EXPECT_EQ(LeftBrakePressure, 0.0f);
    EXPECT_EQ(Brake().Common().pictures, std::vector<EolPicture>{EolPicture::Idle});
    EXPECT_EQ(EolTestIdle.load(), 1);
}

TEST_F(BrakePressureTest, RefusedReadsLeaveTheItemNotReadAndRefusedCommandsShowTheirTexts)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    trailer.SetPressureReadRefused(0x0052);

    Brake().Start();

    // Every tick's reading is refused: six boxes, then the item is reported
    // as not read, with no verdict and no failure marker.
    std::vector<std::string> expected = UiTexts({198});
    for (int tick = 0; tick < 6; ++tick)
        expected.push_back(UiText(207));
    expected.push_back(UiText(207));
    EXPECT_THAT(BoxTexts(), ElementsAreArray(expected));
    EXPECT_THAT(Flags(), ElementsAre(-1, -1, -1, -1, -1, -1));
    EXPECT_EQ(Count(Sent(), kMarker), 0u);

    // The ECU refuses the channel's IO control: the commands' text, the
    // readings decide.
    trailer.SetPressureReadRefused(0x0052, false);
    trailer.SetIoControlRefused(0x0005);
    bench.prompter.Clear();
    Brake().Start();
    const auto boxes = BoxTexts();
    ASSERT_GE(boxes.size(), 8u);
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), UiText(199)), 6);
    EXPECT_EQ(boxes[boxes.size() - 2], UiText(203));
    EXPECT_EQ(boxes.back(), UiText(189));
    EXPECT_EQ(PageBoxes()[1].text, UiText(199));
    EXPECT_EQ(PageBoxes()[1].caption, UiText(76));
    EXPECT_EQ(PageBoxes()[1].icon, tarvel::MsgIcon::None);
}

// The pressures of 0x0052 as the ECU sends them: left and right, each 16 bits
// in mbar, least significant byte first.
std::vector<uint8_t> PressureRecord(double left, double right)
{
    const auto mbar = [](double bar) { return static_cast<uint16_t>(bar * 1000.0 + 0.5); };
    const uint16_t l = mbar(left), r = mbar(right);
    return {uint8_t(l & 0xFF), uint8_t(l >> 8), uint8_t(r & 0xFF), uint8_t(r >> 8)};
}

// Every reading appears on its label; only the value a phase is judged on
// follows the phase's rule (the highest applied, the lowest released).
TEST_F(BrakePressureTest, EveryReadingAppearsOnItsLabel)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    // Six readings a phase, left and right, none equal to the one before.
    const std::vector<std::pair<double, double>> readings = {
        // phase 1, left applied
        {1.00, 0.10}, {4.00, 0.30}, {5.30, 0.20}, {4.80, 0.00}, {5.10, 0.40}, {4.90, 0.05},
        // phase 2, left released
        {4.60, 0.25}, {1.20, 0.15}, {0.00, 0.35}, {0.40, 0.10}, {0.10, 0.20}, {0.30, 0.00},
        // phase 3, right applied
        {0.05, 2.00}, {0.15, 5.50}, {0.00, 4.70}, {0.20, 5.20}, {0.10, 4.95}, {0.25, 5.05},
        // phase 4, right released
        {0.35, 3.00}, {0.45, 0.60}, {0.30, 0.00}, {0.20, 0.20}, {0.40, 0.10}, {0.50, 0.15},
    };
    size_t next = 0;
    bench.ecu->RegisterDynamicDid(0x0052, [&](const sim::SimEcuContext&) {
        const auto& r = readings[std::min(next++, readings.size() - 1)];
        return PressureRecord(r.first, r.second);
    });
    const auto text = [](double bar) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%.2f", bar);
        return std::string(buffer);
    };
    // Each label's texts as shown, one entry per change.
    EolBrakePressureLogic& page = Brake();
    std::array<std::vector<std::string>, kBrakePressureSlots> shown;
    page.SetChangedObserver([&] {
        for (size_t slot = 0; slot < shown.size(); ++slot)
            if (shown[slot].empty() || shown[slot].back() != page.State().labels[slot])
                shown[slot].push_back(page.State().labels[slot]);
    });

    page.Start();
    page.SetChangedObserver({});

    ASSERT_EQ(next, readings.size());
    // The labels the readings go to: left to 1514 until item 1 has passed,
    // then 1515; right to 1516 until item 3 has passed, then 1517.
    std::array<std::vector<std::string>, kBrakePressureSlots> expected;
    for (int slot : {kLeftBrakeSlot, kLeftReleaseSlot, kRightBrakeSlot, kRightReleaseSlot})
        expected[static_cast<size_t>(slot)].push_back("0.00"); // as the page was created
    for (size_t i = 0; i < readings.size(); ++i) {
        const size_t phase = i / 6;
        expected[phase == 0 ? kLeftBrakeSlot : kLeftReleaseSlot].push_back(text(readings[i].first));
        expected[phase < 3 ? kRightBrakeSlot : kRightReleaseSlot].push_back(text(readings[i].second));
    }
    for (int slot : {kLeftBrakeSlot, kLeftReleaseSlot, kRightBrakeSlot, kRightReleaseSlot})
        EXPECT_EQ(shown[static_cast<size_t>(slot)], expected[static_cast<size_t>(slot)]) << "label " << slot;
    // Judged: 5.30, 0.00, 5.50, 0.00.
    EXPECT_THAT(Flags(), ElementsAre(1, 1, 1, 1, -1, -1));
    EXPECT_NEAR(LeftBrakePressure, 5.30, 0.001);
    EXPECT_NEAR(RightBrakePressure, 5.50, 0.001);
    EXPECT_NEAR(RightReleasePressure, 0.00, 0.001);
    EXPECT_EQ(page.State().labels[kLeftBrakeSlot], "4.90") << "the last reading, not the value judged";
}

// The ECU or the adapter falls silent in phase 3: the run ends with the
// not-read box at the first request left unanswered, well within the time the
// keep-alive would take to notice, with no verdict and no failure marker. The
// run starts once the keep-alive has run, as a test at the station does: a
// time-out then shows its box unless the call is quiet, and the channel
// handed back after the not-read box adds none.
TEST_F(BrakePressureTest, ALinkThatFallsSilentInPhaseThreeEndsTheRunNotRead)
{
    UseForm(TrailerForm::k4S2M);
    for (int silence = 0; silence < kSilences; ++silence) {
        SCOPED_TRACE(SilenceName(silence));
        ASSERT_TRUE(bench.Connect());
        Pump(tarvel::kKeepAlivePeriodMs + 500);
        ASSERT_EQ(tarvel::UdsQuiet.load(), 0u) << "the keep-alive has run";
        bench.ClearRequests();
        bench.prompter.Clear();
        const auto now = [&] { return bench.clock.NowUs() / 1000; };
        std::optional<uint64_t> silentAt, firstUnansweredAt, endedAt;
        size_t requestsAtSilence = 0;
        struct Watch : tarvel::MessagePump {
            std::function<void()> each;
            Watch() { tarvel::SetPump(this); }
            ~Watch() override { tarvel::SetPump(nullptr); }
            void PumpPending() override { each(); }
        } watch;
        watch.each = [&] {
            if (!silentAt && Count(bench.Requests(), Command(0x01, true)) == 1 && !tarvel::UdsRequestInFlight()) {
                BeginSilence(silence);
                silentAt = now();
                requestsAtSilence = bench.ecu->Requests().size();
            }
            if (silentAt && !firstUnansweredAt && bench.ecu->Requests().size() > requestsAtSilence)
                firstUnansweredAt = now();
        };
        EolBrakePressureLogic& page = Brake();
        page.SetChangedObserver([&] {
            if (silentAt && !endedAt && !page.Running())
                endedAt = now();
        });

        page.Start();
        page.SetChangedObserver({});

        ASSERT_TRUE(silentAt && firstUnansweredAt && endedAt);
        EXPECT_LT(*endedAt - *firstUnansweredAt, uint64_t{tarvel::kKeepAlivePeriodMs});
        EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({198, 207})));
        EXPECT_THAT(Flags(), ElementsAre(1, 1, -1, -1, -1, -1));
        const auto sent = Sent();
        EXPECT_EQ(Count(sent, kMarker), 0u);
        EXPECT_EQ(Count(sent, Command(0x01, false)), 0u) << "phase 4 never began";
        EXPECT_EQ(sent.back(), kReturnControl) << "the channel held is handed back";
        EXPECT_EQ(page.Common().pictures, std::vector<EolPicture>{EolPicture::Idle});
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_TRUE(page.Common().startEnabled);

        EndSilence();
        bench.Disconnect();
        bench.Advance(3000);
    }
}

TEST_F(BrakePressureTest, ARefusedSessionOrUnlockLeavesThePageIdle)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    for (uint8_t sid : {uint8_t(0x10), uint8_t(0x27)}) {
        SCOPED_TRACE(int(sid));
        bench.ecu->SetNegativeResponse(sid, 0x22, 1);
        bench.prompter.Clear();
        bench.ClearRequests();
        Brake().Start();
        EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({198, sid == 0x10 ? 185 : 186})));
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_FALSE(Brake().Running());
        EXPECT_EQ(Count(Sent(), Command(0x10, true)), 0u);
        EXPECT_THAT(Flags(), ElementsAre(-1, -1, -1, -1, -1, -1));
        bench.ecu->ClearFaults();
    }
}

TEST_F(BrakePressureTest, FourS3MReadsBothIdentifiersAndTheVariantDecidesWhichIsMain)
{
    UseForm(TrailerForm::k4S3M);
    // The EBS-D modulator builds 0.3 bar more, so the two identifiers differ.
    trailer.SetPressureBias(sim::trailerdata::kEbsdLeft, 0.3);
    trailer.SetPressureBias(sim::trailerdata::kEbsdRight, 0.3);
    ASSERT_TRUE(bench.Connect());
    for (int32_t variant : {0, 1, -1}) {
        SCOPED_TRACE(variant);
        DerivedSystemVariant = variant;
        Pump(3000);
        bench.ClearRequests();
        bench.prompter.Clear();

        Brake().Start();

        const auto sent = Sent();
        std::vector<std::vector<uint8_t>> expected;
        for (bool apply : {true, false}) {
            for (int tick = 0; tick < 6; ++tick) {
                expected.push_back(Command(0x90, apply));
                if (tick == 2) {
                    // 1500 ms into the phase, after the third command.
                    expected.push_back(kRead52);
                    expected.push_back(kRead53);
                }
            }
            expected.push_back(kReturnControl);
        }
        ASSERT_GE(sent.size(), 4u);
        EXPECT_THAT(std::vector<std::vector<uint8_t>>(sent.begin() + 4, sent.end()), ElementsAreArray(expected));
        // 0x0053 (the higher one) is main for variant 0 only.
        const double main = variant == 0 ? 5.3 : 5.0;
        const double ebsd = variant == 0 ? 5.0 : 5.3;
        EXPECT_NEAR(LeftBrakePressure, main, 0.2);
        EXPECT_NEAR(RightBrakePressure, main, 0.2);
        EXPECT_NEAR(EbsdLeftBrakePressure, ebsd, 0.2);
        EXPECT_NEAR(EbsdRightBrakePressure, ebsd, 0.2);
        EXPECT_LT(LeftReleasePressure, 0.7f);
        EXPECT_LT(EbsdRightReleasePressure, 0.7f);
        EXPECT_GT(std::fabs(LeftBrakePressure - EbsdLeftBrakePressure), 0.15f);
        char shown[16];
        std::snprintf(shown, sizeof shown, "%.2f", EbsdLeftBrakePressure);
        EXPECT_EQ(Brake().State().labels[kEbsdLeftBrakeSlot], shown);
        std::snprintf(shown, sizeof shown, "%.2f", LeftBrakePressure);
        EXPECT_EQ(Brake().State().labels[kLeftBrakeSlot], shown);
        EXPECT_THAT(Flags(), ElementsAre(1, 1, 1, 1, 1, 1));
        EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({198, 184})));
    }
}

TEST_F(BrakePressureTest, FourS3MAnEbsdAppliedValueOutFailsFlagFiveWithTheFixedRemark)
{
    UseForm(TrailerForm::k4S3M);
    trailer.SetPressureDefect(sim::trailerdata::kEbsdRight, sim::PressureDefect::NeverBuilds);
    DerivedSystemVariant = 1;
    ASSERT_TRUE(bench.Connect());

    Brake().Start();

    EXPECT_THAT(Flags(), ElementsAre(-1, -1, -1, -1, 0, -1));
    EXPECT_EQ(EolPressureRemark5, EolBrakePressureLogic::kEbsdRemark);
    EXPECT_EQ(EolPressureRemark6, "-");
    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({198, 476, 189})));
    EXPECT_EQ(Count(Sent(), kMarker), 1u);
    EXPECT_EQ(Brake().Common().pictures, std::vector<EolPicture>{EolPicture::Failed});
}

TEST_F(BrakePressureTest, ExitInAnApplyPhaseReleasesAtOnceAndJudgesNothing)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    EolBrakePressureLogic& page = Brake();
    size_t exitAt = 0;
    pump.Once([&] { return trailer.Pressure(sim::trailerdata::kMainLeft) > 3.0; },
              [&] {
                  exitAt = bench.ecu->Requests().size();
                  page.Exit();
              });

    page.Start();
    Pump(5000); // ticks would have come by now

    ASSERT_TRUE(pump.Fired());
    const auto all = bench.ecu->Requests();
    std::vector<std::vector<uint8_t>> after;
    for (size_t i = exitAt; i < all.size(); ++i)
        if (all[i][0] != 0x3E)
            after.push_back(all[i]);
    EXPECT_THAT(after, ElementsAre(kReturnControl));
    EXPECT_LT(trailer.Pressure(sim::trailerdata::kMainLeft), 0.1) << "the brake was released";
    EXPECT_THAT(Flags(), ElementsAre(-1, -1, -1, -1, -1, -1));
    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({198})));
    EXPECT_EQ(page.Common().pictures, std::vector<EolPicture>{EolPicture::Idle});
    EXPECT_EQ(Count(Sent(), kMarker), 0u);
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_EQ(EolStopRequested.load(), 1);
}

TEST_F(BrakePressureTest, AStopRequestedBetweenPhasesEndsTheRunWithoutVerdict)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    EolBrakePressureLogic& page = Brake();
    // The navigation asks the running step to stop while phase 2 holds the channel.
    pump.Once([&] { return Count(bench.Requests(), Command(0x10, false)) == 2; }, [] { EolStopRequested = 1; });

    page.Start();
    Pump(3000);

    const auto sent = Sent();
    EXPECT_EQ(Count(sent, Command(0x10, false)), 2u) << "no command after the stop";
    EXPECT_EQ(sent.back(), kReturnControl);
    EXPECT_EQ(Count(sent, kMarker), 0u);
    EXPECT_EQ(EolPressure2Result, -1);
    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({198})));
    EXPECT_NE(page.Common().pictures[0], EolPicture::Failed);
    EXPECT_FALSE(page.Running());
}

TEST_F(BrakePressureTest, APhaseStillOpenWhenItsWaitEndsIsClosedBeforeItIsJudged)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    // Slow answers: ticks fall due while a reading waits and are skipped, so
    // no phase reaches its sixth tick within its 3600 ms.
    bench.ecu->SetResponsePending(0x22, 1, 700);

    Brake().Start();

    const auto sent = Sent();
    // Every phase ends with control handed back before the next one's first
    // command, and no command of a phase follows that.
    std::vector<std::vector<uint8_t>> commandsAndReturns;
    for (const auto& r : sent)
        if (r.size() >= 4 && r[0] == 0x2F)
            commandsAndReturns.push_back(r);
    const struct {
        uint8_t channel;
        bool apply;
    } phases[] = {{0x10, true}, {0x10, false}, {0x01, true}, {0x01, false}};
    size_t at = 0;
    for (const auto& phase : phases) {
        size_t commands = 0;
        while (at < commandsAndReturns.size() && commandsAndReturns[at] == Command(phase.channel, phase.apply)) {
            ++commands;
            ++at;
        }
        EXPECT_GE(commands, 1u);
        EXPECT_LT(commands, 6u);
        ASSERT_LT(at, commandsAndReturns.size());
        EXPECT_EQ(commandsAndReturns[at], kReturnControl);
        ++at;
    }
    EXPECT_EQ(at, commandsAndReturns.size());
    EXPECT_THAT(Flags(), ElementsAre(1, 1, 1, 1, -1, -1));
}

TEST_F(BrakePressureTest, ADisconnectDuringAPhaseEndsTheRunWithoutVerdict)
{
    UseForm(TrailerForm::k4S2M);
    ASSERT_TRUE(bench.Connect());
    pump.Once([&] { return Count(bench.Requests(), Command(0x01, true)) == 1; }, [&] { bench.Disconnect(); });

    Brake().Start();
    Pump(3000);

    EXPECT_THAT(Flags(), ElementsAre(1, 1, -1, -1, -1, -1));
    EXPECT_THAT(BoxTexts(), ElementsAreArray(UiTexts({198})));
    EXPECT_EQ(Count(Sent(), kMarker), 0u);
    EXPECT_FALSE(Brake().Running());
    EXPECT_EQ(EolTestIdle.load(), 1);
    EXPECT_TRUE(Brake().Common().startEnabled);
}

TEST_F(BrakePressureTest, ActivationShowsTheEbsdPartForFourS3MAndClearsUntestedLabels)
{
    ASSERT_TRUE(bench.Connect());
    EolBrakePressureLogic& page = Brake();
    EXPECT_EQ(page.State().labels[kLeftBrakeSlot], "0.00");
    SystemForm = "4S2M";
    page.OnActivate(0);
    EXPECT_FALSE(page.State().ebsdShown);
    EXPECT_EQ(page.State().labels[kLeftBrakeSlot], "");
    SystemForm = "4S3M";
    page.OnActivate(0);
    EXPECT_TRUE(page.State().ebsdShown);
    EXPECT_EQ(page.State().frameCaptions[kEbsdLeftBrakeSlot], UiText(482));
    EXPECT_EQ(page.State().frameCaptions[kEbsdRightBrakeSlot], UiText(483));
    EXPECT_EQ(page.State().frameCaptions[kEbsdLeftReleaseSlot], UiText(484));
    EXPECT_EQ(page.State().frameCaptions[kEbsdRightReleaseSlot], UiText(485));
    page.OnLanguageChanged();
    EXPECT_EQ(page.State().frameCaptions[kLeftReleaseSlot], UiText(60));
    EXPECT_EQ(page.Common().exitCaption, UiText(46));
}

// The user closes the program while a pressure page holds its output: from
// then on every wait ends early, and the run ends at the first check after
// the close, quietly: no box (nobody is left to answer it, and the close
// would wait for its OK), the output handed back, nothing judged.
TEST_F(BrakePressureTest, ClosingTheProgramEndsEitherPressureRunQuietly)
{
    struct ClosingPump : tarvel::MessagePump {
        std::function<bool()> closeWhen;
        bool closing = false;
        ClosingPump() { tarvel::SetPump(this); }
        ~ClosingPump() override { tarvel::SetPump(nullptr); }
        void PumpPending() override { closing = closing || closeWhen(); }
        bool QuitRequested() const override { return closing; }
    };
    const std::vector<uint8_t> kBackupHold = {0x2F, 0x00, 0x06, 0x03, 0xFF, 0xFF, 0xFF};
    struct Case {
        const char* name;
        bool backup;
        std::vector<uint8_t> held, handBack;
    };
    const Case cases[] = {
        {"brake pressure", false, Command(0x10, true), kReturnControl},
        {"backup pressure", true, kBackupHold, {0x2F, 0x00, 0x06, 0x00}},
    };
    UseForm(TrailerForm::k4S2M);
    boxes.On(UiText(208), [&] { op.BuildControlPressure(); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(bench.Connect());
        bench.ClearRequests();
        bench.prompter.Clear();
        size_t boxesAtClose = 0;
        size_t sentAtClose = 0;
        ClosingPump closing;
        closing.closeWhen = [&] {
            if (Count(Sent(), c.held) < 2 || tarvel::UdsRequestInFlight())
                return false;
            boxesAtClose = PageBoxes().size();
            sentAtClose = Sent().size();
            return true;
        };
        EolPageLogic& page = c.backup ? static_cast<EolPageLogic&>(Backup()) : static_cast<EolPageLogic&>(Brake());

        page.Start();

        ASSERT_TRUE(closing.closing) << "the run ended before the close";
        EXPECT_EQ(PageBoxes().size(), boxesAtClose) << BoxTexts().back();
        const auto sent = Sent();
        ASSERT_GT(sent.size(), sentAtClose);
        EXPECT_EQ(sent.back(), c.handBack);
        EXPECT_EQ(Count(sent, kMarker), 0u);
        EXPECT_FALSE(page.Running());
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        for (int32_t flag : {EolPressure3Result, EolPressure4Result, EolBackupPressureResult})
            EXPECT_EQ(flag, EolNotTested);

        op.ReleaseControlPressure();
        bench.Disconnect();
        bench.Advance(3000);
    }
}

} // namespace
