#include "launcher/window/common.h"

#include "kiln/base/scoped_win.h"

namespace Launcher {

void CCommon::LoadAtl()
{
    atlModule.Reset(::LoadLibraryA("ATL.DLL"));
    if (!atlModule)
        return;
    atlAxWinInit = Kiln::GetProcAs<AtlAxWinInitFunction>(atlModule.Get(), "AtlAxWinInit");
    atlAxGetControl = Kiln::GetProcAs<AtlAxGetControlFunction>(atlModule.Get(), "AtlAxGetControl");
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
