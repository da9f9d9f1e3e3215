// The height-sensor calibration against the simulated trailer on the virtual
// clock: which axles are read and calibrated, the exact requests of a
// calibration, the verdicts and their remarks, Skip Test, the countdown after
// the restart, and sequences cut short by a failed read, Exit or a lost link.
#include "EolBench.h"
#include "EolHeightSensorLogic.h"

#include "DiagnosisGlobals.h"
#include "ShellGlobals.h"
#include "EcuRestart.h"
#include "UdsEngine.h"

#include "SimTrailerData.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::Bytes;
using Requests = std::vector<std::vector<uint8_t>>;

class HeightTest : public eoltest::EolBenchTest {
protected:
    void SetUp() override
    {
        EolBenchTest::SetUp();
        HeightSensorCalibrationEnabled = 1;
        Axles(true, true);
        Page().OnLanguageChanged();
    }

    EolHeightSensorLogic& Page()
    {
        return *dynamic_cast<EolHeightSensorLogic*>(bench.pages.Logic(tarvel::TabEolHeightSensor));
    }
    void Axles(bool cd, bool ef)
    {
        HeightSensorAxle1Present = cd ? 1 : 0;
        HeightSensorAxle2Present = ef ? 1 : 0;
    }
    Requests Sent() const
    {
        Requests out;
        for (const auto& request : bench.Requests())
            if (request.empty() || request[0] != 0x3E)
                out.push_back(request);
        return out;
    }
    size_t TesterPresents() const
    {
        const Requests all = bench.Requests();
        return static_cast<size_t>(
            std::count_if(all.begin(), all.end(), [](const auto& r) { return !r.empty() && r[0] == 0x3E; }));
    }
    // The page's boxes (captions 74 and 76), not the services' own.
    std::vector<std::string> PageBoxes() const
    {
        std::vector<std::string> out;
        for (const auto& box : bench.prompter.Boxes())
            if (box.caption == UiText(74) || box.caption == UiText(76))
                out.push_back(box.text);
        return out;
    }
    static std::vector<uint8_t> Calibration(HeightAxle axle)
    {
        return axle == HeightAxle::Cd ? Bytes("22 00 B3") : Bytes("22 00 B4");
    }
    // The requests of a calibration that passes, in order.
    static void ExpectCalibration(const Requests& sent, HeightAxle axle)
    {
        ASSERT_EQ(sent.size(), 8u);
        EXPECT_EQ(sent[0], Bytes("10 03"));
        EXPECT_EQ(sent[1], Bytes("27 01"));
        EXPECT_TRUE(sent[2].size() == 6 && sent[2][0] == 0x27 && sent[2][1] == 0x02);
        EXPECT_EQ(sent[3], axle == HeightAxle::Cd ? Bytes("31 01 C0 07 01 01 00") : Bytes("31 01 C0 07 02 01 00"));
        EXPECT_EQ(sent[4], Bytes("31 03 C0 07"));
        EXPECT_EQ(sent[5], Calibration(axle));
        EXPECT_EQ(sent[6], Bytes("11 01"));
        EXPECT_EQ(sent[7], Calibration(axle));
    }
    void Calibrate(HeightAxle axle)
    {
        if (axle == HeightAxle::Cd)
            Page().CalibrateCdAxleHeight();
        else
            Page().CalibrateEfAxleHeight();
    }
    // Start, then one live tick of every present axle.
    void StartAndRead()
    {
        Page().Start();
        bench.Advance(1000);
    }
    // Lets the countdown after a restart run out.
    void WaitOutCountdown()
    {
        for (int i = 0; i < 15 && (HeightResetCountdown > 0 || Page().CountdownShown()); ++i)
            bench.Advance(1000);
    }
};

