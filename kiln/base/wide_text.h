#pragma once

#include <string>
#include <string_view>

// Shift-JIS text for the wide Windows functions. A process's code page reaches the kernel and
// the window manager, but GDI reads narrow text in the system's code page: whatever is drawn
// or named through GDI is converted here explicitly and handed to the wide function.
namespace Kiln {

std::wstring WideFromShiftJis(std::string_view text);

}  // namespace Kiln
