#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kiln/cli/command.h"

// What the commands share: usage errors, whole streams and files as bytes.
namespace KilnCli {

// Prints "kiln NAME: MESSAGE" and the command's usage line to the error stream; returns kBadUsage.
int UsageError(Streams& streams, std::string_view commandName, const std::string& message);

// Prints "kiln NAME: MESSAGE" to the error stream; returns kFailed.
int Failure(Streams& streams, std::string_view commandName, const std::string& message);

// Every byte of a stream, as it is.
std::string ReadAll(std::istream& in);

// A whole file; nothing when it cannot be opened or read, or holds more than `limit` bytes.
std::optional<std::string> ReadFileBytes(const std::string& path, uint64_t limit);

// The runtime's streams count bytes in 32 bits.
constexpr uint64_t kMaxStreamBytes = 0xFFFFFFFFu;

// A whole file as a runtime stream reads it; nothing when unreadable or too large.
std::optional<std::vector<uint8_t>> ReadStreamBytes(const std::string& path);

// Feeds a file to `consume` piece by piece; false when it cannot be opened or read to the end.
bool ReadFilePieces(const std::string& path, const std::function<void(const char* data, size_t size)>& consume);

// Writes a whole file (replacing it); false when it cannot be written completely.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace KilnCli
