#include "launcher/net/percent_encode.h"

#include <gtest/gtest.h>

#include <string>

namespace Launcher::HTTPConnection {
namespace {

TEST(PercentEncodeTest, KeepsOnlyTheUnreservedCharacters)
{
    EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(PercentEncode(""), "");
    EXPECT_EQ(PercentEncode(" "), "%20");
    EXPECT_EQ(PercentEncode("+/=&?%*!'()"), "%2B%2F%3D%26%3F%25%2A%21%27%28%29");
    EXPECT_EQ(PercentEncode(std::string("\0\x7F", 2)), "%00%7F");
}

TEST(PercentEncodeTest, MatchesTheRfc5849Examples)
{
    // section 3.4.1.3.2: values as they appear in the normalized parameter string
    EXPECT_EQ(PercentEncode("=%3D"), "%3D%253D");
    EXPECT_EQ(PercentEncode("r b"), "r%20b");
    EXPECT_EQ(PercentEncode("c@"), "c%40");
    // section 3.6 applied twice, as in the base string
    EXPECT_EQ(PercentEncode(PercentEncode("r b")), "r%2520b");
    EXPECT_EQ(PercentEncode("http://example.com/request"), "http%3A%2F%2Fexample.com%2Frequest");
}

TEST(PercentEncodeTest, EncodesEachHighByteOnItsOwnInUpperCase)
{
    // ゲーム in Shift-JIS, and UTF-8 bytes alike: one escape per byte
    EXPECT_EQ(PercentEncode("\x83\x51\x81\x5B\x83\x80"), "%83Q%81%5B%83%80");
    EXPECT_EQ(PercentEncode("\xE3\x81\x82"), "%E3%81%82");
    EXPECT_EQ(PercentEncode("\xFF"), "%FF");
}

}  // namespace
}  // namespace Launcher::HTTPConnection
