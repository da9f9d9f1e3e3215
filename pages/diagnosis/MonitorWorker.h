// The live-data monitor's worker: the poll loop that runs on its own thread.
// It reads the checked DIDs one after another, decodes them, writes the CSV
// recording and hands each cycle's rows to the page. It never touches a
// window and never shows a box: what the user must see goes through the
// hooks, which hand it to the UI thread.
//
// Stopping is signal, wake, join: StopSignal::Raise ends every wait of the
// loop at once; the owner then joins the thread.
#pragma once

#include "DiagnosisGlobals.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace monitor {

// A raised flag plus the wake-up of whoever waits on it.
class StopSignal {
public:
    void Raise();
    void Reset();
    bool Raised() const { return raised_.load(std::memory_order_acquire); }
    // Lets `ms` pass on the program's clock; false (at once) when the signal
    // is raised before or meanwhile.
    bool WaitMs(uint32_t ms);

private:
    std::atomic<bool> raised_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};

struct CycleResult {
    uint64_t cycle = 0;       // counted from 1
    bool rebuild = false;     // the list is rebuilt from these rows
    bool unknownType = false; // a sub-field of a type the monitor cannot show
    bool recordingFailed = false; // this cycle's line could not be written: the recording must end
    std::vector<_tagFillMonitordesc_> rows;
};

enum class WorkerEnd {
    Stopped,      // the page, a page switch, Disconnect or shutdown stopped it
    ReadFailures, // three failed reads in a row
    LinkClosed,   // the adapter was closed or the program is closing
};

class MonitorWorker {
public:
    struct Hooks {
        // The DIDs to read this cycle, in list order (called on the worker).
        std::function<std::vector<_tagMonitorDIDdesc_>()> checkedDids;
        // A finished cycle (called on the worker; hand it to the UI thread).
        std::function<void(CycleResult)> cycleDone;
        // The loop ended (called on the worker, last thing it does).
        std::function<void(WorkerEnd)> ended;
    };

    // The pause after a cycle that rebuilt the list.
    static constexpr uint32_t kRebuildPauseMs = 3000;
    // Failed reads in a row that stop the monitor.
    static constexpr int kFailuresToStop = 3;

    MonitorWorker(Hooks hooks, StopSignal& stop) : hooks_(std::move(hooks)), stop_(stop) {}

    // The loop; returns when it ended (and after `ended` was called).
    void Run();
    // One poll cycle; false when the loop must end (`end` says why).
    bool Cycle(WorkerEnd& end);

private:
    // Reads one DID; waits while another thread holds the link. False when
    // the ECU did not answer or the worker was stopped meanwhile.
    bool ReadDid(uint16_t did, std::vector<uint8_t>& record, size_t& size);
    bool KeepRunning(WorkerEnd& end) const;
    // False when the line could not be written (the recording keeps its
    // whole lines and takes no more).
    bool WriteCsv(const std::vector<_tagFillMonitordesc_>& rows, bool checkedSetChanged);

    Hooks hooks_;
    StopSignal& stop_;
    uint64_t cycles_ = 0;
    bool lastCycleRebuilt_ = false;
    std::vector<std::string> lastDids_;
    bool csvHeaderWritten_ = false;
};

} // namespace monitor
