// Test engine: asks the runtime's graphics service for a device on a window of its own, as a
// game does, and records what it got into engine-record.txt beside itself.
#include <windows.h>

#include <cstdio>
#include <string>

#include "kiln/base/class_ids.h"
#include "kiln/graphics/kiln_d3d.h"

namespace {

std::string ModuleFolder()
{
    HMODULE self = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&ModuleFolder), &self);
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(self, path, MAX_PATH);
    const std::string module = path;
    return module.substr(0, module.find_last_of('\\') + 1);
}

}  // namespace

extern "C" __declspec(dllexport) void WINAPI RunEngine(const char*, HICON)
{
    HWND window = ::CreateWindowExA(0, "STATIC", "device engine", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                                    nullptr, nullptr);
    int device = 0;
    int adapter = 0;
    {
        auto service = Kiln::KilnHandle<Kiln::CKilnD3D>::Adopt(new Kiln::CKilnD3D);
        // The device first: it must bring Direct3D up by itself.
        device = service->CreateDevice(window, 2, 320, 240) ? 1 : 0;
        Kiln::AdapterInfo info;
        adapter = service->GetAdapterInfo(&info, 640, 480) ? 1 : 0;
    }
    ::DestroyWindow(window);
    if (FILE* record = std::fopen((ModuleFolder() + "engine-record.txt").c_str(), "wb")) {
        std::fprintf(record, "device=%d\nadapter=%d\n", device, adapter);
        std::fclose(record);
    }
}
