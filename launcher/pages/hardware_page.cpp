#include "launcher/pages/hardware_page.h"

#include <cpuid.h>

#include <memory>

#include "kiln/core/kiln_help.h"
#include "kiln/graphics/kiln_d3d.h"
#include "kiln/input/input.h"
#include "kiln/support/font.h"
#include "launcher/pages/hardware_report.h"
#include "launcher/pages/page_colours.h"
#include "launcher/pages/page_fit.h"
#include "launcher/window/launcher.h"
#include "resources/resource.h"

namespace Launcher {
namespace {

constexpr int kReportFontHeight = 12;
constexpr int32_t kQueryWidth = 640;
constexpr int32_t kQueryHeight = 480;

std::string ProcessorName()
{
    const uint32_t highest = __get_cpuid_max(0x80000000, nullptr);
    CpuBrandWords words{};
    if (highest >= 0x80000004) {
        for (uint32_t function = 0; function < 3; ++function) {
            unsigned int a = 0, b = 0, c = 0, d = 0;
            __cpuid(0x80000002 + function, a, b, c, d);
            words[function * 4 + 0] = a;
            words[function * 4 + 1] = b;
            words[function * 4 + 2] = c;
            words[function * 4 + 3] = d;
        }
    }
    return CpuName(highest, words);
}

uint64_t TotalPhysicalMemory()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    return ::GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

void BuildReport(HWND box)
{
    MachineFacts machine;
    machine.cpuName = ProcessorName();
    machine.totalMemoryBytes = TotalPhysicalMemory();
    const Kiln::CInput* input = Kiln::CInput::GetInstance();
    machine.inputDeviceCount = input ? input->GetDeviceCount() : 0;

    Kiln::AdapterInfo adapter;
    const Kiln::CKilnHelp* help = Kiln::CKilnHelp::GetInstance();
    Kiln::IKilnD3D* graphics = help ? help->GetGraphics() : nullptr;
    if (!graphics || !graphics->GetAdapterInfo(&adapter, kQueryWidth, kQueryHeight)) {
        ::MessageBoxA(CLauncher::GetInstance()->GetMainWindow(), "There is no suitable dispray mode in this video card.",
                      "Fatal error", MB_ICONERROR);
        return;
    }
    ::SetWindowTextA(box, BuildHardwareReport(machine, adapter).c_str());
}

void InitHardwarePage(HWND page)
{
    CLauncher* launcher = CLauncher::GetInstance();
    launcher->DressWindow(page);
    FitPageTexts(page);
    HWND box = ::GetDlgItem(page, IDC_HARDWARE_REPORT);
    auto font = std::make_shared<Kiln::CFont>();
    font->faceName = "ＭＳ ゴシック";
    font->height = kReportFontHeight;
    auto handle = std::make_shared<Kiln::CFontHandle>(*font);
    ::SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(handle->GetFont()), FALSE);
    launcher->SetHardwareReport(box, font, handle);
    BuildReport(box);
    launcher->DressWindow(page);
}

}  // namespace

INT_PTR CALLBACK HardwarePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitHardwarePage(page);
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        // The read-only report box asks as a static control: black on white.
        const HWND control = reinterpret_cast<HWND>(lParam);
        if (!control || control != CLauncher::GetInstance()->GetHardwareReport())
            return FALSE;
        return PaintBlackOnWhite(reinterpret_cast<HDC>(wParam));
    }
    default:
        return FALSE;
    }
}

}  // namespace Launcher
