#pragma once

// The auto-patcher's end-to-end fixture: a launcher on a game folder of its own, scripted
// servers and nginx on loopback addresses, and the test patch program.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "kiln/crypt/signature.h"
#include "resources/resource.h"
#include "tests/support/game_folder.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ui_driver.h"

namespace PatchE2E {

using KilnTest::GameFolder;
using KilnTest::LoopbackServer;
using KilnTest::Process;

inline constexpr char kTitle[] = "パッチ試験";
inline constexpr char kDialogCaption[] = "ダウンロード";
inline constexpr char kUpdatedCaption[] = "パッチ処理完了";
inline constexpr char kFetchErrorCaption[] = "取得エラー";

// The maker's signing key in these tests: RFC 8032's first test key.
inline constexpr char kMakerSeed[] = "nWGxne/9WmC6hEr0kuwsxERJxWl7MmkZcDusAxyuf2A=";
inline constexpr char kMakerPublicKey[] = "11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=";

// The .sig file the maker's tool writes for these bytes.
inline std::string SignatureFile(const std::string& bytes)
{
    const auto seed = Kiln::Signature::ReadSeed(kMakerSeed);
    return Kiln::Signature::WriteText(Kiln::Signature::Sign(*seed, bytes)) + "\n";
}

// MD5 by the system's CryptoAPI, apart from the launcher's own.
inline std::string Md5Hex(const std::string& bytes)
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

inline std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The test patch program carrying its target version and exit code, after `padding` bytes.
// `lingering`: as it ends it leaves a helper behind in its folder for a second.
inline std::string PatchBytes(const std::string& version, int exitCode, size_t padding = 0, bool lingering = false)
{
    const std::string program = KilnTest::BinDirectory() + "TestPatch.exe";
    std::string bytes = KilnTest::ReadFileText(program);
    bytes.append(padding, 'p');
    return bytes + "KILNPATCH:" + version + ":" + std::to_string(exitCode) + (lingering ? ":" + program : "") + "\n";
}

inline std::string Documents()
{
    char path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathA(nullptr, path, CSIDL_PERSONAL, FALSE);
    return path;
}

inline std::string WorkingFolder()
{
    return Documents() + "\\TavoriUpdater\\";
}

inline bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void RemoveWorkingFolder()
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

inline bool WaitGone(HWND window, DWORD timeoutMs)
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
        if (!publicKey_.empty())
            ini += "UpdatePublicKey=" + publicKey_ + "\r\n";
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
    std::string publicKey_;  // [Updater] UpdatePublicKey when not empty
    HWND window_ = nullptr;
    HWND dialog_ = nullptr;
    std::vector<std::unique_ptr<GameFolder>> sites_;
    std::vector<std::unique_ptr<LoopbackServer>> servers_;
    std::unique_ptr<Process> launcher_;
};

// 1.00 -> 1.01 -> 1.02 from one server, the first patch trickled so that the bar is seen moving.
class ChainTest : public PatchTest {
protected:
    // Signed: the information's signature is served beside it, and the launcher has the key.
    void Chain(LoopbackServer::Kind kind, int address, bool signedInfo = false)
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
        if (signedInfo) {
            site.Write(files + "update.txt.sig", SignatureFile(info));
            publicKey_ = kMakerPublicKey;
        }
        const std::string base = Serve(address, site,
                                       R"({"/update.txt": {"file": "update.txt"},
                                           "/update.txt.sig": {"file": "update.txt.sig"},
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
        EXPECT_FALSE(Exists(WorkingFolder()));
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

}  // namespace PatchE2E
