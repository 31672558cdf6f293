#include "launcher/pages/page_procedures.h"

#include "kiln/base/catch_all.h"
#include "launcher/window/launcher.h"

namespace Launcher {
namespace {

// A page whose controls are fixed by its template alone.
INT_PTR CALLBACK TemplatePageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    return Kiln::CatchAll<INT_PTR>(FALSE, [&]() -> INT_PTR {
        if (message == WM_INITDIALOG) {
            CLauncher::GetInstance()->DressWindow(page);
            return TRUE;
        }
        return FALSE;
    });
}

}  // namespace

DLGPROC PageProcedure(int /*templateId*/)
{
    return TemplatePageProc;
}

}  // namespace Launcher
