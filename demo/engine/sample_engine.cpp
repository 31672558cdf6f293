// The sample game's engine: a window saying that the game started, with the command line
// it was given. It returns when the window is closed.
#include <windows.h>

#include <string>

namespace {

constexpr char kWindowClass[] = "KilnSampleGame";

struct GameText {
    std::string commandLine;
};

LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
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
        ::DrawTextA(dc, lines.c_str(), -1, &area, DT_LEFT | DT_WORDBREAK);
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
