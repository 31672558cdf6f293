#pragma once

#include <windows.h>

#include <string>
#include <vector>

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
// The text a control holds now, asked with WM_GETTEXT: edit controls and combo boxes leave
// the copy that GetWindowText reads across processes behind.
std::string ControlText(HWND control);
bool ItemVisible(HWND dialog, int id);
// The rectangle an edit box draws its text in (EM_GETRECT), in its client coordinates.
RECT EditFormattingRect(HWND edit);

// The page dialog a window shows now (its visible child dialog), or null.
HWND CurrentPage(HWND window);
// The window that has the keyboard focus in the thread of `window`, or null.
HWND FocusedWindow(HWND window);

// Presses a button of a dialog: the dialog gets the button's command.
void Click(HWND dialog, int id);
// Clicks a button control itself, as the mouse would: check boxes and radio buttons change
// state before the dialog hears of it.
void PressButton(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);

// Tab controls: the captions in order, the selected index, and selecting a tab as a click
// would (the parent gets the selection-change notification).
std::vector<std::string> TabCaptions(HWND tabControl);
int SelectedTab(HWND tabControl);
void SelectTab(HWND tabControl, int index);
// The area of a tab control where its pages go (TCM_ADJUSTRECT), in screen coordinates.
RECT TabDisplayArea(HWND tabControl);

// Combo boxes and list boxes: the entries, the selected index, and choosing an entry as the
// player would (the dialog gets the selection-change command).
std::vector<std::string> ListEntries(HWND dialog, int id);
int SelectedEntry(HWND dialog, int id);
void ChooseEntry(HWND dialog, int id, int index);
// A key press as the window's message loop receives it.
void PressKey(HWND window, WORD virtualKey);
// The close box of the window's caption.
void PressCloseBox(HWND window);

// The text of a message box (its static item 0xFFFF).
std::string MessageBoxText(HWND box);
void DismissMessageBox(HWND box);

// The text of a tree view's selected item.
std::string SelectedTreeItemText(HWND tree);
// Selects a folder in a folder-browsing dialog, as a click on it in the dialog's tree would.
bool SelectBrowsedFolder(HWND dialog, const std::wstring& path);

}  // namespace KilnTest
