// URLs come from System.ini; Content-Length from any server.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/net/http_request_text.h"
#include "launcher/net/percent_encode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Launcher::HTTPConnection;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (const auto url = SplitURL(text)) {
        // Host and path are pieces of the URL, the path starts with "/".
        if (url->path.empty() || url->path[0] != '/' || url->host.size() + url->path.size() > size)
            __builtin_trap();
        if (url->port != (url->secure ? 443 : 80))
            __builtin_trap();
    }
    const BodySize body = CheckContentLength(text);
    if (body.kind == BodySize::Kind::Known && (body.size == 0 || body.size > kMaxResponseSize))
        __builtin_trap();
    const std::string parameters = BuildParameterString({{std::string(text), std::string(text)}});
    if (parameters.size() != 1 + 2 * PercentEncode(text).size())
        __builtin_trap();
    return 0;
}
