#include "kiln/core/std_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Kiln::StdMath {
namespace {

constexpr double kPi = 3.14159265358979323846;

class StdMathTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { BuildTables(); }
};

TEST_F(StdMathTest, SineTableFollowsTheSineOverOneTurn)
{
    EXPECT_EQ(SineTableEntry(0), 0.0f);
    EXPECT_NEAR(SineTableEntry(16384), 1.0f, 1e-7);
    EXPECT_NEAR(SineTableEntry(49152), -1.0f, 1e-7);
    for (int i = 0; i < kSineTableSize; i += 7)
        ASSERT_NEAR(SineTableEntry(i), std::sin(2.0 * kPi * i / 65536.0), 2e-6) << i;
}

TEST_F(StdMathTest, ArcTangentTableRunsFromMinusToPlus45Degrees)
{
    EXPECT_EQ(ArcTangentTableEntry(0), -45.0f);
    EXPECT_EQ(ArcTangentTableEntry(32768), 0.0f);
    EXPECT_EQ(ArcTangentTableEntry(65536), 45.0f);
    for (int j = 0; j < kArcTangentTableSize; j += 11)
        ASSERT_NEAR(ArcTangentTableEntry(j), std::atan(j / 32768.0 - 1.0) * 180.0 / kPi, 1e-5) << j;
}

TEST_F(StdMathTest, SineAndCosineMatchTheLibraryInDegrees)
{
    EXPECT_NEAR(Sin(30.0f), 0.5f, 1e-6);
    EXPECT_NEAR(Sin(90.0f), 1.0f, 1e-6);
    EXPECT_NEAR(Sin(-90.0f), -1.0f, 1e-6);
    EXPECT_NEAR(Cos(60.0f), 0.5f, 1e-6);
    EXPECT_NEAR(Cos(180.0f), -1.0f, 1e-6);
    for (float degrees = -720.0f; degrees <= 720.0f; degrees += 0.37f) {
        const double radians = degrees * kPi / 180.0;
        ASSERT_NEAR(Sin(degrees), std::sin(radians), 5e-6) << degrees;
        ASSERT_NEAR(Cos(degrees), std::cos(radians), 5e-6) << degrees;
    }
}

TEST_F(StdMathTest, HugeOrInvalidAnglesStayInsideTheTable)
{
    EXPECT_TRUE(std::isfinite(Sin(3.0e38f)));
    EXPECT_TRUE(std::isfinite(Cos(-3.0e38f)));
    EXPECT_TRUE(std::isfinite(Sin(std::nanf(""))));
    EXPECT_TRUE(std::isfinite(Cos(INFINITY)));
}

TEST_F(StdMathTest, ArcTangentCoversEveryQuadrant)
{
    EXPECT_EQ(ArcTangent(0, 0), 0.0f);
    EXPECT_EQ(ArcTangent(1, 0), 90.0f);
    EXPECT_EQ(ArcTangent(-1, 0), -90.0f);
    EXPECT_EQ(ArcTangent(0, 1), 0.0f);
    EXPECT_EQ(ArcTangent(0, -1), 180.0f);
    EXPECT_EQ(ArcTangent(1, 1), 45.0f);
    EXPECT_EQ(ArcTangent(-1, -1), -135.0f);
    for (int y = -1000; y <= 1000; y += 37) {
        for (int x = -1000; x <= 1000; x += 41) {
            if (x == 0 && y == 0)
                continue;
            ASSERT_NEAR(ArcTangent(y, x), std::atan2(y, x) * 180.0 / kPi, 0.002) << y << "," << x;
        }
    }
}

TEST_F(StdMathTest, ArcTangentOfExtremeIntegers)
{
    EXPECT_NEAR(ArcTangent(INT32_MIN, INT32_MAX), -45.0f, 0.002);
    EXPECT_NEAR(ArcTangent(INT32_MAX, INT32_MIN), 135.0f, 0.002);
    EXPECT_NEAR(ArcTangent(INT32_MIN, 0), -90.0f, 0.002);
}

TEST_F(StdMathTest, PowerMultipliesOrDividesRepeatedly)
{
    EXPECT_EQ(Power(7.5f, 0), 1.0f);
    EXPECT_EQ(Power(0.0f, 0), 1.0f);
    EXPECT_EQ(Power(2.0f, 10), 1024.0f);
    EXPECT_EQ(Power(-2.0f, 3), -8.0f);
    EXPECT_EQ(Power(2.0f, -3), 0.125f);
    for (int n = 0; n < 127; ++n)
        ASSERT_EQ(Power(2.0f, n), std::ldexp(1.0f, n)) << n;
    for (int n = -40; n <= 40; ++n)
        ASSERT_NEAR(Power(1.1f, n), std::pow(1.1f, static_cast<float>(n)),
                    std::pow(1.1, n) * 1e-5) << n;
    EXPECT_EQ(Power(0.5f, 200), 0.0f);
}

}  // namespace
}  // namespace Kiln::StdMath
