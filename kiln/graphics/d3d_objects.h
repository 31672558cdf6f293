#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>

#include "kiln/base/kiln_interface.h"
#include "kiln/base/scoped_win.h"
#include "kiln/graphics/lostable.h"

struct ID3DXEffect;

namespace Kiln {

class CKilnD3D;

// An off-screen render target with its own depth buffer, usable as a texture.
class IKilnD3DBackBuffer : public IKilnInterface {
public:
    // Makes the surfaces on the service's device; false without a device or on failure.
    virtual bool Create(uint32_t width, uint32_t height) = 0;
    virtual uint32_t GetWidth() = 0;
    virtual uint32_t GetHeight() = 0;
    // Null until created, and while the device is being reset.
    virtual IDirect3DSurface9* GetSurface() = 0;
    virtual IDirect3DSurface9* GetDepthSurface() = 0;
    virtual IDirect3DTexture9* GetTexture() = 0;
};

// A compiled effect; null when compilation failed.
class IKilnD3DEffect : public IKilnInterface {
public:
    virtual ID3DXEffect* GetEffect() = 0;
};

// Both keep the service alive while they live and rebuild around device resets.
class CD3DBackBuffer : public RefCounted<IKilnD3DBackBuffer>, private ILostable {
public:
    explicit CD3DBackBuffer(CKilnD3D* service);
    ~CD3DBackBuffer() override;

    bool Create(uint32_t width, uint32_t height) override;
    uint32_t GetWidth() override { return width_; }
    uint32_t GetHeight() override { return height_; }
    IDirect3DSurface9* GetSurface() override { return surface_.Get(); }
    IDirect3DSurface9* GetDepthSurface() override { return depth_.Get(); }
    IDirect3DTexture9* GetTexture() override { return texture_.Get(); }

private:
    void OnLostDevice() override;
    void OnResetDevice() override;
    bool MakeSurfaces();

    CKilnD3D* service_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    ComPtr<IDirect3DTexture9> texture_;
    ComPtr<IDirect3DSurface9> surface_;
    ComPtr<IDirect3DSurface9> depth_;
};

class CD3DEffect : public RefCounted<IKilnD3DEffect>, private ILostable {
public:
    // Takes over the effect's reference; `effect` may be null.
    CD3DEffect(CKilnD3D* service, ID3DXEffect* effect);
    ~CD3DEffect() override;

    ID3DXEffect* GetEffect() override { return effect_; }

private:
    void OnLostDevice() override;
    void OnResetDevice() override;

    CKilnD3D* service_;
    ID3DXEffect* effect_;
};

}  // namespace Kiln
