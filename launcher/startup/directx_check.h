#pragma once

namespace Launcher {

// True when the D3DX 9 and D3DX 10 runtime libraries (version 37) are in the system folder.
bool DirectXRuntimePresent();

// Tells the player that DirectX 9 must be installed.
void ShowDirectXMissing();

}  // namespace Launcher
