#include "kiln/graphics/kiln_d3d.h"

#include <ddraw.h>
#include <d3dx9.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "kiln/base/class_ids.h"
#include "kiln/graphics/adapter_mode.h"
#include "kiln/graphics/graphics_sine_table.h"

namespace Kiln {
namespace {

constexpr int kResetTries = 10;
constexpr DWORD kResetPauseMs = 100;
constexpr DWORD kFixedVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(kFixedVertexFormat == 0x144);
static_assert(sizeof(DDCAPS_DX7) == 380);

// Direct3D and DirectDraw are loaded when first needed instead of imported: under Wine,
// bringing Direct3D up starts OpenGL, which costs about as much time as the rest of the
// launcher's start and most of its memory, while the launcher needs it only for the hardware
// page. Loaded by name, as the import was; they then stay loaded, as imports would.
template <class Function>
Function SystemEntry(const char* library, const char* name)
{
    HMODULE module = ::LoadLibraryA(library);
    return module ? GetProcAs<Function>(module, name) : nullptr;
}

using Direct3DCreateFunction = IDirect3D9*(WINAPI*)(UINT);
using DirectDrawCreateFunction = HRESULT(WINAPI*)(GUID*, void**, REFIID, IUnknown*);

// Shared by every live service: the first use while one lives makes Direct3D, the last
// service to go releases it. The lock serves services on different threads.
struct GraphicsProcessState {
    CCriticalSection lock;
    IDirect3D9* direct3D = nullptr;
    bool direct3DTried = false;
    int liveServices = 0;
};

GraphicsProcessState& ProcessState()
{
    static GraphicsProcessState state;
    return state;
}

uint32_t TotalVideoMemory()
{
    static const auto create = SystemEntry<DirectDrawCreateFunction>("ddraw.dll", "DirectDrawCreateEx");
    ComPtr<IDirectDraw7> directDraw;
    if (!create || FAILED(create(nullptr, reinterpret_cast<void**>(directDraw.Receive()), IID_IDirectDraw7, nullptr)))
        return 0;
    DDCAPS_DX7 driverCaps = {};
    driverCaps.dwSize = sizeof driverCaps;
    if (FAILED(directDraw->GetCaps(reinterpret_cast<DDCAPS*>(&driverCaps), nullptr)))
        return 0;
    return driverCaps.dwVidMemTotal;
}

UINT PresentationInterval(uint8_t vsync)
{
    return vsync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
}

// D3DX is a separate runtime that a machine may lack; the launcher must still start there,
// so the effect compiler is found when first needed instead of being imported.
using CreateEffectFunction = HRESULT(WINAPI*)(IDirect3DDevice9*, const void*, UINT, const D3DXMACRO*, ID3DXInclude*,
                                              DWORD, ID3DXEffectPool*, ID3DXEffect**, ID3DXBuffer**);

CreateEffectFunction EffectCompiler()
{
    static UniqueModule module(::LoadLibraryA("d3dx9_37.dll"));
    return module ? GetProcAs<CreateEffectFunction>(module.Get(), "D3DXCreateEffect") : nullptr;
}

}  // namespace

CKilnD3D::CKilnD3D()
{
    GraphicsProcessState& state = ProcessState();
    CKilnAutoLock lock(&state.lock);
    if (state.liveServices++ == 0)
        BuildGraphicsSineTable();
}

CKilnD3D::~CKilnD3D()
{
    ReleaseDevice();
    GraphicsProcessState& state = ProcessState();
    CKilnAutoLock lock(&state.lock);
    if (--state.liveServices == 0) {
        if (state.direct3D)
            state.direct3D->Release();
        state.direct3D = nullptr;
        state.direct3DTried = false;
    }
}

IDirect3D9* CKilnD3D::GetDirect3D()
{
    GraphicsProcessState& state = ProcessState();
    CKilnAutoLock lock(&state.lock);
    // Once per generation of services: a machine without Direct3D 9 is asked only once.
    if (state.liveServices > 0 && !state.direct3DTried) {
        state.direct3DTried = true;
        static const auto create = SystemEntry<Direct3DCreateFunction>("d3d9.dll", "Direct3DCreate9");
        if (create)
            state.direct3D = create(D3D_SDK_VERSION);
    }
    return state.direct3D;
}

IKilnInterface* CKilnD3D::CreateInstance(const Guid& classId)
{
    CKilnAutoLock lock(&lock_);
    if (classId == ClassId::D3DBackBuffer)
        return new (std::nothrow) CD3DBackBuffer(this);
    // These two hand out the Direct3D objects themselves, without a new reference, for
    // callers that know what they get.
    if (classId == ClassId::Direct3DObject)
        return reinterpret_cast<IKilnInterface*>(GetDirect3D());
    if (classId == ClassId::Direct3DDevice)
        return reinterpret_cast<IKilnInterface*>(device_.Get());
    return nullptr;
}

bool CKilnD3D::GetAdapterInfo(AdapterInfo* info, int32_t width, int32_t height)
{
    CKilnAutoLock lock(&lock_);
    IDirect3D9* direct3D = GetDirect3D();
    if (!direct3D || !info || width == 0 || height == 0)
        return false;
    D3DADAPTER_IDENTIFIER9 identifier = {};
    if (FAILED(direct3D->GetAdapterIdentifier(0, 0, &identifier)))
        return false;
    static_assert(sizeof info->description == sizeof identifier.Description);
    std::memcpy(info->description, identifier.Description, sizeof info->description);
    info->description[sizeof info->description - 1] = '\0';

    D3DCAPS9 caps = {};
    if (FAILED(direct3D->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps)))
        return false;
    const int mode = AdapterModeFromCaps(caps.DevCaps, caps.VertexShaderVersion);
    if (mode == kNoAdapterMode)
        return false;
    info->adapterMode = mode;
    info->videoMemory = TotalVideoMemory();
    info->maxTextureWidth = caps.MaxTextureWidth;
    info->maxTextureHeight = caps.MaxTextureHeight;
    info->vertexShader20 = HasVertexShader20(caps.VertexShaderVersion);
    info->pixelShader20 = HasPixelShader20(caps.PixelShaderVersion);
    info->anyTextureSize = !powerOfTwoTextures_;
    return true;
}

