// One poll cycle of the live-data monitor reading every shipped monitor DID:
// the monitor's worker -> UDS services -> ISO-TP link -> adapter switch ->
// ControlCAN stand-in -> virtual bus -> simulated ECU. Time runs on a virtual
// clock that the simulated bus does not advance per bit, so the host time per
// cycle is the program's own cost. The counters give the frames of one cycle
// and the time they need on a real 500 kbit/s bus (an extended frame with 8
// data bytes and the interframe space is 131 bits before stuffing): the
// monitor's refresh is limited by the bus when host time is far below it.
#include "AdapterSwitchPort.h"
#include "CanAdapterGlobals.h"
#include "CanAdapterSwitch.h"
#include "ControlCanStandin.h"
#include "DiagnosisGlobals.h"
#include "DidDefinitions.h"
#include "LanguageTable.h"
#include "MonitorWorker.h"
#include "ProgramPaths.h"
#include "SimEcu.h"
#include "SimEcuClientStack.h"
#include "SimWorld.h"
#include "UdsServices.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

struct Stack : SimEcuClientStack {
    Stack()
    {
        ecu = std::make_unique<sim::SimEcu>(clock);
        ecu->AttachTo(world.Bus(1));
        tarvel::ResetCanAdapterForTest();
        standin::ControlCanReset();
        ok = tarvel::OpenCanDevice(0, 0, 1, 0, 0, 0, 0) == 1;
        tarvel::CanDeviceType = tarvel::CanAdapterRows()[0].TypeCode;
        tarvel::CanDeviceIndex = 0;
        tarvel::CanChannel = 1;
        ok = ok && tarvel::StartCanChannel() == 1;
        tarvel::SetCanPort(&port);
        tarvel::RequestCanId = tarvel::kUdsRequestCanId;
        tarvel::TestRunning = 0;
        tarvel::UdsQuiet = 1;
        LanguageIndex = 1;
        tarvel::InitUdsLink();
    }
    ~Stack()
    {
        tarvel::CloseCanDevice();
        tarvel::SetCanPort(nullptr);
        ecu.reset();
        tarvel::ResetCanAdapterForTest();
        standin::ControlCanReset();
    }
    bool ok = false;
};

void BM_MonitorCycleAllDids(benchmark::State& state)
{
    tarvel::ScopedProgramFolder folder{TARVEL_BENCH_DATA_DIR};
    Stack stack;
    std::vector<_tagMonitorDIDdesc_> dids;
    if (!stack.ok || !LoadDidDefinitionFile("VADE_MonitorParameterConfig/VADE_MonitorParameter_en.xml", 453, dids)) {
        state.SkipWithError("no link or no monitor definitions");
        return;
    }
    monitor::StopSignal stop;
    monitor::MonitorWorker::Hooks hooks;
    hooks.checkedDids = [&dids] { return dids; };
    size_t rows = 0;
    hooks.cycleDone = [&rows](monitor::CycleResult r) { rows = r.rows.size(); };
    monitor::MonitorWorker worker(std::move(hooks), stop);
    const sim::SimEcuStats before = stack.ecu->Stats();
    uint64_t cycles = 0;
    for (auto _ : state) {
        monitor::WorkerEnd end{};
        if (!worker.Cycle(end)) {
            state.SkipWithError("a cycle failed");
            return;
        }
        ++cycles;
    }
    state.counters["dids"] = static_cast<double>(dids.size());
    state.counters["rows"] = static_cast<double>(rows);
    const sim::SimEcuStats after = stack.ecu->Stats();
    const double frames =
        cycles ? static_cast<double>((after.framesIn - before.framesIn) + (after.framesOut - before.framesOut)) / cycles
               : 0;
    constexpr double kBitsPerFrame = 131;
    constexpr double kBitsPerUs = 0.5; // 500 kbit/s
    state.counters["frames"] = frames;
    state.counters["bus_us_500k"] = frames * kBitsPerFrame / kBitsPerUs;
    state.counters["failed_reads"] = MonitorFailCount.load();
}
BENCHMARK(BM_MonitorCycleAllDids)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
