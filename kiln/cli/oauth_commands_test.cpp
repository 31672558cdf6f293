#include <gtest/gtest.h>

#include <string>

#include "launcher/net/oauth_header.h"
#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using TestSupport::RunKiln;

TEST(OAuthHeaderCommandTest, PrintsTheBuiltHeaderForAFixedClock)
{
    const TestSupport::ToolRun run = RunKiln({"oauth-header", "--url", "https://api.twitter.com/oauth/request_token",
                                   "--consumer-key", "dpf43f3p2l4k3l03", "--consumer-secret", "kd94hf93k423kf44",
                                   "--timestamp", "1191242090"});
    ASSERT_EQ(run.code, kOk) << run.err;
    EXPECT_EQ(run.out,
              "Content-Type: application/x-www-form-urlencoded\n"
              "Authorization: OAuth oauth_consumer_key=\"dpf43f3p2l4k3l03\",oauth_nonce=\"25623A5A6ACB4C56\","
              "oauth_signature_method=\"HMAC-SHA1\",oauth_timestamp=\"1191242090\",oauth_version=\"1.0\","
              "oauth_signature=\"UEf0shbTuYTnvr6ANIBgPodZUZs%3D\"\n");
}

TEST(OAuthHeaderCommandTest, PassesTokenAndParametersThrough)
{
    const Launcher::RequestParameters parameters = {{"oauth_verifier", "123"}, {"x", "a=b c"}};
    const std::string expected =
        Launcher::BuildOAuthHeaderAt(-5, "http://h/p", &parameters, "ck", "cs", "tk", "ts") + "\n";
    const TestSupport::ToolRun run = RunKiln({"oauth-header", "--param", "x=a=b c", "--url", "http://h/p", "--consumer-key",
                                   "ck", "--consumer-secret", "cs", "--token", "tk", "--token-secret", "ts",
                                   "--param", "oauth_verifier=123", "--timestamp", "-5"});
    ASSERT_EQ(run.code, kOk) << run.err;
    EXPECT_EQ(run.out, expected);
}

TEST(OAuthHeaderCommandTest, UsesTheClockWithoutTimestamp)
{
    const TestSupport::ToolRun run = RunKiln({"oauth-header", "--url", "u", "--consumer-key", "", "--consumer-secret", ""});
    ASSERT_EQ(run.code, kOk) << run.err;
    EXPECT_EQ(run.out.find("oauth_consumer_key"), std::string::npos);
    EXPECT_NE(run.out.find("oauth_timestamp=\"1"), std::string::npos);
}

TEST(OAuthHeaderCommandTest, RejectsBadOptions)
{
    const Arguments required = {"--url", "u", "--consumer-key", "k", "--consumer-secret", "s"};
    auto with = [&required](Arguments extra) {
        Arguments arguments = {"oauth-header"};
        arguments.insert(arguments.end(), required.begin(), required.end());
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunKiln(arguments);
    };
    EXPECT_EQ(with({}).code, kOk);
    for (const Arguments& bad : {Arguments{"--timestamp", "12x"}, Arguments{"--timestamp", "2147483648"},
                                 Arguments{"--timestamp", ""}, Arguments{"--param", "novalue"},
                                 Arguments{"--param", "=v"}, Arguments{"--param", "a=1", "--param", "a=2"},
                                 Arguments{"--token"}, Arguments{"--realm", "x"}}) {
        const TestSupport::ToolRun run = with(bad);
        EXPECT_EQ(run.code, kBadUsage) << bad[0];
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage: kiln oauth-header"), std::string::npos);
    }
    EXPECT_EQ(RunKiln({"oauth-header", "--url", "u", "--consumer-key", "k"}).code, kBadUsage);
}

}  // namespace
}  // namespace KilnCli
