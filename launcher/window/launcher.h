#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "kiln/core/singleton.h"
#include "launcher/window/memory_picture.h"

namespace Launcher {

// Start requests read by start-up once the window has closed.
constexpr int kStartGame = 0;
constexpr int kDoNotStart = 255;

// Controller of the launcher window: the main dialog, its tab pages and what each way of
// closing it means. Pages reach it through the singleton.
class CLauncher : public Kiln::singleton<CLauncher> {
public:
    struct TabPage {
        HWND window = nullptr;  // null until the page is first shown
        std::string caption;
        int templateId = 0;
        int playerIndex = -1;  // key configuration pages only
        DLGPROC procedure = nullptr;
    };

    CLauncher();
    ~CLauncher() override;

    // Builds the tabs, shows the window and runs its message loop until it closes.
    void RunWindow();
    int GetStartRequest() const { return startRequest_; }

    // Common page set-up, called by every page when it is initialised; only the first call
    // acts: labels the buttons, sets the icon, loads the pictures and centres the window.
    void DressWindow(HWND page);

    HWND GetMainWindow() const { return mainWindow_; }
    // The record of a page, found by its window; null for an unknown window.
    const TabPage* FindPage(HWND page) const;

private:
    static INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMainMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    void RunMessageLoop();
    bool CurrentPageIsKeyConfiguration() const;
    void InitializeMainDialog(HWND dialog);
    void ShowSelectedPage(HWND dialog);
    void CreatePage(HWND dialog, TabPage& page);
    void CenterPageInTab(HWND dialog, HWND page) const;
    void CenterMainWindow() const;
    void Paint(HWND dialog) const;
    bool IsOnBanner(LPARAM clientPoint) const;
    void OnCommand(WORD id);
    // Every way of closing the window ends here.
    void Close(int startRequest);

    HWND mainWindow_ = nullptr;
    HWND tabControl_ = nullptr;
    std::vector<TabPage> pages_;
    size_t currentPage_ = 0;
    int startRequest_ = kStartGame;
    bool tinyMode_ = false;
    bool autoPatch_ = false;
    bool dressed_ = false;
    MemoryPicture topPicture_;
    MemoryPicture banner_;
    std::string bannerURL_;
};

}  // namespace Launcher
