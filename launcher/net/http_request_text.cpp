#include "launcher/net/http_request_text.h"

#include "launcher/net/percent_encode.h"

namespace Launcher::HTTPConnection {
namespace {

bool IsHeaderBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

std::optional<URLParts> SplitURL(std::string_view url)
{
    URLParts parts;
    if (url.substr(0, 6) == "https:") {
        parts.secure = true;
        parts.port = 443;
    } else if (url.substr(0, 5) != "http:") {
        return std::nullopt;
    }
    const size_t slashes = url.find("//");
    if (slashes == std::string_view::npos)
        return std::nullopt;
    const std::string_view rest = url.substr(slashes + 2);
    const size_t pathStart = rest.find('/');
    if (pathStart == std::string_view::npos) {
        parts.host = std::string(rest);
        parts.path = "/";
    } else {
        parts.host = std::string(rest.substr(0, pathStart));
        parts.path = std::string(rest.substr(pathStart));
    }
    return parts;
}

std::string BuildParameterString(const std::map<std::string, std::string>& parameters)
{
    std::string text;
    for (const auto& [key, value] : parameters) {
        text += '&';
        text += PercentEncode(key);
        text += '=';
        text += PercentEncode(value);
    }
    return text.empty() ? text : text.substr(1);
}

std::string GetRequestTarget(const std::string& path, const std::string& parameters)
{
    return path + "?" + parameters;
}

BodySize CheckContentLength(const std::optional<std::string_view>& header, uint64_t limit)
{
    if (!header)
        return {};
    std::string_view text = *header;
    while (!text.empty() && IsHeaderBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsHeaderBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return {BodySize::Kind::Unusable, 0};
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return {BodySize::Kind::Unusable, 0};
        if (value > limit / 10)
            return {BodySize::Kind::Unusable, 0};
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit)
            return {BodySize::Kind::Unusable, 0};
    }
    if (value == 0)
        return {BodySize::Kind::Zero, 0};
    return {BodySize::Kind::Known, value};
}

}  // namespace Launcher::HTTPConnection
