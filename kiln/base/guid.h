#pragma once

#include <cstdint>
#include <cstring>

namespace Kiln {

// Class id of a framework object; laid out like the Windows GUID.
struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];

    friend bool operator==(const Guid& a, const Guid& b)
    {
        return std::memcmp(&a, &b, sizeof(Guid)) == 0;
    }
    friend bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }
};

}  // namespace Kiln
