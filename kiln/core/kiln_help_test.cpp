#include "kiln/core/kiln_help.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kiln/core/create_service.h"
#include "kiln/core/kiln_ext.h"
#include "kiln/core/kiln_std.h"
#include "kiln/file/file_controler.h"
#include "kiln/graphics/kiln_d3d.h"
#include "kiln/input/kiln_di.h"
#include "kiln/sound/kiln_ds.h"
#include "tests/support/game_folder.h"
#include "tests/support/ui_driver.h"

namespace Kiln {
namespace {

using KilnTest::GameFolder;

// A game folder holding a module, so that the bootstrap takes that folder as its program
// directory exactly as the launcher takes its own.
class KilnHelpTest : public ::testing::Test {
protected:
    GameFolder MakeFolder(const std::string& suffix = "")
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        GameFolder folder(std::string("kiln_help_") + info->name() + suffix);
        folder.CopyFromBin("RecordEngine.dll", "Module.dll");
        return folder;
    }

    // Loads the folder's module; it stays loaded until the test ends.
    HINSTANCE ModuleIn(const GameFolder& folder)
    {
        HMODULE module = ::LoadLibraryA(folder.PathOf("Module.dll").c_str());
        modules_.push_back(module);
        return module;
    }

    void TearDown() override
    {
        for (HMODULE module : modules_)
            ::FreeLibrary(module);
    }

private:
    std::vector<HMODULE> modules_;
};

TEST_F(KilnHelpTest, ConstructionFixesTheProgramDirectoryAndRegisters)
{
    const GameFolder folder = MakeFolder();
    {
        CKilnHelp help(ModuleIn(folder));
        EXPECT_EQ(CKilnHelp::GetInstance(), &help);
        EXPECT_EQ(help.GetProgramDirectory(), folder.Path());
        EXPECT_EQ(help.GetProgramDirectory().back(), '\\');
        EXPECT_EQ(GetRootDirectory(), folder.Path());
        EXPECT_EQ(help.GetScreenWidth(), 1280);
        EXPECT_EQ(help.GetScreenHeight(), 720);
        ASSERT_NE(help.GetFileControler(), nullptr);
        EXPECT_EQ(help.GetStd(), nullptr);  // services come with Start
    }
    EXPECT_EQ(CKilnHelp::GetInstance(), nullptr);
}

TEST_F(KilnHelpTest, StartCreatesEveryServiceAndReadsTheGameSection)
{
    const GameFolder folder = MakeFolder();
    folder.Write("System.ini", "[Game]\r\nTitle=テストゲーム\r\nVersion=2.5b\r\nWideScreen=2\r\n");
    CKilnHelp help(ModuleIn(folder));
    ASSERT_TRUE(help.Start());
    EXPECT_NE(help.GetStd(), nullptr);
    EXPECT_NE(help.GetGraphics(), nullptr);
    EXPECT_NE(help.GetExt(), nullptr);
    EXPECT_NE(help.GetSound(), nullptr);
    EXPECT_NE(help.GetInput(), nullptr);
    EXPECT_EQ(help.GetTitle(), "テストゲーム");
    EXPECT_EQ(help.GetVersion(), "2.5b");
    EXPECT_EQ(help.GetScreenWidth(), 1280);
    EXPECT_EQ(help.GetScreenHeight(), 720);
    EXPECT_EQ(help.GetMaxScreenWidth(), 1920);
    EXPECT_EQ(help.GetMaxScreenHeight(), 1080);
}

TEST_F(KilnHelpTest, WithoutSystemIniEveryKeyTakesItsDefault)
{
    const GameFolder folder = MakeFolder();
    CKilnHelp help(ModuleIn(folder));
    ASSERT_TRUE(help.Start());
    EXPECT_EQ(help.GetTitle(), "MZKPlayer");
    EXPECT_EQ(help.GetVersion(), "1.0");
    EXPECT_EQ(help.GetScreenWidth(), 640);
    EXPECT_EQ(help.GetScreenHeight(), 480);
    EXPECT_TRUE(static_cast<CFileControler*>(help.GetFileControler())->GetArchives().empty());
}

TEST_F(KilnHelpTest, ArchivesAreMountedUntilTheListEnds)
{
    const struct {
        const char* section;
        std::vector<std::string> archives;
    } cases[] = {
        {"Archive1=a.pak\r\nArchive2=end\r\nArchive3=b.pak\r\n", {"a.pak"}},
        {"Archive1=\r\nArchive2=b.pak\r\n", {}},
        {"Archive1=a.pak\r\nArchive2=END\r\nArchive3=b.pak\r\n", {"a.pak", "END", "b.pak"}},
        {"Archive1=a.pak\r\nArchive3=c.pak\r\n", {"a.pak"}},
    };
    int n = 0;
    for (const auto& c : cases) {
        const GameFolder folder = MakeFolder("_" + std::to_string(n++));
        folder.Write("System.ini", std::string("[DataArchive]\r\n") + c.section);
        CKilnHelp help(ModuleIn(folder));
        ASSERT_TRUE(help.Start());
        std::vector<std::string> expected;
        for (const std::string& archive : c.archives)
            expected.push_back(folder.Path() + "packages\\" + archive);
        EXPECT_EQ(static_cast<CFileControler*>(help.GetFileControler())->GetArchives(), expected) << c.section;
    }
}

TEST(CreateServiceTest, MakesEachServiceWithOneReference)
{
    for (int id = kServiceStd; id <= kServiceInput; ++id) {
        IKilnInterface* service = CreateService(id);
        ASSERT_NE(service, nullptr) << id;
        EXPECT_EQ(service->GetRefCount(), 1u);
        EXPECT_EQ(service->AddRef(), 2u);
        EXPECT_EQ(service->Release(), 1u);
        EXPECT_EQ(service->Release(), 0u);
    }
    EXPECT_EQ(CreateService(6), nullptr);
    EXPECT_EQ(CreateService(-1), nullptr);
}

BOOL CALLBACK CloseThreadWindow(HWND window, LPARAM)
{
    KilnTest::DismissMessageBox(window);
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

TEST(CreateServiceTest, AboutShowsABoxAndMakesNothing)
{
    IKilnInterface* result = reinterpret_cast<IKilnInterface*>(1);
    std::atomic<DWORD> callerId{0};
    std::atomic<bool> returned{false};
    std::thread caller([&] {
        callerId = ::GetCurrentThreadId();
        result = CreateService(kServiceAbout);
        returned = true;
    });
    HWND box = KilnTest::WaitForDialog(::GetCurrentProcessId(), "About");
    if (box) {
        EXPECT_FALSE(KilnTest::MessageBoxText(box).empty());
        KilnTest::DismissMessageBox(box);
    } else {
        ADD_FAILURE() << "no about box";
    }
    // Whatever the caller shows is closed until it returns, so the join below cannot hang.
    for (int tries = 0; !returned && tries < 200; ++tries) {
        if (callerId)
            ::EnumThreadWindows(callerId, CloseThreadWindow, 0);
        ::Sleep(50);
    }
    // (a caller that never returns ends the program at the thread's destruction: loud, not hung)
    ASSERT_TRUE(returned) << "the caller's windows would not close";
    caller.join();
    EXPECT_EQ(result, nullptr);
}

}  // namespace
}  // namespace Kiln
