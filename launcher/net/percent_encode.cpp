#include "launcher/net/percent_encode.h"

namespace Launcher::HTTPConnection {
namespace {

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string PercentEncode(std::string_view text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        }
    }
    return encoded;
}

}  // namespace Launcher::HTTPConnection
