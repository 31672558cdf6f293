#pragma once

#include <cstdint>

#include "kiln/base/kiln_interface.h"
#include "kiln/file/data_stream.h"

namespace Kiln {

// The PCM format a reader delivers, laid out like the Windows WAVEFORMATEX (18 bytes).
#pragma pack(push, 2)
struct WaveFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSec;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormat) == 18, "WaveFormat must match WAVEFORMATEX");

constexpr uint16_t kWaveFormatPcm = 1;

// Fills in a PCM format: block alignment, bytes per second and cbSize follow from the other
// fields. False when they do not fit their fields or come out 0 (no channels, no bits, no rate).
bool MakePcmFormat(uint32_t channels, uint32_t samplesPerSec, uint32_t bitsPerSample, WaveFormat& format);

// Decodes a sound from a stream into PCM.
class ISoundReader : public IKilnInterface {
public:
    virtual bool Open(IDataStream* stream) = 0;
    // Delivers up to `size` bytes; `read` receives how many.
    virtual bool Read(uint32_t size, void* buffer, uint32_t& read) = 0;
    virtual void Rewind() = 0;
    virtual void GetFormat(WaveFormat& format) = 0;
    // Milliseconds.
    virtual uint32_t GetLength() = 0;
    virtual uint32_t GetPosition() = 0;
    virtual void SetPosition(uint32_t milliseconds) = 0;
    virtual void Close() = 0;
};

// Milliseconds (or any count) from a floating value, truncated toward zero and kept inside
// the 32-bit range, since a file's numbers may be absurd.
uint32_t TruncateToUint32(double value);

}  // namespace Kiln
