#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "kiln/base/guid.h"
#include "kiln/base/kiln_interface.h"
#include "kiln/base/scoped_win.h"
#include "kiln/graphics/adapter_info.h"
#include "kiln/graphics/d3d_objects.h"
#include "kiln/graphics/lostable.h"
#include "kiln/support/critical_section.h"

namespace Kiln {

// The Direct3D 9 graphics service: adapter information and one windowed device. Every
// operation runs inside the service's critical section; a scene keeps it from BeginScene
// to EndScene, so one thread owns the device for the whole scene.
class IKilnD3D : public IKilnInterface {
public:
    // A back buffer or effect object for their class ids; for the Direct3D object and device
    // ids those objects themselves (no new reference); otherwise null.
    virtual IKilnInterface* CreateInstance(const Guid& classId) = 0;
    // The adapter query; false without Direct3D, with a size of 0, or without hardware
    // rasterisation.
    virtual bool GetAdapterInfo(AdapterInfo* info, int32_t width, int32_t height) = 0;
    virtual uint32_t GetAvailableTextureMem() = 0;
    // A windowed device of the adapter mode (0 to 2) for the window.
    virtual bool CreateDevice(HWND window, int32_t adapterMode, int32_t width, int32_t height) = 0;
    // Releases the device and its resources; false when there is no device.
    virtual bool ReleaseDevice() = 0;
    // Resets the device to a new back-buffer size, trying 10 times 100 ms apart.
    virtual bool ResetDevice(int32_t width, int32_t height) = 0;
    virtual IKilnD3DBackBuffer* GetRenderTarget() = 0;
    // A back buffer becomes the render target; null restores the device's own surfaces.
    virtual bool SetRenderTarget(IKilnD3DBackBuffer* target) = 0;
    virtual void Clear(D3DCOLOR colour) = 0;
    virtual bool BeginScene() = 0;
    virtual void EndScene() = 0;
    // False exactly when the device reports that it is lost.
    virtual bool Present() = 0;
    virtual HRESULT TestCooperativeLevel() = 0;
    // Always a new effect object; one that failed to compile holds no effect.
    virtual IKilnD3DEffect* CreateEffect(const char* source) = 0;
    virtual bool GetVSync() = 0;
    virtual void SetVSync(bool on) = 0;
    virtual bool GetSecondFlag() = 0;
    virtual void SetSecondFlag(bool on) = 0;
};

class CKilnD3D : public RefCounted<IKilnD3D> {
public:
    CKilnD3D();
    ~CKilnD3D() override;

    IKilnInterface* CreateInstance(const Guid& classId) override;
    bool GetAdapterInfo(AdapterInfo* info, int32_t width, int32_t height) override;
    uint32_t GetAvailableTextureMem() override;
    bool CreateDevice(HWND window, int32_t adapterMode, int32_t width, int32_t height) override;
    bool ReleaseDevice() override;
    bool ResetDevice(int32_t width, int32_t height) override;
    IKilnD3DBackBuffer* GetRenderTarget() override;
    bool SetRenderTarget(IKilnD3DBackBuffer* target) override;
    void Clear(D3DCOLOR colour) override;
    bool BeginScene() override;
    void EndScene() override;
    bool Present() override;
    HRESULT TestCooperativeLevel() override;
    IKilnD3DEffect* CreateEffect(const char* source) override;
    bool GetVSync() override;
    void SetVSync(bool on) override;
    bool GetSecondFlag() override;
    void SetSecondFlag(bool on) override;

    // Objects with device resources register here to hear of resets.
    void AddLostable(ILostable* object);
    void RemoveLostable(ILostable* object);

    // The process-wide Direct3D object, made on first use while a service lives; null when
    // Direct3D 9 is missing or no service lives.
    static IDirect3D9* GetDirect3D();
    // The device, or null; for the service's own graphics objects.
    IDirect3DDevice9* GetDevice() const { return device_.Get(); }

    // Device limits read at creation.
    uint32_t GetMaxTextureWidth() const { return maxTextureWidth_; }
    uint32_t GetMaxTextureHeight() const { return maxTextureHeight_; }
    bool NeedsPowerOfTwoTextures() const { return powerOfTwoTextures_; }

private:
    void SetUpDevice();
    void ReleaseDeviceResources();
    void ApplyViewport(UINT width, UINT height);

    uint8_t vsync_ = 1;
    uint8_t secondFlag_ = 0;
    ComPtr<IDirect3DSurface9> ownBackBuffer_;
    ComPtr<IDirect3DSurface9> ownDepthStencil_;
    ComPtr<IDirect3DDevice9> device_;
    KilnHandle<IKilnD3DBackBuffer> renderTarget_;
    uint32_t maxTextureWidth_ = 0;
    uint32_t maxTextureHeight_ = 0;
    uint32_t maxPrimitiveCount_ = 0;
    uint32_t maxStreams_ = 0;
    bool powerOfTwoTextures_ = false;
    D3DPRESENT_PARAMETERS presentation_{};
    UINT viewportWidth_ = 0;
    UINT viewportHeight_ = 0;
    std::vector<ILostable*> lostables_;
    bool sceneHeld_ = false;
    CCriticalSection lock_;
};

}  // namespace Kiln
