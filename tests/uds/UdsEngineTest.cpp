// The send-and-wait engine: response pending, time-outs and their boxes, the
// counted time-outs of a running test, quitting, and one request at a time.
#include "UdsTestBench.h"

#include "DelayPumping.h"
#include "Pump.h"
#include "UdsEngine.h"

#include <gmock/gmock.h>

#include <thread>

namespace {

using namespace udstest;
using namespace tarvel;

// A pump that runs a handler (once per call, as an event loop would).
class HandlerPump : public MessagePump {
public:
    void PumpPending() override
    {
        ++calls;
        if (handler)
            handler();
    }
    bool QuitRequested() const override { return quit; }
    void SetHeldWork(HeldWork work) override { held = std::move(work); }

    std::function<void()> handler;
    HeldWork held; // what the wait hands over while a handler holds it
    int calls = 0;
    bool quit = false;
};

class ScopedPump {
public:
    explicit ScopedPump(MessagePump& p) { SetPump(&p); }
    ~ScopedPump() { SetPump(nullptr); }
};

TEST_F(UdsFixture, PendingThenPositiveReturnsThePositiveResponse)
{
    ecu.onRequest = [&](const Bytes&) {
        ecu.SendMessage({0x7F, 0x22, 0x78});
        ecu.SendMessageIn(2000, {0x62, 0xF1, 0x8A, 0x41});
    };
    std::vector<uint8_t> out;
    EXPECT_EQ(UdsReadById(0xF18A, out), 1);
    EXPECT_EQ(out, (Bytes{0x41, 0, 0, 0}));
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(UdsFixture, EachPendingAnswerRestartsTheResponseWait)
{
    // Pending every second for four seconds: the full wait is longer than
    // one response time-out, and still succeeds.
    ecu.onRequest = [&](const Bytes&) {
        for (uint64_t ms = 0; ms <= 4000; ms += 1000)
            ecu.SendMessageIn(ms, {0x7F, 0x22, 0x78});
        ecu.SendMessageIn(7000, {0x62, 0xF1, 0x8A, 0x41});
    };
    std::vector<uint8_t> out;
    const uint64_t start = NowMs();
    EXPECT_EQ(UdsReadById(0xF18A, out), 1);
    EXPECT_EQ(NowMs() - start, 7000u);
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(UdsFixture, SilenceAfterPendingIsATimeOutOnePendingWaitLater)
{
    ecu.onRequest = [&](const Bytes&) { ecu.SendMessageIn(2000, {0x7F, 0x22, 0x78}); };
    std::vector<uint8_t> out;
    const uint64_t start = NowMs();
    EXPECT_EQ(UdsReadById(0xF18A, out), 0);
    EXPECT_GE(NowMs() - start, 7000u);
    EXPECT_LE(NowMs() - start, 7002u);
}

TEST_F(UdsFixture, EndlessPendingEndsAsATimeOutAfterThirtySeconds)
{
    ecu.onRequest = [&](const Bytes&) {
        for (uint64_t ms = 0; ms < 60000; ms += 3000)
            ecu.SendMessageIn(ms, {0x7F, 0x31, 0x78});
    };
    std::vector<uint8_t> out;
    const uint64_t start = NowMs();
    EXPECT_EQ(UdsRoutineControl(0xFF00, 0x01, out), 0);
    EXPECT_GE(NowMs() - start, 30000u);
    EXPECT_LE(NowMs() - start, 30002u);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, "Service timeout");
    EXPECT_EQ(prompter.Boxes()[0].caption, "Routine Control (0x31)");
}

TEST_F(UdsFixture, LateAnswerToATimedOutRequestIsNotTakenForTheNextOne)
{
    // The first read is answered only after its wait gave up, so its answer
    // sits in the adapter when the second read goes out.
    ecu.onRequest = [&](const Bytes& request) {
        if (request == Bytes{0x22, 0xF1, 0x8A})
            ecu.SendMessageIn(4000, {0x62, 0xF1, 0x8A, 0x11});
        else if (request == Bytes{0x22, 0xF1, 0x90})
            ecu.SendMessage({0x62, 0xF1, 0x90, 0x22});
    };
    std::vector<uint8_t> out;
    UdsQuiet = 1;
    EXPECT_EQ(UdsReadById(0xF18A, out), 0);
    clock.Advance(1000 * 1000); // the late answer arrives while nothing waits

    EXPECT_EQ(UdsReadById(0xF190, out), 1);
    ASSERT_GE(out.size(), 1u);
    EXPECT_EQ(out[0], 0x22) << "the answer to F190, not the late one to F18A";
    EXPECT_EQ(prompter.Count(), 0u);
    EXPECT_TRUE(ecu.flowControlsFromTester.empty()) << "no flow control wait sent for the real answer";
}

TEST_F(UdsFixture, PendingForAnotherServiceIsPassedOver)
{
    ecu.AnswerWith({0x7F, 0x31, 0x78});
    std::vector<uint8_t> out;
    const uint64_t start = NowMs();
    EXPECT_EQ(UdsReadById(0xF18A, out), 0);
    EXPECT_GE(NowMs() - start, 3500u) << "no answer to 22 came";
    EXPECT_LE(NowMs() - start, 3502u);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, "Service timeout");
    EXPECT_EQ(prompter.Boxes()[0].caption, "ReadById (0x22)");
}

struct TimeoutCase {
    const char* name;
    uint32_t quiet;
    bool quietWait;
    size_t boxes;
};

void PrintTo(const TimeoutCase& c, std::ostream* os) { *os << c.name; }

class UdsTimeoutBox : public UdsFixture, public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(UdsTimeoutBox, SilenceEndsTheWaitAfterTheResponseTime)
{
    const TimeoutCase& c = GetParam();
    UdsQuiet = c.quiet;
    const uint64_t start = NowMs();
    ASSERT_EQ(PrepareUdsRequest({0x22, 0xF1, 0x8A}, 3), 1);
    const int result =
        c.quietWait ? WaitUdsResponseQuiet(0x22, "ReadById (0x22)") : WaitUdsResponse(0x22, "ReadById (0x22)");
    EXPECT_EQ(result, 0);
    EXPECT_GE(NowMs() - start, 3500u);
    EXPECT_LE(NowMs() - start, 3502u);
    ASSERT_EQ(prompter.Count(), c.boxes);
    if (c.boxes) {
        EXPECT_EQ(prompter.Boxes()[0].text, "Service timeout");
        EXPECT_EQ(prompter.Boxes()[0].caption, "ReadById (0x22)");
        EXPECT_EQ(prompter.Boxes()[0].icon, MsgIcon::Exclamation);
    }
    EXPECT_FALSE(UdsRequestInFlight());
}

INSTANTIATE_TEST_SUITE_P(Waits, UdsTimeoutBox,
                         ::testing::Values(TimeoutCase{"NormalWaitShowsTheBox", 0, false, 1},
                                           TimeoutCase{"QuietFlagShowsNothing", 1, false, 0},
                                           TimeoutCase{"QuietWaitShowsNothing", 0, true, 0},
                                           TimeoutCase{"QuietWaitAndFlagShowNothing", 1, true, 0}),
                         [](const ::testing::TestParamInfo<TimeoutCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(UdsFixture, TesterPresentTimeOutIsSilentAndLeavesQuietOff)
{
    UdsQuiet = 1;
    EXPECT_EQ(UdsTesterPresent(), 0);
    EXPECT_EQ(prompter.Count(), 0u);
    EXPECT_EQ(UdsQuiet.load(), 0u);
}

TEST_F(UdsFixture, RunningTestShowsEveryThirdConsecutiveTimeOut)
{
    TestRunning = 1;
    UdsQuiet = 1; // a running test counts whatever the quiet flag says
    std::vector<uint8_t> out;
    EXPECT_EQ(UdsReadById(0x0100, out), 0);
    EXPECT_EQ(UdsReadById(0x0100, out), 0);
    EXPECT_EQ(prompter.Count(), 0u);
    EXPECT_EQ(UdsReadById(0x0100, out), 0);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].caption, "ReadById (0x22)");
    EXPECT_EQ(UdsTimeoutCount.load(), 0u);

    // An answered request between time-outs starts the count again.
    EXPECT_EQ(UdsReadById(0x0100, out), 0);
    EXPECT_EQ(UdsReadById(0x0100, out), 0);
    ecu.AnswerWith({0x62, 0x01, 0x00, 0x01});
    EXPECT_EQ(UdsReadById(0x0100, out), 1);
    ecu.onRequest = nullptr;
    EXPECT_EQ(UdsReadById(0x0100, out), 0);
    EXPECT_EQ(UdsReadById(0x0100, out), 0);
    EXPECT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(UdsReadById(0x0100, out), 0);
    EXPECT_EQ(prompter.Count(), 2u);
}

TEST_F(UdsFixture, QuietWaitOfARunningTestCountsSilently)
{
    TestRunning = 1;
    std::vector<uint8_t> out;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(UdsReadByIdQuiet(0x0100, out), 0);
    EXPECT_EQ(prompter.Count(), 0u);
    EXPECT_EQ(UdsTimeoutCount.load(), 0u);
}

TEST_F(UdsFixture, QuitRequestEndsTheWait)
{
    HandlerPump pump;
    ScopedPump scoped(pump);
    const uint64_t start = NowMs();
    pump.handler = [&] {
        if (NowMs() - start >= 100)
            pump.quit = true;
    };
    std::vector<uint8_t> out;
    EXPECT_EQ(UdsReadById(0xF18A, out), 0);
    EXPECT_LT(NowMs() - start, 200u);
    EXPECT_EQ(prompter.Count(), 0u);
    EXPECT_FALSE(UdsRequestInFlight());

    const uint64_t before = NowMs();
    DelayPumpingMessages(5000);
    EXPECT_EQ(NowMs(), before) << "a pause ends at once while the quit is pending";
}

TEST_F(UdsFixture, RequestFromAHandlerDuringAWaitIsRefused)
{
    HandlerPump pump;
    ScopedPump scoped(pump);
    ecu.onRequest = [&](const Bytes& request) {
        if (request[0] == 0x22)
            ecu.SendMessageIn(50, {0x62, 0xF1, 0x8A, 0x33});
    };
    int nestedResult = -1;
    bool inFlightSeen = false;
    pump.handler = [&] {
        if (nestedResult != -1)
            return;
        inFlightSeen = UdsRequestInFlight();
        nestedResult = UdsTesterPresent();
        EXPECT_EQ(PrepareUdsRequest({0x3E, 0x00}, 2), 0);
        EXPECT_EQ(WaitUdsResponse(0x3E, "nested"), 0);
    };
    std::vector<uint8_t> out;
    EXPECT_EQ(UdsReadById(0xF18A, out), 1);
    EXPECT_EQ(out, (Bytes{0x33, 0, 0, 0}));
    EXPECT_EQ(nestedResult, 0);
    EXPECT_TRUE(inFlightSeen);
    EXPECT_EQ(ecu.requests.size(), 1u) << "the nested request never reached the bus";
    EXPECT_EQ(prompter.Count(), 0u);
    EXPECT_FALSE(UdsRequestInFlight());

    // Afterwards the link serves requests again.
    pump.handler = nullptr;
    ecu.AnswerWith({0x7E, 0x00});
    EXPECT_EQ(UdsTesterPresent(), 1);
}

TEST_F(UdsFixture, RequestFromAnotherThreadDuringAWaitIsRefused)
{
    HandlerPump pump;
    ScopedPump scoped(pump);
    ecu.onRequest = [&](const Bytes& request) {
        if (request[0] == 0x22)
            ecu.SendMessageIn(50, {0x62, 0xF1, 0x8A, 0x33});
    };
    int otherResult = -1;
    std::string otherDtcs = "unset";
    pump.handler = [&] {
        if (otherResult != -1)
            return;
        std::thread other([&] {
            std::vector<uint8_t> out;
            otherResult = UdsReadByIdQuiet(0x0101, out);
            otherDtcs = UdsReadDtcByStatus(0xFF);
        });
        other.join();
    };
    std::vector<uint8_t> out;
    EXPECT_EQ(UdsReadById(0xF18A, out), 1);
    EXPECT_EQ(otherResult, 0);
    EXPECT_EQ(otherDtcs, "");
    EXPECT_EQ(ecu.requests.size(), 1u);
}

TEST_F(UdsFixture, BareRequestHoldsTheLinkUntilItsWaitEnds)
{
    ecu.AnswerWith({0x7E, 0x00});
    ASSERT_EQ(PrepareUdsRequest({0x3E, 0x00}, 2), 1);
    EXPECT_TRUE(UdsRequestInFlight());
    int otherResult = -1;
    std::thread other([&] { otherResult = UdsTesterPresent(); });
    other.join();
    EXPECT_EQ(otherResult, 0);
    EXPECT_EQ(WaitUdsResponse(0x3E, "UDS TesterPresent (0x3E)"), 1);
    EXPECT_FALSE(UdsRequestInFlight());
    EXPECT_EQ(UdsTesterPresent(), 1);
}

TEST_F(UdsFixture, DelayPumpingMessagesWaitsItsDurationWhilePumping)
{
    HandlerPump pump;
    ScopedPump scoped(pump);
    const uint64_t start = NowMs();
    EXPECT_GE(DelayPumpingMessages(500), 500u);
    EXPECT_EQ(NowMs() - start, 500u);
    EXPECT_GE(pump.calls, 250);

    pump.calls = 0;
    EXPECT_EQ(DelayPumpingMessages(0), 0u);
    EXPECT_EQ(pump.calls, 1) << "a zero pause still handles what is pending";
    EXPECT_EQ(NowMs() - start, 500u);
    EXPECT_EQ(DelayPumpingMessagesFixed(7), 7u);
}

TEST_F(UdsFixture, InitUdsLinkPausesThenSetsTheResponseTime)
{
    UdsResponseTimeoutMs = 0;
    DownloadMaxBlockLength = 77;
    const uint64_t start = NowMs();
    InitUdsLink();
    EXPECT_EQ(NowMs() - start, 3500u);
    EXPECT_EQ(UdsResponseTimeoutMs.load(), 3500u);
    EXPECT_EQ(DownloadMaxBlockLength.load(), 0u);
}

// ---- A handler that holds the wait (a box left open) ----------------------

struct HeldCase {
    const char* name;
    Bytes request;            // sent with its service call below
    Bytes answer;             // the ECU's answer, `answerMs` after the request
    uint64_t answerMs;
    uint64_t holdMs;          // how long the handler holds the thread
    int result;               // what the wait returns once the handler is done
    size_t keepAlives;        // TesterPresent frames while it was held
    uint8_t ecuStmin = 0;     // the pause the ECU's flow control asks for
};

void PrintTo(const HeldCase& c, std::ostream* os) { *os << c.name; }

class UdsHeldWait : public UdsFixture, public ::testing::WithParamInterface<HeldCase> {};

// The handler runs on the wait's first pump, right after the first frame of
// the request went out, and holds the thread for `holdMs` in a loop of its
// own, which runs what the wait handed to the pump every millisecond, as the
// program's pump does while a box is open.
TEST_P(UdsHeldWait, TheRequestIsServedToItsAnswerAndTheSessionKept)
{
    const HeldCase& c = GetParam();
    HandlerPump pump;
    ScopedPump scoped(pump);
    uint64_t requestAtMs = 0;
    ecu.flowControl = {{0, {0x30, 0x00, c.ecuStmin}}};
    ecu.onRequest = [&](const Bytes& request) {
        if (request != c.request)
            return;
        requestAtMs = NowMs();
        if (!c.answer.empty())
            ecu.SendMessageIn(c.answerMs, c.answer);
    };
    bool heldOnce = false;
    uint64_t heldFrom = 0;
    uint64_t heldUntil = 0;
    pump.handler = [&] {
        if (heldOnce)
            return;
        heldOnce = true;
        heldFrom = NowMs();
        for (uint64_t ms = 0; ms < c.holdMs; ++ms) {
            clock.Advance(1000);
            if (pump.held)
                pump.held();
        }
        heldUntil = NowMs();
    };
    int result = -1;
    std::vector<uint8_t> out;
    if (c.request[0] == 0x36)
        result = UdsTransferData(static_cast<int>(c.request.size() - 2), c.request[1],
                                 Bytes(c.request.begin() + 2, c.request.end()));
    else
        result = UdsReadById(static_cast<uint16_t>(c.request[1] << 8 | c.request[2]), out);
    ASSERT_TRUE(heldOnce) << "the handler ran";
    EXPECT_EQ(result, c.result);
    ASSERT_GE(ecu.requests.size(), 1u);
    EXPECT_EQ(ecu.requests[0], c.request) << "the request reached the ECU whole while the handler held the wait";
    EXPECT_LT(requestAtMs, heldUntil) << "the whole request was out before the handler let go";
    EXPECT_EQ(ecu.unpermittedFrames, 0);
    if (c.result == 1) {
        ASSERT_GE(UdsResponse.size(), c.answer.size());
        EXPECT_TRUE(std::equal(c.answer.begin(), c.answer.end(), UdsResponse.begin()));
        EXPECT_EQ(prompter.Count(), 0u);
    } else {
        ASSERT_EQ(prompter.Count(), 1u) << "the time-out is told once the handler is done";
        EXPECT_EQ(prompter.Boxes()[0].text, "Service timeout");
    }
    // After the answer: a TesterPresent that asks for no answer, every two
    // seconds, and nothing else.
    const std::vector<Bytes> keepAlives(ecu.requests.begin() + 1, ecu.requests.end());
    EXPECT_EQ(keepAlives, std::vector<Bytes>(c.keepAlives, Bytes{0x3E, 0x80}));
    EXPECT_EQ(heldUntil - heldFrom, c.holdMs);
    EXPECT_FALSE(UdsRequestInFlight());
}

INSTANTIATE_TEST_SUITE_P(
    Waits, UdsHeldWait,
    ::testing::Values(
        // A block of 1024 data bytes: first frame, then 146 consecutive frames
        // that only the pump's held work sends.
        HeldCase{"SegmentedRequestHeldSixSeconds",
                 [] {
                     Bytes b{0x36, 0x01};
                     for (int i = 0; i < 1024; ++i)
                         b.push_back(static_cast<uint8_t>(i * 7));
                     return b;
                 }(),
                 {0x76, 0x01}, 20, 6000, 1, 2},
        // The same block paced by the ECU (20 ms between frames): the pause
        // before the first consecutive frame holds nothing up either.
        HeldCase{"PacedSegmentedRequestHeldSixSeconds",
                 [] {
                     Bytes b{0x36, 0x02};
                     for (int i = 0; i < 1024; ++i)
                         b.push_back(static_cast<uint8_t>(i * 5));
                     return b;
                 }(),
                 {0x76, 0x02}, 20, 6000, 1, 1, 20},
        // An answer of 20 bytes that comes in frame by frame: the tester's
        // flow control goes out while the handler holds the wait.
        HeldCase{"SegmentedAnswerHeldThirtySeconds",
                 {0x22, 0xF1, 0x90},
                 {0x62, 0xF1, 0x90, 'W', 'D', 'B', '9', '6', '3', '4', '0', '3', '1', 'L', '1', '2', '3', '4', '5', '6'},
                 100, 30000, 1, 14},
        // The ECU says nothing: the wait ends as a time-out, without keeping
        // a session that nobody answers.
        HeldCase{"SilentEcuHeldSixSeconds", {0x22, 0xF1, 0x8A}, {}, 0, 6000, 0, 0}),
    [](const ::testing::TestParamInfo<HeldCase>& info) { return std::string(info.param.name); });


// A block of TransferData that takes 147 frames to go out.
Bytes LongBlock(uint8_t counter)
{
    Bytes b{0x36, counter};
    for (int i = 0; i < 1024; ++i)
        b.push_back(static_cast<uint8_t>(i * 3 + counter));
    return b;
}

int Send(const Bytes& request)
{
    if (request[0] == 0x36)
        return UdsTransferData(static_cast<int>(request.size() - 2), request[1],
                               Bytes(request.begin() + 2, request.end()));
    std::vector<uint8_t> out;
    return UdsReadById(static_cast<uint16_t>(request[1] << 8 | request[2]), out);
}

struct PaceCase {
    const char* name;
    Bytes request;
    Bytes answer;
    uint8_t ecuStmin; // the pause between frames the ECU's flow control asks for
};

void PrintTo(const PaceCase& c, std::ostream* os) { *os << c.name; }

class UdsHeldPace : public UdsFixture, public ::testing::WithParamInterface<PaceCase> {};

// The handler holds the wait for six seconds in a loop that runs the held
// work when it asks to run next, as the program's pump does: every
// millisecond while the request or its answer is on its way, and once the
// answer is in only when a keep-alive is due.
TEST_P(UdsHeldPace, TheHeldWorkWakesOnlyForTheKeepAliveOnceTheAnswerIsIn)
{
    const PaceCase& c = GetParam();
    constexpr uint64_t kHoldMs = 6000;
    constexpr uint64_t kAnswerMs = 20;
    HandlerPump pump;
    ScopedPump scoped(pump);
    ecu.flowControl = {{0, {0x30, 0x00, c.ecuStmin}}};
    uint64_t answeredAtMs = 0;
    ecu.onRequest = [&](const Bytes& request) {
        if (request != c.request)
            return;
        answeredAtMs = NowMs() + kAnswerMs;
        ecu.SendMessageIn(kAnswerMs, c.answer);
    };
    std::vector<std::pair<uint64_t, uint32_t>> runs; // when the work ran, and what it asked for
    bool heldOnce = false;
    pump.handler = [&] {
        if (heldOnce)
            return;
        heldOnce = true;
        const uint64_t until = NowMs() + kHoldMs;
        while (pump.held && NowMs() < until) {
            const uint32_t nextMs = pump.held();
            runs.emplace_back(NowMs(), nextMs);
            ASSERT_GE(nextMs, 1u);
            clock.Advance(std::min<uint64_t>(nextMs, until - NowMs()) * 1000);
        }
    };
    EXPECT_EQ(Send(c.request), 1);
    ASSERT_TRUE(heldOnce);
    ASSERT_NE(answeredAtMs, 0u) << "the request reached the ECU whole while the handler held the wait";
    // In flight: the present pace, every millisecond up to the answer.
    const auto afterAnswer =
        std::find_if(runs.begin(), runs.end(), [&](const auto& run) { return run.first >= answeredAtMs; });
    for (auto run = runs.begin(); run != afterAnswer; ++run)
        EXPECT_EQ(run->second, 1u) << "at " << run->first << " ms";
    EXPECT_GE(static_cast<uint64_t>(afterAnswer - runs.begin()), answeredAtMs - runs.front().first);
    // Answered (the run that took the answer first): one run for each
    // keep-alive, each two seconds after the last traffic, and the session
    // kept as before.
    const std::vector<Bytes> keepAlives(ecu.requests.begin() + 1, ecu.requests.end());
    EXPECT_EQ(keepAlives, std::vector<Bytes>(2, Bytes{0x3E, 0x80}));
    std::vector<uint64_t> wakes;
    for (auto run = afterAnswer; run != runs.end(); ++run)
        wakes.push_back(run->first);
    EXPECT_EQ(wakes, (std::vector<uint64_t>{answeredAtMs, answeredAtMs + 2000, answeredAtMs + 4000}));
}

INSTANTIATE_TEST_SUITE_P(
    Waits, UdsHeldPace,
    ::testing::Values(PaceCase{"SingleFrameRequest", {0x22, 0xF1, 0x8A}, {0x62, 0xF1, 0x8A, 0x41}, 0},
                      PaceCase{"PacedSegmentedRequest", LongBlock(1), {0x76, 0x01}, 5}),
    [](const ::testing::TestParamInfo<PaceCase>& info) { return std::string(info.param.name); });

struct ClosingCase {
    const char* name;
    Bytes request;
    Bytes answer;       // 20 ms after the request
    uint64_t closeAtMs; // into the hold
};

void PrintTo(const ClosingCase& c, std::ostream* os) { *os << c.name; }

class UdsHeldClosing : public UdsFixture, public ::testing::WithParamInterface<ClosingCase> {};

// The program starts closing while a box holds the wait: from then on the
// held work sends nothing at all, neither the rest of a request nor a
// keep-alive, however long the box stays open.
TEST_P(UdsHeldClosing, NothingGoesToTheEcuOnceTheProgramCloses)
{
    const ClosingCase& c = GetParam();
    HandlerPump pump;
    ScopedPump scoped(pump);
    ecu.flowControl = {{0, {0x30, 0x00, 10}}}; // 10 ms between frames: a block takes 1.5 s
    ecu.onRequest = [&](const Bytes& request) {
        if (request == c.request)
            ecu.SendMessageIn(20, c.answer);
    };
    size_t framesAtClose = 0;
    bool heldOnce = false;
    pump.handler = [&] {
        if (heldOnce)
            return;
        heldOnce = true;
        for (uint64_t ms = 0; ms < 8000; ++ms) {
            if (ms == c.closeAtMs) {
                pump.quit = true;
                framesAtClose = ecu.framesFromTester.size();
            }
            clock.Advance(1000);
            if (pump.held)
                pump.held();
        }
    };
    Send(c.request);
    ASSERT_TRUE(heldOnce);
    ASSERT_GT(framesAtClose, 0u);
    EXPECT_EQ(ecu.framesFromTester.size(), framesAtClose) << "frames went out after the close";
    EXPECT_EQ(std::count(ecu.requests.begin(), ecu.requests.end(), Bytes{0x3E, 0x80}), 0);
    EXPECT_FALSE(UdsRequestInFlight());
}

INSTANTIATE_TEST_SUITE_P(
    Waits, UdsHeldClosing,
    ::testing::Values(ClosingCase{"AnsweredWait", {0x22, 0xF1, 0x8A}, {0x62, 0xF1, 0x8A, 0x41}, 1000},
                      ClosingCase{"RequestHalfSent", LongBlock(2), {0x76, 0x02}, 500}),
    [](const ::testing::TestParamInfo<ClosingCase>& info) { return std::string(info.param.name); });

} // namespace
