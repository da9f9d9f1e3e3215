// Bit times of CAN frames and the bus timing model of the virtual bus.
#include "CanBitTiming.h"
#include "VirtualCanBus.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

sim::CanFrame Frame(uint32_t id, bool extended, uint8_t dlc, uint8_t fill)
{
    sim::CanFrame f;
    f.id = id;
    f.extended = extended;
    f.dlc = dlc;
    f.data.fill(fill);
    return f;
}

TEST(CanBitTiming, FrameLengthsWithAndWithoutStuffing)
{
    EXPECT_EQ(sim::CanFrameBitsUnstuffed(Frame(0x18DA0BF9, true, 8, 0x55)), 131u);
    EXPECT_EQ(sim::CanFrameBitsUnstuffed(Frame(0x7E0, false, 8, 0x55)), 111u);
    EXPECT_EQ(sim::CanFrameBitsUnstuffed(Frame(0x18DA0BF9, true, 0, 0)), 67u);
    // Stuffing adds between nothing and the worst case.
    const sim::CanFrame frames[] = {Frame(0x18DA0BF9, true, 8, 0x00), Frame(0x18DAF90B, true, 8, 0xFF),
                                    Frame(0x18DA0BF9, true, 8, 0x55), Frame(0x00000000, true, 8, 0x00),
                                    Frame(0x1FFFFFFF, true, 8, 0xFF), Frame(0x7E0, false, 3, 0x0F)};
    for (const auto& f : frames) {
        const uint32_t bits = sim::CanFrameBits(f);
        EXPECT_GE(bits, sim::CanFrameBitsUnstuffed(f)) << f.id;
        EXPECT_LE(bits, f.extended ? 160u : 135u) << f.id;
    }
    // Alternating data needs no stuff bits in the data; runs of zeros need one
    // every four bits after the first five.
    const uint32_t zeros = sim::CanFrameBits(Frame(0x18DA0BF9, true, 8, 0x00));
    const uint32_t alternating = sim::CanFrameBits(Frame(0x18DA0BF9, true, 8, 0x55));
    EXPECT_GE(zeros - alternating, 12u);
    // 500 kbit/s: 2 µs per bit, rounded up.
    const sim::CanFrame f = Frame(0x18DA0BF9, true, 8, 0x55);
    EXPECT_EQ(sim::CanFrameTimeUs(f, 500000), uint64_t(sim::CanFrameBits(f)) * 2);
    EXPECT_EQ(sim::CanFrameTimeUs(f, 0), 0u);
}

TEST(CanBitTiming, FramesQueueBehindEachOtherOnTheBus)
{
    tarvel::VirtualClock clock(1000000);
    tarvel::ScopedClock useClock(clock);
    auto bus = sim::CanBus::Create(500000);
    auto a = bus->Attach(500000);
    auto b = bus->Attach(500000);
    bus->SetTimingModel(true);
    const sim::CanFrame f1 = Frame(0x18DA0BF9, true, 8, 0x11);
    const sim::CanFrame f2 = Frame(0x18DAF90B, true, 8, 0x22);
    const uint64_t t1 = sim::CanFrameTimeUs(f1, 500000);
    const uint64_t t2 = sim::CanFrameTimeUs(f2, 500000);
    ASSERT_TRUE(a->Send(f1));
    ASSERT_TRUE(a->Send(f2)); // sent at the same moment: waits for the first
    sim::CanFrame got;
    ASSERT_TRUE(b->Receive(got));
    EXPECT_EQ(got.timeUs, 1000000 + t1);
    ASSERT_TRUE(b->Receive(got));
    EXPECT_EQ(got.timeUs, 1000000 + t1 + t2);
    EXPECT_EQ(bus->BusTimeUs(), t1 + t2);
    EXPECT_EQ(bus->BusyUntilUs(), 1000000 + t1 + t2);

    // A frame sent after the bus fell idle starts when it is sent.
    clock.Advance(10000);
    ASSERT_TRUE(a->Send(f1));
    ASSERT_TRUE(b->Receive(got));
    EXPECT_EQ(got.timeUs, 1010000 + t1);
    EXPECT_EQ(bus->BusTimeUs(), 2 * t1 + t2);

    // Off: no bus time, the frame carries its send time.
    bus->SetTimingModel(false);
    ASSERT_TRUE(a->Send(f2));
    ASSERT_TRUE(b->Receive(got));
    EXPECT_EQ(got.timeUs, 1010000u);
    EXPECT_EQ(bus->BusTimeUs(), 2 * t1 + t2);
}

