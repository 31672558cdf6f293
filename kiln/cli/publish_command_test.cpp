#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "kiln/cli/command.h"
#include "tests/support/patch_folders.h"
#include "tests/support/test_pe_files.h"
#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using TestSupport::RunKiln;
using TestSupport::ToolRun;
namespace fs = std::filesystem;

// RFC 8032's first test key, and the public key of another seed.
const char kSeed[] = "nWGxne/9WmC6hEr0kuwsxERJxWl7MmkZcDusAxyuf2A=";
const char kPublicKey[] = "11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=";
const char kOtherSeed[] = "TM0Imyj/ltqdtsNG7BFOD1uKMZ81q6Yk2oz27U+4pvs=";

std::string SystemIni(const std::string& version, const std::string& prefix, const std::vector<std::string>& servers)
{
    std::string text = "[Game]\r\nTitle=Sample\r\nVersion=" + version +
                       "\r\n[Launcher]\r\nEnableAutoPatch=yes\r\n[Updater]\r\nUpdateInfoFile=update.txt\r\n"
                       "PatchFilePrefix=" + prefix + "\r\n";
    for (size_t i = 0; i < servers.size(); ++i)
        text += "BaseURL" + std::to_string(i + 1) + "=" + servers[i] + "\r\n";
    return text + "UpdatePublicKey=" + kPublicKey + "\r\n[KeyConfig]\r\nUP=yes\r\n";
}

// Two releases of a game as a maker keeps them: 1.01 was test-run (it has a Game.ini), holds
// the signing secret and a folder its .kilnignore leaves out.
struct Releases {
    ::TestSupport::TempFolder old{"publish_old"};
    ::TestSupport::TempFolder next{"publish_new"};
    ::TestSupport::TempFolder out{"publish_out"};
    ::TestSupport::TempFolder work{"publish_work"};

    explicit Releases(const std::string& from = "1.00", const std::string& to = "1.01",
                      const std::string& prefix = "MyGame_%1%.exe",
                      const std::vector<std::string>& servers = {"http://a.example/game/", "http://b.example/game/"})
    {
        const auto engine = KilnTest::MakePeFile({0x014C, true, false, {"RunEngine"}});
        for (const auto* folder : {&old, &next}) {
            folder->Write("Engine.dll", std::string(engine.begin(), engine.end()));
            folder->Write("Launcher.exe", "MZ launcher");
        }
        old.Write("System.ini", SystemIni(from, prefix, servers));
        next.Write("System.ini", SystemIni(to, prefix, servers));
        old.Write("data/story.txt", "once");
        next.Write("data/story.txt", "once upon a time");
        next.Write("Game.ini", "[General]\r\nFullScreen=Yes\r\n");
        next.Write("update-secret.txt", std::string(kSeed) + "\n");
        next.Write("debug/trace.log", "frame 1");
        next.Write(".kilnignore", "# the maker's own\r\ndebug/\r\n");
        work.Write("stub.exe", "MZ stub");
        work.Write("other-secret.txt", std::string(kOtherSeed) + "\n");
    }
    std::string Old() const { return old.Path().u8string(); }
    std::string New() const { return next.Path().u8string(); }
    std::string Out() const { return out.Path().u8string(); }
    std::string Secret() const { return (next.Path() / "update-secret.txt").u8string(); }

