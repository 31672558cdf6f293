#pragma once

#include <string>
#include <vector>

#include "kiln/base/ini_keys.h"
#include "kiln/cli/game_check.h"
#include "kiln/cli/ini_scan.h"

// The parts of `kiln check`, each adding its findings.
namespace KilnCli {

class Findings {
public:
    void Add(FindingLevel level, std::string where, std::string what)
    {
        list_.push_back({level, std::move(where), std::move(what)});
    }
    std::vector<Finding> Take() { return std::move(list_); }

private:
    std::vector<Finding> list_;
};

// "file:line".
std::string At(const std::string& file, int line);

// A value as the messages show it: quoted, bytes outside printable ASCII as \xNN.
std::string Quote(const std::string& value);

// Sections and keys against the key table, and each value against its kind.
void CheckIniKeys(const std::string& fileName, Kiln::IniFile file, const std::vector<IniSection>& sections,
                  Findings& findings);

// Rules across keys of System.ini: features switched on without what they need, numbered
// lists cut short, the key pages.
void CheckSystemIniRules(const std::vector<IniSection>& sections, Findings& findings);

// The first value of a key, as the profile functions find it (names without case).
const IniEntry* FindEntry(const std::vector<IniSection>& sections, const char* section, const char* key);

// The engine libraries and the pictures beside the launcher.
void CheckEngines(const std::string& folder, Findings& findings);
void CheckPictures(const std::string& folder, const std::vector<IniSection>& sections, Findings& findings);

// A file of the game folder named as System.ini names it (backslashes allowed).
std::string FolderPath(const std::string& folder, const std::string& relative);

}  // namespace KilnCli
