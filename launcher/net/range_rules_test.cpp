#include "launcher/net/range_rules.h"

#include <gtest/gtest.h>

namespace Launcher::HTTPConnection {
namespace {

TEST(RangeRulesTest, HeadersAndContentRangesAreReadAsServersWriteThem)
{
    const std::string headers =
        "HTTP/1.1 206 Partial Content\r\ncontent-range:  bytes 100-199/1000 \r\nETag: \"v1\"\r\n"
        "Last-Modified: Tue, 08 Dec 2026 10:00:00 GMT\r\n\r\n";
    EXPECT_EQ(FindHeader(headers, "Content-Range"), "bytes 100-199/1000");
    EXPECT_EQ(FindHeader(headers, "etag"), "\"v1\"");
    EXPECT_EQ(FindHeader(headers, "Range"), std::nullopt);
    EXPECT_EQ(ValidatorOf(headers), "\"v1\"");
    // A weak ETag vouches for no bytes: Last-Modified then.
    EXPECT_EQ(ValidatorOf("ETag: W/\"v1\"\r\nLast-Modified: Tue, 08 Dec 2026 10:00:00 GMT\r\n"),
              "Tue, 08 Dec 2026 10:00:00 GMT");
    EXPECT_EQ(ValidatorOf("Content-Length: 5\r\n"), "");
    EXPECT_EQ(ResumeHeaders(4294967296, "\"v1\""), "Range: bytes=4294967296-\r\nIf-Range: \"v1\"\r\n");

    struct Case {
        const char* value;
        bool valid;
        uint64_t first, last, total;
    };
    const Case cases[] = {
        {"bytes 100-199/1000", true, 100, 199, 1000},
        {"bytes 0-0/1", true, 0, 0, 1},
        {"bytes 4294967296-5368709119/5368709120", true, 4294967296, 5368709119, 5368709120},
        {"bytes 5-9/*", true, 5, 9, kUnknownSize},
        {"bytes 9-5/10", false, 0, 0, 0},
        {"bytes 0-9/9", false, 0, 0, 0},
        {"bytes 0-9/10x", false, 0, 0, 0},
        {"bytes -9/10", false, 0, 0, 0},
        {"bytes */10", false, 0, 0, 0},
        {"items 0-9/10", false, 0, 0, 0},
        {"bytes 0-99999999999999999999/100000000000000000000", false, 0, 0, 0},
        {"", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const auto range = ParseContentRange(c.value);
        ASSERT_EQ(range.has_value(), c.valid);
        if (!range)
            continue;
        EXPECT_EQ(range->first, c.first);
        EXPECT_EQ(range->last, c.last);
        EXPECT_EQ(range->total, c.total);
    }
}

TEST(RangeRulesTest, OnlyTheBytesThatFollowOfTheSameFileContinueADownload)
{
    const std::string v1 = "\"v1\"";
    struct Case {
        const char* what;
        uint32_t status;
        std::string headers;
        uint64_t offset;
        uint64_t total;
        ResumeVerdict verdict;
    };
    const Case cases[] = {
        {"first request", 200, "ETag: \"v1\"\r\n", 0, kUnknownSize, ResumeVerdict::Append},
        {"first request, not found", 404, "", 0, kUnknownSize, ResumeVerdict::Failed},
        {"continues", 206, "Content-Range: bytes 300-999/1000\r\nETag: \"v1\"\r\n", 300, 1000, ResumeVerdict::Append},
        {"continues, no validator sent back", 206, "Content-Range: bytes 300-999/1000\r\n", 300, 1000,
         ResumeVerdict::Append},
        {"Range ignored", 200, "ETag: \"v1\"\r\n", 300, 1000, ResumeVerdict::FromZero},
        {"changed since (If-Range)", 200, "ETag: \"v2\"\r\n", 300, 1000, ResumeVerdict::FromZero},
        {"another place", 206, "Content-Range: bytes 0-999/1000\r\n", 300, 1000, ResumeVerdict::StartOver},
        {"another size", 206, "Content-Range: bytes 300-1999/2000\r\n", 300, 1000, ResumeVerdict::StartOver},
        {"another file", 206, "Content-Range: bytes 300-999/1000\r\nETag: \"v2\"\r\n", 300, 1000,
         ResumeVerdict::StartOver},
        {"no Content-Range", 206, "ETag: \"v1\"\r\n", 300, 1000, ResumeVerdict::StartOver},
        {"not satisfiable", 416, "", 300, 1000, ResumeVerdict::StartOver},
        {"server error", 503, "", 300, 1000, ResumeVerdict::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(JudgeResponse(c.status, c.headers, c.offset, v1, c.total), c.verdict);
    }
}

TEST(RangeRulesTest, PausesGrowUpToSixteenSeconds)
{
    const unsigned expected[] = {0, 1000, 2000, 4000, 8000, 16000, 16000, 16000};
    for (int tries = 0; tries < 8; ++tries)
        EXPECT_EQ(RetryPauseMs(tries), expected[tries]) << tries;
}

}  // namespace
}  // namespace Launcher::HTTPConnection
