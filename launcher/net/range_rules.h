#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Resuming a download that was cut off: what to ask the server for, and what to make of its
// answer. A resumed body continues the bytes already on disk only when the server says it
// sends exactly those that follow, of the same file.
namespace Launcher::HTTPConnection {

constexpr uint64_t kUnknownSize = UINT64_MAX;

// A header's value in the raw response headers ("Name: value" lines, CR LF), the name
// compared without regard to case, blanks around the value dropped; null when absent.
std::optional<std::string> FindHeader(std::string_view rawHeaders, std::string_view name);

// "bytes FIRST-LAST/TOTAL" (TOTAL may be "*").
struct ContentRange {
    uint64_t first = 0;
    uint64_t last = 0;
    uint64_t total = kUnknownSize;
};
std::optional<ContentRange> ParseContentRange(std::string_view value);

// What identifies the server's file across requests: a strong ETag, else Last-Modified
// (a weak ETag cannot vouch for bytes); empty when the server gives neither.
std::string ValidatorOf(std::string_view rawHeaders);

// The request headers asking for the bytes from `offset` on, only while the file is still the
// one `validator` names.
std::string ResumeHeaders(uint64_t offset, const std::string& validator);

// What one answer to a request for the bytes from `offset` on (0: the whole file) means.
enum class ResumeVerdict {
    Append,     // the body continues the bytes on disk
    FromZero,   // the body is the whole file: what is on disk goes
    StartOver,  // the body is of no use: drop what is on disk and ask for the whole file
    Failed,     // no body of the file: try again later
};
// `validator` is the one the bytes on disk came with; `knownTotal` their file's size when known.
ResumeVerdict JudgeResponse(uint32_t status, std::string_view rawHeaders, uint64_t offset,
                            const std::string& validator, uint64_t knownTotal);

// A cut transfer is tried again after a pause that grows with each try that brought nothing
// new (1, 2, 4, 8, 16 s), and given up after kMaxFruitlessTries of them in a row.
constexpr int kMaxFruitlessTries = 5;
unsigned RetryPauseMs(int fruitlessTries);

// A body that brings no byte for this long counts as cut off.
constexpr unsigned kStallLimitMs = 20000;

}  // namespace Launcher::HTTPConnection
