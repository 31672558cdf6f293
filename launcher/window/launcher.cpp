#include "launcher/window/launcher.h"

#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>
#include <versionhelpers.h>

#include <memory>
#include <vector>

#include "kiln/base/catch_all.h"
#include "kiln/base/scoped_win.h"
#include "kiln/base/text.h"
#include "kiln/core/kiln_help.h"
#include "kiln/image/graphics_loader.h"
#include "kiln/input/input.h"
#include "launcher/patch/patch_files.h"
#include "launcher/settings/launcher_switches.h"
#include "launcher/settings/settings_paths.h"
#include "launcher/settings/settings_store.h"
#include "launcher/window/tab_list.h"
#include "launcher/window/window_layout.h"
#include "launcher/window/window_rules.h"
#include "resources/resource.h"

namespace Launcher {
namespace {

constexpr UINT_PTR kCleanUpTimer = 278;

HINSTANCE ModuleInstance()
{
    return Kiln::CKilnHelp::GetInstance()->GetInstanceHandle();
}

// Looked up at run time rather than imported: the DLL loads then under the activation context
// start-up holds, which names version 6; an import would bind the older one at process start.
void InitializeCommonControls(DWORD classes)
{
    using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE controls = ::LoadLibraryA("comctl32.dll");  // stays loaded for the windows it serves
    const auto initialize = Kiln::GetProcAs<InitCommonControlsExFunction>(controls, "InitCommonControlsEx");
    INITCOMMONCONTROLSEX request = {sizeof request, classes};
    if (initialize)
        initialize(&request);
}

// Gives a page the tab control's textured background where themes exist (Windows XP on).
void EnableTabTexture(HWND page)
{
    using EnableThemeDialogTextureFunction = HRESULT(WINAPI*)(HWND, DWORD);
    static Kiln::UniqueModule theme;
    static EnableThemeDialogTextureFunction enableTexture = nullptr;
    if (!IsWindowsXPOrGreater())
        return;
    if (!theme) {
        theme.Reset(::LoadLibraryA("UxTheme.dll"));
        if (theme)
            enableTexture = Kiln::GetProcAs<EnableThemeDialogTextureFunction>(theme.Get(),
                                                                             "EnableThemeDialogTexture");
    }
    if (enableTexture)
        enableTexture(page, ETDT_ENABLETAB);
}

// Draws a picture file into its memory bitmap when it has exactly the bitmap's size; anything
// else leaves the bitmap blank.
void LoadPicture(Kiln::CGraphicsLoader& loader, const std::string& name, const PictureArea& area,
                 MemoryPicture& picture)
{
    const std::string path =
        Kiln::FormatTemplate("%1%\\%2%", Kiln::CKilnHelp::GetInstance()->GetProgramDirectory(), name);
    if (!loader.Load(path.c_str()))
        return;
    Kiln::IStdGraphicsLoader* image = loader.GetLoader();
    if (PictureFitsArea(image->GetWidth(), image->GetHeight(), area)) {
        std::vector<uint32_t> pixels(static_cast<size_t>(picture.Width()) * picture.Height());
        image->CopyPixels(pixels.data(), picture.Width(), picture.Height(), false);
        picture.Draw(pixels.data());
    }
    image->Unload();
    loader.ClearLoaded();
}

Box BoxIn(HWND dialog, HWND control)
{
    RECT rect = {};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

void Place(HWND control, const Box& box)
{
    if (control)
        ::SetWindowPos(control, nullptr, box.left, box.top, box.Width(), box.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

Box BoxOf(const PictureArea& area, int border = 0)
{
    return {area.x - border, area.y - border, area.x + area.width + border, area.y + area.height + border};
}

constexpr int kButtonIds[] = {IDOK, IDCANCEL, IDC_PATCH};

}  // namespace

CLauncher::CLauncher(PageProcedureLookup pageProcedures) : pageProcedures_(pageProcedures) {}

CLauncher::~CLauncher()
{
    // Every worker thread must be done with its record before the records go.
    autoPatcher_.CancelAllRequests();
}

void CLauncher::RunWindow()
{
    InitializeCommonControls(ICC_TAB_CLASSES | ICC_PROGRESS_CLASS);

    const LauncherSwitches switches = LoadLauncherSwitches();
    tinyMode_ = switches.enableTinyMode;
    autoPatch_ = switches.enableAutoPatch;
    for (const TabSpec& tab : BuildTabList(switches))
        pages_.push_back({nullptr, tab.caption, tab.templateId, tab.playerIndex, pageProcedures_(tab.templateId)});

    HWND dialog = ::CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(tinyMode_ ? IDD_MAIN_TINY : IDD_MAIN),
                                       nullptr, MainDialogProc, 0);
    if (!dialog)
        return;
    mainWindow_ = dialog;
    // Key pages and the hardware page read the devices through the input singleton.
    auto input = std::make_unique<Kiln::CInput>();
    if (!input->Initialize(dialog, ModuleInstance(), Kiln::CKilnHelp::GetInstance()->GetInput()))
        ::MessageBoxA(nullptr, "DirectInputの初期化に失敗しました。\n", "エラー", MB_OK | MB_ICONERROR);
    ::ShowWindow(dialog, SW_SHOW);
    RunMessageLoop();
    ::ShowWindow(dialog, SW_HIDE);
    ::DestroyWindow(dialog);
    mainWindow_ = nullptr;
    input.reset();
}

void CLauncher::RunMessageLoop()
{
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_KEYDOWN) {
            const KeyDownAction action =
                ActionForKeyDown(CurrentPageIsKeyConfiguration(), static_cast<unsigned>(message.wParam));
            if (action == KeyDownAction::StartGame)
                Close(kStartGame);
            else if (action == KeyDownAction::Quit)
                Close(kDoNotStart);
            if (action != KeyDownAction::Dispatch)
                continue;
        }
        if (!::IsDialogMessageA(mainWindow_, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

bool CLauncher::CurrentPageIsKeyConfiguration() const
{
    return currentPage_ < pages_.size() && pages_[currentPage_].templateId == IDD_PAGE_KEYCONFIG;
}

const CLauncher::TabPage* CLauncher::FindPage(HWND page) const
{
    for (const TabPage& record : pages_) {
        if (record.window == page)
            return &record;
    }
    return nullptr;
}

void CLauncher::Close(int startRequest)
{
    SaveSettings();
    startRequest_ = startRequest;
    ::PostQuitMessage(0);
}

void CLauncher::LoadLauncherConfiguration()
{
    Launcher::LoadLauncherConfiguration(SystemIniPath(), configuration_);
}

void CLauncher::SaveSettings()
{
    SaveGameIni(SystemIniPath(), GameIniPath(), generalPageOpened_ ? &generalSettings_ : nullptr,
                keyPageOpened_ ? &keyValues_ : nullptr);
}

void CLauncher::LoadGeneralSettings()
{
    generalSettings_ = ReadGeneralSettings(GameIniPath());
}

void CLauncher::SetKeyValue(int playerIndex, size_t button, const std::string& text)
{
    if (playerIndex < 0 || playerIndex >= kPlayerCount || button >= kButtonCount)
        return;
    keyValues_[static_cast<size_t>(playerIndex)][button] = text;
}

const std::optional<std::string>& CLauncher::GetKeyValue(int playerIndex, size_t button) const
{
    static const std::optional<std::string> kNoBox;
    if (playerIndex < 0 || playerIndex >= kPlayerCount || button >= kButtonCount)
        return kNoBox;
    return keyValues_[static_cast<size_t>(playerIndex)][button];
}

INT_PTR CALLBACK CLauncher::MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Kiln::CatchAll<INT_PTR>(FALSE, [&]() -> INT_PTR {
        CLauncher* launcher = GetInstance();
        return launcher ? launcher->HandleMainMessage(dialog, message, wParam, lParam) : FALSE;
    });
}

INT_PTR CLauncher::HandleMainMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitializeMainDialog(dialog);
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_TAB || header->code != TCN_SELCHANGE)
            return FALSE;
        ShowSelectedPage(dialog);
        return TRUE;
    }
    case WM_PAINT:
        Paint(dialog);
        return TRUE;
    case WM_MOUSEMOVE:
        if (!tinyMode_) {
            HCURSOR cursor = ::LoadCursor(nullptr, IsOnBanner(lParam) ? IDC_HAND : IDC_ARROW);
            ::SetClassLongPtrA(dialog, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
        }
        return TRUE;
    case WM_LBUTTONDOWN:
        if (!tinyMode_ && IsOnBanner(lParam))
            ::ShellExecuteA(nullptr, "open", configuration_.bannerURL.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            Close(kDoNotStart);
            return TRUE;
        }
        return FALSE;
    case WM_TIMER:
        if (wParam == kCleanUpTimer) {
            ::KillTimer(dialog, kCleanUpTimer);
            RemoveUpdateFiles();
        }
        return TRUE;
    default:
        return FALSE;
    }
}

void CLauncher::InitializeMainDialog(HWND dialog)
{
    mainWindow_ = dialog;
    ::SetWindowTextA(dialog, Kiln::CKilnHelp::GetInstance()->GetTitle().c_str());
    tabControl_ = ::GetDlgItem(dialog, IDC_TAB);
    for (size_t i = 0; i < pages_.size(); ++i) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = pages_[i].caption.data();
        ::SendMessageA(tabControl_, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
        pages_[i].window = nullptr;
    }
    // The first page is created exactly as by a click on its tab.
    ::SendMessageA(tabControl_, TCM_SETCURSEL, 0, 0);
    NMHDR selectionChanged = {tabControl_, IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageA(dialog, WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&selectionChanged));
    LoadLauncherConfiguration();
    ::SetTimer(dialog, kCleanUpTimer, 1000, nullptr);
}

void CLauncher::ShowSelectedPage(HWND dialog)
{
    char caption[256] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = caption;
    item.cchTextMax = sizeof caption;
    const LRESULT selected = ::SendMessageA(tabControl_, TCM_GETCURSEL, 0, 0);
    ::SendMessageA(tabControl_, TCM_GETITEMA, selected, reinterpret_cast<LPARAM>(&item));

    for (size_t i = 0; i < pages_.size(); ++i) {
        TabPage& page = pages_[i];
        if (page.caption != caption)
            continue;
        if (!page.window)
            CreatePage(dialog, page);
        if (currentPage_ < pages_.size() && pages_[currentPage_].window)
            ::ShowWindow(pages_[currentPage_].window, SW_HIDE);
        ::ShowWindow(page.window, SW_SHOW);
        currentPage_ = i;
        return;
    }
}

void CLauncher::CreatePage(HWND dialog, TabPage& page)
{
    page.window = ::CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(page.templateId), dialog,
                                       page.procedure, 0);
    if (!page.window)
        return;
    EnableTabTexture(page.window);
    CenterPageInTab(dialog, page.window);
}

