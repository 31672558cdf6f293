#pragma once

#include <cstdint>

#include "kiln/base/service_interfaces.h"

namespace Kiln {

class CKilnStd : public RefCounted<IKilnStd> {
public:
    CKilnStd();

    IKilnInterface* CreateInstance(const Guid& classId) override;
    void Swap(int32_t* a, int32_t* b) override;
    void* Copy(void* destination, const void* source, uint32_t length) override;
    void Exchange(void* a, void* b, uint32_t length) override;
    void CopyRepeated(void* destination, const void* source, uint32_t length, uint32_t count) override;
    void Fill16(uint16_t* destination, uint32_t count, uint16_t value) override;
    void Fill32(uint32_t* destination, uint32_t count, uint32_t value) override;
    float Sin(float degrees) override;
    float Cos(float degrees) override;
    float ArcTangent(int32_t y, int32_t x) override;
    float Power(float x, int32_t n) override;
};

}  // namespace Kiln
