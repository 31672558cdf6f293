#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Real keyboard input for code that reads the keyboard through DirectInput: X key events
// sent with xdotool, which a test inside Wine starts as a Unix program. Without a window
// manager nobody moves the X focus, so a test gives it to its window explicitly.
namespace KilnTest {

// Runs a /bin/sh command line on the Unix side and waits for it, pumping this thread's
// messages meanwhile; its exit status, or -1 when it could not start or did not finish in
// `timeoutMs`. The command may not contain double quotes or backslashes.
int RunUnixCommand(const std::string& command, DWORD timeoutMs = 20000);

// Pumps this thread's messages until `done` holds; false on time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

// A visible top-level window of this thread with a caption of letters, digits and '_'
// that no other window has (xdotool finds it by that name).
class TestWindow {
public:
    explicit TestWindow(const std::string& name);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Get() const { return window_; }
    const std::string& Caption() const { return caption_; }

    // Makes it the foreground window and gives it the X keyboard focus; false when either
    // does not happen in time.
    bool BringToFront();
    // Runs `action` with the window in the foreground, and again when the foreground moved
    // away meanwhile (the programs of other tests may open windows at any moment); false
    // when the window never kept it.
    bool WhileInFront(const std::function<void()>& action);

private:
    std::string caption_;
    HWND window_ = nullptr;
};

// Gives a top-level window, of this process or another, the X keyboard focus and waits until
// it is the foreground window; `caption` is its caption, of letters, digits and '_'.
bool BringToFront(HWND window, const std::string& caption);

// A left click with the X pointer at a point of the screen.
bool XClick(int x, int y);
// Moves the X pointer there.
bool XMovePointer(int x, int y);

// Holds a key for `ms` milliseconds: long enough for a reader that polls the keyboard.
bool XPressKey(const std::string& key, DWORD ms = 150);

// xdotool key names ("z", "Up", "shift"). Presses are held until released.
bool XKeyDown(const std::string& key);
bool XKeyUp(const std::string& key);

// Releases the key when it goes, however the test ends.
class HeldXKey {
public:
    explicit HeldXKey(std::string key) : key_(std::move(key)) { pressed_ = XKeyDown(key_); }
    ~HeldXKey() { XKeyUp(key_); }
    HeldXKey(const HeldXKey&) = delete;
    HeldXKey& operator=(const HeldXKey&) = delete;
    bool Pressed() const { return pressed_; }

private:
    std::string key_;
    bool pressed_ = false;
};

}  // namespace KilnTest
