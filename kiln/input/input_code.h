#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The input code names one assignable input: device 0 is the keyboard (the code is its scan
// code), devices 1 to 4 are the joysticks (the code is a joystick input, 0x00 to 0x1F). Its
// text form is what Game.ini and System.ini store.
namespace Kiln {

struct InputCode {
    int32_t device = 0;
    uint32_t code = 0;

    friend bool operator==(const InputCode& a, const InputCode& b)
    {
        return a.device == b.device && a.code == b.code;
    }
    friend bool operator!=(const InputCode& a, const InputCode& b) { return !(a == b); }
};

// "%d,0x%02X": "0,0xC8", "2,0x10".
std::string FormatInputCode(int32_t device, uint32_t code);

// Reads a decimal device number, one separator character of any kind and a hexadecimal code
// ("0x" optional). Blanks before each of the three are skipped and text after the code is
// ignored; the text ends at its first NUL. Null when either number is missing or does not
// fit (device: 32-bit signed; code: 32-bit unsigned). Range checks against open devices
// are the caller's: a stored code that parses is kept as it stands.
std::optional<InputCode> ParseInputCode(std::string_view text);

}  // namespace Kiln
