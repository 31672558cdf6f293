#include "launcher/pages/key_page.h"

#include <shlwapi.h>

#include <algorithm>

#include "kiln/base/text.h"
#include "launcher/pages/page_colours.h"
#include "launcher/pages/page_fit.h"
#include "launcher/pages/page_layout.h"
#include "launcher/settings/profile_keys.h"
#include "launcher/settings/settings_paths.h"
#include "launcher/settings/settings_store.h"
#include "launcher/window/launcher.h"
#include "resources/resource.h"

namespace Launcher {

void KeyCapture::AddPage(int playerIndex, const std::array<HWND, kButtonCount>& boxes,
                         const std::array<int, kButtonCount>& next)
{
    if (playerIndex < 0 || playerIndex >= kPlayerCount)
        return;
    boxes_[static_cast<size_t>(playerIndex)] = boxes;
    next_[static_cast<size_t>(playerIndex)] = next;
}

bool KeyCapture::HasPage(int playerIndex) const
{
    return Box(playerIndex, 0) != nullptr;
}

HWND KeyCapture::Box(int playerIndex, size_t button) const
{
    if (playerIndex < 0 || playerIndex >= kPlayerCount || button >= kButtonCount)
        return nullptr;
    return boxes_[static_cast<size_t>(playerIndex)][button];
}

bool KeyCapture::Find(HWND box, BoxPlace& place) const
{
    if (!box)
        return false;
    for (size_t player = 0; player < boxes_.size(); ++player) {
        for (size_t button = 0; button < kButtonCount; ++button) {
            if (boxes_[player][button] == box) {
                place = {static_cast<int>(player), button};
                return true;
            }
        }
    }
    return false;
}

void KeyCapture::Poll(Kiln::CInput& input, const StoreValue& store)
{
    HWND focused = ::GetFocus();
    BoxPlace place;
    if (!Find(focused, place))
        return;
    input.Update();

    InputFlags down;
    for (uint32_t code = 0; code < down.keys.size(); ++code)
        down.keys[code] = input.IsKeyDown(code);
    for (size_t joystick = 0; joystick < down.joysticks.size(); ++joystick) {
        for (uint32_t code = 0; code < down.joysticks[joystick].size(); ++code)
            down.joysticks[joystick][code] = input.GetJoystickInput(static_cast<int>(joystick + 1), code) != 0;
    }
    const std::optional<Kiln::InputCode> pressed = TakePresses(down, held_);
    if (!pressed)
        return;

    ::SetWindowTextA(focused, KeyBoxText(*pressed).c_str());
    store(place.playerIndex, place.button, Kiln::FormatInputCode(pressed->device, pressed->code));
    const int next = next_[static_cast<size_t>(place.playerIndex)][place.button];
    ::SetFocus(next == kNoKeyBox ? nullptr : Box(place.playerIndex, static_cast<size_t>(next)));
}

namespace {

constexpr UINT_PTR kCaptureTimer = 276;
constexpr UINT kCapturePeriodMs = 32;

// Shared by every key page of the window.
KeyCapture& Capture()
{
    static KeyCapture capture;
    return capture;
}

int PlayerIndexOf(HWND page)
{
    const CLauncher::TabPage* record = CLauncher::GetInstance()->FindPage(page);
    return record && record->playerIndex >= 0 ? record->playerIndex : 0;
}

// Fills a page's boxes from Game.ini (System.ini when there is no Game.ini), or with
// `fromDefaults` from System.ini; a missing, empty or unreadable value gives the built-in one.
void LoadKeyConfig(int playerIndex, bool fromDefaults)
{
    std::string path = SystemIniPath();
    if (!fromDefaults) {
        const std::string gameIni = GameIniPath();
        if (::PathFileExistsA(gameIni.c_str()))
            path = gameIni;
    }
    CLauncher* launcher = CLauncher::GetInstance();
    for (size_t button = 0; button < kButtonCount; ++button) {
        HWND box = Capture().Box(playerIndex, button);
        if (!box)
            continue;
        const std::string text = ReadKeyAssignment(path, playerIndex + 1, button);
        launcher->SetKeyValue(playerIndex, button, text);
        if (const auto code = Kiln::ParseInputCode(text))
            ::SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(KeyBoxText(*code).c_str()));
    }
}

void Place(HWND control, int left, int width)
{
    RECT rect = {};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    ::SetWindowPos(control, nullptr, left, rect.top, width, rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The four columns of buttons (four buttons each, in button order) as wide as their labels
// and the widest text a capture can put in a box, spread over the page; labels that still do
// not fit wrap.
void LayOutKeyColumns(HWND page, const std::array<std::string, kButtonCount>& labels)
{
    constexpr size_t kRows = kButtonCount / kKeyColumns;
    HWND firstBox = ::GetDlgItem(page, kKeyBoxIds[0]);
    HWND firstLabel = ::GetDlgItem(page, kKeyLabelIds[0]);
    RECT box = {}, label = {}, format = {}, client = {};
    ::GetWindowRect(firstBox, &box);
    ::GetWindowRect(firstLabel, &label);
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&label), 2);
    ::SendMessageA(firstBox, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    ::GetClientRect(page, &client);
    // the box's border and margins around its text, and a pixel for the caret
    const int boxWidth = WidestText(firstBox, AllKeyBoxTexts()) + (box.right - box.left) -
                         (format.right - format.left) + 1;
    std::array<int, kKeyColumns> labelWidths{};
    for (size_t button = 0; button < kButtonCount; ++button) {
        int& width = labelWidths[button / kRows];
        width = std::max(width, WidestText(::GetDlgItem(page, kKeyLabelIds[button]), {labels[button]}));
    }
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&box), 2);
    const auto columns = PlaceKeyColumns(client.right, label.left, box.left - label.right, boxWidth, labelWidths);
    for (size_t button = 0; button < kButtonCount; ++button) {
        const KeyColumn& column = columns[button / kRows];
        Place(::GetDlgItem(page, kKeyLabelIds[button]), column.labelLeft, column.labelWidth);
        Place(::GetDlgItem(page, kKeyBoxIds[button]), column.boxLeft, column.boxWidth);
    }
    FitPageTexts(page);
    RedrawPage(page);
}

