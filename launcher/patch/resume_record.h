#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What a partial download left in the working folder says of itself, so that a later run
// continues it only for the very patch it was: same file name, version and digest, from a
// server that vouches for the same file (its validator).
namespace Launcher::Patch {

constexpr char kPartialSuffix[] = ".part";
constexpr char kResumeRecordName[] = "Download.txt";

struct ResumeRecord {
    std::string fileName;
    std::string version;
    std::string digest;     // lower-case MD5 the information lists
    std::string validator;  // ETag or Last-Modified of the server's file
    uint64_t total = UINT64_MAX;  // the file's size, when the server said
};

// "Key=value" lines, LF.
std::string WriteResumeRecord(const ResumeRecord& record);
// Null unless every key is there once and readable.
std::optional<ResumeRecord> ReadResumeRecord(std::string_view text);

// The partial download continues the patch offered now.
bool ResumesPatch(const ResumeRecord& record, const std::string& fileName, const std::string& version,
                  const std::string& digest);

}  // namespace Launcher::Patch
