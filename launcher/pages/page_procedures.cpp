#include "launcher/pages/page_procedures.h"

#include "kiln/base/catch_all.h"
#include "launcher/pages/graphics_page.h"
#include "launcher/pages/hardware_page.h"
#include "launcher/pages/information_page.h"
#include "launcher/pages/key_page.h"
#include "launcher/pages/twitter_page.h"
#include "launcher/window/launcher.h"
#include "resources/resource.h"

namespace Launcher {
namespace {

// A page whose controls are fixed by its template alone.
INT_PTR CALLBACK TemplatePageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    // A dressing that fails leaves the window as it is; the page opens regardless.
    Kiln::CatchAll([&] { CLauncher::GetInstance()->DressWindow(page); });
    return TRUE;
}

}  // namespace

DLGPROC PageProcedure(int templateId)
{
    switch (templateId) {
    case IDD_PAGE_GENERAL:
        return GraphicsPageProc;
    case IDD_PAGE_KEYCONFIG:
        return KeyPageProc;
    case IDD_PAGE_HARDWARE:
        return HardwarePageProc;
    case IDD_PAGE_INFORMATION:
        return InformationPageProc;
    case IDD_PAGE_TWITTER:
        return TwitterPageProc;
    default:
        return TemplatePageProc;
    }
}

}  // namespace Launcher
