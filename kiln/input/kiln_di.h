#pragma once

#include "kiln/core/guid.h"
#include "kiln/core/kiln_interface.h"

namespace Kiln {

// The DirectInput service. Devices are opened by the input state object once the launcher
// window exists; until then the service holds nothing.
class IKilnDI : public IKilnInterface {
public:
    virtual IKilnInterface* CreateInstance(const Guid& classId) = 0;
    virtual void Finalize() = 0;
};

class CKilnDI : public RefCounted<IKilnDI> {
public:
    IKilnInterface* CreateInstance(const Guid& classId) override;
    void Finalize() override;
};

}  // namespace Kiln
