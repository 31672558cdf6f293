#include "kiln/patch/leave_out.h"

#include <gtest/gtest.h>

#include "tests/support/patch_folders.h"

namespace Kiln::Patch {
namespace {

// A secret as `kiln keygen` writes it (RFC 8032's first test seed).
const std::string kSecretLine = "nWGxne/9WmC6hEr0kuwsxERJxWl7MmkZcDusAxyuf2A=\n";

TEST(PatchLeaveOutTest, EachRuleLeavesOutWhatItNames)
{
    const std::string ignore =
        "# art sources\r\n"
        "\r\n"
        "*.psd\r\n"
        "debug/\r\n"
        "/build\r\n"
        "raw/*.wav\r\n"
        "te?t.txt\r\n"
        "*.ini\r\n"
        "tools\\\r\n";
    const auto rules = LeaveOut::FromText(ignore);
    ASSERT_TRUE(rules);
    const TestSupport::TempFolder folder("leave_out");
    struct Case {
        const char* name;
        bool folder;
        std::string bytes;  // the file's contents
        const char* why;    // the start of the reason; empty: the name goes in
    };
    const Case cases[] = {
        {"Game.ini", false, "[General]\r\n", "the player's settings"},
        {"GAME.INI", false, "[General]\r\n", "the player's settings"},
        {"save/Game.ini", false, "[General]\r\n", ".kilnignore line 8"},  // only *.ini takes it
        {"kiln-patch.journal", false, "x", "a working file"},
        {"data/a.pak.kiln-new", false, "x", "a working file"},
        {"data/a.pak.KILN-OLD", false, "x", "a working file"},
        {"kiln-patch.probe", false, "", "a working file"},
        {"update-secret.txt", false, kSecretLine, "a signing key file"},
        {"keys/public.txt", false, "11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=\r\n", "a signing key file"},
        {"notes.txt", false, "nWGxne/9WmC6hEr0kuwsxERJxWl7MmkZcDusAxyu!2A=\n", ""},
        {".kilnignore", false, ignore, "the list of what to leave out"},
        {"art/title.PSD", false, "x", ".kilnignore line 3"},
        {"art/title.psd.txt", false, "x", ""},
        {"debug", true, "", ".kilnignore line 4"},
        {"sub/debug", true, "", ".kilnignore line 4"},
        {"debug", false, "x", ""},  // debug/ takes folders only
        {"build", true, "", ".kilnignore line 5"},
        {"src/build", true, "", ""},  // /build: at the top only
        {"raw/a.wav", false, "x", ".kilnignore line 6"},
        {"raw/sub/a.wav", false, "x", ""},  // '*' stays within a part
        {"x/raw/a.wav", false, "x", ""},
        {"test.txt", false, "x", ".kilnignore line 7"},
        {"tests.txt", false, "x", ""},
        {"config.ini", false, "x", ".kilnignore line 8"},
        {"System.ini", false, "[Game]\r\nVersion=1.01\r\n", ""},  // what a patch raises the version in
        {"tools", true, "", ".kilnignore line 9"},
        {"Engine.dll", false, "MZ", ""},
    };
    for (const Case& c : cases) {
        if (!c.folder)
            folder.Write("file", c.bytes);
        const auto why = rules->Why(c.name, c.folder, c.bytes.size(), folder.Path() / "file");
        if (std::string(c.why).empty()) {
            EXPECT_FALSE(why) << c.name << ": " << why.value_or("");
        } else {
            ASSERT_TRUE(why) << c.name;
            EXPECT_EQ(why->rfind(c.why, 0), 0u) << c.name << ": " << *why;
        }
    }
}

TEST(PatchLeaveOutTest, RefusesLinesItCannotFollow)
{
    std::string error;
    EXPECT_FALSE(LeaveOut::FromText("*.psd\n!keep.psd\n", &error));
    EXPECT_EQ(error, ".kilnignore:2: '!' cannot take a name back: list only what to leave out");
    EXPECT_FALSE(LeaveOut::FromText("\x83\x66\x81\x5B\x83\x5E\n", &error));  // データ in Shift-JIS
    EXPECT_EQ(error, ".kilnignore:1: is not a name in UTF-8");
    EXPECT_TRUE(LeaveOut::FromText("\xEF\xBB\xBF\xe3\x83\x87\xe3\x83\xbc\xe3\x82\xbf/\n"));  // データ/ after a BOM
}

}  // namespace
}  // namespace Kiln::Patch
