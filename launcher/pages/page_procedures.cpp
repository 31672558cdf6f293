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

// Every page procedure runs behind this: nothing thrown may travel through the dialog manager.
template <DLGPROC Procedure>
INT_PTR CALLBACK Guarded(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Kiln::CatchAll<INT_PTR>(FALSE, [&] { return Procedure(page, message, wParam, lParam); });
}

}  // namespace

DLGPROC PageProcedure(int templateId)
{
    switch (templateId) {
    case IDD_PAGE_GENERAL:
        return Guarded<GraphicsPageProc>;
    case IDD_PAGE_KEYCONFIG:
        return Guarded<KeyPageProc>;
    case IDD_PAGE_HARDWARE:
        return Guarded<HardwarePageProc>;
    case IDD_PAGE_INFORMATION:
        return Guarded<InformationPageProc>;
    case IDD_PAGE_TWITTER:
        return Guarded<TwitterPageProc>;
    default:
        return TemplatePageProc;
    }
}

}  // namespace Launcher
