// Connect, keep-alive and Disconnect through the real adapter switch and UDS
// client (ControlCAN stand-in) against the simulated ECU on the virtual
// buses, all on a virtual clock.
#include "RecordingPages.h"

#include "AppMessages.h"
#include "ConnectionLife.h"
#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "RecorderGlobals.h"
#include "ShellGlobals.h"

#include "AdapterSwitchPort.h"
#include "CanAdapterSwitch.h"
#include "ControlCanStandin.h"
#include "IsoTpLink.h"
#include "UdsEngine.h"

#include "LanguageTable.h"
#include "ProgramPaths.h"

#include "Prompter.h"
#include "Pump.h"
#include "SimEcu.h"
#include "SimWorld.h"
#include "Timer.h"
#include "VirtualClock.h"

#include "SimEcuClientStack.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using conntest::PageMsg;
using conntest::WindowMsg;
using tarvel::WindowSlot;
using Lines = std::vector<std::string>;

constexpr uint64_t kMs = 1000;

const Lines kConnectedMessages = {
    WindowMsg(WindowSlot::LiftingAxlePage, WM_LIFTAXLE_RELOAD_CONFIG),
    WindowMsg(WindowSlot::LiftingAxlePage, WM_LIFTAXLE_REFILL),
    PageMsg(0, WM_DEVICEINFO_RELOAD),
    WindowMsg(WindowSlot::DownloadPage, WM_ECU_CONNECTION_CHANGED),
};

const Lines kDisconnectedMessages = {
    "hide",
    WindowMsg(WindowSlot::DownloadPage, WM_ECU_CONNECTION_CHANGED),
    PageMsg(20, WM_RSSCALIB_DISCONNECTED),
    PageMsg(19, WM_EOLLIFTSENSOR_DISCONNECTED),
    PageMsg(15, WM_EOLHEIGHTSENSOR_DISCONNECTED),
};

class ConnectionLife : public ::testing::Test, public SimEcuClientStack {
protected:
    void SetUp() override
    {
        // Every global is at its load value (the test main resets them).
        LanguageIndex = 1;
        ASSERT_TRUE(LoadLanguageConfig());
        // No adapter is chosen at start; these tests use the first row.
        tarvel::SelectedCanAdapter = 0;
        tarvel::SetCanPort(&port);
        controller = std::make_unique<tarvel::ConnectionController>(pages, timers);
    }

    void TearDown() override
    {
        controller.reset();
        if (tarvel::CanDeviceOpen > 0)
            tarvel::CloseCanDevice();
        tarvel::SetCanPort(nullptr);
        ecu.reset();
    }

    // The ECU on the buses of the given channels only.
    void AttachEcu(std::initializer_list<unsigned> channels = {0, 1})
    {
        ecu = std::make_unique<sim::SimEcu>(clock);
        for (unsigned channel : channels)
            ecu->AttachTo(world.Bus(channel));
    }

    void Connect(int baudRow = 0)
    {
        tarvel::SelectedCanBaud = baudRow;
        controller->OnConnectCan();
    }

    uint64_t Requests(uint8_t sid) const
    {
        const auto stats = ecu->Stats();
        auto it = stats.requestsByService.find(sid);
        return it == stats.requestsByService.end() ? 0 : it->second;
    }

    size_t Count(const std::string& line) const
    {
        size_t n = 0;
        for (const auto& l : pages.log)
            n += l == line ? 1 : 0;
        return n;
    }

    size_t NotConnectedBoxes() const
    {
        size_t n = 0;
        for (const auto& box : prompter.Boxes())
            n += box.text == LanguageText(75) && box.caption == LanguageText(74) ? 1 : 0;
        return n;
    }

    const tarvel::Timer& KeepAlive() const { return controller->KeepAliveTimer(); }

    tarvel::ScopedProgramFolder useData{TARVEL_DATA_DIR};
    tarvel::VirtualTimerFactory timers{clock};
    conntest::RecordingPages pages;
    std::unique_ptr<tarvel::ConnectionController> controller;
};

