#include "kiln/sound/sound_fill.h"

#include <cstring>

namespace Kiln {

void FillSoundBuffer(void* buffer, uint32_t size, uint16_t bitsPerSample, ISoundReader& reader)
{
    std::memset(buffer, bitsPerSample == 8 ? 128 : 0, size);
    uint32_t read = 0;
    reader.Read(size, buffer, read);
}

}  // namespace Kiln
