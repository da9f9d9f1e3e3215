#include "Timer.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using tarvel::VirtualClock;

TEST(VirtualClock, TasksRunInTimeOrderAtTheirOwnTime)
{
    VirtualClock clock(1000);
    std::vector<std::pair<int, uint64_t>> ran;
    clock.ScheduleIn(300, [&] { ran.push_back({3, clock.NowUs()}); });
    clock.ScheduleIn(100, [&] { ran.push_back({1, clock.NowUs()}); });
    clock.ScheduleIn(100, [&] { ran.push_back({2, clock.NowUs()}); });
    auto cancelled = clock.ScheduleIn(200, [&] { ran.push_back({99, 0}); });
    clock.Cancel(cancelled);

    clock.Advance(250);
    ASSERT_EQ(ran.size(), 2u);
    EXPECT_EQ(ran[0], std::make_pair(1, uint64_t(1100)));
    EXPECT_EQ(ran[1], std::make_pair(2, uint64_t(1100)));
    EXPECT_EQ(clock.NowUs(), 1250u);

    clock.SleepMs(1);
    ASSERT_EQ(ran.size(), 3u);
    EXPECT_EQ(ran[2], std::make_pair(3, uint64_t(1300)));
    EXPECT_EQ(clock.PendingTasks(), 0u);
}

TEST(VirtualClock, TaskMayScheduleFurtherTasksWithinTheSameAdvance)
{
    VirtualClock clock;
    int chain = 0;
    std::function<void()> step = [&] {
        if (++chain < 4)
            clock.ScheduleIn(10, step);
    };
    clock.ScheduleIn(10, step);
    clock.Advance(35);
    EXPECT_EQ(chain, 3);
    clock.Advance(5);
    EXPECT_EQ(chain, 4);
}

// Threads that sleep on one clock at the same time (a worker thread and the
// UI thread of a test) must each see time only move forward. Racing threads
// hit the window rarely, so the race is given many chances.
TEST(VirtualClock, TimeNeverRunsBackwardsWhileSeveralThreadsSleep)
{
    for (int round = 0; round < 100; ++round) {
        VirtualClock clock;
        std::atomic<bool> go{false};
        std::atomic<int> backwards{0};
        auto sleeper = [&] {
            while (!go.load()) {
            }
            uint64_t last = 0;
            for (int i = 0; i < 10000; ++i) {
                clock.SleepUs(1);
                const uint64_t now = clock.NowUs();
                if (now < last)
                    ++backwards;
                last = now;
            }
        };
        std::thread a(sleeper), b(sleeper);
        go = true;
        a.join();
        b.join();
        ASSERT_EQ(backwards.load(), 0) << "round " << round;
        EXPECT_GE(clock.NowUs(), 10000u);
    }
}

TEST(VirtualTimer, TicksEveryPeriodAndStopsCleanly)
{
    VirtualClock clock;
    tarvel::VirtualTimerFactory factory(clock);
    int ticks = 0;
    std::unique_ptr<tarvel::Timer> timer;
    timer = factory.Create([&] {
        if (++ticks == 3)
            timer->Stop(); // a handler may stop its own timer
    });
    timer->Start(4000);
    EXPECT_TRUE(timer->IsRunning());
    EXPECT_EQ(timer->PeriodMs(), 4000u);

    clock.Advance(3999 * 1000);
    EXPECT_EQ(ticks, 0);
    clock.Advance(1000);
    EXPECT_EQ(ticks, 1);
    clock.Advance(20000 * 1000);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer->IsRunning());

    timer->Start(10);
    timer.reset(); // destroying a running timer cancels its tick
    clock.Advance(1000 * 1000);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(clock.PendingTasks(), 0u);
}

// A zero period must not pin time: the timer ticks once per millisecond. (The
// handler stops a runaway timer so a fault shows as a wrong count, not a hang.)
TEST(VirtualTimer, ZeroPeriodTicksEveryMillisecondAndTimeMovesOn)
{
    VirtualClock clock;
    tarvel::VirtualTimerFactory factory(clock);
    int ticks = 0;
    std::unique_ptr<tarvel::Timer> timer;
    timer = factory.Create([&] {
        if (++ticks > 1000)
            timer->Stop();
    });
    timer->Start(0);
    clock.Advance(10 * 1000);
    EXPECT_EQ(ticks, 10);
    EXPECT_EQ(clock.NowUs(), 10000u);
    EXPECT_TRUE(timer->IsRunning());
}
