#include "launcher/startup/directx_check.h"

#include <windows.h>

#include <string>

#include "kiln/base/text.h"

namespace Launcher {
namespace {

bool IsFile(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool DirectXRuntimePresent()
{
    char systemDirectory[MAX_PATH] = {};
    ::GetSystemDirectoryA(systemDirectory, MAX_PATH);
    const char* const pattern = "%1%\\%2%%3%.dll";
    return IsFile(Kiln::FormatTemplate(pattern, systemDirectory, "d3dx9_", "37")) &&
           IsFile(Kiln::FormatTemplate(pattern, systemDirectory, "d3dx10_", "37"));
}

void ShowDirectXMissing()
{
    ::MessageBoxA(nullptr,
                  "DirectX9 がインストールされていません。\r\n最新のDirectX9をインストールして再度実行してください。",
                  "DirectX error", MB_OK | MB_ICONERROR);
}

}  // namespace Launcher
