// What a box costs that the user leaves open over a wait for the ECU: the
// program's own message pump (WxPump) and UDS client, a real modal box and
// the real clock. A ReadDataByIdentifier goes out; while it is in flight a
// handler that the wait's pump dispatched opens a modal box, as the close
// question or a "Download Success" box does, and leaves it open for the
// argument's milliseconds. The ECU answers after 20 ms, so the box stands
// over an answered wait nearly all that time, during which the ECU must
// still hear a TesterPresent (3E 80) every 2 s.
//
// The reference row opens the same box over no wait at all.
//
// Counters (per box):
//   cpu_pct_of_core  CPU time of the whole process while the box was open,
//                    as a share of one core
//   keep_alives      TesterPresent requests the ECU heard meanwhile
//
// Needs a display (wxGTK); run it as
//   xvfb-run -a build/bench/uds/bench_held_wait
#include "CanPort.h"
#include "IsoTpLink.h"
#include "NodeFrames.h"
#include "UdsServices.h"
#include "VirtualCanBus.h"
#include "WxPump.h"

#include <benchmark/benchmark.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/init.h>
#include <wx/timer.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using SteadyClock = std::chrono::steady_clock;

// The answer delay of the ECU: long enough for the box to open first.
constexpr auto kAnswerDelay = std::chrono::milliseconds(20);

double ProcessCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

using benchframes::Frame;

// Single-frame requests only. Answers 22 with four bytes after kAnswerDelay,
// counts TesterPresent that asks for no answer and sends nothing for it.
// Its answers become due on the tester's side of the bus: the ECU is served
// whenever the tester looks for frames, as a real ECU answers in its own time.
class DelayedEcu {
public:
    explicit DelayedEcu(std::shared_ptr<sim::CanNode> node) : node_(std::move(node))
    {
        node_->SetReceiveHandler([this](const sim::CanFrame& f) { OnFrame(f); });
    }
    void Serve()
    {
        if (pending_.empty() || SteadyClock::now() < dueAt_)
            return;
        node_->Send(Frame(tarvel::kUdsResponseCanId, pending_));
        pending_.clear();
    }
    int keepAlives = 0;

private:
    void OnFrame(const sim::CanFrame& f)
    {
        if ((f.data[0] >> 4) != 0)
            return;
        const Bytes request(f.data.begin() + 1, f.data.begin() + 1 + (f.data[0] & 0x0F));
        if (request.size() == 2 && request[0] == 0x3E && request[1] == 0x80) {
            ++keepAlives;
        } else if (request.size() == 3 && request[0] == 0x22) {
            pending_ = {0x06, 0x62, request[1], request[2], 1, 2, 3, 4};
            dueAt_ = SteadyClock::now() + kAnswerDelay;
        }
    }

    std::shared_ptr<sim::CanNode> node_;
    Bytes pending_;
    SteadyClock::time_point dueAt_{};
};

class NodePort : public tarvel::CanPort {
public:
    NodePort(std::shared_ptr<sim::CanNode> node, DelayedEcu& ecu) : node_(std::move(node)), ecu_(ecu) {}
    bool Transmit(uint32_t id, const Bytes& data, const std::string&) override
    {
        return node_->Send(Frame(id, data));
    }
    size_t Receive(CanFrameRecord* out, size_t max) override
    {
        ecu_.Serve();
        return benchframes::Receive(*node_, out, max);
    }

private:
    std::shared_ptr<sim::CanNode> node_;
    DelayedEcu& ecu_;
};

struct Rig {
    std::shared_ptr<sim::CanBus> bus = sim::CanBus::Create(500000);
    std::shared_ptr<sim::CanNode> tester = bus->Attach(500000);
    DelayedEcu ecu{bus->Attach(500000)};
    NodePort port{tester, ecu};
    tarvel::WxPump pump;
    Rig()
    {
        tarvel::SetCanPort(&port);
        tarvel::SetPump(&pump);
    }
    ~Rig()
    {
        tarvel::SetPump(nullptr);
        tarvel::SetCanPort(nullptr);
    }
};

struct BoxFigures {
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

// A modal box left open for `holdMs`, timed from its opening to its closing.
BoxFigures HoldBox(int holdMs)
{
    wxDialog box(nullptr, wxID_ANY, "Tips");
    wxTimer close;
    close.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { box.EndModal(wxID_OK); });
    close.StartOnce(holdMs);
    const double cpuFrom = ProcessCpuSeconds();
    const auto from = SteadyClock::now();
    box.ShowModal();
    BoxFigures figures;
    figures.wallSeconds = std::chrono::duration<double>(SteadyClock::now() - from).count();
    figures.cpuSeconds = ProcessCpuSeconds() - cpuFrom;
    return figures;
}

void Report(benchmark::State& state, double cpu, double wall, int keepAlives)
{
    state.counters["cpu_pct_of_core"] = wall > 0 ? 100.0 * cpu / wall : 0.0;
    state.counters["keep_alives"] =
        benchmark::Counter(static_cast<double>(keepAlives), benchmark::Counter::kAvgIterations);
}

void BM_BoxHeldOverAnsweredWait(benchmark::State& state)
{
    Rig rig;
    const int holdMs = static_cast<int>(state.range(0));
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        BoxFigures figures;
        bool opened = false;
        // Due at the wait's first pumps, while the request is in flight.
        wxTimer opener;
        opener.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            opened = true;
            figures = HoldBox(holdMs);
        });
        opener.StartOnce(1);
        std::vector<uint8_t> out;
        const int result = tarvel::UdsReadById(0xF18A, out);
        if (result != 1 || !opened) {
            state.SkipWithError(opened ? "the request failed" : "the box did not open over the wait");
            break;
        }
        state.SetIterationTime(figures.wallSeconds);
        cpu += figures.cpuSeconds;
        wall += figures.wallSeconds;
    }
    Report(state, cpu, wall, rig.ecu.keepAlives);
}
BENCHMARK(BM_BoxHeldOverAnsweredWait)->ArgName("open_ms")->Arg(3000)->Iterations(2)->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_BoxOverNoWait(benchmark::State& state)
{
    Rig rig;
    const int holdMs = static_cast<int>(state.range(0));
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const BoxFigures figures = HoldBox(holdMs);
        state.SetIterationTime(figures.wallSeconds);
        cpu += figures.cpuSeconds;
        wall += figures.wallSeconds;
    }
    Report(state, cpu, wall, rig.ecu.keepAlives);
}
BENCHMARK(BM_BoxOverNoWait)->ArgName("open_ms")->Arg(3000)->Iterations(2)->UseManualTime()
    ->Unit(benchmark::kMillisecond);

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

} // namespace

int main(int argc, char** argv)
{
    wxApp::SetInstance(new BenchApp);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv))
        return 1;
    wxTheApp->CallOnInit();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