TEST_F(HeightTest, EachPresentAxleIsReadAndCalibratedAndBothNeedTheCountdownBetween)
{
    struct Case {
        const char* name;
        bool cd, ef;
    };
    const Case cases[] = {{"CD only", true, false}, {"EF only", false, true}, {"both", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(bench.Connect());
        WaitOutCountdown();
        EolHeightSensorLogic& page = Page();
        Axles(c.cd, c.ef);
        page.OnActivate(0x2021);
        EXPECT_EQ(page.State().cdShown, c.cd);
        EXPECT_EQ(page.State().efShown, c.ef);

        bench.ClearRequests();
        bench.prompter.Clear();
        page.Start();
        EXPECT_THAT(Sent(), ElementsAre(Bytes("22 F1 90")));
        EXPECT_EQ(page.LiveReading(HeightAxle::Cd), c.cd);
        EXPECT_EQ(page.LiveReading(HeightAxle::Ef), c.ef);
        EXPECT_EQ(page.State().cdEnabled, c.cd);
        EXPECT_EQ(page.State().efEnabled, c.ef);
        EXPECT_FALSE(page.State().skipEnabled);
        EXPECT_EQ(EolTestIdle.load(), 0);

        bench.ClearRequests();
        bench.Advance(1000);
        Requests live;
        if (c.cd)
            live.insert(live.end(), {Bytes("22 00 18"), Bytes("22 00 B3")});
        if (c.ef)
            live.insert(live.end(), {Bytes("22 00 19"), Bytes("22 00 B4")});
        EXPECT_EQ(Sent(), live);
        if (c.cd) {
            EXPECT_EQ(page.State().cdCurrent, "702.00");
            EXPECT_EQ(page.State().cdCalibration, std::to_string(trailer.HeightStored(1)) + ".00");
        }
        if (c.ef) {
            EXPECT_EQ(page.State().efCurrent, "688.00");
            EXPECT_EQ(page.State().efCalibration, std::to_string(trailer.HeightStored(2)) + ".00");
        }

        const HeightAxle first = c.cd ? HeightAxle::Cd : HeightAxle::Ef;
        const int firstPicture = static_cast<int>(first);
        bench.ClearRequests();
        Calibrate(first);
        ExpectCalibration(Sent(), first);
        ASSERT_THAT(PageBoxes(), ElementsAre(UiText(283)));
        EXPECT_EQ(bench.prompter.Boxes().back().caption, UiText(76));
        EXPECT_EQ(page.Common().pictures[static_cast<size_t>(firstPicture)], EolPicture::Passed);
        EXPECT_EQ(EolHeightSensorRemark, "");
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);

        if (!(c.cd && c.ef)) {
            EXPECT_EQ(EolHeightSensorResult, EolPassed);
            EXPECT_EQ(c.cd ? EolHeightCdAxleResult : EolHeightEfAxleResult, EolPassed);
            EXPECT_EQ(page.Common().pictures[static_cast<size_t>(1 - firstPicture)], EolPicture::Idle);
            EXPECT_FALSE(page.Running());
            EXPECT_EQ(EolTestIdle.load(), 1);
            bench.Disconnect();
            continue;
        }

        // Both: the second axle after the restart's countdown.
        EXPECT_EQ(EolHeightSensorResult, EolNotTested);
        EXPECT_EQ(EolHeightCdAxleResult, EolPassed);
        EXPECT_TRUE(page.Running());
        EXPECT_TRUE(page.CountdownShown());
        bench.ClearRequests();
        std::vector<std::string> messages;
        for (int i = 0; i < 15 && page.CountdownShown(); ++i) {
            bench.Advance(1000);
            messages.push_back(page.State().message);
            EXPECT_FALSE(page.State().cdEnabled && page.CountdownShown());
        }
        ASSERT_FALSE(page.CountdownShown());
        ASSERT_GE(messages.size(), 2u);
        const std::string prefix = UiText(277) + "\r\n " + UiText(571);
        for (size_t i = 0; i + 1 < messages.size(); ++i) {
            ASSERT_EQ(messages[i].rfind(prefix, 0), 0u) << messages[i];
            if (i > 0) {
                EXPECT_EQ(std::stoi(messages[i].substr(prefix.size())) + 1,
                          std::stoi(messages[i - 1].substr(prefix.size())));
            }
        }
        EXPECT_EQ(messages.back(), UiText(277));
        EXPECT_THAT(Sent(), IsEmpty()) << "no readings during the countdown";
        EXPECT_TRUE(page.State().cdEnabled);
        EXPECT_TRUE(page.State().efEnabled);
        EXPECT_TRUE(page.LiveReading(HeightAxle::Cd));
        EXPECT_TRUE(page.LiveReading(HeightAxle::Ef));

        bench.Advance(1000);
        bench.ClearRequests();
        bench.prompter.Clear();
        Calibrate(HeightAxle::Ef);
        ExpectCalibration(Sent(), HeightAxle::Ef);
        EXPECT_THAT(PageBoxes(), ElementsAre(UiText(283)));
        EXPECT_EQ(EolHeightSensorResult, EolPassed);
        EXPECT_EQ(page.Common().pictures, (std::vector<EolPicture>{EolPicture::Passed, EolPicture::Passed}));
        EXPECT_FALSE(page.Running());
        bench.Disconnect();
    }
}

