#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "kiln/cli/command.h"
#include "tests/support/test_image_files.h"
#include "tests/support/test_pe_files.h"
#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using TestSupport::RunKiln;
using TestSupport::ScratchFolder;
using TestSupport::ToolRun;

// A game folder with nothing to report: every section the launcher reads, CR LF line ends.
const std::string kGoodSystemIni =
    "[Game]\r\nTitle=Sample\r\nVersion=1.0.0\r\nWideScreen=2\r\n"
    "[DataArchive]\r\nArchive1=end\r\n"
    "[Launcher]\r\nDirectRun=no\r\nEnableTwitter=no\r\nEnableAutoPatch=no\r\nPlayerNum=2\r\n"
    "TopImage=top.png\r\nBannerImage=banner.png\r\n"
    "[Updater]\r\n"
    "[KeyConfigLabel]\r\nUP=Up\r\nBTN1=OK\r\n"
    "[KeyConfig]\r\nUP=yes\r\nBTN1=YES\r\n"
    "[KeyConfig1]\r\nUP=0,0xC8\r\nBTN1=0,0x2C\r\n";

std::string Png(uint32_t width, uint32_t height)
{
    KilnTest::PngShape shape;
    shape.width = width;
    shape.height = height;
    shape.rows.assign(height, KilnTest::Bytes(static_cast<size_t>(width) * 4, 0x80));
    const auto bytes = KilnTest::MakePng(shape);
    return std::string(bytes.begin(), bytes.end());
}

std::string Pe(const KilnTest::PeShape& shape)
{
    const auto bytes = KilnTest::MakePeFile(shape);
    return std::string(bytes.begin(), bytes.end());
}

// The files of a game folder, by name; an empty text leaves the file out.
struct GameFiles {
    std::string systemIni = kGoodSystemIni;
    std::string top = Png(288, 380);
    std::string banner = Png(200, 40);
    std::string engine = Pe({0x014C, true, false, {"RunEngine"}});
    std::string launcher = "MZ launcher";
    std::vector<std::pair<std::string, std::string>> more;
};

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// Adds lines at the start of a section of the good System.ini.
std::string WithLines(const std::string& section, const std::string& lines)
{
    return Replaced(kGoodSystemIni, "[" + section + "]\r\n", "[" + section + "]\r\n" + lines);
}

