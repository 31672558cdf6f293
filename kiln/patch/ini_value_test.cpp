#include "kiln/patch/ini_value.h"

#include <gtest/gtest.h>

namespace Kiln::Patch {
namespace {

TEST(PatchIniValueTest, ReadsAsTheProfileFunctionsDo)
{
    struct Case {
        const char* text;
        const char* value;  // nullptr: absent
    };
    const Case cases[] = {
        {"[Game]\r\nVersion=1.00\r\n", "1.00"},
        {"[game]\nversion = 1.01 \n", "1.01"},
        {"[Launcher]\nVersion=9\n[Game]\nTitle=x\nVersion=\"1.02\"\n", "1.02"},
        {"[Game]\nVersion=1\nVersion=2\n", "1"},
        {"[Launcher]\nVersion=9\n", nullptr},
        {"Version=1\n[Game]\n", nullptr},
        {"[Game]\nVersion=\n", ""},
    };
    for (const Case& c : cases) {
        const auto value = ReadIniValue(c.text, "Game", "Version");
        if (c.value == nullptr)
            EXPECT_FALSE(value) << c.text;
        else
            EXPECT_EQ(value, std::string(c.value)) << c.text;
    }
}

TEST(PatchIniValueTest, WritesKeepEveryOtherByte)
{
    struct Case {
        const char* text;
        const char* written;
    };
    const Case cases[] = {
        {"[Game]\r\nTitle=\x83\x51\x81\x5b\x83\x80\r\nVersion=1.00\r\n[X]\r\n",
         "[Game]\r\nTitle=\x83\x51\x81\x5b\x83\x80\r\nVersion=1.01\r\n[X]\r\n"},
        {"[Game]\nVersion = 1.00 ; old\n", "[Game]\nVersion = 1.01\n"},
        {"[Game]\r\nTitle=t\r\n\r\n[X]\r\nA=1\r\n", "[Game]\r\nTitle=t\r\nVersion=1.01\r\n\r\n[X]\r\nA=1\r\n"},
        {"[X]\nA=1", "[X]\nA=1\n[Game]\nVersion=1.01\n"},
        {"", "[Game]\r\nVersion=1.01\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WriteIniValue(c.text, "Game", "Version", "1.01"), c.written) << c.text;
}

TEST(PatchIniValueTest, MergeKeepsWhatTheFolderWroteUnlessTheNewVersionChangedIt)
{
    struct Case {
        const char* what;
        const char* old;
        const char* installed;
        const char* next;
        const char* merged;
    };
    const Case cases[] = {
        {"folder as installed", "[Game]\r\nVersion=1.00\r\n", "[Game]\r\nVersion=1.00\r\n",
         "[Game]\nTitle=t\nVersion=1.01\n", "[Game]\nTitle=t\nVersion=1.01\n"},
        {"sealed key kept", "[Game]\r\nVersion=1.00\r\n[Twitter]\r\nAPIAccessKey=plain\r\n",
         "[Game]\r\nVersion=1.00\r\n[Twitter]\r\nAPIAccessKey=SEALED\r\n",
         "[Game]\r\nTitle=\x83\x51\r\nVersion=1.01\r\n[Twitter]\r\nAPIAccessKey=plain\r\n",
         "[Game]\r\nTitle=\x83\x51\r\nVersion=1.01\r\n[Twitter]\r\nAPIAccessKey=SEALED\r\n"},
        {"maker's new key wins", "[Twitter]\r\nAPIAccessKey=plain\r\n[Game]\r\nVersion=1.00\r\n",
         "[Twitter]\r\nAPIAccessKey=SEALED\r\n[Game]\r\nVersion=1.00\r\n",
         "[Twitter]\r\nAPIAccessKey=other\r\n[Game]\r\nVersion=1.01\r\n",
         "[Twitter]\r\nAPIAccessKey=other\r\n[Game]\r\nVersion=1.01\r\n"},
        {"key the maker dropped stays dropped", "[Game]\nVersion=1.00\nA=1\n", "[Game]\nVersion=1.00\nA=2\n",
         "[Game]\nVersion=1.01\n", "[Game]\nVersion=1.01\n"},
        {"key added after install kept, in the new text's line ends", "[Game]\r\nVersion=1.00\r\n",
         "[game]\r\nVersion=1.00\r\nfps=\"60\"\r\n[Twitter]\r\nAPIAccessKey=s\r\n",
         "[Game]\r\nVersion=1.01\r\n\r\n[Sound]\r\nBGM=1\r\n",
         "[Game]\r\nVersion=1.01\r\nfps=\"60\"\r\n\r\n[Sound]\r\nBGM=1\r\n[Twitter]\r\nAPIAccessKey=s\r\n"},
        {"a repeated section's key, unseen by the profile functions, is not carried",
         "[Game]\nVersion=1.00\nB=1\n", "[Game]\nVersion=1.00\n[X]\nA=1\n[Game]\nB=5\n",
         "[Game]\nVersion=1.01\nB=1\n", "[Game]\nVersion=1.01\nB=1\n[X]\nA=1\n"},
        {"the new version is always the new one's", "[Game]\nVersion=1.00\n", "[Game]\nVersion = 1.00x\n",
         "[Game]\nVersion=1.01\n", "[Game]\nVersion=1.01\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MergeIniText(c.old, c.installed, c.next), c.merged) << c.what;
}

}  // namespace
}  // namespace Kiln::Patch
