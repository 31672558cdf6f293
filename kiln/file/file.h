#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kiln/base/kiln_interface.h"

namespace Kiln {

// A file read whole into memory when opened; reads and seeks are memory copies.
class IFile : public IKilnInterface {
public:
    virtual bool IsEOF() = 0;
    virtual uint32_t GetSize() = 0;
    // Returns the bytes copied.
    virtual uint32_t Read(void* buffer, uint32_t length) = 0;
    virtual uint32_t GetPosition() = 0;
    // Absolute; a position past the end ends at the end.
    virtual void Seek(uint32_t position) = 0;
    // Relative names are resolved against the root directory.
    virtual bool Open(const char* name) = 0;
};

class CFile : public RefCounted<IFile> {
public:
    bool IsEOF() override;
    uint32_t GetSize() override { return size_; }
    uint32_t Read(void* buffer, uint32_t length) override;
    uint32_t GetPosition() override { return position_; }
    void Seek(uint32_t position) override;
    bool Open(const char* name) override;

private:
    enum Mode : int32_t { kClosed = 0, kMemoryImage = 1 };

    void Close();

    Mode mode_ = kClosed;
    uint32_t size_ = 0;
    uint32_t position_ = 0;
    // Shared so that a reopened or destroyed file object frees the contents exactly once.
    std::shared_ptr<std::vector<uint8_t>> contents_;
};

}  // namespace Kiln