void CLauncher::CenterPageInTab(HWND dialog, HWND page) const
{
    RECT display;
    ::GetClientRect(tabControl_, &display);
    ::SendMessageA(tabControl_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    ::MapWindowPoints(tabControl_, dialog, reinterpret_cast<POINT*>(&display), 2);
    RECT pageRect;
    ::GetWindowRect(page, &pageRect);
    const int pageWidth = pageRect.right - pageRect.left;
    const int pageHeight = pageRect.bottom - pageRect.top;
    const Position at = CenterIn(display.left, display.top, display.right - display.left,
                                 display.bottom - display.top, pageWidth, pageHeight);
    ::SetWindowPos(page, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CLauncher::DressWindow(HWND page)
{
    if (dressed_)
        return;
    mainWindow_ = ::GetParent(page);

    ::SetDlgItemTextA(mainWindow_, IDOK, "ゲーム起動");
    ::SetDlgItemTextA(mainWindow_, IDCANCEL, "終了");
    if (autoPatch_)
        ::SetDlgItemTextA(mainWindow_, IDC_PATCH, "パッチ確認");
    else
        ::ShowWindow(::GetDlgItem(mainWindow_, IDC_PATCH), SW_HIDE);

    HICON icon = ::LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(IDI_PROGRAM));
    ::SendMessageA(mainWindow_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageA(mainWindow_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

    const PictureNames pictures = ReadPictureNames(SystemIniPath());
    topPicture_.Create(kTopPictureArea.width, kTopPictureArea.height);
    banner_.Create(kBannerArea.width, kBannerArea.height);
    const Kiln::CKilnHelp* runtime = Kiln::CKilnHelp::GetInstance();
    Kiln::CGraphicsLoader loader(runtime->GetStd(), runtime->GetExt(), runtime->GetFileControler());
    // A picture that fails in any way stays blank; the window opens regardless.
    Kiln::CatchAll([&] { LoadPicture(loader, pictures.topImage, kTopPictureArea, topPicture_); });
    Kiln::CatchAll([&] { LoadPicture(loader, pictures.bannerImage, kBannerArea, banner_); });

    LayOutMainWindow(page);
    CenterMainWindow();
    dressed_ = true;
}

void CLauncher::LayOutMainWindow(HWND page)
{
    // Wine and DPI-aware processes see the screen's DPI; Windows shows an unaware process
    // 96 and enlarges its window itself.
    HDC dc = ::GetDC(mainWindow_);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
    ::ReleaseDC(mainWindow_, dc);
    topArea_ = ScaleArea(kTopPictureArea, dpi);
    bannerArea_ = ScaleArea(kBannerArea, dpi);

    RECT client = {};
    ::GetClientRect(mainWindow_, &client);
    WindowLayout current;
    current.clientWidth = client.right;
    current.clientHeight = client.bottom;
    current.tab = BoxIn(mainWindow_, tabControl_);
    RECT display = {};
    ::GetClientRect(tabControl_, &display);
    ::SendMessageA(tabControl_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    ::MapWindowPoints(tabControl_, mainWindow_, reinterpret_cast<POINT*>(&display), 2);
    current.display = {display.left, display.top, display.right, display.bottom};
    for (int id : kButtonIds)
        current.buttons.push_back(BoxIn(mainWindow_, ::GetDlgItem(mainWindow_, id)));
    RECT pageRect = {};
    ::GetWindowRect(page, &pageRect);
    // the template's own spacing: four dialog units between the pictures and the tabs
    RECT gap = {0, 0, 4, 4};
    ::MapDialogRect(mainWindow_, &gap);
    std::optional<PictureColumn> pictures;
    if (!tinyMode_)
        pictures = PictureColumn{topArea_, bannerArea_};

    const WindowLayout layout = LayOutWindow(current, pageRect.right - pageRect.left, pageRect.bottom - pageRect.top,
                                             pictures, gap.right);
    Place(tabControl_, layout.tab);
    for (size_t i = 0; i < layout.buttons.size(); ++i)
        Place(::GetDlgItem(mainWindow_, kButtonIds[i]), layout.buttons[i]);
    // The black frame lies just around the top picture, so that neither covers the other
    // whichever paints last; the hidden item lies on the banner.
    Place(::GetDlgItem(mainWindow_, IDC_PICTURE_FRAME), BoxOf(topArea_, 1));
    Place(::GetDlgItem(mainWindow_, IDC_PICTURE_NOTE), BoxOf(bannerArea_));
    RECT outer = {};
    ::GetWindowRect(mainWindow_, &outer);
    ::SetWindowPos(mainWindow_, nullptr, 0, 0, outer.right - outer.left + layout.clientWidth - current.clientWidth,
                   outer.bottom - outer.top + layout.clientHeight - current.clientHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CLauncher::CenterMainWindow() const
{
    RECT client;
    ::GetClientRect(mainWindow_, &client);
    const int width = client.right - client.left + ::GetSystemMetrics(SM_CXEDGE) +
                      ::GetSystemMetrics(SM_CXDLGFRAME) + ::GetSystemMetrics(SM_CXBORDER);
    const int height = client.bottom - client.top + ::GetSystemMetrics(SM_CYEDGE) +
                       ::GetSystemMetrics(SM_CYDLGFRAME) + ::GetSystemMetrics(SM_CYBORDER) +
                       ::GetSystemMetrics(SM_CYCAPTION);
    const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
    const int y = ::GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    ::SetWindowPos(mainWindow_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CLauncher::Paint(HWND dialog) const
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(dialog, &paint);
    if (!tinyMode_) {
        topPicture_.CopyTo(dc, topArea_.x, topArea_.y, topArea_.width, topArea_.height);
        banner_.CopyTo(dc, bannerArea_.x, bannerArea_.y, bannerArea_.width, bannerArea_.height);
    }
    ::EndPaint(dialog, &paint);
}

bool CLauncher::IsOnBanner(LPARAM clientPoint) const
{
    return Launcher::IsOnBanner(static_cast<short>(LOWORD(clientPoint)), static_cast<short>(HIWORD(clientPoint)),
                                bannerArea_);
}

void CLauncher::OnCommand(WORD id)
{
    switch (id) {
    case IDOK:
        Close(kStartGame);
        break;
    case IDCANCEL:
        Close(kDoNotStart);
        break;
    case IDC_PATCH:
        RunPatchDialog();
        break;
    default:
        break;
    }
}

void CLauncher::RunPatchDialog()
{
    PatchDialogHost host;
    host.instance = ModuleInstance();
    host.configuration = &configuration_;
    host.reloadConfiguration = [this] { LoadLauncherConfiguration(); };
    host.targetDirectory = Kiln::CKilnHelp::GetInstance()->GetProgramDirectory();
    // A patch that replaces the launcher is running: quit so that it can.
    if (autoPatcher_.RunDialog(mainWindow_, host) == 1)
        Close(kDoNotStart);
}

}  // namespace Launcher
