#include "kiln/support/debug_log.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace Kiln {
namespace {

// The log only grows: each test looks at what its own calls appended.
class DebugLogTest : public ::testing::Test {
protected:
    std::string Appended() const { return GetLogText().substr(before_.size()); }

    std::string before_ = GetLogText();
};

TEST_F(DebugLogTest, FormatsAndAppends)
{
    Print("%s=%d, ", "a", 1);
    Print("%05.1f|%x\n", 2.5, 255u);
    EXPECT_EQ(Appended(), "a=1, 002.5|ff\n");
}

TEST_F(DebugLogTest, LongResultsAreCutAt4095Characters)
{
    const std::string text(5000, 'x');
    Print("%s", text.c_str());
    Print("|");
    EXPECT_EQ(Appended(), std::string(4095, 'x') + "|");

    const std::string exact(4095, 'y');
    Print("%s", exact.c_str());
    Print("%s!", exact.c_str());  // one character too many: the '!' is lost
    EXPECT_EQ(Appended(), std::string(4095, 'x') + "|" + exact + exact);
}

TEST_F(DebugLogTest, RegistersOneInstanceWhileTheLogOutlivesIt)
{
    {
        CGDebug debug;
        EXPECT_EQ(CGDebug::GetInstance(), &debug);
        Print("during\n");
    }
    EXPECT_EQ(CGDebug::GetInstance(), nullptr);
    Print("after\n");
    EXPECT_EQ(Appended(), "during\nafter\n");
}

TEST_F(DebugLogTest, ThreadsAppendWholeLines)
{
    constexpr int kThreads = 6;
    constexpr int kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                Print("thread %d line %d %s\n", t, i, "padding-padding-padding-padding");
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    // Every line arrives once and unbroken, and each thread's lines keep their order.
    std::istringstream lines(Appended());
    std::map<int, int> next;
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        int t = -1, i = -1;
        char padding[64] = {};
        ASSERT_EQ(std::sscanf(line.c_str(), "thread %d line %d %63s", &t, &i, padding), 3) << line;
        EXPECT_STREQ(padding, "padding-padding-padding-padding");
        EXPECT_EQ(i, next[t]++) << line;
        ++count;
    }
    EXPECT_EQ(count, kThreads * kLines);
}

}  // namespace
}  // namespace Kiln