    ToolRun Publish(const std::string& secret) const
    {
        Arguments arguments = {"publish", Old(), New(), Out(), "--stub=" + (work.Path() / "stub.exe").u8string(),
                               "--level", "3"};
        if (!secret.empty())
            arguments.insert(arguments.end(), {"--secret", secret});
        return RunKiln(arguments);
    }
    std::string Md5(const std::string& name) const { return RunKiln({"md5", (out.Path() / name).u8string()}).out.substr(0, 32); }
};

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(PublishCommandTest, LeavesOutWhatNeverShipsAndARerunChangesOnlyTheSerial)
{
    const Releases r;
    const ToolRun first = r.Publish(r.Secret());
    ASSERT_EQ(first.code, kOk) << first.err;
    for (const char* name : {"left out: Game.ini (", "left out: debug (", "left out: update-secret.txt ("})
        EXPECT_EQ(Count(first.err, name), 1u) << name << "\n" << first.err;
    EXPECT_EQ(first.out, "upload from " + r.Out() +
                             " to every server, in binary mode, the patch first:\n"
                             "  MyGame_1.01.exe\n  update.txt\n  update.txt.sig\n"
                             "servers:\n  http://a.example/game/\n  http://b.example/game/\n");
    const auto files = ::TestSupport::Snapshot(r.out.Path());
    ASSERT_EQ(files.size(), 3u);
    ASSERT_EQ(files.count("MyGame_1.01.exe") + files.count("update.txt") + files.count("update.txt.sig"), 3u);
    const std::string info = ::TestSupport::ReadFile(r.out.Path() / "update.txt");
    const std::string entries = "1.00,,0,\r\n1.01," + r.Md5("MyGame_1.01.exe") + ",0,MyGame_1.01.exe\r\n\r\nSerial=";
    EXPECT_EQ(info.rfind(entries, 0), 0u) << info;

    const auto contents = RunKiln({"patch", "info", (r.out.Path() / "MyGame_1.01.exe").u8string()});
    EXPECT_EQ(contents.code, kOk) << contents.err;
    EXPECT_NE(contents.out.find("change data/story.txt"), std::string::npos) << contents.out;
    for (const char* name : {"Game.ini", "debug", "secret", "kilnignore"})
        EXPECT_EQ(contents.out.find(name), std::string::npos) << name << "\n" << contents.out;
    const auto checked = RunKiln({"updateinfo", "check", (r.out.Path() / "update.txt").u8string(), "--installed", "1.00",
                                  "--prefix", "MyGame_%1%.exe", "--public-key", kPublicKey});
    EXPECT_EQ(checked.code, kOk) << checked.err;
    EXPECT_EQ(checked.out.rfind("signature: good\nnext: 1.01\n", 0), 0u) << checked.out;

    const ToolRun second = r.Publish(r.Secret());
    ASSERT_EQ(second.code, kOk) << second.err;
    EXPECT_EQ(second.out, first.out);
    const auto again = ::TestSupport::Snapshot(r.out.Path());
    ASSERT_EQ(again.size(), 3u);
    EXPECT_EQ(again.at("MyGame_1.01.exe"), files.at("MyGame_1.01.exe"));
    auto withoutSerial = [](std::string text) {
        const size_t at = text.find("Serial=");
        return at == std::string::npos ? text : text.erase(at, text.find('\r', at) - at);
    };
    const std::string infoAgain = ::TestSupport::ReadFile(r.out.Path() / "update.txt");
    EXPECT_NE(infoAgain, info);
    EXPECT_EQ(withoutSerial(infoAgain), withoutSerial(info));
    EXPECT_EQ(RunKiln({"verify", kPublicKey, (r.out.Path() / "update.txt").u8string()}).code, kOk);
}

