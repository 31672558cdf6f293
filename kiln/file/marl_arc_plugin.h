#pragma once

#include "kiln/file/data_stream.h"
#include "kiln/file/file.h"

namespace Kiln {

// A stream over a file object from the runtime's file controller.
class CMarlArcPlugin : public RefCounted<IDataStream> {
public:
    CMarlArcPlugin();

    // The file the stream reads; open it before reading.
    IFile* GetFile() const { return file_.Get(); }

    bool IsEOF() override;
    uint32_t GetSize() override;
    uint32_t GetPosition() override;
    void Seek(int offset, int origin) override;
    uint32_t Read(void* buffer, uint32_t elementSize, uint32_t count) override;

private:
    KilnHandle<IFile> file_;
};

}  // namespace Kiln
