// The update chain as an attacker meets it: replayed or expired signed information, a planted
// patch file, a version that points out of the working folder, endless information.
#include "tests/e2e/patch_fixture.h"

namespace {

using namespace PatchE2E;

constexpr char kOutOfDate[] = "アップデート情報が古いか、有効期限が切れています";
constexpr char kVersionUnknown[] = "バージョン情報が取得出来ませんでした";
constexpr char kSerialStore[] = "Software\\Kiln\\UpdateSerial";

// Stamped information and its signature by the maker's key, both made with Python's
// cryptography package (Ed25519), not by the code under test.
struct SignedInfo {
    const char* text;
    const char* signature;
};
const SignedInfo kSerial4 = {
    "1.00,,0,base\r\n1.01,00112233445566778899aabbccddeeff,0,patch_1.01.exe\r\n\r\nSerial=4\r\n",
    "cVmvDJBu0lInqmsr2RdTkQ3z0m729RgUg06wxDQRB+hOYYPwxHEMltUFa/aXGvhgn3o0OEuxvkokUkplBb1LCw==\n"};
const SignedInfo kSerial5 = {
    "1.00,,0,base\r\n\r\nSerial=5\r\n",
    "/jgnqZljABSyHjWGQ1xqka2JQ1bLdMfAA2AdBjlLsGTgyMTSqMfwDegqsTJxXX7FqDWVCGqcKszUh0yu8U1UAA==\n"};
const SignedInfo kSerial6 = {
    "1.00,,0,base\r\n\r\nSerial=6\r\n",
    "nGwyGfXp98SBzbikfPuBJ8nsoSPP1Sf4PLS/UCNKWjo1S8bGiUm/R4dcDJNClivmDn52IIPYdXobJ07quJc4Aw==\n"};
const SignedInfo kExpired7 = {
    "1.00,,0,base\r\n\r\nSerial=7\r\nExpires=2020-01-01T00:00:00Z\r\n",
    "nLU2F9/Z0mvNdCmMnXJXK8YtWTXpCTo6KqOD1mPTedBJPgoK04F9RREOpppB7hXc9zhMHcXO5uwZZtkCp41+CA==\n"};

void ForgetSerials()
{
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kSerialStore, kMakerPublicKey);
}

uint64_t StoredSerial()
{
    uint64_t serial = 0;
    DWORD size = sizeof serial;
    ::RegGetValueA(HKEY_CURRENT_USER, kSerialStore, kMakerPublicKey, RRF_RT_REG_QWORD, nullptr, &serial, &size);
    return serial;
}