ToolRun CheckFolder(const std::string& name, const GameFiles& files, const Arguments& options = {})
{
    ScratchFolder folder(name);
    if (!files.systemIni.empty())
        folder.Write("System.ini", files.systemIni);
    if (!files.top.empty())
        folder.Write("top.png", files.top);
    if (!files.banner.empty())
        folder.Write("banner.png", files.banner);
    if (!files.engine.empty())
        folder.Write("Engine.dll", files.engine);
    if (!files.launcher.empty())
        folder.Write("Launcher.exe", files.launcher);
    for (const auto& [file, bytes] : files.more)
        folder.Write(file, bytes);
    Arguments arguments = {"check", folder.Path("")};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return RunKiln(arguments);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

TEST(CheckCommandTest, GoodFolderGivesNothing)
{
    const ToolRun run = CheckFolder("check_good", GameFiles{});
    EXPECT_EQ(run.code, kOk);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

TEST(CheckCommandTest, EachFaultIsReportedOnceAtItsLevel)
{
    struct Case {
        const char* what;
        std::function<void(GameFiles&)> fault;
        std::string start;  // "level: where: " of the one line expected
        std::string says;   // a phrase of the line
    };
    const std::string utf8Title = "Title=\xE3\x82\xB5\xE3\x83\xB3\xE3\x83\x97\xE3\x83\xAB";  // サンプル in UTF-8
    const std::string launcher = "[Launcher]\r\n";
    const Case cases[] = {
        {"no System.ini", [](GameFiles& f) { f.systemIni.clear(); }, "error: System.ini: ", "is missing"},
        {"UTF-8 with a byte-order mark",
         [&](GameFiles& f) { f.systemIni = "\xEF\xBB\xBF" + Replaced(kGoodSystemIni, "Title=Sample", utf8Title); },
         "error: System.ini: ", "UTF-8 with a byte-order mark"},
        {"UTF-8", [&](GameFiles& f) { f.systemIni = Replaced(kGoodSystemIni, "Title=Sample", utf8Title); },
         "error: System.ini: ", "is UTF-8;"},
        {"not CP932", [](GameFiles& f) { f.systemIni = WithLines("KeyConfigLabel", "BTN2=\x81\x20\x80\r\n"); },
         "error: System.ini:16: ", "not Shift-JIS"},
        {"yes-switch written true", [](GameFiles& f) { f.systemIni = Replaced(kGoodSystemIni, "EnableTwitter=no", "EnableTwitter=true"); },
         "warning: System.ini:9: ", "EnableTwitter=\"true\" looks like on"},
        {"[KeyConfig] switch written 1", [](GameFiles& f) { f.systemIni = Replaced(kGoodSystemIni, "BTN1=YES", "BTN1=1"); },
         "warning: System.ini:20: ", "BTN1=\"1\" looks like on"},
        {"PlayerNum 5", [](GameFiles& f) { f.systemIni = Replaced(kGoodSystemIni, "PlayerNum=2", "PlayerNum=5"); },
         "warning: System.ini:11: ", "single key configuration tab"},
        {"WideScreen 02", [](GameFiles& f) { f.systemIni = Replaced(kGoodSystemIni, "WideScreen=2", "WideScreen=02"); },
         "warning: System.ini:4: ", "640x480"},
        {"assignment that does not parse", [](GameFiles& f) { f.systemIni = Replaced(kGoodSystemIni, "BTN1=0,0x2C", "BTN1=Z"); },
         "warning: System.ini:23: ", "built-in one"},
        {"no button assignable",
         [](GameFiles& f) { f.systemIni = Replaced(Replaced(kGoodSystemIni, "UP=yes", "UP=no"), "BTN1=YES", "BTN1=No"); },
         "warning: System.ini: ", "[KeyConfig] enables no button"},
        {"key name close to a button", [](GameFiles& f) { f.systemIni = WithLines("KeyConfig", "BTN13=yes\r\n"); },
         "warning: System.ini:19: ", "did you mean"},
        {"key name misspelt", [](GameFiles& f) { f.systemIni = Replaced(kGoodSystemIni, "Title=", "Tittle="); },
         "warning: System.ini:2: ", "did you mean Title?"},
        {"section name misspelt", [](GameFiles& f) { f.systemIni = Replaced(kGoodSystemIni, "[Launcher]", "[Launcer]"); },
         "warning: System.ini:7: ", "did you mean [Launcher]?"},
        {"key of the engine's own", [](GameFiles& f) { f.systemIni = WithLines("Game", "FontName=Gothic\r\n"); },
         "note: System.ini:2: ", "the engine may read it"},
        {"top picture missing", [](GameFiles& f) { f.top.clear(); }, "warning: System.ini:12: ", "is missing"},
        {"top picture 287x380", [](GameFiles& f) { f.top = Png(287, 380); }, "warning: System.ini:12: ",
         "is 287x380, not 288x380"},
        {"banner 200x41", [](GameFiles& f) { f.banner = Png(200, 41); }, "warning: System.ini:13: ", "not 200x40"},
        {"banner not a picture", [](GameFiles& f) { f.banner = "GIF89a"; }, "warning: System.ini:13: ",
         "not a readable png picture"},
        {"no engine", [](GameFiles& f) { f.engine.clear(); }, "error: Engine.dll: ", "is missing"},
        {"64-bit engine", [](GameFiles& f) { f.engine = Pe({0x8664, true, true, {"RunEngine"}}); },
         "error: Engine.dll: ", "64-bit"},
        {"engine not a PE file", [](GameFiles& f) { f.engine = "MZ but nothing more"; }, "error: Engine.dll: ",
         "could not be loaded"},
        {"engine is a program", [](GameFiles& f) { f.engine = Pe({0x014C, false, false, {"RunEngine"}}); },
         "error: Engine.dll: ", "not a library"},
        {"decorated export", [](GameFiles& f) { f.engine = Pe({0x014C, true, false, {"_RunEngine@8"}}); },
         "error: Engine.dll: ", "exports \"_RunEngine@8\" but not \"RunEngine\""},
        {"no RunEngine", [](GameFiles& f) { f.engine = Pe({0x014C, true, false, {"Start"}}); }, "error: Engine.dll: ",
         "no entry"},
        {"64-bit debug engine",
         [](GameFiles& f) { f.more = {{"Engine_Debug.dll", Pe({0x8664, true, true, {"RunEngine"}})}}; },
         "error: Engine_Debug.dll: ", "64-bit"},
        {"auto-patch without update file",
         [&](GameFiles& f) {
             f.systemIni = Replaced(WithLines("Updater", "BaseURL1=http://example.com/\r\nPatchFilePrefix=patch_%1%.exe\r\nUpdatePublicKey=11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=\r\n"), "EnableAutoPatch=no",
                                    "EnableAutoPatch=yes");
         },
         "error: System.ini: ", "UpdateInfoFile is empty"},
        {"auto-patch without servers",
         [&](GameFiles& f) {
             f.systemIni = Replaced(WithLines("Updater", "UpdateInfoFile=update.txt\r\nPatchFilePrefix=patch_%1%.exe\r\nUpdatePublicKey=11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=\r\n"), "EnableAutoPatch=no",
                                    "EnableAutoPatch=yes");
         },
         "error: System.ini: ", "no BaseURL1"},
        {"auto-patch without a public key",
         [&](GameFiles& f) {
             f.systemIni = Replaced(WithLines("Updater", "UpdateInfoFile=update.txt\r\nBaseURL1=http://example.com/\r\n"
                                                         "PatchFilePrefix=patch_%1%.exe\r\n"),
                                    "EnableAutoPatch=no", "EnableAutoPatch=yes");
         },
         "warning: System.ini: ", "updates are not signed"},
        {"public key one byte short",
         [](GameFiles& f) { f.systemIni = WithLines("Updater", "UpdatePublicKey=11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHUQ==\r\n"); },
         "error: System.ini:15: ", "patcher refuses to run"},
        {"server address not http",
         [](GameFiles& f) { f.systemIni = WithLines("Updater", "BaseURL1=ftp://example.com/\r\n"); },
         "warning: System.ini:15: ", "not an http:// or https:// address"},
        {"server list cut short",
         [](GameFiles& f) {
             f.systemIni = WithLines("Updater", "BaseURL1=http://a.example/\r\nBaseURL2=end\r\nBaseURL3=http://b.example/\r\n");
         },
         "warning: System.ini:17: ", "the list ends at BaseURL2"},
        {"auto-patch without a patch name",
         [&](GameFiles& f) {
             f.systemIni = Replaced(WithLines("Updater", "UpdateInfoFile=update.txt\r\nBaseURL1=http://example.com/\r\n"
                                                         "UpdatePublicKey=11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=\r\n"),
                                    "EnableAutoPatch=no", "EnableAutoPatch=yes");
         },
         "error: System.ini: ", "PatchFilePrefix is empty"},
        {"patch name written printf-style",
         [](GameFiles& f) { f.systemIni = WithLines("Updater", "PatchFilePrefix=MyGame_%1.exe\r\n"); },
         "error: System.ini:15: ", "must hold %1% exactly once"},
        {"patch name without the version",
         [](GameFiles& f) { f.systemIni = WithLines("Updater", "PatchFilePrefix=MyGame.exe\r\n"); },
         "error: System.ini:15: ", "must hold %1% exactly once, where the version goes (the launcher cannot fill it in)"},
        {"patch name with the version twice",
         [](GameFiles& f) { f.systemIni = WithLines("Updater", "PatchFilePrefix=%1%/MyGame_%1%.exe\r\n"); },
         "error: System.ini:15: ", "must hold %1% exactly once"},
        {"patch name with another per cent sign",
         [](GameFiles& f) { f.systemIni = WithLines("Updater", "PatchFilePrefix=MyGame_%1%_%%.exe\r\n"); },
         "error: System.ini:15: ", "another % sign besides %1% (for version 1.01 the launcher would fetch \"MyGame_1.01_%.exe\")"},
        {"patch name in a folder",
         [](GameFiles& f) { f.systemIni = WithLines("Updater", "PatchFilePrefix=patches\\MyGame_%1%.exe\r\n"); },
         "error: System.ini:15: ", "PatchFilePrefix=\"patches\\MyGame_%1%.exe\" does not give a plain file name"},
        {"no launcher", [](GameFiles& f) { f.launcher.clear(); }, "warning: Launcher.exe: ", "is missing"},
        {"engine and pictures named in another case",
         [](GameFiles& f) {
             f.engine.clear();
             f.more = {{"engine.DLL", Pe({0x014C, true, false, {"RunEngine"}})}};
             f.systemIni = Replaced(kGoodSystemIni, "TopImage=top.png", "TopImage=.\\TOP.Png");
         },
         "", ""},
        {"picture path with a backslash, missing",
         [](GameFiles& f) { f.systemIni = Replaced(kGoodSystemIni, "TopImage=top.png", "TopImage=pictures\\top.png"); },
         "warning: System.ini:12: ", "TopImage \"pictures\\top.png\" is missing"},
        {"Twitter without credentials",
         [](GameFiles& f) { f.systemIni = Replaced(kGoodSystemIni, "EnableTwitter=no", "EnableTwitter=yes"); },
         "error: System.ini: ", "APIAccessKey is empty"},
        {"plain credentials",
         [&](GameFiles& f) {
             f.systemIni = Replaced(kGoodSystemIni, "EnableTwitter=no", "EnableTwitter=yes") +
                           "[Twitter]\r\nAPIAccessKey=consumer&secret\r\n";
         },
         "note: System.ini:25: ", "seals it in place"},
        {"shipped Game.ini with a screen size the page replaces",
         [](GameFiles& f) { f.more = {{"Game.ini", "[General]\r\nScreenSize=7\r\n"}}; }, "warning: Game.ini:2: ",
         "shows and saves 0"},
        {"shipped Game.ini with a file cache the page replaces",
         [](GameFiles& f) { f.more = {{"Game.ini", "[General]\r\nMaxFileCacheSize=1024\r\n"}}; },
         "warning: Game.ini:2: ", "shows and saves 128"},
        {"bare LF line ends",
         [](GameFiles& f) {
             std::string lf;
             for (const char c : kGoodSystemIni) {
                 if (c != '\r')
                     lf += c;
             }
             f.systemIni = lf;
         },
         "", ""},
    };
    int index = 0;
    for (const Case& c : cases) {
        GameFiles files;
        c.fault(files);
        const ToolRun run = CheckFolder("check_fault_" + std::to_string(index++), files);
        const auto lines = Lines(run.out);
        if (c.start.empty()) {
            EXPECT_EQ(run.out, "") << c.what;
            EXPECT_EQ(run.code, kOk) << c.what;
            continue;
        }
        ASSERT_EQ(lines.size(), 1u) << c.what << "\n" << run.out;
        EXPECT_EQ(lines[0].rfind(c.start, 0), 0u) << c.what << "\n" << lines[0];
        EXPECT_NE(lines[0].find(c.says), std::string::npos) << c.what << "\n" << lines[0];
        EXPECT_EQ(run.code, c.start.rfind("error", 0) == 0 ? kFailed : kOk) << c.what;
    }
}

TEST(CheckCommandTest, JsonListsTheSameFindings)
{
    GameFiles files;
    files.engine.clear();
    files.systemIni = Replaced(kGoodSystemIni, "PlayerNum=2", "PlayerNum=\"x\\y\"");
    const ToolRun run = CheckFolder("check_json", files, {"--json"});
    EXPECT_EQ(run.code, kFailed);
    EXPECT_EQ(run.out,
              "[\n"
              " {\"level\": \"warning\", \"where\": \"System.ini:11\", \"what\": \"PlayerNum=\\\"x\\\\y\\\" is not 1 to 4; "
              "the launcher shows a single key configuration tab\"},\n"
              " {\"level\": \"error\", \"where\": \"Engine.dll\", \"what\": \"is missing; the launcher starts nothing when "
              "the player starts the game\"}\n"
              "]\n");
}

TEST(CheckCommandTest, AMissingFolderIsSaidSoAndStrictFailsOnWarnings)
{
    const TestSupport::ScratchFolder scratch("check_missing");
    const ToolRun missing = RunKiln({"check", scratch.Path("nowhere")});
    EXPECT_EQ(missing.code, kFailed);
    EXPECT_EQ(missing.out, "error: " + scratch.Path("nowhere") + ": does not exist\n");

    GameFiles files;
    files.systemIni = Replaced(kGoodSystemIni, "PlayerNum=2", "PlayerNum=5");
    EXPECT_EQ(CheckFolder("check_lenient", files).code, kOk);
    const ToolRun strict = CheckFolder("check_strict", files, {"--strict"});
    EXPECT_EQ(strict.code, kFailed);
    EXPECT_EQ(strict.out.rfind("warning: System.ini:11: ", 0), 0u) << strict.out;
}

TEST(CheckCommandTest, WithoutAFolderIsAUsageError)
{
    EXPECT_EQ(RunKiln({"check"}).code, kBadUsage);
    EXPECT_EQ(RunKiln({"check", "a", "b"}).code, kBadUsage);
}

}  // namespace
}  // namespace KilnCli