void InitKeyPage(HWND page, int playerIndex)
{
    const std::string systemIni = SystemIniPath();
    std::array<HWND, kButtonCount> boxes;
    std::array<bool, kButtonCount> enabled;
    std::array<std::string, kButtonCount> labels;
    for (size_t button = 0; button < kButtonCount; ++button) {
        boxes[button] = ::GetDlgItem(page, kKeyBoxIds[button]);
        const std::string label = ReadProfileValue(systemIni, {Keys::kKeyConfigLabelSection, kButtonNames[button], ""});
        labels[button] = KeyLabelText(label, button);
        ::SetWindowTextA(::GetDlgItem(page, kKeyLabelIds[button]), labels[button].c_str());
        enabled[button] =
            Kiln::IsSwitchOn(ReadProfileValue(systemIni, {Keys::kKeyConfigEnableSection, kButtonNames[button], ""}));
        ::EnableWindow(boxes[button], enabled[button]);
    }
    Capture().AddPage(playerIndex, boxes, NextKeyBoxes(enabled));
    LayOutKeyColumns(page, labels);
    LoadKeyConfig(playerIndex, false);
}

void OnCaptureTimer(HWND page)
{
    const int playerIndex = PlayerIndexOf(page);
    if (!Capture().HasPage(playerIndex))
        InitKeyPage(page, playerIndex);
    Kiln::CInput* input = Kiln::CInput::GetInstance();
    if (!input)
        return;
    CLauncher* launcher = CLauncher::GetInstance();
    Capture().Poll(*input, [launcher](int player, size_t button, const std::string& text) {
        launcher->SetKeyValue(player, button, text);
    });
}

bool IsKnownBox(HWND control)
{
    for (int player = 0; player < kPlayerCount; ++player) {
        for (size_t button = 0; button < kButtonCount; ++button) {
            if (control && Capture().Box(player, button) == control)
                return true;
        }
    }
    return false;
}

// Read-only boxes look like ordinary edit fields: black on white.
INT_PTR ColourStatic(HDC dc, HWND control)
{
    if (!IsKnownBox(control))
        return FALSE;
    return PaintBlackOnWhite(dc);
}

}  // namespace

INT_PTR CALLBACK KeyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        CLauncher::GetInstance()->DressWindow(page);
        ::SetTimer(page, kCaptureTimer, kCapturePeriodMs, nullptr);
        CLauncher::GetInstance()->SetKeyPageOpened();
        return TRUE;
    case WM_TIMER:
        if (wParam == kCaptureTimer)
            OnCaptureTimer(page);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_KEY_DEFAULTS)
            LoadKeyConfig(PlayerIndexOf(page), true);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
        ::KillTimer(page, kCaptureTimer);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace Launcher
