#include "kiln/base/profile.h"

#include <gtest/gtest.h>

#include <map>

namespace Kiln::Profile {
namespace {

// Reads from a key table; missing keys give the default "end".
std::vector<std::string> Walk(const std::map<int, std::string>& keys, int* reads = nullptr)
{
    return ReadNumberedList([&](int number) {
        if (reads)
            ++*reads;
        const auto found = keys.find(number);
        return found == keys.end() ? std::string("end") : found->second;
    });
}

TEST(ProfileTest, NumberedListStopsAtEndEmptyOrMissing)
{
    EXPECT_EQ(Walk({{1, "a.pak"}, {2, "end"}, {3, "b.pak"}}), (std::vector<std::string>{"a.pak"}));
    EXPECT_TRUE(Walk({{1, ""}, {2, "b.pak"}}).empty());
    EXPECT_TRUE(Walk({{1, "end"}}).empty());
    EXPECT_EQ(Walk({{1, "x"}}), (std::vector<std::string>{"x"}));  // key 2 missing
}

TEST(ProfileTest, NumberedListEndIsCaseSensitive)
{
    EXPECT_EQ(Walk({{1, "END"}, {2, "End"}}), (std::vector<std::string>{"END", "End"}));
}

TEST(ProfileTest, NumberedListStopsAfter256)
{
    std::map<int, std::string> keys;
    for (int i = 1; i <= 300; ++i)
        keys[i] = "v" + std::to_string(i);
    int reads = 0;
    const auto values = Walk(keys, &reads);
    ASSERT_EQ(values.size(), 256u);
    EXPECT_EQ(values.back(), "v256");
    EXPECT_EQ(reads, 256);
}

}  // namespace
}  // namespace Kiln::Profile
