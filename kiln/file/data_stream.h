#pragma once

#include <cstdint>

#include "kiln/base/kiln_interface.h"

namespace Kiln {

// Seek origins of IDataStream::Seek.
enum SeekOrigin : int {
    kSeekBegin = 0,
    kSeekCurrent = 1,
    kSeekEnd = 2,  // offset counts back from the end
};

// Where a stream seek lands: computed in unsigned 32-bit arithmetic (an offset before the
// start wraps around) and clamped to the size. False for an unknown origin.
inline bool SeekTarget(int offset, int origin, uint32_t position, uint32_t size, uint32_t& target)
{
    switch (origin) {
    case kSeekBegin:
        target = static_cast<uint32_t>(offset);
        break;
    case kSeekCurrent:
        target = position + static_cast<uint32_t>(offset);
        break;
    case kSeekEnd:
        target = size - static_cast<uint32_t>(offset);
        break;
    default:
        return false;
    }
    if (target > size)
        target = size;
    return true;
}

// A readable stream: what the image decoders and sound readers read from.
class IDataStream : public IKilnInterface {
public:
    virtual bool IsEOF() = 0;
    virtual uint32_t GetSize() = 0;
    virtual uint32_t GetPosition() = 0;
    // The new position is clamped to the size; an unknown origin does nothing.
    virtual void Seek(int offset, int origin) = 0;
    // Reads whole elements; returns how many complete elements were read.
    virtual uint32_t Read(void* buffer, uint32_t elementSize, uint32_t count) = 0;
};

// A stream over a caller's memory block or an open file.
class IStdFileStream : public IDataStream {
public:
    // The block is neither copied nor owned: it must outlive the stream's use.
    virtual bool OpenMemory(const void* block, uint32_t size) = 0;
    // Opens a file by its name as given (no root directory).
    virtual bool OpenFile(const char* name) = 0;
    virtual void Close() = 0;
};

}  // namespace Kiln
