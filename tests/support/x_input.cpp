#include "tests/support/x_input.h"

#include <cstdlib>
#include <fstream>

namespace KilnTest {
namespace {

constexpr const char* kTestWindowClass = "KilnTestWindow";
constexpr const char* kXdotool = "/usr/bin/timeout 10 /usr/bin/xdotool";

void PumpMessages()
{
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

// The status file's text, or "" until the command has moved it into place.
std::string ReadStatus(const std::string& path)
{
    std::ifstream file(path);
    std::string status;
    std::getline(file, status);
    return status;
}

void RegisterTestWindowClass()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kTestWindowClass;
    ::RegisterClassA(&windowClass);  // fails harmlessly when already registered
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        PumpMessages();
        if (done())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(10);
    }
}

int RunUnixCommand(const std::string& command, DWORD timeoutMs)
{
    if (command.find_first_of("\"\\") != std::string::npos)
        return -1;
    // Wine starts a Unix program without giving us a process handle to wait on, so the
    // command reports its exit status through a file that appears whole (moved into place).
    static int serial = 0;
    const std::string name = "kiln-unix-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++serial);
    const std::string unixStatus = "/tmp/" + name;
    const std::string windowsStatus = "Z:\\tmp\\" + name;
    std::string commandLine = "sh -c \"" + command + "; echo $? >" + unixStatus + ".part; mv " + unixStatus +
                              ".part " + unixStatus + "\"";

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA("Z:\\bin\\sh", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return -1;
    if (process.hProcess)
        ::CloseHandle(process.hProcess);
    if (process.hThread)
        ::CloseHandle(process.hThread);

    std::string status;
    const bool finished = PumpUntil([&] { return !(status = ReadStatus(windowsStatus)).empty(); }, timeoutMs);
    ::DeleteFileA(windowsStatus.c_str());
    return finished ? std::atoi(status.c_str()) : -1;
}

TestWindow::TestWindow(const std::string& name)
    : caption_("KilnTest_" + name + "_" + std::to_string(::GetCurrentProcessId()))
{
    RegisterTestWindowClass();
    // A popup shown without activation stays unmanaged in Wine's X driver; a managed window
    // would wait two seconds, on every hide, for a window manager that is not there.
    window_ = ::CreateWindowExA(0, kTestWindowClass, caption_.c_str(), WS_POPUP | WS_BORDER, 40, 40, 320, 200,
                                nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::ShowWindow(window_, SW_SHOWNA);
    PumpMessages();
}

TestWindow::~TestWindow()
{
    if (window_)
        ::DestroyWindow(window_);
    PumpMessages();
}

bool BringToFront(HWND window, const std::string& caption)
{
    // Wine's foreground and the X focus are separate: the first decides what the program
    // sees, the second where X delivers the key events.
    const int focused =
        RunUnixCommand(std::string(kXdotool) + " search --sync --name '^" + caption + "$' windowfocus --sync %1");
    ::SetForegroundWindow(window);
    return focused == 0 && PumpUntil([window] { return ::GetForegroundWindow() == window; });
}

bool TestWindow::BringToFront()
{
    return KilnTest::BringToFront(window_, caption_);
}

bool XMovePointer(int x, int y)
{
    return RunUnixCommand(std::string(kXdotool) + " mousemove " + std::to_string(x) + " " + std::to_string(y)) ==
           0;
}

bool XClick(int x, int y)
{
    return XMovePointer(x, y) && RunUnixCommand(std::string(kXdotool) + " click 1") == 0;
}

bool XPressKey(const std::string& key, DWORD ms)
{
    HeldXKey held(key);
    if (!held.Pressed())
        return false;
    PumpUntil([] { return false; }, ms);
    return true;
}

bool TestWindow::WhileInFront(const std::function<void()>& action)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (::GetForegroundWindow() != window_) {
            ::SetForegroundWindow(window_);
            PumpUntil([this] { return ::GetForegroundWindow() == window_; }, 2000);
        }
        action();
        if (::GetForegroundWindow() == window_)
            return true;
    }
    return false;
}

bool XKeyDown(const std::string& key)
{
    return RunUnixCommand(std::string(kXdotool) + " keydown " + key) == 0;
}

bool XKeyUp(const std::string& key)
{
    return RunUnixCommand(std::string(kXdotool) + " keyup " + key) == 0;
}

}  // namespace KilnTest
