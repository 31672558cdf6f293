#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace KilnCli {

// A whole file; false when it cannot be read or is too large for a runtime stream (4 GiB).
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes);

bool WriteFileBytes(const std::string& path, const void* data, size_t size);

}  // namespace KilnCli
