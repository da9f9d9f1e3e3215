// A 256 KiB program download as the download page runs it (sessions, unlock,
// checks, erase, TransferData blocks, checksum, reset) through the program's
// whole client stack against the simulated ECU and its boot loader, on the
// virtual clock with the bus timing model on the 500 kbit/s bus: every frame
// occupies the bus for its bit time (stuff bits counted) and reaches the other
// side only once it has left the bus. The ECU asks for block size 0 and
// STmin 0 and announces a maximum block length of 258 or 4095 bytes.
//
// Counters (per download, simulated time from Start Download to the end of
// the ECU's answer to the reset):
//   sim_seconds       the simulated duration of the download
//   throughput_kB_s   image bytes / simulated duration (1 kB = 1000 bytes)
//   bus_load_pct      bus time of every frame exchanged / simulated duration
//   frames            frames on the bus during the download
// Host time per iteration is the program's own cost of the download.
#include "CanBitTiming.h"
#include "DiagnosisGlobals.h"
#include "DownloadPageLogic.h"
#include "GlobalsReset.h"
#include "PageBench.h"
#include "ShellGlobals.h"
#include "SoftwareFile.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kImageBytes = 256 * 1024;
constexpr uint32_t kBusBitsPerSecond = 500000;

struct DownloadFigures {
    bool ok = false;
    uint64_t durationUs = 0;
    uint64_t busTimeUs = 0;
    uint64_t frames = 0;
    std::string error = "the download did not succeed";
};

std::vector<uint8_t> Image()
{
    std::vector<uint8_t> image(kImageBytes);
    uint32_t x = 0x12345678;
    for (auto& b : image) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    return image;
}

DownloadFigures Download(uint16_t maxBlockLength)
{
    DownloadFigures figures;
    tarvel_test::ResetAllGlobals();
    tarvel_test::PageBench bench;
    for (unsigned channel : {0u, 1u})
        bench.world.Bus(channel)->SetTimingModel(true, &bench.clock);
    bench.ecu->SetFlowControl(0, 0);
    bench.ecu->SetMaxBlockLength(maxBlockLength);
    if (!bench.Connect()) {
        figures.error = "no connection";
        return figures;
    }
    auto bus = bench.world.Bus(1);
    if (bus->Bitrate() != kBusBitsPerSecond)
        return figures;

    tarvel::SoftwareImage image;
    image.startAddress = 0x00010000;
    image.bytes = Image();
    image.bootLoaderVersion = {0x30, 0x31, 0x30, 0x32};
    image.hardwareVersion = {0x30, 0x32, 0x30, 0x31};
    tarvel::CommitSoftwareImage(image);

    DownloadPageLogic page(bench.Context());
    // Let the connection's own traffic leave the bus first.
    bench.Advance(10);
    bus->SetRecording(true);
    const uint64_t start = bench.clock.NowUs();
    page.OnStartDownload();
    bus->SetRecording(false);
    if (page.State().messages.empty() || page.State().messages.back() != "Download Success" ||
        bench.ecu->DownloadedImage() != image.bytes) {
        const auto boxes = bench.prompter.Boxes();
        figures.error = boxes.empty() ? "no success" : boxes.back().text;
        return figures;
    }

    // The download ends with the last frame of the reset's answer; the
    // pause before the pages read the new software is not part of it.
    const auto frames = bus->Recorded();
    uint64_t end = 0;
    for (const sim::CanFrame& f : frames)
        if (f.id == tarvel::kUdsResponseCanId && f.data[0] == 0x02 && f.data[1] == 0x51 && f.data[2] == 0x01)
            end = f.timeUs;
    if (end <= start)
        return figures;
    for (const sim::CanFrame& f : frames) {
        if (f.timeUs > end)
            break;
        figures.busTimeUs += sim::CanFrameTimeUs(f, kBusBitsPerSecond);
        ++figures.frames;
    }
    figures.durationUs = end - start;
    figures.ok = true;
    return figures;
}

void BM_Download256KiB(benchmark::State& state)
{
    const auto maxBlockLength = static_cast<uint16_t>(state.range(0));
    DownloadFigures figures;
    for (auto _ : state) {
        figures = Download(maxBlockLength);
        if (!figures.ok) {
            state.SkipWithError(figures.error.c_str());
            return;
        }
    }
    const double seconds = static_cast<double>(figures.durationUs) / 1e6;
    state.counters["sim_seconds"] = seconds;
    state.counters["throughput_kB_s"] = static_cast<double>(kImageBytes) / seconds / 1000.0;
    state.counters["bus_load_pct"] = 100.0 * static_cast<double>(figures.busTimeUs) / static_cast<double>(figures.durationUs);
    state.counters["frames"] = static_cast<double>(figures.frames);
}
BENCHMARK(BM_Download256KiB)->ArgName("max_block")->Arg(258)->Arg(4095)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