uint32_t CKilnD3D::GetAvailableTextureMem()
{
    CKilnAutoLock lock(&lock_);
    return device_ ? device_->GetAvailableTextureMem() : 0;
}

bool CKilnD3D::CreateDevice(HWND window, int32_t adapterMode, int32_t width, int32_t height)
{
    CKilnAutoLock lock(&lock_);
    IDirect3D9* direct3D = GetDirect3D();
    if (!direct3D || device_ || !window || adapterMode < 0 || adapterMode >= kAdapterModeCount || width <= 0 ||
        height <= 0)
        return false;
    D3DCAPS9 caps = {};
    if (FAILED(direct3D->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps)))
        return false;
    maxTextureWidth_ = caps.MaxTextureWidth;
    maxTextureHeight_ = caps.MaxTextureHeight;
    maxPrimitiveCount_ = caps.MaxPrimitiveCount;
    maxStreams_ = caps.MaxStreams;
    powerOfTwoTextures_ = powerOfTwoTextures_ || (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
    if (!AdapterModeAllowed(adapterMode, caps.DevCaps, caps.VertexShaderVersion))
        return false;

    presentation_ = {};
    presentation_.BackBufferWidth = static_cast<UINT>(width);
    presentation_.BackBufferHeight = static_cast<UINT>(height);
    presentation_.BackBufferFormat = D3DFMT_X8R8G8B8;
    presentation_.BackBufferCount = 1;
    presentation_.MultiSampleType = D3DMULTISAMPLE_NONE;
    presentation_.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentation_.hDeviceWindow = window;
    presentation_.Windowed = TRUE;
    presentation_.EnableAutoDepthStencil = TRUE;
    presentation_.AutoDepthStencilFormat = D3DFMT_D16;
    presentation_.PresentationInterval = PresentationInterval(vsync_);
    D3DPRESENT_PARAMETERS parameters = presentation_;
    if (FAILED(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, window, BehaviourFlagsForMode(adapterMode), &parameters,
                                      device_.Receive()))) {
        device_.Reset();
        return false;
    }
    SetUpDevice();
    return true;
}

