#include "kiln/core/kiln_help.h"

#include "kiln/base/ini_keys.h"
#include "kiln/base/profile.h"
#include "kiln/base/profile_file.h"
#include "kiln/base/text.h"
#include "kiln/core/create_service.h"
#include "kiln/core/kiln_ext.h"
#include "kiln/core/kiln_std.h"
#include "kiln/core/screen_size.h"
#include "kiln/file/file_controler.h"
#include "kiln/graphics/kiln_d3d.h"
#include "kiln/input/kiln_di.h"
#include "kiln/sound/kiln_ds.h"
#include "kiln/support/debug_log.h"
#include "kiln/support/gfep.h"

namespace Kiln {
namespace {

std::string ProgramDirectoryOf(HINSTANCE instance)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(instance, path, MAX_PATH);
    std::wstring directory(path);
    directory.erase(directory.find_last_of(L'\\') + 1);  // keeps the backslash
    if (directory.empty())
        return {};
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, directory.data(), static_cast<int>(directory.size()),
                                            nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, directory.data(), static_cast<int>(directory.size()), narrow.data(),
                          bytes, nullptr, nullptr);
    return narrow;
}

template <class Interface>
KilnHandle<Interface> MakeService(CKilnHelp::ServiceMaker make, int id)
{
    return KilnHandle<Interface>::Adopt(static_cast<Interface*>(make(id)));
}

}  // namespace

CKilnHelp::CKilnHelp(HINSTANCE instance, ServiceMaker makeService)
    : programDirectory_(ProgramDirectoryOf(instance)),
      instance_(instance),
      makeService_(makeService ? makeService : CreateService),
      debug_(std::make_shared<CGDebug>()),
      inputMethod_(std::make_shared<CGFEP>())
{
    fileControler_ = KilnHandle<IFileControler>::Adopt(new CFileControler(programDirectory_));
    fileControler_->SetRootDirectory(programDirectory_.c_str());
}

bool CKilnHelp::Start()
{
    // Trims the working set of the process.
    ::SetProcessWorkingSetSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
    if (!CreateServices()) {
        ::MessageBoxA(nullptr, "必要なシステムライブラリが読み込めませんでした。", "システムエラー",
                      MB_OK | MB_ICONERROR);
        return false;
    }
    ReadSystemIni();
    return true;
}

bool CKilnHelp::CreateServices()
{
    // Each stops the chain at the first service that cannot be made.
    return (std_ = MakeService<IKilnStd>(makeService_, kServiceStd)) &&
           (graphics_ = MakeService<IKilnD3D>(makeService_, kServiceGraphics)) &&
           (ext_ = MakeService<IKilnExt>(makeService_, kServiceExt)) &&
           (sound_ = MakeService<IKilnDS>(makeService_, kServiceSound)) &&
           (input_ = MakeService<IKilnDI>(makeService_, kServiceInput));
}

void CKilnHelp::ReadSystemIni()
{
    const std::string path = programDirectory_ + "system.ini";
    auto read = [&](const ProfileKey& key) {
        return Profile::ReadString(path, key.section, key.name, key.defaultValue, key.bufferSize);
    };

    title_ = read(Keys::kTitle);
    version_ = read(Keys::kRuntimeVersion);
    const ScreenSize screen = ScreenSizeForWideScreen(read(Keys::kWideScreen));
    screenWidth_ = screen.width;
    screenHeight_ = screen.height;
    maxScreenWidth_ = 1920;
    maxScreenHeight_ = 1080;

    const auto archives = Profile::ReadNumberedList([&](int number) {
        const std::string name = FormatTemplate(Keys::kArchive.nameTemplate, number);
        return Profile::ReadString(path, Keys::kArchive.section, name.c_str(), "end", kShortValueBufferSize);
    });
    for (const std::string& archive : archives)
        fileControler_->AddArchive((programDirectory_ + "packages\\" + archive).c_str());
}

CKilnHelp::~CKilnHelp()
{
    // Teardown order matters: the graphics device goes before the log, sound and input
    // are shut down before release, and the file controller goes last.
    if (graphics_) {
        heldObject_.Reset();
        graphics_->ReleaseDevice();
    }
    debug_.reset();
    inputMethod_.reset();
    if (graphics_) {
        graphics_->ReleaseDevice();
        graphics_.Reset();
    }
    if (sound_) {
        sound_->Shutdown();
        sound_.Reset();
    }
    if (input_) {
        input_->Finalize();
        input_.Reset();
    }
    ext_.Reset();
    std_.Reset();
    fileControler_->Flush();
}

}  // namespace Kiln
