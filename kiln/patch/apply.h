#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "kiln/patch/file_system.h"
#include "kiln/patch/payload.h"

// Applying a payload to a game folder: check everything, stage every new file beside its
// target, journal, swap, raise the version (System.ini goes in last), clear up. An earlier
// run's journal is finished first.
namespace Kiln::Patch {

enum class Outcome {
    kApplied = 0,  // the folder holds the new version (also when it already did)
    kFailed = 1,   // nothing changed (every file restored), or a run to finish later
    kRefused = 2,  // the folder is not the version this patch is for; nothing changed
};

enum class Reason {
    kNone,
    kWrongVersion,      // detail: the installed version
    kFileDiffers,       // detail: the file
    kFileMissing,       // detail: the file
    kFileInTheWay,      // detail: the file that the patch would add
    kDamagedPatch,      // detail: the file whose contents do not decode
    kNoSpace,
    kNoMemory,          // detail: the file too large to hold in memory
    kCannotChange,      // detail: the file that could not be written, moved or removed
    kJournalUnreadable,
};

struct ApplyResult {
    Outcome outcome = Outcome::kApplied;
    Reason reason = Reason::kNone;
    std::string detail;
};

// Staging counts the bytes of the new files written, the other steps count files.
enum class Step { kChecking, kStaging, kSwapping, kCleaning };
using Progress = std::function<void(Step step, uint64_t done, uint64_t total)>;

// The checks alone: would the payload apply to this folder? Changes nothing.
ApplyResult CheckPayload(const Payload& payload, FileSystem& files);

// The folder already holds what the payload makes: its version and every new file. Applying
// it then changes nothing and reports kApplied.
bool IsAlreadyApplied(const Payload& payload, FileSystem& files);

ApplyResult ApplyPayload(const Payload& payload, FileSystem& files, const Progress& progress = {});

// Finishes or undoes an earlier run from its journal; kApplied when there was none.
ApplyResult ResumeJournal(FileSystem& files);

// English words for a log or the tool's output.
std::string Describe(const ApplyResult& result);

}  // namespace Kiln::Patch
