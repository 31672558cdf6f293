#pragma once

#include <string>
#include <vector>

// `kiln check`: a game folder read as the launcher reads it, and every problem found.
namespace KilnCli {

enum class FindingLevel { kNote, kWarning, kError };

struct Finding {
    FindingLevel level;
    std::string where;  // a file, with its line when there is one: "System.ini:12"
    std::string what;   // what is wrong, and what the launcher will do
};

const char* LevelName(FindingLevel level);

std::vector<Finding> CheckGameFolder(const std::string& folder);

}  // namespace KilnCli
