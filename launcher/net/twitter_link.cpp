#include "launcher/net/twitter_link.h"

#include "kiln/crypt/seal_string.h"
#include "launcher/net/oauth_header.h"

#include <vector>

namespace Launcher {
namespace {

constexpr const char* kSealKey = "Ruvelo";

std::vector<std::string> SplitAtAmpersands(const std::string& text)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t amp = text.find('&', start);
        fields.push_back(text.substr(start, amp == std::string::npos ? std::string::npos : amp - start));
        if (amp == std::string::npos)
            return fields;
        start = amp + 1;
    }
}

// The plain text of a stored value, sealing it in place when it was not sealed.
bool LoadPair(const TwitterStoredValue& stored, CrtRandom& random, std::string& first, std::string& second)
{
    first.clear();
    second.clear();
    const std::string value = stored.read();
    if (value.empty())
        return false;
    std::string plain = Kiln::UnsealString(kSealKey, value);
    if (plain.empty()) {
        const int a = random.Draw();
        const int b = random.Draw();
        plain = value + "&" + std::to_string(b) + std::to_string(a);
        stored.write(Kiln::SealString(kSealKey, plain));
    }
    const std::vector<std::string> fields = SplitAtAmpersands(plain);
    if (fields.size() < 2)
        return false;
    first = fields[0];
    second = fields[1];
    return true;
}

}  // namespace

std::map<std::string, std::string> ParseTokenResponse(const std::string& body)
{
    std::map<std::string, std::string> map;
    for (const std::string& piece : SplitAtAmpersands(body)) {
        const size_t equals = piece.find('=');
        if (equals != std::string::npos)
            map[piece.substr(0, equals)] = piece.substr(equals + 1);
    }
    return map;
}

std::string TwitterRandomSuffix(uint32_t seed)
{
    CrtRandom random(seed);
    const int a = random.Draw();
    const int b = random.Draw();
    return std::to_string(b) + std::to_string(a);
}

void LoadTwitterKeys(TwitterKeys& keys, const TwitterStoredValue& apiAccessKey,
                     const TwitterStoredValue& userAccessKey, uint32_t seed)
{
    // One generator for both values, as a single seeding of the runtime's would be.
    CrtRandom random(seed);
    LoadPair(apiAccessKey, random, keys.consumerKey, keys.consumerSecret);
    LoadPair(userAccessKey, random, keys.accessToken, keys.accessTokenSecret);
}

void SaveTwitterKeys(const TwitterKeys& keys, const TwitterStoredValue& userAccessKey, uint32_t seed)
{
    std::string plain;
    if (keys.Linked())
        plain = keys.accessToken + "&" + keys.accessTokenSecret;
    plain += "&" + TwitterRandomSuffix(seed);
    userAccessKey.write(Kiln::SealString(kSealKey, plain));
}

TwitterPageView ViewOf(TwitterPageState state)
{
    TwitterPageView view;
    view.button = "Twitterと連動";
    switch (state) {
    case TwitterPageState::Unavailable:
        view.hint = "このアプリケーションは";
        view.status = "Twitterと連動できません";
        view.buttonEnabled = false;
        view.colour = LinkColour::Red;
        break;
    case TwitterPageState::NotLinked:
        view.status = "Twitterと連動していません";
        break;
    case TwitterPageState::WaitingForPin:
        view.hint = "Twitter認証後に表示される";
        view.status = "PIN Codeを入力してください";
        view.button = "入力";
        view.pinEnabled = true;
        break;
    case TwitterPageState::Linked:
        view.status = "Twitterと連動しています";
        view.button = "連動を解除する";
        view.colour = LinkColour::Blue;
        break;
    case TwitterPageState::RequestFailed:
        view.status = "RequestToken取得エラー";
        view.colour = LinkColour::Red;
        break;
    case TwitterPageState::AccessFailed:
        view.status = "AccessToken取得エラー";
        view.colour = LinkColour::Red;
        break;
    }
    return view;
}

TwitterPageState InitialState(const TwitterKeys& keys)
{
    if (!keys.consumerKey.empty() && !keys.consumerSecret.empty())
        return keys.Linked() ? TwitterPageState::Linked : TwitterPageState::NotLinked;
    return TwitterPageState::Unavailable;
}

TwitterAction ActionOnPress(const TwitterKeys& keys)
{
    if (keys.Linked())
        return TwitterAction::Unlink;
    if (keys.WaitingForPin())
        return TwitterAction::ExchangePin;
    return TwitterAction::RequestToken;
}

bool TakeTokens(const std::string& body, std::string& token, std::string& secret)
{
    std::map<std::string, std::string> map = ParseTokenResponse(body);
    token = map["oauth_token"];
    secret = map["oauth_token_secret"];
    return !token.empty() && !secret.empty();
}

std::string TwitterEndpoint(const std::string& host, const char* path)
{
    return "https://" + host + path;
}

}  // namespace Launcher
