// The running program's buses carry frames at their bit rate, alike on every
// adapter row: a program download through the program's own composition
// takes the time a real 500 or 125 kbit/s bus takes, whichever adapter the
// user picked. Virtual time: nothing here waits.
#include "CanAdapterSwitch.h"
#include "ProgramComposition.h"
#include "SimBuiltInWorld.h"
#include "SimEcu.h"
#include "TimedDownload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>

namespace {

constexpr size_t kImageBytes = 16 * 1024;

// Connects on the row, downloads the image and disconnects again.
tarvel_test::DownloadFigures DownloadOnRow(tarvel_test::ProgramComposition& program, int adapterRow, int baudRow)
{
    tarvel_test::DownloadFigures figures;
    if (!program.Connect(adapterRow, baudRow)) {
        figures.error = "no connection";
        return figures;
    }
    const auto image = tarvel_test::DownloadImage(kImageBytes);
    figures = tarvel_test::TimedDownload(program.Context(), program.clock, program.BusOfBaudRow(baudRow), image,
                                         program.prompter);
    sim::SimEcu* ecu = sim::BuiltInEcu();
    if (figures.ok && (!ecu || ecu->DownloadedImage() != image.bytes)) {
        figures.ok = false;
        figures.error = "the ECU holds another image";
    }
    program.Disconnect();
    return figures;
}

TEST(BusTime, ADownloadTakesTheSameBusTimeOnEveryAdapterRow)
{
    tarvel_test::ProgramComposition program;
    std::vector<double> seconds;
    for (int row = 0; row < static_cast<int>(tarvel::CanAdapterRowCount()); ++row) {
        SCOPED_TRACE(tarvel::CanAdapterRows()[row].DisplayName);
        const auto f = DownloadOnRow(program, row, 0);
        ASSERT_TRUE(f.ok) << f.error;
        // Never faster than the bus can carry the frames, and mostly bus.
        EXPECT_GE(f.durationUs, f.busTimeUs);
        EXPECT_GT(double(f.busTimeUs) / double(f.durationUs), 0.75)
            << f.busTimeUs << " us of bus in " << f.durationUs << " us";
        seconds.push_back(double(f.durationUs) / 1e6);
    }
    ASSERT_EQ(seconds.size(), 4u);
    const auto [least, most] = std::minmax_element(seconds.begin(), seconds.end());
    EXPECT_LE(*most, *least * 1.10) << "slowest row " << (most - seconds.begin()) << ": " << *most << " s, fastest "
                                    << (least - seconds.begin()) << ": " << *least << " s";
}

// A quarter of the bit rate, about four times the time.
TEST(BusTime, At125KbitPerSecondTheSameDownloadTakesAboutFourTimesAsLong)
{
    tarvel_test::ProgramComposition program;
    const auto fast = DownloadOnRow(program, 0, 0);
    const auto slow = DownloadOnRow(program, 0, 1);
    ASSERT_TRUE(fast.ok) << fast.error;
    ASSERT_TRUE(slow.ok) << slow.error;
    EXPECT_EQ(slow.frames, fast.frames);
    const double ratio = double(slow.durationUs) / double(fast.durationUs);
    EXPECT_GT(ratio, 3.5);
    EXPECT_LT(ratio, 4.1);
}

// The world's time as a real-time scheduler on a loaded machine keeps it:
// every task runs up to three frame times late, each by its own amount, so a
// task can run after the task of a frame that was on the bus after its own.
class LateScheduler : public tarvel::Scheduler {
public:
    explicit LateScheduler(tarvel::VirtualClock& clock) : clock_(clock) {}
    TaskId ScheduleIn(uint64_t delayUs, std::function<void()> task) override
    {
        uint64_t lateUs = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            x_ = x_ * 1664525u + 1013904223u;
            lateUs = (x_ >> 24) % 4 * 260;
        }
        return clock_.ScheduleIn(delayUs + lateUs, std::move(task));
    }
    void Cancel(TaskId id) override { clock_.Cancel(id); }

private:
    tarvel::VirtualClock& clock_;
    std::mutex mutex_;
    uint32_t x_ = 1;
};

TEST(BusTime, ADownloadSucceedsWhileTheWorldRunsLate)
{
    tarvel_test::ProgramComposition program;
    LateScheduler late(program.clock);
    sim::StopBuiltInEcu();
    sim::SetBuiltInWorldTime(&program.clock, &late);
    sim::StartBuiltInEcu();
    for (int baudRow : {0, 1}) {
        SCOPED_TRACE(baudRow == 0 ? "500 kbit/s" : "125 kbit/s");
        const auto f = DownloadOnRow(program, 0, baudRow);
        EXPECT_TRUE(f.ok) << f.error;
    }
    // The world goes before the scheduler it runs on.
    sim::StopBuiltInEcu();
}

} // namespace
