#pragma once

#include <windows.h>
#include <dsound.h>

#include "kiln/base/guid.h"
#include "kiln/base/kiln_interface.h"
#include "kiln/base/scoped_win.h"

namespace Kiln {

// The DirectSound 8 sound service.
class IKilnDS : public IKilnInterface {
public:
    virtual IKilnInterface* CreateInstance(const Guid& classId) = 0;
    // Opens the default device for a window with a 44.1 kHz 16-bit stereo primary buffer.
    virtual bool Initialize(HWND window) = 0;
    virtual void Shutdown() = 0;
};

class CKilnDS : public RefCounted<IKilnDS> {
public:
    ~CKilnDS() override;

    IKilnInterface* CreateInstance(const Guid& classId) override;
    bool Initialize(HWND window) override;
    void Shutdown() override;

private:
    ComPtr<IDirectSound8> sound_;
    HWND window_ = nullptr;
};

}  // namespace Kiln
