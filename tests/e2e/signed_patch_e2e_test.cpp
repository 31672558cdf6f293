// Signed update information as a player meets it: with [Updater] UpdatePublicKey the patcher
// takes only information whose signature verifies, trying the next server otherwise.
#include "tests/e2e/patch_fixture.h"

namespace {

using namespace PatchE2E;

constexpr char kNotVerifiedCaption[] = "署名エラー";
constexpr char kNotVerified[] = "アップデート情報の署名を確認できませんでした";

TEST_F(ChainTest, SignedChainGoesThrough)
{
    Chain(LoopbackServer::Kind::Scripted, 40, true);
    const std::string log = servers_[0]->RequestLog();
    EXPECT_NE(log.find("GET /update.txt.sig? HTTP/1.1"), std::string::npos) << log;
    EXPECT_NE(log.find("GET /patch_1.02.exe? HTTP/1.1"), std::string::npos) << log;
}

TEST_F(PatchTest, InformationChangedAfterSigningFetchesNoPatch)
{
    const std::string patch = PatchBytes("1.01", 0);
    const std::string info = UpdateInfo({{"1.01", Md5Hex(patch), 0}});
    GameFolder& site = Site(41);
    site.Write("update.txt.sig", SignatureFile(info));
    std::string changed = info;
    changed[0] = '2';  // "2.00": one byte
    site.Write("update.txt", changed);
    site.Write("patch_1.01.exe", patch);
    publicKey_ = kMakerPublicKey;
    Configure("2.00", {Serve(41, site, R"({"/update.txt": {"file": "update.txt"},
                                         "/update.txt.sig": {"file": "update.txt.sig"},
                                         "/patch_1.01.exe": {"file": "patch_1.01.exe"}})")});

    ASSERT_TRUE(OpenDialog());
    HWND box = WaitForBox(kNotVerifiedCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(box), kNotVerified);
    Answer(box);
    EXPECT_TRUE(WaitGone(dialog_, 5000));
    EXPECT_EQ(servers_[0]->RequestLog().find("patch_1.01.exe"), std::string::npos);
    EXPECT_EQ(PatchRuns(), "");
    EXPECT_EQ(InstalledVersion(), "2.00");
    EXPECT_FALSE(Exists(WorkingFolder()));
    CloseLauncher(window_);
}

TEST_F(PatchTest, SignatureMissingOnTheFirstServerTakesTheSecond)
{
    const std::string patch = PatchBytes("1.01", 0);
    const std::string info = UpdateInfo({{"1.01", Md5Hex(patch), 0}});
    // The first server serves the same information and patch, but no signature.
    GameFolder& unsigned_ = Site(42);
    unsigned_.Write("update.txt", info);
    unsigned_.Write("patch_1.01.exe", patch);
    const std::string first = Serve(42, unsigned_, R"({"/update.txt": {"file": "update.txt"},
                                                    "/patch_1.01.exe": {"file": "patch_1.01.exe"}})");
    GameFolder& signed_ = Site(43);
    signed_.Write("update.txt", info);
    signed_.Write("update.txt.sig", SignatureFile(info));
    signed_.Write("patch_1.01.exe", patch);
    const std::string second = Serve(43, signed_, R"({"/update.txt": {"file": "update.txt"},
                                                    "/update.txt.sig": {"file": "update.txt.sig"},
                                                    "/patch_1.01.exe": {"file": "patch_1.01.exe"}})");
    publicKey_ = kMakerPublicKey;
    Configure("1.00", {first, second});

    ASSERT_TRUE(OpenDialog());
    HWND box = WaitForBox(kUpdatedCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(PatchRuns(), "1.01\n");
    const std::string firstLog = servers_[0]->RequestLog();
    EXPECT_NE(firstLog.find("GET /update.txt.sig? HTTP/1.1"), std::string::npos) << firstLog;
    EXPECT_EQ(firstLog.find("patch_1.01.exe"), std::string::npos) << firstLog;
    EXPECT_NE(servers_[1]->RequestLog().find("GET /patch_1.01.exe? HTTP/1.1"), std::string::npos);
    Answer(box, IDCANCEL);
    EXPECT_TRUE(WaitGone(dialog_, 5000));
    CloseLauncher(window_);
}

TEST_F(PatchTest, SignatureMadeByOpenSslVerifies)
{
    // Python's cryptography package (OpenSSL) signed these bytes with the maker's seed.
    GameFolder& site = Site(44);
    site.Write("update.txt", "1.00,,0,base\r\n");
    site.Write("update.txt.sig",
               "ihxafaDlwmRBjWagmt5GIYuVguf88KO7yj/UDqFXoGUBKvRvmeiuOrDAyQr+sVrPCH0D3dL3p7kdtnXzoqpmAQ==\n");
    publicKey_ = kMakerPublicKey;
    Configure("1.00", {Serve(44, site, R"({"/update.txt": {"file": "update.txt"},
                                         "/update.txt.sig": {"file": "update.txt.sig"}})")});
    ASSERT_TRUE(OpenDialog());
    HWND box = WaitForBox("最新バージョン");
    ASSERT_NE(box, nullptr);
    Answer(box);
    CloseLauncher(window_);
}

TEST_F(PatchTest, MalformedKeyRefusesToAskAnyServer)
{
    GameFolder& site = Site(45);
    site.Write("update.txt", "1.00,,0,base\r\n");
    publicKey_ = std::string(kMakerPublicKey).substr(1);
    Configure("1.00", {Serve(45, site, R"({"/update.txt": {"file": "update.txt"}})")});
    ASSERT_TRUE(OpenDialog());
    HWND box = WaitForBox("設定エラー");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(box), "アップデート情報の公開鍵(UpdatePublicKey)が正しくありません。");
    Answer(box);
    EXPECT_TRUE(WaitGone(dialog_, 5000));
    EXPECT_EQ(servers_[0]->RequestLog(), "");
    CloseLauncher(window_);
}

}  // namespace
