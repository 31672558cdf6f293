#pragma once

#include <windows.h>
#include <d3d9.h>

#include "kiln/base/guid.h"
#include "kiln/base/kiln_interface.h"
#include "kiln/base/scoped_win.h"
#include "kiln/support/critical_section.h"

namespace Kiln {

// The Direct3D 9 graphics service.
class IKilnD3D : public IKilnInterface {
public:
    virtual IKilnInterface* CreateInstance(const Guid& classId) = 0;
    // Releases the device and its resources; false when there is no device.
    virtual bool ReleaseDevice() = 0;
};

class CKilnD3D : public RefCounted<IKilnD3D> {
public:
    CKilnD3D();
    ~CKilnD3D() override;

    IKilnInterface* CreateInstance(const Guid& classId) override;
    bool ReleaseDevice() override;

    // The process-wide Direct3D object, or null when Direct3D 9 is missing.
    static IDirect3D9* GetDirect3D();

private:
    ComPtr<IDirect3DDevice9> device_;
    CCriticalSection lock_;
};

}  // namespace Kiln