TEST_F(HeightTest, FailedCalibrationsGiveTheirRemarksAndBoxes)
{
    struct Case {
        const char* name;
        HeightAxle axle;
        std::function<void(sim::SimTrailer&, tarvel_test::PageBench&)> fault;
        int remark; // report text; 0: the result stays -1
        int box;
    };
    auto refuse = [](uint8_t sid, unsigned skip) {
        return [sid, skip](sim::SimTrailer&, tarvel_test::PageBench& b) { b.ecu->SetNegativeResponse(sid, 0x22, 1, skip); };
    };
    auto status0 = [](unsigned axle, uint16_t stored) {
        return [axle, stored](sim::SimTrailer& t, tarvel_test::PageBench& b) {
            t.SetHeightStored(axle, stored);
            b.Advance(1000); // the live reading learns the stored value
            t.SetHeightRoutineStatus(0);
        };
    };
    auto changed = [](unsigned axle) {
        return [axle](sim::SimTrailer& t, tarvel_test::PageBench&) {
            t.SetHeightCurrent(axle, 650);
            t.SetHeightStoredAfterRestart(axle, 0);
        };
    };
    const Case cases[] = {
        {"routine start refused", HeightAxle::Cd, refuse(0x31, 0), 99, 280},
        {"results refused", HeightAxle::Ef, refuse(0x31, 1), 98, 282},
        {"CD status 0, stored 700", HeightAxle::Cd, status0(1, 700), 107, 281},
        {"CD status 0, stored 900", HeightAxle::Cd, status0(1, 900), 108, 281},
        {"EF status 0, stored 700", HeightAxle::Ef, status0(2, 700), 106, 281},
        {"EF status 0, stored 900", HeightAxle::Ef, status0(2, 900), 105, 281},
        {"CD 650.00 then 0.00", HeightAxle::Cd, changed(1), 97, 284},
        {"EF 650.00 then 0.00", HeightAxle::Ef, changed(2), 109, 284},
        {"10 03 refused", HeightAxle::Cd, refuse(0x10, 0), 0, 185},
        {"SecurityAccess refused", HeightAxle::Ef, refuse(0x27, 0), 0, 186},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(bench.Connect());
        EolHeightSensorLogic& page = Page();
        StartAndRead();
        c.fault(trailer, bench);
        bench.prompter.Clear();
        Calibrate(c.axle);

        EXPECT_THAT(PageBoxes(), ElementsAre(UiText(c.box)));
        EXPECT_EQ(bench.prompter.Boxes().back().caption, UiText(76));
        EXPECT_EQ(bench.prompter.Boxes().back().icon, tarvel::MsgIcon::None);
        EXPECT_EQ(EolHeightSensorResult, c.remark ? EolFailed : EolNotTested);
        EXPECT_EQ(EolHeightSensorRemark, c.remark ? PdfText(c.remark) : "");
        const size_t failed = static_cast<size_t>(c.axle);
        EXPECT_EQ(page.Common().pictures[failed], EolPicture::Failed);
        EXPECT_EQ(page.Common().pictures[1 - failed], EolPicture::Idle);
        EXPECT_FALSE(page.Running());
        EXPECT_FALSE(page.LiveReading(HeightAxle::Cd));
        EXPECT_FALSE(page.LiveReading(HeightAxle::Ef));
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(page.State().cdCurrent, EolHeightSensorLogic::kNoValue);
        EXPECT_TRUE(page.State().skipEnabled);

        trailer.SetHeightRoutineStatus(std::nullopt);
        bench.ecu->ClearFaults();
        bench.Disconnect();
        EXPECT_EQ(EolHeightSensorResult, EolNotTested) << "a lost link resets the page as Exit does";
        EXPECT_EQ(EolHeightSensorRemark, "");
        trailer.SetHeightStored(1, sim::trailerdata::kHeightStoredCd);
        trailer.SetHeightStored(2, sim::trailerdata::kHeightStoredEf);
        trailer.SetHeightCurrent(1, sim::trailerdata::kHeightCurrentCd);
        trailer.SetHeightCurrent(2, sim::trailerdata::kHeightCurrentEf);
        bench.Advance(15000); // the countdown of a restart runs out
    }
}

