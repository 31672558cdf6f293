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

// Every finding; a folder that does not exist gives that one finding.
std::vector<Finding> CheckGameFolder(const std::string& folder);

// The findings of the folder's System.ini alone (its text, keys and rules).
std::vector<Finding> CheckSystemIni(const std::string& folder);

}  // namespace KilnCli
