#pragma once

#include <windows.h>

#include "kiln/base/scoped_win.h"
#include "kiln/file/data_stream.h"

namespace Kiln {

class CStdFileStream : public RefCounted<IStdFileStream> {
public:
    bool IsEOF() override { return position_ == size_; }
    uint32_t GetSize() override { return size_; }
    uint32_t GetPosition() override { return position_; }
    void Seek(int offset, int origin) override;
    uint32_t Read(void* buffer, uint32_t elementSize, uint32_t count) override;
    bool OpenMemory(const void* block, uint32_t size) override;
    bool OpenFile(const char* name) override;
    void Close() override;

private:
    bool open_ = false;
    bool memory_ = false;
    const uint8_t* block_ = nullptr;
    UniqueFileHandle file_;
    uint32_t size_ = 0;
    uint32_t position_ = 0;
};

}  // namespace Kiln
