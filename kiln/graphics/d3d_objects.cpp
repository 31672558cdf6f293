#include "kiln/graphics/d3d_objects.h"

#include <d3dx9.h>

#include <new>

#include "kiln/graphics/kiln_d3d.h"

namespace Kiln {

CD3DBackBuffer::CD3DBackBuffer(CKilnD3D* service) : service_(service)
{
    service_->AddRef();
    service_->AddLostable(this);
}

CD3DBackBuffer::~CD3DBackBuffer()
{
    service_->RemoveLostable(this);
    OnLostDevice();
    service_->Release();
}

bool CD3DBackBuffer::Create(uint32_t width, uint32_t height)
{
    if (width == 0 || height == 0 || width > service_->GetMaxTextureWidth() || height > service_->GetMaxTextureHeight())
        return false;
    width_ = width;
    height_ = height;
    return MakeSurfaces();
}

bool CD3DBackBuffer::MakeSurfaces()
{
    OnLostDevice();
    IDirect3DDevice9* device = service_->GetDevice();
    if (!device || width_ == 0)
        return false;
    if (FAILED(device->CreateTexture(width_, height_, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                     texture_.Receive(), nullptr)) ||
        FAILED(texture_->GetSurfaceLevel(0, surface_.Receive())) ||
        FAILED(device->CreateDepthStencilSurface(width_, height_, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE,
                                                 depth_.Receive(), nullptr))) {
        OnLostDevice();
        return false;
    }
    return true;
}

void CD3DBackBuffer::OnLostDevice()
{
    depth_.Reset();
    surface_.Reset();
    texture_.Reset();
}

void CD3DBackBuffer::OnResetDevice()
{
    if (width_ != 0)
        MakeSurfaces();
}

CD3DEffect::CD3DEffect(CKilnD3D* service, ID3DXEffect* effect) : service_(service), effect_(effect)
{
    service_->AddRef();
    service_->AddLostable(this);
}

CD3DEffect::~CD3DEffect()
{
    service_->RemoveLostable(this);
    if (effect_)
        effect_->Release();
    service_->Release();
}

void CD3DEffect::OnLostDevice()
{
    if (effect_)
        effect_->OnLostDevice();
}

void CD3DEffect::OnResetDevice()
{
    if (effect_)
        effect_->OnResetDevice();
}

}  // namespace Kiln
