#include "kiln/base/catch_all.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace Kiln {
namespace {

TEST(CatchAllTest, ResultOrFallbackForWhateverIsThrown)
{
    struct Case {
        const char* name;
        std::function<long()> body;
        long expected;
    };
    const std::vector<Case> cases = {
        {"returns", [] { return 7L; }, 7},
        {"bad_alloc", []() -> long { throw std::bad_alloc(); }, -1},
        {"length_error", []() -> long { return static_cast<long>(std::string().append(std::string::npos, 'x').size()); }, -1},
        {"not a std::exception", []() -> long { throw 42; }, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CatchAll(-1L, c.body), c.expected) << c.name;
}

TEST(CatchAllTest, WorkWithoutResultRunsAndSwallowsWhatItThrows)
{
    int steps = 0;
    CatchAll([&] { ++steps; });
    CatchAll([&] {
        ++steps;
        throw std::runtime_error("dropped");
    });
    EXPECT_EQ(steps, 2);
}

}  // namespace
}  // namespace Kiln