// ---------------------------------------------------------------- connect

struct BaudCase {
    int baudRow;
    unsigned channel;
    unsigned otherChannel;
};

class ConnectOnBaudRow : public ConnectionLife, public ::testing::WithParamInterface<BaudCase> {};

TEST_P(ConnectOnBaudRow, ProbesOnItsChannelAndAnnouncesTheLink)
{
    const BaudCase c = GetParam();
    // The ECU hears only the channel this rate must use: a probe on the other
    // channel would go unanswered.
    AttachEcu({c.channel});
    world.Bus(c.channel)->SetRecording(true);
    bool quietAndTimedAtDownloadMessage = false;
    pages.onMessage = [&](const std::string& line) {
        if (line == WindowMsg(WindowSlot::DownloadPage, WM_ECU_CONNECTION_CHANGED))
            quietAndTimedAtDownloadMessage = tarvel::UdsQuiet == 1 && KeepAlive().IsRunning();
    };

    Connect(c.baudRow);

    EXPECT_EQ(tarvel::CanChannel.load(), c.channel);
    EXPECT_EQ(EcuConnected.load(), 1);
    EXPECT_EQ(ConnectCommandEnabled, 0);
    EXPECT_FALSE(tarvel::ConnectionController::ConnectCommandOn());
    EXPECT_TRUE(tarvel::ConnectionController::DisconnectCommandOn());
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 2);
    EXPECT_EQ(tarvel::CanDeviceType.load(), tarvel::kCanTypeKestrin);
    EXPECT_EQ(tarvel::CanDeviceIndex.load(), 0u);
    EXPECT_EQ(pages.log, kConnectedMessages);
    EXPECT_TRUE(quietAndTimedAtDownloadMessage);
    EXPECT_TRUE(KeepAlive().IsRunning());
    EXPECT_EQ(KeepAlive().PeriodMs(), 4000u);
    EXPECT_EQ(prompter.Count(), 0u);

    const auto frames = world.Bus(c.channel)->Recorded();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].id, 0x18DA0BF9u);
    EXPECT_EQ(frames[0].data[0], 0x02);
    EXPECT_EQ(frames[0].data[1], 0x10);
    EXPECT_EQ(frames[0].data[2], 0x01);
    EXPECT_EQ(world.Bus(c.otherChannel)->FramesCarried(), 0u);
}

INSTANTIATE_TEST_SUITE_P(BothRates, ConnectOnBaudRow,
                         ::testing::Values(BaudCase{0, 1, 0}, BaudCase{1, 0, 1}),
                         [](const auto& info) { return info.param.baudRow == 0 ? "500k" : "125k"; });

struct RowCase {
    int adapterRow;
    int baudRow;
};

class ConnectRefusesRow : public ConnectionLife, public ::testing::WithParamInterface<RowCase> {};

TEST_P(ConnectRefusesRow, NeverOpensAnAdapter)
{
    AttachEcu();
    tarvel::SelectedCanAdapter = GetParam().adapterRow;
    Connect(GetParam().baudRow);

    EXPECT_EQ(standin::ControlCanLog().Count("VCI_OpenDevice"), 0u);
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 0);
    EXPECT_EQ(Requests(0x10), 0u);
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_EQ(ConnectCommandEnabled, 1);
    EXPECT_TRUE(pages.log.empty());
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, tarvel::kChooseAdapterText);
}

INSTANTIATE_TEST_SUITE_P(OutsideTheTables, ConnectRefusesRow,
                         ::testing::Values(RowCase{-1, 0}, RowCase{4, 0}, RowCase{0, 2}, RowCase{0, -1}),
                         [](const auto& info) {
                             return "adapter" + std::to_string(info.param.adapterRow + 1) + "_baud" +
                                    std::to_string(info.param.baudRow + 1);
                         });