void CKilnD3D::SetUpDevice()
{
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, ownBackBuffer_.Receive());
    device_->GetDepthStencilSurface(ownDepthStencil_.Receive());
    ApplyViewport(presentation_.BackBufferWidth, presentation_.BackBufferHeight);
}

void CKilnD3D::ApplyViewport(UINT width, UINT height)
{
    D3DVIEWPORT9 viewport = {0, 0, width, height, 0.0f, 1.0f};
    device_->SetViewport(&viewport);
    viewportWidth_ = width;
    viewportHeight_ = height;
}

void CKilnD3D::ReleaseDeviceResources()
{
    if (renderTarget_) {
        device_->SetRenderTarget(0, ownBackBuffer_.Get());
        device_->SetDepthStencilSurface(ownDepthStencil_.Get());
        renderTarget_.Reset();
    }
    ownBackBuffer_.Reset();
    ownDepthStencil_.Reset();
    // A copy: an object may unregister itself while it lets go of its resources.
    const std::vector<ILostable*> lostables = lostables_;
    for (ILostable* object : lostables)
        object->OnLostDevice();
}

bool CKilnD3D::ReleaseDevice()
{
    CKilnAutoLock lock(&lock_);
    if (!device_)
        return false;
    ReleaseDeviceResources();
    device_.Reset();
    viewportWidth_ = viewportHeight_ = 0;
    return true;
}

bool CKilnD3D::ResetDevice(int32_t width, int32_t height)
{
    CKilnAutoLock lock(&lock_);
    if (!device_ || width <= 0 || height <= 0)
        return false;
    presentation_.BackBufferWidth = static_cast<UINT>(width);
    presentation_.BackBufferHeight = static_cast<UINT>(height);
    presentation_.PresentationInterval = PresentationInterval(vsync_);
    presentation_.Windowed = TRUE;
    presentation_.BackBufferFormat = D3DFMT_X8R8G8B8;
    presentation_.FullScreen_RefreshRateInHz = 0;
    ReleaseDeviceResources();
    viewportWidth_ = viewportHeight_ = 0;
    for (int attempt = 0; attempt < kResetTries; ++attempt) {
        D3DPRESENT_PARAMETERS parameters = presentation_;
        if (SUCCEEDED(device_->Reset(&parameters))) {
            SetUpDevice();
            const std::vector<ILostable*> lostables = lostables_;
            for (ILostable* object : lostables)
                object->OnResetDevice();
            return true;
        }
        ::Sleep(kResetPauseMs);
    }
    return false;
}

IKilnD3DBackBuffer* CKilnD3D::GetRenderTarget()
{
    CKilnAutoLock lock(&lock_);
    return renderTarget_.Get();
}

bool CKilnD3D::SetRenderTarget(IKilnD3DBackBuffer* target)
{
    CKilnAutoLock lock(&lock_);
    if (!device_)
        return false;
    if (!target) {
        if (FAILED(device_->SetRenderTarget(0, ownBackBuffer_.Get())) ||
            FAILED(device_->SetDepthStencilSurface(ownDepthStencil_.Get())))
            return false;
        renderTarget_.Reset();
        ApplyViewport(presentation_.BackBufferWidth, presentation_.BackBufferHeight);
        return true;
    }
    if (!target->GetSurface() || FAILED(device_->SetRenderTarget(0, target->GetSurface())) ||
        FAILED(device_->SetDepthStencilSurface(target->GetDepthSurface())))
        return false;
    renderTarget_ = KilnHandle<IKilnD3DBackBuffer>::Retain(target);
    // Setting a render target resets the viewport to its size; keep our record in step.
    ApplyViewport(target->GetWidth(), target->GetHeight());
    return true;
}

