#include "kiln/input/kiln_di.h"

namespace Kiln {

IKilnInterface* CKilnDI::CreateInstance(const Guid& /*classId*/)
{
    return nullptr;
}

void CKilnDI::Finalize() {}

}  // namespace Kiln