TEST_F(HeightTest, AReadThatFailsEndsItsSequenceWithOneBoxAndDecidesNothing)
{
    ASSERT_TRUE(bench.Connect());
    EolHeightSensorLogic& page = Page();

    // The read after the restart fails while the texts from an earlier run
    // are equal: no pass.
    StartAndRead();
    HeightCdCalibrationTextAfterReset = "702.00";
    bench.ecu->SetNegativeResponse(0x22, 0x22, 1, /*skip the read before the restart*/ 1);
    bench.prompter.Clear();
    Calibrate(HeightAxle::Cd);
    EXPECT_THAT(PageBoxes(), ElementsAre(UiText(82)));
    EXPECT_EQ(bench.prompter.Boxes().back().icon, tarvel::MsgIcon::Exclamation);
    EXPECT_EQ(EolHeightCdAxleResult, EolNotTested);
    EXPECT_EQ(EolHeightSensorResult, EolNotTested);
    EXPECT_EQ(page.Common().pictures, (std::vector<EolPicture>{EolPicture::Idle, EolPicture::Idle}));
    EXPECT_FALSE(page.Running());
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_EQ(page.State().cdCurrent, EolHeightSensorLogic::kNoValue);
    bench.ecu->ClearFaults();
    WaitOutCountdown();

    // Live readings that fail: one box, however long the page waits.
    page.Start();
    bench.ecu->SetNoAnswer(0x22);
    bench.prompter.Clear();
    bench.Advance(6000);
    EXPECT_THAT(PageBoxes(), ElementsAre(UiText(82)));
    EXPECT_FALSE(page.Running());
    EXPECT_FALSE(page.LiveReading(HeightAxle::Cd));
    EXPECT_FALSE(page.LiveReading(HeightAxle::Ef));
    EXPECT_EQ(page.State().cdCurrent, EolHeightSensorLogic::kNoValue);

    // Skip Test with a read that fails accepts nothing.
    bench.prompter.Clear();
    page.AcceptCurrentHeightCalibration();
    EXPECT_THAT(PageBoxes(), ElementsAre(UiText(82)));
    EXPECT_EQ(EolHeightSensorResult, EolNotTested);
    bench.ecu->ClearFaults();

    // A read of one data byte is as short as a failed one.
    bench.ecu->RegisterDid(0x00B3, {0x02});
    bench.prompter.Clear();
    page.AcceptCurrentHeightCalibration();
    EXPECT_THAT(PageBoxes(), ElementsAre(UiText(82)));
    EXPECT_EQ(EolHeightSensorResult, EolNotTested);
}

// The page keeps its second after the restart, and an ECU that takes longer
// to start is asked until it answers: a good trailer passes.
TEST_F(HeightTest, ASlowRestartIsAwaitedAndBothAxlesPass)
{
    for (const uint32_t restartMs : {600u, 2000u, 4000u}) {
        SCOPED_TRACE(restartMs);
        ASSERT_TRUE(bench.Connect());
        WaitOutCountdown();
        trailer.SetRestartSilence(restartMs);
        EolHeightSensorLogic& page = Page();
        page.OnActivate(0x2021);
        StartAndRead();
        bench.prompter.Clear();
        for (const HeightAxle axle : {HeightAxle::Cd, HeightAxle::Ef}) {
            bench.ClearRequests();
            const uint64_t start = bench.clock.NowMs();
            Calibrate(axle);
            ExpectCalibration(Sent(), axle);
            EXPECT_GE(bench.clock.NowMs() - start, restartMs) << "the read waited for the restarted ECU";
            // Asked from the page's second on until the ECU answered.
            const size_t asked = restartMs > 1000 ? (restartMs - 1000) / tarvel::kEcuRestartProbeMs - 1 : 1;
            EXPECT_GE(TesterPresents(), asked);
            if (axle == HeightAxle::Cd)
                WaitOutCountdown();
        }
        EXPECT_THAT(PageBoxes(), ElementsAre(UiText(283), UiText(283)));
        EXPECT_EQ(EolHeightSensorResult, EolPassed);
        EXPECT_EQ(EcuConnected.load(), 1);
        bench.Disconnect();
    }
    trailer.SetRestartSilence(sim::trailerdata::kRestartMs);
}

