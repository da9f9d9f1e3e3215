#include "ConnectionLife.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "PageHostTable.h"
#include "PageLogicSet.h"
#include "PageSwitch.h"
#include "ShellGlobals.h"

#include "CanAdapterSwitch.h"
#include "EcuRestart.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include "Log.h"
#include "Prompter.h"
#include "Pump.h"

#include <string>

namespace tarvel {

const char* const kChooseAdapterText =
    "Please choose a CAN adapter and a baud rate (500Kbps or 125Kbps) before connecting.";
const char* const kChooseAdapterCaption = "Warning";

namespace {

// Restores a flag when the scope ends, however it ends.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
};

} // namespace

uint32_t CanChannelForBaudRow(int32_t baudRow)
{
    return baudRow == 0 ? 1u : 0u;
}

bool ConnectionRowsValid(int32_t adapterRow, int32_t baudRow)
{
    return adapterRow >= 0 && static_cast<size_t>(adapterRow) < CanAdapterRowCount() && baudRow >= 0 &&
           static_cast<size_t>(baudRow) < CanBaudTable.size();
}

ConnectionController::ConnectionController(ShellPages& pages, TimerFactory& timers)
    : pages_(pages), timer_(timers.Create([this] { OnKeepAliveTick(); }))
{
    // A page that reset the ECU and waited for it in vain closes the link here.
    SetEcuLostHandler([this] { OnEcuLost(); });
}

ConnectionController::~ConnectionController()
{
    SetEcuLostHandler(nullptr);
    if (timer_)
        timer_->Stop();
}

bool ConnectionController::ConnectCommandOn()
{
    return ConnectCommandEnabled == 1;
}

bool ConnectionController::DisconnectCommandOn()
{
    return ConnectCommandEnabled == 0;
}

void ConnectionController::Changed()
{
    if (observer_)
        observer_();
}

void ConnectionController::OnConnectCan()
{
    // The probe pumps events: a second click must not open the adapter again
    // under the running probe. And while connected the command is off.
    if (connecting_) {
        TraceLog("Connect ignored: a connect is already running\n");
        return;
    }
    if (ConnectCommandEnabled != 1) {
        TraceLog("Connect ignored: already connected\n");
        return;
    }
    // The pages are still being told that the old link is gone; a new link
    // opened now would be announced as lost at once.
    if (disconnecting_) {
        TraceLog("Connect ignored: a disconnect is still running\n");
        return;
    }
    FlagGuard busy(connecting_);
    ClearEcuRestart(); // a restart of an earlier link says nothing about this one

    const int32_t adapterRow = SelectedCanAdapter.load();
    const int32_t baudRow = SelectedCanBaud.load();
    // No row chosen, or the empty third baud row: those rows are in no table.
    if (!ConnectionRowsValid(adapterRow, baudRow)) {
        TraceLog("Connect refused: adapter row " + std::to_string(adapterRow) + ", baud row " +
                 std::to_string(baudRow) + "\n");
        ShowMessage(kChooseAdapterText, kChooseAdapterCaption, MsgIcon::Exclamation);
        return;
    }

    // 500 kbit/s runs on channel 1, 125 kbit/s on channel 0.
    CanChannel = CanChannelForBaudRow(baudRow);
    // Open; a failure was already reported by the opening code.
    const int32_t opened = OpenCanDevice(adapterRow, 0, CanChannel.load(), baudRow, 0, 0, 0);
    TraceLog("OpenCanDevice return:" + std::to_string(opened) + "\n");
    if (opened != 1)
        return;
    // The open adapter's identity for transmit and receive.
    CanDeviceType = CanAdapterRows()[adapterRow].TypeCode;
    CanDeviceIndex = 0;
    // Start. An adapter left open but not started would refuse the next
    // open of its device, so it is closed again.
    if (StartCanChannel() != 1) {
        CloseCanDevice();
        return;
    }
    // Does an ECU answer?
    if (!ProbeEcu()) {
        ShowNotConnectedBox();
        OnDisconnectCan();
        return;
    }
    // Connected.
    ConnectCommandEnabled = 0;
    EcuConnected = 1;
    const uint64_t link = ++generation_;
    Changed();
    // The pages read what they need of the new ECU (this pumps events).
    NotifyConnected();
    if (link != generation_)
        return; // disconnected while the pages were reading: no keep-alive for a closed link
    // Keep-alive.
    timer_->Start(kKeepAlivePeriodMs);
    // From now on a time-out shows no box.
    UdsQuiet = 1;
    // The download page follows the link state.
    pages_.SendToWindow(WindowSlot::DownloadPage, WM_ECU_CONNECTION_CHANGED);
}

