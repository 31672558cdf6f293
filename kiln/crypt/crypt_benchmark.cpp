// Throughput of the checksum and the generator over 64 MiB, each beside its reference.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <vector>

#include "kiln/crypt/crc32.h"
#include "kiln/crypt/random_sfmt.h"
#include "tests/support/benchmark_data.h"

namespace {

using KilnBenchmark::Data;
using KilnBenchmark::kBytes;
constexpr size_t kWords = kBytes / 4;

void BM_CRC32_Kiln(benchmark::State& state)
{
    const auto& data = Data();
    Kiln::CCRC32 crc;
    for (auto _ : state)
        benchmark::DoNotOptimize(crc.Compute(data.data(), static_cast<uint32_t>(data.size())));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void BM_CRC32_Zlib(benchmark::State& state)
{
    const auto& data = Data();
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(0, data.data(), static_cast<uInt>(data.size())));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void BM_SFMT_Kiln(benchmark::State& state)
{
    Kiln::CRandom_SFMT random;
    random.Init(1234);
    for (auto _ : state) {
        uint32_t sum = 0;
        for (size_t i = 0; i < kWords; ++i)
            sum += random.Next();
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

void BM_SFMT_StdMt19937(benchmark::State& state)
{
    std::mt19937 random(1234);
    for (auto _ : state) {
        uint32_t sum = 0;
        for (size_t i = 0; i < kWords; ++i)
            sum += static_cast<uint32_t>(random());
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

}  // namespace

BENCHMARK(BM_CRC32_Kiln)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CRC32_Zlib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SFMT_Kiln)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SFMT_StdMt19937)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
