// ISO-TP on the ECU side: our flow control, the tester's flow control,
// sequence numbers, addressing, and the ECU on several buses.
#include "SimEcuData.h"
#include "SimEcuFixture.h"
#include "SimWorld.h"

#include <chrono>
#include <thread>

using simtest::Bytes;

namespace {

class SimEcuTransport : public simtest::SimEcuFixture {
protected:
    // A writable DID long enough to need several frames both ways.
    void SetUp() override
    {
        SimEcuFixture::SetUp();
        ecu->RegisterDid(0x0300, Bytes(60, 0x11), true, false, false);
    }
    static Bytes LongWrite(size_t dataBytes)
    {
        Bytes r{0x2E, 0x03, 0x00};
        for (size_t i = 0; i < dataBytes; ++i)
            r.push_back(uint8_t(i + 1));
        return r;
    }
};

TEST_F(SimEcuTransport, OurFlowControlCarriesTheConfiguredBlockSizeAndStMin)
{
    struct Case {
        uint8_t bs, st;
        size_t expectedFlowControls;  // for 3 + 60 bytes = FF + 9 CFs
    } cases[] = {{0, 0, 1}, {2, 10, 5}, {4, 0xF3, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.bs));
        ecu->SetFlowControl(c.bs, c.st);
        tester->frames.clear();
        EXPECT_EQ(Request(LongWrite(60)), (Bytes{0x6E, 0x03, 0x00}));
        size_t fcs = 0;
        for (const auto& f : tester->frames) {
            if ((f.data[0] >> 4) != 3)
                continue;
            ++fcs;
            EXPECT_EQ(f.data[0], 0x30);
            EXPECT_EQ(f.data[1], c.bs);
            EXPECT_EQ(f.data[2], c.st);
            EXPECT_EQ(f.dlc, 8);
        }
        EXPECT_EQ(fcs, c.expectedFlowControls);
        const Bytes written = LongWrite(60);
        EXPECT_EQ(ecu->Did(0x0300), Bytes(written.begin() + 3, written.end()));
    }
}

TEST_F(SimEcuTransport, ResponsesHonourTheTestersStMinAndBlockSize)
{
    // 30 00 05 (the tester's own): every gap between consecutive frames >= 5 ms.
    tester->frames.clear();
    Bytes answer = Request({0x22, 0x03, 0x00});
    ASSERT_EQ(answer.size(), 63u);
    ASSERT_EQ(tester->frames.size(), 10u);
    for (size_t i = 2; i < tester->frames.size(); ++i)
        EXPECT_GE(tester->frames[i].timeUs - tester->frames[i - 1].timeUs, 5000u) << i;
    for (size_t i = 1; i < tester->frames.size(); ++i)
        EXPECT_EQ(tester->frames[i].data[0], 0x20 | (i & 0x0F));

    // Block size 3: after three consecutive frames the ECU waits for us.
    tester->fcBlockSize = 3;
    tester->fcStMin = 0;
    tester->frames.clear();
    tester->Send({0x22, 0x03, 0x00});
    clock.Advance(500 * 1000);
    EXPECT_EQ(tester->frames.size(), 4u) << "first frame and one block";
    tester->SendFlowControl(1, 0, 0);  // wait: still nothing
    clock.Advance(500 * 1000);
    EXPECT_EQ(tester->frames.size(), 4u);
    tester->SendFlowControl(0, 3, 0);
    clock.Advance(10 * 1000);
    EXPECT_EQ(tester->frames.size(), 7u);
    tester->SendFlowControl(0, 3, 0);
    auto m = tester->Next();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->bytes, answer);
}

TEST_F(SimEcuTransport, TheResponseIsDroppedOnOverflowOrMissingFlowControl)
{
    tester->autoFlowControl = false;
    for (bool overflow : {true, false}) {
        SCOPED_TRACE(overflow);
        tester->frames.clear();
        tester->Send({0x22, 0x03, 0x00});
        ASSERT_EQ(tester->frames.size(), 1u);
        if (overflow)
            tester->SendFlowControl(2, 0, 0);
        clock.Advance(1500 * 1000);
        // A late continue after the ECU gave up brings nothing.
        tester->SendFlowControl(0, 0, 0);
        clock.Advance(100 * 1000);
        EXPECT_EQ(tester->frames.size(), 1u);
    }
    tester->autoFlowControl = true;
    EXPECT_EQ(Request({0x3E, 0x00}), (Bytes{0x7E, 0x00}));
}

