// URLs come from System.ini; Content-Length, Content-Range and the other headers from any server.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/net/http_request_text.h"
#include "launcher/net/percent_encode.h"
#include "launcher/net/range_rules.h"

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

    // A range that reads is in order and inside its file.
    if (const auto range = ParseContentRange(text)) {
        if (range->last < range->first || (range->total != kUnknownSize && range->last >= range->total))
            __builtin_trap();
    }
    // Only a 206 whose range starts where we stopped continues a download.
    const uint64_t offset = size;
    if (JudgeResponse(206, text, offset, "\"v\"", kUnknownSize) == ResumeVerdict::Append) {
        const auto header = FindHeader(text, "Content-Range");
        const auto range = header ? ParseContentRange(*header) : std::nullopt;
        if (!range || range->first != offset)
            __builtin_trap();
    }
    if (ValidatorOf(text).find('\n') != std::string::npos)
        __builtin_trap();
    return 0;
}
