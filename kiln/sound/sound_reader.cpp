#include "kiln/sound/sound_reader.h"

#include <cmath>
#include <limits>

namespace Kiln {

bool MakePcmFormat(uint32_t channels, uint32_t samplesPerSec, uint32_t bitsPerSample, WaveFormat& format)
{
    const uint64_t blockAlign = uint64_t{channels} * bitsPerSample / 8;
    const uint64_t bytesPerSec = blockAlign * samplesPerSec;
    if (blockAlign == 0 || blockAlign > 0xFFFF || bytesPerSec == 0 || bytesPerSec > 0xFFFFFFFFu ||
        channels > 0xFFFF || bitsPerSample > 0xFFFF)
        return false;
    format.formatTag = kWaveFormatPcm;
    format.channels = static_cast<uint16_t>(channels);
    format.samplesPerSec = samplesPerSec;
    format.avgBytesPerSec = static_cast<uint32_t>(bytesPerSec);
    format.blockAlign = static_cast<uint16_t>(blockAlign);
    format.bitsPerSample = static_cast<uint16_t>(bitsPerSample);
    format.cbSize = 18;
    return true;
}

uint32_t TruncateToUint32(double value)
{
    if (!(value > 0))  // also NaN
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<uint32_t>::max()))
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(value);
}

}  // namespace Kiln
