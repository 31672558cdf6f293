// The auto-patcher as a player meets it: the patch button, the download dialog and its
// messages, against real servers on loopback addresses and a real patch program.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "resources/resource.h"
#include "tests/support/game_folder.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ui_driver.h"

namespace {

using KilnTest::GameFolder;
using KilnTest::LoopbackServer;
using KilnTest::Process;

constexpr char kTitle[] = "パッチ試験";
constexpr char kDialogCaption[] = "ダウンロード";
constexpr char kUpdatedCaption[] = "パッチ処理完了";
constexpr char kFetchErrorCaption[] = "取得エラー";

// MD5 by the system's CryptoAPI, apart from the launcher's own.
std::string Md5Hex(const std::string& bytes)
{
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[16] = {};
    DWORD size = sizeof digest;
    const bool ok = ::CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
                    ::CryptCreateHash(provider, CALG_MD5, 0, 0, &hash) &&
                    ::CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                                    0) &&
                    ::CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0);
    if (hash)
        ::CryptDestroyHash(hash);
    if (provider)
        ::CryptReleaseContext(provider, 0);
    if (!ok)
        return "";
    std::string hex;
    for (const BYTE b : digest) {
        hex += "0123456789abcdef"[b >> 4];
        hex += "0123456789abcdef"[b & 0xF];
    }
    return hex;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The test patch program carrying its target version and exit code, after `padding` bytes.
std::string PatchBytes(const std::string& version, int exitCode, size_t padding = 0)
{
    std::string bytes = KilnTest::ReadFileText(KilnTest::BinDirectory() + "TestPatch.exe");
    bytes.append(padding, 'p');
    return bytes + "KILNPATCH:" + version + ":" + std::to_string(exitCode) + "\n";
}

std::string Documents()
{
    char path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathA(nullptr, path, CSIDL_PERSONAL, FALSE);
    return path;
}

