#pragma once

#include <windows.h>

namespace Launcher {

// The dialog procedure of the page made from a page template.
DLGPROC PageProcedure(int templateId);

}  // namespace Launcher
