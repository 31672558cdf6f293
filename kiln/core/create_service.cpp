#include "kiln/core/create_service.h"

#include <windows.h>

#include <new>

#include "kiln/core/kiln_ext.h"
#include "kiln/core/kiln_std.h"
#include "kiln/graphics/kiln_d3d.h"
#include "kiln/input/kiln_di.h"
#include "kiln/sound/kiln_ds.h"

namespace Kiln {

IKilnInterface* CreateService(int id)
{
    switch (id) {
    case kServiceStd:
        return new (std::nothrow) CKilnStd;
    case kServiceExt:
        return new (std::nothrow) CKilnExt;
    case kServiceGraphics:
        return new (std::nothrow) CKilnD3D;
    case kServiceSound:
        return new (std::nothrow) CKilnDS;
    case kServiceInput:
        return new (std::nothrow) CKilnDI;
    case kServiceAbout:
        ::MessageBoxA(nullptr, "Kiln runtime framework: services, files, images, input and sound.",
                      "About", MB_OK | MB_ICONINFORMATION);
        return nullptr;
    default:
        return nullptr;
    }
}

}  // namespace Kiln
