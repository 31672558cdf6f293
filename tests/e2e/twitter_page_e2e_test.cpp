// The Twitter page with the real launcher against an OAuth 1.0 provider on https://localhost
// (oauthlib checks every signature): link by PIN, unlink, the two failed exchanges, a game
// without consumer keys, and the consumer keys sealed in place.
#include <windows.h>

#include <string>

#include "kiln/crypt/seal_string.h"
#include "tests/e2e/launcher_fixture.h"
#include "tests/support/loopback_server.h"
#include "tests/support/trusted_certificate.h"

namespace {

using KilnTest::LauncherFixture;
using KilnTest::LoopbackServer;

constexpr char kConsumer[] = "\"consumer\": [\"gameConsumerKey\", \"game consumer secret\"]";
constexpr char kPlainConsumer[] = "gameConsumerKey&game consumer secret";
constexpr char kPin[] = "4711";

// The https class's open command replaced by one that appends the address to a file, so the
// default browser is whatever the test says; the old command comes back however the test ends.
class RecordingBrowser {
public:
    explicit RecordingBrowser(const std::string& logPath)
    {
        if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, "https\\shell\\open\\command", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key_, nullptr) != ERROR_SUCCESS)
            return;
        char old[1024] = {};
        DWORD size = sizeof old - 1;
        hadOld_ = ::RegQueryValueExA(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) ==
                  ERROR_SUCCESS;
        old_ = old;
        const std::string command = "C:\\windows\\system32\\cmd.exe /c echo %1>>\"" + logPath + "\"";
        set_ = ::RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
    }
    ~RecordingBrowser()
    {
        if (!key_)
            return;
        if (hadOld_)
            ::RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                             static_cast<DWORD>(old_.size() + 1));
        else
            ::RegDeleteValueA(key_, nullptr);
        ::RegCloseKey(key_);
    }
    RecordingBrowser(const RecordingBrowser&) = delete;
    RecordingBrowser& operator=(const RecordingBrowser&) = delete;
    bool Ready() const { return set_; }

private:
    HKEY key_ = nullptr;
    bool hadOld_ = false;
    bool set_ = false;
    std::string old_;
};

class TwitterPageTest : public LauncherFixture {
protected:
    TwitterPageTest() : provider_(std::string("oauth_") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
    }

    // The token endpoints: the request pair to hand out, then the access pair for the PIN
    // (an empty secret is left out of the answer).
    void WriteRoutes(const std::string& requestSecret, const std::string& accessSecret)
    {
        auto answer = [](const char* token, const std::string& secret) {
            return std::string("\"answer\": [\"") + token + "\", " + (secret.empty() ? "null" : "\"" + secret + "\"") +
                   "]";
        };
        provider_.Write("routes.json",
                        std::string("{\"/oauth/request_token\": {\"oauth\": {") + kConsumer + ", " +
                            answer("requestTokenABC", requestSecret) +
                            "}},\n \"/oauth/access_token\": {\"oauth\": {" + kConsumer +
                            ", \"token\": [\"requestTokenABC\", \"request secret\"], \"verifier\": \"" + kPin +
                            "\", " + answer("accessTokenXYZ", accessSecret) + "}}}");
    }

    HWND OpenTwitterPage(const std::string& apiAccessKey)
    {
        if (!Open("[Launcher]\r\nEnableTwitter=Yes\r\n[Twitter]\r\nAPIHost=localhost\r\nAPIAccessKey=" + apiAccessKey +
                  "\r\n"))
            return nullptr;
        const std::vector<std::string> captions = KilnTest::TabCaptions(tab_);
        if (captions.empty() || captions.back() != "Twitter")
            return nullptr;
        return ShowTab(static_cast<int>(captions.size()) - 1);
    }

    // Waits (bounded) for the status line to read `text`.
    static bool StatusBecomes(HWND page, const std::string& text)
    {
        for (int i = 0; i < 300; ++i) {
            if (KilnTest::ItemText(page, IDC_TWITTER_STATUS) == text)
                return true;
            ::Sleep(100);
        }
        return false;
    }

