#include "kiln/graphics/kiln_d3d.h"

#include "kiln/base/class_ids.h"

namespace Kiln {
namespace {

// Shared by every live service: the first one creates Direct3D, the last one releases it.
struct GraphicsProcessState {
    IDirect3D9* direct3D = nullptr;
    int liveServices = 0;
};

GraphicsProcessState& ProcessState()
{
    static GraphicsProcessState state;
    return state;
}

}  // namespace

CKilnD3D::CKilnD3D()
{
    GraphicsProcessState& state = ProcessState();
    if (state.liveServices++ == 0)
        state.direct3D = ::Direct3DCreate9(32);
}

CKilnD3D::~CKilnD3D()
{
    ReleaseDevice();
    GraphicsProcessState& state = ProcessState();
    if (--state.liveServices == 0 && state.direct3D) {
        state.direct3D->Release();
        state.direct3D = nullptr;
    }
}

IDirect3D9* CKilnD3D::GetDirect3D()
{
    return ProcessState().direct3D;
}

IKilnInterface* CKilnD3D::CreateInstance(const Guid& classId)
{
    CKilnAutoLock lock(&lock_);
    // These two hand out the Direct3D objects themselves, without a new reference, for
    // callers that know what they get.
    if (classId == ClassId::Direct3DObject)
        return reinterpret_cast<IKilnInterface*>(GetDirect3D());
    if (classId == ClassId::Direct3DDevice)
        return reinterpret_cast<IKilnInterface*>(device_.Get());
    return nullptr;
}

bool CKilnD3D::ReleaseDevice()
{
    CKilnAutoLock lock(&lock_);
    if (!device_)
        return false;
    device_.Reset();
    return true;
}

}  // namespace Kiln
