// Timing the ECU relies on: which answer belongs to which request, when the
// response time starts, STmin and block size of the ECU's flow control, the
// pending wait, and the limits of a segmented exchange.
#include "UdsTestBench.h"

#include "UdsEngine.h"
#include "UdsNegativeResponse.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace {

using namespace udstest;
using namespace tarvel;

Bytes Numbered(size_t length, uint8_t sid)
{
    Bytes b(length);
    for (size_t i = 0; i < length; ++i)
        b[i] = static_cast<uint8_t>(i * 7);
    b[0] = sid;
    return b;
}

// Clock times (us) of the tester's frames on the bus.
std::vector<uint64_t> TesterFrameTimesUs(const sim::CanBus& bus)
{
    std::vector<uint64_t> t;
    for (const sim::CanFrame& f : bus.Recorded())
        if (f.id == kUdsRequestCanId)
            t.push_back(f.timeUs);
    return t;
}

uint64_t SmallestGapUs(const std::vector<uint64_t>& t, size_t from)
{
    uint64_t smallest = UINT64_MAX;
    for (size_t i = from + 1; i < t.size(); ++i)
        smallest = std::min(smallest, t[i] - t[i - 1]);
    return smallest;
}

// ---- Which answer belongs to the request ----------------------------------

struct LateAnswerCase {
    const char* name;
    Bytes lateAnswer;
};

void PrintTo(const LateAnswerCase& c, std::ostream* os) { *os << c.name; }

class UdsLateAnswer : public UdsFixture, public ::testing::WithParamInterface<LateAnswerCase> {};

