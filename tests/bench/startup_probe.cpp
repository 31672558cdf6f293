// Start-up probes for the start-up measurement (tools/startup-bench): a plain dialog program
// and, built with KILN_PROBE_PLATFORM, one that first makes the platform calls the launcher
// makes before its window, in the same order, with none of the launcher's own work.
#include <windows.h>

#ifdef KILN_PROBE_PLATFORM
#include <commctrl.h>
#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>
#endif

#include <cstdint>
#include <string>
#include <vector>

namespace {

#ifdef KILN_PROBE_PLATFORM
BOOL CALLBACK CountController(LPCDIDEVICEINSTANCEA, LPVOID count)
{
    ++*static_cast<int*>(count);
    return DIENUM_CONTINUE;
}

// ATL host, single-instance mutex, D3DX check, runtime services (DirectInput with its keyboard
// and the controller enumeration), common controls: as the launcher does them. Direct3D,
// DirectSound, WinINet, shell32 and winmm wait in the launcher for the pages and actions that
// use them, so they are not here either.
void PlatformCalls(HINSTANCE instance)
{
    if (HMODULE atl = ::LoadLibraryA("ATL.DLL")) {
        using AtlAxWinInitFunction = BOOL(WINAPI*)();
        if (auto init = reinterpret_cast<AtlAxWinInitFunction>(
                reinterpret_cast<void*>(::GetProcAddress(atl, "AtlAxWinInit"))))
            init();
    }
    SECURITY_DESCRIPTOR descriptor;
    ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    ::CreateMutexA(&attributes, FALSE, "startup_platform.exe");
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    ::GetFileAttributesA((std::string(system) + "\\d3dx9_37.dll").c_str());
    ::GetFileAttributesA((std::string(system) + "\\d3dx10_37.dll").c_str());

    ::SetProcessWorkingSetSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
    IDirectInput8A* input = nullptr;
    if (SUCCEEDED(::DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                       reinterpret_cast<void**>(&input), nullptr))) {
        IDirectInputDevice8A* keyboard = nullptr;
        if (SUCCEEDED(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr))) {
            keyboard->SetDataFormat(&c_dfDIKeyboard);
            keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
            keyboard->Acquire();
        }
        int controllers = 0;
        input->EnumDevices(DI8DEVCLASS_GAMECTRL, CountController, &controllers, DIEDFL_ATTACHEDONLY);
    }
    HMODULE controls = ::LoadLibraryA("comctl32.dll");
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (auto init = reinterpret_cast<InitFunction>(reinterpret_cast<void*>(::GetProcAddress(controls, "InitCommonControlsEx")))) {
        INITCOMMONCONTROLSEX request = {sizeof request, ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
        init(&request);
    }
}
#endif

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        ::DestroyWindow(dialog);
        return TRUE;
    }
    if (message == WM_DESTROY)
        ::PostQuitMessage(0);
    return message == WM_INITDIALOG;
}

// A captioned 200x100 dialog with no controls, built in memory.
std::vector<uint16_t> DialogTemplate()
{
    std::vector<uint16_t> words(sizeof(DLGTEMPLATE) / 2, 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
    header->cx = 200;
    header->cy = 100;
    words.push_back(0);  // no menu
    words.push_back(0);  // the dialog class
    for (const char* c = "startup probe"; *c; ++c)
        words.push_back(static_cast<uint16_t>(*c));
    words.push_back(0);
    return words;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
#ifdef KILN_PROBE_PLATFORM
    PlatformCalls(instance);
#endif
    const std::vector<uint16_t> dialogTemplate = DialogTemplate();
    HWND dialog = ::CreateDialogIndirectParamA(instance, reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                               nullptr, DialogProcedure, 0);
    if (!dialog)
        return 1;
    ::ShowWindow(dialog, SW_SHOW);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageA(dialog, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return 0;
}
