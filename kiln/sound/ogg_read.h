#pragma once

#include <cstdint>
#include <memory>

#include "kiln/sound/sound_reader.h"

struct OggVorbis_File;

namespace Kiln {

// Ogg Vorbis through vorbisfile, read through the stream; delivers 16-bit signed samples.
class COGGRead : public RefCounted<ISoundReader> {
public:
    COGGRead();
    ~COGGRead() override;

    bool Open(IDataStream* stream) override;
    bool Read(uint32_t size, void* buffer, uint32_t& read) override;
    void Rewind() override;
    void GetFormat(WaveFormat& format) override { format = format_; }
    uint32_t GetLength() override { return length_; }
    uint32_t GetPosition() override;
    void SetPosition(uint32_t milliseconds) override;
    void Close() override;

private:
    bool open_ = false;
    KilnHandle<IDataStream> stream_;
    uint32_t length_ = 0;
    std::unique_ptr<OggVorbis_File> file_;
    WaveFormat format_{};
};

}  // namespace Kiln
