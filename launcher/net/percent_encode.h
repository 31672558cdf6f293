#pragma once

#include <string>
#include <string_view>

namespace Launcher::HTTPConnection {

// Every byte outside ASCII letters, digits and "-._~" becomes "%" and two upper-case hex
// digits (a space is %20; bytes from 0x80 up one by one). Query and body parameters and every
// OAuth value are encoded this way.
std::string PercentEncode(std::string_view text);

}  // namespace Launcher::HTTPConnection
