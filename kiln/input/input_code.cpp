#include "kiln/input/input_code.h"

#include <cstdio>

#include "kiln/base/number_scan.h"

namespace Kiln {

std::string FormatInputCode(int32_t device, uint32_t code)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d,0x%02X", static_cast<int>(device), static_cast<unsigned>(code));
    return text;
}

std::optional<InputCode> ParseInputCode(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    size_t pos = 0;
    const std::optional<int> device = NumberScan::ScanDecimal(text, pos);
    if (!device)
        return std::nullopt;
    NumberScan::SkipBlanks(text, pos);
    if (pos == text.size())
        return std::nullopt;
    ++pos;  // the separator, whatever it is
    const std::optional<uint32_t> code = NumberScan::ScanHex(text, pos);
    if (!code)
        return std::nullopt;
    return InputCode{*device, *code};
}

}  // namespace Kiln