TEST_F(ConnectionLife, AdapterThatCannotOpenChangesNothing)
{
    AttachEcu();
    standin::ControlCanLog().FailCall("VCI_OpenDevice", 0);
    Connect();
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 0);
    EXPECT_EQ(Requests(0x10), 0u);
    EXPECT_EQ(ConnectCommandEnabled, 1);
    EXPECT_TRUE(pages.log.empty());
    EXPECT_FALSE(KeepAlive().IsRunning());
}

TEST_F(ConnectionLife, AdapterThatOpensButCannotStartIsClosedAgain)
{
    AttachEcu();
    standin::ControlCanLog().FailCall("VCI_StartCAN", 0);
    Connect();
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 0);
    EXPECT_EQ(standin::ControlCanLog().Count("VCI_CloseDevice"), 1u);
    EXPECT_EQ(Requests(0x10), 0u);
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_TRUE(pages.log.empty());

    Connect();
    EXPECT_EQ(EcuConnected.load(), 1);
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 2);
}

// ---------------------------------------------------------------- probe

enum class ProbeFault { Silent, Negative };

class ProbeFails : public ConnectionLife, public ::testing::WithParamInterface<ProbeFault> {};

TEST_P(ProbeFails, TellsOnceAndDisconnectsFully)
{
    AttachEcu();
    if (GetParam() == ProbeFault::Silent)
        ecu->SetNoAnswer(0x10);
    else
        ecu->SetNegativeResponse(0x10, 0x22);

    Connect();

    EXPECT_EQ(NotConnectedBoxes(), 1u);
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_EQ(ConnectCommandEnabled, 1);
    EXPECT_TRUE(tarvel::ConnectionController::ConnectCommandOn());
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 0);
    EXPECT_EQ(standin::ControlCanLog().Count("VCI_CloseDevice"), 1u);
    EXPECT_FALSE(KeepAlive().IsRunning());
    EXPECT_EQ(pages.log, kDisconnectedMessages);
    EXPECT_EQ(EolStopRequested.load(), 1);

    // Nothing is left behind: once the ECU answers, Connect works.
    ecu->ClearFaults();
    pages.log.clear();
    Connect();
    EXPECT_EQ(EcuConnected.load(), 1);
    EXPECT_EQ(pages.log, kConnectedMessages);
}

INSTANTIATE_TEST_SUITE_P(Faults, ProbeFails, ::testing::Values(ProbeFault::Silent, ProbeFault::Negative),
                         [](const auto& info) { return info.param == ProbeFault::Silent ? "Silent" : "Negative"; });

TEST_F(ConnectionLife, SecondConnectDuringTheProbeIsIgnored)
{
    AttachEcu();
    // The probe waits a second for its answer; the user clicks again meanwhile.
    ecu->SetResponsePending(0x10, 1, 1000, 1);
    clock.ScheduleIn(100 * kMs, [this] { controller->OnConnectCan(); });

    Connect();

    EXPECT_EQ(Requests(0x10), 1u);
    EXPECT_EQ(standin::ControlCanLog().Count("VCI_OpenDevice"), 1u);
    EXPECT_EQ(EcuConnected.load(), 1);
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 2);
    EXPECT_EQ(pages.log, kConnectedMessages);
    EXPECT_EQ(prompter.Count(), 0u);
}

// ---------------------------------------------------------------- keep-alive

enum class Tick { TestRunning, EcuAnswers, EcuSilent, RequestInFlight, ProgramClosing };

// The pump of a program whose close has been agreed to.
class ClosingPump : public tarvel::NullPump {
public:
    bool QuitRequested() const override { return true; }
};

class KeepAliveTick : public ConnectionLife, public ::testing::WithParamInterface<Tick> {};

