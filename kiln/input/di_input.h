#pragma once

#include "kiln/input/kiln_di.h"

namespace Kiln {

// A DirectInput device opened by the service. It keeps the service alive while it lives.
class CDIInput : public RefCounted<IDIInput> {
public:
    // Takes over `device` (which may be empty) and a reference on `owner`.
    CDIInput(IKilnDI* owner, ComPtr<IDirectInputDevice8A> device);
    // Unacquires and releases the device, then lets go of the service.
    ~CDIInput() override;

    HRESULT Poll() override;
    HRESULT GetState(DWORD size, void* buffer) override;

private:
    KilnHandle<IKilnDI> owner_;
    ComPtr<IDirectInputDevice8A> device_;
};

}  // namespace Kiln
