#include "kiln/core/kiln_std.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <memory>
#include <new>

#include "kiln/base/class_ids.h"
#include "kiln/core/std_math.h"
#include "kiln/file/std_file_stream.h"
#include "kiln/image/std_graphics_loader.h"
#include "kiln/support/std_fps_wait.h"

namespace Kiln {
namespace {

uint32_t SystemMilliseconds()
{
    return ::timeGetTime();
}

}  // namespace

CKilnStd::CKilnStd()
{
    StdMath::BuildTables();
}

IKilnInterface* CKilnStd::CreateInstance(const Guid& classId)
{
    if (classId == ClassId::StdGraphicsLoader)
        return new (std::nothrow) CStdGraphicsLoader;
    if (classId == ClassId::StdFileStream)
        return new (std::nothrow) CStdFileStream;
    if (classId == ClassId::StdFPSWait)
        return new (std::nothrow) CStdFPSWait(SystemMilliseconds);
    return nullptr;
}

void CKilnStd::Swap(int32_t* a, int32_t* b)
{
    const int32_t t = *a;
    *a = *b;
    *b = t;
}

void* CKilnStd::Copy(void* destination, const void* source, uint32_t length)
{
    if (!destination || !source)
        return nullptr;
    return std::memcpy(destination, source, length);
}

void CKilnStd::Exchange(void* a, void* b, uint32_t length)
{
    if (!a || !b || length == 0)
        return;
    std::unique_ptr<uint8_t[]> temporary(new (std::nothrow) uint8_t[length]);
    if (!temporary)
        return;
    std::memcpy(temporary.get(), a, length);
    std::memcpy(a, b, length);
    std::memcpy(b, temporary.get(), length);
}

void CKilnStd::CopyRepeated(void* destination, const void* source, uint32_t length, uint32_t count)
{
    auto* out = static_cast<uint8_t*>(destination);
    for (uint32_t i = 0; i < count; ++i, out += length)
        std::memcpy(out, source, length);
}

void CKilnStd::Fill16(uint16_t* destination, uint32_t count, uint16_t value)
{
    for (uint32_t i = 0; i < count; ++i)
        destination[i] = value;
}

void CKilnStd::Fill32(uint32_t* destination, uint32_t count, uint32_t value)
{
    for (uint32_t i = 0; i < count; ++i)
        destination[i] = value;
}

float CKilnStd::Sin(float degrees)
{
    return StdMath::Sin(degrees);
}

float CKilnStd::Cos(float degrees)
{
    return StdMath::Cos(degrees);
}

float CKilnStd::ArcTangent(int32_t y, int32_t x)
{
    return StdMath::ArcTangent(y, x);
}

float CKilnStd::Power(float x, int32_t n)
{
    return StdMath::Power(x, n);
}

}  // namespace Kiln
