#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "kiln/input/input.h"
#include "launcher/pages/key_page_rules.h"

namespace Launcher {

// The key configuration pages (template 103), one per player: captioned "キー設定" or
// "キー設定(1P)" ... "キー設定(4P)". Each polls the input devices and writes the first input
// that goes down into the focused key box.
INT_PTR CALLBACK KeyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The key boxes of every set-up key page and the capture that fills them.
class KeyCapture {
public:
    // Where a capture's assignment text goes (player index 0 to 3, button index).
    using StoreValue = std::function<void(int playerIndex, size_t button, const std::string& text)>;

    // Records the boxes of a player's page and the box that follows each after a capture.
    void AddPage(int playerIndex, const std::array<HWND, kButtonCount>& boxes,
                 const std::array<int, kButtonCount>& next);
    bool HasPage(int playerIndex) const;
    // Null for a box no set-up page has.
    HWND Box(int playerIndex, size_t button) const;

    // One capture poll. Only while one of the known boxes has the keyboard focus: reads the
    // devices, and when an input has gone down since the last such poll, shows it in that
    // box, stores its assignment text and moves the focus to the box that follows.
    void Poll(Kiln::CInput& input, const StoreValue& store);

private:
    struct BoxPlace {
        int playerIndex;
        size_t button;
    };
    bool Find(HWND box, BoxPlace& place) const;

    std::array<std::array<HWND, kButtonCount>, kPlayerCount> boxes_{};
    std::array<std::array<int, kButtonCount>, kPlayerCount> next_{};
    InputFlags held_;
};

}  // namespace Launcher
