#include "ABSMonitorLogic.h"

#include "DiagnosisGlobals.h"
#include "FileSave.h"
#include "LocalTime.h"
#include "MonitorFormat.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

namespace {

// Language rows of the page.
constexpr int kRowDisplay = 31;
constexpr int kRowStop = 32;
constexpr int kRowPeriod = 33;
constexpr int kRowSelectAll = 34;
constexpr int kRowRecording = 35;
constexpr int kRowStopRecording = 36;
constexpr int kRowTips = 74;
constexpr int kRowNotConnected = 75;
constexpr int kRowFailureCaption = 76;
constexpr int kRowBadType = 77;
constexpr int kRowReadFailed = 82;
constexpr int kRowNothingTicked = 173;
constexpr int kRowRecordingStopped = 174;
constexpr int kRowCannotOpenCsv = 176;
constexpr int kRowEnterPeriod = 177;
constexpr int kRowDefinitionsMissing = 453;
constexpr int kRowRecordingKeptIn = 676;
constexpr int kRowRecordingStoppedLinesKept = 680;

constexpr const char* kCsvFilter = "文本文件(*.csv)|*.csv";
constexpr const char* kCsvExtension = "csv";

// The name the recording dialog proposes: "Monitor-2024-05-03 14-05-09.csv".
std::string RecordingFileName()
{
    const tarvel::LocalDateTime now = tarvel::LocalNow();
    return "Monitor-" + tarvel::FormatLocalTime(now, "%Y-%m-%d") + " " + tarvel::FormatLocalTime(now, "%H-%M-%S") +
           ".csv";
}

// The logic whose stop the shell's monitor stop runs.
ABSMonitorLogic* installedStop = nullptr;

} // namespace

ABSMonitorLogic::ABSMonitorLogic(const tarvel::PageContext& context)
    : PageLogic(tarvel::TabMonitor, context), self_(std::make_shared<ABSMonitorLogic*>(this))
{
    // Page switches, Disconnect and shutdown end the worker through the shell.
    installedStop = this;
    tarvel::SetMonitorStopHandler([this] { Stop(); });
    timer_ = context.timers.Create([ui = &context.ui, weak = std::weak_ptr<ABSMonitorLogic*>(self_)] {
        // The tick may come on whichever thread moves a test's clock; the
        // page's work runs on the UI thread.
        PostToUi(*ui, weak, [](ABSMonitorLogic& logic) { logic.OnTimerTick(); });
    });
    RefreshTexts();
}

ABSMonitorLogic::~ABSMonitorLogic()
{
    if (installedStop == this) {
        tarvel::SetMonitorStopHandler(nullptr);
        installedStop = nullptr;
    }
    stop_.Raise();
    JoinWorker();
    timer_.reset();
    CloseRecording(false);
}

std::string ABSMonitorLogic::Text(int row, const char* fallback) const
{
    return Context().texts.Text(row, fallback);
}

void ABSMonitorLogic::PostToUi(tarvel::UiDispatcher& ui, std::weak_ptr<ABSMonitorLogic*> self,
                               std::function<void(ABSMonitorLogic&)> work)
{
    ui.Post([self = std::move(self), work = std::move(work)] {
        if (std::shared_ptr<ABSMonitorLogic*> alive = self.lock())
            work(**alive);
    });
}

void ABSMonitorLogic::RefreshTexts()
{
    state_.displayText = MonitorDisplayState == 2 ? Text(kRowStop, "Stop") : Text(kRowDisplay, "Display");
    state_.periodLabel = Text(kRowPeriod, "Periodic(s)");
    state_.selectAllText = Text(kRowSelectAll, "Select All");
    state_.recordText =
        MonitorRecordState == 2 ? Text(kRowStopRecording, "Stop Recording") : Text(kRowRecording, "Recording");
    if (Context().texts.Language() == 0)
        state_.headers = {"序号", "参数名称", "数值", "单位"};
    else
        state_.headers = {"No.", "Name", "Value", "Unit"};
}

