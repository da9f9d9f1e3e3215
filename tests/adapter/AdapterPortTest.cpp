// The receive side the ISO-TP link reads through.
#include "AdapterFixture.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace adaptertest;

namespace {
sim::CanFrame Answer(uint8_t n) { return sim::CanFrame::Extended(tarvel::kUdsResponseId, {0x21, n}); }
} // namespace

// Frames beyond what one call takes stay queued for the next call; nothing
// clears the adapter's buffer behind the reader's back.
TEST_F(AdapterTest, ControlCanKeepsFramesBetweenReads)
{
    auto peer = world.Bus(1)->Attach(500000);
    ASSERT_EQ(Connect(1, 0), 1);
    for (uint8_t i = 1; i <= 3; ++i)
        peer->Send(Answer(i));
    tarvel::AdapterSwitchPort port;
    CanFrameRecord in[50];
    ASSERT_EQ(port.Receive(in, 2), 2u);
    EXPECT_EQ(in[0].Data[1], 1);
    EXPECT_EQ(in[1].Data[1], 2);
    peer->Send(Answer(4));
    ASSERT_EQ(port.Receive(in, 50), 2u);
    EXPECT_EQ(in[0].Data[1], 3);
    EXPECT_EQ(in[1].Data[1], 4);
    EXPECT_EQ(standin::ControlCanLog().Count("VCI_ClearBuffer"), 0u);
    EXPECT_EQ(port.Receive(in, 50), 0u);
}

// Frames that arrive while a read waits are not thrown away either.
TEST_F(AdapterTest, ControlCanKeepsFramesArrivingDuringARead)
{
    auto peer = world.Bus(1)->Attach(500000);
    ASSERT_EQ(Connect(1, 0), 1);
    // The adapter reports one frame pending before it is in the queue, so
    // the read waits on the clock while two frames arrive.
    standin::ControlCanLog().FailCall("VCI_GetReceiveNum", 1);
    clock.ScheduleIn(5000, [&] {
        peer->Send(Answer(1));
        peer->Send(Answer(2));
    });
    tarvel::AdapterSwitchPort port;
    CanFrameRecord in[50];
    ASSERT_EQ(port.Receive(in, 1), 1u);
    EXPECT_EQ(in[0].Data[1], 1);
    EXPECT_EQ(clock.NowUs(), 5000u);
    ASSERT_EQ(port.Receive(in, 50), 1u);
    EXPECT_EQ(in[0].Data[1], 2);
}

TEST_F(AdapterTest, ControlCanReadErrorReadsTheErrorRecord)
{
    auto peer = world.Bus(1)->Attach(500000);
    ASSERT_EQ(Connect(1, 0), 1);
    peer->Send(Answer(1));
    auto& log = standin::ControlCanLog();
    log.Clear();
    log.FailCall("VCI_Receive", 0xFFFFFFFF);
    tarvel::AdapterSwitchPort port;
    CanFrameRecord in[50];
    EXPECT_EQ(port.Receive(in, 50), 0u);
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"VCI_GetReceiveNum", "VCI_Receive", "VCI_ReadErrInfo"}));
    // The frame was not lost by the failed read.
    EXPECT_EQ(port.Receive(in, 50), 1u);
}

// Nothing pending: every back-end returns at once. A pause in the read would
// hold up each frame the link sends between two reads (a download's
// consecutive frames); the link's wait pauses on its own when a round
// brought nothing.
TEST_F(AdapterTest, NoPauseWhenNothingPending)
{
    tarvel::AdapterSwitchPort port;
    CanFrameRecord in[4];
    for (int row : {1, 2, 3}) {
        SCOPED_TRACE(row);
        ASSERT_EQ(Connect(row, 1), 1);
        const uint64_t before = clock.NowUs();
        EXPECT_EQ(port.Receive(in, 4), 0u);
        EXPECT_EQ(clock.NowUs() - before, 0u);
        tarvel::CloseCanDevice();
    }
    // Kvaser with no channel object neither.
    tarvel::CanDeviceType = tarvel::kCanTypeKvaser;
    const uint64_t before = clock.NowUs();
    EXPECT_EQ(port.Receive(in, 4), 0u);
    EXPECT_EQ(clock.NowUs() - before, 0u);
}

