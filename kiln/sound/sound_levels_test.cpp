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
    for (int v = 0; v <= 100; ++v)
        EXPECT_EQ(VolumeFromDirectSound(VolumeToDirectSound(v)), v);
}

TEST(SoundLevelsTest, VolumeFromALevelIsOneHundredLessItsRootTruncated)
{
    const struct {
        int32_t level;
        int32_t volume;
    } cases[] = {
        {0, 100},     {-1, 99},   {-2, 98},       // 100 - 1.41 = 98.59
        {-100, 90},   {-101, 89}, {-2400, 51},    // 100 - 48.99 = 51.01
        {-2500, 50},  {-2501, 49}, {-2600, 49},   // 100 - 50.99 = 49.01
        {-9801, 1},   {-9802, 0}, {-10000, 0},
        {-20000, 0},  {5, 100},                   // outside DirectSound's range: its ends
    };
    for (const auto& c : cases)
        EXPECT_EQ(VolumeFromDirectSound(c.level), c.volume) << c.level;

    // Every level: the volume v is the largest with v <= 100 - sqrt(d), that is with
    // (100 - v)^2 >= d, found here by counting up instead of taking a root.
    int32_t k = 0;
    for (int32_t d = 0; d <= 10000; ++d) {
        while (k * k < d)
            ++k;
        ASSERT_EQ(VolumeFromDirectSound(-d), 100 - k) << -d;
    }
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
