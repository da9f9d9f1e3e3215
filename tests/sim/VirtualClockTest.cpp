#include "Timer.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

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