// Kvaser and Vector hand over one frame per call, with its time stamp; Vector
// counts only the ECU's response identifier.
TEST_F(AdapterTest, OneFramePerCallBackends)
{
    for (int row : {2, 3}) {
        SCOPED_TRACE(row);
        auto peer = world.Bus(0)->Attach(125000); // 125 kbit/s: channel 0 on both
        ASSERT_EQ(Connect(row, 1), 1);
        clock.Advance(1000);
        const uint64_t sentUs = clock.NowUs();
        peer->Send(sim::CanFrame::Extended(0x18FEF100, {9}));
        peer->Send(Answer(1));
        sim::CanFrame remote = Answer(2);
        remote.remote = true;
        peer->Send(remote);
        tarvel::AdapterSwitchPort port;
        CanFrameRecord in[50];
        std::vector<CanFrameRecord> got;
        for (int i = 0; i < 6; ++i) {
            const size_t n = port.Receive(in, 50);
            ASSERT_LE(n, 1u);
            if (n)
                got.push_back(in[0]);
        }
        const size_t firstAnswer = row == 2 ? 1 : 0; // Kvaser also hands over the other id
        ASSERT_EQ(got.size(), firstAnswer + 2);
        EXPECT_EQ(got[firstAnswer].ID, tarvel::kUdsResponseId);
        EXPECT_EQ(got[firstAnswer].ExternFlag, 1);
        EXPECT_EQ(got[firstAnswer].TimeFlag, 1);
        EXPECT_EQ(got[firstAnswer].RemoteFlag, 0);
        EXPECT_EQ(got[firstAnswer + 1].RemoteFlag, 1);
        EXPECT_EQ(got[firstAnswer].Data[1], 1);
        // Kvaser counts in the 100 us timer scale set at open, XL in ns.
        EXPECT_EQ(got[firstAnswer].TimeStamp, row == 2 ? static_cast<uint32_t>(sentUs / 100)
                                                       : static_cast<uint32_t>(sentUs * 1000));
        tarvel::CloseCanDevice();
    }
}

// The link's receive trace names the type code of the adapter it read from.
TEST_F(AdapterTest, ReceiveTraceNamesTheOpenAdapterType)
{
    auto peer = world.Bus(1)->Attach(500000);
    ASSERT_EQ(Connect(1, 0), 1);
    tarvel::AdapterSwitchPort port;
    tarvel::SetCanPort(&port);
    peer->Send(Answer(7));
    EXPECT_EQ(tarvel::ReceiveCanFrames(), 1);
    tarvel::UdsRxFrameQueue.clear();
    tarvel::SetCanPort(nullptr);
    EXPECT_EQ(tarvel::LastRxFrameText.rfind("<0x3: 0>", 0), 0u) << tarvel::LastRxFrameText;
}

// The port's transmit is the switch's transmit.
TEST_F(AdapterTest, PortTransmitSendsThroughTheSwitch)
{
    auto peer = world.Bus(1)->Attach(500000);
    ASSERT_EQ(Connect(0, 0), 1);
    tarvel::AdapterSwitchPort port;
    EXPECT_TRUE(port.Transmit(kRequestId, {0x02, 0x3E, 0x00, 0x55, 0x55, 0x55, 0x55, 0x55, 0x99}, "TesterPresent"));
    sim::CanFrame f;
    ASSERT_TRUE(peer->Receive(f));
    EXPECT_EQ(f.data, (std::array<uint8_t, 8>{0x02, 0x3E, 0x00, 0x55, 0x55, 0x55, 0x55, 0x55}));
    tarvel::CloseCanDevice();
    EXPECT_FALSE(port.Transmit(kRequestId, {0x3E}, "TesterPresent"));
}

// The live-data worker sends while the UI thread reads: every answer arrives
// once and in order, on each back-end that queues frames.
TEST_F(AdapterTest, WorkerTransmitsWhileAnotherThreadReceives)
{
    for (int row : {1, 2, 3}) {
        SCOPED_TRACE(row);
        auto peer = world.Bus(0)->Attach(125000); // 125 kbit/s row: channel 0
        // The peer answers each request at once, on the sender's thread.
        peer->SetReceiveHandler([p = peer.get()](const sim::CanFrame& f) {
            p->Send(sim::CanFrame::Extended(tarvel::kUdsResponseId, {f.data[0], f.data[1]}));
        });
        ASSERT_EQ(Connect(row, 1), 1);
        constexpr int kFrames = 300;
        std::atomic<int> sent{0};
        std::atomic<int> received{0};
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        std::thread worker([&] {
            for (int i = 0; i < kFrames; ++i) {
                // Like the monitor, never far ahead of the answers (the XL
                // receive queue holds 256 events).
                while (i - received > 32 && std::chrono::steady_clock::now() < deadline)
                    std::this_thread::yield();
                if (tarvel::TransmitCanFrame(kRequestId, 2, {static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)},
                                             "monitor", 1) == 1)
                    ++sent;
            }
        });
        tarvel::AdapterSwitchPort port;
        CanFrameRecord in[50];
        std::vector<int> got;
        while (got.size() < static_cast<size_t>(kFrames) && std::chrono::steady_clock::now() < deadline) {
            const size_t n = port.Receive(in, 50);
            for (size_t k = 0; k < n; ++k)
                got.push_back(in[k].Data[0] << 8 | in[k].Data[1]);
            received = static_cast<int>(got.size());
        }
        worker.join();
        EXPECT_EQ(sent, kFrames);
        ASSERT_EQ(got.size(), static_cast<size_t>(kFrames));
        for (int i = 0; i < kFrames; ++i)
            ASSERT_EQ(got[static_cast<size_t>(i)], i);
        peer->SetReceiveHandler({});
        tarvel::CloseCanDevice();
    }
}
