// The sample game's engine: a window saying that the game started, with the command line
// it was given, drawn by the runtime's graphics service through Direct3D 9 over a slowly
// changing colour (with GDI alone where Direct3D is missing).
// It returns when the window is closed.
#include <windows.h>

#include <cstdint>
#include <string>

#include "kiln/base/class_ids.h"
#include "kiln/graphics/graphics_sine_table.h"
#include "kiln/graphics/kiln_d3d.h"

namespace {

constexpr char kWindowClass[] = "KilnSampleGame";

struct GameText {
    std::string commandLine;
    bool drawnByStage = false;
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

std::wstring GameLines(const GameText* text)
{
    return FromShiftJis("ゲームが起動しました。\r\n\r\nコマンドライン: [" + (text ? text->commandLine : std::string()) +
                        "]\r\n\r\n閉じると終了します。");
}

void DrawLines(HDC dc, HWND window, const GameText* text)
{
    ::SetBkMode(dc, TRANSPARENT);
    RECT area;
    ::GetClientRect(window, &area);
    ::InflateRect(&area, -24, -24);
    const std::wstring wide = GameLines(text);
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, DT_LEFT | DT_WORDBREAK);
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
        if (!text || !text->drawnByStage)
            DrawLines(dc, window, text);
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND: {
        const auto* text = reinterpret_cast<const GameText*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (text && text->drawnByStage)
            return 1;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

// A device of the graphics service on the game window, cleared to a slowly changing colour,
// the text drawn on its back buffer, presented every frame.
class Stage {
public:
    Stage(HWND window, GameText& text) : window_(window), text_(text)
    {
        service_ = Kiln::KilnHandle<Kiln::CKilnD3D>::Adopt(new Kiln::CKilnD3D);
        Kiln::AdapterInfo adapter;
        if (!service_->GetAdapterInfo(&adapter, 640, 480))
            return;
        ClientSize(width_, height_);
        ready_ = service_->CreateDevice(window_, adapter.adapterMode, width_, height_);
        text_.drawnByStage = ready_;
    }

    void DrawFrame()
    {
        if (!ready_)
            return;
        int width, height;
        ClientSize(width, height);
        if (width != width_ || height != height_ || service_->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) {
            if (!service_->ResetDevice(width, height))
                return;
            width_ = width;
            height_ = height;
        }
        const D3DCOLOR colour = FrameColour(frame_++);
        service_->Clear(colour);
        // The scene holds the service's lock also when the device refuses it.
        service_->BeginScene();
        service_->EndScene();
        DrawTextOnBackBuffer(colour);
        service_->Present();
    }

private:
    // The back buffer gives no device context, so the text goes through a surface of the
    // same colour, made for the frame (a default-pool surface would block a reset if kept).
    void DrawTextOnBackBuffer(D3DCOLOR colour)
    {
        auto* device = reinterpret_cast<IDirect3DDevice9*>(service_->CreateInstance(Kiln::ClassId::Direct3DDevice));
        Kiln::ComPtr<IDirect3DSurface9> backBuffer;
        Kiln::ComPtr<IDirect3DSurface9> canvas;
        if (!device || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Receive())) ||
            FAILED(device->CreateOffscreenPlainSurface(static_cast<UINT>(width_), static_cast<UINT>(height_),
                                                       D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, canvas.Receive(), nullptr)))
            return;
        device->ColorFill(canvas.Get(), nullptr, colour);
        HDC dc = nullptr;
        if (FAILED(canvas->GetDC(&dc)))
            return;
        ::SetTextColor(dc, RGB(255, 255, 255));
        DrawLines(dc, window_, &text_);
        canvas->ReleaseDC(dc);
        device->StretchRect(canvas.Get(), nullptr, backBuffer.Get(), nullptr, D3DTEXF_NONE);
    }

    void ClientSize(int& width, int& height) const
    {
        RECT area;
        ::GetClientRect(window_, &area);
        width = area.right > 0 ? area.right : 1;
        height = area.bottom > 0 ? area.bottom : 1;
    }

    // A hue that turns once every 256 frames, from the service's sine table.
    static D3DCOLOR FrameColour(uint32_t frame)
    {
        const float* sine = Kiln::GraphicsSineTable();
        if (!sine)
            return D3DCOLOR_XRGB(32, 64, 128);
        auto channel = [&](uint32_t offset) {
            const float value = sine[((frame << 8) + offset) & 0xFFFF];
            return static_cast<int>(96.0f + 80.0f * value);
        };
        return D3DCOLOR_XRGB(channel(0), channel(21845), channel(43690));
    }

    HWND window_;
    GameText& text_;
    Kiln::KilnHandle<Kiln::CKilnD3D> service_;
    int width_ = 0;
    int height_ = 0;
    uint32_t frame_ = 0;
    bool ready_ = false;
};

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
    {
        Stage stage(window, text);
        MSG message = {};
        for (;;) {
            if (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT)
                    break;
                ::TranslateMessage(&message);
                ::DispatchMessageA(&message);
                continue;
            }
            stage.DrawFrame();
            // A short pause between frames, so that a blank stage (no Direct3D) does not spin.
            ::Sleep(1);
        }
    }
    ::UnregisterClassA(kWindowClass, instance);
}
