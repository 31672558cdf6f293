#pragma once

// The input every throughput benchmark shares: 64 MiB of fixed pseudo-random bytes.
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace KilnBenchmark {

constexpr size_t kBytes = size_t{64} << 20;

inline const std::vector<uint8_t>& Data()
{
    static const std::vector<uint8_t> data = [] {
        std::vector<uint8_t> bytes(kBytes);
        std::mt19937 random(12345);
        for (auto& byte : bytes)
            byte = static_cast<uint8_t>(random());
        return bytes;
    }();
    return data;
}

}  // namespace KilnBenchmark