void ABSMonitorLogic::OnLanguageChanged()
{
    RefreshTexts();
    Changed();
}

void ABSMonitorLogic::OnResetForNewRun()
{
    OnReloadDefinitions();
}

void ABSMonitorLogic::OnReloadDefinitions()
{
    // The user's ticks belong to the DIDs, not to the rows: a DID that is
    // still defined after the reload stays ticked, whatever its name now is.
    std::multiset<std::string> ticked;
    for (size_t i = 0; i < state_.checked.size() && i < MonitorDidList.size(); ++i)
        if (state_.checked[i])
            ticked.insert(MonitorDidList[i].DidNumber);

    MonitorDidTable.clear();
    MonitorDidList.clear();
    if (LoadDidDefinitionFile(DefinitionFileName(kDefinitionBase, Context().texts.Language()), kRowDefinitionsMissing,
                              MonitorDidTable))
        MonitorDidList = MonitorDidTable;
    state_.didNames.clear();
    state_.checked.clear();
    for (const auto& did : MonitorDidList) {
        state_.didNames.push_back(did.name);
        const auto it = ticked.find(did.DidNumber);
        state_.checked.push_back(it != ticked.end());
        if (it != ticked.end())
            ticked.erase(it);
    }
    state_.selectAll = state_.selectAll && !state_.checked.empty() &&
                       std::find(state_.checked.begin(), state_.checked.end(), false) == state_.checked.end();
    PublishChecked();
    Changed();
}

void ABSMonitorLogic::PublishChecked()
{
    std::vector<_tagMonitorDIDdesc_> dids;
    for (size_t i = 0; i < state_.checked.size() && i < MonitorDidList.size(); ++i)
        if (state_.checked[i])
            dids.push_back(MonitorDidList[i]);
    {
        std::lock_guard<std::mutex> lock(checkedMutex_);
        checkedDids_ = std::move(dids);
    }
    MonitorRebuildPending = 1;
}

void ABSMonitorLogic::OnCheckChanged(size_t row, bool checked)
{
    if (row >= state_.checked.size() || state_.checked[row] == checked)
        return;
    state_.checked[row] = checked;
    PublishChecked();
    Changed();
}

void ABSMonitorLogic::OnSelectAll(bool checked)
{
    state_.selectAll = checked;
    state_.checked.assign(state_.checked.size(), checked);
    PublishChecked();
    Changed();
}

void ABSMonitorLogic::OnPeriodEdited(const std::string& text)
{
    state_.periodText = text;
}

