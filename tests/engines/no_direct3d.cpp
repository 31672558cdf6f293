// Stands in for the system's d3d9.dll in a game folder: a machine without Direct3D 9, whose
// Direct3DCreate9 gives no object.
#include <windows.h>

extern "C" __declspec(dllexport) void* WINAPI Direct3DCreate9(UINT)
{
    return nullptr;
}
