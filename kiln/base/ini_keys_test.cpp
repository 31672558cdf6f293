#include "kiln/base/ini_keys.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Kiln {
namespace {

// "[Section] Key" as a guide's table row names it: a numbered list by its first key, the
// button sections by their first button.
std::string RowName(const KeyTableEntry& entry)
{
    std::string name;
    switch (entry.form) {
    case KeyForm::Single:
        name = entry.name;
        break;
    case KeyForm::Numbered:
        name = entry.name;
        name.replace(name.find("%1%"), 3, "1");
        break;
    case KeyForm::Buttons:
        name = Keys::kButtonKeyNames[0];
        break;
    }
    return "[" + std::string(entry.section) + "] " + name;
}

std::vector<std::string> CodeRows(IniFile file)
{
    std::vector<std::string> rows;
    for (const KeyTableEntry& entry : KeyTable()) {
        if (entry.file == file)
            rows.push_back(RowName(entry));
    }
    return rows;
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The rows of the table under "<!-- key table: NAME -->": its first column and the first
// `quoted` name of its second.
std::vector<std::string> GuideRows(const std::string& guide, const std::string& table)
{
    std::ifstream file(std::string(KILN_SOURCE_DIR) + "/docs/" + guide);
    EXPECT_TRUE(file) << guide;
    std::vector<std::string> rows;
    std::string line;
    bool inTable = false;
    while (std::getline(file, line)) {
        if (line == "<!-- key table: " + table + " -->") {
            inTable = true;
            continue;
        }
        if (!inTable)
            continue;
        if (line.empty() || line[0] != '|')
            break;
        std::vector<std::string> cells;
        std::stringstream split(line.substr(1));
        for (std::string cell; std::getline(split, cell, '|');)
            cells.push_back(Trim(cell));
        if (cells.size() < 2 || cells[0].empty() || cells[0][0] != '[')
            continue;  // the heading and its rule
        const size_t open = cells[1].find('`');
        const size_t close = cells[1].find('`', open + 1);
        EXPECT_NE(close, std::string::npos) << guide << ": " << line;
        if (close != std::string::npos)
            rows.push_back(cells[0] + " " + cells[1].substr(open + 1, close - open - 1));
    }
    return rows;
}

TEST(IniKeysTest, GuidesListEveryKeyOfTheTableInItsOrder)
{
    for (const char* guide : {"makers-guide.md", "makers-guide.ja.md"}) {
        EXPECT_EQ(GuideRows(guide, "System.ini"), CodeRows(IniFile::System)) << guide;
        EXPECT_EQ(GuideRows(guide, "Game.ini"), CodeRows(IniFile::Game)) << guide;
    }
}

TEST(IniKeysTest, EveryKeyTheReadersUseIsInTheTable)
{
    auto has = [](IniFile file, const std::string& section, const std::string& name) {
        for (const KeyTableEntry& entry : KeyTable()) {
            if (entry.file == file && entry.section == section && entry.name && entry.name == name)
                return true;
        }
        return false;
    };
    using namespace Keys;
    for (const ProfileKey* key : {&kTitle, &kRuntimeVersion, &kWideScreen, &kVersion, &kDirectRun, &kEnableInformation,
                                  &kEnableTwitter, &kEnableTinyMode, &kEnableAutoPatch, &kPlayerNum, &kTopImage,
                                  &kBannerImage, &kBannerURL, &kOfflinePage, &kUpdateInfoFile, &kPatchFilePrefix,
                                  &kUpdatePublicKey, &kAPIAccessKey, &kAPIHost})
        EXPECT_TRUE(has(IniFile::System, key->section, key->name)) << key->name;
    for (const NumberedProfileKey* key : {&kArchive, &kInformationURL, &kBaseURL})
        EXPECT_TRUE(has(IniFile::System, key->section, key->nameTemplate)) << key->nameTemplate;
    for (const ProfileKey* key : {&kFullScreen, &kShowMenu, &kShowFPS, &kMaxVRAMCacheSize, &kMaxFileCacheSize,
                                  &kScreenSize, &kUserAccessKey})
        EXPECT_TRUE(has(IniFile::Game, key->section, key->name)) << key->name;
}

}  // namespace
}  // namespace Kiln
