#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Reading numbers out of stored texts the way the C library's scanf reads them back: blanks
// skipped in front, the number taken from the start, whatever follows left to the caller.
namespace Kiln::NumberScan {

// Space, tab and the line-break characters.
bool IsBlank(char c);

// Moves `pos` past any blanks.
void SkipBlanks(std::string_view text, size_t& pos);

// A decimal integer with an optional sign, after blanks. On success `pos` is moved past it.
// Null when there is no digit or the value does not fit an int.
std::optional<int> ScanDecimal(std::string_view text, size_t& pos);

// Decimal digits only (no blanks, no sign) from `pos`, as servers and the tool's own files write
// counts and sizes. On success `pos` is moved past them. Null when there is no digit or the
// value exceeds `limit`.
std::optional<uint64_t> ScanDigits(std::string_view text, size_t& pos, uint64_t limit = UINT64_MAX);

// A hexadecimal integer with an optional "0x" prefix, after blanks. On success `pos` is moved
// past it. Null when there is no digit or the value does not fit 32 bits.
std::optional<uint32_t> ScanHex(std::string_view text, size_t& pos);

}  // namespace Kiln::NumberScan
