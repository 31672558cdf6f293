#include "kiln/input/di_input.h"

#include <utility>

namespace Kiln {
namespace {

const HRESULT kNoDevice = HRESULT_FROM_WIN32(ERROR_NOT_READY);

}  // namespace

CDIInput::CDIInput(IKilnDI* owner, ComPtr<IDirectInputDevice8A> device) : device_(std::move(device))
{
    if (owner) {
        owner->AddRef();
        owner_ = KilnHandle<IKilnDI>::Adopt(owner);
    }
}

CDIInput::~CDIInput()
{
    if (device_)
        device_->Unacquire();
    device_.Reset();
    owner_.Reset();
}

HRESULT CDIInput::Poll()
{
    return device_ ? device_->Poll() : kNoDevice;
}

HRESULT CDIInput::GetState(DWORD size, void* buffer)
{
    return device_ ? device_->GetDeviceState(size, buffer) : kNoDevice;
}

}  // namespace Kiln
