#include "SimWorld.h"
#include "VirtualCanBus.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

using sim::CanBus;
using sim::CanFrame;

TEST(VirtualCanBus, FrameReachesOtherNodesButNotTheSender)
{
    tarvel::VirtualClock clock(5000);
    tarvel::ScopedClock useClock(clock);
    auto bus = CanBus::Create(500000);
    auto a = bus->Attach(500000);
    auto b = bus->Attach(500000);
    auto c = bus->Attach(500000);

    CanFrame f = CanFrame::Extended(0x18DA0BF9, {0x02, 0x10, 0x01});
    f.channel = 1;
    ASSERT_TRUE(a->Send(f));

    EXPECT_EQ(a->Pending(), 0u);
    for (auto* node : {b.get(), c.get()}) {
        CanFrame got;
        ASSERT_TRUE(node->Receive(got));
        EXPECT_EQ(got.id, 0x18DA0BF9u);
        EXPECT_TRUE(got.extended);
        EXPECT_FALSE(got.remote);
        EXPECT_EQ(got.dlc, 8);
        EXPECT_EQ(got.channel, 1);
        EXPECT_EQ(got.data[0], 0x02);
        EXPECT_EQ(got.data[2], 0x01);
        EXPECT_EQ(got.data[7], 0x00);
        EXPECT_EQ(got.timeUs, 5000u);
        EXPECT_FALSE(node->Receive(got));
    }
}

TEST(VirtualCanBus, BitRateMismatchCarriesNothingEitherWay)
{
    auto bus = CanBus::Create(500000);
    auto good = bus->Attach(500000);
    auto slow = bus->Attach(125000);

    EXPECT_FALSE(slow->Send(CanFrame::Extended(1, {1})));
    EXPECT_EQ(good->Pending(), 0u);

    EXPECT_TRUE(good->Send(CanFrame::Extended(2, {2})));
    EXPECT_EQ(slow->Pending(), 0u);

    slow->SetBitrate(500000);
    EXPECT_TRUE(good->Send(CanFrame::Extended(3, {3})));
    EXPECT_EQ(slow->Pending(), 1u);
}

TEST(VirtualCanBus, HandlerAnswersSynchronouslyAndOrderIsKept)
{
    auto bus = CanBus::Create(125000);
    auto tester = bus->Attach(125000);
    auto echo = bus->Attach(125000);
    echo->SetReceiveHandler([&](const CanFrame& f) {
        CanFrame r = f;
        r.id = f.id + 1;
        echo->Send(r);
    });

    for (uint8_t i = 0; i < 5; ++i)
        ASSERT_TRUE(tester->Send(CanFrame::Extended(0x100, {i})));

    for (uint8_t i = 0; i < 5; ++i) {
        CanFrame got;
        ASSERT_TRUE(tester->Receive(got));
        EXPECT_EQ(got.id, 0x101u);
        EXPECT_EQ(got.data[0], i);
    }
}

TEST(VirtualCanBus, DetachedAndDestroyedNodesAreForgotten)
{
    auto bus = CanBus::Create(500000);
    auto a = bus->Attach(500000);
    auto b = bus->Attach(500000);
    {
        auto gone = bus->Attach(500000);
    }
    b->Detach();
    EXPECT_FALSE(b->Send(CanFrame::Extended(1, {})));
    EXPECT_TRUE(a->Send(CanFrame::Extended(1, {})));
    EXPECT_EQ(b->Pending(), 0u);
    CanFrame tooLong = CanFrame::Extended(1, {});
    tooLong.dlc = 9;
    EXPECT_FALSE(a->Send(tooLong));
}

TEST(SimWorld, DefaultWiringAndScopedReplacement)
{
    EXPECT_EQ(sim::CurrentWorld().Bus(0)->Bitrate(), 125000u);
    EXPECT_EQ(sim::CurrentWorld().Bus(1)->Bitrate(), 500000u);
    sim::SimWorld mine;
    auto slowOnOne = CanBus::Create(125000);
    mine.SetBus(1, slowOnOne);
    {
        sim::ScopedWorld use(mine);
        EXPECT_EQ(sim::CurrentWorld().Bus(1), slowOnOne);
    }
    EXPECT_EQ(sim::CurrentWorld().Bus(1)->Bitrate(), 500000u);
}
