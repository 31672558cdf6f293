#include "patcher/stub_window.h"

#include <commctrl.h>

#include <string>
#include <thread>

#include "patcher/stub_rules.h"
#include "patcher/system_libraries.h"

namespace Patcher {
namespace {

using Kiln::Patch::ApplyResult;
using Kiln::Patch::Outcome;
using Kiln::Patch::Step;

constexpr UINT kProgressMessage = WM_APP + 1;  // wParam: step, lParam: percent
constexpr UINT kDoneMessage = WM_APP + 2;
constexpr int kCloseButton = 100;
constexpr wchar_t kClassName[] = L"KilnPatchWindow";

const wchar_t* Wide(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

struct WindowState {
    HWND text = nullptr;
    HWND bar = nullptr;
    HWND close = nullptr;
    bool working = true;
    ApplyResult result;
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<WindowState*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case kProgressMessage:
        if (state) {
            ::SetWindowTextW(state->text, Wide(StepText(static_cast<Step>(wParam))));
            ::SendMessageW(state->bar, PBM_SETPOS, static_cast<WPARAM>(lParam), 0);
        }
        return 0;
    case kDoneMessage:
        state->working = false;
        if (state->result.outcome == Outcome::kApplied) {
            ::DestroyWindow(window);
        } else {
            ::ShowWindow(state->bar, SW_HIDE);
            ::SetWindowTextW(state->text, Wide(MessageOf(state->result)));
            ::ShowWindow(state->close, SW_SHOW);
        }
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kCloseButton)
            ::DestroyWindow(window);
        return 0;
    case WM_CLOSE:
        if (state && state->working)
            return 0;  // never between two steps of the journal
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

ApplyResult RunWithProgressWindow(HINSTANCE instance,
                                  const std::function<ApplyResult(const Kiln::Patch::Progress&)>& work)
{
    // The progress bar's class: comctl32 stays loaded while the process lives.
    if (HMODULE controls = LoadSystemLibrary(L"comctl32.dll")) {
        using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto init = reinterpret_cast<InitFunction>(
            reinterpret_cast<void (*)()>(::GetProcAddress(controls, "InitCommonControlsEx")));
        const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
        if (init)
            init(&classes);
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassExW(&windowClass);

    WindowState state;
    const std::u16string title = u"パッチ";
    HWND window = ::CreateWindowExW(0, kClassName, Wide(title), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 440, 170, nullptr, nullptr, instance, &state);
    if (!window)
        return work({});
    const HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    state.text = ::CreateWindowExW(0, L"STATIC", Wide(StepText(Step::kChecking)), WS_CHILD | WS_VISIBLE, 16, 16,
                                   400, 48, window, nullptr, instance, nullptr);
    state.bar = ::CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 16, 72, 400, 20, window,
                                  nullptr, instance, nullptr);
    const std::u16string closeText = u"閉じる";
    state.close = ::CreateWindowExW(0, L"BUTTON", Wide(closeText), WS_CHILD | BS_DEFPUSHBUTTON, 316, 96, 100, 26,
                                    window, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kCloseButton)), instance,
                                    nullptr);
    for (HWND control : {state.text, state.close})
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::ShowWindow(window, SW_SHOWNORMAL);

    std::thread worker([&state, &work, window] {
        state.result = work([window](Step step, uint64_t done, uint64_t total) {
            const uint64_t percent = total == 0 ? 0 : done * 100 / total;
            ::PostMessageW(window, kProgressMessage, static_cast<WPARAM>(step), static_cast<LPARAM>(percent));
        });
        ::PostMessageW(window, kDoneMessage, 0, 0);
    });
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(window, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    worker.join();
    return state.result;
}

}  // namespace Patcher
