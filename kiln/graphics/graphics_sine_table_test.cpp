#include "kiln/graphics/graphics_sine_table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Kiln {
namespace {

TEST(GraphicsSineTableTest, EntriesAreTheSineOfTheirFractionOfATurn)
{
    BuildGraphicsSineTable();
    const float* table = GraphicsSineTable();
    ASSERT_NE(table, nullptr);
    struct Case {
        int index;
        float value;
    };
    for (const Case& c : {Case{0, 0.0f}, Case{8192, 0.70710678f}, Case{16384, 1.0f}, Case{32768, 0.0f},
                          Case{49152, -1.0f}, Case{65535, -0.0000958738f}}) {
        EXPECT_NEAR(table[c.index], c.value, 2e-6f) << c.index;
    }
    for (int i = 0; i < kGraphicsSineTableSize; ++i)
        ASSERT_NEAR(table[i], std::sin(i * 2.0 * 3.14159265358979323846 / 65536.0), 2e-6) << i;
    BuildGraphicsSineTable();
    EXPECT_EQ(GraphicsSineTable(), table);
}

}  // namespace
}  // namespace Kiln
