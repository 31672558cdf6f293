#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// The parts of an HTTP request and response that need no Windows API: the URL split, the
// parameter string, the request target and the body-size rules.
namespace Launcher::HTTPConnection {

constexpr uint32_t kUnknownContentSize = 0xFFFFFFFF;
constexpr size_t kReceiveBufferSize = 0x200000;
// The body is held in memory whole, in a process that may have only 2 GiB of address space;
// a larger body (announced or received) fails the request before anything is allocated.
constexpr uint32_t kMaxResponseSize = 0x40000000;
// A body that goes to a file instead may be as large as a file.
constexpr uint64_t kMaxFileBodySize = uint64_t{1} << 62;

struct URLParts {
    bool secure = false;
    std::string host;  // used whole as the server name: no port is taken out of it
    std::string path;  // from the first "/" after the host on, or "/"
    uint16_t port = 80;
};

// "https:" (secure, port 443) or "http:" (port 80), case-sensitive, then the host after the
// first "//". Null for any other scheme or without "//".
std::optional<URLParts> SplitURL(std::string_view url);

// "key=value" pairs joined with "&", each side percent-encoded, in the map's key order.
std::string BuildParameterString(const std::map<std::string, std::string>& parameters);

// The GET target: the path, "?" (always) and the parameter string.
std::string GetRequestTarget(const std::string& path, const std::string& parameters);

// What a Content-Length header allows.
struct BodySize {
    enum class Kind {
        Unknown,   // no header: read until the data ends
        Known,     // `size` bytes, 1 to the limit
        Zero,      // present and 0: the request fails with an empty body
        Unusable,  // not a decimal number, or larger than the limit: the request fails
    };
    Kind kind = Kind::Unknown;
    uint64_t size = 0;
};

// `header` is the header's value as the server sent it (null when absent); blanks around
// the digits are allowed.
BodySize CheckContentLength(const std::optional<std::string_view>& header, uint64_t limit = kMaxResponseSize);

}  // namespace Launcher::HTTPConnection
