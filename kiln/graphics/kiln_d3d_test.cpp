// The graphics service on Wine's Direct3D 9 (llvmpipe under Xvfb): devices on a real window.
#include "kiln/graphics/kiln_d3d.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "kiln/base/class_ids.h"
#include "tests/support/ui_driver.h"

namespace Kiln {
namespace {

using Clock = std::chrono::steady_clock;

class GraphicsDeviceTest : public ::testing::Test {
protected:
    GraphicsDeviceTest()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = ::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KilnGraphicsTest";
        ::RegisterClassA(&windowClass);
        window_ = ::CreateWindowA("KilnGraphicsTest", "graphics", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
        service_ = KilnHandle<CKilnD3D>::Adopt(new CKilnD3D);
    }
    ~GraphicsDeviceTest() override
    {
        service_.Reset();
        ::DestroyWindow(window_);
    }

    IDirect3DDevice9* Device() { return reinterpret_cast<IDirect3DDevice9*>(service_->CreateInstance(ClassId::Direct3DDevice)); }

    D3DPRESENT_PARAMETERS SwapChainParameters()
    {
        D3DPRESENT_PARAMETERS parameters = {};
        ComPtr<IDirect3DSwapChain9> swapChain;
        if (Device() && SUCCEEDED(Device()->GetSwapChain(0, swapChain.Receive())))
            swapChain->GetPresentParameters(&parameters);
        return parameters;
    }

