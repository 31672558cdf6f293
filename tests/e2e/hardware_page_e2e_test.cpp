// The hardware information page ("ハード情報") with the real launcher: the report for the
// prefix's adapter and this machine, a machine without Direct3D 9 (the page's box, a game's
// device), and Direct3D kept out of the window's start.
#include <windows.h>
#include <cpuid.h>
#include <psapi.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "kiln/base/scoped_win.h"
#include "kiln/base/text.h"
#include "tests/e2e/launcher_fixture.h"
#include "tests/support/x_input.h"

namespace {

using KilnTest::LauncherFixture;

constexpr int kHardwareTab = 2;  // 設定, キー設定, ハード情報
constexpr DWORD kVideoMemoryMB = 512;

// Sets a string value of Wine's settings (a key under HKCU\Software\Wine) for the tests'
// prefix and puts back what was there, however the test ends.
class WineSetting {
public:
    WineSetting(const std::string& key, const char* name, const std::string& value) : name_(name)
    {
        // The keys this setting creates, outermost first, so that they go again afterwards.
        std::string path = "Software\\Wine";
        for (size_t start = 0; start <= key.size();) {
            const size_t end = std::min(key.find('\\', start), key.size());
            path += "\\" + key.substr(start, end - start);
            HKEY probe = nullptr;
            if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &probe) == ERROR_SUCCESS)
                ::RegCloseKey(probe);
            else
                created_.push_back(path);
            start = end + 1;
        }
        ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        char old[256];
        DWORD size = sizeof old;
        DWORD type = 0;
        if (::RegQueryValueExA(key_, name_, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS)
            old_ = std::make_pair(type, std::string(old, size));
        ::RegSetValueExA(key_, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
    }
    ~WineSetting()
    {
        if (old_)
            ::RegSetValueExA(key_, name_, 0, old_->first, reinterpret_cast<const BYTE*>(old_->second.data()),
                             static_cast<DWORD>(old_->second.size()));
        else
            ::RegDeleteValueA(key_, name_);
        ::RegCloseKey(key_);
        for (auto made = created_.rbegin(); made != created_.rend(); ++made)
            ::RegDeleteKeyA(HKEY_CURRENT_USER, made->c_str());
    }
    WineSetting(const WineSetting&) = delete;
    WineSetting& operator=(const WineSetting&) = delete;

private:
    const char* name_;
    HKEY key_ = nullptr;
    std::optional<std::pair<DWORD, std::string>> old_;
    std::vector<std::string> created_;
};

// The processor's brand string as the CPUID instruction gives it.
std::string ProcessorBrand()
{
    if (__get_cpuid_max(0x80000000, nullptr) < 0x80000004)
        return "Unknown CPU";
    char brand[49] = {};
    for (unsigned int i = 0; i < 3; ++i) {
        unsigned int registers[4];
        __cpuid(0x80000002 + i, registers[0], registers[1], registers[2], registers[3]);
        std::memcpy(brand + i * 16, registers, sizeof registers);
    }
    brand[47] = '\0';
    return brand;
}

// MemTotal of the host's /proc/meminfo (kB), which Wine reports as the physical memory.
unsigned long long HostMemoryKB()
{
    const std::string info = KilnTest::ReadFileText("Z:\\proc\\meminfo");
    unsigned long long kb = 0;
    const size_t at = info.find("MemTotal:");
    if (at != std::string::npos)
        std::sscanf(info.c_str() + at, "MemTotal: %llu kB", &kb);
    return kb;
}

// The lower-cased names of the modules a process has loaded.
std::set<std::string> LoadedModules(DWORD processId)
{
    std::set<std::string> names;
    const Kiln::UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    HMODULE modules[512];
    DWORD bytes = 0;
    if (!process || !::EnumProcessModules(process.Get(), modules, sizeof modules, &bytes))
        return names;
    for (DWORD i = 0; i < std::min<DWORD>(bytes / sizeof(HMODULE), 512); ++i) {
        char name[MAX_PATH] = {};
        if (::GetModuleBaseNameA(process.Get(), modules[i], name, MAX_PATH))
            names.insert(Kiln::AsciiLower(name));
    }
    return names;
}

class HardwarePageTest : public LauncherFixture {};

TEST_F(HardwarePageTest, ReportShowsThisMachineAndThePrefixsAdapter)
{
    WineSetting memory("Direct3D", "VideoMemorySize", std::to_string(kVideoMemoryMB));
    ASSERT_NE(Open(""), nullptr);
    HWND page = ShowTab(kHardwareTab);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(KilnTest::ItemText(page, -1), "ハードウェア情報:");
    HWND report = ::GetDlgItem(page, IDC_HARDWARE_REPORT);
    const LONG_PTR style = ::GetWindowLongPtrA(report, GWL_STYLE);
    const LONG_PTR reportBox = ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP;
    EXPECT_EQ(style & reportBox, reportBox);
    // An edit control turns its border into a sunken edge.
    EXPECT_TRUE((style & WS_BORDER) || (::GetWindowLongPtrA(report, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));

    const unsigned long long memoryKB = HostMemoryKB();
    ASSERT_GT(memoryKB, 0u);
    // Wine counts the desktop's primary surface (32 bits a pixel) as taken from the total.
    const unsigned long long primary = static_cast<unsigned long long>(::GetSystemMetrics(SM_CXSCREEN)) *
                                       static_cast<unsigned long long>(::GetSystemMetrics(SM_CYSCREEN)) * 4;
    const unsigned long long videoMB = ((kVideoMemoryMB << 20) - primary) >> 20;
    const std::string expected = "---- System information ----\r\n"
                                 "CPU name:\r\n" + ProcessorBrand() + "\r\n"
                                 "Memory:\r\n" + std::to_string(memoryKB >> 10) + " MB\r\n"
                                 "★ジョイスティックは使用できません。\r\n"
                                 "----------------------------\r\n"
                                 "---- Graphics card information ----\r\n"
                                 "Graphics card name:\r\nNVIDIA GeForce GTX 470\r\n"
                                 "Total video memory of adapter:\r\n" + std::to_string(videoMB) + " MB\r\n"
                                 "Maximum texture width:\r\n16384 Pixel\r\n"
                                 "Maximum texture height:\r\n16384 Pixel\r\n"
                                 "Adapter mode:\r\nHardware TnL\r\n"
                                 "Pixel Shader 2.0:\r\nYes\r\n"
                                 "-----------------------------------\r\n";
    EXPECT_EQ(KilnTest::ControlText(::GetDlgItem(page, IDC_HARDWARE_REPORT)), expected);
    CloseWith(IDCANCEL);
}

// Direct3D (with OpenGL under Wine) is most of a start's time and memory; the window opens
// without it, and without the libraries that only later pages, the patch button or a banner
// click need.
TEST_F(HardwarePageTest, Direct3DLoadsWithThePageNotWithTheWindow)
{
    ASSERT_NE(Open(""), nullptr);
    const std::set<std::string> atWindow = LoadedModules(launcher_->Id());
    ASSERT_TRUE(atWindow.count("dinput8.dll")) << "no module list of the launcher";
    for (const char* later :
         {"d3d9.dll", "ddraw.dll", "wined3d.dll", "opengl32.dll", "wininet.dll", "dsound.dll", "winmm.dll"})
        EXPECT_FALSE(atWindow.count(later)) << later;
    ASSERT_NE(ShowTab(kHardwareTab), nullptr);
    const std::set<std::string> withPage = LoadedModules(launcher_->Id());
    EXPECT_TRUE(withPage.count("d3d9.dll"));
    EXPECT_TRUE(withPage.count("ddraw.dll"));
    CloseWith(IDCANCEL);
}

// A game's device comes from the same graphics service; on a machine without Direct3D 9 the
// service still exists and answers with no device and no adapter.
TEST_F(HardwarePageTest, GameGetsADeviceOnlyWhereDirect3DExists)
{
    constexpr char kProgram[] = "LauncherWithoutDirect3D.exe";
    game_.AddLauncher(kProgram);
    game_.CopyFromBin("DeviceEngine.dll", "Engine.dll");
    game_.CopyFromBin("NoDirect3D.dll", "d3d9.dll");
    game_.Write("System.ini", "[Game]\r\nTitle=" + title_ + "\r\n");
    // Only the program named in the override takes the d3d9.dll beside it.
    WineSetting nativeDirect3D(std::string("AppDefaults\\") + kProgram + "\\DllOverrides", "d3d9", "native");
    for (const auto& [program, record] : {std::pair<std::string, std::string>("Launcher.exe", "device=1\nadapter=1\n"),
                                          std::pair<std::string, std::string>(kProgram, "device=0\nadapter=0\n")}) {
        ::DeleteFileA(game_.PathOf("engine-record.txt").c_str());
        KilnTest::Process launcher(game_.PathOf(program), "-r");
        EXPECT_EQ(launcher.WaitForExit(), 0) << program;
        EXPECT_EQ(game_.EngineRecord(), record) << program;
    }
}

TEST_F(HardwarePageTest, WithoutDirect3DTheFatalErrorShowsAndTheReportStaysEmpty)
{
    // Wine prefers its own d3d9 to the one beside the program unless told otherwise, here for
    // a program name only this test uses.
    constexpr char kProgram[] = "LauncherWithoutDirect3D.exe";
    game_.AddLauncher(kProgram);
    game_.CopyFromBin("NoDirect3D.dll", "d3d9.dll");
    WineSetting nativeDirect3D(std::string("AppDefaults\\") + kProgram + "\\DllOverrides", "d3d9", "native");
    ASSERT_NE(Open("", kProgram), nullptr);
    // The box is modal inside the page's creation, which the tab change waits for.
    std::thread choose([&] { KilnTest::SelectTab(tab_, kHardwareTab); });
    HWND box = KilnTest::WaitForDialog(launcher_->Id(), "Fatal error");
    std::string text;
    if (box) {
        text = KilnTest::MessageBoxText(box);
        EXPECT_EQ(::GetWindow(box, GW_OWNER), window_);
        KilnTest::DismissMessageBox(box);
    }
    choose.join();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(text, "There is no suitable dispray mode in this video card.");
    HWND page = KilnTest::CurrentPage(window_);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(KilnTest::ControlText(::GetDlgItem(page, IDC_HARDWARE_REPORT)), "");
    CloseWith(IDCANCEL);
}

}  // namespace