// An ECU still silent when the allowance is over: one box, the link closed,
// no verdict.
TEST_F(HeightTest, AnEcuSilentAfterTheRestartGivesOneBoxAndClosesTheLink)
{
    ASSERT_TRUE(bench.Connect());
    trailer.SetRestartSilence(tarvel::kEcuRestartAllowanceMs + 3000);
    StartAndRead();
    bench.prompter.Clear();
    Calibrate(HeightAxle::Cd);
    EXPECT_THAT(PageBoxes(), ElementsAre(UiText(682)));
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_EQ(ConnectCommandEnabled, 1);
    EXPECT_EQ(EolHeightCdAxleResult, EolNotTested);
    EXPECT_EQ(EolHeightSensorResult, EolNotTested);
    EXPECT_FALSE(Page().Running());
    bench.Advance(20 * 1000);
    EXPECT_EQ(bench.prompter.Count(), 1u) << "no chain of time-outs";
    trailer.SetRestartSilence(sim::trailerdata::kRestartMs);
}

TEST_F(HeightTest, SkipTestAcceptsStoredValuesFrom600To800)
{
    struct Case {
        uint16_t cd, ef;
        int box;
        int caption;
        tarvel::MsgIcon icon;
    };
    const Case cases[] = {
        {600, 800, 573, 74, tarvel::MsgIcon::None},
        {800, 600, 573, 74, tarvel::MsgIcon::None},
        {599, 700, 572, 76, tarvel::MsgIcon::Exclamation},
        {700, 801, 574, 76, tarvel::MsgIcon::Exclamation},
    };
    ASSERT_TRUE(bench.Connect());
    EolHeightSensorLogic& page = Page();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.cd) + " " + std::to_string(c.ef));
        EolHeightSensorResult = EolNotTested;
        page.ExitHeightCalibration();
        trailer.SetHeightStored(1, c.cd);
        trailer.SetHeightStored(2, c.ef);
        bench.prompter.Clear();
        bench.ClearRequests();
        page.AcceptCurrentHeightCalibration();
        const bool accepted = c.box == 573;
        Requests expected = {Bytes("22 00 B3")};
        if (c.box != 572)
            expected.push_back(Bytes("22 00 B4"));
        EXPECT_EQ(Sent(), expected) << "no session, no unlock";
        ASSERT_EQ(bench.prompter.Count(), 1u);
        EXPECT_EQ(bench.prompter.Boxes()[0].text, UiText(c.box));
        EXPECT_EQ(bench.prompter.Boxes()[0].caption, UiText(c.caption));
        EXPECT_EQ(bench.prompter.Boxes()[0].icon, c.icon);
        EXPECT_EQ(EolHeightSensorResult, accepted ? EolPassed : EolNotTested);
        EXPECT_EQ(EolHeightCdAxleResult, accepted ? EolPassed : EolNotTested);
        EXPECT_EQ(page.Common().pictures[0], accepted ? EolPicture::Passed : EolPicture::Idle);
    }
}

