#pragma once

#include <optional>
#include <string>
#include <vector>

// The record of a run that has begun to change the game folder. It names every file the run
// swaps, so a later run can finish it or undo it without the patch that wrote it.
namespace Kiln::Patch {

constexpr char kJournalName[] = "kiln-patch.journal";
constexpr char kStagedSuffix[] = ".kiln-new";  // a new file waiting beside its target
constexpr char kOldSuffix[] = ".kiln-old";     // an old file kept until the run is done
// Made and deleted at once by the patch program to learn whether the folder takes its writes.
constexpr char kProbeName[] = "kiln-patch.probe";

struct Journal {
    enum class State { kSwap, kClean };  // swapping files in; every file in, clearing up
    enum class Kind { kAdd, kChange, kRemove };
    struct Operation {
        Kind kind;
        std::string name;
    };
    std::string fromVersion;
    std::string toVersion;
    State state = State::kSwap;
    std::vector<std::string> createdFolders;  // made for the new version, parents first
    std::vector<Operation> operations;        // in the order they are done
    std::vector<std::string> droppedFolders;  // removed at the end, children first
};

std::string FormatJournal(const Journal& journal);

// Nothing when the text is not a whole journal (a torn write leaves the previous one, see
// WriteJournal), or names an unsafe file.
std::optional<Journal> ParseJournal(const std::string& text);

}  // namespace Kiln::Patch
