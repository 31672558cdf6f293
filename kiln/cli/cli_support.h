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

// Whether arguments[i] is option `name` ("--stub"), written "--stub VALUE" or "--stub=VALUE".
// kTaken: `value` holds it and `i` is on the last argument used.
enum class OptionMatch { kOther, kTaken, kNoValue };
OptionMatch MatchOption(const Arguments& arguments, size_t& i, std::string_view name, std::string& value);

// A whole text of decimal digits (no sign, no blanks) that fits 64 bits.
std::optional<uint64_t> ReadDecimal(std::string_view text);

// Every byte of a stream, as it is.
std::string ReadAll(std::istream& in);

// The last component of a path written with / or \ separators.
std::string BaseName(const std::string& path);

// Why a whole file is not in memory.
enum class ReadError { kNone, kCannotRead, kTooLarge, kOutOfMemory };

// The reason in words: "cannot read", "file too large", "out of memory".
const char* Describe(ReadError error);

// A whole file; nothing when it cannot be opened or read, holds more than `limit` bytes or
// more than this process can address, or memory runs out. `error`, when given, says which.
std::optional<std::string> ReadFileBytes(const std::string& path, uint64_t limit, ReadError* error = nullptr);

// The runtime's streams count bytes in 32 bits.
constexpr uint64_t kMaxStreamBytes = 0xFFFFFFFFu;

// A whole file as a runtime stream reads it; nothing when unreadable or too large.
std::optional<std::vector<uint8_t>> ReadStreamBytes(const std::string& path, ReadError* error = nullptr);

// Feeds a file to `consume` piece by piece; false when it cannot be opened or read to the end.
bool ReadFilePieces(const std::string& path, const std::function<void(const char* data, size_t size)>& consume);

// Writes a whole file (replacing it); false when it cannot be written completely.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace KilnCli
