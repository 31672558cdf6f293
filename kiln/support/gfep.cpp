#include "kiln/support/gfep.h"

namespace Kiln {

CGFEP::CGFEP()
{
    block_ = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, blockSize_);
    if (block_)
        lockedBlock_ = ::GlobalLock(block_);
}

CGFEP::~CGFEP()
{
    if (block_) {
        if (lockedBlock_)
            ::GlobalUnlock(block_);
        ::GlobalFree(block_);
    }
}

}  // namespace Kiln
