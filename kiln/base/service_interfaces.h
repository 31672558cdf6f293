#pragma once

#include <cstdint>

#include "kiln/base/guid.h"
#include "kiln/base/kiln_interface.h"

namespace Kiln {

// The standard service: object factory, memory helpers and table-driven math.
class IKilnStd : public IKilnInterface {
public:
    virtual IKilnInterface* CreateInstance(const Guid& classId) = 0;
    virtual void Swap(int32_t* a, int32_t* b) = 0;
    // Returns the destination, or null (copying nothing) when a pointer is null.
    virtual void* Copy(void* destination, const void* source, uint32_t length) = 0;
    virtual void Exchange(void* a, void* b, uint32_t length) = 0;
    // Copies one block `count` times to consecutive destinations.
    virtual void CopyRepeated(void* destination, const void* source, uint32_t length, uint32_t count) = 0;
    virtual void Fill16(uint16_t* destination, uint32_t count, uint16_t value) = 0;
    virtual void Fill32(uint32_t* destination, uint32_t count, uint32_t value) = 0;
    virtual float Sin(float degrees) = 0;
    virtual float Cos(float degrees) = 0;
    virtual float ArcTangent(int32_t y, int32_t x) = 0;
    virtual float Power(float x, int32_t n) = 0;
};

// The extension service: compressors, image plug-ins, the Ogg reader and image writers.
class IKilnExt : public IKilnInterface {
public:
    virtual IKilnInterface* CreateInstance(const Guid& classId) = 0;
    // Rows are `height` pointers to `width` pixels of 3 bytes R, G, B.
    virtual bool WriteBMP(int width, int height, const uint8_t* const* rows, const char* fileName) = 0;
    // quality -1 means 80
    virtual bool WriteJPEG(int width, int height, const uint8_t* const* rows, const char* fileName,
                           int quality) = 0;
    // level -1 means 6
    virtual bool WritePNG(int width, int height, const uint8_t* const* rows, const char* fileName,
                          int level) = 0;
};

}  // namespace Kiln
