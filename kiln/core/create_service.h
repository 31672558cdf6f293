#pragma once

#include <windows.h>

#include "kiln/base/kiln_interface.h"

// <windows.h> maps CreateService to the service-control-manager call; the runtime's
// factory keeps its own name. Including it first here makes the undefinition stick.
#ifdef CreateService
#undef CreateService
#endif

namespace Kiln {

enum ServiceId : int {
    kServiceStd = 0,
    kServiceExt = 1,
    kServiceGraphics = 2,
    kServiceSound = 3,
    kServiceInput = 4,
    kServiceAbout = 5,  // shows the about box; makes nothing
};

// Makes a new service (one reference, owned by the caller), or null.
IKilnInterface* CreateService(int id);

}  // namespace Kiln
