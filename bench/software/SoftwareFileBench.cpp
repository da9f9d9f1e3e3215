// Speed of the ECU software file reader on a 1 MiB image written as 16- and
// 32-byte data records with an extended linear address record every 64 KiB,
// as a linker writes it. Bytes per second count the file's text; the
// "image" counter gives image bytes per second.
#include "SoftwareFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

namespace {

std::string Record(uint8_t type, uint16_t address, const uint8_t* data, size_t count)
{
    std::string line = ":";
    char pair[3];
    uint8_t sum = 0;
    auto put = [&](uint8_t b) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        line += pair;
        sum = static_cast<uint8_t>(sum + b);
    };
    put(static_cast<uint8_t>(count));
    put(static_cast<uint8_t>(address >> 8));
    put(static_cast<uint8_t>(address));
    put(type);
    for (size_t i = 0; i < count; ++i) put(data[i]);
    put(static_cast<uint8_t>(-sum));
    return line + "\r\n";
}

std::string MakeFile(size_t imageSize, size_t recordSize)
{
    std::mt19937 rng(1);
    std::string text = ";BL=0102\r\n;HW=0201\r\n";
    const uint32_t start = 0x00080000;
    uint8_t data[32];
    for (size_t done = 0; done < imageSize; done += recordSize) {
        const uint32_t address = start + static_cast<uint32_t>(done);
        if (done == 0 || (address & 0xFFFF) == 0) {
            const uint8_t upper[2] = {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16)};
            text += Record(0x04, 0, upper, 2);
        }
        for (size_t i = 0; i < recordSize; ++i) data[i] = static_cast<uint8_t>(rng());
        text += Record(0x00, static_cast<uint16_t>(address), data, recordSize);
    }
    return text + ":00000001FF\r\n";
}

void BM_ReadSoftwareFile(benchmark::State& state)
{
    const size_t imageSize = 1u << 20;
    const std::string text = MakeFile(imageSize, static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        auto result = tarvel::ReadSoftwareFileText(text);
        if (!result.Ok() || result.image.bytes.size() != imageSize) state.SkipWithError("the file was refused");
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["image"] = benchmark::Counter(static_cast<double>(imageSize) * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate, benchmark::Counter::kIs1024);
}
BENCHMARK(BM_ReadSoftwareFile)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