    HWND window_ = nullptr;
    KilnHandle<CKilnD3D> service_;
};

TEST_F(GraphicsDeviceTest, AdapterQueryReportsWinesDefaultAdapter)
{
    ASSERT_NE(CKilnD3D::GetDirect3D(), nullptr);
    AdapterInfo info;
    ASSERT_TRUE(service_->GetAdapterInfo(&info, 640, 480));
    EXPECT_STREQ(info.description, "NVIDIA GeForce GTX 470");
    EXPECT_EQ(info.adapterMode, 0);
    EXPECT_GT(info.videoMemory, 0u);
    EXPECT_EQ(info.maxTextureWidth, 16384u);
    EXPECT_EQ(info.maxTextureHeight, 16384u);
    EXPECT_EQ(info.vertexShader20, 1);
    EXPECT_EQ(info.pixelShader20, 1);
    EXPECT_EQ(info.anyTextureSize, 1);
    EXPECT_FALSE(service_->GetAdapterInfo(&info, 0, 480));
    EXPECT_FALSE(service_->GetAdapterInfo(&info, 640, 0));
}

TEST_F(GraphicsDeviceTest, OneDevicePresentsAndASecondIsRefused)
{
    EXPECT_EQ(service_->TestCooperativeLevel(), D3DERR_INVALIDCALL);
    EXPECT_FALSE(service_->Present());
    EXPECT_FALSE(service_->BeginScene());
    ASSERT_TRUE(service_->CreateDevice(window_, 0, 320, 240));
    ASSERT_NE(Device(), nullptr);
    EXPECT_FALSE(service_->CreateDevice(window_, 0, 320, 240));
    EXPECT_EQ(service_->TestCooperativeLevel(), D3D_OK);
    service_->Clear(D3DCOLOR_XRGB(0, 128, 255));
    EXPECT_TRUE(service_->BeginScene());
    service_->EndScene();
    EXPECT_TRUE(service_->Present());
    EXPECT_GT(service_->GetAvailableTextureMem(), 0u);
    EXPECT_TRUE(service_->ReleaseDevice());
    EXPECT_EQ(Device(), nullptr);
    EXPECT_FALSE(service_->ReleaseDevice());
    EXPECT_EQ(service_->GetAvailableTextureMem(), 0u);
    EXPECT_TRUE(service_->CreateDevice(window_, 0, 320, 240));
}

TEST_F(GraphicsDeviceTest, RefusedArguments)
{
    struct Case {
        bool nullWindow;
        int mode, width, height;
    };
    for (const Case& c : {Case{false, 3, 320, 240}, Case{false, -1, 320, 240}, Case{true, 0, 320, 240},
                          Case{false, 0, 0, 240}, Case{false, 0, 320, 0}}) {
        EXPECT_FALSE(service_->CreateDevice(c.nullWindow ? nullptr : window_, c.mode, c.width, c.height))
            << c.mode << " " << c.width << "x" << c.height;
        EXPECT_EQ(Device(), nullptr);
    }
    ASSERT_TRUE(service_->CreateDevice(window_, 0, 320, 240));
    EXPECT_FALSE(service_->ResetDevice(0, 240));
    EXPECT_FALSE(service_->ResetDevice(320, 0));
}

TEST_F(GraphicsDeviceTest, EachModeCreatesWithItsBehaviourAndPresentationInterval)
{
    struct Case {
        int mode;
        bool vsync;
        DWORD behaviour;
        UINT interval;
    };
    for (const Case& c : {Case{0, true, 0x54, D3DPRESENT_INTERVAL_ONE}, Case{1, true, 0x84, D3DPRESENT_INTERVAL_ONE},
                          Case{2, false, 0x24, D3DPRESENT_INTERVAL_IMMEDIATE}}) {
        service_->SetVSync(c.vsync);
        EXPECT_EQ(service_->GetVSync(), c.vsync);
        ASSERT_TRUE(service_->CreateDevice(window_, c.mode, 256, 128)) << c.mode;
        D3DDEVICE_CREATION_PARAMETERS creation = {};
        ASSERT_EQ(Device()->GetCreationParameters(&creation), D3D_OK);
        EXPECT_EQ(creation.BehaviorFlags, c.behaviour) << c.mode;
        EXPECT_EQ(creation.AdapterOrdinal, 0u);
        EXPECT_EQ(creation.DeviceType, D3DDEVTYPE_HAL);
        const D3DPRESENT_PARAMETERS parameters = SwapChainParameters();
        EXPECT_EQ(parameters.BackBufferWidth, 256u);
        EXPECT_EQ(parameters.BackBufferHeight, 128u);
        EXPECT_EQ(parameters.BackBufferFormat, D3DFMT_X8R8G8B8);
        EXPECT_EQ(parameters.SwapEffect, D3DSWAPEFFECT_DISCARD);
        EXPECT_TRUE(parameters.Windowed);
        EXPECT_EQ(parameters.hDeviceWindow, window_);
        EXPECT_EQ(parameters.PresentationInterval, c.interval) << c.mode;
        EXPECT_TRUE(service_->ReleaseDevice());
    }
    EXPECT_FALSE(service_->GetSecondFlag());
    service_->SetSecondFlag(true);
    EXPECT_TRUE(service_->GetSecondFlag());
}

TEST_F(GraphicsDeviceTest, ResetToAnotherSizeKeepsPresenting)
{
    ASSERT_TRUE(service_->CreateDevice(window_, 0, 320, 240));
    service_->SetVSync(false);
    ASSERT_TRUE(service_->ResetDevice(800, 600));
    const D3DPRESENT_PARAMETERS parameters = SwapChainParameters();
    EXPECT_EQ(parameters.BackBufferWidth, 800u);
    EXPECT_EQ(parameters.BackBufferHeight, 600u);
    EXPECT_EQ(parameters.PresentationInterval, static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE));
    D3DVIEWPORT9 viewport = {};
    ASSERT_EQ(Device()->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(viewport.Width, 800u);
    EXPECT_EQ(viewport.Height, 600u);
    service_->Clear(D3DCOLOR_XRGB(255, 0, 0));
    EXPECT_TRUE(service_->Present());
}

// Direct3D refuses to reset a device while a resource of the default pool is alive, so a
// texture kept outside the service makes every try fail.
TEST_F(GraphicsDeviceTest, ResetThatKeepsFailingGivesUpAfterAboutOneSecond)
{
    ASSERT_TRUE(service_->CreateDevice(window_, 0, 320, 240));
    ComPtr<IDirect3DTexture9> blocker;
    ASSERT_EQ(Device()->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                      blocker.Receive(), nullptr),
              D3D_OK);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(service_->ResetDevice(640, 480));
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(elapsed, 950);
    EXPECT_LT(elapsed, 3000);
    blocker.Reset();
    EXPECT_TRUE(service_->ResetDevice(640, 480));
    EXPECT_TRUE(service_->Present());
}

TEST_F(GraphicsDeviceTest, BackBufferLetsGoAroundAResetAndServesAsRenderTarget)
{
    ASSERT_TRUE(service_->CreateDevice(window_, 0, 320, 240));
    KilnHandle<IKilnD3DBackBuffer> target = KilnHandle<IKilnD3DBackBuffer>::Adopt(
        static_cast<IKilnD3DBackBuffer*>(service_->CreateInstance(ClassId::D3DBackBuffer)));
    ASSERT_TRUE(target);
    ASSERT_TRUE(target->Create(128, 64));
    ASSERT_NE(target->GetSurface(), nullptr);
    ASSERT_TRUE(service_->SetRenderTarget(target.Get()));
    EXPECT_EQ(service_->GetRenderTarget(), target.Get());
    D3DVIEWPORT9 viewport = {};
    Device()->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 128u);
    EXPECT_EQ(viewport.Height, 64u);
    service_->Clear(D3DCOLOR_XRGB(0, 255, 0));

