// A full read of the operating data recorder as the recorder page runs it
// (information record, trip count, ring position, session, unlock, routine
// start, then every trip of the ring, with the page's 10 ms pause after each)
// through the program's whole client stack against the simulated ECU and its
// log of 600 trips, on the virtual clock with the bus timing model on the
// 500 kbit/s bus: every frame occupies the bus for its bit time (stuff bits
// counted) and reaches the other side only once it has left the bus.
//
// Counters (per read, simulated time from the press of Read Information to
// the end of the read):
//   sim_seconds      the simulated duration of the read
//   bus_seconds      the time the frames of the read occupy the bus
//   bus_share_pct    bus_seconds / sim_seconds
//   pause_share_pct  the page's pauses between trips / sim_seconds
//   separation_share_pct  the separation time the tester asks for in its flow
//                    control (STmin), kept before every consecutive frame of
//                    the ECU but the first after a flow control / sim_seconds
//   frames           frames on the bus during the read
//   trips            trips read
// Host time per iteration is the program's own cost of the read.
#include "CanBitTiming.h"
#include "CanIdentifiers.h"
#include "GlobalsReset.h"
#include "ODR_InfoLogic.h"
#include "PageBench.h"
#include "RecorderGlobals.h"
#include "ShellGlobals.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr uint32_t kBusBitsPerSecond = 500000;

struct ReadFigures {
    bool ok = false;
    uint64_t durationUs = 0;
    uint64_t busTimeUs = 0;
    uint64_t frames = 0;
    uint64_t separationUs = 0;
    size_t trips = 0;
    std::string error = "the read did not end with every trip held";
};

ReadFigures FullRead()
{
    ReadFigures figures;
    tarvel_test::ResetAllGlobals();
    tarvel_test::PageBench bench;
    for (unsigned channel : {0u, 1u})
        bench.world.Bus(channel)->SetTimingModel(true, &bench.clock);
    if (!bench.Connect()) {
        figures.error = "no connection";
        return figures;
    }
    auto bus = bench.world.Bus(1);
    if (bus->Bitrate() != kBusBitsPerSecond) {
        figures.error = "not the 500 kbit/s bus";
        return figures;
    }
    ODR_InfoLogic page(bench.Context());
    page.OnResetForNewRun();
    // Let the connection's own traffic leave the bus first.
    bench.Advance(10);
    bus->SetRecording(true);
    const uint64_t start = bench.clock.NowUs();
    page.ReadOdrInformation();
    const uint64_t end = bench.clock.NowUs();
    bus->SetRecording(false);
    if (!ODR_InfoLogic::TripsHeld() || !bench.prompter.Boxes().empty())
        return figures;
    uint64_t stMinUs = 0;
    bool firstAfterFlowControl = false;
    for (const sim::CanFrame& f : bus->Recorded()) {
        figures.busTimeUs += sim::CanFrameTimeUs(f, kBusBitsPerSecond);
        ++figures.frames;
        const uint8_t pci = f.data[0] >> 4;
        if (f.id == tarvel::kUdsRequestCanId && pci == 3) {
            // STmin 0..0x7F in milliseconds.
            stMinUs = f.data[2] <= 0x7F ? f.data[2] * 1000u : 0u;
            firstAfterFlowControl = true;
        } else if (f.id == tarvel::kUdsResponseCanId && pci == 2) {
            if (!firstAfterFlowControl)
                figures.separationUs += stMinUs;
            firstAfterFlowControl = false;
        }
    }
    figures.durationUs = end - start;
    figures.trips = OdrTrips.size();
    figures.ok = true;
    return figures;
}

void BM_RecorderFullRead(benchmark::State& state)
{
    ReadFigures figures;
    for (auto _ : state) {
        figures = FullRead();
        if (!figures.ok) {
            state.SkipWithError(figures.error.c_str());
            return;
        }
    }
    const double seconds = static_cast<double>(figures.durationUs) / 1e6;
    state.counters["sim_seconds"] = seconds;
    state.counters["bus_seconds"] = static_cast<double>(figures.busTimeUs) / 1e6;
    state.counters["bus_share_pct"] =
        100.0 * static_cast<double>(figures.busTimeUs) / static_cast<double>(figures.durationUs);
    state.counters["pause_share_pct"] = 100.0 * static_cast<double>(figures.trips) * ODR_InfoLogic::kTripPauseMs *
        1000.0 / static_cast<double>(figures.durationUs);
    state.counters["separation_share_pct"] =
        100.0 * static_cast<double>(figures.separationUs) / static_cast<double>(figures.durationUs);
    state.counters["frames"] = static_cast<double>(figures.frames);
    state.counters["trips"] = static_cast<double>(figures.trips);
}
BENCHMARK(BM_RecorderFullRead)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
