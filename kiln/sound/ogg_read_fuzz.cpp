// Ogg Vorbis files a player can replace, through the Ogg reader.
#include <vector>

#include "kiln/sound/ogg_read.h"
#include "kiln/file/byte_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto stream = Kiln::KilnHandle<Kiln::CByteStream>::Adopt(new Kiln::CByteStream(data, size));
    auto reader = Kiln::KilnHandle<Kiln::COGGRead>::Adopt(new Kiln::COGGRead);
    if (!reader->Open(stream.Get()))
        return 0;
    std::vector<uint8_t> chunk(1 << 16);
    uint32_t read = 0;
    // A hostile header may promise hours of sound: a bounded number of reads is enough.
    for (int i = 0; i < 64 && reader->Read(static_cast<uint32_t>(chunk.size()), chunk.data(), read) && read > 0; ++i) {
        if (read > chunk.size())
            __builtin_trap();
    }
    for (uint32_t ms : {0u, 10u, reader->GetLength() / 2, 0xFFFFFFFFu}) {
        reader->SetPosition(ms);
        reader->Read(64, chunk.data(), read);
        reader->GetPosition();
    }
    reader->Rewind();
    reader->Close();
    return 0;
}
