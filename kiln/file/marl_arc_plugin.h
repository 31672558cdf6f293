#pragma once

#include "kiln/file/data_stream.h"
#include "kiln/file/file.h"

namespace Kiln {

class IFileControler;

// A stream over a file object from the runtime's file controller.
class CMarlArcPlugin : public RefCounted<IDataStream> {
public:
    // Without a controller the stream reads through a plain file object, so a decoder used on
    // its own still reads.
    explicit CMarlArcPlugin(IFileControler* files);

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
