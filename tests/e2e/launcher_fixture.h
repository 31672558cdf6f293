#pragma once

// A launcher started on a game folder of its own for each test, and its window.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "resources/resource.h"
#include "tests/support/game_folder.h"
#include "tests/support/ui_driver.h"

namespace KilnTest {

class LauncherFixture : public ::testing::Test {
protected:
    LauncherFixture()
        : game_(std::string("pages_") + ::testing::UnitTest::GetInstance()->current_test_info()->name()),
          // letters and digits only, so that xdotool finds the window by it
          title_(std::string("Pages") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
        game_.AddLauncher();
        game_.AddRecordingEngines();
    }

    // Writes System.ini with the title and these sections, starts the launcher (the copy of
    // that name) and waits for its window.
    HWND Open(const std::string& systemSections, const std::string& program = "Launcher.exe")
    {
        game_.Write("System.ini", "[Game]\r\nTitle=" + title_ + "\r\n" + systemSections);
        launcher_ = std::make_unique<Process>(game_.PathOf(program), "");
        window_ = WaitForDialog(launcher_->Id(), title_.c_str());
        tab_ = window_ ? ::GetDlgItem(window_, IDC_TAB) : nullptr;
        return window_;
    }

    // Chooses a tab and returns its page.
    HWND ShowTab(int index)
    {
        SelectTab(tab_, index);
        return CurrentPage(window_);
    }

    // Closes the window with one of its buttons and waits for the launcher to end.
    void CloseWith(int button)
    {
        Click(window_, button);
        EXPECT_EQ(launcher_->WaitForExit(), 0);
    }

    // A value of Game.ini as the profile functions read it; "<none>" when it is missing.
    std::string GameIniValue(const char* section, const char* key) const
    {
        char value[256] = {};
        ::GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, game_.PathOf("Game.ini").c_str());
        return value;
    }

    GameFolder game_;
    std::string title_;
    std::unique_ptr<Process> launcher_;
    HWND window_ = nullptr;
    HWND tab_ = nullptr;
};

}  // namespace KilnTest