class UpdateAttackTest : public PatchTest {
protected:
    UpdateAttackTest() { ForgetSerials(); }
    ~UpdateAttackTest() override
    {
        ForgetSerials();
        ::SetFileAttributesA((WorkingFolder() + "patch_1.01.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    // Opens the launcher, presses the patch button and returns the text of the box with that
    // caption ("" when none came); the launcher is closed again afterwards.
    std::string RunCheck(const char* caption)
    {
        if (!OpenDialog())
            return "";
        HWND box = WaitForBox(caption, 20000);
        const std::string text = box ? KilnTest::MessageBoxText(box) : "";
        if (box)
            Answer(box);
        EXPECT_TRUE(WaitGone(dialog_, 5000));
        CloseLauncher(window_);
        return text;
    }
};

TEST_F(UpdateAttackTest, OlderOrExpiredSignedInformationCountsAsAFailedServerAcrossRestarts)
{
    GameFolder& first = Site(60);
    GameFolder& second = Site(61);
    const std::string routes = R"({"/update.txt": {"file": "update.txt"},
                                   "/update.txt.sig": {"file": "update.txt.sig"},
                                   "/patch_1.01.exe": {"body": "not a patch"}})";
    const std::string firstURL = Serve(60, first, routes);
    const std::string secondURL = Serve(61, second, routes);
    publicKey_ = kMakerPublicKey;
    Configure("1.00", {firstURL, secondURL});

    struct Step {
        const SignedInfo& first;
        const SignedInfo& second;
        const char* caption;
        const char* message;
        uint64_t storedAfter;
    };
    const Step steps[] = {
        {kSerial5, kSerial5, "最新バージョン", "お使いのバージョンが最新バージョンです", 5},
        // A replay of serial 4 (which offers a patch) on the first server: the second's 6 is used.
        {kSerial4, kSerial6, "最新バージョン", "お使いのバージョンが最新バージョンです", 6},
        {kSerial4, kSerial4, "取得エラー", kOutOfDate, 6},
        {kExpired7, kExpired7, "取得エラー", kOutOfDate, 6},
    };
    // Each step is a new start of the launcher: what it took before holds.
    for (const Step& step : steps) {
        SCOPED_TRACE(step.first.text + std::string(" / ") + step.second.text);
        first.Write("update.txt", step.first.text);
        first.Write("update.txt.sig", step.first.signature);
        second.Write("update.txt", step.second.text);
        second.Write("update.txt.sig", step.second.signature);
        EXPECT_EQ(RunCheck(step.caption), step.message);
        EXPECT_EQ(StoredSerial(), step.storedAfter);
    }
    const std::string log = servers_[0]->RequestLog() + servers_[1]->RequestLog();
    EXPECT_EQ(log.find("patch_1.01.exe"), std::string::npos) << log;
    EXPECT_NE(servers_[1]->RequestLog().find("GET /update.txt? HTTP/1.1"), std::string::npos);
    EXPECT_EQ(PatchRuns(), "");
}

TEST_F(UpdateAttackTest, APlantedFileAtThePatchPathIsNeverRun)
{
    // Another program of the player's account was there first, with a file it made read-only.
    const std::string planted = PatchBytes("6.66", 0);
    ::CreateDirectoryA(WorkingFolder().c_str(), nullptr);
    const std::string path = WorkingFolder() + "patch_1.01.exe";
    KilnTest::WriteFileText(path, planted);
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string patch = PatchBytes("1.01", 0);
    OfferPatch(62, patch, Md5Hex(patch));

    EXPECT_EQ(RunCheck("パッチ処理失敗"), "パッチ処理が実行出来ませんでした\n再度ダウンロードをお試しください");
    EXPECT_EQ(PatchRuns(), "");
    EXPECT_EQ(InstalledVersion(), "1.00");
    EXPECT_TRUE(KilnTest::ReadFileText(path) == planted);
}

TEST_F(UpdateAttackTest, InformationThatWouldLeadOutOfTheWorkingFolderOrNeverEndsIsRefused)
{
    const std::string patch = PatchBytes("1.01", 0);
    const std::string escaping = Documents() + "\\x";
    struct Case {
        std::string information;
        const char* message;
    };
    const Case cases[] = {
        {"1.00,,0,base\r\n..\\..\\x," + Md5Hex(patch) + ",0,x\r\n", kVersionUnknown},
        {"1.00,,0,base\r\nsub/x," + Md5Hex(patch) + ",0,x\r\n", kVersionUnknown},
        // More than the launcher reads of an information file.
        {"1.00,,0,base\r\n1.01," + Md5Hex(patch) + ",0,x\r\n" + std::string(2 << 20, '#') + "\r\n",
         "ファイル[update.txt]をダウンロードできませんでした"},
    };
    int address = 63;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        GameFolder& site = Site(address);
        site.Write("update.txt", c.information);
        site.Write("patch.exe", patch);
        Configure("1.00", {Serve(address++, site, R"({"/update.txt": {"file": "update.txt"},
                                                    "/patch_..\\..\\x.exe": {"file": "patch.exe"},
                                                    "/patch_sub/x.exe": {"file": "patch.exe"},
                                                    "/patch_1.01.exe": {"file": "patch.exe"}})")});
        EXPECT_EQ(RunCheck(kFetchErrorCaption), c.message);
        EXPECT_EQ(servers_.back()->RequestLog().find("patch_"), std::string::npos);
        EXPECT_FALSE(Exists(escaping + ".exe"));
        EXPECT_FALSE(Exists(WorkingFolder()));
    }
    EXPECT_EQ(PatchRuns(), "");
}

}  // namespace