TEST(PublishCommandTest, RefusesWhatLaunchersCouldNotUseAndLeavesOutdirAsItWas)
{
    const std::string hex(32, 'a');
    enum Secret { kNone, kOwn, kOther };
    struct Case {
        const char* what;
        std::function<void(const Releases&)> prepare;
        Secret secret;
        std::string says;
    };
    const Case cases[] = {
        {"a UTF-8 System.ini",
         [](const Releases& r) {
             std::string ini = ::TestSupport::ReadFile(r.next.Path() / "System.ini");
             ini.replace(ini.find("Title=Sample"), 12, "Title=\xE3\x82\xB5\xE3\x83\xB3\xE3\x83\x97\xE3\x83\xAB");
             r.next.Write("System.ini", ini);
         },
         kOwn, "error: System.ini: is UTF-8;"},
        {"a key configured and no secret", [](const Releases&) {}, kNone, "give its secret file with --secret"},
        {"a secret of another key", [](const Releases&) {}, kOther, "is not the secret of the new System.ini's"},
        {"a version listed twice",
         [&](const Releases& r) { r.out.Write("update.txt", "1.00,,0,\r\n1.01," + hex + ",0,\r\n1.01," + hex + ",0,\r\n"); },
         kOwn, "update.txt:3: 1.01 is listed again (first on line 2)"},
        {"versions out of order",
         [&](const Releases& r) { r.out.Write("update.txt", "1.02,,0,\r\n1.00," + hex + ",0,\r\n"); }, kOwn,
         "update.txt:2: 1.00 comes after 1.02"},
        {"a chain that ends at another version",
         [&](const Releases& r) { r.out.Write("update.txt", "0.90,,0,\r\n0.95," + hex + ",0,\r\n"); }, kOwn,
         "the last version listed is 0.95, but this patch leads from 1.00"},
        {"an MD5 that is not its patch file's",
         [&](const Releases& r) {
             r.out.Write("update.txt", "0.90,,0,\r\n1.00," + hex + ",0,\r\n");
             r.out.Write("MyGame_1.00.exe", "not the patch listed");
         },
         kOwn, "update.txt:2: the MD5 of 1.00 is " + hex + ", but MyGame_1.00.exe beside it has"},
    };
    for (const Case& c : cases) {
        const Releases r;
        c.prepare(r);
        const auto before = ::TestSupport::Snapshot(r.out.Path());
        const std::string other = (r.work.Path() / "other-secret.txt").u8string();
        const ToolRun run = r.Publish(c.secret == kNone ? "" : c.secret == kOwn ? r.Secret() : other);
        EXPECT_EQ(run.code, kFailed) << c.what << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.what << "\n" << run.err;
        EXPECT_EQ(run.out, "") << c.what;
        EXPECT_EQ(::TestSupport::Snapshot(r.out.Path()), before) << c.what;
    }
}

#ifdef KILN_SOURCE_DIR
// The section of a guide from its heading to the next one of the same level.
std::string Section(const std::string& guide, const std::string& heading)
{
    std::ifstream file(fs::path(KILN_SOURCE_DIR) / "docs" / guide, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string all = text.str();
    const size_t start = all.find("\n## " + heading + "\n");
    if (start == std::string::npos)
        return "";
    return all.substr(start, all.find("\n## ", start + 1) - start);
}

TEST(PublishCommandTest, BothGuidesShowWhatTheCommandPrints)
{
    // The guides' example: their System.ini, their folders and their command.
    const Releases r("1.0.0", "1.0.1", "MyGame_%1%.exe",
                     {"https://patch.example.com/mygame/", "https://mirror.example.net/mygame/"});
    const ToolRun run = r.Publish(r.Secret());
    ASSERT_EQ(run.code, kOk) << run.err;
    std::string shown = run.out;
    shown.replace(shown.find(r.Out()), r.Out().size(), "server-files");
    for (const auto& [guide, heading] : {std::pair<std::string, std::string>{"makers-guide.md", "Publishing an update"},
                                         {"makers-guide.ja.md", "\xe6\x9b\xb4\xe6\x96\xb0\xe3\x82\x92\xe5\x85\xac\xe9\x96\x8b\xe3\x81\x99\xe3\x82\x8b"}}) {
        const std::string section = Section(guide, heading);
        ASSERT_FALSE(section.empty()) << guide;
        EXPECT_NE(section.find("kiln publish MyGame-1.0.0 MyGame-1.0.1 server-files --secret"), std::string::npos) << guide;
        EXPECT_NE(section.find(shown), std::string::npos) << guide << " should show:\n" << shown;
    }
}
#endif

}  // namespace
}  // namespace KilnCli
