#include "kiln/patch/folder_compare.h"

#include <gtest/gtest.h>

#include "tests/support/patch_folders.h"

namespace Kiln::Patch {
namespace {

using Names = std::vector<std::string>;

TEST(PatchFolderCompareTest, FindsEveryKindOfChange)
{
    const TestSupport::TempFolder old("compare_old");
    const TestSupport::TempFolder next("compare_new");
    for (const auto* root : {&old, &next}) {
        root->Write("Game.exe", "same");
        root->Write("data/keep.bin", "same");
    }
    old.Write("System.ini", "[Game]\nVersion=1.00\n");
    next.Write("System.ini", "[Game]\nVersion=1.01\n");
    old.Write("data/size.bin", "12345");
    next.Write("data/size.bin", "123456");
    old.Write("data/bytes.bin", "abcde");
    next.Write("data/BYTES.BIN", "abcdX");  // another spelling: still the same file
    old.Write("gone.txt", "x");
    old.Write("oldfolder/inner/a.txt", "x");
    next.Write("\xe3\x82\xbb\xe3\x83\xbc\xe3\x83\x96/\xe6\x96\xb0.txt", "new");  // セーブ/新.txt
    next.MakeFolder("empty/deeper");

    std::string error;
    const auto diff = CompareFolders(old.Path(), next.Path(), &error);
    ASSERT_TRUE(diff) << error;
    auto sorted = [](Names names) {
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(sorted(diff->changedFiles), (Names{"System.ini", "data/BYTES.BIN", "data/size.bin"}));
    EXPECT_EQ(diff->addedFiles, (Names{"\xe3\x82\xbb\xe3\x83\xbc\xe3\x83\x96/\xe6\x96\xb0.txt"}));
    EXPECT_EQ(sorted(diff->removedFiles), (Names{"gone.txt", "oldfolder/inner/a.txt"}));
    EXPECT_EQ(diff->removedFolders, (Names{"oldfolder/inner", "oldfolder"}));
    EXPECT_EQ(diff->addedFolders.front().find('/'), std::string::npos);  // parents first
    EXPECT_EQ(sorted(diff->addedFolders), (Names{"empty", "empty/deeper", "\xe3\x82\xbb\xe3\x83\xbc\xe3\x83\x96"}));
}

TEST(PatchFolderCompareTest, WhatIsLeftOutIsNamedOnceAndNeitherAddedChangedNorRemoved)
{
    const TestSupport::TempFolder old("leftout_old");
    const TestSupport::TempFolder next("leftout_new");
    old.Write("Game.ini", "[General]\r\nFullScreen=No\r\n");
    next.Write("Game.ini", "[General]\r\nFullScreen=Yes\r\n");
    old.Write("debug/old.log", "x");
    next.Write("debug/new.log", "y");
    next.Write("debug/deeper/more.log", "z");
    old.Write("kiln-patch.probe", "");
    next.Write(".kilnignore", "debug/\n");
    next.Write("Game.exe", "new");
    const auto rules = LeaveOut::FromFolder(next.Path());
    ASSERT_TRUE(rules);
    std::string error;
    const auto diff = CompareFolders(old.Path(), next.Path(), &error, &*rules);
    ASSERT_TRUE(diff) << error;
    EXPECT_EQ(diff->addedFiles, (Names{"Game.exe"}));
    EXPECT_TRUE(diff->changedFiles.empty() && diff->removedFiles.empty() && diff->addedFolders.empty() &&
                diff->removedFolders.empty());
    Names leftOut;
    for (const LeftOut& item : diff->leftOut)
        leftOut.push_back(item.name);
    EXPECT_EQ(leftOut, (Names{".kilnignore", "Game.ini", "debug", "kiln-patch.probe"}));
}

TEST(PatchFolderCompareTest, RefusesWhatWindowsCannotHold)
{
    const TestSupport::TempFolder old("refuse_old");
    const TestSupport::TempFolder next("refuse_new");
    old.Write("a", "file");
    next.Write("a/b", "now a folder");
    std::string error;
    EXPECT_FALSE(CompareFolders(old.Path(), next.Path(), &error));
    EXPECT_NE(error.find("'a'"), std::string::npos);

    const TestSupport::TempFolder twins("refuse_twins");
    twins.Write("Readme.txt", "1");
    twins.Write("README.TXT", "2");
    // Only a disk that tells the two apart can hold both (Windows' own never does).
    const auto entries = std::distance(std::filesystem::directory_iterator(twins.Path()), {});
    if (entries == 2) {
        EXPECT_FALSE(ListFolder(twins.Path(), &error));
        EXPECT_NE(error.find("one name on Windows"), std::string::npos);
    } else {
        EXPECT_EQ(ListFolder(twins.Path(), &error)->size(), 1u);
    }

    // A device's name and the patch program's own names: refused as the payload's reader
    // refuses them, where a disk holds such a file at all (on Windows "nul.txt" is the device).
    for (const char* name : {"data/x.kiln-old", "nul.txt"}) {
        const TestSupport::TempFolder named("refuse_named");
        named.Write(name, "x");
        if (std::distance(std::filesystem::directory_iterator(named.Path()), {}) == 0)
            continue;
        EXPECT_FALSE(ListFolder(named.Path(), &error)) << name;
        EXPECT_EQ(error, std::string("unusable file name: ") + name);
    }
}

}  // namespace
}  // namespace Kiln::Patch
