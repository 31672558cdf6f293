#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

#include "kiln/cli/cli_support.h"
#include "kiln/cli/command_groups.h"
#include "launcher/net/oauth_header.h"

namespace KilnCli {
namespace {

struct OAuthRequest {
    std::optional<std::string> url, consumerKey, consumerSecret;
    std::string token, tokenSecret;
    Launcher::RequestParameters parameters;
    std::optional<int32_t> timestamp;
};

// Whole decimal numbers within the signed 32-bit range only.
std::optional<int32_t> ParseTimestamp(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("-0123456789") != std::string::npos)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

// Fills `request` from the options; returns an error message, empty when all is well.
std::string ParseOptions(const Arguments& arguments, OAuthRequest& request)
{
    for (size_t i = 0; i < arguments.size(); i += 2) {
        const std::string& option = arguments[i];
        if (i + 1 >= arguments.size())
            return "option '" + option + "' needs a value";
        const std::string& value = arguments[i + 1];
        if (option == "--url") {
            request.url = value;
        } else if (option == "--consumer-key") {
            request.consumerKey = value;
        } else if (option == "--consumer-secret") {
            request.consumerSecret = value;
        } else if (option == "--token") {
            request.token = value;
        } else if (option == "--token-secret") {
            request.tokenSecret = value;
        } else if (option == "--param") {
            const size_t equals = value.find('=');
            if (equals == std::string::npos || equals == 0)
                return "--param needs NAME=VALUE, got '" + value + "'";
            if (!request.parameters.emplace(value.substr(0, equals), value.substr(equals + 1)).second)
                return "parameter '" + value.substr(0, equals) + "' given twice";
        } else if (option == "--timestamp") {
            request.timestamp = ParseTimestamp(value);
            if (!request.timestamp)
                return "--timestamp needs whole seconds within the 32-bit range, got '" + value + "'";
        } else {
            return "unknown option '" + option + "'";
        }
    }
    if (!request.url || !request.consumerKey || !request.consumerSecret)
        return "--url, --consumer-key and --consumer-secret are required";
    return {};
}

}  // namespace

int RunOAuthHeader(const Arguments& arguments, Streams& streams)
{
    OAuthRequest request;
    if (const std::string error = ParseOptions(arguments, request); !error.empty())
        return UsageError(streams, "oauth-header", error);
    const Launcher::RequestParameters* parameters = request.parameters.empty() ? nullptr : &request.parameters;
    const std::string header =
        request.timestamp
            ? Launcher::BuildOAuthHeaderAt(*request.timestamp, *request.url, parameters, *request.consumerKey,
                                           *request.consumerSecret, request.token, request.tokenSecret)
            : Launcher::BuildOAuthHeader(*request.url, parameters, *request.consumerKey, *request.consumerSecret,
                                         request.token, request.tokenSecret);
    streams.out << header << "\n";
    return kOk;
}

}  // namespace KilnCli
