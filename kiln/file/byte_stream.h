#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "kiln/file/data_stream.h"

namespace Kiln {

// A stream over bytes it owns, for code that has a whole file in memory (the maker's tool,
// tests and fuzz targets).
// Seeks clamp to the size; reads count whole elements and copy a short tail without counting it.
class CByteStream : public RefCounted<IDataStream> {
public:
    explicit CByteStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    CByteStream(const void* data, size_t size)
        : bytes_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size)
    {
    }

    bool IsEOF() override { return position_ == Size(); }
    uint32_t GetSize() override { return Size(); }
    uint32_t GetPosition() override { return position_; }

    void Seek(int offset, int origin) override { SeekTarget(offset, origin, position_, Size(), position_); }

    uint32_t Read(void* buffer, uint32_t elementSize, uint32_t count) override
    {
        if (elementSize == 0 || count == 0)
            return 0;
        const uint64_t wanted = uint64_t{elementSize} * count;
        const uint32_t left = Size() - position_;
        const auto bytes = static_cast<uint32_t>(std::min<uint64_t>(wanted, left));
        if (bytes == 0)
            return 0;  // an empty stream has no data pointer to copy from
        std::memcpy(buffer, bytes_.data() + position_, bytes);
        position_ += bytes;
        return bytes / elementSize;
    }

private:
    uint32_t Size() const { return static_cast<uint32_t>(bytes_.size()); }

    std::vector<uint8_t> bytes_;
    uint32_t position_ = 0;
};

}  // namespace Kiln
