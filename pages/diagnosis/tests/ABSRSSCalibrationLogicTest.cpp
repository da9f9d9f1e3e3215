// The roll-stability sensor page's logic against the simulated ECU: the
// requests of Start, Calibration and Clean, the angle display on virtual
// time, the boxes of every failing step and the run state it holds.
#include "ABSRSSCalibrationLogic.h"

#include "EolGlobals.h"
#include "SecurityAccessKey.h"
#include "SecurityConstants.h"
#include "ShellGlobals.h"

#include "SimEcuProfile.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;
using tarvel_test::Hex;
using Logic = ABSRSSCalibrationLogic;

constexpr uint32_t kSeedStart = 77;

// The seed the simulated ECU hands out first after SetSeedGenerator(77).
std::array<uint8_t, 4> FirstSeed()
{
    uint32_t x = kSeedStart;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return {uint8_t(x >> 24), uint8_t(x >> 16), uint8_t(x >> 8), uint8_t(x)};
}

std::vector<uint8_t> KeyRequest()
{
    const auto key = tarvel::UdsKeyToBytes(tarvel::ComputeSecurityKey(FirstSeed(), tarvel::kSecurityLevel1Constants));
    return {0x27, 0x02, key[0], key[1], key[2], key[3]};
}

class RssCalibrationLogicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bench.Connect());
        bench.ecu->SetSeedGenerator(kSeedStart);
        bench.ClearRequests();
    }

    void Sensor(uint16_t raw, std::optional<std::vector<uint8_t>> outcome = std::nullopt)
    {
        sim::ecudata::InstallRollSensor(*bench.ecu, {raw, std::move(outcome)});
    }
    // Start, then one angle read.
    void Displaying()
    {
        logic.OnStartClicked();
        ASSERT_TRUE(logic.State().displaying);
        bench.Advance(Logic::kAnglePeriodMs);
        bench.ClearRequests();
        bench.prompter.Clear();
    }
    // What the page sent: the requests without the keep-alive's.
    std::vector<std::vector<uint8_t>> PageRequests() const
    {
        std::vector<std::vector<uint8_t>> page;
        for (auto& request : bench.Requests())
            if (request != Bytes("3E 00"))
                page.push_back(request);
        return page;
    }
    std::string Text(int row) const { return bench.Context().texts.Text(row); }
    std::vector<tarvel::RecordingPrompter::Box> Boxes() const { return bench.prompter.Boxes(); }
    void ExpectIdle() const
    {
        EXPECT_FALSE(logic.State().displaying);
        EXPECT_FALSE(logic.AngleTimerRunning());
        EXPECT_THAT(logic.State().angleText, IsEmpty());
        EXPECT_EQ(EolTestIdle.load(), 1);
    }

    // The page's logic as the shell holds it, so connect, disconnect and
    // stopped work reach it as in the program.
    static Logic& PageLogic(tarvel_test::PageBench& bench)
    {
        auto* logic = dynamic_cast<Logic*>(bench.pages.Logic(Logic::kTab));
        if (!logic)
            throw std::logic_error("the page set holds no roll-stability calibration logic");
        return *logic;
    }

    tarvel_test::PageBench bench;
    Logic& logic = PageLogic(bench);
};

