#pragma once

namespace Kiln {

// A graphics object holding device resources that do not survive a device reset. The
// service tells every registered one before a reset (and when the device goes) and again
// after a successful reset.
class ILostable {
public:
    virtual void OnLostDevice() = 0;
    virtual void OnResetDevice() = 0;
    virtual ~ILostable() = default;
};

}  // namespace Kiln
