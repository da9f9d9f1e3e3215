// The live-data monitor page's decisions. Display starts a worker thread
// that reads the checked DIDs over and over (MonitorWorker.h); its rows come
// back to the UI thread through the page context's dispatcher and land in
// the state. Recording writes the values into a CSV file.
//
// The worker is stopped by signal, wake and join: by Display, by the page's
// own stop hooks and by the shell's monitor stop (installed by the page), so
// nothing else is sent and the adapter is not closed until it has ended.
#pragma once

#include "ABSMonitorState.h"
#include "MonitorWorker.h"
#include "PageLogic.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

class ABSMonitorLogic : public tarvel::PageLogic {
public:
    static constexpr uint32_t kUiTimerMs = 1000;
    static constexpr const char* kDefinitionBase = "VADE_MonitorParameterConfig/VADE_MonitorParameter";

    explicit ABSMonitorLogic(const tarvel::PageContext& context);
    ~ABSMonitorLogic() override;

    const ABSMonitorState& State() const { return state_; }

    // The page's controls.
    void OnDisplay();
    void OnSelectAll(bool checked);
    void OnCheckChanged(size_t row, bool checked);
    void OnPeriodEdited(const std::string& text);
    void OnRecording();
    // WM_MONITOR_RELOAD_DEFINITIONS: the definitions of the current language;
    // the DIDs that were ticked and are still defined stay ticked.
    void OnReloadDefinitions();

    void OnLanguageChanged() override;
    void OnResetForNewRun() override;
    void OnDisconnected() override;
    void OnStopWork() override;

    // Signal, wake and join the worker, then show the page as stopped.
    void Stop();
    // A worker thread exists (running or not yet joined).
    bool WorkerAlive() const { return worker_.joinable(); }
    // Workers started so far, and the most that ever ran at the same time.
    uint64_t WorkersStarted() const { return workersStarted_; }
    int MostWorkersAtOnce() const { return mostAtOnce_.load(); }

private:
    void StartWorker();
    void JoinWorker();
    void FinishStopped();
    void OnTimerTick();
    void OnCycle(uint64_t generation, monitor::CycleResult result);
    void OnWorkerEnded(uint64_t generation, monitor::WorkerEnd end);
    void PublishChecked();
    // Ends the recording: the chosen file gets the whole lines written (an
    // older file stays when there are none). `tell`: a failure shows its box.
    void CloseRecording(bool tell = true);
    void RefreshTexts();
    std::string Text(int row, const char* fallback) const;
    // Runs `work` on the UI thread unless the logic is gone by then.
    static void PostToUi(tarvel::UiDispatcher& ui, std::weak_ptr<ABSMonitorLogic*> self,
                         std::function<void(ABSMonitorLogic&)> work);

    ABSMonitorState state_;
    std::unique_ptr<tarvel::Timer> timer_;
    std::thread worker_;
    monitor::StopSignal stop_;
    uint64_t generation_ = 0;
    uint64_t workersStarted_ = 0;
    std::atomic<int> workersNow_{0};
    std::atomic<int> mostAtOnce_{0};
    // The DIDs the worker reads, copied from the checked rows.
    std::mutex checkedMutex_;
    std::vector<_tagMonitorDIDdesc_> checkedDids_;
    std::shared_ptr<ABSMonitorLogic*> self_;
};
