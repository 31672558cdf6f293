#pragma once

#include <cstdint>

#include "kiln/file/data_stream.h"

// Byte-exact reads over IDataStream, whose Read counts whole elements only.
namespace Kiln {

// Reads `length` bytes as one element: true only when all of them arrived.
inline bool ReadExact(IDataStream& stream, void* buffer, uint32_t length)
{
    return length == 0 || stream.Read(buffer, length, 1) == 1;
}

// Reads up to `length` bytes with one call and returns how many arrived. Every stream of the
// runtime copies a short tail and advances past it, so the position tells the count.
inline uint32_t ReadSome(IDataStream& stream, void* buffer, uint32_t length)
{
    if (length == 0)
        return 0;
    const uint32_t before = stream.GetPosition();
    if (stream.Read(buffer, length, 1) == 1)
        return length;
    const uint32_t after = stream.GetPosition();
    return after > before && after - before < length ? after - before : 0;
}

}  // namespace Kiln
