#include "launcher/pages/graphics_page.h"

#include "launcher/pages/graphics_rules.h"
#include "launcher/pages/page_fit.h"
#include "launcher/window/launcher.h"
#include "resources/resource.h"

namespace Launcher {
namespace {

// Not saved: only the page's own confirmation depends on it.
bool highQuality = true;

template <size_t N>
void FillList(HWND page, int id, const std::array<ListEntry, N>& entries)
{
    HWND list = ::GetDlgItem(page, id);
    for (size_t i = N; i-- > 0;)
        ::SendMessageA(list, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(entries[i].text));
}

// The closed height plus room for every screen size entry, so the list opens without a
// scroll bar.
void FitScreenSizeDropDown(HWND page)
{
    HWND list = ::GetDlgItem(page, IDC_SCREEN_SIZE);
    RECT rect;
    ::GetWindowRect(list, &rect);
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
    const int itemHeight = static_cast<int>(::SendMessageA(list, CB_GETITEMHEIGHT, 0, 0));
    const int height = rect.bottom - rect.top + static_cast<int>(kScreenSizeEntries.size()) * itemHeight + 2;
    ::SetWindowPos(list, nullptr, rect.left, rect.top, rect.right - rect.left, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowGeneralSettings(HWND page, const GeneralSettings& settings)
{
    ::CheckDlgButton(page, IDC_FULL_SCREEN, settings.fullScreen ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(page, IDC_SHOW_MENU, settings.showMenu ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(page, IDC_SHOW_FPS, settings.showFPS ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(page, IDC_HIGH_QUALITY, BST_CHECKED);
    ::SendDlgItemMessageA(page, IDC_VRAM_CACHE, CB_SETCURSEL, PositionOfVRAMCache(settings.maxVRAMCacheSize), 0);
    ::SendDlgItemMessageA(page, IDC_FILE_CACHE, CB_SETCURSEL, PositionOfFileCache(settings.maxFileCacheSize), 0);
    ::SendDlgItemMessageA(page, IDC_SCREEN_SIZE, CB_SETCURSEL, PositionOfScreenSize(settings.screenSize), 0);
}

void InitGraphicsPage(HWND page)
{
    CLauncher* launcher = CLauncher::GetInstance();
    launcher->DressWindow(page);
    FillList(page, IDC_VRAM_CACHE, kVRAMCacheEntries);
    FillList(page, IDC_FILE_CACHE, kFileCacheEntries);
    FillList(page, IDC_SCREEN_SIZE, kScreenSizeEntries);
    FitScreenSizeDropDown(page);
    FitPageTexts(page);
    launcher->LoadGeneralSettings();
    highQuality = true;
    ShowGeneralSettings(page, launcher->GetGeneralSettings());
    launcher->DressWindow(page);
    launcher->SetGeneralPageOpened();
}

int ListPosition(HWND page, int id)
{
    return static_cast<int>(::SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
}

void OnHighQualityClicked(HWND page)
{
    const bool ticked = ::IsDlgButtonChecked(page, IDC_HIGH_QUALITY) == BST_CHECKED;
    switch (HighQualityActionFor(ticked, highQuality)) {
    case HighQualityAction::TurnOn:
        highQuality = true;
        break;
    case HighQualityAction::Ask:
        if (::MessageBoxA(CLauncher::GetInstance()->GetMainWindow(),
                          "このパラメータをオフにするとパフォーマンスが低下したり\n画質が著しく低下します。続行しますか？",
                          "確認", MB_YESNO | MB_ICONWARNING) == IDYES)
            highQuality = false;
        else
            ::CheckDlgButton(page, IDC_HIGH_QUALITY, BST_CHECKED);
        break;
    case HighQualityAction::Nothing:
        break;
    }
}

void OnCommand(HWND page, int id)
{
    CLauncher* launcher = CLauncher::GetInstance();
    GeneralSettings settings = launcher->GetGeneralSettings();
    auto ticked = [page](int box) { return ::IsDlgButtonChecked(page, box) == BST_CHECKED; };
    switch (id) {
    case IDC_VRAM_CACHE:
        settings.maxVRAMCacheSize = VRAMCacheAtPosition(ListPosition(page, id));
        break;
    case IDC_FILE_CACHE:
        settings.maxFileCacheSize = FileCacheAtPosition(ListPosition(page, id));
        break;
    case IDC_SCREEN_SIZE:
        if (const int size = ScreenSizeAtPosition(ListPosition(page, id)); size >= 0)
            settings.screenSize = size;
        break;
    case IDC_FULL_SCREEN:
        settings.fullScreen = ticked(id);
        break;
    case IDC_SHOW_MENU:
        settings.showMenu = ticked(id);
        break;
    case IDC_SHOW_FPS:
        settings.showFPS = ticked(id);
        break;
    case IDC_HIGH_QUALITY:
        OnHighQualityClicked(page);
        return;
    default:
        return;
    }
    launcher->SetGeneralSettings(settings);
}

// The note under the high-quality box is red on the page's own background.
INT_PTR ColourStatic(HDC dc, HWND control)
{
    if (::GetDlgCtrlID(control) != IDC_HIGH_QUALITY_NOTE)
        return FALSE;
    ::SetTextColor(dc, RGB(255, 0, 0));
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
}

}  // namespace

INT_PTR CALLBACK GraphicsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitGraphicsPage(page);
        return TRUE;
    case WM_COMMAND:
        OnCommand(page, LOWORD(wParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
        return FALSE;
    }
}

}  // namespace Launcher
