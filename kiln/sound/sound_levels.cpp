#include "kiln/sound/sound_levels.h"

#include <cmath>
#include <cstdlib>

namespace Kiln::SoundLevels {
namespace {

// Squares and square roots are computed exactly: the same values through powers of ten in
// single precision fall just short of whole numbers (2499.9995 for 50^2), which truncation
// would turn into the wrong step.
int32_t Square(int32_t v)
{
    return v * v;
}

int32_t SquareRoot(int64_t v)
{
    int64_t root = static_cast<int64_t>(std::sqrt(static_cast<double>(v)));
    while (root * root > v)
        --root;
    while ((root + 1) * (root + 1) <= v)
        ++root;
    return static_cast<int32_t>(root);
}

}  // namespace

int32_t VolumeToDirectSound(int32_t volume)
{
    if (volume < 0)
        return -10000;
    if (volume > 100)
        return 0;
    return -Square(100 - volume);
}

int32_t VolumeFromDirectSound(int32_t attenuation)
{
    // 100 - sqrt(d) lies between whole numbers unless d is a square, and truncating it is
    // taking the root upward: 100 - ceil(sqrt(d)).
    const int64_t d = attenuation >= 0 ? 0 : (attenuation <= -10000 ? 10000 : -int64_t{attenuation});
    int32_t root = SquareRoot(d);
    if (int64_t{root} * root < d)
        ++root;
    return 100 - root;
}

int32_t PanToDirectSound(int32_t pan)
{
    if (pan < -100)
        return -10000;
    if (pan > 100)
        return 10000;
    return pan < 0 ? -Square(-pan) : Square(pan);
}

int32_t PanFromDirectSound(int32_t pan)
{
    const int32_t root = SquareRoot(std::llabs(pan));
    return pan < 0 ? -root : root;
}

uint32_t FrequencyToDirectSound(uint32_t samplesPerSec, int32_t percent)
{
    const int64_t frequency = int64_t{samplesPerSec} * (percent < 0 ? 0 : percent) / 100;
    return frequency > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(frequency);
}

int32_t FrequencyFromDirectSound(uint32_t samplesPerSec, uint32_t frequency)
{
    if (samplesPerSec == 0)
        return 0;
    return static_cast<int32_t>(uint64_t{frequency} * 100 / samplesPerSec);
}

}  // namespace Kiln::SoundLevels
