// The monitor's poll loop against the simulated ECU, run on the test's own
// thread on the virtual clock, so every time and every byte is exact.
#include "MonitorWorker.h"

#include "DiagnosisGlobals.h"
#include "DidDefinitions.h"
#include "MonitorFormat.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using monitor::CycleResult;
using monitor::MonitorWorker;
using monitor::WorkerEnd;
using tarvel_test::Bytes;
using ::testing::ElementsAre;

class MonitorWorkerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LoadDidDefinitionFile("VADE_MonitorParameterConfig/VADE_MonitorParameter_en.xml", 453, table));
        ASSERT_EQ(table.size(), 9u);
        ASSERT_TRUE(bench.Connect());
        MonitorRunning = 1;
        MonitorRebuildPending = 1;
        MonitorPeriodMs = 1000;
    }

    const _tagMonitorDIDdesc_& Find(const std::string& number) const
    {
        for (const auto& did : table)
            if (did.DidNumber == number)
                return did;
        throw std::runtime_error("no DID " + number);
    }

    MonitorWorker::Hooks Hooks()
    {
        MonitorWorker::Hooks hooks;
        hooks.checkedDids = [this] { return checked; };
        hooks.cycleDone = [this](CycleResult r) {
            cycleTimesMs.push_back(bench.clock.NowMs());
            results.push_back(std::move(r));
            if (afterCycle)
                afterCycle(results.size());
        };
        hooks.ended = [this](WorkerEnd end) { ends.push_back(end); };
        return hooks;
    }

    static std::vector<std::string> Values(const CycleResult& r)
    {
        std::vector<std::string> v;
        for (const auto& row : r.rows)
            v.push_back(row.Value);
        return v;
    }

    tarvel_test::PageBench bench;
    std::vector<_tagMonitorDIDdesc_> table;
    std::vector<_tagMonitorDIDdesc_> checked;
    std::vector<CycleResult> results;
    std::vector<uint64_t> cycleTimesMs;
    std::vector<WorkerEnd> ends;
    std::function<void(size_t)> afterCycle;
    monitor::StopSignal stop;
};

TEST_F(MonitorWorkerTest, ACycleReadsOnlyTheCheckedDidsQuietlyAndDecodesThem)
{
    checked = {Find("0051"), Find("0092"), Find("0056")};
    MonitorWorker worker(Hooks(), stop);
    WorkerEnd end{};
    ASSERT_TRUE(worker.Cycle(end));
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 51"), Bytes("22 00 92"), Bytes("22 00 56")));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].rebuild);
    EXPECT_THAT(Values(results[0]), ElementsAre("2.00", "1a10", "24.10", "25"));
    EXPECT_EQ(results[0].rows[3].Number, "2");
    EXPECT_EQ(results[0].rows[3].SubDataName, "ECU Temperature");
    EXPECT_EQ(results[0].rows[3].Unit, "degC");
    EXPECT_EQ(tarvel::TestRunning.load(), 1u);
    EXPECT_EQ(bench.prompter.Count(), 0u);

    // Nothing checked: no request, an empty table.
    checked.clear();
    ASSERT_TRUE(worker.Cycle(end));
    EXPECT_EQ(bench.Requests().size(), 3u);
    EXPECT_TRUE(results[1].rows.empty());
    EXPECT_FALSE(results[1].rebuild);
}

TEST_F(MonitorWorkerTest, RebuildingCyclesArePausedThreeSecondsOthersWaitThePeriod)
{
    checked = {Find("0051")};
    MonitorPeriodMs = 2300;
    afterCycle = [this](size_t n) {
        if (n == 2)
            MonitorRebuildPending = 1; // a check box changed
        if (n == 4)
            stop.Raise();
    };
    MonitorWorker worker(Hooks(), stop);
    worker.Run();
    ASSERT_EQ(results.size(), 4u);
    std::vector<bool> rebuilt;
    for (const auto& r : results)
        rebuilt.push_back(r.rebuild);
    EXPECT_THAT(rebuilt, ElementsAre(true, false, true, false));
    // A read takes a few milliseconds of bus time.
    const uint64_t gap1 = cycleTimesMs[1] - cycleTimesMs[0];
    const uint64_t gap2 = cycleTimesMs[2] - cycleTimesMs[1];
    const uint64_t gap3 = cycleTimesMs[3] - cycleTimesMs[2];
    EXPECT_GE(gap1, 5300u);
    EXPECT_LT(gap1, 5350u);
    EXPECT_GE(gap2, 2300u);
    EXPECT_LT(gap2, 2350u);
    EXPECT_GE(gap3, 5300u);
    EXPECT_LT(gap3, 5350u);
    EXPECT_THAT(ends, ElementsAre(WorkerEnd::Stopped));
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
}