TEST_F(RssCalibrationLogicTest, StartOpensTheSessionUnlocksAsksTheRoutineAndShowsTheAngleEveryHalfSecond)
{
    logic.OnStartClicked();
    EXPECT_THAT(PageRequests(),
                ElementsAre(Bytes("10 03"), Bytes("27 01"), KeyRequest(), Bytes("31 03 C0 08")));
    EXPECT_TRUE(bench.ecu->Unlocked(0x01));
    EXPECT_TRUE(logic.State().displaying);
    EXPECT_EQ(EolTestIdle.load(), 0);
    EXPECT_EQ(logic.State().bitmap, Logic::kBitmapInitial);
    EXPECT_TRUE(logic.AngleTimerRunning());
    EXPECT_THAT(logic.State().angleText, IsEmpty());

    bench.ClearRequests();
    bench.Advance(Logic::kAnglePeriodMs - 1);
    EXPECT_THAT(PageRequests(), IsEmpty());
    bench.Advance(1);
    EXPECT_THAT(PageRequests(), ElementsAre(Bytes("22 00 64")));
    EXPECT_EQ(logic.State().angleText, "1.00\xC2\xB0");
    bench.Advance(2 * Logic::kAnglePeriodMs);
    EXPECT_EQ(PageRequests().size(), 3u);
    EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(RssCalibrationLogicTest, AngleTextForEachRawValue)
{
    const struct {
        uint16_t raw;
        std::string text;
    } cases[] = {
        {0xFE00, Text(522)}, {0, Text(523)},          {649, Text(523)},        {650, "-25.00\xC2\xB0"},
        {899, "-0.10\xC2\xB0"}, {900, "0.00\xC2\xB0"}, {1150, "25.00\xC2\xB0"}, {1151, Text(523)},
        {0xFFFF, Text(523)},
    };
    ASSERT_EQ(Text(522), "No valid angle");
    ASSERT_EQ(Text(523), "Angle out of range");
    logic.OnStartClicked();
    for (const auto& c : cases) {
        Sensor(c.raw);
        bench.Advance(Logic::kAnglePeriodMs);
        EXPECT_EQ(logic.State().angleText, c.text) << c.raw;
        EXPECT_EQ(Logic::AngleText(c.raw, bench.Context().texts), c.text) << c.raw;
    }
    EXPECT_TRUE(logic.State().displaying);
    EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(RssCalibrationLogicTest, AFailingStartStepShowsItsBoxAndLeavesThePageIdle)
{
    enum class Fault { Negative, Silent };
    const struct {
        uint8_t sid;
        Fault fault;
        size_t requests; // sent up to and including the failing one
        int row;
        tarvel::MsgIcon icon;
    } cases[] = {
        {0x10, Fault::Negative, 1, 185, tarvel::MsgIcon::None},
        {0x10, Fault::Silent, 1, 185, tarvel::MsgIcon::None},
        {0x27, Fault::Negative, 2, 186, tarvel::MsgIcon::None},
        {0x31, Fault::Negative, 4, 531, tarvel::MsgIcon::Exclamation},
        {0x31, Fault::Silent, 4, 531, tarvel::MsgIcon::Exclamation},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex({c.sid}) + (c.fault == Fault::Silent ? " silent" : " negative"));
        bench.ecu->ClearFaults();
        if (c.fault == Fault::Negative)
            bench.ecu->SetNegativeResponse(c.sid, 0x22, 1);
        else
            bench.ecu->SetNoAnswer(c.sid, 1);
        bench.ClearRequests();
        bench.prompter.Clear();

        logic.OnStartClicked();
        const auto requests = PageRequests();
        ASSERT_EQ(requests.size(), c.requests);
        EXPECT_EQ(requests.back()[0], c.sid);
        const auto boxes = Boxes();
        // The service's own box (a time-out's only once the keep-alive ran),
        // then the page's.
        ASSERT_THAT(boxes.size(), ::testing::AllOf(::testing::Ge(1u), ::testing::Le(2u)));
        EXPECT_THAT(boxes.back(), BoxIs(Text(c.row), "Error"));
        EXPECT_EQ(boxes.back().icon, c.icon);
        ExpectIdle();
        bench.Advance(2 * Logic::kAnglePeriodMs);
        EXPECT_THAT(PageRequests(), Not(Contains(Bytes("22 00 64"))));
    }
}

TEST_F(RssCalibrationLogicTest, CalibrationAndCleanRunTheRoutineWaitASecondAndShowTheOutcome)
{
    const struct {
        bool clean;
        std::optional<std::vector<uint8_t>> outcome; // none: the sensor takes it
        int row;
        const char* caption;
        int bitmap;
        std::string angle; // after the routine
    } cases[] = {
        {false, std::nullopt, 524, "Tips", Logic::kBitmapPassed, "0.00\xC2\xB0"},
        {true, std::nullopt, 526, "Tips", Logic::kBitmapPassed, "No valid angle"},
        {false, std::vector<uint8_t>{0x00}, 525, "Error", Logic::kBitmapFailed, "1.00\xC2\xB0"},
        {true, std::vector<uint8_t>{0x00}, 527, "Error", Logic::kBitmapFailed, "1.00\xC2\xB0"},
        {false, std::vector<uint8_t>{0x02}, 525, "Error", Logic::kBitmapFailed, "1.00\xC2\xB0"},
        // A result without its status byte is no result (the frame's padding
        // behind it would read as status 0).
        {false, std::vector<uint8_t>{}, 282, "Error", Logic::kBitmapFailed, "1.00\xC2\xB0"},
        {true, std::vector<uint8_t>{}, 282, "Error", Logic::kBitmapFailed, "1.00\xC2\xB0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.clean ? "clean " : "calibrate ") + std::to_string(c.row));
        Sensor(910, c.outcome);
        Displaying();
        const uint64_t before = bench.clock.NowUs();
        c.clean ? logic.OnCleanClicked() : logic.OnCalibrationClicked();
        const uint64_t tookMs = (bench.clock.NowUs() - before) / 1000;
        EXPECT_GE(tookMs, Logic::kRoutineWaitMs);
        EXPECT_LT(tookMs, Logic::kRoutineWaitMs + 100);

        std::vector<std::vector<uint8_t>> expected{Bytes("10 03"), Bytes("27 01"), {}, Bytes("31 01 C0 08"),
                                                   Bytes("31 03 C0 08")};
        expected[3].push_back(c.clean ? 0x20 : 0x02);
        if (c.bitmap == Logic::kBitmapPassed)
            expected.push_back(Bytes("22 00 64"));
        auto requests = PageRequests();
        ASSERT_EQ(requests.size(), expected.size());
        requests[2].resize(2); // the key differs with every seed
        expected[2] = Bytes("27 02");
        EXPECT_EQ(requests, expected);

        EXPECT_THAT(Boxes(), ElementsAre(BoxIs(Text(c.row), c.caption)));
        EXPECT_EQ(logic.State().bitmap, c.bitmap);
        EXPECT_TRUE(logic.State().displaying);
        EXPECT_EQ(EolTestIdle.load(), 0);
        ASSERT_TRUE(logic.AngleTimerRunning());
        bench.ClearRequests();
        bench.Advance(Logic::kAnglePeriodMs);
        EXPECT_THAT(PageRequests(), ElementsAre(Bytes("22 00 64")));
        EXPECT_EQ(logic.State().angleText, c.angle);
        logic.OnExitClicked();
    }
}

TEST_F(RssCalibrationLogicTest, AFailingRoutineStepShowsItsBoxAndTheDisplayGoesOn)
{
    const struct {
        uint8_t sid;
        size_t requests;
        int row;
    } cases[] = {{0x10, 1, 185}, {0x27, 2, 186}, {0x31, 4, 528}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex({c.sid}));
        Displaying();
        bench.ecu->SetNegativeResponse(c.sid, 0x22, 1);
        logic.OnCalibrationClicked();
        EXPECT_EQ(PageRequests().size(), c.requests);
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_THAT(boxes.back(), BoxIs(Text(c.row), "Error"));
        EXPECT_EQ(logic.State().bitmap, Logic::kBitmapFailed);
        EXPECT_TRUE(logic.State().displaying);
        EXPECT_TRUE(logic.AngleTimerRunning());
        EXPECT_EQ(EolTestIdle.load(), 0);
        logic.OnExitClicked();
    }
}

TEST_F(RssCalibrationLogicTest, ExitTheLinkGoingAndAFailedReadEndTheDisplay)
{
    Displaying();
    ASSERT_FALSE(logic.State().angleText.empty());
    logic.OnExitClicked();
    ExpectIdle();
    bench.Advance(3 * Logic::kAnglePeriodMs);
    EXPECT_THAT(PageRequests(), IsEmpty());

    Displaying();
    logic.OnLinkGone(); // the disconnect message
    ExpectIdle();

    Displaying();
    bench.Disconnect();
    ExpectIdle();
    EXPECT_THAT(Boxes(), IsEmpty());

    ASSERT_TRUE(bench.Connect());
    Displaying();
    bench.ecu->SetNoAnswer(0x22, 1);
    bench.Advance(4 * Logic::kAnglePeriodMs);
    ExpectIdle();
    EXPECT_THAT(PageRequests(), ElementsAre(Bytes("22 00 64")));
}

TEST_F(RssCalibrationLogicTest, AnAngleAnswerWithoutBothBytesIsAFailedRead)
{
    Displaying();
    // One byte: the rest of the frame is padding, not the angle's low byte.
    bench.ecu->RegisterDid(Logic::kAngleDid, {0x03});
    bench.Advance(Logic::kAnglePeriodMs);
    ExpectIdle();
}

TEST_F(RssCalibrationLogicTest, ASlowAngleReadHoldsOffTheNextTicksAndTheKeepAlive)
{
    Displaying();
    // The read takes 6 s: the angle timer and the keep-alive come due inside it.
    bench.ecu->SetResponsePending(0x22, 3, 1500, 1);
    bench.Advance(Logic::kAnglePeriodMs);
    EXPECT_THAT(PageRequests(), ElementsAre(Bytes("22 00 64")));
    EXPECT_TRUE(logic.State().displaying);
    EXPECT_EQ(EcuConnected.load(), 1);
    EXPECT_THAT(Boxes(), IsEmpty());
    bench.ClearRequests();
    bench.Advance(4000);
    EXPECT_EQ(EcuConnected.load(), 1);
    EXPECT_TRUE(logic.State().displaying);
    EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(RssCalibrationLogicTest, LeavingDuringTheRoutineWaitEndsItQuietly)
{
    Displaying();
    bench.clock.ScheduleIn(500 * 1000, [this] { logic.OnExitClicked(); });
    logic.OnCalibrationClicked();
    EXPECT_THAT(PageRequests(), Not(Contains(Bytes("31 03 C0 08"))));
    ExpectIdle();
    EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(RssCalibrationLogicTest, StoppedWorkDuringStartLeavesThePageIdle)
{
    // The navigation may switch pages while Start waits for the ECU.
    bench.ecu->SetResponsePending(0x31, 1, 1000, 1);
    bench.clock.ScheduleIn(500 * 1000, [this] { logic.OnStopWork(); });
    logic.OnStartClicked();
    ExpectIdle();
    EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(RssCalibrationLogicTest, RoutineButtonsNeedTheLinkAndTheDisplay)
{
    logic.OnCalibrationClicked(); // idle: the button is disabled
    EXPECT_THAT(PageRequests(), IsEmpty());
    bench.Disconnect();
    logic.OnCleanClicked();
    EXPECT_THAT(Boxes(), ElementsAre(BoxIs("Please connect the ECU first", "Tips")));
    EXPECT_EQ(Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
}

TEST_F(RssCalibrationLogicTest, CaptionsComeFromTheLanguageTable)
{
    const ABSRSSCalibrationState& s = logic.State();
    EXPECT_EQ(s.instructionText, Text(517));
    EXPECT_EQ(s.angleFrameText, "Lateral vehicle inclination assumed by modulator");
    EXPECT_EQ(s.buttonFrameText, "RSS Calibration");
    EXPECT_EQ(s.calibrateText, "Calibration RSS");
    EXPECT_EQ(s.cleanText, "Clean RSS Calibration");
    EXPECT_EQ(s.startText, "Start");
    EXPECT_EQ(s.exitText, "Exit ");
    EXPECT_EQ(Logic::BitmapFile(Logic::kBitmapFailed), "EolBitmaps/421.png");
}

} // namespace