void CKilnD3D::Clear(D3DCOLOR colour)
{
    CKilnAutoLock lock(&lock_);
    if (device_)
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
}

bool CKilnD3D::BeginScene()
{
    CKilnAutoLock lock(&lock_);
    if (!device_)
        return false;
    // Held on top of this call's lock until EndScene, also when the device refuses the scene.
    lock_.Enter();
    sceneHeld_ = true;
    device_->SetVertexShader(nullptr);
    device_->SetPixelShader(nullptr);
    device_->SetFVF(kFixedVertexFormat);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    return SUCCEEDED(device_->BeginScene());
}

void CKilnD3D::EndScene()
{
    CKilnAutoLock lock(&lock_);
    if (device_)
        device_->EndScene();
    // Only a scene's own hold is given back: an EndScene without BeginScene leaves nothing.
    if (sceneHeld_) {
        sceneHeld_ = false;
        lock_.Leave();
    }
}

bool CKilnD3D::Present()
{
    CKilnAutoLock lock(&lock_);
    if (!device_)
        return false;
    return device_->Present(nullptr, nullptr, nullptr, nullptr) != D3DERR_DEVICELOST;
}

HRESULT CKilnD3D::TestCooperativeLevel()
{
    CKilnAutoLock lock(&lock_);
    return device_ ? device_->TestCooperativeLevel() : D3DERR_INVALIDCALL;
}

IKilnD3DEffect* CKilnD3D::CreateEffect(const char* source)
{
    CKilnAutoLock lock(&lock_);
    ID3DXEffect* effect = nullptr;
    ComPtr<ID3DXBuffer> errors;
    const CreateEffectFunction compile = EffectCompiler();
    HRESULT result = E_FAIL;
    if (compile && device_ && source)
        result = compile(device_.Get(), source, static_cast<UINT>(std::strlen(source)), nullptr, nullptr, 0, nullptr,
                         &effect, errors.Receive());
    if (FAILED(result)) {
        effect = nullptr;
        std::string message;
        if (errors && errors->GetBufferPointer())
            message.assign(static_cast<const char*>(errors->GetBufferPointer()),
                           strnlen(static_cast<const char*>(errors->GetBufferPointer()), errors->GetBufferSize()));
        else if (!compile)
            message = "d3dx9_37.dll: D3DXCreateEffect is not available.";
        else if (!device_)
            message = "No device.";
        ::MessageBoxA(nullptr, message.c_str(), "ERROR", MB_OK);
    }
    return new (std::nothrow) CD3DEffect(this, effect);
}

bool CKilnD3D::GetVSync()
{
    CKilnAutoLock lock(&lock_);
    return vsync_ != 0;
}

void CKilnD3D::SetVSync(bool on)
{
    CKilnAutoLock lock(&lock_);
    vsync_ = on ? 1 : 0;
}

bool CKilnD3D::GetSecondFlag()
{
    CKilnAutoLock lock(&lock_);
    return secondFlag_ != 0;
}

void CKilnD3D::SetSecondFlag(bool on)
{
    CKilnAutoLock lock(&lock_);
    secondFlag_ = on ? 1 : 0;
}

void CKilnD3D::AddLostable(ILostable* object)
{
    CKilnAutoLock lock(&lock_);
    if (object && std::find(lostables_.begin(), lostables_.end(), object) == lostables_.end())
        lostables_.push_back(object);
}

void CKilnD3D::RemoveLostable(ILostable* object)
{
    CKilnAutoLock lock(&lock_);
    lostables_.erase(std::remove(lostables_.begin(), lostables_.end(), object), lostables_.end());
}

}  // namespace Kiln
