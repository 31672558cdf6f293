#pragma once

#include <windows.h>

#include <functional>

#include "kiln/patch/apply.h"

namespace Patcher {

// Runs `work` on a worker thread under a small progress window. After success the window
// closes by itself; after a failure it shows the reason until the player closes it.
Kiln::Patch::ApplyResult RunWithProgressWindow(
    HINSTANCE instance, const std::function<Kiln::Patch::ApplyResult(const Kiln::Patch::Progress&)>& work);

}  // namespace Patcher
