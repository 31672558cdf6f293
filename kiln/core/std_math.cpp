#include "kiln/core/std_math.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace Kiln::StdMath {
namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTableStep = 1.0f / 65536.0f;  // 2^-16
constexpr int kQuarterTurn = 16384;
constexpr int kArcTangentOrigin = 32768;

bool tablesBuilt = false;
std::vector<float> sineTable;
std::vector<float> arcTangentTable;

float Interpolation(float a, int i)
{
    return (a - static_cast<float>(i)) * kTableStep * 2.0f * kPi;
}

// Position on the 65,536-step circle; the integer part picks the table entry. Angles too
// large for an int are first reduced by whole turns (they keep no fraction anyway).
int TurnIndex(float degrees, float& a)
{
    a = degrees / 360.0f * 65536.0f;
    if (!(std::fabs(a) < 2147483520.0f))
        a = std::isfinite(a) ? std::fmod(a, 65536.0f) : 0.0f;
    return static_cast<int>(a);
}

}  // namespace

void FillSineTable(float* table)
{
    for (int i = 0; i < kSineTableSize; ++i)
        table[i] = std::sin(static_cast<float>(i) * kPi * 2.0f * kTableStep);
}

void BuildTables()
{
    if (tablesBuilt)
        return;
    sineTable.resize(kSineTableSize);
    FillSineTable(sineTable.data());
    arcTangentTable.resize(kArcTangentTableSize);
    for (int j = 0; j < kArcTangentTableSize; ++j) {
        const double x = static_cast<double>(j) / 32768.0 - 1.0;
        arcTangentTable[j] = static_cast<float>(std::atan(x) * 180.0 / 3.14159265358979323846);
    }
    tablesBuilt = true;
}

float SineTableEntry(int index)
{
    return sineTable[static_cast<size_t>(index)];
}

float ArcTangentTableEntry(int index)
{
    return arcTangentTable[static_cast<size_t>(index)];
}

float Sin(float degrees)
{
    float a;
    const int i = TurnIndex(degrees, a);
    return sineTable[i & 0xFFFF] + sineTable[(i + kQuarterTurn) & 0xFFFF] * Interpolation(a, i);
}

float Cos(float degrees)
{
    float a;
    const int i = TurnIndex(degrees, a);
    return sineTable[(i + kQuarterTurn) & 0xFFFF] - Interpolation(a, i) * sineTable[i & 0xFFFF];
}

float ArcTangent(int32_t y, int32_t x)
{
    if (y == 0 && x == 0)
        return 0.0f;
    if (std::llabs(y) < std::llabs(x)) {
        const float ratio = static_cast<float>(y) / static_cast<float>(x);
        const float t = arcTangentTable[kArcTangentOrigin + static_cast<int>(ratio * 32768.0f)];
        if (x >= 0)
            return t;
        return y < 0 ? t - 180.0f : t + 180.0f;
    }
    const float ratio = static_cast<float>(x) / static_cast<float>(y);
    const float t = arcTangentTable[kArcTangentOrigin + static_cast<int>(ratio * 32768.0f)];
    return y < 0 ? -t - 90.0f : 90.0f - t;
}

float Power(float x, int32_t n)
{
    // Unrolled by eight; the product is formed in the same order as a plain loop.
    const bool invert = n < 0;
    uint32_t count = invert ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
    float result = 1.0f;
    if (invert) {
        for (; count >= 8; count -= 8) {
            result /= x; result /= x; result /= x; result /= x;
            result /= x; result /= x; result /= x; result /= x;
        }
        for (; count > 0; --count)
            result /= x;
    } else {
        for (; count >= 8; count -= 8) {
            result *= x; result *= x; result *= x; result *= x;
            result *= x; result *= x; result *= x; result *= x;
        }
        for (; count > 0; --count)
            result *= x;
    }
    return result;
}

}  // namespace Kiln::StdMath
