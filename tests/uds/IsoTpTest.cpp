// The ISO-TP link on the wire: how requests are cut into frames, how
// responses are put together, how the ECU's flow control paces the sender.
#include "UdsTestBench.h"

#include "UdsEngine.h"

#include <gmock/gmock.h>

namespace {

using namespace udstest;
using namespace tarvel;
using ::testing::ElementsAre;

Bytes Numbered(size_t length, uint8_t sid)
{
    Bytes b(length);
    for (size_t i = 0; i < length; ++i)
        b[i] = static_cast<uint8_t>(i);
    b[0] = sid;
    return b;
}

// Sends `request` and waits quietly for the answer.
int Exchange(const Bytes& request)
{
    if (!PrepareUdsRequest(request, static_cast<uint32_t>(request.size())))
        return 0;
    return WaitUdsResponseQuiet(request[0], "test");
}

// ---- Segmentation ---------------------------------------------------------

struct SegmentationCase {
    size_t length;
    std::vector<Bytes> frames;
    std::vector<size_t> handedLengths;
};

void PrintTo(const SegmentationCase& c, std::ostream* os) { *os << "length " << c.length; }

class IsoTpSegmentation : public UdsFixture, public ::testing::WithParamInterface<SegmentationCase> {};

TEST_P(IsoTpSegmentation, RequestGoesOutAsTheseFrames)
{
    const SegmentationCase& c = GetParam();
    const Bytes request = Numbered(c.length, 0x2E);
    ecu.AnswerWith({0x6E});

    ASSERT_EQ(Exchange(request), 1);

    EXPECT_EQ(TesterFrames(), c.frames);
    EXPECT_EQ(port.lengths, c.handedLengths);
    ASSERT_EQ(ecu.requests.size(), 1u);
    EXPECT_EQ(ecu.requests[0], request);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, IsoTpSegmentation,
    ::testing::Values(
        SegmentationCase{1, {{0x01, 0x2E, 0, 0, 0, 0, 0, 0}}, {2}},
        SegmentationCase{7, {{0x07, 0x2E, 1, 2, 3, 4, 5, 6}}, {8}},
        SegmentationCase{8, {{0x10, 0x08, 0x2E, 1, 2, 3, 4, 5}, {0x21, 6, 7, 0, 0, 0, 0, 0}}, {8, 3}},
        SegmentationCase{13, {{0x10, 0x0D, 0x2E, 1, 2, 3, 4, 5}, {0x21, 6, 7, 8, 9, 10, 11, 12}}, {8, 8}},
        SegmentationCase{14,
                         {{0x10, 0x0E, 0x2E, 1, 2, 3, 4, 5},
                          {0x21, 6, 7, 8, 9, 10, 11, 12},
                          {0x22, 13, 0, 0, 0, 0, 0, 0}},
                         {8, 8, 2}}),
    [](const ::testing::TestParamInfo<SegmentationCase>& info) {
        return "Length" + std::to_string(info.param.length);
    });

TEST_F(UdsFixture, LongestRequestAnnouncesFffAndWrapsTheSequenceNumber)
{
    const Bytes request = Numbered(4095, 0x36);
    ecu.AnswerWith({0x76});
    ASSERT_EQ(Exchange(request), 1);

    const std::vector<Bytes> frames = TesterFrames();
    ASSERT_EQ(frames.size(), 1u + 585u); // 6 + 584 * 7 + 1 bytes
    EXPECT_EQ(frames[0][0], 0x1F);
    EXPECT_EQ(frames[0][1], 0xFF);
    for (size_t i = 1; i < frames.size(); ++i)
        ASSERT_EQ(frames[i][0], 0x20 | (i & 0x0F)) << "consecutive frame " << i;
    EXPECT_EQ(frames[15][0], 0x2F);
    EXPECT_EQ(frames[16][0], 0x20);
    // The last frame carries one byte and zero padding.
    EXPECT_EQ(frames.back(), (Bytes{static_cast<uint8_t>(0x20 | (585 & 0x0F)), request.back(), 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(port.lengths.back(), 2u);
    EXPECT_EQ(port.captions.front(), "发送首帧");
    EXPECT_EQ(port.captions[1], "发送连续帧");
    EXPECT_EQ(port.captions.back(), "发送最后的连续帧");
    ASSERT_EQ(ecu.requests.size(), 1u);
    EXPECT_EQ(ecu.requests[0], request);
}

TEST_F(UdsFixture, RequestLongerThanAFirstFrameCanAnnounceIsRefused)
{
    EXPECT_EQ(PrepareUdsRequest(Numbered(4096, 0x36), 4096), 0);
    EXPECT_EQ(PrepareUdsRequest(Bytes{}, 0), 0);
    EXPECT_FALSE(UdsRequestInFlight());
    EXPECT_TRUE(TesterFrames().empty());
}

// ---- Reassembly -----------------------------------------------------------

struct RxFrame {
    Bytes bytes;
    uint8_t dlc = 8;
};

struct ReassemblyCase {
    const char* name;
    std::vector<RxFrame> frames;
    Bytes response;
    uint32_t announced;
    std::vector<Bytes> testerFlowControls;
};

void PrintTo(const ReassemblyCase& c, std::ostream* os) { *os << c.name; }

class IsoTpReassembly : public UdsFixture, public ::testing::WithParamInterface<ReassemblyCase> {};

TEST_P(IsoTpReassembly, ResponseIsPutTogether)
{
    const ReassemblyCase& c = GetParam();
    ecu.onRequest = [&](const Bytes&) {
        for (const RxFrame& f : c.frames)
            ecu.SendFrame(f.bytes, f.dlc);
    };
    ASSERT_EQ(Exchange({0x22, 0xF1, 0x8A}), 1);
    EXPECT_EQ(UdsResponse, c.response);
    EXPECT_EQ(IsoTpAnnouncedLength(), c.announced);
    EXPECT_EQ(ecu.flowControlsFromTester, c.testerFlowControls);
}

const Bytes kFc{0x30, 0x00, 0x05, 0, 0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Frames, IsoTpReassembly,
    ::testing::Values(
        ReassemblyCase{"SingleFrameKeepsItsPadding", {{{0x03, 0x62, 0xF1, 0x8A}}}, {0x62, 0xF1, 0x8A, 0, 0, 0, 0}, 3, {}},
        ReassemblyCase{"FirstAndConsecutiveFrames",
                       {{{0x10, 0x14, 0x62, 0xF1, 0x8A, 1, 2, 3}},
                        {{0x21, 4, 5, 6, 7, 8, 9, 10}},
                        {{0x22, 11, 12, 13, 14, 15, 16, 17}}},
                       {0x62, 0xF1, 0x8A, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17},
                       20,
                       {kFc}},
        ReassemblyCase{"FirstFrameAnnouncingSixIsIgnored",
                       {{{0x10, 0x06, 0x62, 1, 2, 3, 4, 5}}, {{0x03, 0x62, 0xF1, 0x8A}}},
                       {0x62, 0xF1, 0x8A, 0, 0, 0, 0},
                       3,
                       {}},
        // Seven bytes fit a single frame: a first frame must announce eight or more.
        ReassemblyCase{"FirstFrameAnnouncingSevenIsIgnored",
                       {{{0x10, 0x07, 0x62, 0xF1, 0x8A, 1, 2, 3}},
                        {{0x21, 4, 0, 0, 0, 0, 0, 0}},
                        {{0x03, 0x62, 0xF1, 0x8A}}},
                       {0x62, 0xF1, 0x8A, 0, 0, 0, 0},
                       3,
                       {}},
        ReassemblyCase{"FirstFrameAnnouncingEightIsTaken",
                       {{{0x10, 0x08, 0x62, 0xF1, 0x8A, 1, 2, 3}}, {{0x21, 4, 5, 0, 0, 0, 0, 0}}},
                       {0x62, 0xF1, 0x8A, 1, 2, 3, 4, 5, 0, 0, 0, 0, 0},
                       8,
                       {kFc}},
        ReassemblyCase{"WrongSequenceNumberAbandonsTheMessageAndItsBytes",
                       {{{0x10, 0x14, 0x62, 0xF1, 0x8A, 1, 2, 3}},
                        {{0x21, 4, 5, 6, 7, 8, 9, 10}},
                        {{0x21, 4, 5, 6, 7, 8, 9, 10}},
                        {{0x22, 11, 12, 13, 14, 15, 16, 17}},
                        {{0x04, 0x62, 0xF1, 0x8A, 0x55}}},
                       {0x62, 0xF1, 0x8A, 0x55, 0, 0, 0},
                       4,
                       {kFc}},
        ReassemblyCase{"FramesTooShortForTheirControlBytesAreIgnored",
                       {{{0x03, 0x62, 0x01, 0x02}, 0},
                        {{0x10, 0x14}, 1},
                        {{0x21, 1, 2, 3}, 0},
                        {{0x03, 0x62, 0xF1, 0x8A}, 4}},
                       {0x62, 0xF1, 0x8A},
                       3,
                       {}},
        // Frames whose DLC leaves out bytes the message needs: taking them
        // would shift every later byte, so the message is dropped and the
        // next answer is taken instead.
        ReassemblyCase{"ShortFirstFrameIsIgnored",
                       {{{0x10, 0x14, 0x62, 0xF1, 0x8A, 1}, 6},
                        {{0x21, 4, 5, 6, 7, 8, 9, 10}},
                        {{0x22, 11, 12, 13, 14, 15, 16, 17}},
                        {{0x04, 0x62, 0xF1, 0x8A, 0x55}}},
                       {0x62, 0xF1, 0x8A, 0x55, 0, 0, 0},
                       4,
                       {}},
        ReassemblyCase{"ShortMiddleConsecutiveFrameAbandonsTheMessage",
                       {{{0x10, 0x14, 0x62, 0xF1, 0x8A, 1, 2, 3}},
                        {{0x21, 4, 5, 6, 7}, 5},
                        {{0x22, 11, 12, 13, 14, 15, 16, 17}},
                        {{0x23, 18, 19, 20, 0, 0, 0, 0}},
                        {{0x04, 0x62, 0xF1, 0x8A, 0x55}}},
                       {0x62, 0xF1, 0x8A, 0x55, 0, 0, 0},
                       4,
                       {kFc}},
        ReassemblyCase{"LastConsecutiveFrameShortOfTheAnnouncedLengthAbandonsTheMessage",
                       {{{0x10, 0x0A, 0x62, 0xF1, 0x8A, 1, 2, 3}}, {{0x21, 4, 5}, 3}, {{0x04, 0x62, 0xF1, 0x8A, 0x55}}},
                       {0x62, 0xF1, 0x8A, 0x55, 0, 0, 0},
                       4,
                       {kFc}},
        ReassemblyCase{"LastConsecutiveFrameCarryingJustWhatIsLeftIsTaken",
                       {{{0x10, 0x0A, 0x62, 0xF1, 0x8A, 1, 2, 3}}, {{0x21, 4, 5, 6, 7}, 5}},
                       {0x62, 0xF1, 0x8A, 1, 2, 3, 4, 5, 6, 7},
                       10,
                       {kFc}},
        ReassemblyCase{"PendingAnswerIsReplacedByTheResponseInTheSameStep",
                       {{{0x03, 0x7F, 0x22, 0x78}}, {{0x05, 0x62, 0xF1, 0x8A, 0x41, 0x42}}},
                       {0x62, 0xF1, 0x8A, 0x41, 0x42, 0, 0},
                       5,
                       {}},
        ReassemblyCase{"PendingAfterACompleteResponseIsIgnored",
                       {{{0x03, 0x62, 0xF1, 0x8A}}, {{0x03, 0x7F, 0x22, 0x78}}},
                       {0x62, 0xF1, 0x8A, 0, 0, 0, 0},
                       3,
                       {}},
        // A single frame is never answered with a flow control.
        ReassemblyCase{"OtherFrameAfterACompleteResponseGetsNoFlowControl",
                       {{{0x03, 0x62, 0xF1, 0x8A}}, {{0x02, 0x51, 0x01}}},
                       {0x62, 0xF1, 0x8A, 0, 0, 0, 0},
                       3,
                       {}},
        ReassemblyCase{"SingleFrameWithoutLengthIsIgnored",
                       {{{0x00, 0x62, 0xF1, 0x8A, 0x11}}, {{0x03, 0x62, 0xF1, 0x8A}}},
                       {0x62, 0xF1, 0x8A, 0, 0, 0, 0},
                       3,
                       {}},
        ReassemblyCase{"SingleFrameAnnouncingMoreThanItCarriesIsIgnored",
                       {{{0x05, 0x62, 0xF1, 0x8A, 0x11}, 5},
                        {{0x08, 0x62, 0xF1, 0x8A, 1, 2, 3, 4}},
                        {{0x04, 0x62, 0xF1, 0x8A, 0x22}, 5}},
                       {0x62, 0xF1, 0x8A, 0x22},
                       4,
                       {}},
        ReassemblyCase{"SingleFrameDuringAReceptionReplacesIt",
                       {{{0x10, 0x14, 0x62, 0xF1, 0x8A, 1, 2, 3}},
                        {{0x21, 4, 5, 6, 7, 8, 9, 10}},
                        {{0x04, 0x62, 0xF1, 0x8A, 0x55}},
                        {{0x22, 11, 12, 13, 14, 15, 16, 17}}},
                       {0x62, 0xF1, 0x8A, 0x55, 0, 0, 0},
                       4,
                       {kFc}},
        ReassemblyCase{"FirstFrameDuringAReceptionReplacesIt",
                       {{{0x10, 0x14, 0x62, 0xF1, 0x8A, 1, 2, 3}},
                        {{0x21, 4, 5, 6, 7, 8, 9, 10}},
                        {{0x10, 0x0A, 0x62, 0xF1, 0x8A, 7, 7, 7}},
                        {{0x21, 8, 8, 8, 8, 0, 0, 0}}},
                       {0x62, 0xF1, 0x8A, 7, 7, 7, 8, 8, 8, 8, 0, 0, 0},
                       10,
                       {kFc, kFc}}),
    [](const ::testing::TestParamInfo<ReassemblyCase>& info) { return std::string(info.param.name); });

TEST_F(UdsFixture, SequenceNumberWrapsFromFifteenToZeroOnReception)
{
    Bytes message = Numbered(128, 0x62);
    ecu.AnswerWith(message);
    ASSERT_EQ(Exchange({0x22, 0x01, 0x02}), 1); // the answer echoes identifier 01 02
    ASSERT_EQ(UdsResponse.size(), 6u + 18u * 7u);
    EXPECT_EQ(Bytes(UdsResponse.begin(), UdsResponse.begin() + 128), message);
    EXPECT_EQ(IsoTpAnnouncedLength(), 128u);
}

TEST_F(UdsFixture, ProgrammingSessionAnswerIsTakenOnceUntilTheFlagIsCleared)
{
    ecu.AnswerWith({0x50, 0x02});
    ASSERT_EQ(Exchange({0x10, 0x02}), 1);
    EXPECT_EQ(ProgrammingSessionSeen.load(), 1u);

    EXPECT_EQ(Exchange({0x10, 0x02}), 0) << "a second 50 02 is dropped";

    ProgrammingSessionSeen = 0;
    EXPECT_EQ(Exchange({0x10, 0x02}), 1);
}

TEST_F(UdsFixture, ConsecutiveFrameStartingFiftyTwoIsPlainData)
{
    ProgrammingSessionSeen = 1;
    // The first consecutive frame carries 50 02 in bytes 1 and 2.
    const Bytes message{0x62, 0x01, 0x02, 0x03, 0x04, 0x05, 0x50, 0x02, 0x09, 0x0A};
    ecu.AnswerWith(message);
    ASSERT_EQ(Exchange({0x22, 0x01, 0x02}), 1);
    EXPECT_EQ(Bytes(UdsResponse.begin(), UdsResponse.begin() + 10), message);
}

TEST_F(UdsFixture, RemoteFrameOnTheResponseIdentifierIsNoAnswer)
{
    ecu.onRequest = [&](const Bytes&) {
        sim::CanFrame remote;
        remote.id = kUdsResponseCanId;
        remote.extended = true;
        remote.remote = true;
        remote.dlc = 8;
        ecuNode->Send(remote);
        ecu.SendMessage({0x50, 0x03});
    };
    ASSERT_EQ(Exchange({0x10, 0x03}), 1);
    EXPECT_EQ(UdsResponse, (Bytes{0x50, 0x03, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(ecu.flowControlsFromTester.empty());
}

TEST_F(UdsFixture, ReceiveTraceKeepsTheLastDataFrame)
{
    ecu.AnswerWith({0x62, 0xF1, 0x8A, 0x41});
    RxTraceDeviceType = 3;
    ASSERT_EQ(Exchange({0x22, 0xF1, 0x8A}), 1);
    EXPECT_THAT(LastRxFrameText, ::testing::StartsWith("<0x3: 0>接收到数据帧： 时间标识:"));
    EXPECT_THAT(LastRxFrameText,
                ::testing::EndsWith("帧ID:18daf90b 帧格式:数据帧 帧类型:扩展帧 04 62 f1 8a 41 00 00 00 "));
    RxTraceDeviceType = 0;
}

// ---- The ECU's flow control -----------------------------------------------

// Times (ms) of the tester's frames on the bus.
std::vector<uint64_t> TesterFrameTimesMs(const sim::CanBus& bus)
{
    std::vector<uint64_t> t;
    for (const sim::CanFrame& f : bus.Recorded())
        if (f.id == kUdsRequestCanId)
            t.push_back(f.timeUs / 1000);
    return t;
}

TEST_F(UdsFixture, StminPacesTheConsecutiveFrames)
{
    ecu.flowControl = {{0, {0x30, 0x00, 0x14}}};
    ecu.AnswerWith({0x6E});
    const uint64_t start = NowMs();
    ASSERT_EQ(Exchange(Numbered(30, 0x2E)), 1);
    const std::vector<uint64_t> t = TesterFrameTimesMs(*bus);
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0], start);
    EXPECT_GE(t[1] - t[0], 40u) << "the flow control pause and the timer";
    EXPECT_LE(t[1] - t[0], 42u);
    for (size_t i = 2; i < t.size(); ++i) {
        EXPECT_GE(t[i] - t[i - 1], 20u);
        EXPECT_LE(t[i] - t[i - 1], 21u);
    }
}

TEST_F(UdsFixture, BlockSizeOfTheEcuPausesTheSenderUntilItsNextFlowControl)
{
    // 40 bytes: first frame and five consecutive frames, in blocks of two;
    // the ECU allows each next block 200 ms after the last one.
    ecu.flowControl = {{0, {0x30, 0x02, 0x00}}};
    ecu.blockFlowControl = {{200, {0x30, 0x02, 0x00}}};
    ecu.AnswerWith({0x6E});
    const Bytes request = Numbered(40, 0x2E);
    ASSERT_EQ(Exchange(request), 1);
    ASSERT_EQ(ecu.requests.size(), 1u);
    EXPECT_EQ(ecu.requests[0], request);
    EXPECT_EQ(ecu.unpermittedFrames, 0);
    EXPECT_EQ(ecu.flowControlsSent, 3);
    const std::vector<uint64_t> t = TesterFrameTimesMs(*bus);
    ASSERT_EQ(t.size(), 6u);
    EXPECT_GE(t[3] - t[2], 200u) << "the third frame waits for the second flow control";
    EXPECT_GE(t[5] - t[4], 200u);
}

TEST_F(UdsFixture, FlowControlWaitKeepsTheSenderWaiting)
{
    ecu.flowControl = {{0, {0x31}}, {1000, {0x31}}, {2000, {0x30, 0x00, 0x00}}};
    ecu.AnswerWith({0x6E});
    const Bytes request = Numbered(20, 0x2E);
    ASSERT_EQ(Exchange(request), 1);
    const std::vector<uint64_t> t = TesterFrameTimesMs(*bus);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_GE(t[1] - t[0], 2000u);
    EXPECT_EQ(ecu.requests.at(0), request);
}

TEST_F(UdsFixture, OverflowDropsTheRequestAndEndsTheWaitAtOnce)
{
    ecu.flowControl = {{0, {0x32}}};
    ecu.AnswerWith({0x6E});
    const uint64_t start = NowMs();
    EXPECT_EQ(Exchange(Numbered(20, 0x2E)), 0);
    EXPECT_EQ(TesterFrames().size(), 1u) << "only the first frame";
    EXPECT_TRUE(ecu.requests.empty());
    EXPECT_LE(NowMs() - start, 2u) << "no waiting out the response time";
    EXPECT_EQ(IsoTpTxState(), 0u);
}

// ---- Transmit failures ----------------------------------------------------

TEST_F(UdsFixture, FailedFirstFrameGoesAgainUnchanged)
{
    int firstFrames = 0;
    port.failIf = [&](const Bytes& b) { return (b[0] >> 4) == 1 && firstFrames++ == 0; };
    ecu.AnswerWith({0x6E});
    const Bytes request = Numbered(20, 0x2E);
    ASSERT_EQ(Exchange(request), 1);
    EXPECT_EQ(firstFrames, 2);
    const std::vector<Bytes> frames = TesterFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], (Bytes{0x10, 20, 0x2E, 1, 2, 3, 4, 5}));
    ASSERT_EQ(ecu.requests.size(), 1u);
    EXPECT_EQ(ecu.requests[0], request);
}

TEST_F(UdsFixture, FailedConsecutiveFrameDropsTheRequest)
{
    port.failIf = [](const Bytes& b) { return b[0] == 0x22; };
    ecu.AnswerWith({0x6E});
    EXPECT_EQ(Exchange(Numbered(30, 0x2E)), 0);
    const std::vector<Bytes> frames = TesterFrames();
    ASSERT_EQ(frames.size(), 2u) << "first frame and the first consecutive frame, nothing after the failure";
    EXPECT_EQ(frames[0][0], 0x10);
    EXPECT_EQ(frames[1][0], 0x21);
    EXPECT_TRUE(ecu.requests.empty());
    EXPECT_EQ(IsoTpTxState(), 0u);
}

// An adapter that refuses every frame (bus off, cable out): the frame is
// retried about once a millisecond, not in a tight loop, until the response
// wait gives up with its box.
TEST_F(UdsFixture, AdapterThatNeverSendsIsRetriedPacedUntilTheTimeOut)
{
    int attempts = 0;
    port.failIf = [&](const Bytes&) {
        // Way past one try per millisecond: end the wait so the test reports
        // the spinning instead of hanging in it.
        if (++attempts == 20000)
            clock.Advance(10 * 1000 * 1000);
        return true;
    };
    const uint64_t start = NowMs();
    EXPECT_EQ(UdsDiagnosticSessionControl(0x03), 0);
    EXPECT_GE(NowMs() - start, 3500u);
    EXPECT_LE(NowMs() - start, 3502u);
    EXPECT_GE(attempts, 3000);
    EXPECT_LE(attempts, 3600);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, "Service timeout");
    EXPECT_EQ(prompter.Boxes()[0].caption, "UDS Diagnostic Session Control (0x10)");
}

TEST_F(UdsFixture, FailedSingleFrameGoesAgain)
{
    int tries = 0;
    port.failIf = [&](const Bytes&) { return tries++ < 2; };
    ecu.AnswerWith({0x50, 0x03});
    ASSERT_EQ(Exchange({0x10, 0x03}), 1);
    EXPECT_THAT(TesterFrames(), ElementsAre(Bytes{0x02, 0x10, 0x03, 0, 0, 0, 0, 0}));
}

} // namespace