TEST_F(HeightTest, ExitOrALostLinkDuringACalibrationsWaitsEndsItWithoutAVerdict)
{
    struct Case {
        const char* name;
        const char* after; // the request whose wait is cut short
        bool disconnect;
    };
    const Case cases[] = {
        {"Exit after the routine start", "31 01 C0 07 01 01 00", false},
        {"Exit after the restart", "11 01", false},
        {"disconnect after the restart", "11 01", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(bench.Connect());
        WaitOutCountdown();
        EolHeightSensorLogic& page = Page();
        StartAndRead();
        bench.ClearRequests();
        bench.prompter.Clear();
        const std::vector<uint8_t> after = Bytes(c.after);
        eoltest::ActionPump cut;
        cut.Once(
            [&] {
                const Requests sent = bench.Requests();
                return !tarvel::UdsRequestInFlight() && std::find(sent.begin(), sent.end(), after) != sent.end();
            },
            [&] {
                if (c.disconnect)
                    bench.Disconnect();
                else
                    page.ExitHeightCalibration();
            });
        Calibrate(HeightAxle::Cd);
        ASSERT_TRUE(cut.Fired());
        EXPECT_THAT(PageBoxes(), IsEmpty());
        EXPECT_EQ(EolHeightSensorResult, EolNotTested);
        EXPECT_EQ(EolHeightCdAxleResult, EolNotTested);
        EXPECT_EQ(page.Common().pictures, (std::vector<EolPicture>{EolPicture::Idle, EolPicture::Idle}));
        EXPECT_FALSE(page.Running());
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        const Requests sent = Sent();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back(), after) << "nothing after the cut";
        if (!c.disconnect)
            bench.Disconnect();
    }
}

