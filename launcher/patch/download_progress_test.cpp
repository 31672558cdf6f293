#include "launcher/patch/download_progress.h"

#include <gtest/gtest.h>

namespace Launcher::Patch {
namespace {

TEST(DownloadProgressTest, TheLineUnderTheBarSaysHowMuchHowFastAndHowLong)
{
    constexpr uint64_t MB = 1 << 20;
    struct Case {
        uint64_t received;
        uint64_t total;
        std::optional<double> speed;
        const char* line;
    };
    const Case cases[] = {
        {12 * MB + MB * 3 / 10, 250 * MB, 1.2 * MB, "12.3 MB / 250.0 MB　1.2 MB/s　残り 3分"},
        {0, 250 * MB, std::nullopt, "0 KB / 250.0 MB"},
        {512 * 1024, 2 * MB, 256.0 * 1024, "512 KB / 2.0 MB　256 KB/s　残り 6秒"},
        {100 * MB, 100 * MB + 1, 1.0 * MB, "100.0 MB / 100.0 MB　1.0 MB/s　残り 1秒"},
        {MB, uint64_t{5} << 30, 1.0 * MB, "1.0 MB / 5.00 GB　1.0 MB/s　残り 1時間25分"},
        {uint64_t{9} << 29, uint64_t{5} << 30, 0.0, "4.50 GB / 5.00 GB　0 KB/s"},
        // The total unknown: no time left.
        {12 * MB + MB * 3 / 10, kUnknownTotal, 1.2 * MB, "12.3 MB　1.2 MB/s"},
        {1000, kUnknownTotal, std::nullopt, "1 KB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ProgressLine(c.received, c.total, c.speed), c.line);
    }
}

TEST(DownloadProgressTest, SpeedIsMeasuredOverTheLastSeconds)
{
    TransferRate rate;
    rate.Add(0, 0);
    EXPECT_EQ(rate.BytesPerSecond(), std::nullopt);
    rate.Add(500, 1000);
    EXPECT_EQ(rate.BytesPerSecond(), std::nullopt);  // less than a second
    rate.Add(1000, 2000);
    EXPECT_EQ(rate.BytesPerSecond(), 2000.0);
    // A fast start ages out of the window: 10 s at 1000 B/s after it.
    for (uint64_t t = 2000; t <= 11000; t += 1000)
        rate.Add(t, 2000 + (t - 1000));
    EXPECT_EQ(rate.BytesPerSecond(), 1000.0);
    // Starting over from zero starts the measure anew.
    rate.Add(12000, 10);
    EXPECT_EQ(rate.BytesPerSecond(), std::nullopt);
}

}  // namespace
}  // namespace Launcher::Patch
