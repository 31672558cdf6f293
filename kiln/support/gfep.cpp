#include "kiln/support/gfep.h"

namespace Kiln {

CGFEP::CGFEP() : block_(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kBlockSize))
{
    if (block_)
        lockedBlock_ = ::GlobalLock(block_.Get());
}

}  // namespace Kiln
