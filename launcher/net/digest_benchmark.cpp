// MD5 and SHA-1 throughput over a 64 MiB file, beside coreutils' md5sum and sha1sum on the
// same file in the same run. The file-reading variants do what the programs do (read and
// hash); the in-memory ones show the hashing alone.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "launcher/net/md5.h"
#include "launcher/net/sha1.h"
#include "tests/support/benchmark_data.h"

namespace {

using KilnBenchmark::Data;
using KilnBenchmark::kBytes;

// The data as a file, written once and removed at exit.
const std::string& DataFile()
{
    struct File {
        std::string path;
        File()
        {
            path = (std::filesystem::temp_directory_path() / ("kiln_digest_bench_" + std::to_string(::getpid()))).string();
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(Data().data()), static_cast<std::streamsize>(Data().size()));
        }
        ~File() { std::remove(path.c_str()); }
    };
    static const File file;
    return file.path;
}

template <class Hash>
std::string HashFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    Hash hash;
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
        hash.update(buffer.data(), static_cast<size_t>(in.gcount()));
    return hash.hex();
}

template <class Hash>
void BM_InMemory(benchmark::State& state)
{
    const auto& data = Data();
    for (auto _ : state)
        benchmark::DoNotOptimize(Hash().update(data.data(), data.size()).digest());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

template <class Hash>
void BM_File(benchmark::State& state)
{
    const std::string& path = DataFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(HashFile<Hash>(path));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

void BM_Coreutils(benchmark::State& state, const char* program)
{
    const std::string command = std::string(program) + " '" + DataFile() + "' >/dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("the program failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

}  // namespace

BENCHMARK_TEMPLATE(BM_InMemory, clx::md5)->Name("BM_MD5_Kiln_Memory")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_File, clx::md5)->Name("BM_MD5_Kiln_File")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Coreutils, md5sum, "md5sum")->Name("BM_MD5_Coreutils_md5sum")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_InMemory, clx::sha1)->Name("BM_SHA1_Kiln_Memory")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_File, clx::sha1)->Name("BM_SHA1_Kiln_File")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Coreutils, sha1sum, "sha1sum")->Name("BM_SHA1_Coreutils_sha1sum")->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
