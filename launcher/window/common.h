#pragma once

#include <windows.h>
#include <unknwn.h>

#include "kiln/base/scoped_win.h"
#include "kiln/base/singleton.h"

namespace Launcher {

using AtlAxWinInitFunction = BOOL(WINAPI*)();
using AtlAxGetControlFunction = HRESULT(WINAPI*)(HWND host, IUnknown** control);

// Launcher-wide shared state: the ATL control host entries the information page needs.
// Every field stays null when ATL.DLL or an entry is missing.
class CCommon : public Kiln::singleton<CCommon> {
public:
    CCommon() = default;

    // Loads ATL.DLL, takes both entries and registers the control host window class.
    void LoadAtl();

    Kiln::UniqueModule atlModule;
    AtlAxWinInitFunction atlAxWinInit = nullptr;
    AtlAxGetControlFunction atlAxGetControl = nullptr;
};

// The process's ATL module for the life of start-up. The launcher registers no COM objects
// of its own, so the module holds only its lock.
class AtlModuleScope {
public:
    AtlModuleScope();
    ~AtlModuleScope();
    AtlModuleScope(const AtlModuleScope&) = delete;
    AtlModuleScope& operator=(const AtlModuleScope&) = delete;

private:
    CRITICAL_SECTION lock_;
};

}  // namespace Launcher
