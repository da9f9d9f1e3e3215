// The whole stack against the simulated ECU: UDS services -> ISO-TP link ->
// adapter switch -> ControlCAN stand-in -> virtual bus -> simulated ECU.
// Time runs on a virtual clock and the ECU asks for STmin 0, so nothing waits:
// the figures are the processing cost of the whole stack per request.
#include "AdapterSwitchPort.h"
#include "CanAdapterSwitch.h"
#include "LanguageTable.h"
#include "IsoTpLink.h"
#include "ControlCanStandin.h"
#include "Prompter.h"
#include "SimEcu.h"
#include "SimEcuClientStack.h"
#include "SimWorld.h"
#include "UdsServices.h"
#include "VirtualClock.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Clock, world, ECU and an open adapter for one benchmark run.
struct Stack : SimEcuClientStack {
    explicit Stack(const sim::SimEcuConfig& config)
    {
        ecu = std::make_unique<sim::SimEcu>(clock, config);
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
        tarvel::ProgrammingSessionSeen = 0;  // as the programming page does before 10 02
        LanguageIndex = 1;
        tarvel::SetUdsLanguageSource([] { return LanguageIndex; });
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

// 22 F1 8A -> 62 F1 8A + 4 bytes: one single frame each way, answered within
// the send, so no virtual time passes.
void BM_ReadDidRoundTrip(benchmark::State& state)
{
    Stack stack(sim::SimEcuConfig{});
    if (!stack.ok) {
        state.SkipWithError("adapter did not open");
        return;
    }
    Bytes out;
    for (auto _ : state) {
        if (tarvel::UdsReadById(0xF18A, out) != 1) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_ReadDidRoundTrip);

// TransferData blocks of maxNumberOfBlockLength - 2 data bytes.
void BM_DownloadThroughput(benchmark::State& state)
{
    sim::SimEcuConfig config;
    config.maxBlockLength = uint16_t(state.range(0) + 2);
    config.maxImageSize = 256u << 20;
    Stack stack(config);
    const uint32_t size = config.maxImageSize;
    if (!stack.ok || tarvel::UdsDiagnosticSessionControl(0x02) != 1 || tarvel::UdsSecurityAccessLevel(3) != 1) {
        state.SkipWithError("no programming unlock");
        return;
    }
    const uint32_t max = tarvel::UdsRequestDownload(
        0, size, {0, 0, 0, 0}, {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)});
    if (max != config.maxBlockLength) {
        state.SkipWithError("download refused");
        return;
    }
    Bytes block(size_t(state.range(0)), 0xA5);
    uint8_t counter = 1;
    uint64_t bytes = 0;
    for (auto _ : state) {
        // Every block restarts S3; the image must not outgrow the announced size.
        if (bytes + block.size() > size) {
            state.SkipWithError("image full");
            break;
        }
        if (tarvel::UdsTransferData(int(block.size()), counter, block) != 1) {
            state.SkipWithError("block refused");
            break;
        }
        counter = uint8_t(counter + 1);
        bytes += block.size();
    }
    state.SetBytesProcessed(int64_t(bytes));
}
BENCHMARK(BM_DownloadThroughput)->Arg(32)->Arg(1024)->Arg(4093);

} // namespace

BENCHMARK_MAIN();
