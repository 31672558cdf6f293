#include "kiln/input/input_names.h"

#include <array>

namespace Kiln {
namespace {

struct NamedKey {
    uint8_t scanCode;
    const char* name;
};

// Some keys deliberately share a text with another key (0x29 and 0x1B, 0x7D and 0x2B, 0xB3
// and 0x34, 0xB5 and 0x35, 0x92 and 0x28): that is what players have always seen.
constexpr NamedKey kNamedKeys[] = {
    {0x01, "ESC"}, {0x02, "1"}, {0x03, "2"}, {0x04, "3"}, {0x05, "4"}, {0x06, "5"}, {0x07, "6"},
    {0x08, "7"}, {0x09, "8"}, {0x0A, "9"}, {0x0B, "0"}, {0x0C, "-"}, {0x0D, "="}, {0x0E, "BS"},
    {0x0F, "Tab"}, {0x10, "Q"}, {0x11, "W"}, {0x12, "E"}, {0x13, "R"}, {0x14, "T"}, {0x15, "Y"},
    {0x16, "U"}, {0x17, "I"}, {0x18, "O"}, {0x19, "P"}, {0x1A, "["}, {0x1B, "]"}, {0x1C, "Return"},
    {0x1D, "Ctrl(Left)"}, {0x1E, "A"}, {0x1F, "S"}, {0x20, "D"}, {0x21, "F"}, {0x22, "G"},
    {0x23, "H"}, {0x24, "J"}, {0x25, "K"}, {0x26, "L"}, {0x27, ";"}, {0x28, ":"}, {0x29, "]"},
    {0x2A, "Shift(Left)"}, {0x2B, "\\"}, {0x2C, "Z"}, {0x2D, "X"}, {0x2E, "C"}, {0x2F, "V"},
    {0x30, "B"}, {0x31, "N"}, {0x32, "M"}, {0x33, ","}, {0x34, "."}, {0x35, "/"},
    {0x36, "Shift(Right)"}, {0x37, "*"}, {0x38, "Alt(Left)"}, {0x39, "Space"}, {0x3B, "F1"},
    {0x3C, "F2"}, {0x3D, "F3"}, {0x3E, "F4"}, {0x3F, "F5"}, {0x40, "F6"}, {0x41, "F7"},
    {0x42, "F8"}, {0x43, "F9"}, {0x44, "F10"}, {0x45, "NumLock"}, {0x46, "Scroll"},
    {0x47, "7(Num)"}, {0x48, "8(Num)"}, {0x49, "9(Num)"}, {0x4A, "-(Num)"}, {0x4B, "4(Num)"},
    {0x4C, "5(Num)"}, {0x4D, "6(Num)"}, {0x4E, "+"}, {0x4F, "1(Num)"}, {0x50, "2(Num)"},
    {0x51, "3(Num)"}, {0x52, "0(Num)"}, {0x53, ".(Num)"}, {0x57, "F11"}, {0x58, "F12"},
    {0x64, "F13"}, {0x65, "F14"}, {0x66, "F15"}, {0x79, "変換"}, {0x7B, "無変換"}, {0x7D, "\\"},
    {0x8D, "=(Num)"}, {0x90, "^"}, {0x91, "@"}, {0x92, ":"}, {0x93, "_"}, {0x95, "Stop"},
    {0x9C, "Enter(Num)"}, {0x9D, "Ctrl(Right)"}, {0xB3, "."}, {0xB5, "/"}, {0xB7, "PrnSc"},
    {0xB8, "Alt(Right)"}, {0xC5, "Pause"}, {0xC7, "Home"}, {0xC8, "↑"}, {0xC9, "PageUP"},
    {0xCB, "←"}, {0xCD, "→"}, {0xCF, "END"}, {0xD0, "↓"}, {0xD1, "PageDN"}, {0xD2, "Insert"},
    {0xD3, "Delete"}, {0xDB, "Windows(Left)"}, {0xDC, "Windows(Right)"}, {0xDD, "Menu"},
};

constexpr std::array<const char*, kKeyNameCount> BuildKeyNames()
{
    std::array<const char*, kKeyNameCount> names{};
    for (const char*& name : names)
        name = "";
    for (const NamedKey& key : kNamedKeys)
        names[key.scanCode] = key.name;
    return names;
}

constexpr std::array<const char*, kKeyNameCount> kKeyNames = BuildKeyNames();

// Indexed by joystick input code: the two sticks and the Z axes, the first hat, buttons.
constexpr std::array<const char*, kJoystickNameCount> kJoystickNames = {
    "↑", "↓", "←", "→", "ZDEC", "ZINC",
    "↑(R)", "↓(R)", "←(R)", "→(R)", "ZDEC(R)", "ZINC(R)",
    "↑(POV)", "↓(POV)", "←(POV)", "→(POV)",
    "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16",
};

}  // namespace

const char* KeyName(uint32_t scanCode)
{
    return scanCode < kKeyNames.size() ? kKeyNames[scanCode] : "";
}

const char* JoystickInputName(uint32_t code)
{
    return code < kJoystickNames.size() ? kJoystickNames[code] : "";
}

}  // namespace Kiln