TEST_P(KeepAliveTick, ActsOnTheLink)
{
    AttachEcu();
    Connect();
    ASSERT_EQ(EcuConnected.load(), 1);
    pages.log.clear();

    std::unique_ptr<tarvel::UdsTransaction> held;
    ClosingPump closing;
    switch (GetParam()) {
    case Tick::ProgramClosing:
        tarvel::SetPump(&closing);
        break;
    case Tick::TestRunning:
        tarvel::TestRunning = 1;
        EcuConnected = 0; // a tick during a test must not even touch this
        break;
    case Tick::EcuAnswers:
        break;
    case Tick::EcuSilent:
        ecu->SetNoAnswer(0x3E);
        break;
    case Tick::RequestInFlight:
        held = std::make_unique<tarvel::UdsTransaction>(); // a page's request is outstanding
        ASSERT_TRUE(held->Acquired());
        break;
    }

    clock.Advance(4000 * kMs);
    held.reset();
    tarvel::SetPump(nullptr);

    switch (GetParam()) {
    case Tick::ProgramClosing:
        // Once the close is agreed to, the keep-alive sends nothing more.
        EXPECT_EQ(Requests(0x3E), 0u);
        EXPECT_EQ(EcuConnected.load(), 1);
        EXPECT_FALSE(KeepAlive().IsRunning());
        EXPECT_TRUE(pages.log.empty());
        break;
    case Tick::TestRunning:
        EXPECT_EQ(Requests(0x3E), 0u);
        EXPECT_EQ(EcuConnected.load(), 0);
        EXPECT_EQ(tarvel::CanDeviceOpen.load(), 2);
        EXPECT_TRUE(KeepAlive().IsRunning());
        EXPECT_TRUE(pages.log.empty());
        break;
    case Tick::EcuAnswers:
        EXPECT_EQ(Requests(0x3E), 1u);
        EXPECT_EQ(EcuConnected.load(), 1);
        EXPECT_TRUE(KeepAlive().IsRunning());
        EXPECT_TRUE(pages.log.empty());
        break;
    case Tick::EcuSilent:
        EXPECT_EQ(Requests(0x3E), 1u);
        EXPECT_EQ(EcuConnected.load(), 0);
        EXPECT_EQ(ConnectCommandEnabled, 1);
        EXPECT_EQ(tarvel::CanDeviceOpen.load(), 0);
        EXPECT_FALSE(KeepAlive().IsRunning());
        EXPECT_EQ(pages.log, kDisconnectedMessages);
        break;
    case Tick::RequestInFlight:
        EXPECT_EQ(Requests(0x3E), 0u);
        EXPECT_EQ(EcuConnected.load(), 1);
        EXPECT_EQ(tarvel::CanDeviceOpen.load(), 2);
        EXPECT_TRUE(KeepAlive().IsRunning());
        EXPECT_TRUE(pages.log.empty());
        break;
    }
    EXPECT_EQ(prompter.Count(), 0u); // the keep-alive never shows a box
}

INSTANTIATE_TEST_SUITE_P(Cases, KeepAliveTick,
                         ::testing::Values(Tick::TestRunning, Tick::EcuAnswers, Tick::EcuSilent,
                                           Tick::RequestInFlight, Tick::ProgramClosing),
                         [](const auto& info) {
                             switch (info.param) {
                             case Tick::TestRunning: return "TestRunning";
                             case Tick::EcuAnswers: return "EcuAnswers";
                             case Tick::EcuSilent: return "EcuSilent";
                             case Tick::ProgramClosing: return "ProgramClosing";
                             default: return "RequestInFlight";
                             }
                         });

TEST_F(ConnectionLife, KeepAliveRunsEveryFourSeconds)
{
    AttachEcu();
    Connect();
    clock.Advance(3999 * kMs);
    EXPECT_EQ(Requests(0x3E), 0u);
    clock.Advance(1 * kMs);
    EXPECT_EQ(Requests(0x3E), 1u);
    clock.Advance(8000 * kMs);
    EXPECT_EQ(Requests(0x3E), 3u);
    EXPECT_EQ(EcuConnected.load(), 1);
}

// ---------------------------------------------------------------- disconnect

