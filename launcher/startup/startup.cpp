#include "launcher/startup/startup.h"

#include <memory>

#include "kiln/core/kiln_help.h"
#include "launcher/pages/page_procedures.h"
#include "launcher/settings/launcher_switches.h"
#include "launcher/window/common.h"
#include "launcher/startup/directx_check.h"
#include "launcher/startup/engine_handoff.h"
#include "launcher/startup/mode_selection.h"
#include "launcher/startup/single_instance.h"
#include "launcher/window/launcher.h"
#include "resources/resource.h"

namespace Launcher {
namespace {

void BringToFront(HWND window)
{
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::SetForegroundWindow(window);
}

// The window decides whether the game starts; the controller lives until the engine returns.
void RunLauncherWindow(const char* commandLine, HICON icon)
{
    auto launcher = std::make_shared<CLauncher>(PageProcedure);
    launcher->RunWindow();
    if (launcher->GetStartRequest() == kStartGame)
        RunEngineLibrary(kGameEngine, commandLine, icon);
}

void RunSelectedMode(const char* commandLine, HICON icon)
{
    const StartChoice choice = SelectStartMode(commandLine);
    switch (choice.action) {
    case StartAction::HandOver:
        RunEngineLibrary(choice.engineLibrary, commandLine, icon);
        break;
    case StartAction::RunWindow:
        RunLauncherWindow(commandLine, icon);
        break;
    case StartAction::DirectRunRule:
        if (LoadDirectRun())
            RunEngineLibrary(kGameEngine, commandLine, icon);
        else
            RunLauncherWindow(commandLine, icon);
        break;
    }
}

}  // namespace

int RunStartup(HINSTANCE instance, const char* commandLine)
{
    // Objects end in reverse order: the mutex first, the ATL host and CCommon last.
    CCommon common;
    AtlModuleScope atlModule;
    common.LoadAtl();

    const InstanceMutex mutex = CreateInstanceMutex();
    if (!mutex.handle)
        return kExitEarly;
    if (mutex.anotherCopyRuns) {
        if (HWND other = FindOtherCopyWindow(ProgramFileName()))
            BringToFront(other);
        return kExitEarly;
    }
    if (!DirectXRuntimePresent()) {
        ShowDirectXMissing();
        return kExitEarly;
    }
    if (!Kiln::CKilnHelp::GetInstance()->Start())
        return kExitEarly;

    HICON icon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    RunSelectedMode(commandLine ? commandLine : "", icon);
    return kExitNormal;
}

}  // namespace Launcher
