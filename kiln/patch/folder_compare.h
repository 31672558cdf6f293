#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "kiln/patch/leave_out.h"

// Two versions of a game folder side by side, names compared as Windows compares them.
namespace Kiln::Patch {

struct ListedItem {
    std::string name;  // UTF-8, relative, '/' between parts, as the folder spells it
    bool folder = false;
    uint64_t size = 0;
};

// Every file and folder below `root`, keyed by FoldedName. Nothing (and `error` says why) when
// the folder cannot be read or holds two names that Windows would take for one. With
// `leaveOut`, what it names is not listed (nor anything below such a folder) but added to
// `leftOut`.
std::optional<std::map<std::u16string, ListedItem>> ListFolder(const std::filesystem::path& root,
                                                               std::string* error = nullptr,
                                                               const LeaveOut* leaveOut = nullptr,
                                                               std::vector<LeftOut>* leftOut = nullptr);

struct FolderDiff {
    std::vector<std::string> addedFolders;    // parents before children
    std::vector<std::string> addedFiles;      // NEW's spelling
    std::vector<std::string> changedFiles;    // NEW's spelling
    std::vector<std::string> removedFiles;    // OLD's spelling
    std::vector<std::string> removedFolders;  // children before parents
    std::vector<LeftOut> leftOut;             // on either side, each name once
};

// Files of the same name whose bytes differ count as changed. Nothing when a folder cannot be
// read or a name is a file on one side and a folder on the other. What `leaveOut` names is
// neither added, changed nor removed.
std::optional<FolderDiff> CompareFolders(const std::filesystem::path& oldRoot, const std::filesystem::path& newRoot,
                                         std::string* error = nullptr, const LeaveOut* leaveOut = nullptr);

// A name as a path below `root`.
std::filesystem::path PathOf(const std::filesystem::path& root, const std::string& name);

}  // namespace Kiln::Patch
