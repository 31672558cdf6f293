#include "kiln/core/kiln_help.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

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

// Runs `work` on a thread of its own, which may block in a message box. Leaving the scope
// closes whatever windows that thread still shows until it returns, then joins it.
class BoxedCall {
public:
    template <typename Work>
    explicit BoxedCall(Work work)
        : thread_([this, work] {
              threadId_ = ::GetCurrentThreadId();
              work();
              returned_ = true;
          })
    {
    }
    ~BoxedCall()
    {
        for (int tries = 0; !returned_ && tries < 200; ++tries) {
            if (threadId_)
                ::EnumThreadWindows(threadId_, CloseWindowOfThread, 0);
            ::Sleep(50);
        }
        if (!returned_) {
            // Nothing more can end it: fail loudly instead of hanging or leaving it behind.
            std::fprintf(stderr, "a call blocked in a window that would not close\n");
            std::abort();
        }
        thread_.join();
    }
    BoxedCall(const BoxedCall&) = delete;
    BoxedCall& operator=(const BoxedCall&) = delete;

    bool Returned() const { return returned_; }

private:
    static BOOL CALLBACK CloseWindowOfThread(HWND window, LPARAM)
    {
        KilnTest::DismissMessageBox(window);
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        return TRUE;
    }

    std::atomic<DWORD> threadId_{0};
    std::atomic<bool> returned_{false};
    std::thread thread_;
};

// Services that write down what is done to them, made by a factory that can be told to
// fail at one service id.
std::vector<std::string> serviceEvents;
int failingService = -1;

struct RecordingGraphics : CKilnD3D {
    bool ReleaseDevice() override
    {
        serviceEvents.push_back("graphics device released");
        return CKilnD3D::ReleaseDevice();
    }
    ~RecordingGraphics() override { serviceEvents.push_back("graphics freed"); }
};
struct RecordingSound : CKilnDS {
    void Shutdown() override
    {
        serviceEvents.push_back("sound shut down");
        CKilnDS::Shutdown();
    }
    ~RecordingSound() override { serviceEvents.push_back("sound freed"); }
};
struct RecordingInput : CKilnDI {
    void Finalize() override
    {
        serviceEvents.push_back("input finalized");
        CKilnDI::Finalize();
    }
    ~RecordingInput() override { serviceEvents.push_back("input freed"); }
};
struct RecordingExt : CKilnExt {
    ~RecordingExt() override { serviceEvents.push_back("ext freed"); }
};
struct RecordingStd : CKilnStd {
    ~RecordingStd() override { serviceEvents.push_back("std freed"); }
};

IKilnInterface* MakeRecordingService(int id)
{
    serviceEvents.push_back("make " + std::to_string(id));
    if (id == failingService)
        return nullptr;
    switch (id) {
    case kServiceStd: return new RecordingStd;
    case kServiceExt: return new RecordingExt;
    case kServiceGraphics: return new RecordingGraphics;
    case kServiceSound: return new RecordingSound;
    case kServiceInput: return new RecordingInput;
    default: return nullptr;
    }
}

class KilnHelpServicesTest : public KilnHelpTest {
protected:
    void SetUp() override
    {
        serviceEvents.clear();
        failingService = -1;
    }
};

TEST_F(KilnHelpServicesTest, ServicesAreMadeInOrderAndTornDownDeviceFirst)
{
    const GameFolder folder = MakeFolder();
    {
        CKilnHelp help(ModuleIn(folder), MakeRecordingService);
        ASSERT_TRUE(help.Start());
        EXPECT_EQ(serviceEvents, (std::vector<std::string>{"make 0", "make 2", "make 1", "make 3", "make 4"}));
        serviceEvents.clear();
    }
    EXPECT_EQ(serviceEvents,
              (std::vector<std::string>{"graphics device released", "graphics device released", "graphics freed",
                                        "sound shut down", "sound freed", "input finalized", "input freed",
                                        "ext freed", "std freed"}));
}

// The message shown when a service cannot be made, and its caption.
constexpr const char* kServiceFailure = "必要なシステムライブラリが読み込めませんでした。";
constexpr const char* kServiceFailureCaption = "システムエラー";

TEST_F(KilnHelpServicesTest, AServiceThatCannotBeMadeShowsOneBoxAndStopsTheChain)
{
    const struct {
        int failing;
        std::vector<std::string> made;  // the factory's calls, in order
    } cases[] = {
        {kServiceStd, {"make 0"}},
        {kServiceGraphics, {"make 0", "make 2"}},
        {kServiceSound, {"make 0", "make 2", "make 1", "make 3"}},
        {kServiceInput, {"make 0", "make 2", "make 1", "make 3", "make 4"}},
    };
    for (const auto& c : cases) {
        serviceEvents.clear();
        failingService = c.failing;
        const GameFolder folder = MakeFolder("_" + std::to_string(c.failing));
        CKilnHelp help(ModuleIn(folder), MakeRecordingService);
        std::atomic<bool> started{true};
        {
            const BoxedCall call([&] { started = help.Start(); });
            HWND box = KilnTest::WaitForDialog(::GetCurrentProcessId(), kServiceFailureCaption);
            ASSERT_NE(box, nullptr) << "no box for service " << c.failing;
            EXPECT_NE(KilnTest::MessageBoxText(box).find(kServiceFailure), std::string::npos);
            KilnTest::DismissMessageBox(box);
            for (int tries = 0; !call.Returned() && tries < 200; ++tries)
                ::Sleep(10);
            EXPECT_TRUE(call.Returned()) << "Start went on blocking after its box";
        }
        EXPECT_FALSE(started) << "service " << c.failing;
        EXPECT_EQ(serviceEvents, c.made) << "service " << c.failing;
        EXPECT_EQ(KilnTest::WaitForDialog(::GetCurrentProcessId(), kServiceFailureCaption, 300), nullptr)
            << "a second box for service " << c.failing;
        EXPECT_EQ(help.GetInput(), nullptr);
        EXPECT_EQ(help.GetTitle(), "");  // System.ini is not read after a failure
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

TEST(CreateServiceTest, AboutShowsABoxAndMakesNothing)
{
    IKilnInterface* result = reinterpret_cast<IKilnInterface*>(1);
    {
        const BoxedCall call([&] { result = CreateService(kServiceAbout); });
        HWND box = KilnTest::WaitForDialog(::GetCurrentProcessId(), "About");
        ASSERT_NE(box, nullptr) << "no about box";
        EXPECT_FALSE(KilnTest::MessageBoxText(box).empty());
        KilnTest::DismissMessageBox(box);
    }
    EXPECT_EQ(result, nullptr);
}

}  // namespace
}  // namespace Kiln
