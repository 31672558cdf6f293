#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "kiln/patch/zstd_codec.h"

namespace KilnCli {

// The folder of the running tool's program file; empty when unknown.
std::filesystem::path ToolFolder();

// The patch program's own code, which every patch starts with; built and shipped beside the tool.
constexpr char kPatchStubName[] = "kiln-patch-stub.exe";

// The stub's bytes: the file `given` (--stub) when not empty, else kPatchStubName beside the
// tool. Nothing when unreadable, and `error` says where it looked and how to name another.
std::optional<Kiln::Patch::Bytes> ReadPatchStub(const std::string& given, std::string& error);

}  // namespace KilnCli
