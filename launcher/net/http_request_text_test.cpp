#include "launcher/net/http_request_text.h"

#include <gtest/gtest.h>

#include <string>

namespace Launcher::HTTPConnection {
namespace {

TEST(SplitURLTest, TakesSchemeHostAndPathAsWritten)
{
    struct Case {
        const char* url;
        bool secure;
        const char* host;
        const char* path;
        uint16_t port;
    };
    const Case cases[] = {
        {"http://example.jp/patch/info.txt", false, "example.jp", "/patch/info.txt", 80},
        {"https://example.jp", true, "example.jp", "/", 443},
        {"https://example.jp/", true, "example.jp", "/", 443},
        // the port stays part of the server name
        {"http://example.jp:8080/a", false, "example.jp:8080", "/a", 80},
        {"http://example.jp/a?b=c", false, "example.jp", "/a?b=c", 80},
        // only the first "//" separates the host
        {"http://example.jp//a//b", false, "example.jp", "//a//b", 80},
        {"http:example.jp//x/y", false, "x", "/y", 80},
        {"http://", false, "", "/", 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const auto parts = SplitURL(c.url);
        ASSERT_TRUE(parts.has_value());
        EXPECT_EQ(parts->secure, c.secure);
        EXPECT_EQ(parts->host, c.host);
        EXPECT_EQ(parts->path, c.path);
        EXPECT_EQ(parts->port, c.port);
    }
}

TEST(SplitURLTest, RefusesOtherSchemesCapitalsAndMissingSlashes)
{
    for (const char* url : {"ftp://example.jp/", "HTTP://example.jp/", "Https://example.jp/", "http:/example.jp/",
                            "example.jp/a", "", "https", " http://example.jp/"}) {
        SCOPED_TRACE(url);
        EXPECT_FALSE(SplitURL(url).has_value());
    }
}

TEST(RequestTextTest, ParametersAreEncodedInKeyOrderAndAlwaysFollowAQuestionMark)
{
    EXPECT_EQ(BuildParameterString({}), "");
    EXPECT_EQ(BuildParameterString({{"b", "x y"}, {"a", "1"}}), "a=1&b=x%20y");
    // byte order: upper case before lower case, high bytes last
    EXPECT_EQ(BuildParameterString({{"\x82\xa0", "v"}, {"b", ""}, {"B", "="}}), "B=%3D&b=&%82%A0=v");
    EXPECT_EQ(GetRequestTarget("/info.txt", ""), "/info.txt?");
    EXPECT_EQ(GetRequestTarget("/a?x=1", "a=1&b=x%20y"), "/a?x=1?a=1&b=x%20y");
}

TEST(RequestTextTest, ContentLengthDecidesTheBodySize)
{
    using Kind = BodySize::Kind;
    struct Case {
        std::optional<std::string_view> header;
        Kind kind;
        uint32_t size;
    };
    const Case cases[] = {
        {std::nullopt, Kind::Unknown, 0},
        {"1", Kind::Known, 1},
        {"  1234\t", Kind::Known, 1234},
        {"1073741824", Kind::Known, 0x40000000},
        {"0", Kind::Zero, 0},
        {"000", Kind::Zero, 0},
        {"1073741825", Kind::Unusable, 0},
        {"4294967295", Kind::Unusable, 0},
        {"99999999999999999999999999", Kind::Unusable, 0},
        {"", Kind::Unusable, 0},
        {"-1", Kind::Unusable, 0},
        {"+5", Kind::Unusable, 0},
        {"12 34", Kind::Unusable, 0},
        {"0x10", Kind::Unusable, 0},
        {"5, 5", Kind::Unusable, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header ? std::string(*c.header) : "(absent)");
        const BodySize size = CheckContentLength(c.header);
        EXPECT_EQ(size.kind, c.kind);
        EXPECT_EQ(size.size, c.size);
    }
    // A body that goes to a file: past 4 GiB, up to 2^62.
    EXPECT_EQ(CheckContentLength("5368709120", kMaxFileBodySize).size, 5368709120u);
    EXPECT_EQ(CheckContentLength("4611686018427387904", kMaxFileBodySize).kind, Kind::Known);
    EXPECT_EQ(CheckContentLength("4611686018427387905", kMaxFileBodySize).kind, Kind::Unusable);
    EXPECT_EQ(CheckContentLength("18446744073709551617", kMaxFileBodySize).kind, Kind::Unusable);
}

}  // namespace
}  // namespace Launcher::HTTPConnection
