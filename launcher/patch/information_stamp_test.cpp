#include "launcher/patch/information_stamp.h"

#include <gtest/gtest.h>

#include "launcher/patch/update_info.h"

namespace Launcher::Patch {
namespace {

// Seconds from Python's calendar.timegm.
TEST(InformationStampTest, UtcTextsAndSecondsAgree)
{
    struct Case {
        const char* text;
        int64_t seconds;
    };
    const Case cases[] = {{"1970-01-01T00:00:00Z", 0},
                          {"2000-02-29T23:59:59Z", 951868799},
                          {"2027-01-09T13:53:07Z", 1799502787},
                          {"2100-03-01T00:00:00Z", 4107542400},
                          {"9999-12-31T23:59:59Z", 253402300799}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseUtc(c.text), c.seconds);
        EXPECT_EQ(FormatUtc(c.seconds), c.text);
    }
    for (const char* bad : {"2027-01-09 13:53:07Z", "2027-01-09T13:53:07", "2027-02-29T00:00:00Z",
                            "2100-02-29T00:00:00Z", "2027-13-01T00:00:00Z", "2027-01-09T24:00:00Z",
                            "1969-12-31T23:59:59Z", "2027-1-09T13:53:07Z", "+027-01-09T13:53:07Z", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseUtc(bad));
    }
}

TEST(InformationStampTest, StampFollowsTheEntriesWhereTheEntryReaderNeverLooks)
{
    struct Case {
        std::string information;
        InformationStamp stamp;
        std::string written;
    };
    const Case cases[] = {
        {"1.00,,0,base\r\n1.01,d,0,p\r\n", {7, {}}, "1.00,,0,base\r\n1.01,d,0,p\r\n\r\nSerial=7\r\n"},
        {"1.00,,0,base\n1.01,d,0,p", {1799502787, 1799502787},
         "1.00,,0,base\n1.01,d,0,p\n\nSerial=1799502787\nExpires=2027-01-09T13:53:07Z\n"},
        // an older stamp and anything after the first empty line are replaced
        {"1.00,,0,base\r\n\r\nSerial=3\r\nnote\r\n", {4, {}}, "1.00,,0,base\r\n\r\nSerial=4\r\n"},
        {"1.00,,0,base\n\r\nSerial=3\n", {5, {}}, "1.00,,0,base\n\nSerial=5\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.information);
        const std::string written = WriteStamp(c.information, c.stamp);
        EXPECT_EQ(written, c.written);
        const auto read = ReadStamp(written);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->serial, c.stamp.serial);
        EXPECT_EQ(read->expires, c.stamp.expires);
        // The entries read as before.
        const auto before = ParseUpdateInfo(c.information);
        const auto after = ParseUpdateInfo(written);
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(after[i].version, before[i].version);
    }
}

TEST(InformationStampTest, SignedInformationIsJudgedBySerialAndExpiry)
{
    constexpr int64_t kNow = 1799502787;
    struct Case {
        std::string information;
        uint64_t highest;
        Freshness verdict;
    };
    const Case cases[] = {
        {"1.00,,0,b\n", 0, Freshness::Current},  // no stamp: serial 0
        {"1.00,,0,b\n", 1, Freshness::RolledBack},
        {"1.00,,0,b\n\nSerial=5\n", 5, Freshness::Current},
        {"1.00,,0,b\n\nSerial=4\n", 5, Freshness::RolledBack},
        {"1.00,,0,b\n\nSerial=6\nExpires=2027-01-09T13:53:08Z\n", 5, Freshness::Current},
        {"1.00,,0,b\n\nSerial=6\nExpires=2027-01-09T13:53:07Z\n", 5, Freshness::Expired},
        {"1.00,,0,b\n\nSerial=9223372036854775807\n", 5, Freshness::Current},
        {"1.00,,0,b\n\nSerial=9223372036854775808\n", 0, Freshness::Unreadable},
        {"1.00,,0,b\n\nSerial=-1\n", 0, Freshness::Unreadable},
        {"1.00,,0,b\n\nSerial=5\nSerial=6\n", 0, Freshness::Unreadable},
        {"1.00,,0,b\n\nSerial=6\nExpires=2027-01-09\n", 0, Freshness::Unreadable},
        // a stamp-like line among the entries is an ordinary line
        {"Serial=x\n1.00,,0,b\n", 0, Freshness::Current},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.information);
        EXPECT_EQ(JudgeStamp(ReadStamp(c.information), c.highest, kNow), c.verdict);
    }
}

}  // namespace
}  // namespace Launcher::Patch
