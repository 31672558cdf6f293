#include <windows.h>

#include "kiln/core/kiln_help.h"
#include "launcher/startup/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int /*show*/)
{
    // The runtime bootstrap is made first and destroyed last, after any engine run.
    Kiln::CKilnHelp kiln(instance);
    return Launcher::RunStartup(instance, commandLine);
}
