#pragma once

#include <filesystem>

namespace KilnCli {

// The folder of the running tool's program file; empty when unknown.
std::filesystem::path ToolFolder();

}  // namespace KilnCli
