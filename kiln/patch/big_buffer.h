#pragma once

#include <cstddef>
#include <cstdint>

// Scratch memory for a window of a file and its old ranges, left as the system hands it over
// (never zero-filled here). On Linux it asks for huge pages: faulting in tens of megabytes 4 KiB
// at a time costs as much as decoding them.
namespace Kiln::Patch {

class BigBuffer {
public:
    explicit BigBuffer(size_t size);
    ~BigBuffer();
    BigBuffer(const BigBuffer&) = delete;
    BigBuffer& operator=(const BigBuffer&) = delete;

    // Null when there was not enough memory.
    uint8_t* Get() const { return data_; }

private:
    uint8_t* data_ = nullptr;
    size_t size_;
};

}  // namespace Kiln::Patch
