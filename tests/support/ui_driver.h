#pragma once

#include <windows.h>

#include <string>

// Drives the windows of another process the way a player would, through messages that
// Windows carries between processes.
namespace KilnTest {

constexpr DWORD kWindowTimeoutMs = 15000;

// The first visible top-level window of a process whose class and caption match (either may
// be null to match any), waiting up to `timeoutMs`; null on time-out.
HWND WaitForWindow(DWORD processId, const char* className, const char* caption,
                   DWORD timeoutMs = kWindowTimeoutMs);

// A dialog box ("#32770") of the process with this caption.
HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs = kWindowTimeoutMs);

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
bool ItemVisible(HWND dialog, int id);

// Presses a button of a dialog.
void Click(HWND dialog, int id);
// A key press as the window's message loop receives it.
void PressKey(HWND window, WORD virtualKey);
// The close box of the window's caption.
void PressCloseBox(HWND window);

// The text of a message box (its static item 0xFFFF).
std::string MessageBoxText(HWND box);
void DismissMessageBox(HWND box);

}  // namespace KilnTest
