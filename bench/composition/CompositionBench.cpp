// A 256 KiB program download as the download page runs it, on each adapter
// row of the table (Kestrin, Holvar, Pellix-II, VECTOR-XL), through the
// running program's own CAN composition: the adapter switch, the stand-in
// driver each row loads when no vendor driver is installed, and the built-in
// simulated world whose buses carry every frame for its bit time. Virtual
// clock, the 500 kbit/s bus; the ECU asks for block size 0 and STmin 0 and
// announces its maximum block length of 1026 bytes.
//
// Counters (per download, simulated time from Start Download to the end of
// the ECU's answer to the reset):
//   sim_seconds       the simulated duration of the download
//   throughput_kB_s   image bytes / simulated duration (1 kB = 1000 bytes)
//   bus_load_pct      bus time of every frame exchanged / simulated duration
//   frames            frames on the bus during the download
// Host time per iteration is the program's own cost of the download.
#include "CanAdapterSwitch.h"
#include "GlobalsReset.h"
#include "ProgramComposition.h"
#include "SimEcu.h"
#include "TimedDownload.h"

#include <benchmark/benchmark.h>

namespace {

constexpr size_t kImageBytes = 256 * 1024;

void BM_Download256KiBOnAdapterRow(benchmark::State& state)
{
    const int row = static_cast<int>(state.range(0));
    state.SetLabel(tarvel::CanAdapterRows()[row].DisplayName);
    const auto image = tarvel_test::DownloadImage(kImageBytes);
    tarvel_test::DownloadFigures figures;
    for (auto _ : state) {
        tarvel_test::ResetAllGlobals();
        tarvel_test::ProgramComposition program;
        if (!program.Connect(row, 0)) {
            state.SkipWithError("no connection");
            return;
        }
        figures = tarvel_test::TimedDownload(program.Context(), program.clock, program.BusOfBaudRow(0), image,
                                             program.prompter);
        if (figures.ok && (!sim::BuiltInEcu() || sim::BuiltInEcu()->DownloadedImage() != image.bytes))
            figures = {};
        if (!figures.ok) {
            state.SkipWithError(figures.error.c_str());
            return;
        }
    }
    const double seconds = static_cast<double>(figures.durationUs) / 1e6;
    state.counters["sim_seconds"] = seconds;
    state.counters["throughput_kB_s"] = static_cast<double>(kImageBytes) / seconds / 1000.0;
    state.counters["bus_load_pct"] =
        100.0 * static_cast<double>(figures.busTimeUs) / static_cast<double>(figures.durationUs);
    state.counters["frames"] = static_cast<double>(figures.frames);
}
BENCHMARK(BM_Download256KiBOnAdapterRow)
    ->ArgName("adapter_row")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace

BENCHMARK_MAIN();
