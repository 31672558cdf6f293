#include "kiln/patch/trailing_digest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Kiln::Patch {
namespace {

// The digest is the same however the buffer is filled: at once, in small or uneven steps, or
// announced twice. Expected: the published SHA-256 of a million 'a's and of the empty string.
TEST(PatchTrailingDigestTest, AnyFillingGivesThePublishedDigest)
{
    const std::string million = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
    const std::string empty = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    const std::vector<size_t> steps = {1000000, 1, 4096, 333331, 999999};
    for (const size_t step : steps) {
        std::vector<uint8_t> buffer(1000000, 0);
        TrailingDigest digest(buffer.data(), buffer.size());
        for (size_t end = 0; end < buffer.size();) {
            const size_t next = std::min(buffer.size(), end + step);
            std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(end), buffer.begin() + static_cast<std::ptrdiff_t>(next), 'a');
            digest.Filled(next);
            digest.Filled(next);
            end = next;
        }
        EXPECT_EQ(ToHex(digest.Finish()), million) << "step " << step;
    }
    TrailingDigest nothing(nullptr, 0);
    EXPECT_EQ(ToHex(nothing.Finish()), empty);
}

}  // namespace
}  // namespace Kiln::Patch
