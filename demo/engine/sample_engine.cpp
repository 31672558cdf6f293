// The sample game's engine: a window saying that the game started, with the command line
// it was given. It returns when the window is closed.
#include <windows.h>

#include <string>

namespace {

constexpr char kWindowClass[] = "KilnSampleGame";

struct GameText {
    std::string commandLine;
};

// GDI reads narrow text in the system's code page, not the process's: Shift-JIS text is
// converted here and drawn with the wide function, so it reads right on any Windows.
std::wstring FromShiftJis(const std::string& text)
{
    const int length = ::MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return 0;
    }
    case WM_PAINT: {
        const auto* text = reinterpret_cast<const GameText*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        ::SetBkMode(dc, TRANSPARENT);
        const std::string lines = "ゲームが起動しました。\r\n\r\nコマンドライン: [" +
                                  (text ? text->commandLine : std::string()) + "]\r\n\r\n閉じると終了します。";
        RECT area;
        ::GetClientRect(window, &area);
        ::InflateRect(&area, -24, -24);
        const std::wstring wide = FromShiftJis(lines);
        ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, DT_LEFT | DT_WORDBREAK);
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Nothing thrown may unwind into Windows.
    try {
        return HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

}  // namespace

extern "C" __declspec(dllexport) void WINAPI RunEngine(const char* commandLine, HICON icon)
{
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = GameWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassExA(&windowClass);

    GameText text{commandLine ? commandLine : ""};
    HWND window = ::CreateWindowExA(0, kWindowClass, "サンプルゲーム", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 640, 360, nullptr, nullptr, instance, &text);
    if (!window)
        return;
    ::ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    ::UnregisterClassA(kWindowClass, instance);
}
