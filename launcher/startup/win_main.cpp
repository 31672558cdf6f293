#include <windows.h>

#include "kiln/base/catch_all.h"
#include "kiln/core/kiln_help.h"
#include "launcher/startup/common_controls_context.h"
#include "launcher/startup/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int /*show*/)
{
    // Whatever is thrown ends the start early, never with the C++ runtime's abort.
    return Kiln::CatchAll(Launcher::kExitEarly, [&] {
        // The common controls stay version 6 for the whole run, the engine's included.
        const Launcher::CommonControlsContext commonControls(instance);
        // The runtime bootstrap is made first and destroyed last, after any engine run.
        Kiln::CKilnHelp kiln(instance);
        return Launcher::RunStartup(instance, commandLine);
    });
}
