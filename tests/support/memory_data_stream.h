#pragma once

#include <cstring>
#include <vector>

#include "kiln/file/data_stream.h"

namespace KilnTest {

// A data stream over bytes held in memory, for host tests and fuzz targets of the code that
// reads streams. It follows the runtime's streams: seeks clamp to the size, reads count whole
// elements and copy a partial tail without counting it.
class MemoryDataStream : public Kiln::RefCounted<Kiln::IDataStream> {
public:
    explicit MemoryDataStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    MemoryDataStream(const void* data, size_t size)
        : bytes_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size)
    {
    }

    bool IsEOF() override { return position_ == Size(); }
    uint32_t GetSize() override { return Size(); }
    uint32_t GetPosition() override { return position_; }

    void Seek(int offset, int origin) override
    {
        Kiln::SeekTarget(offset, origin, position_, Size(), position_);
    }

    uint32_t Read(void* buffer, uint32_t elementSize, uint32_t count) override
    {
        if (elementSize == 0 || count == 0)
            return 0;
        auto* out = static_cast<uint8_t*>(buffer);
        uint32_t complete = 0;
        for (uint32_t i = 0; i < count && position_ < Size(); ++i) {
            const uint32_t chunk = Size() - position_ < elementSize ? Size() - position_ : elementSize;
            std::memcpy(out, bytes_.data() + position_, chunk);
            position_ += chunk;
            out += chunk;
            if (chunk == elementSize)
                ++complete;
        }
        return complete;
    }

private:
    uint32_t Size() const { return static_cast<uint32_t>(bytes_.size()); }

    std::vector<uint8_t> bytes_;
    uint32_t position_ = 0;
};

}  // namespace KilnTest
