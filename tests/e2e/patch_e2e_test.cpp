// The auto-patcher as a player meets it: the patch button, the download dialog and its
// messages, against real servers on loopback addresses and a real patch program.
#include "tests/e2e/patch_fixture.h"
#include "tests/support/x_input.h"

namespace {

using namespace PatchE2E;

TEST_F(ChainTest, TwoPatchesInARowFromTheScriptedServer)
{
    Chain(LoopbackServer::Kind::Scripted, 20);
    const std::string log = servers_[0]->RequestLog();
    EXPECT_NE(log.find("GET /patch_1.01.exe? HTTP/1.1"), std::string::npos) << log;
    EXPECT_NE(log.find("GET /patch_1.02.exe? HTTP/1.1"), std::string::npos) << log;
    // without a key nothing but the information is asked for
    EXPECT_EQ(log.find(".sig"), std::string::npos) << log;
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

TEST_F(PatchTest, AWorkingFolderHeldForAMomentAfterThePatchProgramEndedStillGoes)
{
    // Exit 1, then a helper keeps the working folder as its current folder for a second.
    const std::string patch = PatchBytes("1.01", 1, 0, true);
    OfferPatch(34, patch, Md5Hex(patch));
    ASSERT_TRUE(OpenDialog());
    HWND box = WaitForBox("パッチ処理中断");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(PatchRuns(), "1.01\n");
    EXPECT_FALSE(Exists(WorkingFolder()));
    Answer(box);
    CloseLauncher(window_);
}

TEST_F(PatchTest, AnEmptyWorkingFolderGoesAtTheNextStart)
{
    Configure("1.00", {"http://127.0.0.1/"});
    ASSERT_TRUE(::CreateDirectoryA(WorkingFolder().c_str(), nullptr));
    HWND window = OpenLauncher();
    ASSERT_NE(window, nullptr);
    const DWORD opened = ::GetTickCount();
    while (Exists(WorkingFolder()) && ::GetTickCount() - opened < 5000)
        ::Sleep(50);
    EXPECT_FALSE(Exists(WorkingFolder()));
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

TEST_F(PatchTest, CancelAgainstAServerThatStoppedSendingClosesTheDialogWithinASecond)
{
    // The headers and 8 KiB of a 40 MiB patch, then nothing more: with its length announced,
    // and without.
    const std::string patch = PatchBytes("1.01", 0, 40 * 1024 * 1024);
    int address = 30;
    for (const char* length : {"", R"(, "length": null)"}) {
        SCOPED_TRACE(length);
        OfferPatch(address++, patch, Md5Hex(patch), 0, std::string(R"(, "send": 8192, "after": "stall")") + length);
        ASSERT_TRUE(OpenDialog());
        const DWORD waited = ::GetTickCount();
        while (KilnTest::ItemText(dialog_, IDC_PATCH_STATUS) != "[patch_1.01.exe]をダウンロード中...." &&
               ::GetTickCount() - waited < 20000)
            ::Sleep(20);
        ::Sleep(1500);  // well into the stall
        // The player's click on the button (timed from before the pointer moves there), then
        // the time until the dialog has gone.
        RECT button = {};
        ::GetWindowRect(::GetDlgItem(dialog_, IDCANCEL), &button);
        const DWORD clicked = ::GetTickCount();
        ASSERT_TRUE(KilnTest::XClick((button.left + button.right) / 2, (button.top + button.bottom) / 2));
        EXPECT_TRUE(WaitGone(dialog_, 3000));
        EXPECT_LT(::GetTickCount() - clicked, 1000u);
        EXPECT_TRUE(::IsWindowVisible(window_));
        CloseLauncher(window_);
        EXPECT_EQ(PatchRuns(), "");
    }
}

}  // namespace