TEST_F(ConnectionLife, DisconnectStopsTheKeepAliveAndClearsTheState)
{
    AttachEcu();
    Connect();
    DtcReadPending = 1;
    DeviceInfoAutoRead = 1;
    MonitorRunning = 1;
    ParameterListStale = 0;
    SystemForm = "4S2M";
    EcuIdentified = 1;
    tarvel::UdsQuiet = 1;
    OdrTripCount = 12;
    OdrOldestTrip = 1;
    OdrNewestTrip = 12;
    OdrShownTrip = 3;
    OdrReadPosition = 5;
    OdrReadIndex = 2;
    OdrTrips.resize(3);
    int stops = 0;
    int adapterStateAtStop = -1;
    tarvel::SetMonitorStopHandler([&] {
        ++stops;
        adapterStateAtStop = tarvel::CanDeviceOpen.load();
    });
    pages.log.clear();

    controller->OnDisconnectCan();

    EXPECT_EQ(pages.log, kDisconnectedMessages);
    EXPECT_FALSE(KeepAlive().IsRunning());
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 0);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(adapterStateAtStop, 2) << "the monitor must have ended before the adapter closed";
    EXPECT_EQ(DtcReadPending, 0);
    EXPECT_EQ(DeviceInfoAutoRead, 0);
    EXPECT_EQ(MonitorRunning.load(), 0);
    EXPECT_EQ(EolStopRequested.load(), 1);
    EXPECT_EQ(ConnectCommandEnabled, 1);
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_TRUE(SystemForm.empty());
    EXPECT_EQ(ParameterListStale, 1);
    EXPECT_EQ(OdrTripCount, -1);
    EXPECT_EQ(OdrOldestTrip, -1);
    EXPECT_EQ(OdrNewestTrip, -1);
    EXPECT_EQ(OdrShownTrip, -1);
    EXPECT_EQ(OdrReadPosition, 0);
    EXPECT_EQ(OdrReadIndex, 0);
    EXPECT_TRUE(OdrTrips.empty());
    // Left as they were.
    EXPECT_EQ(EcuIdentified, 1);
    EXPECT_EQ(tarvel::UdsQuiet.load(), 1u);

    // No tick reaches the closed adapter afterwards.
    clock.Advance(10000 * kMs);
    EXPECT_EQ(Requests(0x3E), 0u);
    EXPECT_EQ(pages.log, kDisconnectedMessages);
    EcuIdentified = -1;
}

TEST_F(ConnectionLife, ReconnectWithinFourSecondsKeepsTheNewLink)
{
    AttachEcu();
    Connect();
    clock.Advance(3000 * kMs);
    controller->OnDisconnectCan(); // takes 500 ms to close
    // The new probe waits a second, across the moment the old link's
    // keep-alive would have ticked.
    ecu->SetResponsePending(0x10, 1, 1000, 1);
    Connect();
    ASSERT_EQ(EcuConnected.load(), 1);
    clock.Advance(1000 * kMs);
    EXPECT_EQ(EcuConnected.load(), 1);
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 2);
    EXPECT_TRUE(KeepAlive().IsRunning());
    clock.Advance(4000 * kMs);
    EXPECT_EQ(Requests(0x3E), 1u);
    EXPECT_EQ(EcuConnected.load(), 1);
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(ConnectionLife, DisconnectDuringTheKeepAliveWaitRunsOnce)
{
    AttachEcu();
    Connect();
    // The ECU asks for time on TesterPresent; the user disconnects meanwhile.
    ecu->SetResponsePending(0x3E, 3, 1000, 1);
    clock.ScheduleIn(4500 * kMs, [this] { controller->OnDisconnectCan(); });
    pages.log.clear();

    clock.Advance(4000 * kMs);

    EXPECT_EQ(pages.log, kDisconnectedMessages);
    EXPECT_EQ(Count(PageMsg(20, WM_RSSCALIB_DISCONNECTED)), 1u);
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_FALSE(KeepAlive().IsRunning());
    EXPECT_EQ(prompter.Count(), 0u);

    // And a new Connect afterwards is not torn down by that old request.
    ecu->ClearFaults();
    Connect();
    clock.Advance(5000 * kMs);
    EXPECT_EQ(EcuConnected.load(), 1);
}

