#pragma once

#include <cstdint>

#include "kiln/sound/sound_reader.h"

namespace Kiln {

// PCM sound from a RIFF/WAVE file. Chunks are found by a byte-wise search from the start of
// the file, so the first "fmt " and "data" anywhere in it are the ones used.
class CWavRead : public RefCounted<ISoundReader> {
public:
    bool Open(IDataStream* stream) override;
    bool Read(uint32_t size, void* buffer, uint32_t& read) override;
    void Rewind() override;
    void GetFormat(WaveFormat& format) override { format = format_; }
    uint32_t GetLength() override { return length_; }
    uint32_t GetPosition() override;
    void SetPosition(uint32_t milliseconds) override;
    void Close() override;

private:
    bool ReadHeader(IDataStream& stream);
    // The size field of the first chunk with this id, the stream then at its first data byte;
    // 0 when there is none.
    uint32_t FindChunk(IDataStream& stream, const char* id);

    WaveFormat format_{};
    bool open_ = false;
    KilnHandle<IDataStream> stream_;
    uint32_t dataStart_ = 0;
    uint32_t length_ = 0;
    uint32_t position_ = 0;  // bytes of the data chunk read
    uint32_t dataSize_ = 0;
};

}  // namespace Kiln
