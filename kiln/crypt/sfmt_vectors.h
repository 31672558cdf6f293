#pragma once

// Test helper: the reference generator's outputs, read from the vector folder the build names.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace Kiln::TestVectors {

// The first outputs after init_gen_rand(seed); empty when the file cannot be read.
inline std::vector<uint32_t> ReadSfmtOutputs(uint32_t seed)
{
    std::ifstream file(std::string(KILN_SFMT_VECTORS) + "/sfmt19937-seed-" + std::to_string(seed) + ".txt");
    std::vector<uint32_t> outputs;
    unsigned long value = 0;
    while (file >> value)
        outputs.push_back(static_cast<uint32_t>(value));
    return outputs;
}

inline const uint32_t kSfmtSeeds[] = {0, 1, 1234, 4321, 2654435769u, 4294967295u};
constexpr size_t kSfmtOutputs = 1300;

}  // namespace Kiln::TestVectors
