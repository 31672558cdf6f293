#include "launcher/startup/common.h"

#include "kiln/base/scoped_win.h"

namespace Launcher {

CCommon::~CCommon()
{
    if (atlModule)
        ::FreeLibrary(atlModule);
}

void CCommon::LoadAtl()
{
    atlModule = ::LoadLibraryA("ATL.DLL");
    if (!atlModule)
        return;
    atlAxWinInit = Kiln::GetProcAs<AtlAxWinInitFunction>(atlModule, "AtlAxWinInit");
    atlAxGetControl = Kiln::GetProcAs<AtlAxGetControlFunction>(atlModule, "AtlAxGetControl");
    if (atlAxWinInit)
        atlAxWinInit();
}

AtlModuleScope::AtlModuleScope()
{
    ::InitializeCriticalSection(&lock_);
}

AtlModuleScope::~AtlModuleScope()
{
    ::DeleteCriticalSection(&lock_);
}

}  // namespace Launcher