    // Its default-pool texture would block the reset if the service did not tell it first.
    ASSERT_TRUE(service_->ResetDevice(400, 300));
    EXPECT_EQ(service_->GetRenderTarget(), nullptr);
    EXPECT_NE(target->GetSurface(), nullptr);
    ASSERT_TRUE(service_->SetRenderTarget(target.Get()));
    ASSERT_TRUE(service_->SetRenderTarget(nullptr));
    EXPECT_EQ(service_->GetRenderTarget(), nullptr);
    Device()->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 400u);
    EXPECT_EQ(viewport.Height, 300u);
    EXPECT_TRUE(service_->Present());
}

TEST_F(GraphicsDeviceTest, SceneHoldsTheServiceAgainstOtherThreads)
{
    ASSERT_TRUE(service_->CreateDevice(window_, 0, 320, 240));
    ASSERT_TRUE(service_->BeginScene());
    std::atomic<bool> answered{false};
    std::thread other([&] {
        service_->GetVSync();
        answered = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(answered);
    service_->EndScene();
    other.join();
    EXPECT_TRUE(answered);
    // An unmatched EndScene must not give back a lock the thread does not hold.
    service_->EndScene();
    std::thread after([&] { service_->GetVSync(); });
    after.join();
}

// Runs `create` while another thread answers any "ERROR" box it shows; returns the box's text,
// empty when none appeared.
template <class Create>
std::string ErrorBoxDuring(Create create, DWORD waitMs)
{
    std::string boxText;
    std::thread watcher([&] {
        if (HWND box = KilnTest::WaitForDialog(::GetCurrentProcessId(), "ERROR", waitMs)) {
            boxText = KilnTest::MessageBoxText(box);
            KilnTest::DismissMessageBox(box);
        }
    });
    create();
    watcher.join();
    return boxText;
}

TEST_F(GraphicsDeviceTest, EffectThatFailsToCompileShowsTheCompilersText)
{
    ASSERT_TRUE(service_->CreateDevice(window_, 0, 320, 240));
    KilnHandle<IKilnD3DEffect> broken;
    const std::string boxText = ErrorBoxDuring(
        [&] {
            broken = KilnHandle<IKilnD3DEffect>::Adopt(
                service_->CreateEffect("technique T { pass P { VertexShader = compile vs_2_0 Missing(); } }"));
        },
        10000);
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->GetEffect(), nullptr);
    // The compiler's own message, not one of the service's.
    EXPECT_NE(boxText.find("error"), std::string::npos) << boxText;
}

}  // namespace
}  // namespace Kiln