    // Whether some pixel of the status line on screen is exactly this colour.
    static bool StatusDrawnIn(HWND page, COLORREF colour)
    {
        RECT area;
        ::GetWindowRect(::GetDlgItem(page, IDC_TWITTER_STATUS), &area);
        HDC screen = ::GetDC(nullptr);
        bool found = false;
        for (int tries = 0; tries < 20 && !found; ++tries) {
            for (LONG y = area.top; y < area.bottom && !found; ++y)
                for (LONG x = area.left; x < area.right && !found; ++x)
                    found = ::GetPixel(screen, x, y) == colour;
            if (!found)
                ::Sleep(100);
        }
        ::ReleaseDC(nullptr, screen);
        return found;
    }

    std::string Unsealed(const char* file, const char* key) const
    {
        char value[4096] = {};
        ::GetPrivateProfileStringA("Twitter", key, "", value, sizeof value, game_.PathOf(file).c_str());
        return Kiln::UnsealString("Ruvelo", value);
    }

    std::string OAuthLog() const
    {
        return ::GetFileAttributesA(provider_.PathOf("oauth.log").c_str()) == INVALID_FILE_ATTRIBUTES
                   ? std::string()
                   : provider_.Read("oauth.log");
    }

    KilnTest::GameFolder provider_;
};

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

TEST_F(TwitterPageTest, PinLinksTheAccountAndUnlinkForgetsIt)
{
    WriteRoutes("request secret", "access secret");
    LoopbackServer server("127.0.0.1", provider_, LoopbackServer::Kind::Tls);
    ASSERT_TRUE(server.Running());
    const KilnTest::TrustedCertificate trusted(provider_.Read("cert.der"));
    ASSERT_TRUE(trusted.Added());
    const RecordingBrowser browser(provider_.PathOf("opened.txt"));
    ASSERT_TRUE(browser.Ready());

    HWND page = OpenTwitterPage(kPlainConsumer);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_STATUS), "Twitterと連動していません");
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_BUTTON), "Twitterと連動");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_TWITTER_PIN)));

    KilnTest::PressButton(page, IDC_TWITTER_BUTTON);
    ASSERT_TRUE(StatusBecomes(page, "PIN Codeを入力してください")) << OAuthLog();
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_HINT), "Twitter認証後に表示される");
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_BUTTON), "入力");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_TWITTER_PIN)));
    std::string opened;
    for (int i = 0; i < 100 && opened.find('\n') == std::string::npos; ++i, ::Sleep(100))
        if (::GetFileAttributesA(provider_.PathOf("opened.txt").c_str()) != INVALID_FILE_ATTRIBUTES)
            opened = provider_.Read("opened.txt");
    EXPECT_EQ(opened, "https://localhost/oauth/authorize?oauth_token=requestTokenABC\r\n");

    ::SendMessageA(::GetDlgItem(page, IDC_TWITTER_PIN), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPin));
    KilnTest::PressButton(page, IDC_TWITTER_BUTTON);
    ASSERT_TRUE(StatusBecomes(page, "Twitterと連動しています")) << OAuthLog();
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_HINT), "");
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_BUTTON), "連動を解除する");
    EXPECT_EQ(KilnTest::ControlText(::GetDlgItem(page, IDC_TWITTER_PIN)), "");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_TWITTER_PIN)));
    EXPECT_TRUE(StatusDrawnIn(page, kBlue));
    EXPECT_EQ(OAuthLog(), "/oauth/request_token ok\n/oauth/access_token ok\n");
    const std::string stored = Unsealed("Game.ini", "UserAccessKey");
    EXPECT_EQ(stored.rfind("accessTokenXYZ&access secret&", 0), 0u) << stored;
    EXPECT_EQ(GameIniValue("Twitter", "UserAccessKey").find("accessTokenXYZ"), std::string::npos);

    KilnTest::PressButton(page, IDC_TWITTER_BUTTON);
    ASSERT_TRUE(StatusBecomes(page, "Twitterと連動していません"));
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_BUTTON), "Twitterと連動");
    const std::string unlinked = Unsealed("Game.ini", "UserAccessKey");
    EXPECT_TRUE(unlinked.size() > 1 && unlinked[0] == '&' && unlinked.find('&', 1) == std::string::npos) << unlinked;
    CloseWith(IDCANCEL);
}

