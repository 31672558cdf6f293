#pragma once

#include <filesystem>
#include <optional>

#include "kiln/patch/zstd_codec.h"

namespace Kiln::Patch {

// A whole file; nothing when it cannot be read or does not fit in memory.
std::optional<Bytes> ReadWholeFile(const std::filesystem::path& path);

}  // namespace Kiln::Patch
