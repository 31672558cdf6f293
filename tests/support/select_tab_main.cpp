// select_tab INDEX: chooses a tab of the launcher window on the display, as a click on it
// would. tools/demo uses it to show a page other than the first.
#include <windows.h>

#include <cstdlib>

#include "resources/resource.h"
#include "tests/support/ui_driver.h"

namespace {

// The tab control of the first visible dialog that has one.
BOOL CALLBACK FindLauncherTabs(HWND window, LPARAM context)
{
    char className[32] = {};
    ::GetClassNameA(window, className, sizeof className);
    HWND tab = ::GetDlgItem(window, IDC_TAB);
    if (lstrcmpA(className, "#32770") != 0 || !::IsWindowVisible(window) || !tab)
        return TRUE;
    *reinterpret_cast<HWND*>(context) = tab;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const int index = std::atoi(argv[1]);
    HWND tab = nullptr;
    for (const DWORD start = ::GetTickCount(); !tab && ::GetTickCount() - start < KilnTest::kWindowTimeoutMs;
         ::Sleep(50))
        ::EnumWindows(FindLauncherTabs, reinterpret_cast<LPARAM>(&tab));
    if (!tab)
        return 1;
    KilnTest::SelectTab(tab, index);
    return KilnTest::SelectedTab(tab) == index ? 0 : 1;
}
