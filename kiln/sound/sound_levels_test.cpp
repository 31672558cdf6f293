#include "kiln/sound/sound_levels.h"

#include <gtest/gtest.h>

namespace Kiln::SoundLevels {
namespace {

TEST(SoundLevelsTest, VolumeIsTheSquareOfTheDistanceFromFull)
{
    EXPECT_EQ(VolumeToDirectSound(100), 0);
    EXPECT_EQ(VolumeToDirectSound(50), -2500);
    EXPECT_EQ(VolumeToDirectSound(0), -10000);
    EXPECT_EQ(VolumeToDirectSound(-5), -10000);
    EXPECT_EQ(VolumeToDirectSound(150), 0);
    EXPECT_EQ(VolumeToDirectSound(99), -1);
    EXPECT_EQ(VolumeFromDirectSound(0), 100);
    EXPECT_EQ(VolumeFromDirectSound(-10000), 0);
    EXPECT_EQ(VolumeFromDirectSound(-2600), 50);  // between squares: truncated
    for (int v = 0; v <= 100; ++v)
        EXPECT_EQ(VolumeFromDirectSound(VolumeToDirectSound(v)), v);
}

TEST(SoundLevelsTest, PanIsASignedSquare)
{
    EXPECT_EQ(PanToDirectSound(-50), -2500);
    EXPECT_EQ(PanToDirectSound(50), 2500);
    EXPECT_EQ(PanToDirectSound(0), 0);
    EXPECT_EQ(PanToDirectSound(-101), -10000);
    EXPECT_EQ(PanToDirectSound(300), 10000);
    EXPECT_EQ(PanFromDirectSound(0), 0);
    EXPECT_EQ(PanFromDirectSound(-2500), -50);
    EXPECT_EQ(PanFromDirectSound(-2501), -50);
    for (int p = -100; p <= 100; ++p)
        EXPECT_EQ(PanFromDirectSound(PanToDirectSound(p)), p);
}

TEST(SoundLevelsTest, FrequencyIsAPercentOfTheSoundsRate)
{
    EXPECT_EQ(FrequencyToDirectSound(44100, 100), 44100u);
    EXPECT_EQ(FrequencyToDirectSound(44100, 50), 22050u);
    EXPECT_EQ(FrequencyToDirectSound(22050, 33), 7276u);  // 7276.5 truncated
    EXPECT_EQ(FrequencyToDirectSound(44100, 0), 0u);
    EXPECT_EQ(FrequencyFromDirectSound(44100, 22050), 50);
    EXPECT_EQ(FrequencyFromDirectSound(44100, 14553), 33);
    EXPECT_EQ(FrequencyFromDirectSound(22050, 7276), 32);
    EXPECT_EQ(FrequencyFromDirectSound(0, 7276), 0);
}

}  // namespace
}  // namespace Kiln::SoundLevels