void ABSMonitorLogic::OnDisplay()
{
    if (EcuConnected.load() != 1) {
        Context().prompter.Show(Text(kRowNotConnected, tarvel::kNotConnectedFallbackText),
                                Text(kRowTips, tarvel::kNotConnectedFallbackCaption), tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
        return;
    }
    if (MonitorDisplayState == 2) {
        Stop();
        return;
    }
    const std::optional<monitor::Period> period = monitor::ApplyPeriodRule(state_.periodText);
    if (!period) {
        // Nothing runs: the button goes back to Display.
        Context().prompter.Show(Text(kRowEnterPeriod, "Please enter the period"), Text(kRowTips, "Tips"),
                                tarvel::MsgIcon::None, tarvel::MsgButtons::Ok);
        return;
    }
    state_.periodText = period->text;
    MonitorPeriodMs = period->ms;
    MonitorDisplayState = 2;
    MonitorRebuildPending = 1;
    MonitorRunning = 1;
    timer_->Start(kUiTimerMs);
    StartWorker();
    RefreshTexts();
    Changed();
}

void ABSMonitorLogic::StartWorker()
{
    // Never two workers: one that ended by itself is joined first.
    stop_.Raise();
    JoinWorker();
    stop_.Reset();
    const uint64_t generation = ++generation_;
    ++workersStarted_;
    tarvel::UiDispatcher& ui = Context().ui;
    const std::weak_ptr<ABSMonitorLogic*> weak = self_;
    monitor::MonitorWorker::Hooks hooks;
    hooks.checkedDids = [this] {
        std::lock_guard<std::mutex> lock(checkedMutex_);
        return checkedDids_;
    };
    hooks.cycleDone = [&ui, weak, generation](monitor::CycleResult result) {
        PostToUi(ui, weak, [generation, result = std::move(result)](ABSMonitorLogic& logic) mutable {
            logic.OnCycle(generation, std::move(result));
        });
    };
    hooks.ended = [&ui, weak, generation](monitor::WorkerEnd end) {
        PostToUi(ui, weak, [generation, end](ABSMonitorLogic& logic) { logic.OnWorkerEnded(generation, end); });
    };
    worker_ = std::thread([this, hooks = std::move(hooks)]() mutable {
        const int now = ++workersNow_;
        int most = mostAtOnce_.load();
        while (now > most && !mostAtOnce_.compare_exchange_weak(most, now)) {
        }
        monitor::MonitorWorker worker(std::move(hooks), stop_);
        worker.Run();
        --workersNow_;
    });
}

void ABSMonitorLogic::JoinWorker()
{
    if (worker_.joinable())
        worker_.join();
}

void ABSMonitorLogic::Stop()
{
    MonitorRunning = 0;
    stop_.Raise();
    JoinWorker();
    // Results still on their way to the UI thread belong to the ended run.
    ++generation_;
    if (MonitorDisplayState == 2 || timer_->IsRunning())
        FinishStopped();
}

void ABSMonitorLogic::FinishStopped()
{
    MonitorRunning = 0;
    timer_->Stop();
    MonitorDisplayState = 1;
    // The keep-alive watches the link again.
    tarvel::TestRunning = 0;
    // A recording ends with its monitor.
    CloseRecording();
    RefreshTexts();
    Changed();
}

void ABSMonitorLogic::OnTimerTick()
{
    if (MonitorRunning.load() == 1) {
        if (const std::optional<monitor::Period> period = monitor::ApplyPeriodRule(state_.periodText)) {
            state_.periodText = period->text;
            MonitorPeriodMs = period->ms;
            Changed();
        }
        return;
    }
    // Stopped by the worker itself or by the shell.
    Stop();
}

void ABSMonitorLogic::OnCycle(uint64_t generation, monitor::CycleResult result)
{
    if (generation != generation_ || MonitorDisplayState != 2)
        return;
    const bool rebuild = result.rebuild || result.rows.size() != state_.rows.size();
    if (rebuild)
        ++state_.listVersion;
    state_.rows = std::move(result.rows);
    MonitorRows = state_.rows;
    if (result.recordingFailed) {
        // The file is full or gone: the recording ends with what it holds.
        CloseRecording();
        RefreshTexts();
    }
    Changed();
    if (result.rebuild && result.unknownType)
        Context().prompter.Show(Text(kRowBadType, "Unsupported data type in the definition file"),
                                Text(kRowFailureCaption, "Error"), tarvel::MsgIcon::Exclamation,
                                tarvel::MsgButtons::Ok);
}

void ABSMonitorLogic::OnWorkerEnded(uint64_t generation, monitor::WorkerEnd end)
{
    if (generation != generation_)
        return;
    JoinWorker();
    ++generation_;
    if (end == monitor::WorkerEnd::ReadFailures)
        Context().prompter.Show(Text(kRowReadFailed, "Read failed"), Text(kRowFailureCaption, "Error"),
                                tarvel::MsgIcon::None, tarvel::MsgButtons::Ok);
    FinishStopped();
}

void ABSMonitorLogic::OnRecording()
{
    if (MonitorRecordState == 2) {
        CloseRecording();
        RefreshTexts();
        Changed();
        return;
    }
    // Nothing ticked gives nothing to record: no dialog, no file.
    if (std::find(state_.checked.begin(), state_.checked.end(), true) == state_.checked.end()) {
        Context().prompter.Show(Text(kRowNothingTicked, "No data item is ticked: there is nothing to record"),
                                Text(kRowTips, "Tips"), tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
        return;
    }
    tarvel::FileRequest request;
    request.save = true;
    request.fileName = RecordingFileName();
    request.filter = kCsvFilter;
    request.defaultExtension = kCsvExtension;
    const std::optional<std::string> path =
        tarvel::ChooseSaveFile(Context().files, Context().prompter, request, tarvel::ReplaceFileQuestion(Context().texts));
    if (path) {
        // Recorded under a temporary name beside the chosen file, which is
        // replaced when the recording ends.
        auto file = std::make_unique<tarvel::ReplacingFile>(*path);
        tarvel::SaveResult opened = file->Open();
        if (opened)
            opened = file->AppendRecord(std::string(monitor::kCsvByteOrderMark, 3));
        if (!opened) {
            file->Abandon();
            Context().prompter.Show(
                tarvel::NotSavedText(Text(kRowCannotOpenCsv, "Cannot open the recording file"), *path, opened),
                Text(kRowFailureCaption, "Error"), tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
        } else {
            std::lock_guard<std::mutex> lock(MonitorCsvLock());
            MonitorCsvFile = std::move(file);
            MonitorCsvHeaderPending = 1;
            MonitorRecordState = 2;
        }
    }
    RefreshTexts();
    Changed();
}

void ABSMonitorLogic::CloseRecording(bool tell)
{
    std::unique_ptr<tarvel::ReplacingFile> file;
    {
        // Taken under the worker's lock: no write runs while it is closed.
        std::lock_guard<std::mutex> lock(MonitorCsvLock());
        file = std::move(MonitorCsvFile);
    }
    MonitorRecordState = 1;
    if (!file)
        return;
    // The file holds whole lines only; it replaces the chosen file when it
    // holds more than its byte-order mark. Its lines are on disk already: when
    // it cannot take the chosen name, it stays under its temporary one.
    const tarvel::SaveResult written = file->Failure();
    tarvel::SaveResult committed;
    if (file->Size() > 3)
        committed = file->Commit(tarvel::IfCommitFails::KeepTemporary);
    else
        file->Abandon();
    const tarvel::SaveResult& failure = !committed ? committed : written;
    if (!tell || failure)
        return;
    if (file->Committed()) {
        // The file stopped taking lines (a full disk): what it holds is the
        // recording up to there, under the chosen name.
        Context().prompter.Show(Text(kRowRecordingStoppedLinesKept,
                                     "Recording stopped: no more lines could be written to the file.") +
                                    "\n" + failure.Reason() + "\n\n" +
                                    Text(kRowRecordingKeptIn, "The recorded lines are kept in this file:") + "\n" +
                                    file->Target(),
                                Text(kRowFailureCaption, "Error"), tarvel::MsgIcon::Exclamation,
                                tarvel::MsgButtons::Ok);
        return;
    }
    // The kept file is named below, with the recording's own words.
    std::string text =
        tarvel::NotSavedText(Text(kRowRecordingStopped, "Recording stopped: the file could not be written"),
                             file->Target(), tarvel::SaveResult(failure.Error()));
    if (!file->KeptPath().empty())
        text += "\n\n" + Text(kRowRecordingKeptIn, "The recorded lines are kept in this file:") + "\n" +
                file->KeptPath();
    Context().prompter.Show(text, Text(kRowFailureCaption, "Error"), tarvel::MsgIcon::Exclamation,
                            tarvel::MsgButtons::Ok);
}

void ABSMonitorLogic::OnDisconnected()
{
    Stop();
}

void ABSMonitorLogic::OnStopWork()
{
    Stop();
}
