#pragma once

#include <string>

// Reading .ini files through the Windows profile functions.
namespace Kiln::Profile {

constexpr size_t kDefaultBufferSize = 4096;

// GetPrivateProfileStringA into a buffer of `bufferSize` bytes.
std::string ReadString(const std::string& path, const char* section, const char* key,
                       const char* defaultValue, size_t bufferSize = kDefaultBufferSize);

}  // namespace Kiln::Profile
