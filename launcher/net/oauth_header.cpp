#include "launcher/net/oauth_header.h"

#include <cstdio>
#include <ctime>

#include "kiln/crypt/base64.h"
#include "launcher/net/hmac_sha1.h"
#include "launcher/net/percent_encode.h"

namespace Launcher {
namespace {

using HTTPConnection::PercentEncode;

// "name=value" pairs in name order, joined by `separator`, each value wrapped in `quote`.
std::string JoinParameters(const RequestParameters& parameters, char separator, const char* quote)
{
    std::string joined;
    for (const auto& [name, value] : parameters) {
        joined += separator;
        joined += PercentEncode(name);
        joined += '=';
        joined += quote;
        joined += PercentEncode(value);
        joined += quote;
    }
    return joined.empty() ? joined : joined.substr(1);
}

}  // namespace

std::string OAuthNonce(int32_t timestamp)
{
    CrtRandom random(static_cast<uint32_t>(timestamp));
    char text[4 * 4 + 1];
    const int first = random.Draw();
    const int second = random.Draw();
    const int third = random.Draw();
    const int fourth = random.Draw();
    std::snprintf(text, sizeof text, "%04X%X%X%X", first, second, third, fourth);
    return text;
}

std::string OAuthSignatureBaseString(const std::string& url, const RequestParameters& signedParameters)
{
    // Always GET: every request the launcher sends is one.
    return PercentEncode("GET") + "&" + PercentEncode(url) + "&" + PercentEncode(JoinParameters(signedParameters, '&', ""));
}

std::string BuildOAuthHeaderAt(int32_t timestamp, const std::string& url, const RequestParameters* parameters,
                               const std::string& consumerKey, const std::string& consumerSecret,
                               const std::string& token, const std::string& tokenSecret)
{
    RequestParameters oauth;
    if (!consumerKey.empty())
        oauth["oauth_consumer_key"] = consumerKey;
    if (!token.empty())
        oauth["oauth_token"] = token;
    oauth["oauth_signature_method"] = "HMAC-SHA1";
    oauth["oauth_timestamp"] = std::to_string(timestamp);
    oauth["oauth_nonce"] = OAuthNonce(timestamp);
    oauth["oauth_version"] = "1.0";

    // Request parameters are signed but never listed in the header; they cannot replace an
    // OAuth value of the same name.
    const std::string headerList = JoinParameters(oauth, ',', "\"");
    if (parameters)
        oauth.insert(parameters->begin(), parameters->end());

    const std::string baseString = OAuthSignatureBaseString(url, oauth);
    const std::string key = PercentEncode(consumerSecret) + "&" + PercentEncode(tokenSecret);
    const clx::sha1::digest_type mac = HmacSha1(key, baseString);
    const std::string signature =
        PercentEncode(Kiln::Base64Encode(std::string_view(reinterpret_cast<const char*>(mac.data()), mac.size())));

    return "Content-Type: application/x-www-form-urlencoded\n"
           "Authorization: OAuth " +
           headerList + ",oauth_signature=\"" + signature + "\"";
}

std::string BuildOAuthHeader(const std::string& url, const RequestParameters* parameters,
                             const std::string& consumerKey, const std::string& consumerSecret,
                             const std::string& token, const std::string& tokenSecret)
{
    const auto timestamp = static_cast<int32_t>(std::time(nullptr));
    return BuildOAuthHeaderAt(timestamp, url, parameters, consumerKey, consumerSecret, token, tokenSecret);
}

}  // namespace Launcher