bool ConnectionController::ProbeEcu()
{
    TestRunning = 0;
    return UdsDiagnosticSessionControl(0x01) == 1;
}

void ConnectionController::NotifyConnected()
{
    TestRunning = 0;
    pages_.SendToWindow(WindowSlot::LiftingAxlePage, WM_LIFTAXLE_RELOAD_CONFIG);
    pages_.SendToWindow(WindowSlot::LiftingAxlePage, WM_LIFTAXLE_REFILL);
    pages_.SendToPage(TabDeviceInfo, WM_DEVICEINFO_RELOAD);
    TellPagesConnected(pages_);
}

void ConnectionController::OnKeepAliveTick()
{
    if (TestRunning.load() != 0)
        return; // a test drives the ECU: it notices a dead link by itself
    if (GetPump().QuitRequested()) {
        timer_->Stop(); // the program ends: nothing more goes to the ECU
        return;
    }
    if (ConnectCommandEnabled != 0) {
        timer_->Stop(); // no link to keep alive
        return;
    }
    // A request of a page (or the monitor) holds the link; this tick would
    // be refused, and a refused TesterPresent must not count as a dead ECU.
    if (UdsRequestInFlight())
        return;
    // The ECU restarts after a reset and answers nothing meanwhile: its
    // silence is no dead link. Whoever reset it waits for its answer.
    if (EcuRestartPending())
        return;
    const uint64_t link = generation_;
    const int alive = UdsTesterPresent();
    if (link != generation_)
        return; // the link was closed or replaced while we waited
    if (alive == 1) {
        EcuConnected = 1;
        return;
    }
    OnEcuLost();
}

void ConnectionController::OnEcuLost()
{
    if (ConnectCommandEnabled != 0)
        return; // no link left to close
    OnDisconnectCan();
    timer_->Stop();
}

void ConnectionController::OnDisconnectCan()
{
    if (disconnecting_) {
        TraceLog("Disconnect ignored: a disconnect is already running\n");
        return;
    }
    FlagGuard busy(disconnecting_);
    // Nothing may reach the adapter once it closes: no keep-alive tick, and
    // the monitor's worker has ended (not just been asked to).
    timer_->Stop();
    StopMonitorWorker();

    if (CloseCanDevice() != 1)
        return;
    ++generation_;
    ClearEcuRestart();
    pages_.HideAllTabs();
    ConnectCommandEnabled = 1;
    EcuConnected = 0;
    // The ECU's identity is forgotten; every page stops its work and forgets
    // what it learnt from that ECU.
    SystemForm.clear();
    TellPagesDisconnected(pages_);
    Changed();
    // The pages that hold link state of their own are told.
    pages_.SendToWindow(WindowSlot::DownloadPage, WM_ECU_CONNECTION_CHANGED);
    pages_.SendToPage(TabRssCalibration, WM_RSSCALIB_DISCONNECTED);
    pages_.SendToPage(TabEolLiftingSensor, WM_EOLLIFTSENSOR_DISCONNECTED);
    pages_.SendToPage(TabEolHeightSensor, WM_EOLHEIGHTSENSOR_DISCONNECTED);
    // After a passed run the next vehicle starts from not tested. The
    // passed flag itself stays, so every later disconnect resets again.
    if (EolPassedFlag == 1)
        ::ResetEolResultsAfterPass();
}

} // namespace tarvel
