#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace Launcher {

// Request parameters by name, iterated in byte-wise name order (the HTTP client's mapParam).
using RequestParameters = std::map<std::string, std::string>;

// The header text of an OAuth 1.0 request signed with HMAC-SHA1, for a GET of `url` with the
// given request parameters (null for none). `token` and `tokenSecret` may be empty. The text
// is a Content-Type line, LF, and the Authorization line, without a line end.
std::string BuildOAuthHeader(const std::string& url, const RequestParameters* parameters,
                             const std::string& consumerKey, const std::string& consumerSecret,
                             const std::string& token, const std::string& tokenSecret);

// The same with the clock fixed at `timestamp` (seconds since 1970).
std::string BuildOAuthHeaderAt(int32_t timestamp, const std::string& url, const RequestParameters* parameters,
                               const std::string& consumerKey, const std::string& consumerSecret,
                               const std::string& token, const std::string& tokenSecret);

// "GET&" + the encoded URL (unchanged otherwise) + "&" + the encoded parameter string of every
// signed parameter (OAuth and request parameters) in name order.
std::string OAuthSignatureBaseString(const std::string& url, const RequestParameters& signedParameters);

// The nonce for a timestamp: four draws of the C runtime's generator seeded with it, in
// upper-case hex, the first padded to four digits.
std::string OAuthNonce(int32_t timestamp);

// The C runtime's rand formula, with its own state: the service's nonces follow it, and
// keeping the state here leaves the caller's rand sequence alone.
class CrtRandom {
public:
    explicit CrtRandom(uint32_t seed) : state_(seed) {}
    int Draw()
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    uint32_t state_;
};

}  // namespace Launcher
