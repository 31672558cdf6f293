#include "launcher/startup/engine_handoff.h"

#include <shlwapi.h>

#include "kiln/base/catch_all.h"
#include "kiln/base/scoped_win.h"
#include "kiln/base/text.h"
#include "kiln/core/kiln_help.h"

namespace Launcher {
namespace {

// The engine contract: callee-cleans, the command-line text and the icon; no result used.
using RunEngineFunction = void(WINAPI*)(const char* commandLine, HICON icon);

void HandOver(const std::string& libraryName, const char* commandLine, HICON icon)
{
    const std::string path =
        Kiln::FormatTemplate("%1%\\%2%", Kiln::CKilnHelp::GetInstance()->GetProgramDirectory(), libraryName);
    if (!::PathFileExistsA(path.c_str()))
        return;

    Kiln::UniqueModule engine(::LoadLibraryA(path.c_str()));
    if (!engine) {
        const std::string message = Kiln::FormatTemplate(
            "[ %1% ]が読み込めませんでした。\nパスを確認して再度実行してください。", path);
        ::MessageBoxA(nullptr, message.c_str(), "実行エラー", MB_OK | MB_ICONERROR);
        return;
    }
    const auto runEngine = Kiln::GetProcAs<RunEngineFunction>(engine.Get(), "RunEngine");
    if (!runEngine) {
        ::MessageBoxA(nullptr, "実行エントリーが見つかりませんでした\nファイルが破損ている可能性があります。",
                      "実行エラー", MB_OK | MB_ICONERROR);
        return;
    }
    runEngine(commandLine, icon);
}

}  // namespace

void RunEngineLibrary(const std::string& libraryName, const char* commandLine, HICON icon)
{
    // What our side of the hand-off throws ends it like a missing engine: nothing runs.
    Kiln::CatchAll([&] { HandOver(libraryName, commandLine, icon); });
}

}  // namespace Launcher
