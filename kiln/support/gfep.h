#pragma once

#include <windows.h>

#include "kiln/core/singleton.h"

namespace Kiln {

// Input-method (front-end processor) state holder. The launcher never uses input-method
// composition; the holder keeps its working block for the life of the runtime.
class CGFEP : public singleton<CGFEP> {
public:
    CGFEP();
    ~CGFEP() override;

private:
    static constexpr SIZE_T kBlockSize = 1024;

    HGLOBAL block_ = nullptr;
    void* lockedBlock_ = nullptr;
    char candidateText_[513] = {};
};

}  // namespace Kiln
