// Test engine without the RunEngine export: a valid DLL the launcher cannot start.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI NotTheEngineEntry()
{
    return 0;
}