std::string WorkingFolder()
{
    return Documents() + "\\TavoriUpdater\\";
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveWorkingFolder()
{
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA((WorkingFolder() + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            ::DeleteFileA((WorkingFolder() + entry.cFileName).c_str());
        } while (::FindNextFileA(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(WorkingFolder().c_str());
}

bool WaitGone(HWND window, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (::IsWindow(window)) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}

class PatchTest : public ::testing::Test {
protected:
    PatchTest() : game_("patch_" + TestName())
    {
        game_.AddLauncher();
        game_.AddRecordingEngines();
        RemoveWorkingFolder();
    }
    ~PatchTest() override { RemoveWorkingFolder(); }

    static std::string TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

    // A site of its own for loopback address `n`: the files it serves, then its routes.
    GameFolder& Site(int n)
    {
        sites_.push_back(std::make_unique<GameFolder>("patchsite_" + TestName() + "_" + std::to_string(n)));
        return *sites_.back();
    }

    std::string Serve(int n, GameFolder& site, const std::string& routes,
                      LoopbackServer::Kind kind = LoopbackServer::Kind::Scripted)
    {
        if (kind == LoopbackServer::Kind::Scripted)
            site.Write("routes.json", routes);
        servers_.push_back(std::make_unique<LoopbackServer>(KilnTest::LoopbackAddress(n), site, kind));
        EXPECT_TRUE(servers_.back()->Running());
        return servers_.back()->BaseURL();
    }

    void Configure(const std::string& version, const std::vector<std::string>& baseURLs)
    {
        std::string ini = std::string("[Game]\r\nTitle=") + kTitle + "\r\nVersion=" + version +
                          "\r\n[Launcher]\r\nEnableAutoPatch=yes\r\n[Updater]\r\nUpdateInfoFile=update.txt\r\n"
                          "PatchFilePrefix=patch_%1%.exe\r\n";
        for (size_t i = 0; i < baseURLs.size(); ++i)
            ini += "BaseURL" + std::to_string(i + 1) + "=" + baseURLs[i] + "\r\n";
        game_.Write("System.ini", ini);
    }

    std::string InstalledVersion() const
    {
        char version[64] = {};
        ::GetPrivateProfileStringA("Game", "Version", "", version, sizeof version, game_.PathOf("System.ini").c_str());
        return version;
    }

    std::string PatchRuns() const { return game_.Exists("patch_runs.txt") ? game_.Read("patch_runs.txt") : ""; }

    HWND OpenLauncher()
    {
        launcher_ = std::make_unique<Process>(game_.PathOf("Launcher.exe"), "");
        return KilnTest::WaitForDialog(launcher_->Id(), kTitle);
    }

    HWND OpenPatchDialog(HWND window)
    {
        KilnTest::Click(window, IDC_PATCH);
        return KilnTest::WaitForDialog(launcher_->Id(), kDialogCaption);
    }

    HWND WaitForBox(const char* caption, DWORD timeoutMs = KilnTest::kWindowTimeoutMs)
    {
        return KilnTest::WaitForDialog(launcher_->Id(), caption, timeoutMs);
    }

    // Answers a message box and waits until it has gone.
    static void Answer(HWND box, int button = IDOK)
    {
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        EXPECT_TRUE(WaitGone(box, 5000));
    }

    // Closes the launcher window; the launcher must quit at once.
    void CloseLauncher(HWND window)
    {
        KilnTest::PressCloseBox(window);
        EXPECT_EQ(launcher_->WaitForExit(5000), 0);
    }

    // update.txt listing 1.00 and then each (version, digest, flag).
    static std::string UpdateInfo(const std::vector<std::tuple<std::string, std::string, int>>& patches)
    {
        std::string text = "1.00,,0,base\r\n";
        for (const auto& [version, digest, flag] : patches)
            text += version + "," + digest + "," + std::to_string(flag) + ",patch_" + version + ".exe\r\n";
        return text;
    }

    // One server at address `n` listing 1.01 with `listedDigest` and `flag` and serving `served`
    // as its patch (route options `patchOptions`); the launcher at 1.00 asks it alone.
    void OfferPatch(int n, const std::string& served, const std::string& listedDigest, int flag = 0,
                    const std::string& patchOptions = "")
    {
        GameFolder& site = Site(n);
        site.Write("update.txt", UpdateInfo({{"1.01", listedDigest, flag}}));
        site.Write("patch_1.01.exe", served);
        Configure("1.00", {Serve(n, site, R"({"/update.txt": {"file": "update.txt"},
                                              "/patch_1.01.exe": {"file": "patch_1.01.exe")" +
                                              patchOptions + "}}")});
    }

    // Opens the launcher and presses its patch button: window_ and dialog_.
    bool OpenDialog()
    {
        window_ = OpenLauncher();
        dialog_ = window_ ? OpenPatchDialog(window_) : nullptr;
        return dialog_ != nullptr;
    }

    GameFolder game_;
    HWND window_ = nullptr;
    HWND dialog_ = nullptr;
    std::vector<std::unique_ptr<GameFolder>> sites_;
    std::vector<std::unique_ptr<LoopbackServer>> servers_;
    std::unique_ptr<Process> launcher_;
};

// 1.00 -> 1.01 -> 1.02 from one server, the first patch trickled so that the bar is seen moving.
class ChainTest : public PatchTest {
protected:
    void Chain(LoopbackServer::Kind kind, int address)
    {
        const std::string patch1 = PatchBytes("1.01", 0, 6 * 1024 * 1024);
        const std::string patch2 = PatchBytes("1.02", 0);
        // the second digest in capitals: compared without regard to case
        const std::string info = UpdateInfo({{"1.01", Md5Hex(patch1), 0}, {"1.02", Upper(Md5Hex(patch2)), 0}});
        GameFolder& site = Site(address);
        const std::string files = kind == LoopbackServer::Kind::Nginx ? "www\\" : "";
        if (!files.empty())
            ::CreateDirectoryA(site.PathOf("www").c_str(), nullptr);
        site.Write(files + "update.txt", info);
        site.Write(files + "patch_1.01.exe", patch1);
        site.Write(files + "patch_1.02.exe", patch2);
        const std::string base = Serve(address, site,
                                       R"({"/update.txt": {"file": "update.txt"},
                                           "/patch_1.01.exe": {"file": "patch_1.01.exe", "trickle": [524288, 0.05]},
                                           "/patch_1.02.exe": {"file": "patch_1.02.exe"}})",
                                       kind);
        Configure("1.00", {base});

        HWND window = OpenLauncher();
        ASSERT_NE(window, nullptr);
        HWND dialog = OpenPatchDialog(window);
        ASSERT_NE(dialog, nullptr);
        HWND progress = ::GetDlgItem(dialog, IDC_PATCH_PROGRESS);
        std::set<int> positions;
        HWND box = nullptr;
        const DWORD start = ::GetTickCount();
        while (!(box = WaitForBox(kUpdatedCaption, 0)) && ::GetTickCount() - start < 30000) {
            if (::IsWindow(progress))
                positions.insert(static_cast<int>(::SendMessageA(progress, PBM_GETPOS, 0, 0)));
            ::Sleep(5);
        }
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(KilnTest::MessageBoxText(box),
                  "バージョン[1.01]に更新されました。\n更に新しいパッチが存在するか続けて確認します。");
        EXPECT_EQ(PatchRuns(), "1.01\n");
        EXPECT_EQ(InstalledVersion(), "1.01");
        EXPECT_FALSE(Exists(WorkingFolder()));
        if (kind == LoopbackServer::Kind::Scripted) {
            bool between = false;
            for (int position : positions)
                between = between || (position > 0 && position < 100);
            EXPECT_TRUE(between) << "progress positions seen: " << positions.size();
        }
        Answer(box);

        box = WaitForBox(kUpdatedCaption);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(KilnTest::MessageBoxText(box),
                  "バージョン[1.02]に更新されました。\n更に新しいパッチが存在するか続けて確認します。");
        EXPECT_EQ(PatchRuns(), "1.01\n1.02\n");
        Answer(box);

        box = WaitForBox("最新バージョン");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(KilnTest::MessageBoxText(box), "お使いのバージョンが最新バージョンです");
        Answer(box);
        EXPECT_TRUE(WaitGone(dialog, 5000));
        EXPECT_TRUE(::IsWindowVisible(window));
        CloseLauncher(window);
        EXPECT_EQ(game_.EngineRecord(), "");
    }
};

TEST_F(ChainTest, TwoPatchesInARowFromTheScriptedServer)
{
    Chain(LoopbackServer::Kind::Scripted, 20);
    const std::string log = servers_[0]->RequestLog();
    EXPECT_NE(log.find("GET /patch_1.01.exe? HTTP/1.1"), std::string::npos) << log;
    EXPECT_NE(log.find("GET /patch_1.02.exe? HTTP/1.1"), std::string::npos) << log;
}

TEST_F(ChainTest, TwoPatchesInARowFromNginx)
{
    Chain(LoopbackServer::Kind::Nginx, 21);
    const std::string log = sites_[0]->Read("access.log");
    EXPECT_NE(log.find("\"GET /patch_1.02.exe? HTTP/1.1\" 200"), std::string::npos) << log;
}

TEST_F(PatchTest, StalledFirstServerFallsBackToTheSecondForInformationAndPatch)
{
    const std::string patch = PatchBytes("1.01", 0);
    GameFolder& stalled = Site(22);
    const std::string first = Serve(22, stalled, R"({"/update.txt": {"silent": true}})");
    GameFolder& answering = Site(23);
    answering.Write("update.txt", UpdateInfo({{"1.01", Md5Hex(patch), 0}}));
    answering.Write("patch_1.01.exe", patch);
    const std::string second = Serve(23, answering,
                                     R"({"/update.txt": {"file": "update.txt"}, "/patch_1.01.exe": {"file": "patch_1.01.exe"}})");
    Configure("1.00", {first, second});

    HWND window = OpenLauncher();
    ASSERT_NE(window, nullptr);
    const DWORD start = ::GetTickCount();
    ASSERT_NE(OpenPatchDialog(window), nullptr);
    HWND box = WaitForBox(kUpdatedCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_GE(::GetTickCount() - start, 2000u);
    EXPECT_EQ(PatchRuns(), "1.01\n");
    EXPECT_EQ(servers_[0]->RequestLog().find("patch_1.01.exe"), std::string::npos);
    EXPECT_NE(servers_[1]->RequestLog().find("GET /update.txt? HTTP/1.1"), std::string::npos);
    EXPECT_NE(servers_[1]->RequestLog().find("GET /patch_1.01.exe? HTTP/1.1"), std::string::npos);
    Answer(box, IDCANCEL);
    CloseLauncher(window);
}

TEST_F(PatchTest, EveryServerFailingGivesOneMessageNamingTheInformationFile)
{
    GameFolder& site = Site(24);
    const std::string notFound = Serve(24, site, "{}");
    Configure("1.00", {notFound, "http://" + KilnTest::LoopbackAddress(25) + "/"});

    HWND window = OpenLauncher();
    ASSERT_NE(window, nullptr);
    const DWORD start = ::GetTickCount();
    HWND dialog = OpenPatchDialog(window);
    ASSERT_NE(dialog, nullptr);
    HWND box = WaitForBox(kFetchErrorCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_GE(::GetTickCount() - start, 4000u);
    EXPECT_EQ(KilnTest::MessageBoxText(box), "ファイル[update.txt]をダウンロードできませんでした");
    Answer(box);
    EXPECT_TRUE(WaitGone(dialog, 5000));
    EXPECT_EQ(WaitForBox(kFetchErrorCaption, 1000), nullptr);
    CloseLauncher(window);
}

TEST_F(PatchTest, PatchServerThatNeverAnswersIsGivenUpAfterTenSeconds)
{
    const std::string patch = PatchBytes("1.01", 0);
    OfferPatch(30, patch, Md5Hex(patch), 0, R"(, "silent": true)");
    ASSERT_TRUE(OpenDialog());
    const DWORD opened = ::GetTickCount();
    HWND box = WaitForBox(kFetchErrorCaption, 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_GE(::GetTickCount() - opened, 10000u);
    EXPECT_EQ(KilnTest::MessageBoxText(box), "ファイル[patch_1.01.exe]をダウンロードできませんでした");
    Answer(box);
    EXPECT_TRUE(WaitGone(dialog_, 5000));
    CloseLauncher(window_);
}

TEST_F(PatchTest, DigestMismatchIsReportedAndTheFileNeverRuns)
{
    OfferPatch(26, PatchBytes("1.01", 0, 1), Md5Hex(PatchBytes("1.01", 0)));
    ASSERT_TRUE(OpenDialog());
    HWND box = WaitForBox("ファイル破損");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(box), "ダウンロードに失敗しました\n再度ダウンロードをお試しください");
    Answer(box);
    EXPECT_TRUE(WaitGone(dialog_, 5000));
    EXPECT_FALSE(Exists(WorkingFolder()));
    EXPECT_EQ(PatchRuns(), "");
    EXPECT_EQ(InstalledVersion(), "1.00");
    CloseLauncher(window_);
}

TEST_F(PatchTest, FailingOrUnstartablePatchIsReportedAndItsFilesRemoved)
{
    const std::string failing = PatchBytes("1.01", 1);
    const std::string notAProgram = "this is not a program\r\n";
    GameFolder& site = Site(27);
    site.Write("update.txt", UpdateInfo({{"1.01", Md5Hex(failing), 0}}));
    site.Write("update2.txt", UpdateInfo({{"1.01", Md5Hex(notAProgram), 0}}));
    site.Write("patch_1.01.exe", failing);
    site.Write("text.exe", notAProgram);
    const std::string base = Serve(27, site, R"({"/update.txt": {"file": "update.txt"},
                                                 "/patch_1.01.exe": {"file": "patch_1.01.exe"}})");
    Configure("1.00", {base});

    HWND window = OpenLauncher();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(OpenPatchDialog(window), nullptr);
    HWND box = WaitForBox("パッチ処理中断");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(box), "パッチ処理が中断されました");
    EXPECT_EQ(PatchRuns(), "1.01\n");
    EXPECT_EQ(InstalledVersion(), "1.00");
    EXPECT_FALSE(Exists(WorkingFolder()));
    Answer(box);

    // The same server now offers a patch file that is no program at all.
    site.Write("routes.json", R"({"/update.txt": {"file": "update2.txt"}, "/patch_1.01.exe": {"file": "text.exe"}})");
    ASSERT_NE(OpenPatchDialog(window), nullptr);
    // The shell reports the failed start in a box of its own first.
    HWND shellBox = WaitForBox("エラー");
    ASSERT_NE(shellBox, nullptr);
    Answer(shellBox);
    box = WaitForBox("パッチ処理失敗");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(box), "パッチ処理が実行出来ませんでした\n再度ダウンロードをお試しください");
    EXPECT_FALSE(Exists(WorkingFolder()));
    EXPECT_EQ(PatchRuns(), "1.01\n");
    Answer(box);
    CloseLauncher(window);
}

TEST_F(PatchTest, LauncherUpdateQuitsWithoutTheGameAndTheNextStartCleansUp)
{
    const std::string patch = PatchBytes("1.01", 0);
    OfferPatch(28, patch, Md5Hex(patch), 1);
    ASSERT_TRUE(OpenDialog());
    HWND box = WaitForBox("ランチャー再起動");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(box), "ランチャーの更新があるためランチャーを再起動します");
    Answer(box);
    EXPECT_EQ(launcher_->WaitForExit(10000), 0);
    EXPECT_EQ(game_.EngineRecord(), "");
    EXPECT_TRUE(game_.Exists("Game.ini"));  // saved on the way out
    EXPECT_TRUE(KilnTest::ReadFileText(WorkingFolder() + "patch_1.01.exe") == patch);
    EXPECT_EQ(KilnTest::ReadFileText(WorkingFolder() + "Update.ini"),
              "[Update]\r\nTargetDirectory=" + game_.Path() + "\r\n[WrittenFile]\r\nFile1=" + WorkingFolder() +
                  "patch_1.01.exe\r\nFile2=" + WorkingFolder() + "Update.ini\r\n[CreateDirectory]\r\nDirectory1=" +
                  WorkingFolder() + "\r\n");

    // Let the patch program finish with its own file before the next start removes it.
    const DWORD ranBy = ::GetTickCount();
    while (PatchRuns().empty() && ::GetTickCount() - ranBy < 10000)
        ::Sleep(20);
    EXPECT_EQ(PatchRuns(), "1.01\n");
    HWND window = OpenLauncher();
    ASSERT_NE(window, nullptr);
    const DWORD opened = ::GetTickCount();
    while (Exists(WorkingFolder()) && ::GetTickCount() - opened < 5000)
        ::Sleep(20);
    EXPECT_FALSE(Exists(WorkingFolder()));
    EXPECT_GE(::GetTickCount() - opened, 500u);
    CloseLauncher(window);
}

TEST_F(PatchTest, CancelDuringALargeSlowDownloadClosesTheDialogWithinASecond)
{
    const std::string patch = PatchBytes("1.01", 0, 40 * 1024 * 1024);
    OfferPatch(29, patch, Md5Hex(patch), 0, R"(, "trickle": [262144, 0.1])");
    ASSERT_TRUE(OpenDialog());
    HWND progress = ::GetDlgItem(dialog_, IDC_PATCH_PROGRESS);
    const DWORD waited = ::GetTickCount();
    while (::SendMessageA(progress, PBM_GETPOS, 0, 0) == 0 && ::GetTickCount() - waited < 20000)
        ::Sleep(20);
    EXPECT_EQ(KilnTest::ItemText(dialog_, IDC_PATCH_STATUS), "[patch_1.01.exe]をダウンロード中....");
    const DWORD cancelled = ::GetTickCount();
    KilnTest::Click(dialog_, IDCANCEL);
    EXPECT_TRUE(WaitGone(dialog_, 1000));
    EXPECT_LT(::GetTickCount() - cancelled, 1000u);
    EXPECT_FALSE(Exists(WorkingFolder()));
    CloseLauncher(window_);
    EXPECT_EQ(PatchRuns(), "");
}

}  // namespace