TEST_F(ConnectionLife, SecondDisconnectWhileTheAdapterClosesIsIgnored)
{
    AttachEcu();
    Connect();
    pages.log.clear();
    // Closing takes 500 ms of pumped waiting; the user clicks Disconnect again.
    clock.ScheduleIn(100 * kMs, [this] { controller->OnDisconnectCan(); });

    controller->OnDisconnectCan();

    EXPECT_EQ(pages.log, kDisconnectedMessages);
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_EQ(ConnectCommandEnabled, 1);
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 0);
    // And the next Disconnect (a failed keep-alive, say) works again.
    Connect();
    ASSERT_EQ(EcuConnected.load(), 1);
    pages.log.clear();
    controller->OnDisconnectCan();
    EXPECT_EQ(pages.log, kDisconnectedMessages);
}

TEST_F(ConnectionLife, ConnectWhileThePagesAreToldOfTheDisconnectIsIgnored)
{
    AttachEcu();
    Connect();
    ASSERT_EQ(EcuConnected.load(), 1);
    // The download page's handler waits and the user presses Connect meanwhile.
    pages.onMessage = [this](const std::string& line) {
        if (line == WindowMsg(WindowSlot::DownloadPage, WM_ECU_CONNECTION_CHANGED))
            controller->OnConnectCan();
    };
    pages.log.clear();

    controller->OnDisconnectCan();

    pages.onMessage = nullptr;
    EXPECT_EQ(pages.log, kDisconnectedMessages);
    EXPECT_EQ(Requests(0x10), 1u) << "no second probe";
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_EQ(ConnectCommandEnabled, 1);
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 0);
    // Afterwards Connect works as usual.
    Connect();
    EXPECT_EQ(EcuConnected.load(), 1);
}

class EolResetOnDisconnect : public ConnectionLife, public ::testing::WithParamInterface<int32_t> {};

TEST_P(EolResetOnDisconnect, OnlyAPassedRunResetsTheResults)
{
    AttachEcu();
    Connect();
    const int32_t passedFlag = GetParam();
    EolPassedFlag = passedFlag;
    int32_t* const* flags = EolResultFlags();
    for (int i = 0; i < EolResultFlagCount; ++i)
        *flags[i] = EolPassed;

    controller->OnDisconnectCan();

    const bool reset = passedFlag == 1;
    int notTested = 0;
    for (int i = 0; i < EolResultFlagCount; ++i)
        notTested += *flags[i] == EolNotTested ? 1 : 0;
    // Whatever the flag, the height-sensor and lifting-sensor pages run their
    // Exit on a lost link, which resets their own results.
    EXPECT_EQ(notTested, reset ? 23 : 2);
    EXPECT_EQ(EolHeightSensorResult, EolNotTested);
    EXPECT_EQ(EolLiftingSensorResult, EolNotTested);
    if (reset) {
        EXPECT_EQ(EolVoltageResult, EolNotTested);
        EXPECT_EQ(EolSensor4Result, EolNotTested);
        EXPECT_EQ(EolModulator3Result, EolNotTested);
        EXPECT_EQ(EolPressure4Result, EolNotTested);
        EXPECT_EQ(EolValveCloseResult, EolNotTested);
    }
    // The fifth and sixth pressures are not among the reset results.
    EXPECT_EQ(EolPressure5Result, EolPassed);
    EXPECT_EQ(EolPressure6Result, EolPassed);
    EXPECT_EQ(EolPassedFlag, passedFlag);

    for (int i = 0; i < EolResultFlagCount; ++i)
        *flags[i] = EolNotTested;
    EolPassedFlag = 0;
}

INSTANTIATE_TEST_SUITE_P(PassedFlag, EolResetOnDisconnect, ::testing::Values(-1, 0, 1, 2),
                         [](const auto& info) { return "flag" + std::to_string(info.param + 1); });

} // namespace
