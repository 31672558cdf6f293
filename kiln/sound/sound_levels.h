#pragma once

#include <cstdint>

// The sound buffer's percentage units and DirectSound's own: volume in hundredths of a
// decibel (-10000 to 0), pan from -10000 (left) to 10000 (right), frequency in Hz.
namespace Kiln::SoundLevels {

// 0..100 -> -(100 - v)^2; below 0 is silence (-10000), above 100 full volume (0).
int32_t VolumeToDirectSound(int32_t volume);
// 100 - sqrt(-d), truncated toward zero; d outside -10000..0 is taken at the nearer end.
int32_t VolumeFromDirectSound(int32_t attenuation);

// -100..100 -> -(p^2) or p^2, clamped to +-10000.
int32_t PanToDirectSound(int32_t pan);
// sqrt(|q|) truncated, with the sign of q.
int32_t PanFromDirectSound(int32_t pan);

// The sound's own rate x percent / 100, truncated (percent >= 0).
uint32_t FrequencyToDirectSound(uint32_t samplesPerSec, int32_t percent);
// frequency / rate x 100, truncated; 0 without a rate.
int32_t FrequencyFromDirectSound(uint32_t samplesPerSec, uint32_t frequency);

}  // namespace Kiln::SoundLevels