TEST(CanBitTiming, WithASchedulerFramesArriveOnlyOnceTheyLeftTheBus)
{
    tarvel::VirtualClock clock(1000000);
    tarvel::ScopedClock useClock(clock);
    auto bus = sim::CanBus::Create(500000);
    auto a = bus->Attach(500000);
    auto b = bus->Attach(500000);
    bus->SetTimingModel(true, &clock);
    const sim::CanFrame f1 = Frame(0x18DA0BF9, true, 8, 0x11);
    const uint64_t t1 = sim::CanFrameTimeUs(f1, 500000);

    // Three frames handed over at once leave the bus one after the other.
    ASSERT_TRUE(a->Send(f1));
    ASSERT_TRUE(a->Send(f1));
    ASSERT_TRUE(a->Send(f1));
    EXPECT_EQ(b->Pending(), 0u);
    EXPECT_EQ(a->Pending(), 0u);
    clock.Advance(t1 - 1);
    EXPECT_EQ(b->Pending(), 0u) << "the last bit has not passed yet";
    clock.Advance(1);
    EXPECT_EQ(b->Pending(), 1u);
    clock.Advance(t1);
    EXPECT_EQ(b->Pending(), 2u);
    clock.Advance(t1);
    EXPECT_EQ(b->Pending(), 3u);
    sim::CanFrame got;
    for (uint64_t k = 1; k <= 3; ++k) {
        ASSERT_TRUE(b->Receive(got));
        EXPECT_EQ(got.timeUs, 1000000 + k * t1);
    }
    EXPECT_EQ(a->Pending(), 0u) << "never back to the sender";

    // A handler that answers at once: the answer starts when the request has
    // passed and arrives one frame time later, so a round trip costs two.
    const uint64_t sentAt = clock.NowUs();
    uint64_t answeredAt = 0;
    b->SetReceiveHandler([&](const sim::CanFrame& f) { b->Send(Frame(0x18DAF90B, true, 8, f.data[0])); });
    a->SetReceiveHandler([&](const sim::CanFrame&) { answeredAt = clock.NowUs(); });
    ASSERT_TRUE(a->Send(f1));
    clock.Advance(10 * t1);
    EXPECT_EQ(answeredAt, sentAt + t1 + sim::CanFrameTimeUs(Frame(0x18DAF90B, true, 8, 0x11), 500000));

    // A frame still on the bus when the bus goes is never delivered.
    a->SetReceiveHandler(nullptr);
    b->SetReceiveHandler(nullptr);
    ASSERT_TRUE(a->Send(f1));
    bus.reset();
    clock.Advance(10 * t1);
    EXPECT_EQ(b->Pending(), 0u);
}

// Runs each task later than asked by its own amount, in the order the tasks
// were scheduled: what a real-time scheduler does on a loaded machine, where
// the sending thread can also be held up between the bus reading the clock
// and the scheduler reading its own.
class HeldUpScheduler : public tarvel::Scheduler {
public:
    HeldUpScheduler(tarvel::VirtualClock& clock, std::vector<uint64_t> holdsUs)
        : clock_(clock), holdsUs_(std::move(holdsUs))
    {
    }
    TaskId ScheduleIn(uint64_t delayUs, std::function<void()> task) override
    {
        const uint64_t hold = next_ < holdsUs_.size() ? holdsUs_[next_] : 0;
        ++next_;
        return clock_.ScheduleIn(delayUs + hold, std::move(task));
    }
    void Cancel(TaskId id) override { clock_.Cancel(id); }

private:
    tarvel::VirtualClock& clock_;
    std::vector<uint64_t> holdsUs_;
    size_t next_ = 0;
};