TEST_F(MonitorWorkerTest, TwoFailuresThenASuccessKeepRunningAndFailedDidsKeepTheirRows)
{
    checked = {Find("0052"), Find("0051")};
    MonitorWorker worker(Hooks(), stop);
    WorkerEnd end{};
    // The first read of each of two cycles is not answered.
    bench.ecu->SetNoAnswer(0x22, 1);
    ASSERT_TRUE(worker.Cycle(end));
    EXPECT_EQ(MonitorFailCount.load(), 0); // the second DID answered
    EXPECT_THAT(Values(results[0]), ElementsAre("", "", "2.00"));
    EXPECT_EQ(results[0].rows[1].SubDataName, "Brake Pressure Right");

    bench.ecu->SetNoAnswer(0x22, 2);
    ASSERT_TRUE(worker.Cycle(end)); // both fail: two in a row
    EXPECT_EQ(MonitorFailCount.load(), 2);
    EXPECT_THAT(Values(results[1]), ElementsAre("", "", ""));
    ASSERT_TRUE(worker.Cycle(end)); // the next succeeds
    EXPECT_EQ(MonitorFailCount.load(), 0);
    EXPECT_THAT(Values(results[2]), ElementsAre("1.95", "1.94", "2.00"));
    EXPECT_EQ(bench.prompter.Count(), 0u); // quiet reads
}

TEST_F(MonitorWorkerTest, FieldsBeyondWhatTheEcuSentAreEmptyNotReadFromThePadding)
{
    // Two data bytes in a single frame padded with zeros to eight.
    bench.ecu->RegisterDid(0x0052, {0x9E, 0x07});
    checked = {Find("0052")};
    MonitorWorker worker(Hooks(), stop);
    WorkerEnd end{};
    ASSERT_TRUE(worker.Cycle(end));
    EXPECT_THAT(Values(results[0]), ElementsAre("1.95", ""));
}

TEST_F(MonitorWorkerTest, ThreeFailuresInARowEndTheLoopAndFreeTheKeepAlive)
{
    checked = {Find("0051"), Find("0054")};
    bench.ecu->SetNoAnswer(0x22);
    MonitorWorker worker(Hooks(), stop);
    worker.Run();
    EXPECT_THAT(ends, ElementsAre(WorkerEnd::ReadFailures));
    // The first cycle fails twice and is shown; the third failure ends the loop.
    EXPECT_EQ(results.size(), 1u);
    EXPECT_EQ(bench.Requests().size(), 3u);
    EXPECT_EQ(MonitorFailCount.load(), 0);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_EQ(bench.prompter.Count(), 0u); // the page shows box 82, not the worker
}

TEST_F(MonitorWorkerTest, AClosedAdapterOrAClosingProgramEndsTheLoop)
{
    checked = {Find("0051")};
    afterCycle = [](size_t) { AppClosing = 1; };
    MonitorWorker worker(Hooks(), stop);
    worker.Run();
    EXPECT_THAT(ends, ElementsAre(WorkerEnd::LinkClosed));
    EXPECT_EQ(results.size(), 1u);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
}

TEST_F(MonitorWorkerTest, ARaisedSignalEndsAWaitAtOnce)
{
    checked = {Find("0051")};
    afterCycle = [this](size_t) { stop.Raise(); };
    MonitorWorker worker(Hooks(), stop);
    const uint64_t before = bench.clock.NowMs();
    worker.Run();
    EXPECT_LT(bench.clock.NowMs() - before, 100u); // no 3000 ms pause, no period
    EXPECT_THAT(ends, ElementsAre(WorkerEnd::Stopped));
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(MonitorWorkerTest, CsvRecordingHeaderInTheNextCycleValuesAfterANewHeaderForNewColumns)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("monitor-golden-" + std::to_string(::getpid()) + ".csv");
    checked = {Find("0051"), Find("0054")};
    MonitorWorker worker(Hooks(), stop);
    WorkerEnd end{};
    ASSERT_TRUE(worker.Cycle(end)); // displaying, not yet recording

    // Recording starts: the page opens the file and hands it over.
    auto file = std::make_unique<tarvel::ReplacingFile>(path.string());
    ASSERT_TRUE(file->Open());
    ASSERT_TRUE(file->AppendRecord(std::string(monitor::kCsvByteOrderMark, 3)));
    {
        std::lock_guard<std::mutex> lock(MonitorCsvLock());
        MonitorCsvFile = std::move(file);
        MonitorCsvHeaderPending = 1;
    }
    ASSERT_TRUE(worker.Cycle(end)); // header
    EXPECT_EQ(MonitorCsvHeaderPending.load(), 0);
    ASSERT_TRUE(worker.Cycle(end)); // values

    // Other DIDs checked (one with a unit holding a comma).
    _tagMonitorDIDdesc_ supply = Find("0054");
    supply.SubFields[0].Unit = "bar, abs";
    checked = {Find("0050"), Find("0051"), supply};
    ASSERT_TRUE(worker.Cycle(end)); // new header
    ASSERT_TRUE(worker.Cycle(end)); // values
    {
        std::lock_guard<std::mutex> lock(MonitorCsvLock());
        ASSERT_TRUE(MonitorCsvFile->Commit());
        MonitorCsvFile.reset();
    }
    ASSERT_TRUE(worker.Cycle(end)); // nothing more written

    const std::string expected = std::string("\xEF\xBB\xBF") +
                                 "bar-Demand Pressure,bar-Reservoir Pressure,\n"
                                 "2.00,8.20,\n"
                                 "km/h-Wheel Speed c,km/h-Wheel Speed d,km/h-Wheel Speed e,km/h-Wheel Speed f,"
                                 "bar-Demand Pressure,\"bar, abs-Reservoir Pressure\",\n"
                                 "20.4,20.5,20.6,20.7,2.02,8.16,\n";
    EXPECT_EQ(ReadAll(path), expected);
    std::filesystem::remove(path);
}

} // namespace
