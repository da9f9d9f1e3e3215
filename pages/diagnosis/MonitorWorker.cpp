#include "MonitorWorker.h"

#include "CanAdapterGlobals.h"
#include "Clock.h"
#include "MonitorFormat.h"
#include "ShellGlobals.h"
#include "UdsServices.h"

#include <algorithm>
#include <chrono>

namespace monitor {

namespace {
// The wait of a virtual clock moves time on in steps this long, checking the
// signal between them.
constexpr uint64_t kVirtualStepUs = 10000;
// While another thread holds the link the worker looks again this often.
constexpr uint32_t kBusyLinkRetryMs = 1;
} // namespace

void StopSignal::Raise()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        raised_.store(true, std::memory_order_release);
    }
    wake_.notify_all();
}

void StopSignal::Reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    raised_.store(false, std::memory_order_release);
}

bool StopSignal::WaitMs(uint32_t ms)
{
    tarvel::Clock& clock = tarvel::GetClock();
    const uint64_t deadline = clock.NowUs() + static_cast<uint64_t>(ms) * 1000;
    const bool realTime = dynamic_cast<tarvel::RealClock*>(&clock) != nullptr;
    for (;;) {
        if (Raised())
            return false;
        const uint64_t now = clock.NowUs();
        if (now >= deadline)
            return true;
        if (realTime) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait_for(lock, std::chrono::microseconds(deadline - now), [this] { return Raised(); });
        } else {
            // A virtual clock only moves when somebody sleeps on it.
            clock.SleepUs(std::min(deadline - now, kVirtualStepUs));
        }
    }
}

bool MonitorWorker::KeepRunning(WorkerEnd& end) const
{
    if (stop_.Raised() || MonitorRunning.load() != 1) {
        end = WorkerEnd::Stopped;
        return false;
    }
    if (tarvel::CanDeviceOpen.load() == 0 || AppClosing.load() == 1) {
        end = WorkerEnd::LinkClosed;
        return false;
    }
    return true;
}

void MonitorWorker::Run()
{
    WorkerEnd end = WorkerEnd::Stopped;
    while (KeepRunning(end)) {
        if (!Cycle(end))
            break;
        if (lastCycleRebuilt_ && !stop_.WaitMs(kRebuildPauseMs))
            continue; // stopped: the loop's test says why
        if (!KeepRunning(end))
            break;
        stop_.WaitMs(static_cast<uint32_t>(std::max(0, MonitorPeriodMs.load())));
    }
    // The keep-alive watches the link again.
    tarvel::TestRunning = 0;
    if (hooks_.ended)
        hooks_.ended(end);
}

bool MonitorWorker::ReadDid(uint16_t did, std::vector<uint8_t>& record, size_t& size)
{
    for (;;) {
        if (stop_.Raised())
            return false;
        if (tarvel::UdsRequestInFlight()) {
            // Another thread's transaction: not a failure of the ECU.
            stop_.WaitMs(kBusyLinkRetryMs);
            continue;
        }
        tarvel::TestRunning = 1; // keeps the keep-alive quiet while the monitor polls
        const int ok = tarvel::UdsReadByIdQuiet(did, record);
        if (!ok && tarvel::UdsLastCallRefusedHere()) {
            stop_.WaitMs(kBusyLinkRetryMs);
            continue;
        }
        if (!ok)
            return false;
        // Only what the ECU sent counts; the padding of the last frame is not data.
        const uint32_t announced = tarvel::UdsLastResponseLengthHere();
        size = std::min<size_t>(record.size(), announced >= 3 ? announced - 3 : 0);
        return true;
    }
}

bool MonitorWorker::Cycle(WorkerEnd& end)
{
    CycleResult result;
    result.cycle = ++cycles_;
    result.rebuild = MonitorRebuildPending.exchange(0) == 1;
    lastCycleRebuilt_ = result.rebuild;
    const std::vector<_tagMonitorDIDdesc_> dids =
        hooks_.checkedDids ? hooks_.checkedDids() : std::vector<_tagMonitorDIDdesc_>();
    std::vector<std::string> numbers;
    for (const auto& did : dids) {
        numbers.push_back(did.DidNumber);
        const std::optional<uint16_t> id = DidNumberValue(did.DidNumber);
        std::vector<uint8_t> record;
        size_t size = 0;
        const bool ok = id && ReadDid(*id, record, size);
        if (stop_.Raised()) {
            end = WorkerEnd::Stopped;
            return false;
        }
        if (ok) {
            MonitorFailCount = 0;
            AppendDidRows(did, record.data(), size, result.rows, result.unknownType);
            continue;
        }
        // The rows stay, with empty values, so no value moves under another name.
        AppendDidRows(did, nullptr, 0, result.rows, result.unknownType);
        if (MonitorFailCount.fetch_add(1) + 1 >= kFailuresToStop) {
            MonitorFailCount = 0;
            end = WorkerEnd::ReadFailures;
            return false;
        }
    }
    const bool checkedSetChanged = numbers != lastDids_;
    lastDids_ = std::move(numbers);
    result.recordingFailed = !WriteCsv(result.rows, checkedSetChanged);
    if (hooks_.cycleDone)
        hooks_.cycleDone(std::move(result));
    return true;
}

bool MonitorWorker::WriteCsv(const std::vector<_tagFillMonitordesc_>& rows, bool checkedSetChanged)
{
    std::lock_guard<std::mutex> lock(MonitorCsvLock());
    if (!MonitorCsvFile) {
        csvHeaderWritten_ = false;
        return true;
    }
    // A recording that failed waits for the page to end it.
    if (!MonitorCsvFile->Failure())
        return true;
    // Nothing ticked: no line at all (an empty line is no record).
    if (rows.empty())
        return true;
    // Another set of DIDs gives other columns: they get their own header.
    if (csvHeaderWritten_ && checkedSetChanged)
        MonitorCsvHeaderPending = 1;
    const bool header = MonitorCsvHeaderPending.load() == 1;
    const std::string line = header ? CsvHeaderLine(rows) : CsvValueLine(rows);
    // Each line is written whole or not at all.
    if (!MonitorCsvFile->AppendRecord(line))
        return false;
    if (header) {
        MonitorCsvHeaderPending = 0;
        csvHeaderWritten_ = true;
    }
    return true;
}

} // namespace monitor