TEST_F(SimEcuTransport, WrongSequenceNumberDropsTheRequest)
{
    struct Case {
        const char* what;
        uint8_t secondPci;
    } cases[] = {{"repeated 21", 0x21}, {"skipped 22", 0x23}, {"wrapped early", 0x20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uint64_t errorsBefore = ecu->Stats().sequenceErrors;
        tester->messages.clear();
        tester->SendRaw({0x10, 0x12, 0x2E, 0x03, 0x00, 1, 2, 3});
        ASSERT_TRUE(tester->AwaitFlowControl());
        tester->SendRaw({0x21, 4, 5, 6, 7, 8, 9, 10});
        tester->SendRaw({c.secondPci, 11, 12, 13, 14, 15, 16, 17});
        EXPECT_FALSE(tester->Next(1200));
        EXPECT_EQ(ecu->Stats().sequenceErrors, errorsBefore + 1);
    }
    EXPECT_EQ(ecu->Did(0x0300), Bytes(60, 0x11));
    // Sequence numbers wrap from 2F to 20 in a long request.
    EXPECT_EQ(Request(LongWrite(130)), (Bytes{0x6E, 0x03, 0x00}));
    EXPECT_EQ(ecu->Did(0x0300)->size(), 130u);
    // And our own consecutive frames wrap the same way on the way back.
    tester->frames.clear();
    EXPECT_EQ(Request({0x22, 0x03, 0x00}).size(), 133u);
    ASSERT_EQ(tester->frames.size(), 20u);
    EXPECT_EQ(tester->frames[15].data[0], 0x2F);
    EXPECT_EQ(tester->frames[16].data[0], 0x20);
    EXPECT_EQ(tester->receiveErrors, 0u);
}

TEST_F(SimEcuTransport, OnlyExtendedFramesOnTheRequestIdentifierAreServed)
{
    tester->SendRaw({0x02, 0x10, 0x03}, 8, 0x18DA0BFA);
    tester->SendRaw({0x02, 0x10, 0x03}, 8, 0x7E0, false);
    tester->SendRaw({0x02, 0x10, 0x03}, 8, simtest::kRequestId & 0x7FF, false);
    tester->SendRaw({0x00, 0x10, 0x03});  // SF_DL 0
    tester->SendRaw({0x08, 0x10, 0x03});  // SF_DL 8
    tester->SendRaw({0x03, 0x22, 0xF1}, 3);  // announces more than the frame holds
    tester->SendRaw({0x10, 0x05, 0x22, 0xF1, 0x8A, 0, 0, 0});  // first frame for 5 bytes
    EXPECT_FALSE(tester->Next(100));
    EXPECT_TRUE(tester->frames.empty());
    // A request in a frame without padding is still fine.
    tester->SendRaw({0x02, 0x3E, 0x00}, 3);
    auto m = tester->Next(10);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->bytes, (Bytes{0x7E, 0x00}));
}

TEST_F(SimEcuTransport, OneEcuServesSeveralBusesAtTheirOwnRates)
{
    auto slow = sim::CanBus::Create(125000);
    ecu->AttachTo(slow);
    simtest::RawTester slowTester(slow, clock);
    EXPECT_EQ(slowTester.Request({0x10, 0x03})[0], 0x50);
    EXPECT_EQ(tester->Request({0x22, 0xF1, 0x86}), (Bytes{0x62, 0xF1, 0x86, 0x03}));
    // Long answers go out on the bus the request came from.
    EXPECT_EQ(slowTester.Request({0x22, 0xF1, 0x90}).size(), 20u);
    EXPECT_TRUE(tester->frames.size() == 1);

    ecu->DetachAll();
    EXPECT_TRUE(slowTester.Request({0x3E, 0x00}, 100).empty());
    EXPECT_TRUE(tester->Request({0x3E, 0x00}, 100).empty());
}

TEST(SimEcuBuiltIn, AnswersOnBothChannelsOfTheCurrentWorld)
{
    sim::SimWorld world;
    sim::ScopedWorld useWorld(world);
    sim::StopBuiltInEcu();
    EXPECT_EQ(sim::BuiltInEcu(), nullptr);
    sim::SimEcu& ecu = sim::StartBuiltInEcu();
    EXPECT_EQ(&sim::StartBuiltInEcu(), &ecu);
    // The frames take their bit time on the buses: answers come from the
    // world's scheduler thread at real time, once request and answer have
    // passed (well within a second at either rate).
    auto receive = [](const std::shared_ptr<sim::CanNode>& node, sim::CanFrame& f) {
        for (int waited = 0; waited < 2000; ++waited) {
            if (node->Receive(f))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    };
    for (unsigned channel : {0u, 1u}) {
        auto node = world.Bus(channel)->Attach(world.Bus(channel)->Bitrate());
        node->Send(sim::CanFrame::Extended(simtest::kRequestId, {0x02, 0x10, 0x01}));
        sim::CanFrame f;
        ASSERT_TRUE(receive(node, f)) << channel;
        EXPECT_EQ(f.id, simtest::kResponseId);
        EXPECT_EQ(f.data[0], 0x06);
        EXPECT_EQ(f.data[1], 0x50);
        EXPECT_EQ(f.data[2], 0x01);
    }

    // A long answer: the consecutive frames come from the scheduler's thread
    // at real time (STmin 0 here, so within milliseconds).
    auto node = world.Bus(1)->Attach(500000);
    node->Send(sim::CanFrame::Extended(simtest::kRequestId, {0x03, 0x22, 0xF1, 0x90}));
    sim::CanFrame ff;
    ASSERT_TRUE(receive(node, ff));
    EXPECT_EQ(ff.data[0], 0x10);
    EXPECT_EQ(ff.data[1], 20);
    node->Send(sim::CanFrame::Extended(simtest::kRequestId, {0x30, 0x00, 0x00}));
    std::vector<sim::CanFrame> cfs;
    for (int waited = 0; cfs.size() < 2 && waited < 2000; ++waited) {
        sim::CanFrame f;
        if (node->Receive(f))
            cfs.push_back(f);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(cfs.size(), 2u);
    EXPECT_EQ(cfs[0].data[0], 0x21);
    EXPECT_EQ(cfs[1].data[0], 0x22);
    EXPECT_EQ(cfs[1].data[7], uint8_t(sim::ecudata::kVin[16]));

    sim::StopBuiltInEcu();
    EXPECT_EQ(sim::BuiltInEcu(), nullptr);
}

} // namespace