TEST(CanBitTiming, FramesArriveInBusOrderHoweverLateTheirTasksRun)
{
    const uint64_t t = sim::CanFrameTimeUs(Frame(0x18DA0BF9, true, 8, 0), 500000);
    struct Case {
        const char* what;
        std::vector<uint64_t> holdsUs; // per frame, in the order they were sent
    };
    const Case cases[] = {
        {"the first frame's task held up past the next two", {3 * t, 0, 0, 0, 0}},
        {"a frame in the middle held up", {0, 0, 2 * t + 1, 0, 0}},
        {"every task held up, the early ones most", {9 * t, 7 * t, 5 * t, 3 * t, t}},
        {"nothing held up", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tarvel::VirtualClock clock(1000000);
        tarvel::ScopedClock useClock(clock);
        HeldUpScheduler scheduler(clock, c.holdsUs);
        auto bus = sim::CanBus::Create(500000);
        auto tester = bus->Attach(500000);
        auto ecu = bus->Attach(500000);
        auto listener = bus->Attach(500000);
        bus->SetTimingModel(true, &scheduler);
        struct Arrival {
            uint8_t sequence;
            uint64_t atUs;
            uint64_t passedUs;
        };
        std::vector<Arrival> arrivals;
        listener->SetReceiveHandler(
            [&](const sim::CanFrame& f) { arrivals.push_back({f.data[0], clock.NowUs(), f.timeUs}); });

        // Both directions, handed over at once: they leave the bus one after
        // the other, in the order they were put on it.
        for (uint8_t k = 1; k <= 5; ++k)
            ASSERT_TRUE((k % 2 ? tester : ecu)->Send(Frame(k % 2 ? 0x18DA0BF9 : 0x18DAF90B, true, 8, k)));
        clock.Advance(20 * t);

        ASSERT_EQ(arrivals.size(), 5u);
        for (uint8_t k = 1; k <= 5; ++k) {
            EXPECT_EQ(arrivals[k - 1].sequence, k) << "arrival " << int(k);
            EXPECT_GE(arrivals[k - 1].atUs, arrivals[k - 1].passedUs) << "never before its last bit passed";
        }
        // Nothing held up: each frame as its last bit passes.
        if (c.holdsUs.empty()) {
            for (const Arrival& a : arrivals)
                EXPECT_EQ(a.atUs, a.passedUs);
        }
    }
}

// A receiver whose handler lets time pass (it waits, as the tester's stack
// does for an answer) still gets the frames in bus order: the frames that
// fall due meanwhile are handed over once its handler has returned, never
// from inside it.
TEST(CanBitTiming, AHandlerThatLetsTimePassStillGetsTheFramesInBusOrder)
{
    const uint64_t t = sim::CanFrameTimeUs(Frame(0x18DA0BF9, true, 8, 0), 500000);
    tarvel::VirtualClock clock(1000000);
    tarvel::ScopedClock useClock(clock);
    auto bus = sim::CanBus::Create(500000);
    auto tester = bus->Attach(500000);
    auto listener = bus->Attach(500000);
    bus->SetTimingModel(true, &clock);
    std::vector<int> seen;
    int depth = 0, deepest = 0;
    listener->SetReceiveHandler([&](const sim::CanFrame& f) {
        deepest = std::max(deepest, ++depth);
        clock.Advance(3 * t);
        seen.push_back(f.data[0]);
        --depth;
    });

    for (uint8_t k = 1; k <= 5; ++k)
        ASSERT_TRUE(tester->Send(Frame(0x18DA0BF9, true, 8, k)));
    clock.Advance(30 * t);

    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(deepest, 1) << "a frame was handed over inside the handler of another";
}

} // namespace
