#pragma once

#include <windows.h>

namespace Launcher {

// The dialog procedure of the page made from a page template. Page procedures may throw: the
// one returned here catches what they throw before it reaches the dialog manager.
DLGPROC PageProcedure(int templateId);

}  // namespace Launcher
