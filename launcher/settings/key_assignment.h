#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kiln/base/ini_keys.h"

// Key assignments as Game.ini and System.ini store them: "<device>,0x<code>", device 0 the
// keyboard and 1 to 4 the joysticks.
namespace Launcher {

constexpr int kPlayerCount = 4;
constexpr size_t kButtonCount = Kiln::Keys::kButtonCount;

// The fixed button list, in the order every walk over the buttons uses.
inline constexpr const std::array<const char*, kButtonCount>& kButtonNames = Kiln::Keys::kButtonKeyNames;

// Assignments are input codes in their text form: Kiln::ParseInputCode reads them and
// Kiln::FormatInputCode writes them.

// The built-in assignment of a button for player 1 to 4: joystick `player`, its stick
// directions 0x00-0x03 for UP..RIGHT and its buttons 0x10-0x1B for BTN1..BTN12.
std::string DefaultKeyAssignment(int player, size_t button);

// `text` when it parses as an input code, else the built-in assignment.
std::string UsableKeyAssignment(std::string_view text, int player, size_t button);

// "KeyConfig%d" with the player number 1 to 4.
std::string KeyConfigSection(int player);

// The assignment text of every key box of every player, present once the box is known to
// an opened key page; this is what the settings save writes.
using KeyValues = std::array<std::array<std::optional<std::string>, kButtonCount>, kPlayerCount>;

}  // namespace Launcher
