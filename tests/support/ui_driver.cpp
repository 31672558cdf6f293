#include "tests/support/ui_driver.h"

#include <vector>

namespace KilnTest {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;

struct WindowQuery {
    DWORD processId;
    const char* className;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context)
{
    auto* query = reinterpret_cast<WindowQuery*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId || !::IsWindowVisible(window))
        return TRUE;
    if (query->className) {
        char className[256] = {};
        ::GetClassNameA(window, className, sizeof className);
        if (std::string(className) != query->className)
            return TRUE;
    }
    if (query->caption && WindowText(window) != query->caption)
        return TRUE;
    query->found = window;
    return FALSE;
}

}  // namespace

HWND WaitForWindow(DWORD processId, const char* className, const char* caption, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        WindowQuery query = {processId, className, caption, nullptr};
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
        if (query.found)
            return query.found;
        if (::GetTickCount() - start > timeoutMs)
            return nullptr;
        ::Sleep(20);
    }
}

HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs)
{
    return WaitForWindow(processId, "#32770", caption, timeoutMs);
}

std::string WindowText(HWND window)
{
    const int length = ::GetWindowTextLengthA(window);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    ::GetWindowTextA(window, text.data(), length + 1);
    return text.data();
}

std::string ItemText(HWND dialog, int id)
{
    HWND item = ::GetDlgItem(dialog, id);
    return item ? WindowText(item) : std::string();
}

bool ItemVisible(HWND dialog, int id)
{
    HWND item = ::GetDlgItem(dialog, id);
    return item && ::IsWindowVisible(item);
}

void Click(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void PressKey(HWND window, WORD virtualKey)
{
    const UINT scanCode = ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    ::PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | (scanCode << 16));
    ::PostMessageA(window, WM_KEYUP, virtualKey, 1 | (scanCode << 16) | 0xC0000000u);
}

void PressCloseBox(HWND window)
{
    ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::string MessageBoxText(HWND box)
{
    return ItemText(box, kMessageBoxTextId);
}

void DismissMessageBox(HWND box)
{
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace KilnTest
