#include "kiln/support/gfep.h"

#include <gtest/gtest.h>

namespace Kiln {
namespace {

TEST(GFEPTest, HoldsAZeroedLockedBlockForItsLifetime)
{
    {
        CGFEP holder;
        EXPECT_EQ(CGFEP::GetInstance(), &holder);
        ASSERT_NE(holder.GetBlockHandle(), nullptr);
        ASSERT_NE(holder.GetBlock(), nullptr);
        EXPECT_GE(::GlobalSize(holder.GetBlockHandle()), CGFEP::kBlockSize);
        EXPECT_EQ(::GlobalFlags(holder.GetBlockHandle()) & GMEM_LOCKCOUNT, 1u);
        const auto* bytes = static_cast<const unsigned char*>(holder.GetBlock());
        size_t nonZero = 0;
        for (size_t i = 0; i < CGFEP::kBlockSize; ++i)
            nonZero += bytes[i] != 0;
        EXPECT_EQ(nonZero, 0u);
    }
    EXPECT_EQ(CGFEP::GetInstance(), nullptr);
}

}  // namespace
}  // namespace Kiln
