// WAV files a player can replace, through the WAV reader and the buffer fill.
#include <algorithm>
#include <vector>

#include "kiln/sound/sound_fill.h"
#include "kiln/sound/wav_read.h"
#include "kiln/file/byte_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto stream = Kiln::KilnHandle<Kiln::CByteStream>::Adopt(new Kiln::CByteStream(data, size));
    auto reader = Kiln::KilnHandle<Kiln::CWavRead>::Adopt(new Kiln::CWavRead);
    if (!reader->Open(stream.Get()))
        return 0;
    Kiln::WaveFormat format;
    reader->GetFormat(format);
    const uint32_t bufferBytes = std::min<uint32_t>(
        Kiln::TruncateToUint32(reader->GetLength() / 1000.0 * format.avgBytesPerSec), 1 << 20);
    std::vector<uint8_t> buffer(bufferBytes + 1);
    Kiln::FillSoundBuffer(buffer.data(), bufferBytes, format.bitsPerSample, *reader);

    reader->Rewind();
    uint32_t read = 0;
    std::vector<uint8_t> chunk(4096);
    while (reader->Read(static_cast<uint32_t>(chunk.size()), chunk.data(), read)) {
        if (read > chunk.size())
            __builtin_trap();
    }
    for (uint32_t ms : {0u, 1u, reader->GetLength() / 2, reader->GetLength(), 0xFFFFFFFFu}) {
        reader->SetPosition(ms);
        reader->Read(16, chunk.data(), read);
        reader->GetPosition();
    }
    reader->Close();
    return 0;
}
