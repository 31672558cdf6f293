// The information page with the system's browser control against a real HTTP server. This
// Wine has no HTML engine: the control requests each address but renders nothing and reports
// every navigation as failed, so the page walks its fallbacks as a player's would on errors.
#include <chrono>
#include <memory>

#include "tests/e2e/launcher_fixture.h"
#include "tests/support/loopback_server.h"
#include "tests/support/x_input.h"

namespace {

using KilnTest::LauncherFixture;
using KilnTest::LoopbackServer;
using Clock = std::chrono::steady_clock;

constexpr int kServerAddress = 90;

// The request paths in the order the server received them.
std::vector<std::string> RequestedPaths(const LoopbackServer& server)
{
    std::vector<std::string> paths;
    const std::string log = server.RequestLog();
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        const std::string line = log.substr(start, end - start);
        if (line.rfind("80 GET ", 0) == 0)
            paths.push_back(line.substr(7, line.find(' ', 7) - 7));
        start = end + 1;
    }
    return paths;
}

// The last access time of a file, in 100 ns units.
long long AccessTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.ftLastAccessTime.dwHighDateTime) << 32) | data.ftLastAccessTime.dwLowDateTime;
}

// Moves a file's access time before its change time, so that reading it moves it on.
bool AgeAccessTime(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME old = {0xD53E8000, 0x01D5C000};  // early 2020
    const bool done = ::SetFileTime(file, nullptr, &old, nullptr) != FALSE;
    ::CloseHandle(file);
    return done;
}

class InformationPageTest : public LauncherFixture {
protected:
    static HWND Child(HWND page, const char* className, const char* text)
    {
        return ::FindWindowExA(page, nullptr, className, text);
    }
};

TEST_F(InformationPageTest, AddressesAreRequestedInFallbackOrderThenTheOfflinePage)
{
    KilnTest::GameFolder site("information_site");
    // /one never answers: only the watchdog leaves it. /two answers, /three is missing.
    site.Write("routes.json", "{\"/one\": {\"silent\": true}, \"/two\": {\"body\": \"<p>two</p>\"}}");
    LoopbackServer server(KilnTest::LoopbackAddress(kServerAddress), site);
    ASSERT_TRUE(server.Running());
    const std::string base = server.BaseURL();

    // Touched long ago but changed since, so that reading it moves its access time on.
    game_.Write("offline.html", "<p>offline</p>");
    ASSERT_TRUE(AgeAccessTime(game_.PathOf("offline.html")));
    const long long untouched = AccessTime(game_.PathOf("offline.html"));

    ASSERT_NE(Open("[Launcher]\r\nEnableInformation=yes\r\nOfflinePage=offline.html\r\nInformationURL1=" + base +
                   "one\r\nInformationURL2=" + base + "two\r\nInformationURL3=" + base +
                   "three\r\nInformationURL4=end\r\nInformationURL5=" + base + "five\r\n"),
              nullptr);
    const auto opened = Clock::now();
    EXPECT_EQ(KilnTest::TabCaptions(tab_).front(), "情報");
    HWND page = KilnTest::CurrentPage(window_);
    ASSERT_NE(page, nullptr);
    HWND host = Child(page, "AtlAxWin", "Shell.Explorer.2");
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(::IsWindowVisible(host));
    EXPECT_EQ(Child(page, "Static", "Web browser"), nullptr);
    HWND note = Child(page, "Static", "ブラウザーウインドウ");
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(::IsWindowVisible(note));

    using Paths = std::vector<std::string>;
    ASSERT_TRUE(KilnTest::PumpUntil([&] { return !RequestedPaths(server).empty(); }, 5000));
    const auto first = Clock::now();
    EXPECT_EQ(RequestedPaths(server), Paths{"/one"});
    ASSERT_TRUE(KilnTest::PumpUntil([&] { return RequestedPaths(server).size() >= 2; }, 6000));
    const auto second = Clock::now();
    // The first tick comes half a second after the page was made (just before the window
    // showed), the watchdog two seconds later.
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(first - opened).count(), 200);
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(second - first).count(), 1500);
    ASSERT_TRUE(KilnTest::PumpUntil([&] { return RequestedPaths(server).size() >= 3; }, 6000));
    EXPECT_TRUE(KilnTest::PumpUntil([&] { return AccessTime(game_.PathOf("offline.html")) > untouched; }, 6000));
    KilnTest::PumpUntil([] { return false; }, 2500);  // a further watchdog period: nothing new
    EXPECT_EQ(RequestedPaths(server), (Paths{"/one", "/two", "/three"}));

    CloseWith(IDCANCEL);
}

TEST_F(InformationPageTest, WithoutTheSettingThereIsNoInformationTab)
{
    ASSERT_NE(Open("[Launcher]\r\nInformationURL1=http://" + KilnTest::LoopbackAddress(kServerAddress) +
                   "/one\r\n"),
              nullptr);
    for (const std::string& caption : KilnTest::TabCaptions(tab_))
        EXPECT_NE(caption, "情報");
    EXPECT_EQ(Child(KilnTest::CurrentPage(window_), "AtlAxWin", nullptr), nullptr);
    CloseWith(IDCANCEL);
}

TEST_F(InformationPageTest, WithoutATLThePageShowsAPlaceholder)
{
    // Wine's own per-program setting keeps ATL.DLL from loading into this copy of the launcher.
    const char* program = "NoAtlLauncher.exe";
    const std::string key = std::string("Software\\Wine\\AppDefaults\\") + program + "\\DllOverrides";
    HKEY overrides = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &overrides,
                                nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(overrides, "atl", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    ::RegCloseKey(overrides);
    struct RemoveKey {
        std::string key;
        ~RemoveKey() { ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str()); }
    } removeKey{key};

    game_.AddLauncher(program);
    game_.Write("System.ini", "[Game]\r\nTitle=" + title_ + "\r\n[Launcher]\r\nEnableInformation=yes\r\n");
    launcher_ = std::make_unique<KilnTest::Process>(game_.PathOf(program), "");
    window_ = KilnTest::WaitForDialog(launcher_->Id(), title_.c_str());
    ASSERT_NE(window_, nullptr);
    HWND page = KilnTest::CurrentPage(window_);
    ASSERT_NE(page, nullptr);
    HWND placeholder = Child(page, "Static", "Web browser");
    ASSERT_NE(placeholder, nullptr);
    EXPECT_TRUE(::IsWindowVisible(placeholder));
    RECT shown, client;
    ::GetClientRect(placeholder, &shown);
    ::GetClientRect(page, &client);
    EXPECT_EQ(shown.right - shown.left, client.right - client.left);
    EXPECT_EQ(shown.bottom - shown.top, client.bottom - client.top);
    EXPECT_EQ(Child(page, "AtlAxWin", nullptr), nullptr);
    // Nothing is reported and the page does not close.
    KilnTest::PumpUntil([] { return false; }, 1000);
    EXPECT_EQ(KilnTest::CurrentPage(window_), page);
    EXPECT_EQ(KilnTest::WaitForDialog(launcher_->Id(), "初期化エラー", 200), nullptr);
    CloseWith(IDCANCEL);
}

}  // namespace
