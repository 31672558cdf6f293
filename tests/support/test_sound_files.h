#pragma once

#include <cstdint>
#include <vector>

// Sound files built in memory for the tests.
namespace KilnTest {

using Bytes = std::vector<uint8_t>;

struct WavShape {
    uint16_t formatTag = 1;
    uint16_t channels = 2;
    uint32_t samplesPerSec = 44100;
    uint16_t bitsPerSample = 16;
    Bytes data;
    // Size written in the data chunk header; the data's own size when 0.
    uint32_t declaredDataSize = 0;
};

// "RIFF" size "WAVE", a 16-byte "fmt " chunk, then the "data" chunk.
Bytes MakeWav(const WavShape& shape);

// `frames` sample frames of a quiet tone, encoded by libvorbisenc.
Bytes MakeOgg(int channels, int samplesPerSec, int frames);

}  // namespace KilnTest
