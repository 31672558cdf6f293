#include "kiln/base/wide_text.h"

#include <windows.h>

namespace Kiln {
namespace {

constexpr UINT kShiftJis = 932;

}  // namespace

std::wstring WideFromShiftJis(std::string_view text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int wide = ::MultiByteToWideChar(kShiftJis, 0, text.data(), length, nullptr, 0);
    std::wstring result(static_cast<size_t>(wide > 0 ? wide : 0), L'\0');
    if (wide > 0)
        ::MultiByteToWideChar(kShiftJis, 0, text.data(), length, result.data(), wide);
    return result;
}

}  // namespace Kiln
