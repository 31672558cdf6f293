#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

// The account link's rules without a window: token responses, how the stored keys are sealed,
// and what the page shows in each state.
namespace Launcher {

// Name to value, undecoded; a later name replaces an earlier one, pieces without '=' are dropped.
std::map<std::string, std::string> ParseTokenResponse(const std::string& body);

// The two credential pairs; `requestToken`/`requestTokenSecret` live only in memory.
struct TwitterKeys {
    std::string consumerKey, consumerSecret;
    std::string accessToken, accessTokenSecret;
    std::string requestToken, requestTokenSecret;

    bool HasConsumer() const { return !consumerKey.empty() && !consumerSecret.empty(); }
    bool Linked() const { return !accessToken.empty() && !accessTokenSecret.empty(); }
    bool WaitingForPin() const { return !requestToken.empty() && !requestTokenSecret.empty(); }
    void ForgetRequest()
    {
        requestToken.clear();
        requestTokenSecret.clear();
    }
    void ForgetAccess()
    {
        accessToken.clear();
        accessTokenSecret.clear();
    }
};

// Reads and writes one stored value; the Win32 side binds these to the profile files.
struct TwitterStoredValue {
    std::function<std::string()> read;
    std::function<void(const std::string&)> write;
};

// Two further draws of a generator, the second written first, so sealed texts of equal
// content differ.
std::string TwitterRandomSuffix(uint32_t seed);

// Fills the consumer and access pairs; a value that does not unseal is taken as plain text and
// written back sealed (with the suffix) before its fields are used.
void LoadTwitterKeys(TwitterKeys& keys, const TwitterStoredValue& apiAccessKey,
                     const TwitterStoredValue& userAccessKey, uint32_t seed);

// Writes the access pair sealed, or only the suffix when not linked.
void SaveTwitterKeys(const TwitterKeys& keys, const TwitterStoredValue& userAccessKey, uint32_t seed);

// Colour of the status line.
enum class LinkColour { Black = 0, Red = 1, Blue = 2 };

// What the page's four controls show.
struct TwitterPageView {
    std::string hint;
    std::string status;
    std::string button;
    bool buttonEnabled = true;
    bool pinEnabled = false;
    LinkColour colour = LinkColour::Black;
};

enum class TwitterPageState { Unavailable, NotLinked, WaitingForPin, Linked, RequestFailed, AccessFailed };

TwitterPageView ViewOf(TwitterPageState state);

// The state the page opens in.
TwitterPageState InitialState(const TwitterKeys& keys);

// What a press of the button does next.
enum class TwitterAction { Unlink, ExchangePin, RequestToken };
TwitterAction ActionOnPress(const TwitterKeys& keys);

// Stores a token answer into a pair; true when both values came.
bool TakeTokens(const std::string& body, std::string& token, std::string& secret);

// "https://" host path, nothing after the path.
std::string TwitterEndpoint(const std::string& host, const char* path);
inline constexpr const char* kTwitterRequestTokenPath = "/oauth/request_token";
inline constexpr const char* kTwitterAuthorizePath = "/oauth/authorize";
inline constexpr const char* kTwitterAccessTokenPath = "/oauth/access_token";
inline constexpr const char* kTwitterDefaultHost = "api.twitter.com";

}  // namespace Launcher