// The answer to a read that timed out arrives just after the next read went
// out: it is not that read's answer.
TEST_P(UdsLateAnswer, IsNeverTakenForTheNextRequest)
{
    ecu.onRequest = [&](const Bytes& request) {
        if (request == Bytes{0x22, 0xF1, 0x8A})
            ecu.SendMessageIn(3600, GetParam().lateAnswer);
        else if (request == Bytes{0x22, 0xF1, 0x8C})
            ecu.SendMessageIn(300, {0x62, 0xF1, 0x8C, 0x0C});
    };
    UdsQuiet = 1;
    std::vector<uint8_t> out;
    EXPECT_EQ(UdsReadById(0xF18A, out), 0);
    const uint64_t secondSent = NowMs();
    ASSERT_LT(secondSent, 3600u) << "the late answer must come after the second request";

    EXPECT_EQ(UdsReadById(0xF18C, out), 1);
    ASSERT_GE(out.size(), 1u);
    EXPECT_EQ(out[0], 0x0C);
    EXPECT_EQ(Bytes(UdsResponse.begin(), UdsResponse.begin() + 3), (Bytes{0x62, 0xF1, 0x8C}));
    EXPECT_EQ(NowMs() - secondSent, 300u);
    EXPECT_EQ(prompter.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, UdsLateAnswer,
    ::testing::Values(LateAnswerCase{"SingleFrame", {0x62, 0xF1, 0x8A, 0x0A}},
                      LateAnswerCase{"Segmented", Numbered(40, 0x62)},
                      LateAnswerCase{"NegativeOfAnotherService", {0x7F, 0x2E, 0x31}}),
    [](const ::testing::TestParamInfo<LateAnswerCase>& info) { return std::string(info.param.name); });

struct EchoCase {
    const char* name;
    Bytes request;
    Bytes wrong; // comes first, is passed over
    Bytes right;
};

void PrintTo(const EchoCase& c, std::ostream* os) { *os << c.name; }

class UdsEcho : public UdsFixture, public ::testing::WithParamInterface<EchoCase> {};

TEST_P(UdsEcho, AnswerNotEchoingTheRequestIsPassedOver)
{
    const EchoCase& c = GetParam();
    ecu.onRequest = [&](const Bytes&) {
        ecu.SendMessage(c.wrong);
        ecu.SendMessageIn(100, c.right);
    };
    ASSERT_EQ(PrepareUdsRequest(c.request, static_cast<uint32_t>(c.request.size())), 1);
    EXPECT_EQ(WaitUdsResponse(c.request[0], "test"), 1);
    EXPECT_EQ(Bytes(UdsResponse.begin(), UdsResponse.begin() + static_cast<std::ptrdiff_t>(c.right.size())), c.right);
    EXPECT_EQ(UdsResponseLength(), c.right.size());
    EXPECT_EQ(prompter.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Services, UdsEcho,
    ::testing::Values(
        EchoCase{"ReadByIdLowByte", {0x22, 0xF1, 0x8C}, {0x62, 0xF1, 0x8A, 1}, {0x62, 0xF1, 0x8C, 2}},
        EchoCase{"ReadByIdHighByte", {0x22, 0xF1, 0x8C}, {0x62, 0xF0, 0x8C, 1}, {0x62, 0xF1, 0x8C, 2}},
        EchoCase{"WriteById", {0x2E, 0x00, 0x94, 1}, {0x6E, 0x00, 0x95}, {0x6E, 0x00, 0x94}},
        EchoCase{"IoControl", {0x2F, 0x4A, 0x01, 0x03, 1}, {0x6F, 0x4A, 0x02, 0x03}, {0x6F, 0x4A, 0x01, 0x03}},
        EchoCase{"RoutineType", {0x31, 0x01, 0xFF, 0x00}, {0x71, 0x03, 0xFF, 0x00}, {0x71, 0x01, 0xFF, 0x00, 9}},
        EchoCase{"RoutineIdentifier", {0x31, 0x01, 0xFF, 0x00}, {0x71, 0x01, 0xFF, 0x01}, {0x71, 0x01, 0xFF, 0x00}},
        EchoCase{"SecurityAccess", {0x27, 0x02, 1, 2, 3, 4}, {0x67, 0x01, 1, 2, 3, 4}, {0x67, 0x02}},
        EchoCase{"Session", {0x10, 0x03}, {0x50, 0x02, 0x00, 0x32, 0x01, 0xF4}, {0x50, 0x03, 0x00, 0x32, 0x01, 0xF4}},
        EchoCase{"Reset", {0x11, 0x01}, {0x51, 0x03}, {0x51, 0x01}},
        EchoCase{"CommunicationControl", {0x28, 0x03, 0x01}, {0x68, 0x00}, {0x68, 0x03}},
        EchoCase{"DtcSetting", {0x85, 0x02}, {0xC5, 0x01}, {0xC5, 0x02}},
        EchoCase{"DtcInformation", {0x19, 0x02, 0xFF}, {0x59, 0x01, 0xFF, 0x01, 0x00, 0x00}, {0x59, 0x02, 0xFF}},
        EchoCase{"AnotherServicesPositive", {0x11, 0x01}, {0x50, 0x01, 0x83}, {0x51, 0x01}},
        EchoCase{"AnotherServicesNegative", {0x22, 0xF1, 0x8C}, {0x7F, 0x31, 0x22}, {0x7F, 0x22, 0x31}},
        EchoCase{"AnotherServicesPending", {0x22, 0xF1, 0x8C}, {0x7F, 0x31, 0x78}, {0x62, 0xF1, 0x8C}},
        // Bit 7 of a sub-function only asks the ECU not to answer.
        EchoCase{"SubFunctionWithSuppressBit", {0x10, 0x83}, {0x50, 0x02}, {0x50, 0x03}}),
    [](const ::testing::TestParamInfo<EchoCase>& info) { return std::string(info.param.name); });

// The negative-response box names a code only for a real negative answer.
TEST_F(UdsFixture, NegativeResponseBoxIgnoresAPositiveAnswer)
{
    ecu.AnswerWith({0x62, 0xF1, 0x8A, 0x31});
    std::vector<uint8_t> out;
    ASSERT_EQ(UdsReadById(0xF18A, out), 1);
    ShowUdsNegativeResponse();
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(UdsFixture, AnotherServicesAnswerThenTheRightOne)
{
    ecu.onRequest = [&](const Bytes&) {
        ecu.SendMessage({0x50, 0x01, 0x83});
        ecu.SendMessageIn(200, {0x51, 0x01});
    };
    EXPECT_EQ(UdsEcuReset(), 1);
    EXPECT_EQ(prompter.Count(), 0u);
}

// ---- The response time starts when the request is out ----------------------

TEST_F(UdsFixture, LongestRequestAtStminTenMillisecondsCompletes)
{
    ecu.flowControl = {{0, {0x30, 0x00, 0x0A}}};
    ecu.AnswerWith({0x76, 0x01});
    const Bytes data = Numbered(4093, 0x11);
    const uint64_t start = NowMs();
    ASSERT_EQ(UdsTransferData(4093, 0x01, data), 1);
    const std::vector<uint64_t> t = TesterFrameTimesUs(*bus);
    ASSERT_EQ(t.size(), 586u);
    EXPECT_GE(SmallestGapUs(t, 1), 10000u) << "STmin between consecutive frames";
    EXPECT_GE(NowMs() - start, 5850u) << "sending alone outlasts the response time";
    ASSERT_EQ(ecu.requests.size(), 1u);
    EXPECT_EQ(ecu.requests[0].size(), 4095u);
    EXPECT_EQ(ecu.unpermittedFrames, 0);
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(UdsFixture, ResponseTimeRunsFromTheLastFrameOfTheRequest)
{
    ecu.flowControl = {{0, {0x30, 0x00, 0x0A}}};
    UdsQuiet = 1;
    EXPECT_EQ(UdsTransferData(400, 0x01, Numbered(400, 0x22)), 0);
    const std::vector<uint64_t> t = TesterFrameTimesUs(*bus);
    ASSERT_EQ(t.size(), 1u + 57u);
    const uint64_t afterLast = NowMs() - t.back() / 1000;
    EXPECT_GE(afterLast, 3500u);
    EXPECT_LE(afterLast, 3502u);
    ASSERT_EQ(ecu.requests.size(), 1u);

    // Answered 3 s after the last frame: in time.
    ecu.onRequest = [&](const Bytes&) { ecu.SendMessageIn(3000, {0x76, 0x02}); };
    EXPECT_EQ(UdsTransferData(400, 0x02, Numbered(400, 0x22)), 1);
}

TEST_F(UdsFixture, EcuThatNeverSendsFlowControlFailsTheRequestAfterOneSecond)
{
    ecu.flowControl = {};
    const uint64_t start = NowMs();
    EXPECT_EQ(UdsTransferData(20, 0x01, Numbered(20, 0x33)), 0);
    EXPECT_GE(NowMs() - start, kIsoTpFlowControlTimeoutMs);
    EXPECT_LE(NowMs() - start, kIsoTpFlowControlTimeoutMs + 2);
    EXPECT_EQ(TesterFrames().size(), 1u);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, "Service timeout");
    EXPECT_EQ(prompter.Boxes()[0].caption, "UDS TransferData (0x36)");
}

// ---- STmin ------------------------------------------------------------------

TEST(IsoTpStmin, MillisecondsMicrosecondsAndReservedValues)
{
    const std::pair<uint8_t, uint64_t> rows[] = {
        {0x00, 0},      {0x01, 1000},   {0x0A, 10000},  {0x7F, 127000}, {0x80, 127000}, {0xF0, 127000},
        {0xF1, 100},    {0xF5, 500},    {0xF9, 900},    {0xFA, 127000}, {0xFF, 127000},
    };
    for (const auto& row : rows)
        EXPECT_EQ(IsoTpStminToUs(row.first), row.second) << std::hex << int(row.first);
}

TEST_F(UdsFixture, LongestRequestAtStminOneHundredMicrosecondsCompletes)
{
    ecu.flowControl = {{0, {0x30, 0x00, 0xF1}}};
    ecu.AnswerWith({0x76, 0x01});
    const uint64_t start = clock.NowUs();
    ASSERT_EQ(UdsTransferData(4093, 0x01, Numbered(4093, 0x11)), 1);
    const std::vector<uint64_t> t = TesterFrameTimesUs(*bus);
    ASSERT_EQ(t.size(), 586u);
    EXPECT_GE(SmallestGapUs(t, 1), 100u);
    EXPECT_LT(t.back() - start, 200000u) << "585 frames 100 us apart, not 241 ms apart";
    ASSERT_EQ(ecu.requests.size(), 1u);
    EXPECT_EQ(ecu.requests[0].size(), 4095u);
}

TEST_F(UdsFixture, ReservedStminCountsAsTheLongestGap)
{
    ecu.flowControl = {{0, {0x30, 0x00, 0xFA}}};
    ecu.AnswerWith({0x6E});
    ASSERT_EQ(PrepareUdsRequest(Numbered(27, 0x2E), 27), 1);
    ASSERT_EQ(WaitUdsResponseQuiet(0x2E, "test"), 1);
    const std::vector<uint64_t> t = TesterFrameTimesUs(*bus);
    ASSERT_EQ(t.size(), 4u);
    for (size_t i = 2; i < t.size(); ++i) {
        EXPECT_GE(t[i] - t[i - 1], 127000u);
        EXPECT_LE(t[i] - t[i - 1], 128000u);
    }
}

// ---- Block size and flow status of the ECU ----------------------------------

struct BlockCase {
    uint8_t blockSize;
    bool waitFirst; // each block is preceded by one "wait" 300 ms before the go-ahead
};

void PrintTo(const BlockCase& c, std::ostream* os)
{
    *os << "BS " << int(c.blockSize) << (c.waitFirst ? " with wait" : "");
}

class IsoTpEcuBlocks : public UdsFixture, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(IsoTpEcuBlocks, NoFrameGoesWithoutPermission)
{
    const BlockCase& c = GetParam();
    const Bytes go{0x30, c.blockSize, 0x00};
    if (c.waitFirst) {
        ecu.flowControl = {{0, {0x31}}, {300, go}};
        ecu.blockFlowControl = {{50, {0x31}}, {350, go}};
    } else {
        ecu.flowControl = {{0, go}};
        ecu.blockFlowControl = {{50, go}};
    }
    ecu.AnswerWith({0x76, 0x01});
    const Bytes data = Numbered(200, 0x44); // 202 bytes: first frame and 28 consecutive frames
    ASSERT_EQ(UdsTransferData(200, 0x01, data), 1);
    ASSERT_EQ(ecu.requests.size(), 1u);
    EXPECT_EQ(ecu.requests[0].size(), 202u);
    EXPECT_EQ(ecu.unpermittedFrames, 0);
    const int blocks = (28 + c.blockSize - 1) / c.blockSize;
    EXPECT_EQ(ecu.flowControlsSent, blocks * (c.waitFirst ? 2 : 1));
    // Between blocks the tester is silent until the go-ahead.
    const std::vector<uint64_t> t = TesterFrameTimesUs(*bus);
    ASSERT_EQ(t.size(), 29u);
    for (size_t cf = c.blockSize; cf < 28; cf += c.blockSize)
        EXPECT_GE(t[cf + 1] - t[cf], (c.waitFirst ? 350u : 50u) * 1000) << "after consecutive frame " << cf;
    EXPECT_EQ(prompter.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, IsoTpEcuBlocks,
                         ::testing::Values(BlockCase{2, false}, BlockCase{2, true}, BlockCase{8, false},
                                           BlockCase{8, true}),
                         [](const ::testing::TestParamInfo<BlockCase>& info) {
                             return "Bs" + std::to_string(info.param.blockSize) +
                                    (info.param.waitFirst ? "WithWait" : "");
                         });

TEST_F(UdsFixture, EndlessFlowControlWaitFailsTheRequest)
{
    std::vector<std::pair<uint64_t, Bytes>> waits;
    for (uint64_t ms = 0; ms <= 20 * 500; ms += 500)
        waits.push_back({ms, {0x31}});
    ecu.flowControl = waits;
    UdsQuiet = 1;
    const uint64_t start = NowMs();
    EXPECT_EQ(UdsTransferData(20, 0x01, Numbered(20, 0x33)), 0);
    EXPECT_EQ(NowMs() - start, kIsoTpMaxFlowControlWaits * 500u) << "fails at the wait one past the limit";
    EXPECT_EQ(TesterFrames().size(), 1u);
}

TEST_F(UdsFixture, WaitRestartsTheFlowControlTime)
{
    // Each wait comes 900 ms after the one before: never a full second of silence.
    ecu.flowControl = {{0, {0x31}}, {900, {0x31}}, {1800, {0x31}}, {2700, {0x30, 0x00, 0x00}}};
    ecu.AnswerWith({0x76, 0x01});
    EXPECT_EQ(UdsTransferData(20, 0x01, Numbered(20, 0x33)), 1);
}

struct FlowStatusCase {
    const char* name;
    Bytes flowControl;
};

void PrintTo(const FlowStatusCase& c, std::ostream* os) { *os << c.name; }

class IsoTpRefusingFlowControl : public UdsFixture, public ::testing::WithParamInterface<FlowStatusCase> {};

TEST_P(IsoTpRefusingFlowControl, EndsTheRequestAtOnce)
{
    ecu.flowControl = {{0, {0x30, 0x02, 0x00}}};
    ecu.blockFlowControl = {{10, GetParam().flowControl}};
    ecu.AnswerWith({0x76, 0x01});
    const uint64_t start = NowMs();
    EXPECT_EQ(UdsTransferData(40, 0x01, Numbered(40, 0x55)), 0);
    EXPECT_LE(NowMs() - start, 12u);
    EXPECT_EQ(TesterFrames().size(), 3u) << "first frame and one block";
    EXPECT_TRUE(ecu.requests.empty());
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, "Service timeout");
}

INSTANTIATE_TEST_SUITE_P(Statuses, IsoTpRefusingFlowControl,
                         ::testing::Values(FlowStatusCase{"Overflow", {0x32}},
                                           FlowStatusCase{"UnknownStatus", {0x35, 0x00, 0x00}}),
                         [](const ::testing::TestParamInfo<FlowStatusCase>& info) {
                             return std::string(info.param.name);
                         });

// ---- Response pending -------------------------------------------------------

TEST_F(UdsFixture, PendingAnswersFourAndAHalfSecondsApart)
{
    ecu.onRequest = [&](const Bytes&) {
        for (uint64_t ms = 0; ms <= 9000; ms += 4500)
            ecu.SendMessageIn(ms, {0x7F, 0x31, 0x78});
        ecu.SendMessageIn(13500, {0x71, 0x01, 0xFF, 0x00, 0x00});
    };
    std::vector<uint8_t> out;
    const uint64_t start = NowMs();
    EXPECT_EQ(UdsRoutineControl(0xFF00, 0x01, out), 1);
    EXPECT_EQ(NowMs() - start, 13500u);
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(UdsFixture, PendingTimeAnnouncedByTheSessionAnswerIsUsed)
{
    // P2* 600 x 10 ms = 6000 ms.
    ecu.AnswerWith({0x50, 0x02, 0x00, 0x32, 0x02, 0x58});
    ASSERT_EQ(UdsDiagnosticSessionControl(0x02), 1);
    EXPECT_EQ(UdsPendingTimeoutMs(), 6000u);
    ecu.onRequest = [&](const Bytes&) {
        ecu.SendMessage({0x7F, 0x31, 0x78});
        ecu.SendMessageIn(5800, {0x7F, 0x31, 0x78});
        ecu.SendMessageIn(11600, {0x71, 0x01, 0xFF, 0x00});
    };
    std::vector<uint8_t> out;
    EXPECT_EQ(UdsRoutineControl(0xFF00, 0x01, out), 1);

    // A shorter announcement does not cut the wait below 5 s.
    ecu.AnswerWith({0x50, 0x03, 0x00, 0x32, 0x00, 0x64});
    ASSERT_EQ(UdsDiagnosticSessionControl(0x03), 1);
    EXPECT_EQ(UdsPendingTimeoutMs(), kUdsPendingTimeoutMs);
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(UdsFixture, LongAnswerStartingLateAfterPendingIsReceivedWhole)
{
    // The first frame comes 3 s after the pending answer; its 585
    // consecutive frames, 8 ms apart, run well past the pending wait.
    ecu.consecutiveGapUs = 8000;
    const Bytes answer = Numbered(4095, 0x71);
    Bytes expected = answer;
    expected[1] = 0x01;
    expected[2] = 0xFF;
    expected[3] = 0x00;
    ecu.onRequest = [&](const Bytes&) {
        ecu.SendMessage({0x7F, 0x31, 0x78});
        ecu.SendMessageIn(3000, expected);
    };
    std::vector<uint8_t> out;
    const uint64_t start = NowMs();
    EXPECT_EQ(UdsRoutineControl(0xFF00, 0x01, out), 1);
    EXPECT_GE(NowMs() - start, 3000u + 585u * 8u);
    EXPECT_EQ(UdsResponseLength(), 4095u);
    EXPECT_EQ(Bytes(UdsResponse.begin(), UdsResponse.begin() + 4095), expected);
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(UdsFixture, AnswerThatStopsHalfWayIsDroppedAfterOneSecond)
{
    // Two consecutive frames, then nothing for more than a second: the part
    // received is dropped, a late third frame is ignored, and a whole answer
    // sent later is taken on its own.
    ecu.onRequest = [&](const Bytes&) {
        ecu.SendFrameIn(100, {0x10, 0x1B, 0x62, 0xF1, 0x8A, 1, 2, 3});
        ecu.SendFrameIn(101, {0x21, 4, 5, 6, 7, 8, 9, 10});
        ecu.SendFrameIn(102, {0x22, 11, 12, 13, 14, 15, 16, 17});
        ecu.SendFrameIn(1200, {0x23, 18, 19, 20, 21, 22, 23, 24});
        ecu.SendFrameIn(2000, {0x04, 0x62, 0xF1, 0x8A, 0x77});
    };
    std::vector<uint8_t> out;
    EXPECT_EQ(UdsReadById(0xF18A, out), 1);
    EXPECT_EQ(UdsResponse, (Bytes{0x62, 0xF1, 0x8A, 0x77, 0, 0, 0}));
    EXPECT_EQ(prompter.Count(), 0u);

    // Dropped past the response time: the read fails then.
    ecu.onRequest = [&](const Bytes&) {
        ecu.SendFrameIn(3000, {0x10, 0x1B, 0x62, 0xF1, 0x8A, 1, 2, 3});
        ecu.SendFrameIn(3001, {0x21, 4, 5, 6, 7, 8, 9, 10});
    };
    const uint64_t start = NowMs();
    EXPECT_EQ(UdsReadById(0xF18A, out), 0);
    EXPECT_GE(NowMs() - start, 3001u + kIsoTpConsecutiveFrameTimeoutMs);
    EXPECT_LE(NowMs() - start, 3003u + kIsoTpConsecutiveFrameTimeoutMs);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, "Service timeout");
}

// ---- The tester's own block size ----------------------------------------------

TEST_F(UdsFixture, TesterAllowsTheNextBlockAfterEachFullBlock)
{
    IsoTpLink& link = TheIsoTpLink();
    link.testerFcBlockSize = 2;
    ecu.onRequest = [&](const Bytes&) {
        ecu.SendFrame({0x10, 0x1B, 0x62, 0xF1, 0x8A, 1, 2, 3});
        ecu.SendFrame({0x21, 4, 5, 6, 7, 8, 9, 10});
        ecu.SendFrame({0x22, 11, 12, 13, 14, 15, 16, 17});
        ecu.SendFrame({0x23, 18, 19, 20, 21, 22, 23, 24});
    };
    std::vector<uint8_t> out;
    const int result = UdsReadById(0xF18A, out);
    link.testerFcBlockSize = 0;
    EXPECT_EQ(result, 1);
    const Bytes fc{0x30, 0x02, 0x05, 0, 0, 0, 0, 0};
    EXPECT_EQ(ecu.flowControlsFromTester, (std::vector<Bytes>{fc, fc})) << "after the first frame and after two";
    EXPECT_EQ(UdsResponseLength(), 27u);
}

} // namespace
