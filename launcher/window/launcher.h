#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kiln/base/singleton.h"
#include "kiln/support/font.h"
#include "launcher/patch/auto_patcher.h"
#include "launcher/settings/general_settings.h"
#include "launcher/settings/key_assignment.h"
#include "launcher/settings/launcher_configuration.h"
#include "launcher/window/memory_picture.h"
#include "launcher/window/window_rules.h"

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

    // The dialog procedure of the page made from a page template.
    using PageProcedureLookup = DLGPROC (*)(int templateId);

    explicit CLauncher(PageProcedureLookup pageProcedures);
    ~CLauncher() override;

    // Builds the tabs, shows the window and runs its message loop until it closes.
    void RunWindow();
    int GetStartRequest() const { return startRequest_; }

    // Common page set-up, called by every page when it is initialised; only the first call
    // acts: labels the buttons, sets the icon, loads the pictures, fits the window to its
    // font, the screen's DPI and the page, and centres it.
    void DressWindow(HWND page);

    HWND GetMainWindow() const { return mainWindow_; }
    // The record of a page, found by its window; null for an unknown window.
    const TabPage* FindPage(HWND page) const;

    // Settings of System.ini and Game.ini. The window loads the configuration when it opens
    // (the patcher again after a patch) and saves Game.ini on every way of closing.
    void LoadLauncherConfiguration();
    void SaveSettings();
    const LauncherConfiguration& GetConfiguration() const { return configuration_; }

    // The graphics page loads [General] into the controller and marks itself opened; only
    // then does the save write [General].
    void LoadGeneralSettings();
    const GeneralSettings& GetGeneralSettings() const { return generalSettings_; }
    void SetGeneralSettings(const GeneralSettings& settings) { generalSettings_ = settings; }
    void SetGeneralPageOpened() { generalPageOpened_ = true; }
    bool IsGeneralPageOpened() const { return generalPageOpened_; }

    // Key pages keep the assignment text of each known box here (player index 0 to 3,
    // button index of the button list); once one is opened the save writes these values
    // instead of completing [KeyConfig1].
    void SetKeyValue(int playerIndex, size_t button, const std::string& text);
    const std::optional<std::string>& GetKeyValue(int playerIndex, size_t button) const;
    void SetKeyPageOpened() { keyPageOpened_ = true; }
    bool IsKeyPageOpened() const { return keyPageOpened_; }

    // The hardware page's report box and its font, kept for the life of the window.
    void SetHardwareReport(HWND box, std::shared_ptr<Kiln::CFont> font, std::shared_ptr<Kiln::CFontHandle> handle)
    {
        hardwareReport_ = box;
        hardwareFont_ = std::move(font);
        hardwareFontHandle_ = std::move(handle);
    }
    HWND GetHardwareReport() const { return hardwareReport_; }

private:
    static INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMainMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    void RunMessageLoop();
    bool CurrentPageIsKeyConfiguration() const;
    void InitializeMainDialog(HWND dialog);
    void ShowSelectedPage(HWND dialog);
    void CreatePage(HWND dialog, TabPage& page);
    void CenterPageInTab(HWND dialog, HWND page) const;
    // Fits the window to its font, the screen's DPI and the page: see LayOutWindow.
    void LayOutMainWindow(HWND page);
    void CenterMainWindow() const;
    void Paint(HWND dialog) const;
    bool IsOnBanner(LPARAM clientPoint) const;
    void OnCommand(WORD id);
    // The patch button: the auto-patcher's download dialog, modal.
    void RunPatchDialog();
    // Every way of closing the window ends here.
    void Close(int startRequest);

    PageProcedureLookup pageProcedures_;
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
    // where the pictures are drawn, at the screen's DPI
    PictureArea topArea_ = kTopPictureArea;
    PictureArea bannerArea_ = kBannerArea;
    LauncherConfiguration configuration_;
    GeneralSettings generalSettings_;
    bool generalPageOpened_ = false;
    KeyValues keyValues_;
    bool keyPageOpened_ = false;
    HWND hardwareReport_ = nullptr;
    std::shared_ptr<Kiln::CFont> hardwareFont_;
    std::shared_ptr<Kiln::CFontHandle> hardwareFontHandle_;
    AutoPatcher autoPatcher_;
};

}  // namespace Launcher