// A lost link resets the page as Exit Test does, whatever it was doing: the
// result (a verdict included) returns to not tested and the page to idle.
TEST_F(HeightTest, ALostLinkResetsThePageAndTheResultInEveryState)
{
    struct Case {
        const char* name;
        std::function<void()> before; // brings the page into its state
        bool duringCalibration;       // the link goes while a calibration waits
    };
    const Case cases[] = {
        {"live readings", [&] { StartAndRead(); }, false},
        {"during a calibration", [&] { StartAndRead(); }, true},
        {"after a verified calibration",
         [&] {
             Axles(true, false);
             StartAndRead();
             Calibrate(HeightAxle::Cd);
             ASSERT_EQ(EolHeightSensorResult, EolPassed);
         },
         false},
        {"after a failed calibration",
         [&] {
             StartAndRead();
             bench.ecu->SetNegativeResponse(0x31, 0x22, 1);
             Calibrate(HeightAxle::Ef);
             ASSERT_EQ(EolHeightSensorResult, EolFailed);
             ASSERT_EQ(EolHeightSensorRemark, PdfText(99));
         },
         false},
        {"after Skip Test", [&] { Page().AcceptCurrentHeightCalibration(); ASSERT_EQ(EolHeightSensorResult, EolPassed); },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(bench.Connect());
        WaitOutCountdown();
        Axles(true, true);
        EolHeightSensorLogic& page = Page();
        c.before();
        eoltest::ActionPump cut;
        if (c.duringCalibration) {
            cut.Once(
                [&] {
                    const Requests sent = bench.Requests();
                    return !tarvel::UdsRequestInFlight() &&
                           std::find(sent.begin(), sent.end(), Bytes("31 03 C0 07")) != sent.end();
                },
                [&] { bench.Disconnect(); });
            Calibrate(HeightAxle::Cd);
            ASSERT_TRUE(cut.Fired());
        } else {
            bench.Disconnect();
        }

        EXPECT_EQ(EolHeightSensorResult, EolNotTested);
        EXPECT_EQ(EolHeightCdAxleResult, EolNotTested);
        EXPECT_EQ(EolHeightEfAxleResult, EolNotTested);
        EXPECT_EQ(EolHeightSensorRemark, "");
        EXPECT_FALSE(page.Running());
        EXPECT_EQ(EolTestIdle.load(), 1);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_TRUE(page.Common().startEnabled);
        EXPECT_FALSE(page.Common().exitEnabled);
        EXPECT_FALSE(page.State().cdEnabled);
        EXPECT_FALSE(page.State().efEnabled);
        EXPECT_TRUE(page.State().skipEnabled);
        EXPECT_FALSE(page.LiveReading(HeightAxle::Cd));
        EXPECT_FALSE(page.LiveReading(HeightAxle::Ef));
        EXPECT_FALSE(page.CountdownShown());
        EXPECT_EQ(page.Common().pictures, (std::vector<EolPicture>{EolPicture::Idle, EolPicture::Idle}));
        EXPECT_EQ(page.State().message, UiText(277));
        EXPECT_EQ(page.State().cdCurrent, EolHeightSensorLogic::kNoValue);
        bench.ecu->ClearFaults();
        bench.Advance(15000); // the countdown of a restart runs out
    }
}

TEST_F(HeightTest, TheKeepAliveStaysOutOfACalibrationAndTheCountdownOutlivesExit)
{
    ASSERT_TRUE(bench.Connect());
    EolHeightSensorLogic& page = Page();
    Axles(true, false);
    // The keep-alive falls due 4 s after connecting, inside the calibration.
    bench.Advance(2000);
    StartAndRead();
    bench.Advance(500);
    bench.ClearRequests();
    Calibrate(HeightAxle::Cd);
    ExpectCalibration(Sent(), HeightAxle::Cd);
    EXPECT_EQ(TesterPresents(), 1u) << "only the one question whether the ECU runs again after its restart";
    ASSERT_EQ(EolHeightSensorResult, EolPassed);
    bench.ClearRequests();
    bench.Advance(4000);
    EXPECT_GE(TesterPresents(), 1u) << "the keep-alive runs again afterwards";

    // Start within the countdown shows it and reads only once it is over.
    ASSERT_GT(HeightResetCountdown, 0);
    bench.ClearRequests();
    page.Start();
    EXPECT_TRUE(page.CountdownShown());
    EXPECT_FALSE(page.LiveReading(HeightAxle::Cd));
    bench.Advance(1000);
    const std::string prefix = UiText(277) + "\r\n " + UiText(571);
    EXPECT_EQ(page.State().message, prefix + std::to_string(HeightResetCountdown));
    EXPECT_FALSE(page.State().cdEnabled);

    // Exit keeps the countdown going.
    const uint8_t left = HeightResetCountdown;
    page.ExitHeightCalibration();
    EXPECT_FALSE(page.CountdownShown());
    EXPECT_TRUE(page.CountdownRunning());
    bench.Advance(1000);
    EXPECT_EQ(HeightResetCountdown, left - 1);
    bench.ClearRequests();
    page.Start();
    for (int i = 0; i < 15 && page.CountdownShown(); ++i) {
        bench.Advance(1000);
        EXPECT_THAT(Sent(), ElementsAre(Bytes("22 F1 90"))) << "no reading before the countdown ends";
    }
    EXPECT_FALSE(page.CountdownShown());
    EXPECT_EQ(HeightResetCountdown, 0);
    EXPECT_TRUE(page.LiveReading(HeightAxle::Cd));
    EXPECT_TRUE(page.State().cdEnabled);
    EXPECT_EQ(page.State().message, UiText(277));
    bench.ClearRequests();
    bench.Advance(1000);
    EXPECT_THAT(Sent(), ElementsAre(Bytes("22 00 18"), Bytes("22 00 B3")));
    page.ExitHeightCalibration();
}

TEST_F(HeightTest, StartWithoutTheEcuActivationAndCaptions)
{
    EolHeightSensorLogic& page = Page();
    page.Start();
    page.CalibrateCdAxleHeight();
    ASSERT_EQ(bench.prompter.Count(), 2u);
    for (const auto& box : bench.prompter.Boxes()) {
        EXPECT_EQ(box.text, UiText(75));
        EXPECT_EQ(box.caption, UiText(74));
        EXPECT_EQ(box.icon, tarvel::MsgIcon::Exclamation);
    }
    EXPECT_FALSE(page.Running());

    EXPECT_EQ(page.State().message, UiText(277));
    EXPECT_EQ(page.State().cdCurrentLabel, UiText(278));
    EXPECT_EQ(page.State().cdCalibrationLabel, UiText(575));
    EXPECT_EQ(page.State().efCurrentLabel, UiText(570));
    EXPECT_EQ(page.State().efCalibrationLabel, UiText(576));
    EXPECT_EQ(page.State().cdButtonCaption, UiText(279));
    EXPECT_EQ(page.State().efButtonCaption, UiText(568));
    EXPECT_EQ(page.State().skipCaption, UiText(486));
    EXPECT_EQ(page.State().cdAxleCaption, UiText(577));
    EXPECT_EQ(page.State().efAxleCaption, UiText(578));

    // Activation shows the sets and changes nothing else.
    Axles(false, true);
    EolHeightSensorResult = EolPassed;
    page.OnActivate(0x2021);
    EXPECT_FALSE(page.State().cdShown);
    EXPECT_TRUE(page.State().efShown);
    EXPECT_EQ(EolHeightSensorResult, EolPassed);
}

} // namespace
