// Fault injection as a tester sees it on the wire.
#include "SimEcuFixture.h"

using simtest::Bytes;

namespace {

class SimEcuFaults : public simtest::SimEcuFixture {};

TEST_F(SimEcuFaults, NoAnswerAndNegativeAnswersForChosenServices)
{
    struct Case {
        const char* what;
        std::function<void(sim::SimEcu&)> inject;
        Bytes request;
        Bytes firstAnswer;   // empty: silence
        Bytes secondAnswer;  // the same request again
        Bytes otherService;  // 3E 00 meanwhile
    } cases[] = {
        {"silent once", [](sim::SimEcu& e) { e.SetNoAnswer(0x22, 1); }, {0x22, 0xF1, 0x8A}, {},
         {0x62, 0xF1, 0x8A, 'T', 'R', 'L', 'K'}, {0x7E, 0x00}},
        {"silent for everything", [](sim::SimEcu& e) { e.SetNoAnswer(0); }, {0x22, 0xF1, 0x8A}, {}, {}, {}},
        {"negative always", [](sim::SimEcu& e) { e.SetNegativeResponse(0x22, 0x22); }, {0x22, 0xF1, 0x8A},
         {0x7F, 0x22, 0x22}, {0x7F, 0x22, 0x22}, {0x7E, 0x00}},
        {"negative once", [](sim::SimEcu& e) { e.SetNegativeResponse(0x10, 0x83, 1); }, {0x10, 0x03},
         {0x7F, 0x10, 0x83}, {0x50, 0x03, 0x00, 0x32, 0x01, 0xF4}, {0x7E, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ecu->ClearFaults();
        c.inject(*ecu);
        EXPECT_EQ(Request(c.request), c.firstAnswer);
        EXPECT_EQ(Request(c.request), c.secondAnswer);
        EXPECT_EQ(Request({0x3E, 0x00}), c.otherService);
    }
    // A refused request is not carried out.
    ecu->ClearFaults();
    ASSERT_EQ(Request({0x10, 0x01})[0], 0x50);
    ecu->SetNegativeResponse(0x10, 0x22);
    EXPECT_EQ(Request({0x10, 0x03}), (Bytes{0x7F, 0x10, 0x22}));
    EXPECT_EQ(ecu->Session(), 0x01);
    ecu->ClearFaults();
    EXPECT_EQ(Request({0x22, 0xF1, 0x8A}).size(), 7u);
}

TEST_F(SimEcuFaults, ResponsePendingAnswersComeBeforeTheRealOne)
{
    ecu->SetResponsePending(0x31, 3, 1000, 1);
    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    const uint64_t start = clock.NowUs();
    tester->Send({0x31, 0x01, 0x02, 0x03});
    std::vector<simtest::Message> got;
    while (auto m = tester->Next(3500))
        got.push_back(*m);
    ASSERT_EQ(got.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(got[i].bytes, (Bytes{0x7F, 0x31, 0x78}));
        EXPECT_EQ(got[i].timeUs - start, uint64_t(i) * 1000000);
    }
    EXPECT_EQ(got[3].bytes, (Bytes{0x71, 0x01, 0x02, 0x03, 0x00}));
    EXPECT_EQ(got[3].timeUs - start, 3000000u);
    EXPECT_EQ(ecu->Stats().pendingResponses, 3u);
    // Used up: the next one answers at once.
    tester->Send({0x31, 0x01, 0x02, 0x03});
    auto m = tester->Next(0);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->bytes[0], 0x71);
}

TEST_F(SimEcuFaults, PendingAnswersLongerThanS3KeepTheSession)
{
    ASSERT_EQ(Request({0x10, 0x03})[0], 0x50);
    ecu->SetResponsePending(0x31, 8, 1000, 1);
    EXPECT_EQ(Request({0x31, 0x01, 0x02, 0x03}), (Bytes{0x71, 0x01, 0x02, 0x03, 0x00}));
    EXPECT_EQ(ecu->Session(), 0x03);
    EXPECT_EQ(ecu->Stats().s3Timeouts, 0u);
}

TEST_F(SimEcuFaults, PendingThenSuppressedRequestStillGetsItsAnswer)
{
    ecu->SetResponsePending(0x3E, 1, 200);
    tester->Send({0x3E, 0x80});
    auto first = tester->Next(10);
    auto second = tester->Next(300);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->bytes, (Bytes{0x7F, 0x3E, 0x78}));
    EXPECT_EQ(second->bytes, (Bytes{0x7E, 0x00}));
}

TEST_F(SimEcuFaults, ANewRequestCancelsTheAnswerStillDue)
{
    ecu->SetResponsePending(0x22, 2, 1000, 1);
    tester->Send({0x22, 0xF1, 0x8A});
    clock.Advance(500 * 1000);
    EXPECT_EQ(Request({0x3E, 0x00}), (Bytes{0x7E, 0x00}));
    tester->messages.clear();
    EXPECT_FALSE(tester->Next(3000));
}

TEST_F(SimEcuFaults, ShortDlcFramesCarryOnlyTheirBytes)
{
    ecu->SetShortDlc(true);
    tester->frames.clear();
    EXPECT_EQ(Request({0x3E, 0x00}), (Bytes{0x7E, 0x00}));
    ASSERT_EQ(tester->frames.size(), 1u);
    EXPECT_EQ(tester->frames[0].dlc, 3);

    tester->frames.clear();
    EXPECT_EQ(Request({0x22, 0xF1, 0x90}).size(), 20u);
    ASSERT_EQ(tester->frames.size(), 3u);
    EXPECT_EQ(tester->frames[0].dlc, 8);
    EXPECT_EQ(tester->frames[1].dlc, 8);
    EXPECT_EQ(tester->frames[2].dlc, 1 + 20 - 6 - 7);

    // Our flow control shrinks to its three bytes.
    tester->frames.clear();
    tester->Send({0x2E, 0x00, 0xA0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    ASSERT_FALSE(tester->frames.empty());
    EXPECT_EQ(tester->frames[0].data[0], 0x30);
    EXPECT_EQ(tester->frames[0].dlc, 3);

    ecu->ClearFaults();
    tester->frames.clear();
    Request({0x3E, 0x00});
    ASSERT_EQ(tester->frames.size(), 1u);
    EXPECT_EQ(tester->frames[0].dlc, 8);
}

TEST_F(SimEcuFaults, ProgrammingSessionAnsweredTwice)
{
    ecu->SetDuplicateProgrammingSessionAnswer(true);
    const Bytes positive{0x50, 0x02, 0x00, 0x32, 0x01, 0xF4};
    tester->Send({0x10, 0x02});
    auto a = tester->Next(10);
    auto b = tester->Next(10);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->bytes, positive);
    EXPECT_EQ(b->bytes, positive);
    EXPECT_FALSE(tester->Next(100));
    // Other sessions are answered once.
    tester->Send({0x10, 0x03});
    EXPECT_TRUE(tester->Next(10));
    EXPECT_FALSE(tester->Next(100));
}

TEST_F(SimEcuFaults, StatisticsCountWhatHappened)
{
    ecu->SetNoAnswer(0x22, 1);
    Request({0x22, 0xF1, 0x8A}, 100);
    Request({0x22, 0xF1, 0x8A});
    Request({0x22, 0x99, 0x99});
    tester->Send({0x3E, 0x80});
    auto s = ecu->Stats();
    EXPECT_EQ(s.requests, 4u);
    EXPECT_EQ(s.requestsByService[0x22], 3u);
    EXPECT_EQ(s.positiveResponses, 1u);
    EXPECT_EQ(s.negativeResponses, 1u);
    EXPECT_EQ(s.unanswered, 2u);
    EXPECT_EQ(s.framesIn, 4u);
    EXPECT_EQ(s.framesOut, 2u);
    auto log = ecu->Requests();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[3], (Bytes{0x3E, 0x80}));
}

} // namespace
