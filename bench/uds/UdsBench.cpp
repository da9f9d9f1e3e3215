// Throughput of the UDS client on the virtual bus with the real clock and an
// in-process ECU that answers at once: round trips of a short request, and
// bytes per second of the longest request (4095 bytes, STmin 0).
#include "CanPort.h"
#include "IsoTpLink.h"
#include "NodeFrames.h"
#include "UdsServices.h"
#include "VirtualCanBus.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class NodePort : public tarvel::CanPort {
public:
    explicit NodePort(std::shared_ptr<sim::CanNode> node) : node_(std::move(node)) {}
    bool Transmit(uint32_t id, const Bytes& data, const std::string&) override
    {
        return node_->Send(benchframes::Frame(id, data));
    }
    size_t Receive(CanFrameRecord* out, size_t max) override { return benchframes::Receive(*node_, out, max); }

private:
    std::shared_ptr<sim::CanNode> node_;
};

// Answers every request at once, on the sender's thread: a 20-byte answer to
// ReadDataByIdentifier, 76 xx to TransferData. Flow control STmin 0.
class InstantEcu {
public:
    explicit InstantEcu(std::shared_ptr<sim::CanNode> node) : node_(std::move(node))
    {
        node_->SetReceiveHandler([this](const sim::CanFrame& f) { OnFrame(f); });
    }

private:
    void Send(const Bytes& b)
    {
        sim::CanFrame f;
        f.id = tarvel::kUdsResponseCanId;
        f.extended = true;
        f.dlc = 8;
        std::copy_n(b.begin(), std::min<size_t>(8, b.size()), f.data.begin());
        node_->Send(f);
    }
    void Answer(const Bytes& request)
    {
        if (request[0] == 0x22) {
            // 20 bytes: first frame now, the rest after the tester's flow control.
            Send({0x10, 20, 0x62, request[1], request[2], 1, 2, 3});
            awaitingFc_ = true;
        } else {
            Send({0x02, static_cast<uint8_t>(request[0] + 0x40), request.size() > 1 ? request[1] : uint8_t(0)});
        }
    }
    void OnFrame(const sim::CanFrame& f)
    {
        const uint8_t kind = f.data[0] >> 4;
        if (kind == 0) {
            Answer(Bytes(f.data.begin() + 1, f.data.begin() + 1 + (f.data[0] & 0x0F)));
        } else if (kind == 1) {
            expected_ = static_cast<size_t>(f.data[0] & 0x0F) << 8 | f.data[1];
            request_.assign(f.data.begin() + 2, f.data.end());
            Send({0x30, 0x00, 0x00});
        } else if (kind == 2) {
            request_.insert(request_.end(), f.data.begin() + 1, f.data.end());
            if (request_.size() >= expected_) {
                request_.resize(expected_);
                Answer(request_);
            }
        } else if (kind == 3 && awaitingFc_) {
            awaitingFc_ = false;
            Send({0x21, 4, 5, 6, 7, 8, 9, 10});
            Send({0x22, 11, 12, 13, 14, 15, 16, 17});
        }
    }

    std::shared_ptr<sim::CanNode> node_;
    Bytes request_;
    size_t expected_ = 0;
    bool awaitingFc_ = false;
};

struct Rig {
    std::shared_ptr<sim::CanBus> bus = sim::CanBus::Create(500000);
    std::shared_ptr<sim::CanNode> tester = bus->Attach(500000);
    InstantEcu ecu{bus->Attach(500000)};
    NodePort port{tester};
    Rig() { tarvel::SetCanPort(&port); }
    ~Rig() { tarvel::SetCanPort(nullptr); }
};

void BM_ReadByIdRoundTrip(benchmark::State& state)
{
    Rig rig;
    std::vector<uint8_t> out;
    for (auto _ : state) {
        if (tarvel::UdsReadById(0xF18A, out) != 1 || out.size() < 17) {
            state.SkipWithError("request failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["round_trips_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                             benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadByIdRoundTrip)->UseRealTime();

void BM_LongestRequest(benchmark::State& state)
{
    Rig rig;
    const std::vector<uint8_t> data(4093, 0x5A); // 36 counter + 4093 bytes = 4095
    uint8_t counter = 1;
    for (auto _ : state) {
        if (tarvel::UdsTransferData(4093, counter++, data) != 1) {
            state.SkipWithError("request failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 4095);
}
BENCHMARK(BM_LongestRequest)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
