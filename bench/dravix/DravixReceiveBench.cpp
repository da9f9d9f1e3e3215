// The receive path end to end: frames put on both virtual buses reach the
// simulated adapter, cross the CH375 pipe as adapter records, go through
// Dravix's receive thread and acceptance filter into the rings and come out
// of Receive, polled the way Tarvel's pump does (GetReceiveNum, then Receive).
#include "Dravix.h"

#include "Ch375Device.h"
#include "SimDravixDevice.h"
#include "SimWorld.h"

#include <benchmark/benchmark.h>

#include <thread>
#include <vector>

namespace {

constexpr uint32_t kType = 4;

void BM_ReceiveBothChannels(benchmark::State& state)
{
    const int burst = static_cast<int>(state.range(0)); // frames per channel per round
    sim::SimWorld world;
    sim::ScopedWorld scoped(world);
    auto device = sim::SimDravixDevice::Create(&world);
    ch375::InstallDevice(0, device);
    CanInitConfig cfg{};
    cfg.AccMask = 0x00FFFFFF;
    if (OpenDevice(kType, 0, 0) != 1) {
        state.SkipWithError("open failed");
        return;
    }
    cfg.Timing0 = 0x03; // 125 kbit/s on channel 0
    cfg.Timing1 = 0x1C;
    InitCAN(kType, 0, 0, &cfg);
    StartCAN(kType, 0, 0);
    cfg.Timing0 = 0x00; // 500 kbit/s on channel 1
    InitCAN(kType, 0, 1, &cfg);
    StartCAN(kType, 0, 1);
    auto peer0 = world.Bus(0)->Attach(125000);
    auto peer1 = world.Bus(1)->Attach(500000);
    const sim::CanFrame frame = sim::CanFrame::Extended(0x18DAF90B, {0x10, 0x20, 0x62, 0xF1, 0x8A, 1, 2, 3});

    std::vector<CanFrameRecord> buf(50);
    for (auto _ : state) {
        std::thread p0([&] {
            for (int i = 0; i < burst; ++i)
                peer0->Send(frame);
        });
        std::thread p1([&] {
            for (int i = 0; i < burst; ++i)
                peer1->Send(frame);
        });
        int got[2] = {0, 0};
        while (got[0] < burst || got[1] < burst) {
            bool any = false;
            for (uint32_t ch = 0; ch < 2; ++ch) {
                if (GetReceiveNum(kType, 0, ch) == 0)
                    continue;
                const uint32_t n = Receive(kType, 0, ch, buf.data(), uint32_t(buf.size()), 500);
                if (n != DRAVIX_FAILED) {
                    got[ch] += static_cast<int>(n);
                    any = true;
                }
            }
            if (!any)
                std::this_thread::yield();
        }
        p0.join();
        p1.join();
    }
    CanErrorInfo e0{}, e1{};
    ReadErrInfo(kType, 0, 0, &e0);
    ReadErrInfo(kType, 0, 1, &e1);
    if ((e0.ErrCode | e1.ErrCode) & DRAVIX_ERR_BUFFER_OVERFLOW)
        state.SkipWithError("a ring overflowed");
    state.SetItemsProcessed(state.iterations() * 2 * burst);
    CloseDevice(kType, 0);
    ch375::InstallDevice(0, nullptr);
}

BENCHMARK(BM_ReceiveBothChannels)->Arg(200)->Arg(1000)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