TEST_F(TwitterPageTest, AnswersWithoutSecretGiveTheErrorOfTheirStep)
{
    WriteRoutes("", "access secret");
    LoopbackServer server("127.0.0.1", provider_, LoopbackServer::Kind::Tls);
    ASSERT_TRUE(server.Running());
    const KilnTest::TrustedCertificate trusted(provider_.Read("cert.der"));
    const RecordingBrowser browser(provider_.PathOf("opened.txt"));
    ASSERT_TRUE(browser.Ready());
    game_.Write("Game.ini", "[Twitter]\r\nUserAccessKey=" + Kiln::SealString("Ruvelo", "&1") + "\r\n");

    HWND page = OpenTwitterPage(kPlainConsumer);
    ASSERT_NE(page, nullptr);
    KilnTest::PressButton(page, IDC_TWITTER_BUTTON);
    ASSERT_TRUE(StatusBecomes(page, "RequestToken取得エラー")) << OAuthLog();
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_BUTTON), "Twitterと連動");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_TWITTER_PIN)));
    EXPECT_TRUE(StatusDrawnIn(page, kRed));
    EXPECT_EQ(Unsealed("Game.ini", "UserAccessKey")[0], '&');
    EXPECT_NE(Unsealed("Game.ini", "UserAccessKey"), "&1");  // written again

    // A failed page starts over on the next press; now the access step leaves the secret out.
    WriteRoutes("request secret", "");
    KilnTest::PressButton(page, IDC_TWITTER_BUTTON);
    ASSERT_TRUE(StatusBecomes(page, "PIN Codeを入力してください")) << OAuthLog();
    ::SendMessageA(::GetDlgItem(page, IDC_TWITTER_PIN), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPin));
    KilnTest::PressButton(page, IDC_TWITTER_BUTTON);
    ASSERT_TRUE(StatusBecomes(page, "AccessToken取得エラー")) << OAuthLog();
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_BUTTON), "Twitterと連動");
    EXPECT_TRUE(StatusDrawnIn(page, kRed));
    EXPECT_EQ(Unsealed("Game.ini", "UserAccessKey")[0], '&');
    // every request was signed correctly: only the answers were short
    EXPECT_EQ(OAuthLog(), "/oauth/request_token ok\n/oauth/request_token ok\n/oauth/access_token ok\n");
    CloseWith(IDCANCEL);
}

TEST_F(TwitterPageTest, WithoutConsumerKeysTheButtonIsDisabled)
{
    HWND page = OpenTwitterPage("");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_HINT), "このアプリケーションは");
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_STATUS), "Twitterと連動できません");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_TWITTER_BUTTON)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_TWITTER_PIN)));
    EXPECT_TRUE(StatusDrawnIn(page, kRed));
    CloseWith(IDCANCEL);
}

TEST_F(TwitterPageTest, PlainConsumerKeysAreSealedOnceAndReadTheSame)
{
    HWND page = OpenTwitterPage(kPlainConsumer);
    ASSERT_NE(page, nullptr);
    CloseWith(IDCANCEL);
    char sealed[4096] = {};
    ::GetPrivateProfileStringA("Twitter", "APIAccessKey", "", sealed, sizeof sealed,
                               game_.PathOf("System.ini").c_str());
    const std::string plain = Kiln::UnsealString("Ruvelo", sealed);
    ASSERT_EQ(plain.rfind(std::string(kPlainConsumer) + "&", 0), 0u) << sealed;
    EXPECT_GT(plain.size(), sizeof kPlainConsumer);

    // The next start reads the sealed value: keys present, nothing written again.
    launcher_ = std::make_unique<KilnTest::Process>(game_.PathOf("Launcher.exe"), "");
    window_ = KilnTest::WaitForDialog(launcher_->Id(), title_.c_str());
    ASSERT_NE(window_, nullptr);
    tab_ = ::GetDlgItem(window_, IDC_TAB);
    page = ShowTab(static_cast<int>(KilnTest::TabCaptions(tab_).size()) - 1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(KilnTest::ItemText(page, IDC_TWITTER_STATUS), "Twitterと連動していません");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_TWITTER_BUTTON)));
    CloseWith(IDCANCEL);
    char again[4096] = {};
    ::GetPrivateProfileStringA("Twitter", "APIAccessKey", "", again, sizeof again, game_.PathOf("System.ini").c_str());
    EXPECT_STREQ(again, sealed);
}

}  // namespace
