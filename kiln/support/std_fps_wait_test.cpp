#include "kiln/support/std_fps_wait.h"

#include <gtest/gtest.h>

#include <vector>

namespace Kiln {
namespace {

// The pacer reads this clock; each test sets the time it wants the pacer to see.
uint32_t fakeNow = 0;

uint32_t FakeClock()
{
    return fakeNow;
}

class StdFPSWaitTest : public ::testing::Test {
protected:
    StdFPSWaitTest() { fakeNow = 5000; }

    // The whole milliseconds of the next frame: the wait when no time has passed.
    uint32_t NextPeriodOnTime()
    {
        const uint32_t wait = pacer_->Wait();
        fakeNow += wait;  // the caller sleeps exactly as told
        return wait;
    }

    KilnHandle<CStdFPSWait> pacer_ = KilnHandle<CStdFPSWait>::Adopt(new CStdFPSWait(FakeClock));
};

TEST_F(StdFPSWaitTest, SixtyFramesPerSecondCarryTheFraction)
{
    pacer_->Start(60);
    std::vector<uint32_t> periods;
    uint32_t sum = 0;
    for (int frame = 0; frame < 60; ++frame) {
        periods.push_back(NextPeriodOnTime());
        sum += periods.back();
    }
    const std::vector<uint32_t> first(periods.begin(), periods.begin() + 8);
    EXPECT_EQ(first, (std::vector<uint32_t>{16, 17, 17, 16, 17, 17, 16, 17}));
    // 60 x 1001/60 ms = 1001 ms, less the fraction of almost 1 ms still carried
    EXPECT_EQ(sum, 1000u);
    EXPECT_EQ(NextPeriodOnTime(), 17u);  // the carried fraction completes a millisecond
    EXPECT_FALSE(pacer_->IsSkipFrame());
}

TEST_F(StdFPSWaitTest, WaitCountsFromTheLastFrameNotFromTheCall)
{
    pacer_->Start(60);
    fakeNow += 10;  // the frame's own work took 10 ms
    EXPECT_EQ(pacer_->Wait(), 6u);
    fakeNow += 6 + 16;  // slept, then 16 ms of work: 1 ms of the next 17 ms frame left
    EXPECT_EQ(pacer_->Wait(), 1u);
}

TEST_F(StdFPSWaitTest, StoppedOrZeroRatePacerNeverWaits)
{
    EXPECT_EQ(pacer_->Wait(), 0u);
    pacer_->Start(0);
    EXPECT_EQ(pacer_->Wait(), 0u);
    pacer_->Start(60);
    EXPECT_EQ(pacer_->Wait(), 16u);
    pacer_->Stop();
    EXPECT_EQ(pacer_->Wait(), 0u);
    // started again, the fraction starts from nothing
    pacer_->Start(60);
    EXPECT_EQ(pacer_->Wait(), 16u);
}

TEST_F(StdFPSWaitTest, StartingTwiceKeepsTheFirstRate)
{
    pacer_->Start(30);
    pacer_->Start(60);
    EXPECT_EQ(pacer_->Wait(), 33u);  // 1001/30 = 33.37 ms
}

TEST_F(StdFPSWaitTest, FarBehindResynchronises)
{
    pacer_->Start(60);
    fakeNow += 16 + 300;  // 300 ms late: at least 4 x 60
    EXPECT_EQ(pacer_->Wait(), 0u);
    EXPECT_FALSE(pacer_->IsSkipFrame());
    // the debt is dropped: the next frame is timed from now
    EXPECT_EQ(pacer_->Wait(), 17u);
}

TEST_F(StdFPSWaitTest, ModeratelyLateKeepsTheDebtAndAsksToSkip)
{
    pacer_->Start(60);
    fakeNow += 16 + 100;  // 100 ms late: below 240, at least 3 x 16
    EXPECT_EQ(pacer_->Wait(), 0u);
    EXPECT_TRUE(pacer_->IsSkipFrame());
    // still 100 - 17 = 83 ms behind: no wait, still skipping
    EXPECT_EQ(pacer_->Wait(), 0u);
    EXPECT_TRUE(pacer_->IsSkipFrame());
    // the debt shrinks frame by frame until it is below three frames
    for (int frame = 0; frame < 2; ++frame)
        pacer_->Wait();
    EXPECT_EQ(pacer_->Wait(), 0u);  // 100 - 4 x 16.68: 33 ms behind
    EXPECT_FALSE(pacer_->IsSkipFrame());
}

TEST_F(StdFPSWaitTest, SlightlyLateNeitherWaitsNorSkips)
{
    pacer_->Start(60);
    fakeNow += 16 + 20;
    EXPECT_EQ(pacer_->Wait(), 0u);
    EXPECT_FALSE(pacer_->IsSkipFrame());
    // the 20 ms already cover the whole of the next 17 ms frame
    EXPECT_EQ(pacer_->Wait(), 0u);
}

TEST_F(StdFPSWaitTest, ClockWrapIsJustElapsedTime)
{
    fakeNow = 0xFFFFFFF0u;
    pacer_->Start(60);
    fakeNow += 20;  // wraps past zero
    EXPECT_EQ(pacer_->Wait(), 0u);
    EXPECT_FALSE(pacer_->IsSkipFrame());
}

}  // namespace
}  // namespace Kiln
