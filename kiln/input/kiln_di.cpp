#include "kiln/input/kiln_di.h"

#include <new>
#include <utility>

#include "kiln/base/catch_all.h"
#include "kiln/base/class_ids.h"
#include "kiln/input/di_input.h"
#include "kiln/input/joystick_inputs.h"

namespace Kiln {
namespace {

constexpr int kLastJoystickPosition = 15;
// Devices stay readable whichever window has the focus, and other programs keep them too.
constexpr DWORD kSharedBackground = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;

IDIInput* Wrap(IKilnDI* owner, ComPtr<IDirectInputDevice8A> device)
{
    return new (std::nothrow) CDIInput(owner, std::move(device));
}

}  // namespace

CKilnDI::CKilnDI() : CKilnDI(&::DirectInput8Create) {}

CKilnDI::CKilnDI(DirectInputFactory factory) : factory_(std::move(factory)) {}

CKilnDI::~CKilnDI()
{
    Finalize();
}

IKilnInterface* CKilnDI::CreateInstance(const Guid& classId)
{
    // The DirectInput object itself, without a new reference, for callers that know what
    // they get.
    if (classId == ClassId::DirectInputObject)
        return reinterpret_cast<IKilnInterface*>(directInput_.Get());
    return nullptr;
}

bool CKilnDI::Initialize(HINSTANCE instance)
{
    ComPtr<IDirectInput8A> created;
    void** out = reinterpret_cast<void**>(created.Receive());
    if (!factory_ || FAILED(factory_(instance, DIRECTINPUT_VERSION, IID_IDirectInput8A, out, nullptr)) ||
        !created)
        return false;
    directInput_ = std::move(created);
    return true;
}

void CKilnDI::Finalize()
{
    directInput_.Reset();
}

IDIInput* CKilnDI::CreateKeyboard()
{
    if (!directInput_)
        return nullptr;
    ComPtr<IDirectInputDevice8A> device;
    if (FAILED(directInput_->CreateDevice(GUID_SysKeyboard, device.Receive(), nullptr)) || !device)
        return nullptr;
    // A device that refuses a set-up step simply reports failures when it is read.
    device->SetDataFormat(&c_dfDIKeyboard);
    device->SetCooperativeLevel(nullptr, kSharedBackground);
    device->Acquire();
    return Wrap(this, std::move(device));
}

IDIInput* CKilnDI::CreateJoystick(int position)
{
    if (!directInput_ || position < 0 || position > kLastJoystickPosition)
        return nullptr;
    countdown_ = position;
    found_.Reset();
    directInput_->EnumDevices(DI8DEVCLASS_GAMECTRL, &CKilnDI::OnGameController, this, DIEDFL_ATTACHEDONLY);
    countdown_ = -1;
    ComPtr<IDirectInputDevice8A> device = std::move(found_);
    if (!device)
        return nullptr;

    device->SetDataFormat(&c_dfDIJoystick2);
    device->SetCooperativeLevel(nullptr, kSharedBackground);
    device->EnumObjects(&CKilnDI::OnAxis, device.Get(), DIDFT_AXIS);
    device->Acquire();
    return Wrap(this, std::move(device));
}

BOOL CALLBACK CKilnDI::OnGameController(LPCDIDEVICEINSTANCEA controller, LPVOID context)
{
    return CatchAll<BOOL>(DIENUM_STOP, [&]() -> BOOL {
        auto* self = static_cast<CKilnDI*>(context);
        if (self->countdown_ > 0) {
            --self->countdown_;
            return DIENUM_CONTINUE;
        }
        if (self->countdown_ < 0)  // already found, should the enumeration go on regardless
            return DIENUM_STOP;
        if (FAILED(self->directInput_->CreateDevice(controller->guidInstance, self->found_.Receive(), nullptr)))
            self->found_.Reset();
        self->countdown_ = -1;
        return DIENUM_STOP;
    });
}

BOOL CALLBACK CKilnDI::OnAxis(LPCDIDEVICEOBJECTINSTANCEA axis, LPVOID context)
{
    return CatchAll<BOOL>(DIENUM_CONTINUE, [&]() -> BOOL {
        auto* device = static_cast<IDirectInputDevice8A*>(context);
        DIPROPRANGE range = {};
        range.diph.dwSize = sizeof range;
        range.diph.dwHeaderSize = sizeof range.diph;
        range.diph.dwObj = axis->dwType;
        range.diph.dwHow = DIPH_BYID;
        range.lMin = kAxisRangeMin;
        range.lMax = kAxisRangeMax;
        device->SetProperty(DIPROP_RANGE, &range.diph);
        return DIENUM_CONTINUE;
    });
}

}  // namespace Kiln
