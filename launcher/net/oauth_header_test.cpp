#include "launcher/net/oauth_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Launcher {
namespace {

// The names listed in the Authorization line, in order.
std::vector<std::string> ListedNames(const std::string& header)
{
    std::vector<std::string> names;
    const size_t start = header.find("OAuth ") + 6;
    for (size_t at = start; at < header.size();) {
        const size_t equals = header.find('=', at);
        names.push_back(header.substr(at, equals - at));
        const size_t close = header.find('"', header.find('"', equals) + 1);
        at = close + 2;  // past the quote and the comma
    }
    return names;
}

TEST(OAuthNonceTest, FollowsTheRuntimeGeneratorSeededWithTheTimestamp)
{
    CrtRandom random(0);
    EXPECT_EQ(random.Draw(), 38);
    EXPECT_EQ(random.Draw(), 7719);
    EXPECT_EQ(random.Draw(), 21238);
    EXPECT_EQ(random.Draw(), 2437);
    // only the first draw is padded to four digits
    EXPECT_EQ(OAuthNonce(0), "00261E2752F6985");
    EXPECT_EQ(OAuthNonce(1191242090), "25623A5A6ACB4C56");
    EXPECT_EQ(OAuthNonce(1191242090), OAuthNonce(1191242090));
    EXPECT_NE(OAuthNonce(1191242090), OAuthNonce(1191242091));
    for (int32_t seed : {1, 2, 1000, -1, 2147483647}) {
        const size_t length = OAuthNonce(seed).size();
        EXPECT_GE(length, 7u);
        EXPECT_LE(length, 16u);
    }
}

// Expected texts below were computed independently in Python (urllib.parse.quote with no safe
// characters, hmac, hashlib.sha1, base64) following the same rules.
TEST(OAuthHeaderTest, WithoutTokenListsTheFiveParametersAndSignsWithConsumerSecretAndAmpersand)
{
    const std::string header = BuildOAuthHeaderAt(1191242090, "https://api.twitter.com/oauth/request_token",
                                                  nullptr, "dpf43f3p2l4k3l03", "kd94hf93k423kf44", "", "");
    EXPECT_EQ(header,
              "Content-Type: application/x-www-form-urlencoded\n"
              "Authorization: OAuth oauth_consumer_key=\"dpf43f3p2l4k3l03\",oauth_nonce=\"25623A5A6ACB4C56\","
              "oauth_signature_method=\"HMAC-SHA1\",oauth_timestamp=\"1191242090\",oauth_version=\"1.0\","
              "oauth_signature=\"UEf0shbTuYTnvr6ANIBgPodZUZs%3D\"");
    EXPECT_EQ(ListedNames(header), (std::vector<std::string>{"oauth_consumer_key", "oauth_nonce",
                                                             "oauth_signature_method", "oauth_timestamp",
                                                             "oauth_version", "oauth_signature"}));
}

TEST(OAuthHeaderTest, WithTokenSignsRequestParametersButListsOnlyOAuthOnes)
{
    const RequestParameters parameters = {{"status", "Hello Ladies + Gentlemen, a signed OAuth request!"},
                                          {"include_entities", "true"}};
    const std::string header = BuildOAuthHeaderAt(
        1318622958, "https://api.twitter.com/1.1/statuses/update.json", &parameters, "xvz1evFRu9",
        "kAcSOqF21Fu85e7zjz7ZN2U4ZRhfV3WpwPAoE3Z7kBw", "370773112-GmHxMAgYyLbNEtIKZeRNFsMKPR9EyMZeS9weJAEb",
        "LswwdoUaIvS8ltyTt5jkRh4J50vUPVVHtR2YPi5kE");
    EXPECT_EQ(header,
              "Content-Type: application/x-www-form-urlencoded\n"
              "Authorization: OAuth oauth_consumer_key=\"xvz1evFRu9\",oauth_nonce=\"613EF1D52BF6409\","
              "oauth_signature_method=\"HMAC-SHA1\",oauth_timestamp=\"1318622958\","
              "oauth_token=\"370773112-GmHxMAgYyLbNEtIKZeRNFsMKPR9EyMZeS9weJAEb\",oauth_version=\"1.0\","
              "oauth_signature=\"aHAQ3yxBAhDowQIDlepPUS%2Fqux4%3D\"");
}

TEST(OAuthHeaderTest, EmptyConsumerKeyIsLeftOut)
{
    const std::string header = BuildOAuthHeaderAt(5, "http://x/", nullptr, "", "s", "", "");
    EXPECT_EQ(ListedNames(header), (std::vector<std::string>{"oauth_nonce", "oauth_signature_method",
                                                             "oauth_timestamp", "oauth_version",
                                                             "oauth_signature"}));
}

// RFC 5849 section 3.4.1.1's example, adapted to what this signer does: GET, one value per name
// (a3=2 q dropped), the nonce from the timestamp, oauth_version added, and names ordered by
// their raw bytes, so "c2" comes before "c@" (the RFC orders "c%40" first).
TEST(OAuthHeaderTest, BaseStringFollowsTheRfcExampleWithTheListedDepartures)
{
    RequestParameters signedParameters = {{"b5", "=%3D"}, {"a3", "a"}, {"c@", ""}, {"a2", "r b"}, {"c2", ""},
                                          {"oauth_consumer_key", "9djdj82h48djs9d2"},
                                          {"oauth_token", "kkk9d7dh3k39sjv7"},
                                          {"oauth_signature_method", "HMAC-SHA1"},
                                          {"oauth_timestamp", "137131201"},
                                          {"oauth_nonce", OAuthNonce(137131201)},
                                          {"oauth_version", "1.0"}};
    EXPECT_EQ(OAuthSignatureBaseString("http://example.com/request", signedParameters),
              "GET&http%3A%2F%2Fexample.com%2Frequest&a2%3Dr%2520b%26a3%3Da%26b5%3D%253D%25253D%26c2%3D%26"
              "c%2540%3D%26oauth_consumer_key%3D9djdj82h48djs9d2%26oauth_nonce%3D14E74E22561F6D51%26"
              "oauth_signature_method%3DHMAC-SHA1%26oauth_timestamp%3D137131201%26oauth_token%3D"
              "kkk9d7dh3k39sjv7%26oauth_version%3D1.0");

    const RequestParameters request = {{"b5", "=%3D"}, {"a3", "a"}, {"c@", ""}, {"a2", "r b"}, {"c2", ""}};
    EXPECT_EQ(BuildOAuthHeaderAt(137131201, "http://example.com/request", &request, "9djdj82h48djs9d2",
                                 "j49sk3j29djd", "kkk9d7dh3k39sjv7", "dh893hdasih9"),
              "Content-Type: application/x-www-form-urlencoded\n"
              "Authorization: OAuth oauth_consumer_key=\"9djdj82h48djs9d2\",oauth_nonce=\"14E74E22561F6D51\","
              "oauth_signature_method=\"HMAC-SHA1\",oauth_timestamp=\"137131201\","
              "oauth_token=\"kkk9d7dh3k39sjv7\",oauth_version=\"1.0\","
              "oauth_signature=\"9I8AFHh1R1%2BU95iihFrnD9mCdtA%3D\"");
}

TEST(OAuthHeaderTest, UrlIsSignedUnchanged)
{
    // no lower-casing, default port or query handling
    const RequestParameters none;
    EXPECT_EQ(OAuthSignatureBaseString("HTTP://Example.COM:80/a?b=c", none),
              "GET&HTTP%3A%2F%2FExample.COM%3A80%2Fa%3Fb%3Dc&");
}

TEST(OAuthHeaderTest, VerifierIsSignedBetweenTimestampAndVersionButNotListed)
{
    const RequestParameters request = {{"oauth_verifier", "v 1"}};
    const std::string with = BuildOAuthHeaderAt(1000000000, "https://api.twitter.com/oauth/access_token",
                                                &request, "ck", "cs", "rt", "rs");
    const std::string without = BuildOAuthHeaderAt(1000000000, "https://api.twitter.com/oauth/access_token",
                                                   nullptr, "ck", "cs", "rt", "rs");
    EXPECT_EQ(with.find("oauth_verifier"), std::string::npos);
    EXPECT_EQ(ListedNames(with), ListedNames(without));
    EXPECT_NE(with, without);  // the signature covers it

    RequestParameters signedParameters = {{"oauth_consumer_key", "ck"}, {"oauth_version", "1.0"},
                                          {"oauth_timestamp", "1"}, {"oauth_verifier", "v 1"}};
    const std::string base = OAuthSignatureBaseString("u", signedParameters);
    EXPECT_NE(base.find("oauth_timestamp%3D1%26oauth_verifier%3Dv%25201%26oauth_version%3D1.0"), std::string::npos)
        << base;
}

TEST(OAuthHeaderTest, RequestParametersCannotReplaceOAuthValues)
{
    const RequestParameters request = {{"oauth_nonce", "mine"}, {"oauth_version", "2.0"}};
    EXPECT_EQ(BuildOAuthHeaderAt(42, "https://a/b", &request, "ck", "cs", "", ""),
              BuildOAuthHeaderAt(42, "https://a/b", nullptr, "ck", "cs", "", ""));
}

TEST(OAuthHeaderTest, CurrentTimeIsUsedWhenNotFixed)
{
    const std::string header = BuildOAuthHeader("https://a/b", nullptr, "ck", "cs", "", "");
    const size_t at = header.find("oauth_timestamp=\"") + 17;
    const long long stamp = std::stoll(header.substr(at, header.find('"', at) - at));
    EXPECT_GT(stamp, 1700000000LL);  // after late 2023
    EXPECT_NE(header.find("oauth_nonce=\"" + OAuthNonce(static_cast<int32_t>(stamp)) + "\""), std::string::npos);
}

}  // namespace
}  // namespace Launcher
