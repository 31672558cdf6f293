#pragma once

#include <filesystem>

#include "kiln/patch/file_system.h"

namespace Kiln::Patch {

// Creates or replaces a file with what `produce` hands over and waits until the disk holds
// it: a journal that names a staged file must never outlive the file's contents in a power cut.
bool WriteDurably(const std::filesystem::path& path, const FileSystem::Producer& produce);

}  // namespace Kiln::Patch
