#pragma once

#include <cstdint>

#include "kiln/sound/sound_reader.h"

namespace Kiln {

// Fills a locked sound buffer: silence first (128 for 8-bit samples, 0 otherwise), then one
// read of the whole size from the reader, so whatever the sound does not cover stays silent.
void FillSoundBuffer(void* buffer, uint32_t size, uint16_t bitsPerSample, ISoundReader& reader);

}  // namespace Kiln
